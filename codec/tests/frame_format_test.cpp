#include "codec/frame_format.h"

#include <gtest/gtest.h>

#include <numeric>
#include <random>
#include <vector>

#include "codec/status.h"
#include "testsupport/test_streams.h"

namespace vx {
namespace {

TEST(FrameFormatTest, WidthListsSizesAndDelimiting) {
  struct Case {
    FrameType type;
    std::vector<uint8_t> widths;
    int bits, bytes;
  };
  const Case cases[] = {
      {FrameType::kNoise, {6, 0, 3, 4, 0, 3, 4, 0, 3, 4, 0, 3, 4}, 34, 5},
      {FrameType::kFullRate, {26, 8, 17, 7, 5, 17, 7, 8, 17, 7, 5, 17, 7}, 148, 19},
      {FrameType::kSilence, {}, 0, 1},
      {FrameType::kHalfRate, {22, 8, 20, 7, 8, 20, 7}, 92, 12},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.type));
    std::span<const uint8_t> widths = WordWidths(c.type);
    EXPECT_EQ(std::vector<uint8_t>(widths.begin(), widths.end()), c.widths);
    EXPECT_EQ(PayloadBits(c.type), c.bits);
    EXPECT_EQ(FrameBytes(c.type), c.bytes);
    // Only bits 0-1 of the first byte count.
    for (int high = 0; high < 64; ++high)
      EXPECT_EQ(FrameByteCount(static_cast<uint8_t>(high << 2 | static_cast<int>(c.type))),
                c.bytes);
  }
}

// A fixed-rate stream's frames have its type's length whatever their first byte holds; a
// variable-rate stream's frames take type and length from bits 0-1; other stream types
// (the player's "not read" 5 among them) delimit nothing.
TEST(FrameFormatTest, StreamTypesDelimitFrames) {
  struct Case {
    int streamType;
    uint8_t firstByte;
    std::optional<FrameType> type;
    int bytes;
  };
  const Case cases[] = {
      {1, 0x05, FrameType::kFullRate, 19},  {1, 0x0F, FrameType::kHalfRate, 12},
      {2, 0x00, FrameType::kNoise, 5},      {13, 0x0A, FrameType::kSilence, 1},
      {14, 0x0F, FrameType::kHalfRate, 12}, {3, 0x0A, FrameType::kFullRate, 19},
      {3, 0x0F, FrameType::kFullRate, 19},  {4, 0x05, FrameType::kHalfRate, 12},
      {4, 0x00, FrameType::kHalfRate, 12},  {0, 0x05, std::nullopt, 0},
      {5, 0x05, std::nullopt, 0},           {12, 0x05, std::nullopt, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message()
                 << "stream type " << c.streamType << ", byte " << static_cast<int>(c.firstByte));
    EXPECT_EQ(StreamFrameType(c.streamType, c.firstByte), c.type);
    EXPECT_EQ(StreamFrameBytes(c.streamType, c.firstByte), c.bytes);
  }
  EXPECT_EQ(kStreamNotRead, 5);
  static_assert(kFramePcmBytes == 320 && kFramePcmBytes11000 == 440);
}

TEST(FrameFormatTest, PayloadStartsAtBitFourLeastSignificantFirst) {
  // Full-rate frame: LSF word bit 0 is bit 4 of byte 0, bit 4 is bit 0 of byte 1; the first
  // pitch word starts at payload bit 26 = bit 6 of byte 3.
  std::vector<uint8_t> frame(19, 0);
  frame[0] = 0x10 | 0x01;
  frame[1] = 0x01;
  frame[3] = 0x40 | 0x80;
  frame[4] = 0x01;
  FrameWords words;
  UnpackFrameWords(frame, FrameType::kFullRate, words);
  EXPECT_EQ(words[0], 0b10001);
  EXPECT_EQ(words[1], 0b111);
  for (size_t w = 2; w < words.size(); ++w) EXPECT_EQ(words[w], 0) << w;

  // The last payload bit of each type lands in the last byte.
  for (FrameType type : {FrameType::kNoise, FrameType::kFullRate, FrameType::kHalfRate}) {
    const int bit = 4 + PayloadBits(type) - 1;
    std::vector<uint8_t> f(static_cast<size_t>(FrameBytes(type)), 0);
    f[static_cast<size_t>(bit / 8)] = static_cast<uint8_t>(1 << (bit % 8));
    UnpackFrameWords(f, type, words);
    std::span<const uint8_t> widths = WordWidths(type);
    EXPECT_EQ(words[widths.size() - 1], 1 << (widths.back() - 1)) << static_cast<int>(type);
  }
}

TEST(FrameFormatTest, AllZeroAndAllOnePayloads) {
  for (FrameType type : {FrameType::kNoise, FrameType::kFullRate, FrameType::kHalfRate}) {
    SCOPED_TRACE(static_cast<int>(type));
    std::vector<uint8_t> frame(static_cast<size_t>(FrameBytes(type)), 0);
    frame[0] = static_cast<uint8_t>(type);
    FrameWords words;
    UnpackFrameWords(frame, type, words);
    for (int32_t w : words) EXPECT_EQ(w, 0);
    std::fill(frame.begin(), frame.end(), 0xFF);
    UnpackFrameWords(frame, type, words);
    std::span<const uint8_t> widths = WordWidths(type);
    for (size_t i = 0; i < widths.size(); ++i)
      EXPECT_EQ(words[i], static_cast<int32_t>((uint32_t{1} << widths[i]) - 1)) << i;
  }
}

TEST(FrameFormatTest, PackAndUnpackRoundTripRandomWords) {
  const unsigned seed = std::random_device{}();
  SCOPED_TRACE(testing::Message() << "seed " << seed);
  std::mt19937 random(seed);
  for (int round = 0; round < 200; ++round) {
    for (FrameType type :
         {FrameType::kNoise, FrameType::kFullRate, FrameType::kSilence, FrameType::kHalfRate}) {
      std::vector<int32_t> words = test::RandomWords(random, type);
      std::vector<uint8_t> frame(kMaxFrameBytes, 0xEE);
      ASSERT_EQ(PackFrameWords(type, words, frame), FrameBytes(type));
      EXPECT_EQ(frame[0] & 0x0F, static_cast<int>(type) * 5);
      // Bits past the payload stay 0.
      const int used = 4 + PayloadBits(type);
      if (used % 8) {
        EXPECT_EQ(frame[static_cast<size_t>(used / 8)] >> (used % 8), 0);
      }
      FrameWords back;
      UnpackFrameWords(std::span<const uint8_t>(frame).first(static_cast<size_t>(FrameBytes(type))),
                       type, back);
      for (size_t i = 0; i < words.size(); ++i) ASSERT_EQ(back[i], words[i]) << i;
    }
  }
}

TEST(FrameFormatTest, PackRefusesWordsThatDoNotFitAndShortBuffers) {
  std::vector<int32_t> words(kMaxFrameWords, 0);
  std::vector<uint8_t> frame(kMaxFrameBytes, 0xEE);
  words[1] = 256;  // 8-bit pitch word
  EXPECT_EQ(PackFrameWords(FrameType::kFullRate, words, frame), kCodecValueOutOfRange);
  words[1] = -1;
  EXPECT_EQ(PackFrameWords(FrameType::kFullRate, words, frame), kCodecValueOutOfRange);
  words[1] = 0;
  words[4] = 1;  // noise frames' pitch words have width 0
  EXPECT_EQ(PackFrameWords(FrameType::kNoise, words, frame), kCodecValueOutOfRange);
  EXPECT_EQ(frame[0], 0xEE) << "nothing written";
  EXPECT_EQ(PackFrameWords(FrameType::kHalfRate, words, std::span(frame).first(11)),
            kCodecNoOutput);
  EXPECT_EQ(PackFrameWords(FrameType::kSilence, {}, frame), 1);
  EXPECT_EQ(frame[0], 0x0A);
}

TEST(FrameFormatTest, MissingBytesReadAsZero) {
  std::vector<int32_t> words(kMaxFrameWords, 0);
  std::mt19937 random(7);
  words = test::RandomWords(random, FrameType::kFullRate);
  std::vector<uint8_t> frame(kMaxFrameBytes);
  PackFrameWords(FrameType::kFullRate, words, frame);
  std::vector<uint8_t> truncated(frame.begin(), frame.begin() + 5);
  std::vector<uint8_t> padded = truncated;
  padded.resize(19, 0);
  FrameWords a, b;
  UnpackFrameWords(truncated, FrameType::kFullRate, a);
  UnpackFrameWords(padded, FrameType::kFullRate, b);
  EXPECT_EQ(a, b);
  UnpackFrameWords({}, FrameType::kHalfRate, a);
  EXPECT_EQ(a, FrameWords{});
}

}  // namespace
}  // namespace vx
