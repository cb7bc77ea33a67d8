// Coding a frame must not allocate.
#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <random>
#include <vector>

#include "codec/decoder.h"
#include "codec/encoder.h"
#include "io/memory_stream.h"
#include "testsupport/allocation_counter.h"
#include "testsupport/test_speech.h"
#include "testsupport/test_streams.h"

namespace vx {
namespace {

TEST(DecoderAllocationTest, DecodingFramesAllocatesNothing) {
  std::mt19937 random(31);
  std::vector<std::vector<uint8_t>> frames;
  for (int i = 0; i < 40; ++i) {
    const FrameType type = static_cast<FrameType>(i % 4);
    frames.push_back(test::PackedFrame(type, test::RandomWords(random, type)));
  }
  MemoryStream file(test::SpeechStream(1, 0, frames));
  DecoderSession session;
  int32_t count;
  int type;
  ASSERT_EQ(session.GetVocrixHeader(file, count, type), 0);
  std::vector<uint8_t> out(440);
  std::vector<int16_t> pcm(220);

  const testing::AllocationCount allocations;
  for (size_t i = 0; i < frames.size(); ++i) {
    session.DecodeFrame(frames[i], pcm, i % 2 ? 8000 : 11025, i % 7 == 0, 1);
    ASSERT_GT(session.ReadAndDecodeFrame(file, out, i % 2 ? 8 : 11, type, false), 0);
  }
  EXPECT_EQ(allocations.Made(), 0);
}

// Every path of the frame loop: 8000 and 11025 Hz input, both rate modes, and the activity
// decision over speech, background and silence, so every frame type is coded.
TEST(EncoderAllocationTest, EncodingFramesAllocatesNothing) {
  const auto clips = test::SampleClips();
  ASSERT_FALSE(clips.empty());
  const std::vector<int16_t> input = test::SpeechNoiseSilenceSpeech(clips.front().samples);
  EncoderSession session;
  std::array<uint8_t, 20> out{};
  std::array<int, 4> types{};

  std::optional<testing::AllocationCount> count(std::in_place);
  for (size_t at = 0; at + 220 <= input.size(); at += 220) {
    const size_t frame = at / 220;
    const int rate = frame % 3 == 0 ? 11025 : 8000;
    ASSERT_GT(session.EncodeFrame(std::span<const int16_t>(input.data() + at, 220), rate, out, 1,
                                  frame % 2),
              0);
    ++types[static_cast<size_t>(session.LastFrameType())];
  }
  EXPECT_EQ(count->Made(), 0);
  count.reset();
  for (int made : types) EXPECT_GT(made, 0);
}

}  // namespace
}  // namespace vx
