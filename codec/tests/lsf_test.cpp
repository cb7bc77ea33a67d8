#include "codec/lsf.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "codec/lsf_decoder.h"
#include "codec/status.h"
#include "codec/trained_tables.h"

namespace vx {
namespace {

LsfVector Spaced(float start, float step) {
  LsfVector v{};
  for (size_t k = 0; k < v.size(); ++k) v[k] = start + step * static_cast<float>(k);
  return v;
}

TEST(LsfStabilityTest, PushesClosePairsToTheMinimumSpacing) {
  LsfVector lsf = Spaced(0.3f, 0.25f);
  lsf[4] = lsf[3] + 0.009f;
  const float mid = (lsf[3] + lsf[4]) / 2;
  EXPECT_TRUE(StabiliseLsf(lsf));
  EXPECT_NEAR(lsf[4] - lsf[3], 0.01f, 1e-6f);
  EXPECT_NEAR((lsf[3] + lsf[4]) / 2, mid, 1e-6f);
}

TEST(LsfStabilityTest, LeavesASpacingOf0Point0095Alone) {
  LsfVector lsf = Spaced(0.3f, 0.25f);
  lsf[6] = lsf[5] + 0.0095f;
  while (lsf[6] - lsf[5] < 0.0095f) lsf[6] = std::nextafter(lsf[6], 4.0f);
  const LsfVector before = lsf;
  EXPECT_TRUE(StabiliseLsf(lsf));
  EXPECT_EQ(lsf, before);
}

TEST(LsfStabilityTest, FallsBackToTheUniformSetAfterFourPasses) {
  // Ten equal values need more than four passes to spread.
  LsfVector lsf;
  lsf.fill(1.0f);
  EXPECT_FALSE(StabiliseLsf(lsf));
  EXPECT_EQ(lsf, kUniformLsf);
  // Two equal pairs settle within the passes.
  LsfVector two = Spaced(0.3f, 0.25f);
  two[2] = two[1];
  two[8] = two[7];
  EXPECT_TRUE(StabiliseLsf(two));
  for (size_t k = 1; k < two.size(); ++k) EXPECT_GE(two[k] - two[k - 1], 0.0095f);
}

TEST(LsfToLpcTest, UniformSetGivesTheFlatFilter) {
  const LpcCoefficients a = LsfToLpc(kUniformLsf);
  for (float c : a) EXPECT_NEAR(c, 0.0f, 1e-6f);
}

// Every ascending set inside (0, pi) must give a minimum-phase A(z): all reflection
// coefficients of the step-down recursion inside (-1, 1).
TEST(LsfToLpcTest, AscendingSetsGiveStableFilters) {
  const unsigned seed = std::random_device{}();
  SCOPED_TRACE(testing::Message() << "seed " << seed);
  std::mt19937 random(seed);
  std::uniform_real_distribution<double> gap(0.04, 0.45);
  for (int round = 0; round < 500; ++round) {
    // Ascending sets spread over the band as speech LSFs are, the last between 2.4 and 3.0 rad
    // (sets squeezed into the low band have coefficients too large for float precision).
    std::array<double, 10> w;
    w[0] = gap(random);
    for (size_t k = 1; k < w.size(); ++k) w[k] = w[k - 1] + gap(random);
    const double scale = std::uniform_real_distribution<double>(2.4, 3.0)(random) / w[9];
    LsfVector lsf;
    for (size_t k = 0; k < 10; ++k) lsf[k] = static_cast<float>(w[k] * scale);
    const LpcCoefficients a = LsfToLpc(lsf);
    std::array<double, 11> c{};
    c[0] = 1;
    for (size_t i = 0; i < 10; ++i) c[i + 1] = a[i];
    for (int i = 10; i >= 1; --i) {
      const double k = -c[static_cast<size_t>(i)];
      ASSERT_LT(std::abs(k), 1.0) << "order " << i;
      std::array<double, 11> lower = c;
      for (int j = 1; j < i; ++j)
        lower[static_cast<size_t>(j)] =
            (c[static_cast<size_t>(j)] + k * c[static_cast<size_t>(i - j)]) / (1 - k * k);
      c = lower;
    }
  }
}

TEST(LsfToLpcTest, SinglePairPlacesTheResonance) {
  // Moving LSFs 1 and 2 together around 0.6 rad makes A(e^jw) small near 0.6 rad.
  LsfVector lsf = kUniformLsf;
  lsf[0] = 0.58f;
  lsf[1] = 0.62f;
  const LpcCoefficients a = LsfToLpc(lsf);
  auto magnitude = [&](double w) {
    double re = 1, im = 0;
    for (int i = 1; i <= 10; ++i) {
      re += a[static_cast<size_t>(i - 1)] * std::cos(i * w);
      im -= a[static_cast<size_t>(i - 1)] * std::sin(i * w);
    }
    return std::hypot(re, im);
  };
  EXPECT_LT(magnitude(0.6), 0.2 * magnitude(1.5));
}

TEST(LsfInterpolationTest, QuartersStepFromPreviousToCurrent) {
  const LsfVector p = Spaced(0.2f, 0.25f), c = Spaced(0.4f, 0.26f);
  std::array<LsfVector, 4> q;
  InterpolateLsfQuarters(p, c, q);
  for (size_t k = 0; k < 10; ++k) {
    for (size_t i = 0; i < 3; ++i)
      EXPECT_NEAR(q[i][k], p[k] + (c[k] - p[k]) * static_cast<float>(i + 1) / 4, 1e-6f);
    EXPECT_EQ(q[3][k], c[k]);
  }
}

TEST(LsfPredictionTest, FullPredictorOfAConstantHistoryIsThatVector) {
  LsfHistory h;
  h.fill(Spaced(0.3f, 0.25f));
  for (int s = 0; s < 2; ++s) {
    const LsfVector w = LsfMaPrediction(LsfPredictorWeights(false, s), h);
    for (size_t k = 0; k < 10; ++k)  // The stored weights sum to 1 within their five decimals.
      EXPECT_NEAR(w[k], h[0][k], 5e-5f) << s << " " << k;
  }
  // The half predictor's weights sum to more than 1.
  const LsfVector half = LsfMaPrediction(LsfPredictorWeights(true, 0), h);
  EXPECT_GT(half[0], 1.3f * h[0][0]);
  EXPECT_EQ(LsfPredictorWeights(true, 1).size(), 3u);
  EXPECT_EQ(LsfPredictorWeights(false, 1).size(), 4u);
}

// --- LSF word decoding ---

uint32_t FullWord(int sw, int stage1, std::array<int, 5> splits) {
  uint32_t w = static_cast<uint32_t>(sw) << 25 | static_cast<uint32_t>(stage1) << 20;
  for (size_t s = 0; s < 5; ++s) w |= static_cast<uint32_t>(splits[s]) << (16 - 4 * s);
  return w;
}

LsfVector Expected(const LsfVector& code, std::span<const LsfVector> weights, LsfHistory h) {
  h[0] = code;
  LsfVector w = LsfMaPrediction(weights, h);
  StabiliseLsf(w);
  return w;
}

TEST(LsfDecoderTest, FullRateWordFieldsAndPrediction) {
  LsfDecoderState state;
  ResetLsfDecoderState(state);
  const std::array<int, 5> splits = {3, 14, 0, 9, 15};
  LsfVector code = kLsfStage1Full[21];
  for (size_t s = 0; s < 5; ++s) {
    code[2 * s] += kLsfStage2Full[s][static_cast<size_t>(splits[s])][0];
    code[2 * s + 1] += kLsfStage2Full[s][static_cast<size_t>(splits[s])][1];
  }
  const LsfHistory before = state.history;
  LsfVector lsf;
  ASSERT_EQ(DecodeLsf(state, static_cast<int32_t>(FullWord(1, 21, splits)), FrameType::kFullRate,
                      false, lsf),
            kCodecOk);
  EXPECT_EQ(lsf, Expected(code, kLsfPredictorFull[1], before));
  EXPECT_EQ(state.decoded, lsf);
  EXPECT_EQ(state.previousSwitch, 1);
  EXPECT_EQ(state.history[1], code);
  EXPECT_EQ(state.history[2], before[1]);
}

TEST(LsfDecoderTest, HalfRateSplitsOwnTheirColumns) {
  LsfDecoderState state;
  ResetLsfDecoderState(state);
  // Split 1 (bits 12-15) = 5 on columns 1-2, split 2 = 6 on 3-4, split 3 = 7 on 5-7,
  // split 4 (bits 0-3) = 8 on 8-10.
  const uint32_t word = 1u << 21 | 30u << 16 | 5u << 12 | 6u << 8 | 7u << 4 | 8u;
  LsfVector code = kLsfStage1Half[30];
  const size_t rowOfColumn[10] = {5, 5, 6, 6, 7, 7, 7, 8, 8, 8};
  for (size_t k = 0; k < 10; ++k) code[k] += kLsfStage2Half[rowOfColumn[k]][k];
  const LsfHistory before = state.history;
  LsfVector lsf;
  ASSERT_EQ(DecodeLsf(state, static_cast<int32_t>(word), FrameType::kHalfRate, false, lsf),
            kCodecOk);
  EXPECT_EQ(lsf, Expected(code, kLsfPredictorHalf[1], before));
  EXPECT_EQ(state.previousType, FrameType::kHalfRate);
}

TEST(LsfDecoderTest, NoiseWordUsesTheFirstStageAlone) {
  LsfDecoderState state;
  ResetLsfDecoderState(state);
  const LsfHistory before = state.history;
  LsfVector lsf;
  ASSERT_EQ(DecodeLsf(state, 1 << 5 | 17, FrameType::kNoise, false, lsf), kCodecOk);
  EXPECT_EQ(lsf, Expected(kLsfStage1Full[17], kLsfPredictorFull[1], before));
  EXPECT_EQ(state.history[1], kLsfStage1Full[17]);
  // A word wider than its field changes nothing.
  const LsfDecoderState kept = state;
  EXPECT_EQ(DecodeLsf(state, 1 << 6, FrameType::kNoise, false, lsf), kCodecValueOutOfRange);
  EXPECT_EQ(lsf, kUniformLsf);
  EXPECT_EQ(state.history, kept.history);
  EXPECT_EQ(state.decoded, kept.decoded);
}

TEST(LsfDecoderTest, ConcealmentRepeatsTheLastSetAndBacksOutItsCodeVector) {
  LsfDecoderState state;
  ResetLsfDecoderState(state);
  LsfVector lsf;
  DecodeLsf(state, static_cast<int32_t>(FullWord(0, 4, {1, 2, 3, 4, 5})), FrameType::kFullRate,
            false, lsf);
  DecodeLsf(state, 0x2ABCDE, FrameType::kHalfRate, false, lsf);
  const LsfDecoderState before = state;
  LsfVector concealed;
  ASSERT_EQ(DecodeLsf(state, 0x3FFFFFF, FrameType::kFullRate, true, concealed), kCodecOk);
  EXPECT_EQ(concealed, before.decoded);
  EXPECT_EQ(state.decoded, before.decoded);
  EXPECT_EQ(state.previousType, FrameType::kHalfRate);
  // The backed-out code vector, predicted with the previous frame's (half-rate) predictor,
  // reproduces the repeated set.
  LsfHistory h = before.history;
  h[0] = state.history[1];
  const LsfVector again = LsfMaPrediction(LsfPredictorWeights(true, before.previousSwitch), h);
  for (size_t k = 0; k < 10; ++k) EXPECT_NEAR(again[k], before.decoded[k], 1e-5f);
  EXPECT_EQ(state.history[2], before.history[1]);
}

TEST(LsfDecoderTest, ConcealmentRightAfterResetRepeatsTheUniformSet) {
  LsfDecoderState state;
  ResetLsfDecoderState(state);
  LsfVector lsf;
  DecodeLsf(state, 0, FrameType::kNoise, true, lsf);
  EXPECT_EQ(lsf, kUniformLsf);
  for (size_t k = 0; k < 10; ++k) EXPECT_NEAR(state.history[1][k], kUniformLsf[k], 1e-4f);
}

TEST(LsfDecoderTest, QuarterSetsInterpolateFromThePreviousFrame) {
  LsfDecoderState state;
  ResetLsfDecoderState(state);
  LsfVector lsf = Spaced(0.25f, 0.27f);
  std::array<LpcCoefficients, 4> lpc;
  QuarterLpcSets(state, lsf, lpc);
  std::array<LsfVector, 4> q;
  InterpolateLsfQuarters(kUniformLsf, lsf, q);
  for (size_t i = 0; i < 4; ++i) EXPECT_EQ(lpc[i], LsfToLpc(q[i]));
  EXPECT_EQ(state.previous, lsf);
}

}  // namespace
}  // namespace vx
