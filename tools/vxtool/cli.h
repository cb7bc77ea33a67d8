#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "io/atomic_output.h"

namespace vx::cli {

// The arguments of one subcommand. Options are taken out by name; what remains are the
// positional arguments.
class Args {
 public:
  explicit Args(std::span<char* const> args) : args_(args.begin(), args.end()) {}

  // Takes "--name"; true when it was given.
  bool Flag(std::string_view name);
  // Takes "--name VALUE" or "--name=VALUE". A missing value is an error (see Error()).
  std::optional<std::string> Value(std::string_view name);
  // The remaining arguments; an unknown option among them is an error.
  std::vector<std::string> Positional();

  // The first problem met, or empty.
  const std::string& Error() const { return error_; }

 private:
  std::vector<std::string> args_;
  std::string error_;
};

// Prints "vxtool: <message>" on stderr and returns exit status 1.
int Fail(const std::string& message);
// Prints the usage line (the first line of a command's help) on stderr; returns 1.
int FailUsage(std::string_view help);

// The --device of play and record: "default" (ALSA's default PCM) or "virtual:FILE" (the
// virtual sound card, with the WAV file it plays into or captures from).
struct DeviceChoice {
  bool virtualCard = false;
  std::string file;  // the virtual card's WAV file
};
// Parses a --device value; returns an empty text, or the problem. `file` names the file in
// messages ("OUT.wav", "IN.wav").
std::string ParseDevice(std::string_view text, std::string_view file, DeviceChoice& device);

// Parses a whole decimal number in [low, high].
std::optional<long> ParseNumber(std::string_view text, long low, long high);

// The text of a negative errno.
std::string ErrorText(int negativeErrno);

}  // namespace vx::cli
