#include "codec/high_pass.h"

namespace vx {

void HighPassFilter(std::span<float> samples, HighPassState& state) {
  constexpr float kB0 = 0.92727435f, kB1 = -1.8544941f, kB2 = 0.92727435f;
  constexpr float kA1 = 1.9059465f, kA2 = -0.9114024f;
  for (float& sample : samples) {
    const float x = sample;
    const float y =
        kB0 * x + kB1 * state.x1 + kB2 * state.x2 + kA1 * state.y1 + kA2 * state.y2;
    state.x2 = state.x1;
    state.x1 = x;
    state.y2 = state.y1;
    state.y1 = y;
    sample = y;
  }
}

}  // namespace vx
