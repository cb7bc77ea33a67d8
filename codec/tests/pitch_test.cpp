#include "codec/pitch.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "codec/derived_tables.h"
#include "codec/status.h"

namespace vx {
namespace {

TEST(PitchWordTest, AbsoluteWords) {
  struct Case {
    int word, t0, frac;
  };
  const Case cases[] = {{0, 19, 1},   {1, 20, -1},  {2, 20, 0},    {3, 20, 1},    {196, 85, -1},
                        {197, 85, 0}, {198, 86, 0}, {255, 143, 0}, {100, 53, -1}, {101, 53, 0}};
  for (const Case& c : cases) {
    int previous = 77;
    PitchLag lag;
    EXPECT_EQ(DecodePitchWord(c.word, false, false, previous, lag), kCodecOk) << c.word;
    EXPECT_EQ(lag.t0, c.t0) << c.word;
    EXPECT_EQ(lag.frac, c.frac) << c.word;
    EXPECT_EQ(previous, c.t0);
  }
}

TEST(PitchWordTest, RelativeWords) {
  struct Case {
    int word, dt0, frac;  // delay = previous + dt0 + frac / 3
  };
  const Case cases[] = {{16, 0, 0},  {17, 0, 1}, {18, 1, -1}, {15, 0, -1}, {14, -1, 1}, {29, 4, 1},
                        {3, -4, -1}, {30, 5, 0}, {31, 6, 0},  {2, -5, 0},  {1, -6, 0},  {0, -7, 0}};
  for (const Case& c : cases) {
    int previous = 60;
    PitchLag lag;
    EXPECT_EQ(DecodePitchWord(c.word, true, false, previous, lag), kCodecOk) << c.word;
    EXPECT_EQ(3 * lag.t0 + lag.frac, 3 * (60 + c.dt0) + c.frac) << c.word;
    EXPECT_EQ(lag.t0, 60 + c.dt0) << c.word;
  }
}

TEST(PitchWordTest, LagsOutside19To143AreErrors) {
  struct Case {
    int previous, word;
    bool relative, bad;
  };
  const Case cases[] = {
      {140, 31, true, false},  // 146
      {22, 0, true, false},    // 15
      {0, 16, true, false},    // previous lag 0 after noise or an error
      {0, 0, false, true},     // concealment repeating lag 0
      {50, 256, false, false}, {50, -1, false, false}, {50, 32, true, false},
  };
  for (const Case& c : cases) {
    int previous = c.previous;
    PitchLag lag{5, 1};
    EXPECT_EQ(DecodePitchWord(c.word, c.relative, c.bad, previous, lag), kCodecValueOutOfRange)
        << c.previous << " " << c.word;
    EXPECT_EQ(lag.t0, 0);
    EXPECT_EQ(lag.frac, 0);
    EXPECT_EQ(previous, 0);
  }
}

TEST(PitchWordTest, BadFrameRepeatsThePreviousLag) {
  int previous = 91;
  PitchLag lag;
  EXPECT_EQ(DecodePitchWord(3, true, true, previous, lag), kCodecOk);
  EXPECT_EQ(lag.t0, 91);
  EXPECT_EQ(lag.frac, 0);
}

// Excitation history with a recognisable past: x[-i] = i.
struct History {
  std::vector<float> samples = std::vector<float>(kExcitationPast + 80, 0.0f);
  History() {
    for (int i = 1; i <= kExcitationPast; ++i)
      samples[static_cast<size_t>(kExcitationPast - i)] = static_cast<float>(i);
  }
  float Past(int i) const { return samples[static_cast<size_t>(kExcitationPast + i)]; }
};

TEST(AdaptiveVectorTest, IntegerLagCopiesAndRepeatsThePast) {
  History h;
  std::vector<float> v(40);
  AdaptiveVector(h.samples, kExcitationPast, v, {25, 0}, kPitchInterpolationVersion2);
  for (int n = 0; n < 40; ++n) EXPECT_EQ(v[static_cast<size_t>(n)], h.Past(n % 25 - 25)) << n;
}

TEST(AdaptiveVectorTest, InPlaceEqualsSeparateOutput) {
  for (PitchLag lag : {PitchLag{20, 0}, PitchLag{20, 1}, PitchLag{20, -1}, PitchLag{33, 1},
                       PitchLag{143, 1}, PitchLag{19, 1}}) {
    History a, b;
    std::vector<float> v(80);
    AdaptiveVector(a.samples, kExcitationPast, v, lag, kPitchInterpolationVersion2);
    std::span<float> inPlace(b.samples.data() + kExcitationPast, 80);
    AdaptiveVector(b.samples, kExcitationPast, inPlace, lag, kPitchInterpolationVersion2);
    for (size_t n = 0; n < 80; ++n) EXPECT_EQ(v[n], inPlace[n]) << lag.t0 << "/" << lag.frac;
  }
}

// Delay T0 + f/3: sample n is the past interpolated around n - T0 - f/3 with nine taps. For
// version 2 the taps are the committed rows; for version 1 they are sin(x)/x at the tap's
// distance from the read position, computed here in double precision.
TEST(AdaptiveVectorTest, FractionalLagInterpolatesThePast) {
  for (int version : {1, 2}) {
    for (int frac : {-1, 1}) {
      History h;
      std::vector<float> v(40);
      const int t0 = 50;
      AdaptiveVector(h.samples, kExcitationPast, v, {t0, frac}, PitchInterpolationRows(version));
      // f = +1 reads at r + 2/3 with r = n - T0 - 1 (phase 2); f = -1 at r + 1/3, r = n - T0.
      const int phase = frac > 0 ? 2 : 1;
      for (int n = 0; n < 40; ++n) {
        const int r = frac > 0 ? n - t0 - 1 : n - t0;
        double expected = 0.0;
        for (int m = -4; m <= 4; ++m) {
          const double x = M_PI * (m + phase / 3.0);
          const double tap = version == 1 ? std::sin(x) / x
                                          : kPitchInterpolationVersion2[static_cast<size_t>(phase)]
                                                                       [static_cast<size_t>(m + 4)];
          expected += tap * h.Past(r - m);
        }
        EXPECT_NEAR(v[static_cast<size_t>(n)], expected, 2e-3)
            << "version " << version << ", f " << frac << ", n " << n;
      }
    }
  }
}

TEST(AdaptiveVectorTest, ShortFractionalLagRepeatsThePastPeriodically) {
  // With T0 + f/3 shorter than the subframe the read position steps back by one delay each
  // time it reaches the subframe: v[n] equals the interpolated past at n - 2 (T0 + f/3).
  const PitchInterpolationTable& rows = kPitchInterpolationVersion2;
  History h;
  std::vector<float> v(40);
  AdaptiveVector(h.samples, kExcitationPast, v, {20, 1}, rows);  // delay 20 1/3 (61 thirds)
  // n = 21: position 21 - 2 * 61/3 = -19 2/3: r = -20, phase 1/3... row 1.
  float expected = 0.0f;
  for (int m = -4; m <= 4; ++m) expected += rows[1][static_cast<size_t>(m + 4)] * h.Past(-20 - m);
  EXPECT_FLOAT_EQ(v[21], expected);
}

TEST(AdaptiveVectorTest, LongestDelayReadsTheOldestPastSample) {
  // Delay 143 1/3: the first sample's window reaches x[-148].
  History h;
  std::vector<float> v(40);
  AdaptiveVector(h.samples, kExcitationPast, v, {143, 1}, kPitchInterpolationVersion2);
  History changed;
  changed.samples[0] += 1000.0f;  // x[-148]
  std::vector<float> w(40);
  AdaptiveVector(changed.samples, kExcitationPast, w, {143, 1}, kPitchInterpolationVersion2);
  EXPECT_FLOAT_EQ(w[0] - v[0], 1000.0f * kPitchInterpolationVersion2[2][8]);
  for (size_t n = 1; n < 40; ++n) EXPECT_EQ(w[n], v[n]) << n;
}

TEST(PitchInterpolationTest, VersionOneRowsAreComputedSincValues) {
  const PitchInterpolationTable& v1 = PitchInterpolationRows(1);
  EXPECT_EQ(&PitchInterpolationRows(2), &kPitchInterpolationVersion2);
  EXPECT_EQ(&PitchInterpolationRows(0), &kPitchInterpolationVersion2);
  for (size_t i = 0; i < 9; ++i) {
    EXPECT_EQ(v1[0][i], i == 4 ? 1.0f : 0.0f);
    EXPECT_EQ(kPitchInterpolationVersion2[0][i], i == 4 ? 1.0f : 0.0f);
  }
  EXPECT_NEAR(v1[1][4], std::sin(M_PI / 3) / (M_PI / 3), 1e-6);    // 0.826993
  EXPECT_NEAR(v1[2][3], std::sin(-M_PI / 3) / (-M_PI / 3), 1e-6);  // tap -1 of row 2
  EXPECT_NEAR(v1[1][5], std::sin(4 * M_PI / 3) / (4 * M_PI / 3), 1e-6);
  // The fine (fifth-sample) rows of the postfilter follow the same rule.
  const FineInterpolationTable& fine = FineInterpolationRows();
  EXPECT_NEAR(fine[1][4], std::sin(M_PI / 5) / (M_PI / 5), 1e-6);
  EXPECT_NEAR(fine[4][3], std::sin(4 * M_PI / 5 - M_PI) / (4 * M_PI / 5 - M_PI), 1e-6);
  EXPECT_EQ(fine[0][4], 1.0f);
  EXPECT_EQ(fine[0][3], 0.0f);
}

TEST(SharpeningTest, IntegerSharpeningIsRecursive) {
  std::vector<float> c(40, 0.0f);
  c[2] = 1.0f;
  SharpenPulses(c, 15, 0.5f);
  EXPECT_EQ(c[2], 1.0f);
  EXPECT_EQ(c[17], 0.5f);
  EXPECT_EQ(c[32], 0.25f);  // fed by the updated c[17]
  std::vector<float> d(40, 1.0f);
  SharpenPulses(d, 40, 0.8f);
  EXPECT_EQ(d, std::vector<float>(40, 1.0f));
}

TEST(SharpeningTest, FractionalSharpeningUsesTheMirroredRow) {
  const PitchInterpolationTable& rows = kPitchInterpolationVersion2;
  // Delay 30 1/3: T = 30, phase 1, row 2; c[n] += g sum_j R2[j] c[n - 31 - j].
  std::vector<float> c(80, 0.0f);
  c[0] = 1.0f;
  SharpenPulsesFractional(c, {30, 1}, 0.5f, rows);
  for (int j = -4; j <= 3; ++j)
    EXPECT_FLOAT_EQ(c[static_cast<size_t>(31 + j)], 0.5f * rows[2][static_cast<size_t>(j + 4)])
        << j;
  EXPECT_EQ(c[35], 0.0f) << "tap +4 is not used";
  // Delay 29 2/3 (30, -1): T = 29, phase 2, row 1.
  std::vector<float> d(80, 0.0f);
  d[0] = 1.0f;
  SharpenPulsesFractional(d, {30, -1}, 0.5f, rows);
  EXPECT_FLOAT_EQ(d[30], 0.5f * rows[1][4]);
  // Whole delays fall back to the integer rule.
  std::vector<float> e(80, 0.0f), f(80, 0.0f);
  e[3] = f[3] = 1.0f;
  SharpenPulsesFractional(e, {40, 0}, 0.7f, rows);
  SharpenPulses(f, 40, 0.7f);
  EXPECT_EQ(e, f);
}

}  // namespace
}  // namespace vx
