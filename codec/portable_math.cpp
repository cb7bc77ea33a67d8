#include "codec/portable_math.h"

#include <cmath>

namespace vx {
namespace {

// pi/2 in three parts of 33 significant bits each: n * part is exact for n below 2^20, so
// the reduced argument keeps its accuracy over the whole allowed range.
constexpr double kPio2Part1 = 1.57079632673412561417e+00;
constexpr double kPio2Part2 = 6.07710050630396597660e-11;
constexpr double kPio2Part3 = 2.02226624871116645580e-21;
constexpr double kTwoOverPi = 6.36619772367581382433e-01;
// ln 2 in two parts; the first has 32 significant bits.
constexpr double kLn2High = 6.93147180369123816490e-01;
constexpr double kLn2Low = 1.90821492927058770002e-10;
constexpr double kInvLn2 = 1.44269504088896338700e+00;
// ln 10 as the nearest double and what remains of it.
constexpr double kLn10 = 2.30258509299404568402e+00;
constexpr double kLn10Low = -2.17075622338224935e-16;
constexpr double kInvLn10 = 4.34294481903251827651e-01;
constexpr double kSqrtHalf = 7.07106781186547524401e-01;

// Minimax polynomials of sin and cos on [-pi/4, pi/4].
constexpr double kSin[] = {-1.66666666666666324348e-01, 8.33333333332248946124e-03,
                           -1.98412698298579493134e-04, 2.75573137070700676789e-06,
                           -2.50507602534068634195e-08, 1.58969099521155010221e-10};
constexpr double kCos[] = {4.16666666666666019037e-02, -1.38888888888741095749e-03,
                           2.48015872894767294178e-05, -2.75573143513906633035e-07,
                           2.08757232129817482790e-09, -1.13596475577881948265e-11};

double SinKernel(double r) {
  const double z = r * r;
  const double p =
      kSin[0] + z * (kSin[1] + z * (kSin[2] + z * (kSin[3] + z * (kSin[4] + z * kSin[5]))));
  return r + r * z * p;
}

double CosKernel(double r) {
  const double z = r * r;
  const double p =
      kCos[0] + z * (kCos[1] + z * (kCos[2] + z * (kCos[3] + z * (kCos[4] + z * kCos[5]))));
  // 1 - z/2 rounded, plus what that rounding lost, plus the higher terms.
  const double half = 0.5 * z;
  const double w = 1.0 - half;
  return w + (((1.0 - w) - half) + z * z * p);
}

// x = n pi/2 + r with |r| <= pi/4; returns n mod 4.
int Reduce(double x, double& r) {
  const double n = std::floor(x * kTwoOverPi + 0.5);
  r = ((x - n * kPio2Part1) - n * kPio2Part2) - n * kPio2Part3;
  const long quadrant = static_cast<long>(n) % 4;
  return static_cast<int>(quadrant < 0 ? quadrant + 4 : quadrant);
}

// ln(x) for x > 0: x = m 2^k with m in [sqrt(1/2), sqrt(2)), ln m = 2 atanh(s) with
// s = (m - 1) / (m + 1), |s| < 0.172, summed until s^24 (below 1e-18 of the result).
double Ln(double x) {
  int k = 0;
  double m = std::frexp(x, &k);
  if (m < kSqrtHalf) {
    m *= 2.0;
    --k;
  }
  const double s = (m - 1.0) / (m + 1.0);
  const double s2 = s * s;
  double series = 0.0;
  for (int i = 23; i >= 3; i -= 2) series = (series + 1.0 / i) * s2;
  const double lnM = 2.0 * s + 2.0 * s * series;
  return k * kLn2High + (k * kLn2Low + lnM);
}

// The rounding error of a * b, exactly (Dekker's product over halves of 26 bits).
double ProductError(double a, double b, double product) {
  constexpr double kSplit = 134217729.0;  // 2^27 + 1
  const double ca = kSplit * a, cb = kSplit * b;
  const double aHigh = ca - (ca - a), aLow = a - aHigh;
  const double bHigh = cb - (cb - b), bLow = b - bHigh;
  return ((aHigh * bHigh - product) + aHigh * bLow + aLow * bHigh) + aLow * bLow;
}

// e^(x + tail) for a small tail: x = k ln 2 + r with |r| <= ln2/2, e^r by its Taylor series
// to r^14.
double Exp(double x, double tail) {
  const double k = std::floor(x * kInvLn2 + 0.5);
  const double r = ((x - k * kLn2High) - k * kLn2Low) + tail;
  double sum = 1.0;
  for (int n = 14; n >= 1; --n) sum = 1.0 + sum * r / n;
  return std::ldexp(sum, static_cast<int>(k));
}

// sin(quadrant pi/2 + r) for |r| <= pi/4.
double SinOfQuadrant(int quadrant, double r) {
  switch (quadrant) {
    case 0:
      return SinKernel(r);
    case 1:
      return CosKernel(r);
    case 2:
      return -SinKernel(r);
    default:
      return -CosKernel(r);
  }
}

}  // namespace

double PortableSin(double x) {
  double r = 0.0;
  const int quadrant = Reduce(x, r);
  return SinOfQuadrant(quadrant, r);
}

// cos(x) = sin(x + pi/2): one quadrant further on.
double PortableCos(double x) {
  double r = 0.0;
  const int quadrant = Reduce(x, r);
  return SinOfQuadrant((quadrant + 1) % 4, r);
}

double PortableLog10(double x) {
  return Ln(x) * kInvLn10;
}

double PortablePow10(double y) {
  // y ln 10 carried to twice a double's precision: its rounding error would otherwise grow
  // with y into tens of units in the last place of the result.
  const double x = y * kLn10;
  return Exp(x, ProductError(y, kLn10, x) + y * kLn10Low);
}

}  // namespace vx
