#include "codec/lpc_analysis.h"

#include <cmath>
#include <numbers>

#include "codec/lpc_to_lsf.h"
#include "codec/lsf.h"
#include "codec/portable_math.h"

namespace vx {

namespace {

constexpr std::array<float, kLpcOrder> kLagWindow = {
    0.99879003f, 0.99546897f, 0.98995799f, 0.98229402f, 0.97252601f,
    0.96072000f, 0.94695199f, 0.93131202f, 0.91389799f, 0.89481997f,
};

}  // namespace

const std::array<float, kLpcWindowLength>& LpcWindow() {
  static const std::array<float, kLpcWindowLength> window = [] {
    std::array<float, kLpcWindowLength> w{};
    for (int n = 0; n < kLpcWindowLength; ++n) {
      w[static_cast<size_t>(n)] = static_cast<float>(
          0.54 - 0.46 * PortableCos(2.0 * std::numbers::pi * (n + 0.5) / kLpcWindowLength));
    }
    return w;
  }();
  return window;
}

std::array<float, kLpcOrder + 1> WindowedAutocorrelation(
    std::span<const float, kLpcWindowLength> speech) {
  const std::array<float, kLpcWindowLength>& window = LpcWindow();
  std::array<float, kLpcWindowLength> x;
  for (size_t n = 0; n < x.size(); ++n) x[n] = speech[n] * window[n];
  std::array<double, kLpcOrder + 1> R{};
  for (size_t k = 0; k <= kLpcOrder; ++k) {
    double sum = 0.0;
    for (size_t n = k; n < x.size(); ++n) sum += static_cast<double>(x[n]) * x[n - k];
    R[k] = sum;
  }
  std::array<float, kLpcOrder + 1> r{};
  if (R[0] == 0.0) return r;
  r[0] = 1.0f;
  for (size_t k = 1; k <= kLpcOrder; ++k)
    r[k] = static_cast<float>(R[k] / R[0]) * kLagWindow[k - 1];
  return r;
}

LpcCoefficients LevinsonDurbin(const std::array<float, kLpcOrder + 1>& r) {
  // a[0] = 1 is implied; a[j] holds a_j.
  std::array<double, kLpcOrder + 1> a{};
  a[1] = -static_cast<double>(r[1]);
  double error = 1.0 - static_cast<double>(r[1]) * r[1];
  for (size_t m = 2; m <= kLpcOrder && error > 0.0; ++m) {
    double sum = r[m];
    for (size_t j = 1; j < m; ++j) sum += a[j] * r[m - j];
    const double k = sum / error;
    // a_j <- a_j - k a_(m-j), pairwise from both ends so that both use the old values.
    for (size_t j = 1; j <= m / 2; ++j) {
      const double low = a[j], high = a[m - j];
      a[j] = low - k * high;
      if (j != m - j) a[m - j] = high - k * low;
    }
    a[m] = -k;
    error *= (1.0 + k) * (1.0 - k);
  }
  LpcCoefficients out{};
  for (size_t j = 1; j <= kLpcOrder; ++j) out[j - 1] = static_cast<float>(a[j]);
  return out;
}

LpcAnalysisPair AnalyseLpc(std::span<const float, kLpcWindowLength> speech,
                           LsfVector& previousLsf) {
  LpcAnalysisPair pair;
  pair.lpc[1] = LevinsonDurbin(WindowedAutocorrelation(speech));
  if (!LpcToLsf(pair.lpc[1], pair.lsf[1])) {
    pair.lsf[1] = previousLsf;
    pair.lpc[1] = LsfToLpc(pair.lsf[1]);
  }
  for (size_t k = 0; k < kLpcOrder; ++k) pair.lsf[0][k] = 0.5f * (previousLsf[k] + pair.lsf[1][k]);
  pair.lpc[0] = LsfToLpc(pair.lsf[0]);
  previousLsf = pair.lsf[1];
  return pair;
}

}  // namespace vx
