#include "codec/adaptive_search.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>

#include "codec/correlation.h"
#include "codec/derived_tables.h"

namespace vx {

namespace {

constexpr int kMinSearchLag = 20;
constexpr int kMaxSearchLag = 142;
constexpr int kRangeWidth = 6;      // hi - lo
constexpr int kRelativeReach = 6;   // |T - P| a 5-bit word can code
constexpr int kLastFractionalLag = 84;
constexpr int kInterpolationReach = 3;  // neighbours of T read by the fraction interpolation

// Maps a fraction of -2..2 thirds at integer lag t to the coded lag (fraction -1..1).
PitchLag CodedLag(int t, int fraction) {
  if (fraction == -2) return {t - 1, 1};
  if (fraction == 2) return {t + 1, -1};
  return {t, fraction};
}

}  // namespace

PitchSearchRange PitchRange(int openLoopLag, bool relative, int previousLag) {
  PitchSearchRange range;
  range.lo = std::max(openLoopLag - 3, kMinSearchLag);
  range.hi = std::min(range.lo + kRangeWidth, kMaxSearchLag);
  if (!relative) return range;
  const int reachLo = std::max(previousLag - kRelativeReach, kMinSearchLag);
  const int reachHi = std::min(previousLag + kRelativeReach, kMaxSearchLag);
  range.lo = std::max(range.lo, reachLo);
  range.hi = std::min(range.hi, reachHi);
  if (range.lo > range.hi) {
    if (range.lo > reachHi) {
      range.hi = reachHi;
      range.lo = std::max(reachHi - kRangeWidth, reachLo);
    } else {
      range.lo = reachLo;
      range.hi = std::min(reachLo + kRangeWidth, reachHi);
    }
  }
  return range;
}

int32_t AbsolutePitchWord(PitchLag lag) {
  return lag.t0 <= 85 ? 3 * lag.t0 + lag.frac - 58 : lag.t0 + 112;
}

int32_t RelativePitchWord(PitchLag lag, int previousLag) {
  const int d = lag.t0 - previousLag;
  if (d > 4) return 16 + (d + 9);
  if (d < -4) return 16 - (-d + 9);
  return 3 * d + lag.frac + 16;
}

PitchChoice SearchPitchFullRate(std::span<const float, 40> x, std::span<const float, 40> h,
                                std::span<const float> excitation, size_t start,
                                int openLoopLag, bool relative, int previousLag) {
  constexpr int kLength = 40;
  const PitchSearchRange range = PitchRange(openLoopLag, relative, previousLag);
  std::array<float, kLength> d;
  BackwardFilter(x, h, d);

  // w[i] = excitation[start + i]: the past for i < 0, the prediction error for i >= 0.
  const float* w = excitation.data() + start;
  const int first = range.lo - kInterpolationReach;
  const int last = range.hi + kInterpolationReach;
  std::array<double, kMaxSearchLag + kInterpolationReach + 1> normalised{};

  // y_T = w[-T .. 39 - T] filtered by h[0..5]; from lag T to T + 1 it shifts by one sample
  // and takes in w[-T - 1].
  std::array<double, kLength> y{};
  for (int n = 0; n < kLength; ++n) {
    double sum = 0.0;
    for (int k = 0; k <= std::min(n, kHalfRateImpulseTaps - 1); ++k)
      sum += static_cast<double>(w[n - k - first]) * h[static_cast<size_t>(k)];
    y[static_cast<size_t>(n)] = sum;
  }
  for (int t = first; t <= last; ++t) {
    if (t > first) {
      const double incoming = w[-t];
      for (int n = kLength - 1; n > 0; --n) {
        double value = y[static_cast<size_t>(n - 1)];
        if (n < kHalfRateImpulseTaps) value += incoming * h[static_cast<size_t>(n)];
        y[static_cast<size_t>(n)] = value;
      }
      y[0] = incoming * h[0];
    }
    double correlation = 0.0, energy = 0.0;
    for (int n = 0; n < kLength; ++n) {
      correlation += static_cast<double>(d[static_cast<size_t>(n)]) * w[n - t];
      energy += y[static_cast<size_t>(n)] * y[static_cast<size_t>(n)];
    }
    normalised[static_cast<size_t>(t)] = energy <= 0.00001 ? 0.0 : correlation / std::sqrt(energy);
  }

  int best = range.lo;
  for (int t = range.lo + 1; t <= range.hi; ++t) {
    if (normalised[static_cast<size_t>(t)] > normalised[static_cast<size_t>(best)]) best = t;
  }

  int maxFraction = 0;
  if (!relative) {
    if (best <= kLastFractionalLag) maxFraction = 2;
  } else {
    const int distance = std::abs(best - previousLag);
    maxFraction = distance < 4 ? 2 : distance == 4 ? 1 : 0;
  }
  // The value at best + i/3: sum_{m=-2..3} N(base + m) sinc((phase/3 - m) pi), base = best and
  // phase = i for i > 0, base = best - 1 and phase = i + 3 for i < 0.
  const PitchInterpolationTable& sinc = PitchInterpolationVersion1();
  auto interpolated = [&](int fraction) {
    if (fraction == 0) return normalised[static_cast<size_t>(best)];
    const int base = fraction < 0 ? best - 1 : best;
    const auto& row = sinc[static_cast<size_t>(fraction < 0 ? fraction + 3 : fraction)];
    double sum = 0.0;
    for (int m = -2; m <= 3; ++m)
      sum += normalised[static_cast<size_t>(base + m)] * row[static_cast<size_t>(4 - m)];
    return sum;
  };
  int fraction = -maxFraction;
  double bestValue = interpolated(fraction);
  for (int i = -maxFraction + 1; i <= maxFraction; ++i) {
    const double value = interpolated(i);
    if (value > bestValue) {
      bestValue = value;
      fraction = i;
    }
  }

  PitchChoice choice;
  choice.lag = CodedLag(best, fraction);
  choice.word = relative ? RelativePitchWord(choice.lag, previousLag)
                         : AbsolutePitchWord(choice.lag);
  return choice;
}

PitchChoice SearchPitchHalfRate(std::span<const float, 80> x,
                                std::span<const float, kHalfRateImpulseTaps> h,
                                std::span<const float> excitation, size_t start, int openLoopLag,
                                const PitchInterpolationTable& rows) {
  constexpr size_t kLength = 80;
  const PitchSearchRange range = PitchRange(openLoopLag, false, 0);
  std::array<float, kLength> d;
  BackwardFilter(x, h, d);

  std::array<float, kLength> v, y;
  auto score = [&](PitchLag lag) {
    AdaptiveVector(excitation, start, v, lag, rows);
    Convolve(v, h, y);
    const double correlation = Dot(d, v);
    return correlation * correlation / (static_cast<double>(Dot(y, y)) + 0.00001);
  };
  int best = range.lo;
  double bestScore = score({best, 0});
  for (int t = range.lo + 1; t <= range.hi; ++t) {
    const double s = score({t, 0});
    if (s > bestScore) {
      bestScore = s;
      best = t;
    }
  }
  int fraction = 0;
  if (best <= kLastFractionalLag) {
    for (int i : {-2, -1, 1, 2}) {
      const double s = score(CodedLag(best, i));
      if (s > bestScore) {
        bestScore = s;
        fraction = i;
      }
    }
  }
  PitchChoice choice;
  choice.lag = CodedLag(best, fraction);
  choice.word = AbsolutePitchWord(choice.lag);
  return choice;
}

}  // namespace vx
