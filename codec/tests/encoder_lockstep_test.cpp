// The encoder's local reconstruction and a decoder fed its bytes must stay identical, bit for
// bit, frame after frame: excitation, LSF state, gain energies and the synthesis before the
// postfilter.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "codec/decoder.h"
#include "codec/encoder.h"
#include "io/memory_stream.h"
#include "testsupport/test_speech.h"

namespace vx {
namespace {

using RateModeOf = std::function<int(size_t frame)>;

template <typename T>
bool SameBits(const T& a, const T& b) {
  return std::memcmp(&a, &b, sizeof(T)) == 0;
}

bool SameSamples(std::span<const float> a, std::span<const float> b) {
  return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0;
}

// First index where two float spans differ, for the failure message.
std::string FirstDifference(std::span<const float> a, std::span<const float> b) {
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::memcmp(&a[i], &b[i], sizeof(float)) != 0)
      return "sample " + std::to_string(i) + ": " + std::to_string(a[i]) + " vs " +
             std::to_string(b[i]);
  }
  return "none";
}

struct LockStepResult {
  std::array<int, 4> typeCounts{};  // frames per frame type
  size_t frames = 0;
};

// Encodes `pcm` (at `rate`, 160 or 220 samples a call) behind a header written by the
// encoder, decodes every frame with a DecoderSession that read that header, and compares
// the two sessions after each frame.
LockStepResult RunLockStep(const std::vector<int16_t>& pcm, int rate, int detect,
                           const RateModeOf& rateModeOf) {
  EncoderSession encoder;
  DecoderSession decoder;
  std::array<uint8_t, 2 + kMaxHeaderBytes> header{};
  const int n = encoder.WriteSpeechHeader(-1, "Voice Message", "Nocomment", 1, 0, header);
  EXPECT_GT(n, 0);
  EXPECT_EQ(encoder.EncoderReset(), 0);
  MemoryStream file(std::vector<uint8_t>(header.begin(), header.begin() + 2 + n));
  int32_t sampleCount;
  int streamType;
  EXPECT_EQ(decoder.GetVocrixHeader(file, sampleCount, streamType), 0);
  EXPECT_EQ(streamType, 13);  // variable rate; frames decode as stream type 1
  EXPECT_EQ(decoder.CodecVersion(), encoder.CodecVersion());

  const size_t perCall = rate == 8000 ? 160 : 220;
  LockStepResult result;
  std::array<uint8_t, 20> frame{};
  std::array<int16_t, 160> out{};
  for (size_t f = 0; (f + 1) * perCall <= pcm.size(); ++f) {
    SCOPED_TRACE("frame " + std::to_string(f));
    const int rateMode = rateModeOf(f);
    const int bytes = encoder.EncodeFrame(
        std::span<const int16_t>(pcm.data() + f * perCall, perCall), rate, frame, detect, rateMode);
    const FrameType type = encoder.LastFrameType();
    EXPECT_EQ(bytes, FrameBytes(type));
    EXPECT_EQ(frame[0] & 0x0F, static_cast<int>(type) * 5);
    ++result.typeCounts[static_cast<size_t>(type)];
    ++result.frames;
    if (type == FrameType::kFullRate || type == FrameType::kHalfRate) {
      EXPECT_EQ(type, rateMode == 1 ? FrameType::kHalfRate : FrameType::kFullRate);
    }

    EXPECT_EQ(decoder.DecodeFrame(std::span<const uint8_t>(frame.data(), bytes), out, 8000, 0, 1),
              kCodecOk);
    const bool excitation = SameSamples(encoder.LastExcitation(), decoder.LastExcitation());
    const bool synthesis = SameSamples(encoder.LastReconstruction(), decoder.LastSynthesis());
    const LsfDecoderState& e = encoder.QuantiserState();
    const LsfDecoderState& d = decoder.LsfState();
    const bool lsf = SameBits(e.previous, d.previous) && SameBits(e.history, d.history) &&
                     SameBits(e.decoded, d.decoded);
    const bool gains = SameBits(encoder.GainEnergies(), decoder.GainEnergies());
    EXPECT_TRUE(excitation) << FirstDifference(encoder.LastExcitation(), decoder.LastExcitation());
    EXPECT_TRUE(synthesis) << FirstDifference(encoder.LastReconstruction(),
                                              decoder.LastSynthesis());
    EXPECT_TRUE(lsf);
    EXPECT_TRUE(gains);
    EXPECT_EQ(encoder.PreviousLag(), decoder.PreviousLag());
    EXPECT_EQ(encoder.SharpeningGain(), decoder.SharpeningGain());
    if (!excitation || !synthesis || !lsf || !gains) break;  // later frames only repeat it
  }
  return result;
}

int FullRate(size_t) {
  return 0;
}
int HalfRate(size_t) {
  return 1;
}

struct LockStepCase {
  const char* name;
  int detect;
  RateModeOf rateMode;
};

const LockStepCase kCases[] = {
    {"full rate", 0, FullRate},
    {"half rate", 0, HalfRate},
    {"full rate, activity decision", 1, FullRate},
    {"half rate, activity decision", 1, HalfRate},
    // Rate mode 6 (a full-rate variant) and unknown modes code speech at full rate.
    {"switching every 5 frames", 0, [](size_t f) { return (f / 5) % 2 == 0 ? 0 : 1; }},
    {"switching every frame, other modes", 1,
     [](size_t f) {
       return std::array<int, 4>{1, 6, 1, 0}[f % 4];
     }},
};

TEST(EncoderLockStepTest, RecordedSpeechAt8000Hz) {
  const std::vector<test::SpeechClip> clips = test::SampleClips();
  ASSERT_FALSE(clips.empty()) << "no 8000 Hz speech in samples/";
  for (const test::SpeechClip& clip : clips) {
    for (const LockStepCase& c : kCases) {
      SCOPED_TRACE(clip.name + ", " + c.name);
      const LockStepResult result = RunLockStep(clip.samples, 8000, c.detect, c.rateMode);
      EXPECT_EQ(result.frames, clip.samples.size() / 160);
    }
  }
}

TEST(EncoderLockStepTest, SynthesisedSpeechAt11025Hz) {
  const test::SpeechClip clip = test::Fixture11025();
  ASSERT_EQ(clip.rate, 11025);
  for (const LockStepCase& c : kCases) {
    SCOPED_TRACE(c.name);
    const LockStepResult result = RunLockStep(clip.samples, 11025, c.detect, c.rateMode);
    EXPECT_EQ(result.frames, clip.samples.size() / 220);
  }
}

// Short lags from the first subframe on: the pitch sharpening of the very first pulse vectors
// must use the same gain on both sides.
TEST(EncoderLockStepTest, HighVoiceFromTheFirstFrame) {
  for (int period : {25, 33, 39}) {
    SCOPED_TRACE(period);
    const std::vector<int16_t> pcm = test::HighVoice(period, 160 * 20);
    for (const LockStepCase& c : kCases) {
      SCOPED_TRACE(c.name);
      RunLockStep(pcm, 8000, c.detect, c.rateMode);
    }
  }
}

// Speech, background noise and digital silence with the activity decision: every frame type
// occurs, and the noise and silence frames between speech keep the two sides together.
TEST(EncoderLockStepTest, EveryFrameTypeWithTheActivityDecision) {
  const std::vector<test::SpeechClip> clips = test::SampleClips();
  ASSERT_FALSE(clips.empty());
  const std::vector<int16_t> pcm = test::SpeechNoiseSilenceSpeech(clips[0].samples);
  struct Run {
    const char* name;
    RateModeOf rateMode;
    std::array<bool, 4> expected;  // frame types that must occur: noise, full, silence, half
  };
  const Run runs[] = {
      {"full rate", FullRate, {true, true, true, false}},
      {"half rate", HalfRate, {true, false, true, true}},
      {"switching", [](size_t f) { return static_cast<int>(f % 2); }, {true, true, true, true}},
  };
  for (const Run& run : runs) {
    SCOPED_TRACE(run.name);
    const LockStepResult result = RunLockStep(pcm, 8000, 1, run.rateMode);
    for (size_t t = 0; t < 4; ++t) EXPECT_EQ(result.typeCounts[t] > 0, run.expected[t]) << t;
  }
}

}  // namespace
}  // namespace vx
