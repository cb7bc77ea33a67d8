// Every allocation of this test binary goes through the counting operator new below, so that
// the test can show that recording allocates nothing once the capture has started: the
// device's blocks are taken once per run, before the countdown.

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "recorder/pipeline/tests/recording_rig.h"

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

using testing::CountingHeap;
using testing::ExpectedFile;
using testing::ReadFile;
using testing::RecordingRig;
using testing::SpeechBytes;

TEST(RecordingAllocationTest, CountsWhatItShould) {
  counted = 0;
  counting = true;
  auto* p = new int(3);
  delete p;
  counting = false;
  EXPECT_EQ(counted.load(), 1);
}

TEST(RecordingAllocationTest, RecordingAllocatesNothingAfterTheCaptureStarts) {
  const std::vector<uint8_t> speech = SpeechBytes();
  CountingHeap heap;
  RecordingRig rig(heap);
  rig.card.SetCaptureSource(speech);
  rig.view.recording = false;  // keeping the texts would allocate
  int blocksAtStart = -1;
  rig.view.onTurn = [&] {
    if (blocksAtStart < 0 && rig.pipeline.State() == RecordState::kRecording) {
      blocksAtStart = heap.allocations;
      counted = 0;
      counting = true;
    }
  };
  // Five seconds: the ring of four blocks goes round more than twice.
  rig.At(RecordingPipeline::kCountdownMs + 5000, [&] {
    rig.pipeline.OnStop();
    counting = false;
  });
  rig.Record();
  counting = false;

  EXPECT_GT(blocksAtStart, 0);
  EXPECT_EQ(heap.allocations, blocksAtStart) << "blocks are taken at the open only";
  EXPECT_EQ(counted.load(), 0) << "allocations while recording";
  EXPECT_EQ(rig.pipeline.Frames(), 250);
  EXPECT_EQ(ReadFile(rig.TemporaryPath()), ExpectedFile(speech, 250, 0));
  EXPECT_TRUE(rig.prompter.Prompts().empty());
}

}  // namespace
}  // namespace vx
