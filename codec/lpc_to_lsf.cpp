#include "codec/lpc_to_lsf.h"

#include <array>
#include <cmath>
#include <numbers>

#include "codec/portable_math.h"

namespace vx {

namespace {

constexpr int kGridSize = 256;
constexpr int kPolynomialDegree = 5;

// cos(k pi / 128) for k = 0..255: a full turn, read at (m g) mod 256 for cos(m w).
const std::array<double, kGridSize>& CosineGrid() {
  static const std::array<double, kGridSize> grid = [] {
    std::array<double, kGridSize> g{};
    for (int k = 0; k < kGridSize; ++k)
      g[static_cast<size_t>(k)] = PortableCos(k * std::numbers::pi / 128.0);
    return g;
  }();
  return grid;
}

// C(w) = cos 5w + c1 cos 4w + c2 cos 3w + c3 cos 2w + c4 cos w + c5 / 2 at w = g pi / 128.
double Evaluate(const std::array<double, kPolynomialDegree + 1>& c, int g) {
  const std::array<double, kGridSize>& grid = CosineGrid();
  auto cosine = [&](int m) { return grid[static_cast<size_t>((m * g) % kGridSize)]; };
  return cosine(5) + c[1] * cosine(4) + c[2] * cosine(3) + c[3] * cosine(2) + c[4] * cosine(1) +
         c[5] / 2.0;
}

}  // namespace

bool LpcToLsf(const LpcCoefficients& a, LsfVector& lsf) {
  // p_k = a_k + a_(11-k) - p_(k-1), q_k = a_k - a_(11-k) + q_(k-1), p_0 = q_0 = 1.
  std::array<std::array<double, kPolynomialDegree + 1>, 2> poly{};
  poly[0][0] = poly[1][0] = 1.0;
  for (size_t k = 1; k <= kPolynomialDegree; ++k) {
    const double ak = a[k - 1], aMirror = a[kLpcOrder - k];
    poly[0][k] = ak + aMirror - poly[0][k - 1];
    poly[1][k] = ak - aMirror + poly[1][k - 1];
  }

  // Roots in counts of 1/256 grid step: [0] of the sum polynomial, [1] of the difference.
  std::array<std::array<double, kPolynomialDegree>, 2> roots{};
  std::array<double, 2> previous = {100.0, 100.0};  // last value each polynomial produced
  int g = 0;
  for (int r = 0; r < 2 * kPolynomialDegree; ++r) {
    const size_t which = static_cast<size_t>(r % 2);
    for (;;) {
      if (g >= kGridSize) return false;
      const double value = Evaluate(poly[which], g);
      const double before = previous[which];
      previous[which] = value;
      if (value * before < 0.0) {
        const double root = g - value / (value - before);
        roots[which][static_cast<size_t>(r / 2)] = std::trunc(root * 256.0);
        break;
      }
      ++g;
    }
  }

  LsfVector out{};
  constexpr double kRadiansPerCount = std::numbers::pi / 32768.0;
  for (size_t j = 0; j < kPolynomialDegree; ++j) {
    double sum = roots[0][j];
    const double difference = roots[1][j];
    if (difference < sum) sum = difference - 0.5;
    out[2 * j] = static_cast<float>(sum * kRadiansPerCount);
    out[2 * j + 1] = static_cast<float>(difference * kRadiansPerCount);
  }
  lsf = out;
  return true;
}

}  // namespace vx
