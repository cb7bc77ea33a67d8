#pragma once

#include <cstdint>
#include <span>

namespace vx {

// Modes of the recorder's time display (the first parameter of update-display).
inline constexpr int kRecordTimePosition = 0;   // the capture position
inline constexpr int kRecordTimeReset = 1;      // box cleared, the countdown's full 3 s
inline constexpr int kRecordTimeCountdown = 2;  // what is left of the countdown

// The whole second shown for `ms`: rounded down, so that -1 ms already shows -1 s and the
// countdown reads -3, -2, -1 before 0.
int64_t RecordDisplaySecond(int64_t ms);

// " %2d:%02d" for a second >= 0, "-%2d:%02d" of its magnitude for one below 0.
void FormatRecordTime(int64_t second, std::span<char, 16> text);

}  // namespace vx
