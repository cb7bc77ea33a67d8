// The encoder's frame loop at its edges: input rates and bad parameters, digital silence, the
// activity decision, the frame counter and reset, the pitch ranges and words.
#include <gtest/gtest.h>

#include <array>
#include <random>
#include <string>
#include <vector>

#include "codec/adaptive_search.h"
#include "codec/encoder.h"
#include "codec/frame_format.h"
#include "testsupport/test_speech.h"

namespace vx {
namespace {

using Frames = std::vector<std::vector<uint8_t>>;

// Encodes whole calls of `perCall` samples of `pcm`; every frame's bytes, in order.
Frames Encode(EncoderSession& session, const std::vector<int16_t>& pcm, int rate, int detect,
              int rateMode, size_t perCall = 160) {
  Frames frames;
  std::array<uint8_t, 20> out{};
  for (size_t at = 0; at + perCall <= pcm.size(); at += perCall) {
    const int bytes = session.EncodeFrame(std::span<const int16_t>(pcm.data() + at, perCall), rate,
                                          out, detect, rateMode);
    frames.emplace_back(out.begin(), out.begin() + bytes);
  }
  return frames;
}

Frames EncodeFresh(const std::vector<int16_t>& pcm, int rate, int detect, int rateMode,
                   size_t perCall = 160) {
  EncoderSession session;
  return Encode(session, pcm, rate, detect, rateMode, perCall);
}

std::vector<int16_t> Speech() {
  const auto clips = test::SampleClips();
  return clips.empty() ? std::vector<int16_t>{} : clips.front().samples;
}

// Steady white background noise of the given RMS.
std::vector<int16_t> Background(size_t samples, float rms, uint32_t seed) {
  std::mt19937 random(seed);
  std::normal_distribution<float> noise(0.0f, rms);
  std::vector<int16_t> out(samples);
  for (auto& s : out) s = static_cast<int16_t>(noise(random));
  return out;
}

struct SilenceCase {
  int detect;
  int rateMode;
  size_t bytes;
  uint8_t firstByte;
};

TEST(EncoderFrameTest, DigitalSilenceFromTheFirstFrame) {
  const std::vector<int16_t> silence(160 * 40, 0);
  const SilenceCase cases[] = {
      {1, 0, 1, 0x0A},  // silence frames whatever the rate mode
      {1, 1, 1, 0x0A},
      {0, 0, 19, 0x05},  // without the activity decision, speech frames of the mode
      {0, 1, 12, 0x0F},
  };
  for (const SilenceCase& c : cases) {
    SCOPED_TRACE("detect " + std::to_string(c.detect) + ", rate mode " +
                 std::to_string(c.rateMode));
    const Frames frames = EncodeFresh(silence, 8000, c.detect, c.rateMode);
    ASSERT_EQ(frames.size(), 40u);
    for (const auto& frame : frames) {
      ASSERT_EQ(frame.size(), c.bytes);
      EXPECT_EQ(frame[0] & 0x0F, c.firstByte);
    }
  }
}

TEST(EncoderFrameTest, RateSpellingsAndTheSamplesEachReads) {
  const std::vector<int16_t> speech = Speech();
  ASSERT_FALSE(speech.empty());
  const Frames at8000 = EncodeFresh(speech, 8000, 1, 0);
  EXPECT_EQ(EncodeFresh(speech, 8, 1, 0), at8000);
  // A longer span than the rate needs: only the first 160 samples of each call are read.
  std::vector<int16_t> padded;
  for (size_t at = 0; at + 160 <= speech.size(); at += 160) {
    padded.insert(padded.end(), speech.begin() + at, speech.begin() + at + 160);
    padded.insert(padded.end(), 40, 12345);
  }
  EncoderSession session;
  Frames fromPadded;
  std::array<uint8_t, 20> out{};
  for (size_t at = 0; at + 200 <= padded.size(); at += 200) {
    const int bytes =
        session.EncodeFrame(std::span<const int16_t>(padded.data() + at, 200), 8000, out, 1, 0);
    fromPadded.emplace_back(out.begin(), out.begin() + bytes);
  }
  EXPECT_EQ(fromPadded, at8000);

  const test::SpeechClip clip = test::Fixture11025();
  ASSERT_EQ(clip.rate, 11025);
  const Frames at11025 = EncodeFresh(clip.samples, 11025, 1, 0, 220);
  EXPECT_EQ(at11025.size(), clip.samples.size() / 220);  // one 20 ms frame per 220 samples
  EXPECT_EQ(EncodeFresh(clip.samples, 11000, 1, 0, 220), at11025);
  EXPECT_EQ(EncodeFresh(clip.samples, 11, 1, 0, 220), at11025);
}

struct BadCall {
  const char* name;
  size_t samples;
  int rate;
  size_t outBytes;
  const char* message;
};

TEST(EncoderFrameTest, RefusedCallsWriteNothingAndLeaveTheSessionUnchanged) {
  const std::vector<int16_t> speech = Speech();
  ASSERT_GE(speech.size(), 160u * 20);
  const std::vector<int16_t> head(speech.begin(), speech.begin() + 160 * 20);
  const Frames expected = EncodeFresh(head, 8000, 1, 0);
  const BadCall cases[] = {
      {"rate 16000", 160, 16000, 20, "Non-supported sampling rate."},
      {"rate 0", 160, 0, 20, "Non-supported sampling rate."},
      {"159 samples at 8000 Hz", 159, 8000, 20, "Parameter error!"},
      {"219 samples at 11025 Hz", 219, 11025, 20, "Parameter error!"},
      {"18 bytes of output", 160, 8000, 18, "Parameter error!"},
  };
  for (const BadCall& c : cases) {
    SCOPED_TRACE(c.name);
    EncoderSession session;
    std::vector<std::string> messages;
    session.SetErrorSink([&](std::string_view m) { messages.emplace_back(m); });
    std::vector<uint8_t> out(c.outBytes, 0xEE);
    // In the middle of a stream: after 10 frames, before the 11th.
    const std::vector<int16_t> first(head.begin(), head.begin() + 1600);
    Frames frames = Encode(session, first, 8000, 1, 0);
    EXPECT_EQ(session.EncodeFrame(std::span<const int16_t>(head.data() + 1600, c.samples), c.rate,
                                  out, 1, 0),
              0);
    EXPECT_EQ(out, std::vector<uint8_t>(c.outBytes, 0xEE));
    EXPECT_EQ(messages, std::vector<std::string>{c.message});
    const std::vector<int16_t> rest(head.begin() + 1600, head.end());
    const Frames more = Encode(session, rest, 8000, 1, 0);
    frames.insert(frames.end(), more.begin(), more.end());
    EXPECT_EQ(frames, expected);
  }
}

TEST(EncoderFrameTest, UnknownDetectValueIsReportedAndTakenAsOne) {
  const std::vector<int16_t> input = test::SpeechNoiseSilenceSpeech(Speech());
  EncoderSession session;
  int reports = 0;
  session.SetErrorSink([&](std::string_view m) { reports += m == "Parameter error!"; });
  const Frames frames = Encode(session, input, 8000, 2, 0);
  EXPECT_EQ(reports, static_cast<int>(frames.size()));
  EXPECT_EQ(frames, EncodeFresh(input, 8000, 1, 0));
}

// Rate mode decides the type of speech frames only: over speech, background and silence with
// the mode switching every frame, speech frames follow the mode, and noise and silence frames
// occur with their own sizes in both modes.
TEST(EncoderFrameTest, RateModeSwitchingChangesOnlySpeechFrames) {
  const std::vector<int16_t> input = test::SpeechNoiseSilenceSpeech(Speech());
  EncoderSession session;
  std::array<uint8_t, 20> out{};
  std::array<std::array<int, 4>, 2> typesByMode{};  // [rate mode][frame type]
  for (size_t f = 0; (f + 1) * 160 <= input.size(); ++f) {
    const int mode = static_cast<int>(f % 2);
    const int bytes = session.EncodeFrame(std::span<const int16_t>(input.data() + f * 160, 160),
                                          8000, out, 1, mode);
    const FrameType type = FrameTypeOf(out[0]);
    ASSERT_EQ(bytes, FrameBytes(type));
    ++typesByMode[static_cast<size_t>(mode)][static_cast<size_t>(type)];
  }
  for (int mode = 0; mode < 2; ++mode) {
    SCOPED_TRACE("rate mode " + std::to_string(mode));
    const auto& types = typesByMode[static_cast<size_t>(mode)];
    EXPECT_GT(types[static_cast<size_t>(FrameType::kNoise)], 0);
    EXPECT_GT(types[static_cast<size_t>(FrameType::kSilence)], 0);
    EXPECT_GT(types[static_cast<size_t>(mode == 1 ? FrameType::kHalfRate : FrameType::kFullRate)],
              0);
    EXPECT_EQ(types[static_cast<size_t>(mode == 1 ? FrameType::kFullRate : FrameType::kHalfRate)],
              0);
  }
}

// Quiet background teaches the detector a threshold of 50, so its frames code as noise; one
// loud 40-sample burst inside the coded frame 20 makes that frame speech, and the background
// after it codes as noise again.
TEST(EncoderFrameTest, OneLoudSubframeMakesAQuietFrameSpeech) {
  std::vector<int16_t> input = Background(160 * 32, 40.0f, 7);
  const std::vector<int16_t> burst = Background(40, 400.0f, 8);
  // Frame k codes input samples 160 k - 100 to 160 k + 59.
  std::copy(burst.begin(), burst.end(), input.begin() + 160 * 20 + 20);
  const Frames frames = EncodeFresh(input, 8000, 1, 0);
  ASSERT_EQ(frames.size(), 32u);
  for (size_t f = 14; f < frames.size(); ++f) {
    SCOPED_TRACE("frame " + std::to_string(f));
    const bool aroundBurst = f >= 20 && f <= 22;
    if (f == 20) {
      EXPECT_EQ(FrameTypeOf(frames[f][0]), FrameType::kFullRate);
    } else if (!aroundBurst) {
      EXPECT_EQ(FrameTypeOf(frames[f][0]), FrameType::kNoise);
    }
  }
}

// The counter wraps from 0x3FFFFFFF to 1000, never to 0: the first-frame initialisations are
// not repeated, so the stream equals one whose counter never wrapped.
TEST(EncoderFrameTest, FrameCounterWrapDoesNotRestartTheStream) {
  const std::vector<int16_t> input = test::SpeechNoiseSilenceSpeech(Speech());
  const Frames expected = EncodeFresh(input, 8000, 1, 0);
  EncoderSession session;
  std::array<uint8_t, 20> out{};
  Frames frames;
  for (size_t f = 0; (f + 1) * 160 <= input.size(); ++f) {
    if (f == 1) session.SetFrameCounterForTest(0x3FFFFFFF - 3);
    const int bytes =
        session.EncodeFrame(std::span<const int16_t>(input.data() + f * 160, 160), 8000, out, 1, 0);
    frames.emplace_back(out.begin(), out.begin() + bytes);
    if (f == 4) {
      EXPECT_EQ(session.FrameCounter(), 1000);
    }
  }
  EXPECT_EQ(frames, expected);
}

TEST(EncoderFrameTest, ResetRestartsAllAdaptationAndPrimingFeedsTheLookAhead) {
  const std::vector<int16_t> input = test::SpeechNoiseSilenceSpeech(Speech());
  EncoderSession session;
  const Frames first = Encode(session, input, 8000, 1, 1);
  EXPECT_EQ(session.EncoderReset(), 0);
  EXPECT_EQ(Encode(session, input, 8000, 1, 1), first);

  // Priming with the 100 samples before the stream changes the first frame.
  const std::vector<int16_t> priming(input.begin(), input.begin() + 100);
  const std::vector<int16_t> rest(input.begin() + 100, input.end());
  EncoderSession primed;
  EXPECT_EQ(primed.EncoderReset(priming), 0);
  const Frames withPriming = Encode(primed, rest, 8000, 0, 0);
  EXPECT_NE(withPriming.front(), EncodeFresh(rest, 8000, 0, 0).front());

  std::vector<std::string> messages;
  primed.SetErrorSink([&](std::string_view m) { messages.emplace_back(m); });
  EXPECT_EQ(primed.EncoderReset(std::span<const int16_t>(priming.data(), 99)), kCodecNoOutput);
  EXPECT_EQ(messages, std::vector<std::string>{"Parameter error!"});
}

struct RangeCase {
  int openLoopLag;
  bool relative;
  int previousLag;
  int lo, hi;
};

TEST(PitchSearchTest, SearchRanges) {
  const RangeCase cases[] = {
      {20, false, 0, 20, 26}, {142, false, 0, 139, 142}, {21, false, 0, 20, 26},
      {60, true, 58, 57, 63}, {60, true, 62, 57, 63},    {60, true, 137, 131, 137},
      {60, true, 50, 50, 56}, {60, true, 70, 64, 70},    {142, true, 142, 139, 142},
  };
  for (const RangeCase& c : cases) {
    SCOPED_TRACE("open loop " + std::to_string(c.openLoopLag) + ", previous " +
                 std::to_string(c.previousLag));
    const PitchSearchRange range = PitchRange(c.openLoopLag, c.relative, c.previousLag);
    EXPECT_EQ(range.lo, c.lo);
    EXPECT_EQ(range.hi, c.hi);
  }
}

TEST(PitchSearchTest, WordsOfTheSearchableDelays) {
  // Absolute: 3 t0 + frac - 58 up to lag 85, t0 + 112 above; 0 is 19 1/3, 254 is 142.
  EXPECT_EQ(AbsolutePitchWord({19, 1}), 0);
  EXPECT_EQ(AbsolutePitchWord({85, 0}), 197);
  EXPECT_EQ(AbsolutePitchWord({86, 0}), 198);
  EXPECT_EQ(AbsolutePitchWord({142, 0}), 254);
  // Relative words of every delay the 5-bit reach allows lie in 1 ... 31.
  for (int d = -6; d <= 6; ++d) {
    for (int frac = -1; frac <= 1; ++frac) {
      if (std::abs(d) > 4 && frac != 0) continue;
      const int word = RelativePitchWord({60 + d, frac}, 60);
      EXPECT_GE(word, 1) << d << " " << frac;
      EXPECT_LE(word, 31) << d << " " << frac;
    }
  }
  EXPECT_EQ(RelativePitchWord({54, 0}, 60), 1);
  EXPECT_EQ(RelativePitchWord({66, 0}, 60), 31);
}

// Over real speech at full rate, the pitch words of subframes 2 and 4 are relative (1 ... 31,
// never 0) and those of subframes 1 and 3 absolute (0 ... 254).
TEST(PitchSearchTest, SpeechFramesKeepThePitchWordRules) {
  const std::vector<int16_t> speech = Speech();
  EncoderSession session;
  std::array<uint8_t, 20> out{};
  int speechFrames = 0;
  for (size_t at = 0; at + 160 <= speech.size(); at += 160) {
    session.EncodeFrame(std::span<const int16_t>(speech.data() + at, 160), 8000, out, 0, 0);
    const FrameWords& words = session.LastWords();
    ++speechFrames;
    for (size_t sub = 0; sub < 4; ++sub) {
      const int32_t word = words[1 + 3 * sub];
      if (sub % 2 == 1) {
        EXPECT_GE(word, 1);
        EXPECT_LE(word, 31);
      } else {
        EXPECT_GE(word, 0);
        EXPECT_LE(word, 254);
      }
    }
  }
  EXPECT_GT(speechFrames, 100);
}

}  // namespace
}  // namespace vx
