#include "codec/decoder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "codec/lsf_decoder.h"
#include "codec/synthesis.h"
#include "io/fault_stream.h"
#include "io/memory_stream.h"
#include "testsupport/test_streams.h"

namespace vx {
namespace {

using test::PackedFrame;
using test::RandomWords;
using test::SpeechStream;

class DecoderTest : public testing::Test {
 protected:
  void SetUp() override {
    session_.SetErrorSink([this](std::string_view m) { messages_.emplace_back(m); });
  }
  // Opens a stream and reads its header.
  void Open(MemoryStream& file) {
    int32_t count;
    ASSERT_EQ(session_.GetVocrixHeader(file, count, streamType_), 0);
  }
  std::vector<int16_t> Decode(DecoderSession& session, const std::vector<uint8_t>& frame,
                              int rate = 8000, int bad = 0, int streamType = 1) {
    std::vector<int16_t> pcm(220, 0x5555);
    EXPECT_EQ(session.DecodeFrame(frame, pcm, rate, bad, streamType) & ~kCodecValueOutOfRange, 0);
    pcm.resize(rate == 8000 || rate == 8 ? 160 : 220);
    return pcm;
  }
  DecoderSession session_;
  std::vector<std::string> messages_;
  int streamType_ = 0;
};

std::vector<uint8_t> RandomFrame(std::mt19937& random, FrameType type) {
  return PackedFrame(type, RandomWords(random, type));
}

TEST_F(DecoderTest, VariableRateFramesAreDelimitedByTheirType) {
  std::mt19937 random(11);
  const std::vector<uint8_t> stream = SpeechStream(
      1, 0,
      {PackedFrame(FrameType::kSilence), RandomFrame(random, FrameType::kNoise),
       RandomFrame(random, FrameType::kFullRate), RandomFrame(random, FrameType::kHalfRate)});
  for (int type : {13, 1, 2, 14}) {
    SCOPED_TRACE(type);
    MemoryStream file(stream);
    Open(file);
    EXPECT_EQ(streamType_, 13);
    const int64_t start = file.Tell();
    EXPECT_EQ(start, 48);
    std::vector<uint8_t> out(320);
    int64_t expected = start;
    for (int bytes : {1, 5, 19, 12}) {
      ASSERT_EQ(session_.ReadAndDecodeFrame(file, out, 8, type, false), 320);
      expected += bytes;
      EXPECT_EQ(file.Tell(), expected);
    }
    EXPECT_EQ(session_.ReadAndDecodeFrame(file, out, 8, type, false), 0);
    EXPECT_EQ(session_.FrameCounter(), 4);
  }
}

TEST_F(DecoderTest, FixedRateStreamsIgnoreTheFirstByte) {
  for (int rateMode : {0, 1}) {
    const int bytes = rateMode == 0 ? 19 : 12;
    std::vector<uint8_t> frame(static_cast<size_t>(bytes), 0x5A);
    frame[0] = 0x02;  // says silence
    MemoryStream file(SpeechStream(0, rateMode, {frame, frame}));
    Open(file);
    EXPECT_EQ(streamType_, rateMode == 0 ? 3 : 4);
    const int64_t start = file.Tell();
    std::vector<uint8_t> out(320);
    ASSERT_EQ(session_.ReadAndDecodeFrame(file, out, 8, streamType_, false), 320);
    EXPECT_EQ(file.Tell(), start + bytes);
    ASSERT_EQ(session_.ReadAndDecodeFrame(file, out, 8, streamType_, false), 320);
    EXPECT_EQ(session_.ReadAndDecodeFrame(file, out, 8, streamType_, false), 0);
  }
}

TEST_F(DecoderTest, BitsTwoAndThreeOfTheFirstByteDoNotMatter) {
  std::mt19937 random(12);
  std::vector<uint8_t> a = RandomFrame(random, FrameType::kFullRate);
  std::vector<uint8_t> b = a;
  a[0] = static_cast<uint8_t>((a[0] & 0xF0) | 0x01);
  b[0] = static_cast<uint8_t>((b[0] & 0xF0) | 0x05);
  DecoderSession other;
  EXPECT_EQ(Decode(session_, a), Decode(other, b));
  EXPECT_EQ(session_.LsfState().previousType, FrameType::kFullRate);
}

TEST_F(DecoderTest, TooLittleOutputSpaceLeavesTheFrameUnread) {
  std::mt19937 random(13);
  MemoryStream file(SpeechStream(1, 0, {RandomFrame(random, FrameType::kFullRate)}));
  Open(file);
  const int64_t start = file.Tell();
  std::vector<uint8_t> out(439, 0xAB);
  EXPECT_EQ(session_.ReadAndDecodeFrame(file, std::span(out).first(319), 8, 1, false),
            kCodecNoOutput);
  EXPECT_EQ(file.Tell(), start);
  EXPECT_EQ(session_.ReadAndDecodeFrame(file, out, 11, 1, false), kCodecNoOutput);
  EXPECT_EQ(file.Tell(), start);
  EXPECT_EQ(out, std::vector<uint8_t>(439, 0xAB));
  EXPECT_EQ(session_.FrameCounter(), 0);
  EXPECT_EQ(session_.ReadAndDecodeFrame(file, out, 8, 1, false), 320);
  EXPECT_EQ(file.Tell(), start + 19);
}

TEST_F(DecoderTest, OutputIsNativePcmAtAnyAlignment) {
  std::mt19937 random(14);
  const std::vector<uint8_t> frame = RandomFrame(random, FrameType::kHalfRate);
  MemoryStream file(SpeechStream(1, 1, {frame}));
  Open(file);
  std::vector<uint8_t> out(442, 0);
  ASSERT_EQ(
      session_.ReadAndDecodeFrame(file, std::span(out).subspan(1, 441), 11, streamType_, false),
      440);
  DecoderSession reference;
  const std::vector<int16_t> pcm = Decode(reference, frame, 11025);
  std::vector<int16_t> got(220);
  std::memcpy(got.data(), out.data() + 1, 440);
  EXPECT_EQ(got, pcm);
  EXPECT_EQ(out[441], 0);
}

TEST_F(DecoderTest, ShortReadInsideAFrameDecodesTheMissingBytesAsZero) {
  std::mt19937 random(15);
  const std::vector<uint8_t> frame = RandomFrame(random, FrameType::kFullRate);
  const std::vector<uint8_t> stream = SpeechStream(1, 0, {frame});
  FaultPlan plan;
  plan.readEndsAt = static_cast<int64_t>(stream.size()) - 7;
  FaultStream file(std::make_unique<MemoryStream>(stream), plan);
  int32_t count;
  ASSERT_EQ(session_.GetVocrixHeader(file, count, streamType_), 0);
  std::vector<uint8_t> out(320);
  ASSERT_EQ(session_.ReadAndDecodeFrame(file, out, 8, streamType_, false), 320);
  std::vector<uint8_t> truncated(frame.begin(), frame.end() - 7);
  truncated.resize(19, 0);
  DecoderSession reference;
  const std::vector<int16_t> expected = Decode(reference, truncated);
  EXPECT_EQ(std::memcmp(out.data(), expected.data(), 320), 0);
  EXPECT_EQ(session_.ReadAndDecodeFrame(file, out, 8, streamType_, false), 0);
}

TEST_F(DecoderTest, ReadErrorsAreReturned) {
  std::mt19937 random(16);
  const std::vector<uint8_t> stream = SpeechStream(
      1, 0, {RandomFrame(random, FrameType::kFullRate), RandomFrame(random, FrameType::kNoise)});
  for (int64_t failAt : {int64_t{48}, int64_t{49}}) {
    FaultPlan plan;
    plan.readFailsAt = failAt;
    FaultStream file(std::make_unique<MemoryStream>(stream), plan);
    int32_t count;
    ASSERT_EQ(session_.GetVocrixHeader(file, count, streamType_), 0);
    std::vector<uint8_t> out(320);
    EXPECT_EQ(session_.ReadAndDecodeFrame(file, out, 8, streamType_, false), -EIO) << failAt;
  }
  // A failed seek back after a refused frame is reported, not hidden behind -128.
  FaultPlan plan;
  plan.failSeekNumber = 0;
  FaultStream file(std::make_unique<MemoryStream>(stream), plan);
  int32_t count;
  ASSERT_EQ(session_.GetVocrixHeader(file, count, streamType_), 0);
  std::vector<uint8_t> small(100);
  EXPECT_EQ(session_.ReadAndDecodeFrame(file, small, 8, streamType_, false), -EIO);
}

TEST_F(DecoderTest, SkipDelimitsWithoutDecoding) {
  std::mt19937 random(17);
  MemoryStream file(SpeechStream(1, 0, {RandomFrame(random, FrameType::kHalfRate)}));
  Open(file);
  std::vector<uint8_t> out(440, 0xCD);
  EXPECT_EQ(session_.ReadAndDecodeFrame(file, out, 11, 1, true), 440);
  EXPECT_EQ(file.Tell(), 48 + 12);
  EXPECT_EQ(session_.FrameCounter(), 0);
  EXPECT_EQ(out, std::vector<uint8_t>(440, 0xCD));
}

TEST_F(DecoderTest, UnsupportedRequestsProduceNothing) {
  std::mt19937 random(18);
  MemoryStream file(SpeechStream(1, 0, {RandomFrame(random, FrameType::kFullRate)}));
  Open(file);
  std::vector<uint8_t> out(440);
  EXPECT_EQ(session_.ReadAndDecodeFrame(file, out, 16, 1, false), -EINVAL);
  EXPECT_EQ(file.Tell(), 48);
  EXPECT_EQ(session_.ReadAndDecodeFrame(file, out, 8, 5, false), 0);
  EXPECT_EQ(file.Tell(), 48);

  const std::vector<uint8_t> frame = RandomFrame(random, FrameType::kFullRate);
  std::vector<int16_t> pcm(220, 7);
  EXPECT_EQ(session_.DecodeFrame(frame, pcm, 16000, 0, 1), kCodecNoOutput);
  EXPECT_EQ(session_.DecodeFrame(frame, std::span(pcm).first(159), 8, 0, 1), kCodecNoOutput);
  EXPECT_EQ(session_.DecodeFrame(frame, std::span(pcm).first(219), 11025, 0, 1), kCodecNoOutput);
  EXPECT_EQ(session_.DecodeFrame(frame, pcm, 8, 0, 0), kCodecUnsupportedMode);
  EXPECT_EQ(session_.DecodeFrame(frame, pcm, 8, 0, 13), kCodecUnsupportedMode);
  EXPECT_EQ(pcm, std::vector<int16_t>(220, 7));
  EXPECT_EQ(session_.FrameCounter(), 0);
  EXPECT_EQ(messages_,
            (std::vector<std::string>{"Non-supported sampling rate.", "Wrong data.",
                                      "Non-supported sampling rate.", "Parameter error.",
                                      "Parameter error.", "Wrong data.", "Wrong data."}));
}

TEST_F(DecoderTest, OutputRatesWriteTheirSampleCounts) {
  std::mt19937 random(19);
  const std::vector<uint8_t> frame = RandomFrame(random, FrameType::kFullRate);
  for (int rate : {8, 8000, 11, 11000, 11025}) {
    DecoderSession session;
    std::vector<int16_t> pcm(221, 0x5555);
    EXPECT_EQ(session.DecodeFrame(frame, pcm, rate, 0, 1) & ~kCodecValueOutOfRange, 0) << rate;
    const size_t written = rate == 8 || rate == 8000 ? 160 : 220;
    EXPECT_EQ(pcm[written], 0x5555) << rate;
    EXPECT_NE(pcm[written - 1], 0x5555) << rate;
  }
}

TEST_F(DecoderTest, HeaderWithoutFramesDecodesToNothing) {
  MemoryStream file(SpeechStream(1, 0, {}, 0));
  Open(file);
  std::vector<uint8_t> out(320);
  EXPECT_EQ(session_.ReadAndDecodeFrame(file, out, 8, streamType_, false), 0);
}

TEST_F(DecoderTest, GetVocrixHeaderRefusesBadHeaders) {
  struct Case {
    const char* name;
    size_t offset;  // into prefix + header
    uint8_t value;
    const char* message;
    int codecVersion;  // selected even when a later check fails
  };
  const Case cases[] = {
      {"length 21", 1, 21, "Non Supported Header.", 2},
      {"length 279", 0, 1, "Non Supported Header.", 2},  // 0x012E
      {"magic", 2, 'W', "Non Supported Header.", 2},
      {"version", 9, '8', "Non Supported Version.", 2},
      {"sampling", 14, 1, "Non Supported Sampling", 1},
      {"coding mode", 15, 0, "Non Supported Bitrate.", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<uint8_t> stream = SpeechStream(1, 0, {PackedFrame(FrameType::kSilence)}, 320);
    if (c.codecVersion == 1) std::memcpy(stream.data() + 6, "VX960401", 8);
    stream[c.offset] = c.value;
    MemoryStream file(stream);
    DecoderSession session;
    std::vector<std::string> messages;
    session.SetErrorSink([&](std::string_view m) { messages.emplace_back(m); });
    session.SetFrameCounterForTest(9);
    int32_t count = 5;
    int type = 5;
    EXPECT_EQ(session.GetVocrixHeader(file, count, type), 1);
    EXPECT_EQ(messages, std::vector<std::string>{c.message});
    EXPECT_EQ(session.CodecVersion(), c.codecVersion);
    EXPECT_EQ(session.FrameCounter(), 0) << "reset whatever happened";
  }
}

TEST_F(DecoderTest, GetVocrixHeaderReportsShortFiles) {
  const std::vector<uint8_t> stream = SpeechStream(1, 0, {});
  for (size_t length : {size_t{0}, size_t{1}, size_t{2}, stream.size() - 1}) {
    MemoryStream file(
        std::vector<uint8_t>(stream.begin(), stream.begin() + static_cast<long>(length)));
    messages_.clear();
    int32_t count;
    EXPECT_EQ(session_.GetVocrixHeader(file, count, streamType_), 1) << length;
    EXPECT_EQ(messages_, std::vector<std::string>{"Cannot read file"}) << length;
  }
}

TEST_F(DecoderTest, GetVocrixHeaderSelectsTheVersionAndFillsTheInfo) {
  std::vector<uint8_t> stream = SpeechStream(1, 1, {}, 16000);
  std::memcpy(stream.data() + 6, "VX960401", 8);
  MemoryStream file(stream);
  int32_t count = 0;
  SpeechHeaderInfo info;
  ASSERT_EQ(session_.GetVocrixHeader(file, count, streamType_, &info), 0);
  EXPECT_EQ(session_.CodecVersion(), 1);
  EXPECT_EQ(count, 16000);
  EXPECT_EQ(streamType_, 1) << "the old generation has no rate tag";
  EXPECT_STREQ(info.title.data(), "Voice Message");
  EXPECT_EQ(file.Tell(), 48);
  EXPECT_TRUE(messages_.empty());
}

TEST_F(DecoderTest, IllegalCodecVersionIsReportedAndIgnored) {
  EXPECT_EQ(session_.CodecVersion(), 2);
  session_.SetCodecVersion(1);
  session_.SetCodecVersion(3);
  EXPECT_EQ(session_.CodecVersion(), 1);
  EXPECT_EQ(messages_, std::vector<std::string>{"Illegal version\n"});
  session_.DecoderReset();
  EXPECT_EQ(session_.CodecVersion(), 1) << "reset keeps the version";
}

TEST_F(DecoderTest, CodecVersionSelectsThePitchInterpolation) {
  // Pitch word 0: delay 19 1/3, fractional in every subframe.
  std::mt19937 random(20);
  std::vector<std::vector<uint8_t>> frames;
  for (int i = 0; i < 3; ++i) {
    std::vector<int32_t> words = RandomWords(random, FrameType::kHalfRate);
    words[1] = words[4] = 0;
    frames.push_back(PackedFrame(FrameType::kHalfRate, words));
  }
  DecoderSession v1, v2, v2again;
  v1.SetCodecVersion(1);
  std::vector<int16_t> a, b, c;
  for (const auto& f : frames) {
    a = Decode(v1, f);
    b = Decode(v2, f);
    c = Decode(v2again, f);
  }
  EXPECT_NE(a, b);
  EXPECT_EQ(b, c);
}

// Right after a reset the saved words are those of an all-zero noise frame, and the concealed
// gains start from 0: the frame repeats the uniform LSFs with a silent excitation.
TEST_F(DecoderTest, BadFrameRightAfterResetIsASilentNoiseFrame) {
  std::mt19937 random(21);
  const std::vector<int16_t> pcm =
      Decode(session_, RandomFrame(random, FrameType::kFullRate), 8000, 1);
  EXPECT_EQ(pcm, std::vector<int16_t>(160, 0));
  for (float x : session_.LastExcitation()) EXPECT_EQ(x, 0.0f);
  EXPECT_EQ(session_.LsfState().decoded, kUniformLsf);
  EXPECT_EQ(session_.PreviousLag(), 0);
  EXPECT_EQ(session_.SharpeningGain(), 0.2f);
  for (float e : session_.GainEnergies()) EXPECT_EQ(e, -14.0f);
  // A frame that says silence is silence even when it is flagged bad.
  DecoderSession t1, t2;
  EXPECT_EQ(Decode(t1, PackedFrame(FrameType::kSilence), 8000, 1),
            Decode(t2, PackedFrame(FrameType::kSilence), 8000, 0));
  EXPECT_TRUE(std::equal(t1.LastExcitation().begin(), t1.LastExcitation().end(),
                         t2.LastExcitation().begin()));
}

TEST_F(DecoderTest, BadFrameRepeatsTheLastLsfsAndLowersTheGains) {
  std::mt19937 random(22);
  Decode(session_, RandomFrame(random, FrameType::kFullRate));
  Decode(session_, PackedFrame(FrameType::kSilence));  // silence is not saved
  const LsfVector decoded = session_.LsfState().decoded;
  GainHistory history = session_.GainEnergies();
  Decode(session_, RandomFrame(random, FrameType::kHalfRate), 8000, 1);
  EXPECT_EQ(session_.LsfState().decoded, decoded);
  EXPECT_EQ(session_.LsfState().previousType, FrameType::kFullRate);
  for (int s = 0; s < 4; ++s) {
    const float mean = (history[0] + history[1] + history[2] + history[3]) / 4;
    ConcealGains({}, history);
    EXPECT_FLOAT_EQ(history[0], std::max(mean - 4.0f, -14.0f));
  }
  for (size_t i = 0; i < 4; ++i) EXPECT_FLOAT_EQ(session_.GainEnergies()[i], history[i]);
}

TEST_F(DecoderTest, FrameCounterPassingItsLimitRestartsAt1000) {
  std::mt19937 random(23);
  std::vector<std::vector<uint8_t>> frames;
  for (int i = 0; i < 4; ++i) frames.push_back(RandomFrame(random, FrameType::kFullRate));
  DecoderSession wrapping, steady, restarted;
  for (int i = 0; i < 3; ++i) {
    Decode(wrapping, frames[static_cast<size_t>(i)]);
    Decode(steady, frames[static_cast<size_t>(i)]);
    Decode(restarted, frames[static_cast<size_t>(i)]);
  }
  wrapping.SetFrameCounterForTest(0x3FFFFFFF);
  restarted.SetFrameCounterForTest(0);
  const auto a = Decode(wrapping, frames[3]);
  const auto b = Decode(steady, frames[3]);
  const auto c = Decode(restarted, frames[3]);
  EXPECT_EQ(wrapping.FrameCounter(), 1000);
  EXPECT_EQ(a, b) << "no first-frame initialisation at the wrap";
  EXPECT_NE(a, c);
  Decode(wrapping, frames[0]);
  EXPECT_EQ(wrapping.FrameCounter(), 1001);
}

TEST_F(DecoderTest, LagOutOfRangeStopsTheAdaptiveVectorForTheRestOfTheFrame) {
  std::mt19937 random(24);
  Decode(session_, RandomFrame(random, FrameType::kFullRate));
  Decode(session_, RandomFrame(random, FrameType::kFullRate));
  const std::vector<float> before(session_.LastExcitation().begin(),
                                  session_.LastExcitation().end());

  // Subframe 1 lag 140, subframe 2 relative word 31 (146: out of range), subframes 3 and 4
  // valid; no pulses after subframe 1, so their excitation is gp times what the history held.
  std::vector<int32_t> words = RandomWords(random, FrameType::kFullRate);
  words[1] = 252;
  words[4] = 31;
  words[7] = 100;
  words[10] = 16;
  for (size_t s = 1; s < 4; ++s) {
    words[2 + 3 * s] = (1 << 17) - 1;
    words[3 + 3 * s] = 0x5B;
  }
  const float gp = kGainBookAFull[0].pitch + kGainBookBFull[9].pitch;
  DecoderSession control;
  control.SetErrorSink([](std::string_view) {});
  {
    std::mt19937 again(24);
    Decode(control, RandomFrame(again, FrameType::kFullRate));
    Decode(control, RandomFrame(again, FrameType::kFullRate));
  }
  std::vector<int16_t> pcm(160);
  EXPECT_EQ(session_.DecodeFrame(PackedFrame(FrameType::kFullRate, words), pcm, 8, 0, 1),
            kCodecValueOutOfRange);
  for (size_t n = 40; n < 160; ++n) EXPECT_EQ(session_.LastExcitation()[n], gp * before[n]) << n;
  EXPECT_EQ(session_.PreviousLag(), 53);

  words[4] = 16;  // the same frame with a valid second lag builds adaptive vectors
  EXPECT_EQ(control.DecodeFrame(PackedFrame(FrameType::kFullRate, words), pcm, 8, 0, 1) &
                ~kCodecValueOutOfRange,
            0);
  EXPECT_NE(control.LastExcitation()[100], gp * before[100]);
}

TEST_F(DecoderTest, NoiseAndSilenceFramesResetPitchState) {
  std::mt19937 random(25);
  Decode(session_, RandomFrame(random, FrameType::kFullRate));
  Decode(session_, RandomFrame(random, FrameType::kNoise));
  EXPECT_EQ(session_.SharpeningGain(), 0.2f);
  EXPECT_EQ(session_.PreviousLag(), 0);
  Decode(session_, RandomFrame(random, FrameType::kHalfRate));
  Decode(session_, PackedFrame(FrameType::kSilence));
  EXPECT_EQ(session_.SharpeningGain(), 0.2f);
  EXPECT_EQ(session_.PreviousLag(), 0);
}

TEST_F(DecoderTest, SilenceFramesAreGeneratorNoise) {
  Decode(session_, PackedFrame(FrameType::kSilence));
  std::array<float, 160> expected;
  int32_t seed = kSilenceNoiseSeed;
  SilenceExcitation(expected, seed);
  EXPECT_TRUE(std::equal(expected.begin(), expected.end(), session_.LastExcitation().begin()));
  EXPECT_TRUE(std::equal(expected.begin(), expected.end(), session_.LastSynthesis().begin()));
  EXPECT_EQ(session_.LsfState().decoded, kUniformLsf);
}

// The synthesis of the first frame is the excitation through the quarter LPC sets (half-rate
// subframes use the second and fourth quarter).
TEST_F(DecoderTest, SynthesisUsesTheSubframesLpcSets) {
  std::mt19937 random(26);
  for (FrameType type : {FrameType::kFullRate, FrameType::kHalfRate, FrameType::kNoise}) {
    SCOPED_TRACE(static_cast<int>(type));
    const std::vector<int32_t> words = RandomWords(random, type);
    DecoderSession session;
    Decode(session, PackedFrame(type, words));
    LsfDecoderState lsfState;
    ResetLsfDecoderState(lsfState);
    LsfVector lsf;
    DecodeLsf(lsfState, words[0], type, false, lsf);
    std::array<LpcCoefficients, 4> lpc;
    QuarterLpcSets(lsfState, lsf, lpc);
    EXPECT_EQ(session.LsfState().decoded, lsf);
    const size_t length = type == FrameType::kHalfRate ? 80 : 40;
    std::array<float, kLpcOrder> memory{};
    std::array<float, 160> synthesis;
    for (size_t s = 0; s < 160 / length; ++s) {
      SynthesisFilter(lpc[length == 80 ? 2 * s + 1 : s],
                      session.LastExcitation().subspan(s * length, length),
                      std::span(synthesis).subspan(s * length, length), memory, true);
    }
    for (size_t n = 0; n < 160; ++n) EXPECT_FLOAT_EQ(session.LastSynthesis()[n], synthesis[n]) << n;
  }
}

TEST_F(DecoderTest, RandomStreamsDecodeToFiniteDeterministicOutput) {
  const unsigned seed = std::random_device{}();
  SCOPED_TRACE(testing::Message() << "seed " << seed);
  std::mt19937 random(seed);
  DecoderSession a, b;
  a.SetCodecVersion(seed % 2 ? 1 : 2);
  b.SetCodecVersion(a.CodecVersion());
  for (int i = 0; i < 1500; ++i) {
    const FrameType type = static_cast<FrameType>(random() % 4);
    const std::vector<uint8_t> frame = RandomFrame(random, type);
    const int rate = random() % 2 ? 8000 : 11000;
    const int bad = random() % 10 == 0;
    ASSERT_EQ(Decode(a, frame, rate, bad), Decode(b, frame, rate, bad)) << i;
    for (float x : a.LastSynthesis()) ASSERT_TRUE(std::isfinite(x)) << "frame " << i;
    ASSERT_TRUE(std::isfinite(a.PostfilterView().levelGain)) << "frame " << i;
    ASSERT_TRUE(std::isfinite(a.PostfilterView().highPassOutput)) << "frame " << i;
  }
}

}  // namespace
}  // namespace vx
