// Every allocation of this test binary is counted (testsupport), so that a test can show that a
// run takes no memory while it plays, and its blocks once per run; refusing allocations of
// chosen sizes makes the control list run out of memory.

#include <gtest/gtest.h>

#include <optional>

#include "player/engine/panel_input.h"
#include "player/engine/tests/engine_rig.h"
#include "testsupport/allocation_counter.h"
#include "testsupport/counting_heap.h"

namespace vx {
namespace {

using testing::CountingHeap;
using testing::EngineRig;
using testing::MakeStream;
using testing::StreamShape;

struct RunCount {
  long whilePlaying = -1;  // operator new calls from the first Playing step to the run's end
  long blockAllocations = 0;
  long blockFrees = 0;
};

// One run of a file of `frames` frames; with `seekAt` > 0 the slider goes back to frame 10
// and forward to frame `frames` − 50 at that time.
RunCount CountRun(int frames, int64_t seekAt) {
  CountingHeap heap;
  VirtualCardConfig config;
  config.playedReserve = static_cast<size_t>(frames) * 320 * 2;
  EngineRig rig(config, &heap);
  rig.view.recording = false;
  rig.Put("speech.vxs", MakeStream(StreamShape{frames, 1, 0, true, 61}));
  if (seekAt > 0) {
    rig.At(seekAt, [&rig] { OnSliderScroll(rig.engine, SliderNotification::kPageUp, 10); });
    rig.At(seekAt + 1000, [&rig, frames] {
      OnSliderScroll(rig.engine, SliderNotification::kPageDown, frames - 50);
    });
  }
  std::optional<testing::AllocationCount> count;
  rig.view.onUpdate = [&rig, &count] {
    if (!count && rig.engine.State() == PlaybackState::kPlaying) count.emplace();
  };
  rig.engine.InitialUpdate();
  rig.Pump();
  const long whilePlaying = count ? count->Made() : -1;
  count.reset();
  EXPECT_TRUE(rig.prompter.Prompts().empty());
  EXPECT_FALSE(rig.engine.RunFailed());
  return RunCount{whilePlaying, heap.allocations, heap.frees};
}

TEST(PlaybackAllocationTest, PlayingAndSeekingTakeNoMemory) {
  for (int64_t seekAt : {int64_t{0}, int64_t{3000}}) {
    SCOPED_TRACE(seekAt);
    const RunCount run = CountRun(900, seekAt);
    EXPECT_EQ(run.whilePlaying, 0);
  }
}

TEST(PlaybackAllocationTest, BlocksAreTakenOncePerRunWhateverItsLength) {
  const RunCount shortRun = CountRun(150, 0);
  const RunCount longRun = CountRun(1800, 0);
  EXPECT_GT(shortRun.blockAllocations, 0);
  EXPECT_EQ(longRun.blockAllocations, shortRun.blockAllocations);
  EXPECT_EQ(longRun.blockFrees, longRun.blockAllocations);
}

struct OutOfMemoryCase {
  const char* name;
  bool seekForward;  // the list runs out while a seek decodes forward, not while playing
};

void PrintTo(const OutOfMemoryCase& c, std::ostream* out) {
  *out << c.name;
}

class ControlListOutOfMemoryTest : public ::testing::TestWithParam<OutOfMemoryCase> {};

// The room for the whole list cannot be had, so the list grows frame by frame, until it
// cannot grow past 1024 entries either: while playing, the run drains and closes the
// application; while seeking, the run stops.
TEST_P(ControlListOutOfMemoryTest, ShowsTheMessageAndEndsTheRun) {
  const OutOfMemoryCase& c = GetParam();
  constexpr int kFrames = 1800;
  VirtualCardConfig config;
  config.playedReserve = size_t{kFrames} * 320;
  EngineRig rig(config);
  rig.Put("speech.vxs", MakeStream(StreamShape{kFrames, 1, 0, true, 62}));
  if (c.seekForward) {
    rig.At(1000, [&rig] { OnSliderScroll(rig.engine, SliderNotification::kPageDown, 1500); });
  }
  // The room taken at opening, and growth past 512 entries.
  testing::RefuseAllocationSizes((kFrames + 1) * sizeof(ControlEntry), 1024 * sizeof(ControlEntry));
  rig.StartAndPump();
  testing::RefuseAllocationSizes(0);

  ASSERT_EQ(rig.prompter.Prompts().size(), 1u);
  EXPECT_EQ(rig.prompter.Prompts()[0].text, "Out of Memory(Add Control List)");
  EXPECT_EQ(rig.prompter.Prompts()[0].caption, "");
  EXPECT_EQ(rig.engine.Controls().Size(), 512u);
  EXPECT_EQ(rig.mainWindowCloses, c.seekForward ? 0 : 1);
  EXPECT_EQ(rig.engine.State(), PlaybackState::kIdle);
  EXPECT_EQ(rig.card.OpenOutputs(), 0u);
  // What was played is the start of the file; while playing, the blocks written before the
  // failure are played to their end.
  const std::vector<uint8_t> played = rig.Played();
  const std::vector<uint8_t> whole =
      testing::ReferenceDecoder(MakeStream(StreamShape{kFrames, 1, 0, true, 62}), 8).Decode(0);
  if (!c.seekForward) {
    EXPECT_GE(played.size(), size_t{500} * 320);
  }
  ASSERT_LE(played.size(), whole.size());
  EXPECT_TRUE(std::equal(played.begin(), played.end(), whole.begin()));
}

INSTANTIATE_TEST_SUITE_P(Where, ControlListOutOfMemoryTest,
                         ::testing::Values(OutOfMemoryCase{"WhilePlaying", false},
                                           OutOfMemoryCase{"WhileSeekingForward", true}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vx
