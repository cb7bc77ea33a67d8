#include "audio/wave_in_device.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "audio/tests/test_rig.h"

namespace vx {
namespace {

using testing::CardRig;
using testing::Pattern;

constexpr uint32_t kBlockBytes = 8000;  // half a second of 8000 Hz 16-bit mono
constexpr int64_t kBlockMs = 500;

struct InRig : CardRig {
  explicit InRig(VirtualCardConfig config = {}) : CardRig(config), in(card, prompter, heap) {}

  int Open(int blocks = 4, int deviceId = 0) {
    return in.OpenCapture(target, deviceId, 8000, 16, 1, blocks, kBlockBytes);
  }
  // Takes the waiting messages; every input-data message is answered as the recorder does:
  // the filled block's bytes are kept and the block is queued again.
  std::vector<std::vector<uint8_t>> TakeBlocks(bool requeue = true) {
    std::vector<std::vector<uint8_t>> blocks;
    Pump([&](const Message& m) {
      if (m.id != kMsgWaveInData) return;
      uint8_t* data = nullptr;
      uint32_t size = 0;
      EXPECT_EQ(in.GetFilledBlock(data, size), 0);
      const auto* header = reinterpret_cast<const WaveHeader*>(m.lparam);
      EXPECT_EQ(header->data, data) << "the message names the block at the read index";
      blocks.emplace_back(data, data + header->bytesRecorded.load());
      EXPECT_EQ(size, kBlockBytes);
      if (requeue) {
        EXPECT_EQ(in.RequeueBlock(), 0);
      }
    });
    return blocks;
  }

  WaveInDevice in;
};

TEST(WaveInDeviceTest, OpenCaptureAllowsAtMostSixteenBlocks) {
  InRig rig;
  EXPECT_EQ(rig.Open(17), 1);
  ASSERT_EQ(rig.prompter.Prompts().size(), 1u);
  EXPECT_EQ(rig.prompter.Prompts()[0].text,
            "バッファブロック数が多すぎます。\n現在のブロック数設定値は、16です。");
  EXPECT_EQ(rig.prompter.Prompts()[0].caption, "WaveInput Device Error");
  EXPECT_FALSE(rig.in.IsOpen());
  EXPECT_EQ(rig.heap.allocations, 0);
  EXPECT_EQ(rig.card.OpenInputs(), 0u);

  rig.prompter.Clear();
  EXPECT_EQ(rig.Open(16), 0);
  EXPECT_TRUE(rig.prompter.Prompts().empty());
  EXPECT_EQ(rig.in.BlockCount(), 16);
  for (uint16_t i = 0; i < 16; ++i) EXPECT_EQ(rig.in.StateOf(i), BlockState::kQueued);
  EXPECT_FALSE(rig.card.IsInputStarted(0x101)) << "opened, not started";
}

TEST(WaveInDeviceTest, CapturesInOrderAndTheRequeuedRingWraps) {
  InRig rig;
  const auto source = Pattern(6 * kBlockBytes, 3);
  rig.card.SetCaptureSource(source);
  ASSERT_EQ(rig.Open(4), 0);
  ASSERT_EQ(rig.in.StartCapture(), 0);

  std::vector<uint16_t> readIndices;
  for (int b = 0; b < 6; ++b) {
    rig.clock.Sleep(kBlockMs);
    const auto blocks = rig.TakeBlocks();
    ASSERT_EQ(blocks.size(), 1u) << b;
    const auto expected = std::vector<uint8_t>(source.begin() + b * kBlockBytes,
                                               source.begin() + (b + 1) * kBlockBytes);
    EXPECT_EQ(blocks[0], expected) << b;
    readIndices.push_back(rig.in.ReadIndex());
  }
  EXPECT_EQ(readIndices, (std::vector<uint16_t>{1, 2, 3, 0, 1, 2}))
      << "requeueing the last block of the ring wraps to 0";
  uint32_t position = 0;
  ASSERT_EQ(rig.in.GetCapturePosition(position), 0);
  EXPECT_EQ(position, 6 * kBlockBytes);
  EXPECT_EQ(rig.in.CloseCapture(), 0);
  EXPECT_EQ(rig.heap.Held(), 0u);
  EXPECT_EQ(rig.card.OpenInputs(), 0u);
  EXPECT_EQ(rig.card.PreparedHeaders(), 0u);
  EXPECT_TRUE(rig.prompter.Prompts().empty());
}

TEST(WaveInDeviceTest, StopReturnsThePartlyFilledBlockWithItsFullCapacityAsSize) {
  InRig rig;
  rig.card.SetCaptureSource(Pattern(3 * kBlockBytes));
  ASSERT_EQ(rig.Open(4), 0);
  ASSERT_EQ(rig.in.StartCapture(), 0);
  rig.clock.Sleep(kBlockMs + 100);
  ASSERT_EQ(rig.TakeBlocks().size(), 1u);
  ASSERT_EQ(rig.in.StopCapture(), 0);

  std::vector<uint32_t> recorded;
  rig.Pump([&](const Message& m) {
    if (m.id != kMsgWaveInData) return;
    recorded.push_back(reinterpret_cast<const WaveHeader*>(m.lparam)->bytesRecorded.load());
    uint8_t* data = nullptr;
    uint32_t size = 0;
    rig.in.GetFilledBlock(data, size);
    EXPECT_EQ(size, kBlockBytes) << "the capacity, not the bytes recorded";
  });
  EXPECT_EQ(recorded, (std::vector<uint32_t>{1600})) << "100 ms of sound";
  EXPECT_EQ(rig.in.CloseCapture(), 0);
  EXPECT_EQ(rig.heap.Held(), 0u);
}

TEST(WaveInDeviceTest, ResetReturnsEveryQueuedBlock) {
  InRig rig;
  ASSERT_EQ(rig.Open(4), 0);
  ASSERT_EQ(rig.in.StartCapture(), 0);
  rig.clock.Sleep(100);
  ASSERT_EQ(rig.in.ResetCapture(), 0);
  std::vector<const WaveHeader*> returned;
  rig.Pump([&](const Message& m) {
    if (m.id == kMsgWaveInData) returned.push_back(reinterpret_cast<const WaveHeader*>(m.lparam));
  });
  ASSERT_EQ(returned.size(), 4u);
  for (uint16_t i = 0; i < 4; ++i) {
    EXPECT_EQ(returned[i], &rig.in.HeaderOf(i)) << "in ring order";
    EXPECT_TRUE(returned[i]->IsDone());
  }
  EXPECT_EQ(returned[0]->bytesRecorded.load(), 1600u);
  EXPECT_EQ(returned[1]->bytesRecorded.load(), 0u);
  uint32_t position = 1;
  ASSERT_EQ(rig.in.GetCapturePosition(position), 0);
  EXPECT_EQ(position, 0u);
  EXPECT_EQ(rig.in.CloseCapture(), 0);
  EXPECT_EQ(rig.card.OpenInputs(), 0u);
}

TEST(WaveInDeviceTest, RequeueLeavesABlockTheDeviceStillHolds) {
  InRig rig;
  ASSERT_EQ(rig.Open(2), 0);
  ASSERT_EQ(rig.in.StartCapture(), 0);
  // A stray input message before the block is filled: requeueing it would queue it twice.
  EXPECT_EQ(rig.in.RequeueBlock(), 0);
  EXPECT_EQ(rig.in.ReadIndex(), 0);
  EXPECT_EQ(rig.in.StateOf(0), BlockState::kQueued);
  rig.clock.Sleep(kBlockMs);
  EXPECT_EQ(rig.TakeBlocks().size(), 1u);
  EXPECT_EQ(rig.in.ReadIndex(), 1);
  EXPECT_TRUE(rig.prompter.Prompts().empty());
}

TEST(WaveInDeviceTest, WithoutInputDeviceTheMapperIsTriedAndTheFailuresReported) {
  InRig rig(VirtualCardConfig{.inputDevices = 0});
  int id = 5;
  uint32_t count = 9;
  WaveInCaps caps;
  EXPECT_EQ(rig.in.GetInDevCaps(id, count, caps), 1);
  EXPECT_EQ(id, kWaveMapper);
  EXPECT_EQ(count, 0u);
  ASSERT_EQ(rig.prompter.Prompts().size(), 1u);
  EXPECT_EQ(rig.prompter.Prompts()[0].caption, "waveInGetDevCaps()");
  EXPECT_EQ(rig.prompter.Prompts()[0].icon, PromptIcon::kWarning);

  EXPECT_EQ(rig.Open(4, id), 1);
  ASSERT_EQ(rig.prompter.Prompts().size(), 2u);
  EXPECT_EQ(rig.prompter.Prompts()[1].caption, "waveInOpen(WAVE_FORMAT_QUERY)");
  EXPECT_EQ(rig.prompter.Prompts()[1].icon, PromptIcon::kWarning);
  EXPECT_EQ(rig.heap.Held(), 0u);
  EXPECT_FALSE(rig.in.IsOpen());
}

TEST(WaveInDeviceTest, FailedOpenCaptureLeavesNothingAllocatedAndNoDeviceOpen) {
  struct Case {
    WaveOp op;
    const char* caption;
  };
  const Case cases[] = {
      {WaveOp::kInQueryFormat, "waveInOpen(WAVE_FORMAT_QUERY)"},
      {WaveOp::kInOpen, "waveInOpen()"},
      {WaveOp::kInPrepareHeader, "waveInPrepareHeader()"},
      {WaveOp::kInAddBuffer, "waveInAddBuffer()"},
  };
  for (const Case& c : cases) {
    for (int failing : {1, 3}) {  // the first call, or a later one with blocks before it
      if (failing > 1 && c.op != WaveOp::kInPrepareHeader && c.op != WaveOp::kInAddBuffer) {
        continue;  // called once per open
      }
      InRig rig;
      rig.card.FailNext(c.op, kMmNoMemory, 1, failing - 1);
      EXPECT_EQ(rig.Open(4), 1) << c.caption;
      EXPECT_EQ(rig.heap.Held(), 0u) << c.caption;
      EXPECT_EQ(rig.card.OpenInputs(), 0u) << c.caption;
      EXPECT_EQ(rig.card.PreparedHeaders(), 0u) << c.caption << " " << failing;
      EXPECT_FALSE(rig.in.IsOpen());
      ASSERT_FALSE(rig.prompter.Prompts().empty()) << c.caption;
      EXPECT_EQ(rig.prompter.Prompts()[0].caption, c.caption);
    }
  }
}

TEST(WaveInDeviceTest, EveryReportedFailureNamesItsCall) {
  struct Case {
    WaveOp op;
    const char* caption;
    std::function<int(InRig&)> run;  // runs on an open, started capture
  };
  const Case cases[] = {
      {WaveOp::kInGetDevCaps, "waveInGetDevCaps()",
       [](InRig& r) {
         int id;
         uint32_t count;
         WaveInCaps caps;
         return r.in.GetInDevCaps(id, count, caps);
       }},
      {WaveOp::kInStart, "waveInStart()", [](InRig& r) { return r.in.StartCapture(); }},
      {WaveOp::kInStop, "waveInStop()", [](InRig& r) { return r.in.StopCapture(); }},
      {WaveOp::kInReset, "waveInReset()", [](InRig& r) { return r.in.ResetCapture(); }},
      {WaveOp::kInGetPosition, "waveInGetPosition()",
       [](InRig& r) {
         uint32_t bytes;
         return r.in.GetCapturePosition(bytes);
       }},
      {WaveOp::kInAddBuffer, "waveInAddBuffer()",
       [](InRig& r) {
         r.clock.Sleep(kBlockMs);
         return r.in.RequeueBlock();
       }},
      {WaveOp::kInUnprepareHeader, "waveInUnprepareHeader()",
       [](InRig& r) { return r.in.CloseCapture(); }},
      {WaveOp::kInClose, "waveInClose()", [](InRig& r) { return r.in.CloseCapture(); }},
  };
  for (const Case& c : cases) {
    InRig rig;
    ASSERT_EQ(rig.Open(4), 0);
    ASSERT_EQ(rig.in.StartCapture(), 0);
    rig.card.FailNext(c.op, kMmError);
    EXPECT_EQ(c.run(rig), 1) << c.caption;
    ASSERT_GE(rig.prompter.Prompts().size(), 1u) << c.caption;
    EXPECT_EQ(rig.prompter.Prompts()[0].caption, c.caption);
    EXPECT_EQ(rig.prompter.Prompts()[0].text, WaveResultText(kMmError)) << c.caption;
  }
}

TEST(WaveInDeviceTest, CloseCaptureWhileCapturingReturnsEverything) {
  InRig rig;
  ASSERT_EQ(rig.Open(4), 0);
  ASSERT_EQ(rig.in.StartCapture(), 0);
  rig.clock.Sleep(kBlockMs + 10);
  EXPECT_EQ(rig.in.CloseCapture(), 0);
  EXPECT_EQ(rig.heap.Held(), 0u);
  EXPECT_EQ(rig.card.OpenInputs(), 0u);
  EXPECT_EQ(rig.card.PreparedHeaders(), 0u);
  EXPECT_EQ(rig.in.BlockCount(), 0);
  EXPECT_TRUE(rig.prompter.Prompts().empty());
  EXPECT_EQ(rig.CardRig::Pump(), 4) << "one filled, three returned by the reset";
}

}  // namespace
}  // namespace vx
