#include "audio/wave_out_device.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "audio/tests/test_rig.h"

namespace vx {
namespace {

using testing::CardRig;
using testing::Pattern;

constexpr uint32_t kRate = 8000;
constexpr uint32_t kBlockBytes = 3200;  // 200 ms of 8000 Hz 16-bit mono
constexpr int64_t kBlockMs = 200;

struct OutRig : CardRig {
  explicit OutRig(VirtualCardConfig config = {}) : CardRig(config), out(card, prompter, heap) {}

  int Open(int blocks = 4, uint32_t bytes = kBlockBytes) {
    return out.OpenStream(target, 0, kRate, 16, 1, blocks, bytes);
  }
  // Fills the block at the write index with `content` and writes it.
  int WriteBlock(const std::vector<uint8_t>& content) {
    uint8_t* data = nullptr;
    uint32_t size = 0;
    out.GetWriteBlock(data, size);
    EXPECT_LE(content.size(), size);
    std::copy(content.begin(), content.end(), data);
    return out.Write(static_cast<uint32_t>(content.size()));
  }
  // Answers every done message as the engine does; returns how many came.
  int PumpDone() {
    return Pump([this](const Message& m) {
      if (m.id == kMsgWaveOutDone) {
        EXPECT_EQ(out.OnBlockDone(), 0);
      }
    });
  }
  std::string CardText(MmResult result) {
    char text[256];
    card.WaveOutGetErrorText(result, text);
    return text;
  }

  WaveOutDevice out;
};

const std::string kTooManyBlocks =
    "バッファブロック数が多すぎます。\n現在のブロック数設定値は、16です。";

TEST(WaveOutDeviceTest, OpenStreamAllowsAtMostSixteenBlocks) {
  {
    OutRig rig;
    EXPECT_EQ(rig.Open(17), 1);
    ASSERT_EQ(rig.prompter.Prompts().size(), 1u);
    EXPECT_EQ(rig.prompter.Prompts()[0].text, kTooManyBlocks);
    EXPECT_EQ(rig.prompter.Prompts()[0].caption, "WaveOut Device Error");
    EXPECT_FALSE(rig.out.IsOpen());
    EXPECT_EQ(rig.out.BlockCount(), 0);
    EXPECT_EQ(rig.heap.allocations, 0);
    EXPECT_EQ(rig.card.OpenOutputs(), 0u);
  }
  {
    OutRig rig;
    EXPECT_EQ(rig.Open(16), 0);
    EXPECT_TRUE(rig.prompter.Prompts().empty());
    EXPECT_TRUE(rig.out.IsOpen());
    EXPECT_EQ(rig.out.BlockCount(), 16);
    EXPECT_EQ(rig.card.OpenOutputs(), 1u);
    const WaveFormat& f = rig.out.Format();
    EXPECT_EQ(f.formatTag, kWaveFormatPcm);
    EXPECT_EQ(f.blockAlign, 2);
    EXPECT_EQ(f.avgBytesPerSec, 16000u);
    EXPECT_EQ(f.cbSize, 0);
  }
}

TEST(WaveOutDeviceTest, FailedOpenStreamLeavesNothingAllocatedAndNoDeviceOpen) {
  struct Case {
    const char* name;
    std::function<void(OutRig&)> breakIt;
    const char* caption;
  };
  const Case cases[] = {
      {"format query", [](OutRig& r) { r.card.FailNext(WaveOp::kOutQueryFormat, kWaveBadFormat); },
       "waveOutOpen(WAVE_FORMAT_QUERY)"},
      {"open", [](OutRig& r) { r.card.FailNext(WaveOp::kOutOpen, kMmAllocated); }, "waveOutOpen()"},
      {"heap", [](OutRig& r) { r.heap.failAllocation = 5; }, ""},
      {"no blocks", [](OutRig&) {}, "WaveOut Device Error"},
  };
  for (const Case& c : cases) {
    OutRig rig;
    c.breakIt(rig);
    EXPECT_EQ(rig.Open(std::string(c.name) == "no blocks" ? 0 : 4), 1) << c.name;
    EXPECT_EQ(rig.heap.Held(), 0u) << c.name;
    EXPECT_EQ(rig.card.OpenOutputs(), 0u) << c.name;
    EXPECT_FALSE(rig.out.IsOpen()) << c.name;
    EXPECT_EQ(rig.out.BlockCount(), 0) << c.name;
    ASSERT_EQ(rig.prompter.Prompts().size(), 1u) << c.name;
    EXPECT_EQ(rig.prompter.Prompts()[0].caption, c.caption) << c.name;
    // The device is usable again afterwards.
    rig.card.ClearFailures();
    rig.heap.failAllocation = -1;
    EXPECT_EQ(rig.Open(), 0) << c.name;
  }
}

TEST(WaveOutDeviceTest, EveryReportedFailureNamesItsCall) {
  struct Case {
    WaveOp op;
    const char* caption;
    std::function<int(OutRig&)> run;  // runs on an open, paused stream
  };
  auto writeOne = [](OutRig& r) { return r.WriteBlock(Pattern(100)); };
  const Case cases[] = {
      {WaveOp::kOutGetDevCaps, "waveOutGetDevCaps()",
       [](OutRig& r) {
         int id = 9;
         uint32_t count = 0;
         WaveOutCaps caps;
         return r.out.GetDevCaps(id, count, caps);
       }},
      {WaveOp::kOutQueryFormat, "waveOutOpen(WAVE_FORMAT_QUERY)",
       [](OutRig& r) { return r.out.QueryFormat(0, 8000, 16, 1); }},
      {WaveOp::kOutPrepareHeader, "waveOutPrepareHeader()", writeOne},
      {WaveOp::kOutWrite, "waveOutWrite()", writeOne},
      {WaveOp::kOutReset, "waveOutReset", [](OutRig& r) { return r.out.Reset(); }},
      {WaveOp::kOutPause, "waveOutPause()", [](OutRig& r) { return r.out.Pause(); }},
      {WaveOp::kOutRestart, "waveOutRestart()", [](OutRig& r) { return r.out.Restart(); }},
      {WaveOp::kOutGetPosition, "waveOutGetPosition()",
       [](OutRig& r) {
         uint32_t bytes = 0;
         return r.out.GetPosition(bytes);
       }},
      {WaveOp::kOutGetVolume, "waveOutGetVolume()",
       [](OutRig& r) {
         double level = 0;
         return r.out.GetVolume(level);
       }},
      {WaveOp::kOutSetVolume, "waveOutSetVolume()", [](OutRig& r) { return r.out.SetVolume(0.5); }},
      {WaveOp::kOutClose, "waveOutClose()", [](OutRig& r) { return r.out.CloseStream(); }},
      {WaveOp::kOutUnprepareHeader, "waveOutUnprepareHeader()",
       [](OutRig& r) {
         r.WriteBlock(Pattern(100));
         r.out.Reset();
         return r.out.ClearBlocks();
       }},
  };
  for (const Case& c : cases) {
    OutRig rig;
    int id = 0;
    uint32_t count = 0;
    WaveOutCaps caps;
    ASSERT_EQ(rig.out.GetDevCaps(id, count, caps), 0);
    ASSERT_EQ(rig.Open(), 0);
    ASSERT_EQ(rig.out.Pause(), 0);
    rig.card.FailNext(c.op, kMmNotSupported);
    EXPECT_EQ(c.run(rig), 1) << c.caption;
    ASSERT_EQ(rig.prompter.Prompts().size(), 1u) << c.caption;
    const RecordedPrompt& shown = rig.prompter.Prompts()[0];
    EXPECT_EQ(shown.caption, c.caption);
    EXPECT_EQ(shown.text, rig.CardText(kMmNotSupported)) << c.caption;
    EXPECT_EQ(shown.buttons, PromptButtons::kOk);
  }
}

TEST(WaveOutDeviceTest, PlainOpenAndCloseReportWithTheirCaptions) {
  OutRig rig;
  rig.card.FailNext(WaveOp::kOutOpen, kMmAllocated);
  EXPECT_EQ(rig.out.OpenPlain(0, 8000, 16, 1), 1);
  ASSERT_EQ(rig.out.OpenPlain(0, 8000, 16, 1), 0);
  EXPECT_EQ(rig.out.OpenPlain(0, 8000, 16, 1), 1) << "already open: fails without a message";
  EXPECT_EQ(rig.Open(), 1) << "a stream cannot be opened over an open device either";
  rig.card.FailNext(WaveOp::kOutClose, kMmError);
  EXPECT_EQ(rig.out.ClosePlain(), 1);
  EXPECT_FALSE(rig.out.IsOpen()) << "the handle is dropped even when the close fails";
  EXPECT_EQ(rig.out.ClosePlain(), 1) << "nothing open: fails without a message";
  ASSERT_EQ(rig.prompter.Prompts().size(), 2u);
  EXPECT_EQ(rig.prompter.Prompts()[0].caption, "waveOutOpen()");
  EXPECT_EQ(rig.prompter.Prompts()[1].caption, "waveOutClose()");
}

TEST(WaveOutDeviceTest, PlatformTextIsCutToTheMessageBuffer) {
  struct Case {
    std::string text;
    size_t shownBytes;
  };
  const std::string kana = "あ";  // three bytes of UTF-8
  std::string wide = "x";
  for (int i = 0; i < 100; ++i) wide += kana;
  const Case cases[] = {
      {std::string(400, 'e'), 255},
      {std::string(255, 'e'), 255},
      {wide, 1 + 3 * 84},  // cut before the character that would not fit whole
  };
  for (const Case& c : cases) {
    OutRig rig;
    rig.card.SetErrorText(kMmError, c.text);
    rig.card.FailNext(WaveOp::kOutQueryFormat, kMmError);
    EXPECT_EQ(rig.out.QueryFormat(0, 8000, 16, 1), 1);
    ASSERT_EQ(rig.prompter.Prompts().size(), 1u);
    const std::string& shown = rig.prompter.Prompts()[0].text;
    EXPECT_EQ(shown.size(), c.shownBytes);
    EXPECT_EQ(shown, c.text.substr(0, c.shownBytes));
  }
}

TEST(WaveOutDeviceTest, PlaysBlocksInOrderAndReturnsEachOnItsDoneMessage) {
  OutRig rig;
  ASSERT_EQ(rig.Open(4), 0);
  std::vector<uint8_t> expected;
  for (int b = 0; b < 4; ++b) {
    // The last block is short, as at the end of a file.
    const auto content = Pattern(b == 3 ? 1000 : kBlockBytes, static_cast<uint8_t>(b * 50));
    expected.insert(expected.end(), content.begin(), content.end());
    ASSERT_EQ(rig.WriteBlock(content), 0);
    EXPECT_EQ(rig.out.StateOf(static_cast<uint16_t>(b)), BlockState::kQueued);
  }
  EXPECT_EQ(rig.out.WriteIndex(), 0);
  EXPECT_TRUE(rig.out.IsWriteBlockBusy());

  rig.clock.Sleep(kBlockMs);
  EXPECT_EQ(rig.PumpDone(), 1);
  EXPECT_EQ(rig.out.StateOf(0), BlockState::kDone);
  EXPECT_EQ(rig.out.DoneIndex(), 1);
  EXPECT_FALSE(rig.out.IsWriteBlockBusy()) << "block 0 can take the next data";
  ASSERT_EQ(rig.received.size(), 1u);
  EXPECT_EQ(rig.received[0].id, kMsgWaveOutDone);
  EXPECT_NE(rig.received[0].wparam, 0u) << "the handle";
  uint32_t position = 0;
  ASSERT_EQ(rig.out.GetPosition(position), 0);
  EXPECT_EQ(position, kBlockBytes);

  rig.clock.Sleep(2 * kBlockMs);
  EXPECT_EQ(rig.PumpDone(), 2);
  EXPECT_TRUE(rig.out.IsLastWrittenPlaying());
  rig.clock.Sleep(kBlockMs / 2);  // the short block takes 62.5 ms
  EXPECT_FALSE(rig.out.IsLastWrittenPlaying()) << "done flag set, message still queued";
  EXPECT_EQ(rig.PumpDone(), 1);
  EXPECT_EQ(rig.out.DoneIndex(), 0);
  for (uint16_t b = 0; b < 4; ++b) EXPECT_EQ(rig.out.StateOf(b), BlockState::kDone);
  EXPECT_EQ(rig.card.PlayedBytes(), expected);

  EXPECT_EQ(rig.out.CloseStream(), 0);
  EXPECT_EQ(rig.heap.Held(), 0u);
  EXPECT_EQ(rig.card.OpenOutputs(), 0u);
  EXPECT_EQ(rig.card.PreparedHeaders(), 0u);
  EXPECT_TRUE(rig.prompter.Prompts().empty());
}

TEST(WaveOutDeviceTest, DoneMessageCarriesTheBlocksHeader) {
  OutRig rig;
  ASSERT_EQ(rig.Open(2), 0);
  ASSERT_EQ(rig.WriteBlock(Pattern(10)), 0);
  rig.clock.Sleep(10);
  rig.Pump();
  ASSERT_EQ(rig.received.size(), 1u);
  const auto* header = reinterpret_cast<const WaveHeader*>(rig.received[0].lparam);
  uint8_t* data = nullptr;
  uint32_t size = 0;
  rig.out.GetWriteBlock(data, size);  // write index 1: look at block 0 through the header
  ASSERT_NE(header, nullptr);
  EXPECT_EQ(header->bufferLength, 10u);
  EXPECT_TRUE(header->IsDone());
  EXPECT_NE(header->data, data) << "block 0's data, not block 1's";
}

TEST(WaveOutDeviceTest, WriteOnAQueuedBlockFailsSilentlyAndDoesNotAdvance) {
  OutRig rig;
  ASSERT_EQ(rig.Open(2), 0);
  ASSERT_EQ(rig.out.Pause(), 0);  // nothing plays: the blocks stay queued
  ASSERT_EQ(rig.WriteBlock(Pattern(100)), 0);
  ASSERT_EQ(rig.WriteBlock(Pattern(100)), 0);
  EXPECT_EQ(rig.out.WriteIndex(), 0);
  EXPECT_EQ(rig.WriteBlock(Pattern(100)), 1);
  EXPECT_EQ(rig.out.WriteIndex(), 0);
  EXPECT_EQ(rig.out.StateOf(0), BlockState::kQueued);
  EXPECT_TRUE(rig.prompter.Prompts().empty());
  EXPECT_EQ(rig.card.QueuedOutputBlocks(1), 2u);
}

TEST(WaveOutDeviceTest, FailedWriteReturnsTheBlockAtOnceSoItCanBeWrittenAgain) {
  OutRig rig;
  ASSERT_EQ(rig.Open(2), 0);
  rig.card.FailNext(WaveOp::kOutWrite, kMmError);
  EXPECT_EQ(rig.WriteBlock(Pattern(100)), 1);
  EXPECT_EQ(rig.out.StateOf(0), BlockState::kDone) << "never written: no done flag to wait for";
  EXPECT_EQ(rig.card.PreparedHeaders(), 0u);
  EXPECT_EQ(rig.out.WriteIndex(), 0);
  EXPECT_FALSE(rig.out.IsWriteBlockBusy());
  EXPECT_EQ(rig.WriteBlock(Pattern(100)), 0);
  EXPECT_EQ(rig.out.CloseStream(), 0);
  EXPECT_EQ(rig.prompter.Prompts().size(), 1u);
}

TEST(WaveOutDeviceTest, WriteOfMoreThanTheBlockHoldsIsRefused) {
  OutRig rig;
  ASSERT_EQ(rig.Open(2, 100), 0);
  EXPECT_EQ(rig.out.Write(101), 1);
  ASSERT_EQ(rig.prompter.Prompts().size(), 1u);
  EXPECT_EQ(rig.prompter.Prompts()[0].caption, "waveOutPrepareHeader()");
  EXPECT_EQ(rig.card.QueuedOutputBlocks(1), 0u);
  EXPECT_EQ(rig.out.Write(100), 0);
}

TEST(WaveOutDeviceTest, StrayDoneMessagesAfterAResetChangeNothing) {
  OutRig rig;
  ASSERT_EQ(rig.Open(4), 0);
  // A done message while the block at the done index was never written.
  EXPECT_EQ(rig.out.OnBlockDone(), 0);
  EXPECT_EQ(rig.out.StateOf(0), BlockState::kFree);
  EXPECT_EQ(rig.out.DoneIndex(), 0);

  ASSERT_EQ(rig.out.Pause(), 0);
  ASSERT_EQ(rig.WriteBlock(Pattern(kBlockBytes)), 0);
  ASSERT_EQ(rig.WriteBlock(Pattern(kBlockBytes)), 0);
  // A seek: reset, clear, and write the new first block before the reset's messages are
  // taken.
  ASSERT_EQ(rig.out.Reset(), 0);
  ASSERT_EQ(rig.out.ClearBlocks(), 0);
  EXPECT_EQ(rig.out.WriteIndex(), 0);
  EXPECT_EQ(rig.out.DoneIndex(), 0);
  ASSERT_EQ(rig.WriteBlock(Pattern(kBlockBytes, 9)), 0);
  EXPECT_EQ(rig.PumpDone(), 2) << "the two blocks the reset returned";
  EXPECT_EQ(rig.out.StateOf(0), BlockState::kQueued) << "the new block is untouched";
  EXPECT_EQ(rig.out.DoneIndex(), 0);
  EXPECT_EQ(rig.out.StateOf(1), BlockState::kDone);

  ASSERT_EQ(rig.out.Restart(), 0);
  rig.clock.Sleep(kBlockMs);
  EXPECT_EQ(rig.PumpDone(), 1);
  EXPECT_EQ(rig.out.StateOf(0), BlockState::kDone);
  EXPECT_EQ(rig.out.DoneIndex(), 1);
  EXPECT_EQ(rig.card.PlayedBytes(), Pattern(kBlockBytes, 9));
  EXPECT_TRUE(rig.prompter.Prompts().empty());
}

TEST(WaveOutDeviceTest, LastWrittenBlockWrapsToTheEndOfTheRing) {
  OutRig rig;
  ASSERT_EQ(rig.Open(3), 0);
  EXPECT_FALSE(rig.out.IsLastWrittenPlaying()) << "nothing written";
  ASSERT_EQ(rig.WriteBlock(Pattern(kBlockBytes)), 0);
  ASSERT_EQ(rig.WriteBlock(Pattern(kBlockBytes)), 0);
  ASSERT_EQ(rig.WriteBlock(Pattern(kBlockBytes)), 0);
  ASSERT_EQ(rig.out.WriteIndex(), 0);
  rig.clock.Sleep(kBlockMs);  // block 0 has played; block 2, written last, has not
  EXPECT_TRUE(rig.out.IsLastWrittenPlaying());
  rig.clock.Sleep(kBlockMs);
  EXPECT_TRUE(rig.out.IsLastWrittenPlaying());
  rig.clock.Sleep(kBlockMs);
  EXPECT_FALSE(rig.out.IsLastWrittenPlaying());
}

TEST(WaveOutDeviceTest, PauseHoldsThePlayAndRestartGoesOn) {
  OutRig rig;
  ASSERT_EQ(rig.Open(2), 0);
  ASSERT_EQ(rig.out.Pause(), 0);
  ASSERT_EQ(rig.WriteBlock(Pattern(kBlockBytes)), 0);
  rig.clock.Sleep(1000);
  uint32_t position = 1;
  ASSERT_EQ(rig.out.GetPosition(position), 0);
  EXPECT_EQ(position, 0u);
  EXPECT_EQ(rig.PumpDone(), 0);
  ASSERT_EQ(rig.out.Restart(), 0);
  rig.clock.Sleep(kBlockMs / 2);
  ASSERT_EQ(rig.out.GetPosition(position), 0);
  EXPECT_EQ(position, kBlockBytes / 2);
  rig.clock.Sleep(kBlockMs / 2);
  EXPECT_EQ(rig.PumpDone(), 1);
}

TEST(WaveOutDeviceTest, CloseStreamWhilePlayingReturnsEverything) {
  OutRig rig;
  ASSERT_EQ(rig.Open(4), 0);
  for (int b = 0; b < 4; ++b) ASSERT_EQ(rig.WriteBlock(Pattern(kBlockBytes)), 0);
  rig.clock.Sleep(kBlockMs + kBlockMs / 2);
  EXPECT_EQ(rig.out.CloseStream(), 0);
  EXPECT_FALSE(rig.out.IsOpen());
  EXPECT_EQ(rig.out.BlockCount(), 0);
  EXPECT_EQ(rig.heap.Held(), 0u);
  EXPECT_EQ(rig.card.OpenOutputs(), 0u);
  EXPECT_EQ(rig.card.PreparedHeaders(), 0u);
  EXPECT_EQ(rig.PumpDone(), 4) << "the played block and the three the reset returned";
  EXPECT_TRUE(rig.prompter.Prompts().empty());
}

TEST(WaveOutDeviceTest, ClearBlocksRefusesABlockStillPlaying) {
  OutRig rig;
  ASSERT_EQ(rig.Open(2), 0);
  ASSERT_EQ(rig.WriteBlock(Pattern(kBlockBytes)), 0);
  // Without a reset the block is still with the device: the device refuses, which is
  // reported, and nothing waits for it.
  EXPECT_EQ(rig.out.ClearBlocks(), 1);
  ASSERT_EQ(rig.prompter.Prompts().size(), 1u);
  EXPECT_EQ(rig.prompter.Prompts()[0].caption, "waveOutUnprepareHeader()");
  EXPECT_EQ(rig.prompter.Prompts()[0].text, rig.CardText(kWaveStillPlaying));
  EXPECT_EQ(rig.out.WriteIndex(), 1) << "indices stay when the clear failed";
}

TEST(WaveOutDeviceTest, Volume) {
  struct Case {
    uint32_t support;
    uint32_t deviceVolume;
    int result;
    double level;
  };
  const uint32_t both = kWaveCapsVolume | kWaveCapsLrVolume;
  const Case gets[] = {
      {both, 0x40008000, 0, 0x8000 / 65535.0},  // right below left: the left value
      {both, 0xC0008000, 0, 0xC000 / 65535.0},  // right at or above left: the right value
      {kWaveCapsVolume, 0xC0008000, 0, 0x8000 / 65535.0},
      {both, 0xFFFFFFFF, 0, 1.0},
      {0, 0xFFFFFFFF, 1, -1.0},
      {kWaveCapsLrVolume, 0xFFFFFFFF, 1, -1.0},
  };
  for (const Case& c : gets) {
    OutRig rig(VirtualCardConfig{.outputSupport = c.support, .initialVolume = c.deviceVolume});
    int id;
    uint32_t count;
    WaveOutCaps caps;
    ASSERT_EQ(rig.out.GetDevCaps(id, count, caps), 0);
    double level = -1.0;
    EXPECT_EQ(rig.out.GetVolume(level), 1) << "no device open";
    ASSERT_EQ(rig.out.OpenPlain(0, 8000, 16, 1), 0);
    EXPECT_EQ(rig.out.GetVolume(level), c.result) << std::hex << c.deviceVolume;
    EXPECT_DOUBLE_EQ(level, c.level) << std::hex << c.deviceVolume;
    EXPECT_TRUE(rig.prompter.Prompts().empty());
  }

  struct SetCase {
    uint32_t support;
    double level;
    int result;
    uint32_t sent;
  };
  const SetCase sets[] = {
      {kWaveCapsVolume, 1.0, 0, 65535},
      {both, 1.0, 0, 65535u * 65537u},
      {kWaveCapsVolume, 0.5, 0, 32767},
      {both, 0.5, 0, 32767u * 65537u},
      {kWaveCapsVolume, 0.0, 0, 0},
      {kWaveCapsVolume, 1.5, 0, 65535},  // kept in range
      {kWaveCapsVolume, -0.2, 0, 0},
      {0, 0.5, 1, 0x12345678},  // no volume capability: nothing sent
  };
  for (const SetCase& c : sets) {
    OutRig rig(VirtualCardConfig{.outputSupport = c.support, .initialVolume = 0x12345678});
    int id;
    uint32_t count;
    WaveOutCaps caps;
    ASSERT_EQ(rig.out.GetDevCaps(id, count, caps), 0);
    EXPECT_EQ(rig.out.SetVolume(c.level), 1) << "no device open";
    ASSERT_EQ(rig.out.OpenPlain(0, 8000, 16, 1), 0);
    EXPECT_EQ(rig.out.SetVolume(c.level), c.result) << c.level;
    EXPECT_EQ(rig.card.OutputVolume(1), c.sent) << c.level;
    EXPECT_TRUE(rig.prompter.Prompts().empty());
  }
}

TEST(WaveOutDeviceTest, GetDevCapsKeepsTheSupportFlagsEvenWhenItFails) {
  OutRig rig(VirtualCardConfig{.outputSupport = kWaveCapsVolume});
  int id = 7;
  uint32_t count = 0;
  WaveOutCaps caps;
  ASSERT_EQ(rig.out.GetDevCaps(id, count, caps), 0);
  EXPECT_EQ(id, 0);
  EXPECT_EQ(count, 1u);
  EXPECT_EQ(rig.out.SupportFlags(), kWaveCapsVolume);
  rig.card.FailNext(WaveOp::kOutGetDevCaps, kMmNoDriver);
  EXPECT_EQ(rig.out.GetDevCaps(id, count, caps), 1);
  EXPECT_EQ(rig.out.SupportFlags(), 0u) << "taken from the (empty) caps of the failed query";
}

TEST(WaveOutDeviceTest, WithoutAStreamTheBlockOperationsAreSafe) {
  OutRig rig;
  uint8_t* data = reinterpret_cast<uint8_t*>(1);
  uint32_t size = 1;
  EXPECT_EQ(rig.out.GetWriteBlock(data, size), 0);
  EXPECT_EQ(data, nullptr);
  EXPECT_EQ(size, 0u);
  EXPECT_FALSE(rig.out.IsWriteBlockBusy());
  EXPECT_FALSE(rig.out.IsLastWrittenPlaying());
  EXPECT_EQ(rig.out.Write(10), 1);
  EXPECT_EQ(rig.out.OnBlockDone(), 0);
  EXPECT_EQ(rig.out.ClearBlocks(), 0);
  EXPECT_EQ(rig.out.CloseStream(), 0) << "nothing to close";
  EXPECT_TRUE(rig.prompter.Prompts().empty());
}

TEST(WaveOutDeviceTest, DestroyingAnOpenDeviceClosesItAndReturnsTheBlocks) {
  CardRig rig;
  {
    WaveOutDevice out(rig.card, rig.prompter, rig.heap);
    ASSERT_EQ(out.OpenStream(rig.target, 0, kRate, 16, 1, 4, kBlockBytes), 0);
    uint8_t* data;
    uint32_t size;
    out.GetWriteBlock(data, size);
    ASSERT_EQ(out.Write(size), 0);
  }
  EXPECT_EQ(rig.card.OpenOutputs(), 0u);
  EXPECT_EQ(rig.card.PreparedHeaders(), 0u);
  EXPECT_EQ(rig.heap.Held(), 0u);
}

}  // namespace
}  // namespace vx
