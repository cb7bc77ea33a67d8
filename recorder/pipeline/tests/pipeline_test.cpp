// Runs of the recording pipeline on the virtual card and clock: takes, the countdown, the save
// step and its refusals, the rate buttons, closing, and the time display.

#include <gtest/gtest.h>

#include "testsupport/recording_rig.h"
#include "recorder/pipeline/time_display.h"

namespace vx {
namespace {

using testing::ExpectedFile;
using testing::ReadFile;
using testing::RecordingRig;
using testing::SpeechBytes;

class TakeTest : public ::testing::TestWithParam<int> {};

TEST_P(TakeTest, TakeOf2300MsKeepsFourWholeBlocks) {
  const int rateMode = GetParam();
  const std::vector<uint8_t> speech = SpeechBytes();
  RecordingRig rig;
  rig.card.SetCaptureSource(speech);
  if (rateMode == 1) rig.pipeline.OnHalfRate();
  rig.StopAfterCapture(2300);
  rig.Record();

  // 4 blocks of 25 frames; the fifth, partly filled when the capture stopped, is not kept.
  EXPECT_EQ(rig.pipeline.Frames(), 100);
  EXPECT_EQ(ReadFile(rig.dir.File("take.vxs")), ExpectedFile(speech, 100, rateMode))
      << "header count 16000, 100 frames";
  EXPECT_FALSE(std::filesystem::exists(rig.TemporaryPath())) << "the saved take's scratch file";
  EXPECT_EQ(rig.pipeline.LastSave(), SaveOutcome::kSaved);
  EXPECT_FALSE(rig.pipeline.IsUnsaved());
  EXPECT_EQ(rig.view.dialogs, 1);
  EXPECT_EQ(rig.view.filter, "Vocrix File(*.vxs)|*.vxs|All Files(*.*)|*.*||");
  EXPECT_TRUE(rig.prompter.Prompts().empty());
  EXPECT_FALSE(rig.pipeline.RunFailed());
  EXPECT_EQ(rig.pipeline.State(), RecordState::kIdle);
  EXPECT_EQ(rig.card.OpenInputs(), 0u);
  EXPECT_EQ(rig.card.PreparedHeaders(), 0u);
  EXPECT_EQ(rig.document.path, rig.TemporaryPath());
  EXPECT_TRUE(rig.view.recordEnabled);
  EXPECT_FALSE(rig.view.stopEnabled);
  EXPECT_FALSE(rig.view.waitCursor);

  // Drawn only when the shown second changes; back to the countdown's start at the end.
  const std::vector<std::string> expected{"- 0:03", "- 0:02", "- 0:01", "  0:00",
                                          "  0:01", "  0:02", "- 0:03"};
  EXPECT_EQ(rig.view.times, expected);
  EXPECT_EQ(rig.view.half, rateMode == 1);
  EXPECT_EQ(rig.view.full, rateMode == 0);
}

INSTANTIATE_TEST_SUITE_P(RateModes, TakeTest, ::testing::Values(0, 1),
                         [](const auto& info) { return info.param ? "Half" : "Full"; });

TEST(RecordingPipelineTest, StopDuringTheCountdownLeavesAnEmptyTakeAndAsksNothing) {
  RecordingRig rig;
  std::vector<RecordState> states;
  rig.view.onTurn = [&] {
    if (states.empty() || states.back() != rig.pipeline.State())
      states.push_back(rig.pipeline.State());
  };
  rig.At(1500, [&] { rig.pipeline.OnStop(); });
  rig.Record();

  EXPECT_EQ(ReadFile(rig.TemporaryPath()), ExpectedFile({}, 0, 0)) << "header count 0, no frame";
  EXPECT_EQ(rig.view.dialogs, 0);
  EXPECT_EQ(rig.pipeline.LastSave(), SaveOutcome::kNotOffered);
  EXPECT_TRUE(rig.prompter.Prompts().empty());
  const std::vector<RecordState> expected{RecordState::kStarting, RecordState::kCountdown,
                                          RecordState::kSaving, RecordState::kIdle};
  EXPECT_EQ(states, expected) << "Stopping lasts one step and draws nothing";
  EXPECT_EQ(rig.card.OpenInputs(), 0u);
}

struct IllegalNameCase {
  const char* name;
  std::function<std::string(RecordingRig&)> target;
};

class IllegalNameTest : public ::testing::TestWithParam<IllegalNameCase> {};

TEST_P(IllegalNameTest, ChoosingTheTemporaryFileCopiesNothing) {
  const std::vector<uint8_t> speech = SpeechBytes();
  RecordingRig rig;
  rig.card.SetCaptureSource(speech);
  rig.view.saveAnswer = GetParam().target(rig);
  EXPECT_TRUE(rig.pipeline.IsTemporaryFile(*rig.view.saveAnswer));
  rig.StopAfterCapture(1000);
  rig.Record();

  ASSERT_EQ(rig.prompter.Prompts().size(), 1u);
  EXPECT_EQ(rig.prompter.Prompts()[0].text, "This File is Illegal Name");
  EXPECT_EQ(rig.prompter.Prompts()[0].caption, "");
  EXPECT_EQ(rig.pipeline.LastSave(), SaveOutcome::kRefused);
  EXPECT_TRUE(rig.pipeline.IsUnsaved());
  EXPECT_EQ(ReadFile(rig.TemporaryPath()), ExpectedFile(speech, 50, 0)) << "left as recorded";
}

INSTANTIATE_TEST_SUITE_P(
    Spellings, IllegalNameTest,
    ::testing::Values(
        IllegalNameCase{"Itself", [](RecordingRig& r) { return r.TemporaryPath(); }},
        IllegalNameCase{"OtherCase", [](RecordingRig& r) { return r.dir.File("VOCRIXREC.TMP"); }},
        // Relative to the current directory, and through a "..": the same file.
        IllegalNameCase{"Relative", [](RecordingRig&) { return std::string("./VocrixRec.tmp"); }},
        IllegalNameCase{"DotDot",
                        [](RecordingRig& r) {
                          std::filesystem::create_directory(r.dir.File("sub"));
                          return r.dir.File("sub/../VocrixRec.tmp");
                        }},
        // A link to it would be emptied along with it.
        IllegalNameCase{"Link",
                        [](RecordingRig& r) {
                          std::ofstream(r.TemporaryPath()).put('x');
                          std::filesystem::create_symlink(r.TemporaryPath(), r.dir.File("l.vxs"));
                          return r.dir.File("l.vxs");
                        }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RecordingPipelineTest, RateButtonsChangeTheModeOnlyInIdle) {
  const std::vector<uint8_t> speech = SpeechBytes();
  RecordingRig rig;
  rig.card.SetCaptureSource(speech);
  bool halfDuringRecording = true;
  rig.At(3700, [&] {
    ASSERT_EQ(rig.pipeline.State(), RecordState::kRecording);
    rig.pipeline.OnHalfRate();
    halfDuringRecording = rig.view.halfButton || rig.view.half;
  });
  rig.At(1000, [&] { rig.pipeline.OnHalfRate(); });  // counting down
  rig.StopAfterCapture(1000);
  rig.Record();

  EXPECT_FALSE(halfDuringRecording) << "buttons and lamps still show full rate";
  EXPECT_EQ(rig.pipeline.RateMode(), 0);
  EXPECT_EQ(ReadFile(rig.dir.File("take.vxs")), ExpectedFile(speech, 50, 0));

  rig.pipeline.OnHalfRate();
  EXPECT_EQ(rig.pipeline.RateMode(), 1);
  EXPECT_TRUE(rig.view.halfButton);
  EXPECT_FALSE(rig.view.fullButton);
  EXPECT_TRUE(rig.view.half);
  EXPECT_FALSE(rig.view.full);
}

TEST(RecordingPipelineTest, ExitWhileRecordingSavesThenClosesTheProgram) {
  RecordingRig rig;
  int closesBeforeSave = -1;
  rig.view.saveAnswer.reset();
  rig.view.onTurn = [&] {
    if (rig.pipeline.State() == RecordState::kSaving) closesBeforeSave = rig.mainWindowCloses;
  };
  rig.At(4000, [&] { rig.pipeline.OnExit(); });
  rig.Record();
  EXPECT_EQ(rig.view.dialogs, 1);
  EXPECT_EQ(rig.pipeline.LastSave(), SaveOutcome::kCancelled);
  EXPECT_EQ(closesBeforeSave, 0);
  EXPECT_GE(rig.mainWindowCloses, 1);
  EXPECT_FALSE(rig.pipeline.IsClosePending());

  // Idle: Exit closes at once.
  RecordingRig idle;
  idle.pipeline.OnExit();
  idle.Pump();
  EXPECT_EQ(idle.mainWindowCloses, 1);
  EXPECT_EQ(idle.view.dialogs, 0);
}

TEST(RecordingPipelineTest, MainWindowCloseWaitsForTheSaveStep) {
  RecordingRig rig;
  bool allowed = true;
  int closesBeforeSave = -1;
  rig.At(4000, [&] { allowed = rig.pipeline.CanClose(); });
  rig.view.onTurn = [&] {
    if (rig.pipeline.State() == RecordState::kSaving && closesBeforeSave < 0)
      closesBeforeSave = rig.mainWindowCloses;
  };
  rig.Record();
  EXPECT_FALSE(allowed);
  EXPECT_EQ(closesBeforeSave, 0);
  EXPECT_EQ(rig.view.dialogs, 1);
  EXPECT_GE(rig.mainWindowCloses, 1);
  EXPECT_TRUE(rig.pipeline.CanClose());
}

TEST(RecordingPipelineTest, ACancelledSaveStaysInTheTemporaryFileUntilTheNextTake) {
  const std::vector<uint8_t> speech = SpeechBytes();
  testing::CountingHeap heap;
  RecordingRig rig(heap);
  rig.card.SetCaptureSource(speech);
  rig.view.saveAnswer.reset();
  rig.StopAfterCapture(1000);
  rig.Record();
  EXPECT_EQ(rig.pipeline.LastSave(), SaveOutcome::kCancelled);
  EXPECT_TRUE(rig.pipeline.IsUnsaved());
  EXPECT_EQ(ReadFile(rig.TemporaryPath()), ExpectedFile(speech, 50, 0));
  EXPECT_FALSE(std::filesystem::exists(rig.dir.File("take.vxs")));
  const int blocksOfOneRun = heap.allocations;
  EXPECT_GT(blocksOfOneRun, 0);

  // The next take empties the same file and starts from the start of the encoder's stream.
  rig.card.SetCaptureSource(speech);
  rig.view.saveAnswer = rig.dir.File("second.vxs");
  rig.StopAfterCapture(500);
  rig.Record();
  EXPECT_EQ(rig.pipeline.TemporaryPath(), rig.TemporaryPath());
  EXPECT_EQ(ReadFile(rig.dir.File("second.vxs")), ExpectedFile(speech, 25, 0));
  EXPECT_EQ(heap.allocations, 2 * blocksOfOneRun) << "the blocks are taken once per run";
}

TEST(RecordingPipelineTest, StrayLoopMessagesAndRepeatedRecordStartNothingMore) {
  RecordingRig rig;
  rig.queue.Post(rig.pipeline.Target(), kMsgRunLoop);
  rig.Pump();
  EXPECT_EQ(rig.pipeline.State(), RecordState::kIdle);
  EXPECT_FALSE(std::filesystem::exists(rig.TemporaryPath()));

  rig.pipeline.OnRecord();
  rig.pipeline.OnRecord();
  EXPECT_EQ(rig.queue.Size(), 1u) << "one run-loop message";
  rig.At(500, [&] { rig.queue.Post(rig.pipeline.Target(), kMsgRecordRequest); });
  rig.At(1000, [&] { rig.pipeline.OnStop(); });
  rig.Pump();
  EXPECT_EQ(rig.pipeline.State(), RecordState::kIdle);
  EXPECT_EQ(ReadFile(rig.TemporaryPath()), ExpectedFile({}, 0, 0));
  EXPECT_TRUE(rig.queue.Empty());
}

struct TimeCase {
  int64_t ms;
  const char* text;
};

TEST(RecordTimeTest, SecondsRoundDownAndNegativeTimesShowTheirMagnitude) {
  const TimeCase cases[] = {{-3000, "- 0:03"}, {-2001, "- 0:03"}, {-2000, "- 0:02"},
                            {-1, "- 0:01"},    {0, "  0:00"},     {999, "  0:00"},
                            {59999, "  0:59"}, {60000, "  1:00"}, {6000000, " 100:00"},
                            {-61000, "- 1:01"}};
  for (const TimeCase& c : cases) {
    std::array<char, 16> text{};
    FormatRecordTime(RecordDisplaySecond(c.ms), text);
    EXPECT_STREQ(text.data(), c.text) << c.ms;
  }
}

TEST(RecordTimeTest, DisplayRedrawsOnlyWhenTheSecondChanges) {
  RecordingRig rig;
  rig.pipeline.UpdateTimeDisplay(kRecordTimeReset);
  rig.pipeline.UpdateTimeDisplay(kRecordTimeReset);
  rig.pipeline.UpdateTimeDisplay(7);  // an unknown mode shows 0
  rig.pipeline.UpdateTimeDisplay(kRecordTimePosition);
  const std::vector<std::string> expected{"- 0:03", "- 0:03", "  0:00"};
  EXPECT_EQ(rig.view.times, expected);
  EXPECT_EQ(rig.view.boxClears, 2);
}

}  // namespace
}  // namespace vx
