#include "codec/lsf.h"

#include <cmath>

#include "codec/portable_math.h"

namespace vx {

std::span<const LsfVector> LsfPredictorWeights(bool halfRate, int switchBit) {
  const size_t s = switchBit ? 1 : 0;
  if (halfRate) return kLsfPredictorHalf[s];
  return kLsfPredictorFull[s];
}

LsfVector LsfPastPrediction(std::span<const LsfVector> weights, const LsfHistory& history) {
  LsfVector past{};
  for (size_t j = 1; j < weights.size(); ++j) {
    for (size_t k = 0; k < past.size(); ++k) past[k] += weights[j][k] * history[j][k];
  }
  return past;
}

LsfVector LsfMaPrediction(std::span<const LsfVector> weights, const LsfHistory& history) {
  LsfVector lsf = LsfPastPrediction(weights, history);
  for (size_t k = 0; k < lsf.size(); ++k) lsf[k] = weights[0][k] * history[0][k] + lsf[k];
  return lsf;
}

void AgeLsfHistory(LsfHistory& history) {
  for (size_t j = history.size() - 1; j > 0; --j) history[j] = history[j - 1];
}

bool StabiliseLsf(LsfVector& lsf) {
  constexpr float kMinSpacing = 0.0095f;
  constexpr float kTargetSpacing = 0.01f;
  for (int pass = 0; pass < 4; ++pass) {
    bool moved = false;
    for (size_t k = 1; k < lsf.size(); ++k) {
      float spacing = lsf[k] - lsf[k - 1];
      if (spacing < kMinSpacing) {
        float half = (spacing - kTargetSpacing) / 2.0f;
        lsf[k] -= half;
        lsf[k - 1] += half;
        moved = true;
      }
    }
    if (!moved) return true;
  }
  lsf = kUniformLsf;
  return false;
}

void InterpolateLsfQuarters(const LsfVector& previous, const LsfVector& current,
                            std::array<LsfVector, 4>& quarters) {
  for (size_t k = 0; k < current.size(); ++k) {
    float step = (current[k] - previous[k]) / 4.0f;
    for (size_t q = 0; q < 3; ++q) quarters[q][k] = previous[k] + static_cast<float>(q + 1) * step;
    quarters[3][k] = current[k];
  }
}

LpcCoefficients LsfToLpc(const LsfVector& lsf) {
  // Products of the quadratic factors 1 - 2 cos(w) z^-1 + z^-2, degree 10 each.
  std::array<double, 11> p{}, q{};
  p[0] = q[0] = 1.0;
  for (int i = 0; i < 5; ++i) {
    const int degree = 2 * i;  // degree of the products so far
    const double cp = -2.0 * PortableCos(static_cast<double>(lsf[static_cast<size_t>(2 * i)]));
    const double cq = -2.0 * PortableCos(static_cast<double>(lsf[static_cast<size_t>(2 * i + 1)]));
    for (int n = degree + 2; n >= 1; --n) {
      const size_t u = static_cast<size_t>(n);
      p[u] += cp * p[u - 1] + (n >= 2 ? p[u - 2] : 0.0);
      q[u] += cq * q[u - 1] + (n >= 2 ? q[u - 2] : 0.0);
    }
  }
  LpcCoefficients a{};
  for (size_t i = 1; i <= a.size(); ++i)
    a[i - 1] = static_cast<float>(0.5 * ((p[i] + p[i - 1]) + (q[i] - q[i - 1])));
  return a;
}

}  // namespace vx
