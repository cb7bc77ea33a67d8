#pragma once

#include <span>
#include <string_view>

namespace vx::cli {

// Each subcommand takes the arguments after its name and returns the exit status. Its help
// text opens with its usage line; `vxtool COMMAND --help` prints it (main.cpp).
int RunInfoCommand(std::span<char* const> args);
int RunDecodeCommand(std::span<char* const> args);
int RunRecordCommand(std::span<char* const> args);
int RunPlayCommand(std::span<char* const> args);
// Returns 0 when every file was converted, else 1.
int RunEncodeCommand(std::span<char* const> args);

extern const std::string_view kInfoHelp;
extern const std::string_view kDecodeHelp;
extern const std::string_view kRecordHelp;
extern const std::string_view kPlayHelp;
extern const std::string_view kEncodeHelp;

}  // namespace vx::cli
