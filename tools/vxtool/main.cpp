// vxtool: the suite's command-line tool.
#include <cstdio>
#include <span>
#include <string_view>

#include "tools/vxtool/commands.h"

namespace {

struct Command {
  std::string_view name;
  int (*run)(std::span<char* const> args);
  const std::string_view& help;
  std::string_view summary;
};

constexpr Command kCommands[] = {
    {"info", vx::cli::RunInfoCommand, vx::cli::kInfoHelp, "header fields and frame counts"},
    {"decode", vx::cli::RunDecodeCommand, vx::cli::kDecodeHelp, "decode to 16-bit mono WAV"},
    {"encode", vx::cli::RunEncodeCommand, vx::cli::kEncodeHelp, "WAV files to .vxs files"},
    {"play", vx::cli::RunPlayCommand, vx::cli::kPlayHelp, "play through the playback engine"},
    {"record", vx::cli::RunRecordCommand, vx::cli::kRecordHelp, "record speech"},
};

int Usage(FILE* out) {
  std::fprintf(out, "usage: vxtool COMMAND [options]\n\ncommands:\n");
  for (const Command& command : kCommands)
    std::fprintf(out, "  %-8.*s%.*s\n", static_cast<int>(command.name.size()), command.name.data(),
                 static_cast<int>(command.summary.size()), command.summary.data());
  std::fprintf(out, "\nvxtool COMMAND --help shows a command's options; see also vxtool(1).\n");
  return out == stdout ? 0 : 1;
}

// "--help" or "-h" among a command's arguments, before a "--" that ends its options.
bool AsksForHelp(std::span<char* const> args) {
  for (const char* arg : args) {
    const std::string_view text = arg;
    if (text == "--") return false;
    if (text == "--help" || text == "-h") return true;
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage(stderr);
  const std::string_view name = argv[1];
  if (name == "--help" || name == "-h" || name == "help") return Usage(stdout);
  const std::span<char* const> args(argv + 2, static_cast<size_t>(argc - 2));
  for (const Command& command : kCommands) {
    if (command.name != name) continue;
    if (AsksForHelp(args)) {
      std::fwrite(command.help.data(), 1, command.help.size(), stdout);
      return 0;
    }
    return command.run(args);
  }
  std::fprintf(stderr, "vxtool: unknown command %s\n", argv[1]);
  return Usage(stderr);
}
