#include "audio/virtual_wave_api.h"

#include <gtest/gtest.h>

#include "audio/tests/test_rig.h"

namespace vx {
namespace {

using testing::CardRig;
using testing::Pattern;

struct Block {
  std::vector<uint8_t> data;
  WaveHeader header;
  explicit Block(std::vector<uint8_t> bytes) : data(std::move(bytes)) {
    header.data = data.data();
    header.bufferLength = static_cast<uint32_t>(data.size());
  }
};

TEST(VirtualWaveApiTest, PlaybackIsPacedByTheClock) {
  struct Case {
    uint32_t rate;
    uint16_t bits;
    uint16_t channels;
    uint32_t bytes;
    int64_t doneMs;  // first whole millisecond at which every byte has been played
  };
  const Case cases[] = {
      {8000, 16, 1, 3200, 200},  // 16000 bytes a second
      {8000, 16, 1, 3201, 201}, {11025, 16, 2, 44100, 1000},
      {8000, 8, 1, 80, 10},     {22050, 8, 1, 100, 5},  // 22.05 bytes a millisecond: 88 after 4 ms
  };
  for (const Case& c : cases) {
    CardRig rig;
    WaveHandle h = 0;
    ASSERT_EQ(rig.card.WaveOutOpen(&h, 0, MakePcmFormat(c.rate, c.bits, c.channels), rig.target, 0),
              kMmNoError);
    Block block(Pattern(c.bytes));
    ASSERT_EQ(rig.card.WaveOutPrepareHeader(h, &block.header), kMmNoError);
    ASSERT_EQ(rig.card.WaveOutWrite(h, &block.header), kMmNoError);
    rig.clock.Sleep(c.doneMs - 1);
    EXPECT_FALSE(block.header.IsDone()) << c.rate << " " << c.bytes;
    EXPECT_EQ(rig.queue.Size(), 0u);
    rig.clock.Sleep(1);
    EXPECT_TRUE(block.header.IsDone()) << c.rate << " " << c.bytes;
    auto m = rig.queue.Take();
    ASSERT_TRUE(m);
    EXPECT_EQ(m->target, rig.target);
    EXPECT_EQ(m->id, kMsgWaveOutDone);
    EXPECT_EQ(m->wparam, h);
    EXPECT_EQ(m->lparam, reinterpret_cast<intptr_t>(&block.header));
    EXPECT_EQ(rig.card.PlayedBytes(), block.data);
  }
}

TEST(VirtualWaveApiTest, IdleTimeIsNotOwedToTheNextBlock) {
  CardRig rig;
  WaveHandle h = 0;
  ASSERT_EQ(rig.card.WaveOutOpen(&h, 0, MakePcmFormat(8000, 16, 1), rig.target, 0), kMmNoError);
  rig.clock.Sleep(5000);
  Block block(Pattern(1600));
  rig.card.WaveOutPrepareHeader(h, &block.header);
  rig.card.WaveOutWrite(h, &block.header);
  rig.clock.Sleep(99);
  EXPECT_FALSE(block.header.IsDone());
  rig.clock.Sleep(1);
  EXPECT_TRUE(block.header.IsDone());
}

TEST(VirtualWaveApiTest, HeaderRulesOfTheService) {
  CardRig rig;
  WaveHandle h = 0;
  ASSERT_EQ(rig.card.WaveOutOpen(&h, 0, MakePcmFormat(8000, 16, 1), rig.target, 0), kMmNoError);
  Block block(Pattern(320));
  EXPECT_EQ(rig.card.WaveOutWrite(h, &block.header), kWaveUnprepared);
  ASSERT_EQ(rig.card.WaveOutPrepareHeader(h, &block.header), kMmNoError);
  ASSERT_EQ(rig.card.WaveOutWrite(h, &block.header), kMmNoError);
  EXPECT_EQ(rig.card.WaveOutWrite(h, &block.header), kWaveStillPlaying);
  EXPECT_EQ(rig.card.WaveOutUnprepareHeader(h, &block.header), kWaveStillPlaying);
  EXPECT_EQ(rig.card.WaveOutClose(h), kWaveStillPlaying);
  EXPECT_EQ(rig.card.WaveOutPause(h + 1), kMmInvalidHandle);
  ASSERT_EQ(rig.card.WaveOutReset(h), kMmNoError);
  EXPECT_TRUE(block.header.IsDone());
  EXPECT_EQ(rig.card.WaveOutUnprepareHeader(h, &block.header), kMmNoError);
  EXPECT_EQ(rig.card.PreparedHeaders(), 0u);
  EXPECT_EQ(rig.card.WaveOutClose(h), kMmNoError);
  EXPECT_EQ(rig.card.WaveOutClose(h), kMmInvalidHandle);

  EXPECT_EQ(rig.card.WaveOutOpen(&h, 1, MakePcmFormat(8000, 16, 1), kNoTarget, 0), kMmBadDeviceId);
  EXPECT_EQ(rig.card.WaveOutOpen(&h, 0, MakePcmFormat(8000, 24, 1), kNoTarget, 0), kWaveBadFormat);
  EXPECT_EQ(rig.card.WaveOutOpen(nullptr, kWaveMapper, MakePcmFormat(8000, 16, 1), kNoTarget,
                                 kWaveFormatQuery),
            kMmNoError);
  EXPECT_EQ(rig.card.OpenOutputs(), 0u) << "a query keeps no handle";
}

TEST(VirtualWaveApiTest, FailureSwitchOnceOrAlways) {
  CardRig rig;
  const WaveFormat f = MakePcmFormat(8000, 16, 1);
  WaveHandle h = 0;
  rig.card.FailNext(WaveOp::kOutOpen, kMmAllocated, 2);
  EXPECT_EQ(rig.card.WaveOutOpen(&h, 0, f, kNoTarget, 0), kMmAllocated);
  EXPECT_EQ(rig.card.WaveOutOpen(&h, 0, f, kNoTarget, 0), kMmAllocated);
  EXPECT_EQ(rig.card.WaveOutOpen(nullptr, 0, f, kNoTarget, kWaveFormatQuery), kMmNoError)
      << "the query is a switch of its own";
  ASSERT_EQ(rig.card.WaveOutOpen(&h, 0, f, kNoTarget, 0), kMmNoError);
  rig.card.FailAlways(WaveOp::kOutGetPosition, kMmError);
  uint32_t position = 0;
  for (int i = 0; i < 3; ++i) EXPECT_EQ(rig.card.WaveOutGetPosition(h, position), kMmError);
  rig.card.ClearFailures();
  EXPECT_EQ(rig.card.WaveOutGetPosition(h, position), kMmNoError);
}

TEST(VirtualWaveApiTest, CaptureGivesSilenceOnceTheSourceRunsOut) {
  CardRig rig;
  rig.card.SetCaptureSource(Pattern(100, 1));
  WaveHandle h = 0;
  ASSERT_EQ(rig.card.WaveInOpen(&h, 0, MakePcmFormat(8000, 16, 1), rig.target, 0), kMmNoError);
  Block block(std::vector<uint8_t>(320, 0xAA));
  ASSERT_EQ(rig.card.WaveInPrepareHeader(h, &block.header), kMmNoError);
  ASSERT_EQ(rig.card.WaveInAddBuffer(h, &block.header), kMmNoError);
  rig.clock.Sleep(50);
  EXPECT_FALSE(block.header.IsDone()) << "not started";
  ASSERT_EQ(rig.card.WaveInStart(h), kMmNoError);
  rig.clock.Sleep(20);
  ASSERT_TRUE(block.header.IsDone());
  EXPECT_EQ(block.header.bytesRecorded.load(), 320u);
  std::vector<uint8_t> expected = Pattern(100, 1);
  expected.resize(320, 0);
  EXPECT_EQ(block.data, expected);
  EXPECT_EQ(rig.card.CaptureSourceRemaining(), 0u);
  auto m = rig.queue.Take();
  ASSERT_TRUE(m);
  EXPECT_EQ(m->id, kMsgWaveInData);
  EXPECT_EQ(m->lparam, reinterpret_cast<intptr_t>(&block.header));
}

TEST(VirtualWaveApiTest, FollowsARealClockWithItsOwnThread) {
  MessageQueue queue;
  RealClock clock;
  VirtualWaveApi card(queue, clock);
  WaveHandle h = 0;
  ASSERT_EQ(card.WaveOutOpen(&h, 0, MakePcmFormat(8000, 16, 1), 1, 0), kMmNoError);
  Block block(Pattern(160));  // 10 ms
  card.WaveOutPrepareHeader(h, &block.header);
  card.WaveOutWrite(h, &block.header);
  ASSERT_TRUE(queue.WaitForMessage(std::chrono::milliseconds(60000)));
  EXPECT_TRUE(block.header.IsDone());
  EXPECT_EQ(card.PlayedBytes(), block.data);
}

}  // namespace
}  // namespace vx
