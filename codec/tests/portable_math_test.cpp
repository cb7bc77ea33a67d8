// The portable functions against the C library's over the ranges the codec and the rate
// converter use them on: within a few units in the last place, at the points where the
// argument reduction and the polynomial pieces meet included.
#include "codec/portable_math.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <numbers>

namespace vx {
namespace {

struct Range {
  const char* name;
  std::function<double(double)> portable, library;
  double from, to;
};

TEST(PortableMathTest, AgreesWithTheLibraryToAFewUlps) {
  const double pi = std::numbers::pi;
  const Range ranges[] = {
      {"sin", PortableSin, [](double x) { return std::sin(x); }, -500.0, 500.0},
      {"sin near 0", PortableSin, [](double x) { return std::sin(x); }, -1e-3, 1e-3},
      {"cos", PortableCos, [](double x) { return std::cos(x); }, -4 * pi, 4 * pi},
      {"log10", PortableLog10, [](double x) { return std::log10(x); }, 1e-6, 1e9},
      {"pow10", PortablePow10, [](double y) { return std::pow(10.0, y); }, -30.0, 30.0},
  };
  constexpr int kPoints = 200000;
  for (const Range& range : ranges) {
    SCOPED_TRACE(range.name);
    double worst = 0.0;
    for (int i = 0; i <= kPoints; ++i) {
      const double x = range.from + (range.to - range.from) * i / kPoints;
      const double want = range.library(x);
      // Errors in units of the last place of the result, measured at least at 2^-30 so
      // that results near a zero of sin or cos are judged against the argument's scale.
      const double ulp = std::max(std::fabs(want), 0x1p-30 * std::max(1.0, std::fabs(x))) *
                         std::numeric_limits<double>::epsilon();
      worst = std::max(worst, std::fabs(range.portable(x) - want) / ulp);
    }
    EXPECT_LT(worst, 4.0);
  }
}

TEST(PortableMathTest, ExactAtTheCodecsLandmarks) {
  EXPECT_EQ(PortableCos(0.0), 1.0);
  EXPECT_EQ(PortableSin(0.0), 0.0);
  EXPECT_EQ(PortableLog10(1.0), 0.0);
  EXPECT_EQ(PortablePow10(0.0), 1.0);
  EXPECT_NEAR(PortableLog10(1000.0), 3.0, 1e-15);
  EXPECT_NEAR(PortableCos(std::numbers::pi), -1.0, 1e-16);
}

}  // namespace
}  // namespace vx
