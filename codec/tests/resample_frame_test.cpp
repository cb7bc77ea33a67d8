#include "codec/resample_frame.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "codec/derived_tables.h"

namespace vx {
namespace {

TEST(ResamplerTapsTest, PhaseZeroTapsAndOffsets) {
  const ResamplerPhases& up = ResamplerPhasesTo11000();
  const ResamplerPhases& down = ResamplerPhasesTo8000();
  EXPECT_FLOAT_EQ(up.taps[0][10], 0.9f);
  EXPECT_NEAR(up.taps[0][9], 0.098363, 1e-6);
  EXPECT_NEAR(up.taps[0][11], 0.098363, 1e-6);
  EXPECT_NEAR(down.taps[0][10], 0.654545, 1e-6);
  EXPECT_NEAR(down.taps[0][9], 0.281524, 1e-6);
  EXPECT_NEAR(down.taps[0][11], 0.281524, 1e-6);
  const std::vector<int> upOffsets = {0, 0, 1, 2, 2, 3, 4, 5, 5, 6, 7};
  const std::vector<int> downOffsets = {0, 1, 2, 4, 5, 6, 8, 9};
  EXPECT_EQ(std::vector<int>(up.offset.begin(), up.offset.begin() + 11), upOffsets);
  EXPECT_EQ(std::vector<int>(down.offset.begin(), down.offset.begin() + 8), downOffsets);
}

TEST(ResampleFrameTest, ImpulsePeaksAtOutputFourteen) {
  std::vector<float> in(160, 0.0f), out(220);
  std::array<float, kResamplerMemory> memory;
  memory.fill(5.0f);
  in[0] = 1.0f;
  ASSERT_TRUE(ResampleFrame(ResampleDirection::kTo11000, in, out, memory, true));
  const auto peak = std::max_element(out.begin(), out.end());
  EXPECT_EQ(peak - out.begin(), 14);
  EXPECT_NEAR(*peak, 0.861, 0.001);
}

TEST(ResampleFrameTest, ConstantInputSettlesNearButNotAtItsLevel) {
  // Once the memory is filled each output is 1000 times its phase's tap sum: 997.2 .. 1005.02.
  std::vector<float> in(160, 1000.0f), out(220);
  std::array<float, kResamplerMemory> memory{};
  ResampleFrame(ResampleDirection::kTo11000, in, out, memory, true);
  ResampleFrame(ResampleDirection::kTo11000, in, out, memory, false);
  bool allExact = true;
  for (size_t j = 0; j < out.size(); ++j) {
    double sum = 0.0;
    for (float tap : ResamplerPhasesTo11000().taps[j % 11]) sum += tap;
    EXPECT_NEAR(out[j], 1000.0 * sum, 0.01) << j;
    EXPECT_GE(out[j], 997.0f);
    EXPECT_LE(out[j], 1005.1f);
    allExact = allExact && out[j] == 1000.0f;
  }
  EXPECT_FALSE(allExact) << "taps are not normalised per phase";
}

// Two calls equal the filter applied directly to the concatenated input.
TEST(ResampleFrameTest, ConsecutiveCallsEqualOneLongFilter) {
  const unsigned seed = std::random_device{}();
  SCOPED_TRACE(testing::Message() << "seed " << seed);
  std::mt19937 random(seed);
  std::uniform_real_distribution<float> level(-20000.0f, 20000.0f);
  for (ResampleDirection direction : {ResampleDirection::kTo11000, ResampleDirection::kTo8000}) {
    const ResamplerPhases& r = direction == ResampleDirection::kTo11000 ? ResamplerPhasesTo11000()
                                                                        : ResamplerPhasesTo8000();
    const size_t n = static_cast<size_t>(r.inputCount), m = n * r.phases / r.step;
    std::vector<float> signal(2 * n);
    for (float& x : signal) x = level(random);
    std::array<float, kResamplerMemory> memory{};
    std::vector<float> first(m), second(m);
    ResampleFrame(direction, std::span(signal).first(n), first, memory, true);
    ResampleFrame(direction, std::span(signal).subspan(n), second, memory, false);
    first.insert(first.end(), second.begin(), second.end());
    for (size_t j = 0; j < 2 * m; ++j) {
      const int phase = static_cast<int>(j % r.phases), block = static_cast<int>(j / r.phases);
      const int newest = r.offset[static_cast<size_t>(phase)] + r.step * block;
      double y = 0.0;
      for (int k = 0; k < kResamplerTaps; ++k) {
        const int t = newest - k;
        if (t >= 0)
          y += r.taps[static_cast<size_t>(phase)][static_cast<size_t>(k)] *
               signal[static_cast<size_t>(t)];
      }
      ASSERT_NEAR(first[j], y, 0.05) << j;
    }
    EXPECT_TRUE(std::equal(memory.begin(), memory.end(), signal.end() - kResamplerMemory));
  }
}

TEST(ResampleFrameTest, WrongLengthsWriteNothing) {
  std::vector<float> in(160, 1.0f), out(219, -7.0f);
  std::array<float, kResamplerMemory> memory{};
  EXPECT_FALSE(ResampleFrame(ResampleDirection::kTo11000, in, out, memory, false));
  EXPECT_FALSE(ResampleFrame(ResampleDirection::kTo8000, in, out, memory, false));
  EXPECT_EQ(out, std::vector<float>(219, -7.0f));
}

}  // namespace
}  // namespace vx
