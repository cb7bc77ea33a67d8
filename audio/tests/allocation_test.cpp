// Every allocation of this test binary is counted (testsupport), so that a test can show that
// playing and capturing allocate nothing once the device is open.

#include <gtest/gtest.h>

#include "audio/alsa_wave_api.h"
#include "audio/tests/device_loops.h"
#include "audio/virtual_wave_api.h"
#include "platform/headless/scripted_prompter.h"
#include "testsupport/allocation_counter.h"
#include "testsupport/alsa_file_config.h"

namespace vx {
namespace {

using testing::AllocationCount;
using testing::AlsaFileConfig;
using testing::CaptureInto;
using testing::PlayThrough;

TEST(AllocationTest, AlsaPlayingAndCapturingAllocateNothingAfterOpen) {
  AlsaFileConfig config;
  config.WriteCaptureSource(std::vector<uint8_t>(20000, 0x5A));
  MessageQueue queue;
  ScriptedPrompter prompter;
  AlsaWaveApi api(queue);
  const TargetId target = queue.Register([](const Message&) {});
  const std::vector<uint8_t> sound(5 * 8000 + 100, 0x33);
  std::vector<uint8_t> captured(4 * 2000);

  WaveOutDevice out(api, prompter);
  int id;
  uint32_t devices;
  WaveOutCaps caps;
  ASSERT_EQ(out.GetDevCaps(id, devices, caps), 0);
  ASSERT_EQ(out.OpenStream(target, id, 8000, 16, 1, 4, 8000), 0);
  ASSERT_EQ(out.Pause(), 0);
  bool played = false;
  long made = 0;
  {
    AllocationCount count;
    played = PlayThrough(queue, out, sound) && out.SetVolume(0.5) == 0 &&
             PlayThrough(queue, out, sound);  // and once more through the gain
    made = count.Made();
  }
  EXPECT_TRUE(played);
  EXPECT_EQ(made, 0);
  ASSERT_EQ(out.CloseStream(), 0);

  WaveInDevice in(api, prompter);
  ASSERT_EQ(in.OpenCapture(target, 0, 8000, 16, 1, 4, 2000), 0);
  bool capturedAll = false;
  {
    AllocationCount count;
    capturedAll = CaptureInto(queue, in, captured);
    made = count.Made();
  }
  EXPECT_TRUE(capturedAll);
  EXPECT_EQ(made, 0);
  ASSERT_EQ(in.CloseCapture(), 0);
  EXPECT_EQ(captured, std::vector<uint8_t>(captured.size(), 0x5A));
  EXPECT_TRUE(prompter.Prompts().empty());
}

TEST(AllocationTest, VirtualCardPlayingAndCapturingAllocateNothingAfterOpen) {
  MessageQueue queue;
  VirtualClock clock;
  ScriptedPrompter prompter;
  const std::vector<uint8_t> sound(5 * 8000 + 100, 0x33);
  VirtualWaveApi card(queue, clock, VirtualCardConfig{.playedReserve = sound.size()});
  card.SetCaptureSource(std::vector<uint8_t>(20000, 0x5A));
  const TargetId target = queue.Register([](const Message&) {});
  std::vector<uint8_t> captured(4 * 2000);

  WaveOutDevice out(card, prompter);
  WaveInDevice in(card, prompter);
  ASSERT_EQ(out.OpenStream(target, 0, 8000, 16, 1, 4, 8000), 0);
  ASSERT_EQ(out.Pause(), 0);
  ASSERT_EQ(in.OpenCapture(target, 0, 8000, 16, 1, 4, 2000), 0);
  bool ok = false;
  long made = 0;
  {
    AllocationCount count;
    ok = PlayThrough(queue, out, sound, &clock) && CaptureInto(queue, in, captured, &clock);
    made = count.Made();
  }
  EXPECT_TRUE(ok);
  EXPECT_EQ(made, 0);
  EXPECT_EQ(card.PlayedBytes(), sound);
  EXPECT_EQ(out.CloseStream(), 0);
  EXPECT_EQ(in.CloseCapture(), 0);
}

}  // namespace
}  // namespace vx
