#pragma once

#include <array>
#include <span>

#include "codec/tables.h"

// The perceptual weighting filter W(z) = A(z/0.94) / A(z/0.6), used as a 13-tap FIR: it
// de-emphasises the formant peaks so that the coding noise hides under them.
namespace vx {

constexpr int kWeightingTaps = 13;
// t0..t12 of the truncated impulse response of W(z); t0 = 1.
using WeightingTaps = std::array<float, kWeightingTaps>;

// Filters 1, a1 0.94, .., a10 0.94^10, 0, 0 through 1/A(z/0.6) with zero state.
WeightingTaps WeightingFilterTaps(const LpcCoefficients& a);

// sw[n] = s[n] + sum_{k=1..12} t_k s[n-k] for n < out.size(), where s[n] = speech[start + n]
// and the 12 samples before `start` are the past.
void WeightSpeech(const WeightingTaps& taps, std::span<const float> speech, size_t start,
                  std::span<float> out);

}  // namespace vx
