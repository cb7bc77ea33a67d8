#include "codec/gains.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "codec/status.h"
#include "codec/tables.h"

namespace vx {
namespace {

// Known answers worked out by hand from the level formula: with the history -3, 1.5, 6, -14 dB
// the predicted level is 34.21 dB at full rate and 31.738656 dB at half rate; a codevector of
// energy 5 over 40 samples has 10 log10(5.01 / 40) = -9.022223 dB, one of energy 1 over 80
// samples 10 log10(1.01 / 80) = -18.987686 dB; the factor is 10^((level - energy) / 20).
TEST(PredictedGainTest, FollowsTheLevelFormula) {
  const GainHistory history = {-3.0f, 1.5f, 6.0f, -14.0f};
  std::vector<float> c(40, 0.0f);
  c[3] = 1.0f;
  c[20] = -2.0f;
  EXPECT_NEAR(PredictedGainFactor(c, history, false), 145.08120, 2e-3);
  std::vector<float> c80(80, 0.0f);
  c80[0] = 1.0f;
  EXPECT_NEAR(PredictedGainFactor(c80, history, true), 343.80889, 5e-3);
}

TEST(SpeechGainWordTest, MapsTheWordThroughBothBooks) {
  struct Case {
    int word;
    bool half;
    int a, b;
  };
  const Case cases[] = {
      {0, false, 5, 2}, {127, false, 3, 8}, {0x35, true, 4, 15}, {0x5B, false, 0, 9}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.word);
    std::vector<float> code(c.half ? 80 : 40, 0.5f);
    GainHistory history = {1.0f, 2.0f, 3.0f, 4.0f};
    const float g0 = PredictedGainFactor(code, history, c.half);
    SubframeGains gains;
    ASSERT_EQ(DecodeSpeechGainWord(c.word, c.half, code, history, gains), kCodecOk);
    const GainPair& a = (c.half ? kGainBookAHalf : kGainBookAFull)[static_cast<size_t>(c.a)];
    const GainPair& b = (c.half ? kGainBookBHalf : kGainBookBFull)[static_cast<size_t>(c.b)];
    EXPECT_EQ(gains.pitch, a.pitch + b.pitch);
    EXPECT_EQ(gains.code, g0 * (a.code + b.code));
    EXPECT_FLOAT_EQ(history[0], 20 * std::log10(a.code + b.code));
    EXPECT_EQ(history[1], 1.0f);
    EXPECT_EQ(history[3], 3.0f);
  }
}

TEST(NoiseGainWordTest, ScalesTheLevelByThePrediction) {
  std::vector<float> code(40, 1.0f);
  GainHistory history;
  history.fill(kGainHistoryStartDb);
  const float g0 = PredictedGainFactor(code, history, false);
  SubframeGains gains;
  ASSERT_EQ(DecodeNoiseGainWord(13, code, history, gains), kCodecOk);
  EXPECT_EQ(gains.pitch, 0.0f);
  EXPECT_EQ(gains.code, g0 * 1.134277f);
  EXPECT_FLOAT_EQ(history[0], 20 * std::log10(1.134277f));
  EXPECT_EQ(DecodeNoiseGainWord(16, code, history, gains), kCodecValueOutOfRange);
  EXPECT_EQ(gains.code,
            PredictedGainFactor(code, {history[1], history[2], history[3], -14.0f}, false) *
                kNoiseGainLevels[0])
      << "taken as word 0";
}

TEST(ConcealedGainsTest, AttenuateAndLowerTheHistory) {
  GainHistory history = {10.0f, 6.0f, 2.0f, -2.0f};
  SubframeGains g = ConcealGains({1.2f, 50.0f}, history);
  EXPECT_EQ(g.pitch, 0.9f);
  EXPECT_EQ(g.code, 45.0f);
  EXPECT_EQ(history[0], 0.0f);  // mean 4 - 4
  EXPECT_EQ(history[1], 10.0f);
  g = ConcealGains({0.5f, 10.0f}, history);
  EXPECT_FLOAT_EQ(g.pitch, 0.45f);
  GainHistory low;
  low.fill(-13.0f);
  ConcealGains({}, low);
  EXPECT_EQ(low[0], kGainHistoryStartDb);
}

TEST(ExcitationTest, SharpeningGainLimitsAndMixing) {
  EXPECT_EQ(NextSharpeningGain(0.05f), 0.2f);
  EXPECT_EQ(NextSharpeningGain(0.5f), 0.5f);
  EXPECT_EQ(NextSharpeningGain(1.1f), 0.8f);
  const std::vector<float> v = {1, 2, 3}, c = {4, 5, 6};
  std::vector<float> out(3);
  CombineExcitation(v, c, {0.5f, 2.0f}, out);
  EXPECT_EQ(out, (std::vector<float>{8.5f, 11.0f, 13.5f}));
  CombineExcitation({}, c, {0.5f, 2.0f}, out);
  EXPECT_EQ(out, (std::vector<float>{8.0f, 10.0f, 12.0f}));
}

}  // namespace
}  // namespace vx
