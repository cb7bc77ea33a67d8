#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "io/file_stream.h"

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

// Parses a whole decimal number in [low, high].
std::optional<long> ParseNumber(std::string_view text, long low, long high);

// A file written under a temporary name beside its final name and renamed into place only by
// Commit, so that a failed run never leaves a half-written file under the output name.
class AtomicOutput {
 public:
  AtomicOutput() = default;
  AtomicOutput(const AtomicOutput&) = delete;
  AtomicOutput& operator=(const AtomicOutput&) = delete;
  ~AtomicOutput();  // removes the temporary file unless committed

  // Creates the temporary file; returns 0 or a negative errno.
  int Open(const std::string& path);
  ByteStream& Stream() { return *stream_; }
  // Closes the stream and renames the file to its final name; returns 0 or a negative errno.
  int Commit();

 private:
  std::string path_;
  std::string temporary_;
  std::unique_ptr<FileStream> stream_;
};

// The text of a negative errno.
std::string ErrorText(int negativeErrno);

}  // namespace vx::cli
