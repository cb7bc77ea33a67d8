#include "codec/synthesis.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace vx {
namespace {

TEST(FloatToPcmTest, RoundsHalvesAwayFromZeroAndSaturates) {
  struct Case {
    float x;
    int16_t pcm;
  };
  const Case cases[] = {
      {0.0f, 0},
      {0.5f, 1},
      {-0.5f, -1},
      {1.49f, 1},
      {-1.5f, -2},
      {2.5f, 3},
      {0.49999997f, 0},
      {-0.49999997f, 0},
      {32766.4f, 32766},
      {32766.5f, 32767},
      {32767.0f, 32767},
      {1e9f, 32767},
      {-32767.6f, -32768},
      {-32768.0f, -32768},
      {-1e9f, -32768},
      {std::numeric_limits<float>::infinity(), 32767},
      {-std::numeric_limits<float>::infinity(), -32768},
      {std::numeric_limits<float>::quiet_NaN(), 0},
  };
  for (const Case& c : cases) EXPECT_EQ(FloatToPcm(c.x), c.pcm) << c.x;
}

TEST(SynthesisFilterTest, FirstOrderImpulseResponse) {
  LpcCoefficients a{};
  a[0] = -0.5f;  // 1 / (1 - 0.5 z^-1)
  std::array<float, kLpcOrder> memory{};
  std::vector<float> in(12, 0.0f), out(12);
  in[0] = 1.0f;
  SynthesisFilter(a, in, out, memory, true);
  for (size_t n = 0; n < 12; ++n) EXPECT_FLOAT_EQ(out[n], std::pow(0.5f, static_cast<float>(n)));
  EXPECT_FLOAT_EQ(memory[9], out[11]);
  EXPECT_FLOAT_EQ(memory[0], out[2]);
}

TEST(SynthesisFilterTest, MemoryCarriesAcrossCallsAndInPlaceWorks) {
  const LpcCoefficients a = {-0.9f, 0.4f, -0.1f, 0.05f, 0.02f, -0.03f, 0.01f, 0.0f, 0.02f, -0.01f};
  std::vector<float> in(80);
  for (size_t n = 0; n < in.size(); ++n) in[n] = std::sin(0.3f * static_cast<float>(n)) * 100.0f;
  std::array<float, kLpcOrder> whole{}, split{};
  std::vector<float> one(80), two(80);
  SynthesisFilter(a, in, one, whole, true);
  // Three pieces, the middle one shorter than the filter order.
  SynthesisFilter(a, std::span(in).first(33), std::span(two).first(33), split, true);
  SynthesisFilter(a, std::span(in).subspan(33, 4), std::span(two).subspan(33, 4), split, true);
  std::vector<float> rest(in.begin() + 37, in.end());
  SynthesisFilter(a, rest, rest, split, true);
  std::copy(rest.begin(), rest.end(), two.begin() + 37);
  EXPECT_EQ(one, two);
  EXPECT_EQ(whole, split);

  std::array<float, kLpcOrder> kept = whole;
  std::vector<float> scratch(40);
  SynthesisFilter(a, std::span(in).first(40), scratch, kept, false);
  EXPECT_EQ(kept, whole) << "memory left alone without update";
}

TEST(SilenceExcitationTest, GeneratorSequenceFromTheResetSeed) {
  int32_t seed = kSilenceNoiseSeed;
  std::vector<float> out(3);
  SilenceExcitation(out, seed);
  // 1753 -> (2109 * 1753 + 9273) mod 32768 = 3566 -> ...
  int32_t s = 1753;
  for (float x : out) {
    s = (2109 * s + 9273) % 32768;
    EXPECT_FLOAT_EQ(x, 0.0002f * static_cast<float>(s - 16384));
  }
  EXPECT_EQ(seed, s);
  EXPECT_FLOAT_EQ(out[0], 0.0002f * (3566 - 16384));
}

}  // namespace
}  // namespace vx
