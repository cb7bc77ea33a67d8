#include "codec/pulse_codebook.h"

#include <gtest/gtest.h>

#include <vector>

#include "codec/derived_tables.h"
#include "codec/status.h"
#include "codec/trained_tables.h"

namespace vx {
namespace {

// Field of one track: position index * 8 + shape * 2 + sign bit.
int32_t Field(int index, int shape, int negative) {
  return index * 8 + shape * 2 + negative;
}
int32_t NoPulse(const PulseTrack& t) {
  return Field(t.count - 1, 3, 1);
}
// Track 0 is the most significant field.
int32_t Word(size_t length, int32_t f0, int32_t f1, int32_t f2) {
  const auto tracks = PulseTracks(length);
  return ((f0 << (tracks[1].bits + 3)) + f1) << (tracks[2].bits + 3) | f2;
}

TEST(PulseVectorTest, AllOnesMeansNoPulseInAnyTrack) {
  for (size_t length : {40u, 80u}) {
    std::vector<float> c(length, 9.0f);
    const int bits = length == 40 ? kPulseWordBits40 : kPulseWordBits80;
    EXPECT_EQ(BuildPulseVector((1 << bits) - 1, c), kCodecOk);
    EXPECT_EQ(c, std::vector<float>(length, 0.0f)) << length;
  }
}

TEST(PulseVectorTest, EachTrackPlacesItsSignedShape) {
  struct Case {
    size_t length;
    size_t track;
    int index, shape, negative;
    size_t position;
  };
  const Case cases[] = {
      {40, 0, 0, 0, 0, 0},   {40, 0, 3, 2, 1, 30}, {40, 1, 4, 1, 0, 6},   {40, 1, 7, 3, 0, 36},
      {40, 2, 0, 3, 1, 4},   {40, 2, 7, 0, 1, 38}, {80, 0, 7, 1, 1, 70},  {80, 1, 8, 2, 0, 6},
      {80, 1, 15, 3, 0, 76}, {80, 2, 7, 0, 0, 74}, {80, 2, 15, 2, 1, 78},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.length << " track " << c.track << " index " << c.index);
    const auto tracks = PulseTracks(c.length);
    std::array<int32_t, 3> fields = {NoPulse(tracks[0]), NoPulse(tracks[1]), NoPulse(tracks[2])};
    fields[c.track] = Field(c.index, c.shape, c.negative);
    std::vector<float> v(c.length);
    ASSERT_EQ(BuildPulseVector(Word(c.length, fields[0], fields[1], fields[2]), v), kCodecOk);
    const PulseShape& s = kPulseShapes[c.track][static_cast<size_t>(c.shape)];
    const float sign = c.negative ? -1.0f : 1.0f;
    std::vector<float> expected(c.length, 0.0f);
    expected[c.position] = sign * s.first;
    expected[c.position + 1] = sign * s.second;
    EXPECT_EQ(v, expected);
  }
}

TEST(PulseVectorTest, PositiveShapeThreeAtTheLastPositionIsAPulse) {
  const auto tracks = PulseTracks(40);
  std::vector<float> v(40);
  BuildPulseVector(Word(40, Field(3, 3, 0), NoPulse(tracks[1]), NoPulse(tracks[2])), v);
  EXPECT_EQ(v[30], kPulseShapes[0][3].first);
  EXPECT_EQ(v[31], kPulseShapes[0][3].second);
}

TEST(PulseVectorTest, ThreePulsesInOneWord) {
  std::vector<float> v(40);
  BuildPulseVector(Word(40, Field(1, 0, 0), Field(0, 1, 1), Field(0, 2, 0)), v);
  EXPECT_EQ(v[10], kPulseShapes[0][0].first);
  EXPECT_EQ(v[2], -kPulseShapes[1][1].first);
  EXPECT_EQ(v[4], kPulseShapes[2][2].first);
  EXPECT_EQ(v[5], kPulseShapes[2][2].second);
}

TEST(PulseVectorTest, WordsWiderThanTheFieldAreRefused) {
  std::vector<float> c(40, 1.0f);
  EXPECT_EQ(BuildPulseVector(1 << 17, c), kCodecValueOutOfRange);
  EXPECT_EQ(c, std::vector<float>(40, 0.0f));
  std::vector<float> d(80);
  EXPECT_EQ(BuildPulseVector(-1, d), kCodecValueOutOfRange);
  std::vector<float> odd(41);
  EXPECT_EQ(BuildPulseVector(0, odd), kCodecValueOutOfRange);
}

TEST(PulseVectorTest, ShapeEnergiesAreReciprocalSquaredNorms) {
  const auto& e = PulseShapeEnergies();
  for (size_t t = 0; t < 3; ++t) {
    for (size_t s = 0; s < 4; ++s) {
      const PulseShape& p = kPulseShapes[t][s];
      EXPECT_FLOAT_EQ(e[t][s], 1.0f / (p.first * p.first + p.second * p.second));
    }
  }
  EXPECT_NEAR(e[0][0], 1.0 / (0.961743 * 0.961743 + 0.273952 * 0.273952), 1e-6);
}

TEST(NoiseVectorTest, CopiesTheCodebookRow) {
  std::array<float, 40> c;
  for (int w = 0; w < 8; ++w) {
    ASSERT_EQ(BuildNoiseVector(w, c), kCodecOk);
    EXPECT_EQ(c, kNoiseCodebook[static_cast<size_t>(w)]);
  }
  EXPECT_EQ(BuildNoiseVector(8, c), kCodecValueOutOfRange);
  EXPECT_EQ(c, (std::array<float, 40>{}));
}

}  // namespace
}  // namespace vx
