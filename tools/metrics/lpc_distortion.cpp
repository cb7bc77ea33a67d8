#include "tools/metrics/lpc_distortion.h"

#include <cmath>
#include <numbers>

#include "codec/lsf.h"

namespace vx::metrics {

namespace {

// cos(k w) and sin(k w) for k = 1..10 at every frequency of the grid, built once.
struct Harmonics {
  std::array<std::array<double, kLpcOrder>, kSpectrumPoints> cosine, sine;
};

const Harmonics& GridHarmonics() {
  static const Harmonics table = [] {
    Harmonics h;
    for (int k = 0; k < kSpectrumPoints; ++k) {
      const double w = std::numbers::pi * (k + 0.5) / kSpectrumPoints;
      for (int i = 0; i < kLpcOrder; ++i) {
        h.cosine[static_cast<size_t>(k)][static_cast<size_t>(i)] = std::cos(w * (i + 1));
        h.sine[static_cast<size_t>(k)][static_cast<size_t>(i)] = std::sin(w * (i + 1));
      }
    }
    return h;
  }();
  return table;
}

}  // namespace

std::array<double, kSpectrumPoints> LpcLogSpectrumDb(const LpcCoefficients& a) {
  const Harmonics& h = GridHarmonics();
  std::array<double, kSpectrumPoints> spectrum;
  for (size_t k = 0; k < spectrum.size(); ++k) {
    double re = 1.0, im = 0.0;
    for (size_t i = 0; i < a.size(); ++i) {
      re += a[i] * h.cosine[k][i];
      im -= a[i] * h.sine[k][i];
    }
    // A power below 1e-30 only occurs for a filter with a zero on the unit circle.
    spectrum[k] = -10.0 * std::log10(std::max(re * re + im * im, 1e-30));
  }
  return spectrum;
}

double LpcSpectralDistortionDb(const LpcCoefficients& reference, const LpcCoefficients& test) {
  const auto r = LpcLogSpectrumDb(reference);
  const auto t = LpcLogSpectrumDb(test);
  double sum = 0.0;
  for (size_t k = 0; k < r.size(); ++k) sum += (r[k] - t[k]) * (r[k] - t[k]);
  return std::sqrt(sum / kSpectrumPoints);
}

double LsfSpectralDistortionDb(const LsfVector& reference, const LsfVector& test) {
  return LpcSpectralDistortionDb(LsfToLpc(reference), LsfToLpc(test));
}

void DistortionSummary::Add(double distortionDb) {
  ++frames_;
  sum_ += distortionDb;
  if (distortionDb > 4.0)
    ++above4_;
  else if (distortionDb > 2.0)
    ++between2And4_;
}

void DistortionSummary::Merge(const DistortionSummary& other) {
  frames_ += other.frames_;
  sum_ += other.sum_;
  between2And4_ += other.between2And4_;
  above4_ += other.above4_;
}

double DistortionSummary::MeanDb() const {
  return frames_ ? sum_ / frames_ : 0.0;
}

double DistortionSummary::ShareBetween2And4() const {
  return frames_ ? static_cast<double>(between2And4_) / frames_ : 0.0;
}

double DistortionSummary::ShareAbove4() const {
  return frames_ ? static_cast<double>(above4_) / frames_ : 0.0;
}

}  // namespace vx::metrics
