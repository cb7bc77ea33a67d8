#include "codec/gain_quantiser.h"

#include "codec/gains.h"
#include "codec/tables.h"

namespace vx {

namespace {

constexpr double kScale = 31.134575;
constexpr double kPitchOffset = 1.612322;
constexpr double kCodeFactor = 0.481389;
constexpr double kCodeOffset = 0.053056;
constexpr double kProjection = -0.032623;
constexpr std::array<double, 4> kBookAThresholds = {0.659681, 0.755274, 1.207205, 1.987740};
constexpr std::array<double, 8> kBookBThresholds = {0.429912, 0.494045, 0.618737, 0.650676,
                                                    0.717949, 0.770050, 0.850628, 0.932089};
constexpr size_t kCandidatesA = 4;
constexpr size_t kCandidatesB = 8;

template <size_t N>
std::array<uint8_t, N> Inverse(const std::array<uint8_t, N>& map) {
  std::array<uint8_t, N> inverse{};
  for (size_t w = 0; w < N; ++w) inverse[map[w]] = static_cast<uint8_t>(w);
  return inverse;
}

// Number of leading thresholds t with value > g0 t.
template <size_t N>
size_t LeadingBelow(const std::array<double, N>& thresholds, double value, double g0) {
  size_t count = 0;
  while (count < N && value > g0 * thresholds[count]) ++count;
  return count;
}

}  // namespace

const std::array<uint8_t, 8>& GainWordOfBookA() {
  static const std::array<uint8_t, 8> map = Inverse(kGainMapA);
  return map;
}

const std::array<uint8_t, 16>& GainWordOfBookB() {
  static const std::array<uint8_t, 16> map = Inverse(kGainMapB);
  return map;
}

int32_t QuantiseSpeechGains(const GainCorrelations& c, float g0, bool halfRate) {
  // Unquantised optimum of the error; a degenerate system (y and z alike) leaves it at 0.
  const double det = 4.0 * c.c0 * c.c2 - c.c4 * c.c4;
  double gp = 0.0, gc = 0.0;
  if (det != 0.0) {
    gp = -(2.0 * c.c2 * c.c1 - c.c4 * c.c3) / det;
    gc = -(2.0 * c.c0 * c.c3 - c.c1 * c.c4) / det;
  }
  const double a = kProjection * (gc - g0 * (kScale * gp + kCodeOffset));
  const double b = kProjection * (g0 * kCodeFactor * (kScale * gp - kPitchOffset) - kScale * gc);
  const size_t firstA = LeadingBelow(kBookAThresholds, b, g0);
  const size_t firstB = LeadingBelow(kBookBThresholds, a, g0);

  int bestA = 0, bestB = 0;
  double bestError = 0.0;
  bool any = false;
  for (size_t i = firstA; i < firstA + kCandidatesA; ++i) {
    for (size_t j = firstB; j < firstB + kCandidatesB; ++j) {
      const SubframeGains g =
          SpeechGainsFromBooks(halfRate, static_cast<int>(i), static_cast<int>(j), g0);
      const double p = g.pitch, q = g.code;
      const double error = q * (q * c.c2 + p * c.c4 + c.c3) + p * (p * c.c0 + c.c1);
      if (!any || error < bestError) {
        any = true;
        bestError = error;
        bestA = static_cast<int>(i);
        bestB = static_cast<int>(j);
      }
    }
  }
  return GainWordOfBookA()[static_cast<size_t>(bestA)] * 16 +
         GainWordOfBookB()[static_cast<size_t>(bestB)];
}

int32_t QuantiseNoiseGain(double c2, double c5, float g0) {
  int32_t best = 0;
  double bestMismatch = 0.0;
  for (size_t level = 0; level < kNoiseGainLevels.size(); ++level) {
    const double gain = NoiseGainsFromLevel(static_cast<int>(level), g0).code;
    double mismatch = 0.64 * c5 - gain * gain * c2;
    if (mismatch < 0.0) mismatch = -10000.0 * mismatch;
    if (level == 0 || mismatch < bestMismatch) {
      bestMismatch = mismatch;
      best = static_cast<int32_t>(level);
    }
  }
  return best;
}

}  // namespace vx
