#include "codec/postfilter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "codec/synthesis.h"

namespace vx {
namespace {

const LpcCoefficients kLpc = {-1.2f, 0.6f, -0.1f, 0.05f, 0.0f, 0.02f, -0.01f, 0.0f, 0.01f, 0.0f};

std::vector<float> Periodic(int period, size_t length, unsigned seed, size_t offset = 0) {
  std::mt19937 random(seed);
  std::uniform_real_distribution<float> level(-1000.0f, 1000.0f);
  std::vector<float> pattern(static_cast<size_t>(period));
  for (float& x : pattern) x = level(random);
  std::vector<float> out(length);
  for (size_t n = 0; n < length; ++n) out[n] = pattern[(n + offset) % pattern.size()];
  return out;
}

std::vector<float> FilterSubframe(PostfilterState& state, const std::vector<float>& excitation,
                                  int t0, FrameType type) {
  std::vector<float> synthesis(excitation.size()), out(excitation.size());
  std::array<float, kLpcOrder> memory{};
  SynthesisFilter(kLpc, excitation, synthesis, memory, false);
  Postfilter(state, synthesis, excitation, kLpc, t0, type, out);
  return out;
}

TEST(PostfilterTest, ResetStartsAtFullLevel) {
  PostfilterState state;
  state.levelGain = 0.1f;
  state.pitchBuffer[3] = 1.0f;
  ResetPostfilter(state);
  EXPECT_EQ(state.levelGain, 1.0f);
  EXPECT_EQ(state.pitchBuffer[3], 0.0f);
}

TEST(PostfilterTest, LevelGainDecaysOnDigitalSilence) {
  PostfilterState state;
  ResetPostfilter(state);
  FilterSubframe(state, Periodic(50, 40, 1), 0, FrameType::kFullRate);
  const float before = state.levelGain;
  ASSERT_GT(before, 0.0f);
  std::vector<float> silent(40, 0.0f), out(40);
  Postfilter(state, silent, Periodic(50, 40, 2), kLpc, 0, FrameType::kFullRate, out);
  const float expected = before * std::pow(0.85f, 40.0f);
  EXPECT_NEAR(state.levelGain, expected, 1e-5f * expected);
}

TEST(PostfilterTest, HighPassRemovesDc) {
  PostfilterState state;
  ResetPostfilter(state);
  std::vector<float> level(40, 1000.0f), out(40);
  SilencePostfilter(state, level, out);
  EXPECT_GT(out[0], 900.0f);
  for (int i = 0; i < 10; ++i) SilencePostfilter(state, level, out);
  EXPECT_NEAR(state.levelGain, 1.0f, 1e-6f);
  EXPECT_LT(std::abs(out[39]), 1e-3f);
}

TEST(PostfilterTest, SilenceBranchFollowsTheExcitation) {
  PostfilterState state;
  ResetPostfilter(state);
  const std::vector<float> e = Periodic(40, 40, 3);
  std::vector<float> out(40);
  SilencePostfilter(state, e, out);
  EXPECT_EQ(state.tiltMemory, e[39]);
  EXPECT_TRUE(
      std::equal(state.synthesisMemory.begin(), state.synthesisMemory.end(), e.begin() + 30));
  EXPECT_TRUE(std::equal(e.begin(), e.end(), state.pitchBuffer.begin() + kPostfilterPast - 40));
  EXPECT_TRUE(std::equal(e.begin(), e.end(), state.longTermBuffer.begin() + kPostfilterPast - 40));
  // Level gain drawn toward 1 from 1 stays 1, so the output is the high-passed excitation.
  float previousIn = 0.0f, previousOut = 0.0f;
  for (size_t n = 0; n < 40; ++n) {
    const float y = 0.9f * previousOut + e[n] - previousIn;
    EXPECT_FLOAT_EQ(out[n], y) << n;
    previousIn = e[n];
    previousOut = y;
  }
}

// Noise subframes (lag 0) skip the long-term filter, the tilt and (A(z/0.55)/A(z/0.55)) the
// formant shaping: only synthesis, level matching and high-pass act.
TEST(PostfilterTest, NoiseSubframesPassTheShapingStages) {
  PostfilterState state;
  ResetPostfilter(state);
  FilterSubframe(state, Periodic(37, 40, 4), 30, FrameType::kFullRate);
  PostfilterState expectedState = state;

  const std::vector<float> e = Periodic(41, 40, 5);
  std::vector<float> synthesis(40);
  std::array<float, kLpcOrder> memory{};
  SynthesisFilter(kLpc, e, synthesis, memory, false);
  std::vector<float> out(40);
  Postfilter(state, synthesis, e, kLpc, 0, FrameType::kNoise, out);

  std::vector<float> expected(40);
  SynthesisFilter(kLpc, e, expected, expectedState.synthesisMemory, true);
  double reference = 0, filtered = 0.00001;
  for (size_t n = 0; n < 40; ++n) {
    reference += static_cast<double>(synthesis[n]) * synthesis[n];
    filtered += static_cast<double>(expected[n]) * expected[n];
  }
  const float q = static_cast<float>(std::sqrt(reference / filtered));
  float gain = expectedState.levelGain;
  float previousIn = expectedState.highPassInput, previousOut = expectedState.highPassOutput;
  for (size_t n = 0; n < 40; ++n) {
    gain = 0.85f * gain + 0.15f * q;
    const float x = expected[n] * gain;
    const float y = 0.9f * previousOut + x - previousIn;
    EXPECT_NEAR(out[n], y, 1e-3f * (1.0f + std::abs(y))) << n;
    previousIn = x;
    previousOut = y;
  }
  EXPECT_EQ(state.tiltMemory, e[39]);
}

// The lag is refined to T0 - 1, T0 or T0 + 1; a refined lag outside 19..143 turns the
// long-term filter off, which makes the output equal to that of lag 0.
TEST(PostfilterTest, RefinedLagOutsideTheRangeDisablesTheLongTermFilter) {
  struct Case {
    int period, t0;
    bool filtered;
  };
  const Case cases[] = {{18, 19, false}, {144, 143, false}, {60, 60, true}, {142, 143, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "period " << c.period << " lag " << c.t0);
    PostfilterState state;
    ResetPostfilter(state);
    for (size_t s = 0; s < 5; ++s)
      FilterSubframe(state, Periodic(c.period, 40, 9, 40 * s), 0, FrameType::kFullRate);
    PostfilterState copy = state;
    // The new subframe repeats the period at half the level, so the long-term filter, where
    // active, changes it.
    std::vector<float> e = Periodic(c.period, 40, 9, 200);
    for (float& x : e) x *= 0.5f;
    const std::vector<float> withLag = FilterSubframe(state, e, c.t0, FrameType::kFullRate);
    const std::vector<float> without = FilterSubframe(copy, e, 0, FrameType::kFullRate);
    EXPECT_EQ(withLag != without, c.filtered);
  }
}

}  // namespace
}  // namespace vx
