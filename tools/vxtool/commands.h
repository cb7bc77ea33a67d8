#pragma once

#include <span>

namespace vx::cli {

// Each subcommand takes the arguments after its name and returns the exit status.
int RunInfoCommand(std::span<char* const> args);
int RunDecodeCommand(std::span<char* const> args);
int RunRecordCommand(std::span<char* const> args);
int RunPlayCommand(std::span<char* const> args);

}  // namespace vx::cli
