#include "codec/speech_header.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "codec/status.h"

namespace vx {
namespace {

struct Written {
  int n = 0;
  std::vector<uint8_t> prefixed;  // prefix + header
  std::span<const uint8_t> Header() const { return std::span<const uint8_t>(prefixed).subspan(2); }
};

Written Write(int32_t count, std::string_view title, std::string_view comment, int variable,
              int rateMode) {
  std::array<uint8_t, 2 + kMaxHeaderBytes> out{};
  Written w;
  w.n = WriteSpeechHeader(count, title, comment, variable, rateMode, out);
  if (w.n > 0) w.prefixed.assign(out.begin(), out.begin() + 2 + w.n);
  return w;
}

TEST(SpeechHeaderTest, WritesTheVoiceMessageExampleByteForByte) {
  Written w = Write(16000, "Voice Message", "Nocomment", 1, 0);
  std::vector<uint8_t> expected = {0x00, 0x2E, 'V', 'X',  'H',  'D',  'V',  'X',  '9',  '7',  '0',
                                   '3',  '1',  '0', 0x00, 0xF3, 0x00, 0x00, 0x3E, 0x80, 0x00, 0x0D};
  for (char c : std::string_view("Voice Message")) expected.push_back(static_cast<uint8_t>(c));
  expected.insert(expected.end(), {0x00, 0x09});
  for (char c : std::string_view("Nocomment")) expected.push_back(static_cast<uint8_t>(c));
  expected.insert(expected.end(), {'F', 'L'});
  EXPECT_EQ(w.n, 46);
  EXPECT_EQ(w.prefixed, expected);

  SpeechHeaderInfo info;
  ASSERT_EQ(ParseSpeechHeader(w.Header(), info), kCodecOk);
  EXPECT_EQ(info.sampleRate, 8000);
  EXPECT_EQ(info.channels, 1);
  EXPECT_EQ(info.sampleCount, 16000);
  EXPECT_EQ(info.streamType, 13);
  EXPECT_EQ(info.codecVersion, 2);
  EXPECT_EQ(std::string_view(info.version, 8), "VX970310");
  EXPECT_STREQ(info.title.data(), "Voice Message");
  EXPECT_STREQ(info.comment.data(), "Nocomment");
}

// Coding mode, header length with empty texts and the stream type the reader derives.
TEST(SpeechHeaderTest, CodingModesAndRateTagsRoundTrip) {
  struct Case {
    int variable, rateMode;
    uint8_t mode;
    int n;
    int streamType;
  };
  const Case cases[] = {
      {1, 0, 243, 24, 13}, {1, 1, 243, 24, 14}, {1, 2, 243, 24, 1}, {1, 6, 240, 22, 13},
      {0, 0, 242, 22, 3},  {0, 6, 242, 22, 3},  {0, 1, 244, 22, 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "variable " << c.variable << " rate mode " << c.rateMode);
    Written w = Write(-5, "", "", c.variable, c.rateMode);
    ASSERT_EQ(w.n, c.n);
    EXPECT_EQ(w.Header()[13], c.mode);
    SpeechHeaderInfo info;
    ASSERT_EQ(ParseSpeechHeader(w.Header(), info), kCodecOk);
    EXPECT_EQ(info.streamType, c.streamType);
    EXPECT_EQ(info.sampleCount, -1);
  }
  EXPECT_EQ(Write(0, "", "", 1, 2).Header().subspan(22, 2)[0], 'U');
}

TEST(SpeechHeaderTest, WriterRefusesUnknownFixedRateModes) {
  std::array<uint8_t, 2 + kMaxHeaderBytes> out{};
  for (int mode : {2, 3, 5, 7, -1})
    EXPECT_EQ(WriteSpeechHeader(0, "", "", 0, mode, out), kCodecUnsupportedMode) << mode;
}

TEST(SpeechHeaderTest, WriterCutsTextsAtZeroAnd128Bytes) {
  const std::string longTitle(200, 'T');
  Written w = Write(0, longTitle, std::string_view("ab\0cd", 5), 1, 0);
  EXPECT_EQ(w.n, 22 + 128 + 2 + 2);
  SpeechHeaderInfo info;
  ASSERT_EQ(ParseSpeechHeader(w.Header(), info), kCodecOk);
  EXPECT_EQ(info.titleLength, 128);
  EXPECT_EQ(std::string(info.title.data()), std::string(128, 'T'));
  EXPECT_EQ(info.title[128], '\0');
  EXPECT_EQ(info.commentLength, 2);
  EXPECT_STREQ(info.comment.data(), "ab");
}

TEST(SpeechHeaderTest, FullTextsLeaveNoRoomForTheRateTag) {
  const std::string text(128, 'x');
  Written w = Write(0, text, text, 1, 1);
  EXPECT_EQ(w.n, 278);
  SpeechHeaderInfo info;
  ASSERT_EQ(ParseSpeechHeader(w.Header(), info), kCodecOk);
  EXPECT_EQ(info.streamType, 1);
}

// Headers edited after writing: version strings, tags and stored lengths.
class ParsedHeaderTest : public testing::Test {
 protected:
  std::vector<uint8_t> header_ = [] {
    Written w = Write(16000, "Voice Message", "Nocomment", 1, 1);
    return std::vector<uint8_t>(w.Header().begin(), w.Header().end());
  }();
  SpeechHeaderInfo info_;
  int Parse() { return ParseSpeechHeader(header_, info_); }
  void SetVersion(std::string_view v) { std::copy(v.begin(), v.end(), header_.begin() + 4); }
};

TEST_F(ParsedHeaderTest, VersionStringsSelectTheCodecVersionAndTheTag) {
  struct Case {
    std::string_view version;
    int status, codecVersion, streamType;
  };
  const Case cases[] = {
      {"VX960401", kCodecOk, 1, 1},   // old generation: never tagged
      {"VX970310", kCodecOk, 2, 14},  // the writer's
      {"VX97031Z", kCodecOk, 2, 14},  // the tag is read whatever the eighth byte
      {"VX970320", kCodecOk, 2, 1},   // seventh byte not '1': no tag
      {"VX9703AB", kCodecOk, 2, 1},
      {"VX960402", kCodecUnsupportedVersion, 0, 0},
      {"VX9704 0", kCodecUnsupportedVersion, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.version);
    SetVersion(c.version);
    info_ = {};
    EXPECT_EQ(Parse(), c.status);
    EXPECT_EQ(info_.codecVersion, c.codecVersion);
    EXPECT_EQ(info_.streamType, c.streamType);
  }
}

TEST_F(ParsedHeaderTest, ChecksMagicSamplingAndModeInOrder) {
  header_[0] = 'W';
  header_[12] = 1;
  EXPECT_EQ(Parse(), kCodecWrongMagic);
  header_[0] = 'V';
  EXPECT_EQ(Parse(), kCodecUnsupportedSampling);
  EXPECT_EQ(info_.codecVersion, 2) << "the version is known before the sampling check";
  header_[12] = 0;
  header_[13] = 241;
  EXPECT_EQ(Parse(), kCodecUnsupportedMode);
  EXPECT_EQ(info_.sampleRate, 8000);
  for (uint8_t mode : {240, 242, 243, 244}) {
    header_[13] = mode;
    EXPECT_EQ(Parse(), kCodecOk) << int{mode};
  }
}

TEST_F(ParsedHeaderTest, NegativeSampleCountsReadAsUnknown) {
  for (uint32_t count : {0x80000000u, 0xFFFFFFFEu, 0xFFFFFFFFu}) {
    for (int i = 0; i < 4; ++i) header_[14 + i] = static_cast<uint8_t>(count >> (24 - 8 * i));
    ASSERT_EQ(Parse(), kCodecOk);
    EXPECT_EQ(info_.sampleCount, -1) << count;
  }
}

TEST_F(ParsedHeaderTest, HeaderWithoutTheTagIsPlainVariableRate) {
  header_.resize(header_.size() - 2);  // N = 22 + T + C exactly
  ASSERT_EQ(Parse(), kCodecOk);
  EXPECT_EQ(info_.streamType, 1);
  EXPECT_STREQ(info_.comment.data(), "Nocomment");
}

TEST_F(ParsedHeaderTest, TitleLengthWithTopBitSetCountsAsZero) {
  header_[18] = 0x80;
  header_[19] = 0x0D;
  ASSERT_EQ(Parse(), kCodecOk);
  EXPECT_EQ(info_.titleLength, 0);
  // The comment length is then read at offset 20 ("Vo" = 22127, limited to 128) and cut at
  // the end of the 46 header bytes.
  EXPECT_EQ(info_.commentLength, 46 - 22);
}

TEST(SpeechHeaderTest, StoredLengthsAbove128CountAs128) {
  const std::string text(128, 'x');
  Written w = Write(0, text, text, 0, 0);
  std::vector<uint8_t> header(w.Header().begin(), w.Header().end());
  header[18] = 0;
  header[19] = 200;
  header[20 + 128] = 0x7F;  // comment length 0x7F80
  SpeechHeaderInfo info;
  ASSERT_EQ(ParseSpeechHeader(header, info), kCodecOk);
  EXPECT_EQ(info.titleLength, 128);
  EXPECT_EQ(info.commentLength, 128);
  EXPECT_EQ(info.comment[128], '\0');
}

TEST_F(ParsedHeaderTest, LengthsRunningPastTheHeaderAreCutAtItsEnd) {
  // Title length 100 in a 46-byte header: the title takes the 26 bytes up to the end and the
  // comment length field lies outside, so the comment is empty and there is no tag.
  header_[19] = 100;
  ASSERT_EQ(Parse(), kCodecOk);
  EXPECT_EQ(info_.titleLength, 26);
  EXPECT_EQ(info_.commentLength, 0);
  EXPECT_EQ(info_.comment[0], '\0');
  EXPECT_EQ(info_.streamType, 1);

  // Comment length 30 where 11 bytes remain.
  header_[19] = 13;
  header_[34] = 30;
  ASSERT_EQ(Parse(), kCodecOk);
  EXPECT_EQ(info_.commentLength, 11);
  EXPECT_EQ(std::string(info_.comment.data()), "NocommentHF");
  EXPECT_EQ(info_.streamType, 1);
}

TEST(SpeechHeaderTest, RefusesHeadersOutside22To278Bytes) {
  Written w = Write(0, "", "", 0, 0);
  SpeechHeaderInfo info;
  EXPECT_EQ(ParseSpeechHeader(w.Header().first(21), info), kCodecWrongMagic);
  std::vector<uint8_t> tooLong(279, 0);
  std::copy(w.Header().begin(), w.Header().end(), tooLong.begin());
  EXPECT_EQ(ParseSpeechHeader(tooLong, info), kCodecWrongMagic);
}

}  // namespace
}  // namespace vx
