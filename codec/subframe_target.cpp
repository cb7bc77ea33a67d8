#include "codec/subframe_target.h"

#include <algorithm>
#include <array>

#include "codec/synthesis.h"

namespace vx {

void WeightedImpulseResponse(const WeightingTaps& taps, const LpcCoefficients& aq,
                             std::span<float> h) {
  std::fill(h.begin(), h.end(), 0.0f);
  std::copy_n(taps.begin(), std::min(taps.size(), h.size()), h.begin());
  std::array<float, kLpcOrder> zeroState{};
  SynthesisFilter(aq, h, h, zeroState, false);
}

void PredictionError(const LpcCoefficients& aq, std::span<const float> speech, size_t start,
                     std::span<float> e) {
  for (size_t n = 0; n < e.size(); ++n) {
    const size_t at = start + n;
    float sum = speech[at];
    for (size_t i = 1; i <= kLpcOrder; ++i) sum += aq[i - 1] * speech[at - i];
    e[n] = sum;
  }
}

void WeightedTarget(std::span<const float> e, const LpcCoefficients& aq,
                    std::span<const float, kErrorMemory> errorMemory, const WeightingTaps& taps,
                    std::span<float> x) {
  // u = e through 1/A^(z) continuing the error signal; u[-j] = errorMemory[12 - j].
  std::array<float, kErrorMemory + 80> u{};
  std::copy(errorMemory.begin(), errorMemory.end(), u.begin());
  std::array<float, kLpcOrder> memory;
  std::copy(errorMemory.end() - kLpcOrder, errorMemory.end(), memory.begin());
  std::span<float> current(u.data() + kErrorMemory, e.size());
  SynthesisFilter(aq, e, current, memory, false);
  for (size_t n = 0; n < e.size(); ++n) {
    const size_t at = kErrorMemory + n;
    float sum = u[at];
    for (size_t j = 1; j < taps.size(); ++j) sum += taps[j] * u[at - j];
    x[n] = sum;
  }
}

void HalfRateTarget(std::span<const float> e, std::span<const float, kHalfRateImpulseTaps> h,
                    std::span<const float, kPredictionErrorMemory> memory, std::span<float> x) {
  auto past = [&](int i) {
    return i >= 0 ? e[static_cast<size_t>(i)]
                  : memory[static_cast<size_t>(kPredictionErrorMemory + i)];
  };
  for (size_t n = 0; n < e.size(); ++n) {
    float sum = e[n];
    for (int j = 1; j < kHalfRateImpulseTaps; ++j)
      sum += h[static_cast<size_t>(j)] * past(static_cast<int>(n) - j);
    x[n] = sum;
  }
}

}  // namespace vx
