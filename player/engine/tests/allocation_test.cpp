// Every allocation of this test binary goes through the counting operator new below, so that
// a test can show that a run takes no memory while it plays, and its blocks once per run.

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "player/engine/panel_input.h"
#include "player/engine/tests/engine_rig.h"

namespace {

std::atomic<bool> counting{false};
std::atomic<long> counted{0};

void* CountedAllocate(std::size_t size) {
  if (counting.load(std::memory_order_relaxed)) counted.fetch_add(1);
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}

}  // namespace

void* operator new(std::size_t size) {
  return CountedAllocate(size);
}
void* operator new[](std::size_t size) {
  return CountedAllocate(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  if (counting.load(std::memory_order_relaxed)) counted.fetch_add(1);
  return std::malloc(size == 0 ? 1 : size);
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept {
  return operator new(size, tag);
}
void operator delete(void* p) noexcept {
  std::free(p);
}
void operator delete[](void* p) noexcept {
  std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
  std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
  std::free(p);
}

namespace vx {
namespace {

using testing::EngineRig;
using testing::MakeStream;
using testing::StreamSpec;

// The process heap, counted.
class CountingHeap final : public BlockHeap {
 public:
  void* Allocate(size_t bytes) override {
    ++allocations;
    return ProcessHeap().Allocate(bytes);
  }
  bool Free(void* memory) override {
    ++frees;
    return ProcessHeap().Free(memory);
  }
  long allocations = 0;
  long frees = 0;
};

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
  rig.Put("speech.vxs", MakeStream(StreamSpec{frames, 1, 0, true, 61}));
  if (seekAt > 0) {
    rig.At(seekAt, [&rig] { OnSliderScroll(rig.engine, SliderNotification::kPageUp, 10); });
    rig.At(seekAt + 1000, [&rig, frames] {
      OnSliderScroll(rig.engine, SliderNotification::kPageDown, frames - 50);
    });
  }
  rig.view.onUpdate = [&rig] {
    if (!counting && rig.engine.State() == PlaybackState::kPlaying) {
      counted = 0;
      counting = true;
    }
  };
  rig.engine.InitialUpdate();
  rig.Pump();
  counting = false;
  EXPECT_TRUE(rig.prompter.Prompts().empty());
  EXPECT_FALSE(rig.engine.RunFailed());
  return RunCount{counted.load(), heap.allocations, heap.frees};
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

}  // namespace
}  // namespace vx
