// Every failure the engine meets: the boxes it shows (after those of the device layer) and
// how the run ends.

#include <gtest/gtest.h>

#include "player/engine/panel_input.h"
#include "player/engine/tests/engine_rig.h"

namespace vx {
namespace {

using testing::EngineRig;
using testing::MakeStream;
using testing::ReferenceDecoder;
using testing::WrapInWave;

struct ExpectedPrompt {
  const char* text;  // null: the device layer's own text, whatever it says
  const char* caption;
};

struct FailureCase {
  const char* name;
  // Gives the file (named "speech.vxs") and breaks something, after the panel's start-up.
  std::function<void(EngineRig&)> arrange;
  std::vector<ExpectedPrompt> prompts;
  bool closesApplication;
  bool deviceLeftClosed = true;
};

std::vector<uint8_t> Speech() {
  return MakeStream({450, 1, 0, true, 51});
}

// A RIFF WAVE file with a "fmt " chunk and no "data" chunk.
std::vector<uint8_t> WaveWithoutData() {
  MemoryStream file;
  WaveWriter writer;
  writer.CreateWaveFormat(file, 8000, 16, 1);
  writer.CloseWaveRiff(file);
  return file.Bytes();
}

void PrintTo(const FailureCase& c, std::ostream* out) {
  *out << c.name;
}

class FailureTest : public ::testing::TestWithParam<FailureCase> {};

TEST_P(FailureTest, ShowsItsMessageAndEndsTheRun) {
  const FailureCase& c = GetParam();
  EngineRig rig;
  rig.Put("speech.vxs", Speech());
  rig.engine.InitialUpdate();
  c.arrange(rig);
  rig.Pump();

  const auto& shown = rig.prompter.Prompts();
  ASSERT_EQ(shown.size(), c.prompts.size());
  for (size_t i = 0; i < shown.size(); ++i) {
    SCOPED_TRACE(i);
    if (c.prompts[i].text != nullptr) {
      EXPECT_EQ(shown[i].text, c.prompts[i].text);
    }
    EXPECT_EQ(shown[i].caption, c.prompts[i].caption);
    EXPECT_EQ(shown[i].buttons, PromptButtons::kOk);
  }
  EXPECT_TRUE(rig.engine.RunFailed());
  EXPECT_EQ(rig.mainWindowCloses, c.closesApplication ? 1 : 0);
  EXPECT_EQ(rig.engine.State(), PlaybackState::kIdle);
  EXPECT_FALSE(rig.engine.IsActive());
  EXPECT_TRUE(rig.view.playEnabled);
  EXPECT_FALSE(rig.view.stopEnabled);
  if (c.deviceLeftClosed) {
    EXPECT_EQ(rig.card.OpenOutputs(), 0u);
  }
}

void SeekAtOneSecond(EngineRig& rig) {
  rig.At(1000, [&rig] { OnSliderScroll(rig.engine, SliderNotification::kThumbPosition, 10); });
}

INSTANTIATE_TEST_SUITE_P(
    Failures, FailureTest,
    ::testing::Values(
        FailureCase{"FileDoesNotOpen",
                    [](EngineRig& r) { r.files.FailOpen("speech.vxs", -ENOENT); },
                    {{"mmioOpen(\"speech.vxs\") Error!!", "Vocrix File Open Error"}},
                    false},
        FailureCase{"FileDoesNotClose",
                    [](EngineRig& r) {
                      FaultPlan plan;
                      plan.failClose = true;
                      r.files.SetPlan("speech.vxs", plan);
                    },
                    {{"mmioClose():-5 Error!!", "Vocrix File Close Error"}},
                    false},
        // The device layer forgets a device it failed to close; the card still has it.
        FailureCase{"FileDoesNotCloseAfterTheDevice",
                    [](EngineRig& r) {
                      FaultPlan plan;
                      plan.failClose = true;
                      r.files.SetPlan("speech.vxs", plan);
                      r.card.FailNext(WaveOp::kOutClose, kMmError);
                    },
                    {{nullptr, "waveOutClose()"}, {"mmioClose():-5 Error!!", "Wave File Error"}},
                    false,
                    false},
        FailureCase{"WaveWithoutDataChunk",
                    [](EngineRig& r) { r.Put("speech.vxs", WaveWithoutData()); },
                    {{"SeekWaveData() Error!!", "Vocrix File Error"}},
                    false},
        FailureCase{"NotACompressedStream",
                    [](EngineRig& r) { r.Put("speech.vxs", std::vector<uint8_t>(100, 0xAB)); },
                    {{"GetVocrixHeader() Error!!", "Vocrix File Error"}},
                    true},
        FailureCase{"PcmInsideTheWrapper",
                    [](EngineRig& r) {
                      r.Put("speech.vxs", WrapInWave(std::vector<uint8_t>(3200, 0x11), 8000));
                    },
                    {{"GetVocrixHeader() Error!!", "Vocrix File Error"}},
                    true},
        FailureCase{"BlockWriteFails",
                    [](EngineRig& r) { r.card.FailNext(WaveOp::kOutWrite, kMmNoMemory); },
                    {{nullptr, "waveOutWrite()"}, {"WriteWaveDeivce() Error!", ""}},
                    true},
        FailureCase{"RestartFails",
                    [](EngineRig& r) { r.card.FailNext(WaveOp::kOutRestart, kMmError); },
                    {{nullptr, "waveOutRestart()"}, {"RestartWaveDevice() Error!", ""}},
                    true},
        FailureCase{"BlocksDoNotClearForASeek",
                    [](EngineRig& r) {
                      SeekAtOneSecond(r);
                      r.At(1000, [&r] { r.card.FailNext(WaveOp::kOutUnprepareHeader, kMmError); });
                    },
                    {{nullptr, "waveOutUnprepareHeader()"}, {"ClearWaveDeviceBuffer() Error!", ""}},
                    false},
        // A completion that cannot be answered ends the run at once; the device is closed
        // all the same.
        FailureCase{"CompletionFails",
                    [](EngineRig& r) { r.card.FailNext(WaveOp::kOutUnprepareHeader, kMmError); },
                    {{nullptr, "waveOutUnprepareHeader()"}},
                    false},
        // The device stops taking sound (its position stands still) with the ring full:
        // the run gives the queued sound up instead of waiting for it for ever.
        FailureCase{"DeviceStopsPlaying",
                    [](EngineRig& r) { r.At(1000, [&r] { r.card.WaveOutPause(1); }); },
                    {{"The sound device has stopped playing.", ""}},
                    false},
        // The same while the end of a short file drains.
        FailureCase{"DeviceStopsWhileDraining",
                    [](EngineRig& r) {
                      r.Put("speech.vxs", MakeStream({150, 1, 0, true, 52}));
                      r.At(1500, [&r] {
                        EXPECT_EQ(r.engine.State(), PlaybackState::kDraining);
                        r.card.WaveOutPause(1);
                      });
                    },
                    {{"The sound device has stopped playing.", ""}},
                    false},
        // The slider is released while the failed opening drains: there is no stream to
        // seek in, and the seek is not taken.
        FailureCase{"SeekWhileAFailedOpeningDrains",
                    [](EngineRig& r) {
                      r.Put("speech.vxs", WaveWithoutData());
                      r.view.onWaitCursor = [&r](bool shown) {
                        if (shown || r.engine.State() != PlaybackState::kDraining) return;
                        r.view.onWaitCursor = nullptr;
                        OnSliderScroll(r.engine, SliderNotification::kThumbPosition, 10);
                      };
                    },
                    {{"SeekWaveData() Error!!", "Vocrix File Error"}},
                    false},
        FailureCase{
            "ReadFailsMidStream",
            [](EngineRig& r) {
              FaultPlan plan;
              plan.readFailsAt = 2000;
              r.files.SetPlan("speech.vxs", plan);
            },
            {{"The compressed speech data cannot be read (error -5).", "Vocrix File Error"}},
            true},
        FailureCase{"FormatRefusedByTheDevice",
                    [](EngineRig& r) {
                      r.Put("speech.vxs", WrapInWave(Speech(), 11025));
                      r.card.SetFormatFilter(
                          [](const WaveFormat& f) { return f.samplesPerSec != 11025; });
                    },
                    {{nullptr, "waveOutOpen(WAVE_FORMAT_QUERY)"}},
                    false},
        FailureCase{"WrapperRateTheDecoderCannotMake",
                    [](EngineRig& r) { r.Put("speech.vxs", WrapInWave(Speech(), 22050)); },
                    {{"The WAVE file holds 22050 Hz, 16-bit, 1-channel sound; compressed speech "
                      "plays only as 16-bit mono at 8000, 11000 or 11025 Hz.",
                      "Vocrix File Error"}},
                    false},
        FailureCase{"WrapperOf8BitSound",
                    [](EngineRig& r) { r.Put("speech.vxs", WrapInWave(Speech(), 8000, 8)); },
                    {{"The WAVE file holds 8000 Hz, 8-bit, 1-channel sound; compressed speech "
                      "plays only as 16-bit mono at 8000, 11000 or 11025 Hz.",
                      "Vocrix File Error"}},
                    false},
        FailureCase{"WrapperOfStereoSound",
                    [](EngineRig& r) { r.Put("speech.vxs", WrapInWave(Speech(), 11000, 16, 2)); },
                    {{"The WAVE file holds 11000 Hz, 16-bit, 2-channel sound; compressed speech "
                      "plays only as 16-bit mono at 8000, 11000 or 11025 Hz.",
                      "Vocrix File Error"}},
                    false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(OpenRetryTest, OkRetriesTheDeviceAndPlays) {
  const std::vector<uint8_t> stream = Speech();
  EngineRig rig;
  rig.Put("speech.vxs", stream);
  rig.engine.InitialUpdate();
  rig.card.FailNext(WaveOp::kOutOpen, kMmAllocated, 2);
  for (int i = 0; i < 4; ++i) rig.prompter.QueueAnswer(kAnswerOk);  // two reports, two retries
  rig.Pump();

  const auto& shown = rig.prompter.Prompts();
  ASSERT_EQ(shown.size(), 4u);
  for (size_t i : {0u, 2u}) EXPECT_EQ(shown[i].caption, "waveOutOpen()");
  for (size_t i : {1u, 3u}) {
    EXPECT_EQ(shown[i].text, "Initialize Failed!!\nRetry Open WaveOutDevice(y/n)?");
    EXPECT_EQ(shown[i].caption, "");  // the application title
    EXPECT_EQ(shown[i].buttons, PromptButtons::kOkCancel);
  }
  EXPECT_EQ(rig.Played(), ReferenceDecoder(stream, 8).Decode(0));
  EXPECT_FALSE(rig.engine.RunFailed());
  EXPECT_EQ(rig.mainWindowCloses, 0);
}

TEST(OpenRetryTest, CancelEndsTheRunAndClosesTheApplication) {
  EngineRig rig;
  rig.Put("speech.vxs", Speech());
  rig.engine.InitialUpdate();
  rig.card.FailAlways(WaveOp::kOutOpen, kMmAllocated);
  rig.prompter.QueueAnswer(kAnswerOk);
  rig.prompter.QueueAnswer(kAnswerCancel);
  rig.Pump();

  ASSERT_EQ(rig.prompter.Prompts().size(), 2u);
  EXPECT_EQ(rig.prompter.Prompts()[1].buttons, PromptButtons::kOkCancel);
  EXPECT_TRUE(rig.Played().empty());
  EXPECT_TRUE(rig.engine.RunFailed());
  EXPECT_EQ(rig.mainWindowCloses, 1);
  EXPECT_EQ(rig.engine.State(), PlaybackState::kIdle);
}

}  // namespace
}  // namespace vx
