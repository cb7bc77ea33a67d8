#pragma once

#include <span>

namespace vx::cli {

// vxtool encode [options] FILE...: WAV files to compressed speech files through the file
// encoder's conversion pipeline. Returns 0 when every file was converted, else 1.
int RunEncodeCommand(std::span<char* const> args);

}  // namespace vx::cli
