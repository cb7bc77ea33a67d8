// vxtool: the suite's command-line tool.
#include <cstdio>
#include <span>
#include <string_view>

#include "tools/vxtool/commands.h"
#include "tools/vxtool/encode_command.h"

namespace {

struct Command {
  std::string_view name;
  int (*run)(std::span<char* const> args);
  std::string_view usage;
};

constexpr Command kCommands[] = {
    {"info", vx::cli::RunInfoCommand, "info FILE [--json]          header fields and frame counts"},
    {"decode", vx::cli::RunDecodeCommand,
     "decode IN OUT.wav [--rate 8000|11000|11025]   decode to 16-bit mono WAV"},
    {"record", vx::cli::RunRecordCommand,
     "record OUT.vxs [--half] [--seconds S] [--device default|virtual:IN.wav]   record speech"},
    {"play", vx::cli::RunPlayCommand,
     "play FILE [--device default|virtual:OUT.wav] [--seek FRAME]   play through the engine"},
    {"encode", vx::cli::RunEncodeCommand,
     "encode [options] FILE...    WAV files to .vxs files (encode --help for options)"},
};

int Usage(FILE* out) {
  std::fprintf(out, "usage: vxtool COMMAND [options]\n\ncommands:\n");
  for (const Command& command : kCommands)
    std::fprintf(out, "  %.*s\n", (int)command.usage.size(), command.usage.data());
  std::fprintf(out, "\n--verbose prints the codec's diagnostics.\n");
  return out == stdout ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage(stderr);
  std::string_view name = argv[1];
  if (name == "--help" || name == "-h" || name == "help") return Usage(stdout);
  for (const Command& command : kCommands)
    if (command.name == name) return command.run(std::span<char* const>(argv + 2, argc - 2));
  std::fprintf(stderr, "vxtool: unknown command %s\n", argv[1]);
  return Usage(stderr);
}
