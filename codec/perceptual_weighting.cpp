#include "codec/perceptual_weighting.h"

namespace vx {

namespace {

constexpr std::array<float, kLpcOrder + 1> Powers(double factor) {
  std::array<float, kLpcOrder + 1> p{};
  double value = 1.0;
  for (size_t i = 0; i <= kLpcOrder; ++i) {
    p[i] = static_cast<float>(value);
    value *= factor;
  }
  return p;
}

constexpr std::array<float, kLpcOrder + 1> kNumeratorPowers = Powers(0.94);
constexpr std::array<float, kLpcOrder + 1> kDenominatorPowers = Powers(0.6);

}  // namespace

WeightingTaps WeightingFilterTaps(const LpcCoefficients& a) {
  WeightingTaps t{};
  t[0] = 1.0f;
  for (size_t i = 1; i <= kLpcOrder; ++i) t[i] = a[i - 1] * kNumeratorPowers[i];
  // All-pole filtering in place: each output depends only on earlier outputs.
  for (size_t n = 1; n < t.size(); ++n) {
    float y = t[n];
    for (size_t i = 1; i <= kLpcOrder && i <= n; ++i)
      y -= a[i - 1] * kDenominatorPowers[i] * t[n - i];
    t[n] = y;
  }
  return t;
}

void WeightSpeech(const WeightingTaps& taps, std::span<const float> speech, size_t start,
                  std::span<float> out) {
  for (size_t n = 0; n < out.size(); ++n) {
    const size_t at = start + n;
    double sum = speech[at];
    for (size_t k = 1; k < taps.size(); ++k) sum += static_cast<double>(taps[k]) * speech[at - k];
    out[n] = static_cast<float>(sum);
  }
}

}  // namespace vx
