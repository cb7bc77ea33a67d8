#pragma once

#include <span>

// The encoder's input pre-filter: a second-order high-pass with a double zero at 0 Hz (gain
// about 0.97 near 4 kHz), which removes DC and hum before the analysis.
namespace vx {

// The last two inputs and outputs, carried from block to block.
struct HighPassState {
  float x1 = 0.0f, x2 = 0.0f;  // x[n-1], x[n-2]
  float y1 = 0.0f, y2 = 0.0f;  // y[n-1], y[n-2]
};

// y[n] = 0.92727435 (x[n] + x[n-2]) - 1.8544941 x[n-1] + 1.9059465 y[n-1] - 0.9114024 y[n-2],
// in place.
void HighPassFilter(std::span<float> samples, HighPassState& state);

}  // namespace vx
