// Every allocation of this test binary is counted (testsupport), so that the test can show
// that recording allocates nothing once the capture has started: the
// device's blocks are taken once per run, before the countdown.

#include <gtest/gtest.h>

#include <optional>

#include "audio/alsa_wave_api.h"
#include "testsupport/recording_rig.h"
#include "testsupport/allocation_counter.h"
#include "testsupport/alsa_file_config.h"

namespace vx {
namespace {

using testing::CountingHeap;
using testing::ExpectedFile;
using testing::ReadFile;
using testing::RecordingRig;
using testing::SpeechBytes;

TEST(RecordingAllocationTest, RecordingAllocatesNothingAfterTheCaptureStarts) {
  const std::vector<uint8_t> speech = SpeechBytes();
  CountingHeap heap;
  RecordingRig rig(heap);
  rig.card.SetCaptureSource(speech);
  rig.view.recording = false;  // keeping the texts would allocate
  int blocksAtStart = -1;
  std::optional<testing::AllocationCount> count;
  long made = -1;
  rig.view.onTurn = [&] {
    if (blocksAtStart < 0 && rig.pipeline.State() == RecordState::kRecording) {
      blocksAtStart = heap.allocations;
      count.emplace();
    }
  };
  // Five seconds: the ring of four blocks goes round more than twice.
  rig.At(RecordingPipeline::kCountdownMs + 5000, [&] {
    rig.pipeline.OnStop();
    if (count) made = count->Made();
    count.reset();
  });
  rig.Record();
  count.reset();

  EXPECT_GT(blocksAtStart, 0);
  EXPECT_EQ(heap.allocations, blocksAtStart) << "blocks are taken at the open only";
  EXPECT_EQ(made, 0) << "allocations while recording";
  EXPECT_EQ(rig.pipeline.Frames(), 250);
  EXPECT_EQ(ReadFile(rig.dir.File("take.vxs")), ExpectedFile(speech, 250, 0));
  EXPECT_TRUE(rig.prompter.Prompts().empty());
}

// The same on the ALSA backend, whose default PCM here captures from an input file as fast as
// the blocks come back (a capture thread of its own fills them).
TEST(RecordingAllocationTest, AlsaRecordingAllocatesNothingAfterTheCaptureStarts) {
  const std::vector<uint8_t> speech = SpeechBytes();
  testing::AlsaFileConfig alsa;
  alsa.WriteCaptureSource(speech);
  testing::TempDir dir;
  MessageQueue queue;
  RealClock clock;
  ScriptedPrompter prompter(kAnswerOk);
  PosixFileOpener files;
  testing::FixedDirectoryPaths paths(dir.Path());
  AlsaWaveApi api(queue);
  CountingHeap heap;
  testing::RecordingViewLog view;
  view.recording = false;
  view.saveAnswer = dir.File("take.vxs");
  testing::PathDocument document;
  RecordingPipeline pipeline(RecordingServices{queue, prompter, clock, files, paths, api, heap},
                             view, document);
  int blocksAtStart = -1;
  std::optional<testing::AllocationCount> count;
  long made = -1;
  view.onTurn = [&] {
    if (pipeline.State() != RecordState::kRecording) return;
    if (blocksAtStart < 0) {
      blocksAtStart = heap.allocations;
      count.emplace();
    } else if (count && pipeline.SampleBytes() >= 5 * 16000) {
      pipeline.OnStop();
      made = count->Made();
      count.reset();
    }
  };
  pipeline.OnRecord();
  queue.DispatchPending();
  count.reset();

  EXPECT_GT(blocksAtStart, 0);
  EXPECT_EQ(heap.allocations, blocksAtStart);
  EXPECT_EQ(made, 0) << "allocations while recording";
  // Blocks still on their way when Stop came are not encoded; the ring holds four.
  ASSERT_GE(pipeline.Frames(), 250 - 4 * 25);
  EXPECT_EQ(pipeline.Frames() % 25, 0);
  EXPECT_LE(pipeline.Frames() * 320, static_cast<int>(speech.size()));
  EXPECT_EQ(ReadFile(dir.File("take.vxs")), ExpectedFile(speech, pipeline.Frames(), 0));
  EXPECT_TRUE(prompter.Prompts().empty());
}

}  // namespace
}  // namespace vx
