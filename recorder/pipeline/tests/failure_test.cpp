// Failures of the file, the device and the copy during a run: each is shown once, the run
// ends in Idle with the device closed, and the temporary file keeps a whole header.

#include <gtest/gtest.h>

#include <cerrno>

#include "testsupport/recording_rig.h"

namespace vx {
namespace {

using testing::ExpectedFile;
using testing::ReadFile;
using testing::RecordingRig;
using testing::SpeechBytes;

constexpr int kNoCheck = -1;

struct FailureCase {
  const char* name;
  std::function<void(RecordingRig&)> inject;
  // Captions of the boxes shown, in order; "" is the application title.
  std::vector<std::string> captions;
  // The text of the last box; "%T" stands for the temporary path.
  std::string lastText;
  // Frames the temporary file holds behind a header that counts them, or kNoCheck.
  int framesKept;
  SaveOutcome save;
};

class RecordingFailureTest : public ::testing::TestWithParam<FailureCase> {};

TEST_P(RecordingFailureTest, IsShownAndLeavesNothingOpen) {
  const FailureCase& c = GetParam();
  const std::vector<uint8_t> speech = SpeechBytes();
  RecordingRig rig;
  rig.card.SetCaptureSource(speech);
  c.inject(rig);
  rig.StopAfterCapture(1000);
  rig.Record();

  std::vector<std::string> captions;
  for (const RecordedPrompt& p : rig.prompter.Prompts()) captions.push_back(p.caption);
  EXPECT_EQ(captions, c.captions);
  if (!c.lastText.empty() && !rig.prompter.Prompts().empty()) {
    std::string text = c.lastText;
    if (const size_t at = text.find("%T"); at != std::string::npos)
      text.replace(at, 2, rig.TemporaryPath());
    EXPECT_EQ(rig.prompter.Prompts().back().text, text);
  }
  EXPECT_TRUE(rig.pipeline.RunFailed());
  EXPECT_EQ(rig.pipeline.State(), RecordState::kIdle);
  EXPECT_FALSE(rig.pipeline.IsLoopRunning());
  EXPECT_EQ(rig.card.OpenInputs(), 0u);
  EXPECT_EQ(rig.card.PreparedHeaders(), 0u);
  EXPECT_EQ(rig.pipeline.LastSave(), c.save);
  EXPECT_TRUE(rig.view.recordEnabled);
  if (c.framesKept != kNoCheck) {
    EXPECT_EQ(ReadFile(rig.TemporaryPath()), ExpectedFile(speech, c.framesKept, 0));
  }
  // The next take runs normally once the fault is gone.
  if (std::filesystem::is_directory(rig.TemporaryPath()))
    std::filesystem::remove(rig.TemporaryPath());
  rig.files.SetPlan(rig.TemporaryPath(), FaultPlan{});
  rig.view.saveAnswer = rig.dir.File("again.vxs");
  rig.card.ClearFailures();
  rig.card.SetCaptureSource(speech);
  rig.CancelActions();
  rig.prompter.Clear();
  rig.StopAfterCapture(500);
  rig.Record();
  for (const RecordedPrompt& p : rig.prompter.Prompts())
    ADD_FAILURE() << p.caption << ": " << p.text;
  EXPECT_EQ(ReadFile(rig.dir.File("again.vxs")), ExpectedFile(speech, 25, 0));
}

INSTANTIATE_TEST_SUITE_P(
    Faults, RecordingFailureTest,
    ::testing::Values(
        FailureCase{"TemporaryFileNotCreated",
                    // A directory in the way of the file.
                    [](RecordingRig& r) { std::filesystem::create_directory(r.TemporaryPath()); },
                    {"Wave File Error"},
                    "mmioOpen(\"%T\") Error!!",
                    kNoCheck,
                    SaveOutcome::kNotOffered},
        FailureCase{"DeviceNotOpened",
                    [](RecordingRig& r) { r.card.FailNext(WaveOp::kInOpen, kMmAllocated); },
                    {"waveInOpen()"},
                    "",
                    kNoCheck,
                    SaveOutcome::kNotOffered},
        FailureCase{"CaptureNotStarted",
                    [](RecordingRig& r) { r.card.FailNext(WaveOp::kInStart, kMmError); },
                    {"waveInStart()"},
                    "",
                    0,
                    SaveOutcome::kNotOffered},
        FailureCase{"ProvisionalHeaderNotWritten",
                    [](RecordingRig& r) {
                      r.files.SetPlan(r.TemporaryPath(), FaultPlan{.diskFullAfter = 10});
                    },
                    {""},
                    "WriteVocrixBuffer() Error!!",
                    kNoCheck,
                    SaveOutcome::kNotOffered},
        FailureCase{"FrameNotWritten",
                    [](RecordingRig& r) {
                      r.files.SetPlan(r.TemporaryPath(), FaultPlan{.diskFullAfter = 300});
                    },
                    {""},
                    "WriteVocrixBuffer() Error!!",
                    kNoCheck,
                    SaveOutcome::kNotOffered},
        // The second block is encoded, then cannot go back to the device: 50 frames kept.
        FailureCase{"BlockNotRequeued",
                    [](RecordingRig& r) { r.card.FailNext(WaveOp::kInAddBuffer, kMmError, 1, 5); },
                    {"waveInAddBuffer()", ""},
                    "WriteOutBuffer() Error!!",
                    50,
                    SaveOutcome::kNotOffered},
        FailureCase{"HeaderNotReached",
                    [](RecordingRig& r) {
                      r.files.SetPlan(r.TemporaryPath(), FaultPlan{.failSeekNumber = 1});
                    },
                    {"Wave File Error"},
                    "mmioSeek() Error!!",
                    50,
                    SaveOutcome::kNotOffered},
        FailureCase{"TemporaryFileNotClosed",
                    [](RecordingRig& r) {
                      r.files.SetPlan(r.TemporaryPath(), FaultPlan{.failClose = true});
                    },
                    {"Wave File Error"},
                    "mmioClose():-5 Error!!",
                    50,
                    SaveOutcome::kNotOffered},
        FailureCase{"CopyRunsOutOfDisk",
                    [](RecordingRig& r) {
                      r.files.SetPlan(r.dir.File("take.vxs"), FaultPlan{.diskFullAfter = 100});
                    },
                    {""},
                    "Destination disk drive is full.",
                    50,
                    SaveOutcome::kFailed},
        FailureCase{"CopyTargetNotCreated",
                    [](RecordingRig& r) { r.files.FailOpen(r.dir.File("take.vxs"), -EACCES); },
                    {""},
                    "",
                    50,
                    SaveOutcome::kFailed}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RecordingFailureTest, ADeviceThatWillNotStopStillEndsTheTake) {
  const std::vector<uint8_t> speech = SpeechBytes();
  RecordingRig rig;
  rig.card.SetCaptureSource(speech);
  rig.card.FailNext(WaveOp::kInStop, kMmError);
  rig.StopAfterCapture(1000);
  rig.Record();
  ASSERT_EQ(rig.prompter.Prompts().size(), 1u);
  EXPECT_EQ(rig.prompter.Prompts()[0].caption, "waveInStop()");
  EXPECT_EQ(rig.pipeline.LastSave(), SaveOutcome::kSaved);
  EXPECT_EQ(ReadFile(rig.dir.File("take.vxs")), ExpectedFile(speech, 50, 0));
  EXPECT_EQ(rig.card.OpenInputs(), 0u);
}

TEST(RecordingFailureTest, AFailingCapturePositionIsShownOncePerRun) {
  const std::vector<uint8_t> speech = SpeechBytes();
  RecordingRig rig;
  rig.card.SetCaptureSource(speech);
  rig.card.FailAlways(WaveOp::kInGetPosition, kMmError);
  rig.StopAfterCapture(1000);
  rig.Record();
  ASSERT_EQ(rig.prompter.Prompts().size(), 1u);
  EXPECT_EQ(rig.prompter.Prompts()[0].caption, "waveInGetPosition()");
  EXPECT_EQ(rig.pipeline.LastSave(), SaveOutcome::kSaved);
  EXPECT_EQ(ReadFile(rig.dir.File("take.vxs")), ExpectedFile(speech, 50, 0));
}

}  // namespace
}  // namespace vx
