#include "audio/alsa_wave_api.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "audio/tests/device_loops.h"
#include "platform/headless/scripted_prompter.h"
#include "testsupport/alsa_file_config.h"

namespace vx {
namespace {

using testing::AlsaFileConfig;
using testing::CaptureInto;
using testing::PlayThrough;

std::vector<uint8_t> RandomBytes(size_t n, uint32_t seed) {
  std::mt19937 random(seed);
  std::vector<uint8_t> v(n);
  for (auto& b : v) b = static_cast<uint8_t>(random());
  return v;
}

class AlsaWaveApiTest : public ::testing::Test {
 protected:
  AlsaFileConfig config_;
  MessageQueue queue_;
  ScriptedPrompter prompter_;
  AlsaWaveApi api_{queue_};
  TargetId target_ = queue_.Register([](const Message&) {});
};

TEST_F(AlsaWaveApiTest, BytesWrittenThroughTheDeviceArriveInTheFileExactly) {
  const uint32_t seed = std::random_device{}();
  SCOPED_TRACE("seed " + std::to_string(seed));
  WaveOutDevice out(api_, prompter_);
  int id = -1;
  uint32_t count = 0;
  WaveOutCaps caps;
  ASSERT_EQ(out.GetDevCaps(id, count, caps), 0);
  EXPECT_EQ(count, 1u);
  EXPECT_EQ(out.SupportFlags(), kWaveCapsVolume | kWaveCapsLrVolume);
  ASSERT_EQ(out.OpenStream(target_, id, 8000, 16, 1, 4, 8000), 0);
  ASSERT_EQ(out.Pause(), 0);
  // Seven and a bit blocks: the ring goes round, and the last block is short.
  const auto sound = RandomBytes(7 * 8000 + 1234, seed);
  ASSERT_TRUE(PlayThrough(queue_, out, sound));
  uint32_t position = 0;
  ASSERT_EQ(out.GetPosition(position), 0);
  EXPECT_EQ(position, sound.size());
  ASSERT_EQ(out.CloseStream(), 0);
  EXPECT_TRUE(prompter_.Prompts().empty());
  const auto played = config_.Played();
  ASSERT_EQ(played.size(), sound.size());
  EXPECT_TRUE(played == sound);
}

TEST_F(AlsaWaveApiTest, PauseAndRestartLoseAndRepeatNothing) {
  WaveOutDevice out(api_, prompter_);
  ASSERT_EQ(out.OpenStream(target_, 0, 11025, 16, 2, 3, 4410 * 4), 0);
  ASSERT_EQ(out.Pause(), 0);
  const auto sound = RandomBytes(4 * 4410 * 4, 7);
  // Pause and restart between every block.
  std::vector<uint8_t> part;
  for (size_t at = 0; at < sound.size(); at += 4410 * 4) {
    part.assign(sound.begin() + at, sound.begin() + at + 4410 * 4);
    ASSERT_TRUE(PlayThrough(queue_, out, part));
    ASSERT_EQ(out.Pause(), 0);
  }
  ASSERT_EQ(out.CloseStream(), 0);
  EXPECT_TRUE(config_.Played() == sound);
}

TEST_F(AlsaWaveApiTest, VolumeIsAGainOnTheSamples) {
  WaveOutDevice out(api_, prompter_);
  int id;
  uint32_t count;
  WaveOutCaps caps;
  ASSERT_EQ(out.GetDevCaps(id, count, caps), 0);
  ASSERT_EQ(out.OpenStream(target_, 0, 8000, 16, 1, 2, 64), 0);
  ASSERT_EQ(out.SetVolume(0.5), 0);  // 32767 of 65535 on both sides
  double level = 0;
  ASSERT_EQ(out.GetVolume(level), 0);
  EXPECT_DOUBLE_EQ(level, 32767 / 65535.0);
  ASSERT_EQ(out.Pause(), 0);
  const int16_t in[] = {0, 1000, -1000, 32767, -32768, 1, -1};
  const int16_t expected[] = {0, 499, -499, 16383, -16383, 0, 0};
  std::vector<uint8_t> bytes(sizeof in);
  std::memcpy(bytes.data(), in, sizeof in);
  ASSERT_TRUE(PlayThrough(queue_, out, bytes));
  ASSERT_EQ(out.CloseStream(), 0);
  const auto played = config_.Played();
  ASSERT_EQ(played.size(), sizeof expected);
  EXPECT_EQ(std::memcmp(played.data(), expected, sizeof expected), 0);
}

TEST_F(AlsaWaveApiTest, ResetReturnsEveryQueuedBlockAtOnce) {
  WaveOutDevice out(api_, prompter_);
  ASSERT_EQ(out.OpenStream(target_, 0, 8000, 16, 1, 4, 8000), 0);
  ASSERT_EQ(out.Pause(), 0);  // held: nothing reaches the PCM
  for (int b = 0; b < 3; ++b) ASSERT_EQ(out.Write(8000), 0);
  ASSERT_EQ(out.Reset(), 0);
  EXPECT_FALSE(out.IsLastWrittenPlaying()) << "every done flag is set when Reset returns";
  ASSERT_EQ(out.ClearBlocks(), 0);
  int done = 0;
  while (auto m = queue_.Take()) done += m->id == kMsgWaveOutDone;
  EXPECT_EQ(done, 3);
  uint32_t position = 1;
  ASSERT_EQ(out.GetPosition(position), 0);
  EXPECT_EQ(position, 0u);
  ASSERT_EQ(out.CloseStream(), 0);
  EXPECT_TRUE(config_.Played().empty());
  EXPECT_TRUE(prompter_.Prompts().empty());
}

TEST_F(AlsaWaveApiTest, CaptureReadsTheInfileIntoTheBlocksInOrder) {
  const auto source = RandomBytes(6 * 2000, 11);
  config_.WriteCaptureSource(source);
  WaveInDevice in(api_, prompter_);
  int id = -1;
  uint32_t count = 0;
  WaveInCaps caps;
  ASSERT_EQ(in.GetInDevCaps(id, count, caps), 0);
  EXPECT_EQ(id, 0);
  EXPECT_EQ(count, 1u);
  ASSERT_EQ(in.OpenCapture(target_, id, 8000, 16, 1, 4, 2000), 0);
  std::vector<uint8_t> captured(source.size());
  ASSERT_TRUE(CaptureInto(queue_, in, captured));
  EXPECT_TRUE(captured == source);
  uint32_t position = 0;
  ASSERT_EQ(in.GetCapturePosition(position), 0);
  EXPECT_GE(position, source.size());
  ASSERT_EQ(in.CloseCapture(), 0);
  EXPECT_TRUE(prompter_.Prompts().empty());
}

TEST(AlsaWaveApiErrorTest, AMissingPcmIsReportedWithTheAlsaText) {
  AlsaFileConfig config;
  MessageQueue queue;
  ScriptedPrompter prompter;
  AlsaWaveApi api(queue, "vx_no_such_pcm");
  EXPECT_EQ(api.WaveOutGetNumDevs(), 0u);
  EXPECT_EQ(api.WaveInGetNumDevs(), 0u);
  WaveOutDevice out(api, prompter);
  EXPECT_EQ(out.QueryFormat(0, 8000, 16, 1), 1);
  ASSERT_EQ(prompter.Prompts().size(), 1u);
  EXPECT_EQ(prompter.Prompts()[0].caption, "waveOutOpen(WAVE_FORMAT_QUERY)");
  EXPECT_NE(prompter.Prompts()[0].text.find("(ALSA: "), std::string::npos)
      << prompter.Prompts()[0].text;
  WaveHandle h = 0;
  EXPECT_EQ(api.WaveOutOpen(&h, 0, MakePcmFormat(8000, 24, 1), kNoTarget, 0), kWaveBadFormat);
  EXPECT_EQ(api.WaveOutPause(h), kMmInvalidHandle);
}

}  // namespace
}  // namespace vx
