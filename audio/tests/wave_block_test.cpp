#include "audio/wave_block.h"

#include <gtest/gtest.h>

#include "audio/tests/test_rig.h"
#include "platform/headless/scripted_prompter.h"

namespace vx {
namespace {

using testing::CountingHeap;

TEST(WaveBlockTest, StatesKeepTheirNumbers) {
  EXPECT_EQ(static_cast<int>(BlockState::kFree), 1);
  EXPECT_EQ(static_cast<int>(BlockState::kPrepared), 2);
  EXPECT_EQ(static_cast<int>(BlockState::kQueued), 3);
  EXPECT_EQ(static_cast<int>(BlockState::kCompleting), 4);
  EXPECT_EQ(static_cast<int>(BlockState::kDone), 5);
  EXPECT_EQ(static_cast<int>(BlockState::kReleased), 6);
}

TEST(WaveBlockTest, AllocatesZeroFilledFreeBlocksAndReleasesAll) {
  CountingHeap heap;
  ScriptedPrompter prompter;
  WaveBlockRing ring(heap, prompter);
  ASSERT_EQ(ring.AllocateBlocks(3, 100), 0);
  EXPECT_EQ(ring.Count(), 3);
  EXPECT_EQ(heap.Held(), 1u + 3 * 3) << "pointer array, then block, header and data per slot";
  for (uint16_t i = 0; i < 3; ++i) {
    EXPECT_EQ(ring[i].state, BlockState::kFree);
    EXPECT_EQ(ring[i].size, 100u);
    EXPECT_EQ(ring[i].header->flags.load(), 0u);
    EXPECT_EQ(ring[i].header->data, nullptr);
    for (uint32_t b = 0; b < 100; ++b) ASSERT_EQ(ring[i].data[b], 0) << i << " " << b;
  }
  int unprepared = 0;
  EXPECT_EQ(ring.ReleaseBlocks([&](uint16_t) { return ++unprepared, 0; }), 0);
  EXPECT_EQ(unprepared, 0) << "Free blocks are not unprepared";
  EXPECT_EQ(heap.Held(), 0u);
  EXPECT_TRUE(ring.Empty());
  EXPECT_TRUE(prompter.Prompts().empty());
}

TEST(WaveBlockTest, EveryHeapFailureReturnsWhatWasTakenAndSaysSo) {
  constexpr int kAllocations = 1 + 3 * 2;
  for (int failing = 0; failing < kAllocations; ++failing) {
    CountingHeap heap;
    heap.failAllocation = failing;
    ScriptedPrompter prompter;
    WaveBlockRing ring(heap, prompter);
    EXPECT_EQ(ring.AllocateBlocks(2, 64), 1) << failing;
    EXPECT_EQ(heap.Held(), 0u) << failing;
    EXPECT_TRUE(ring.Empty());
    ASSERT_EQ(prompter.Prompts().size(), 1u) << failing;
    const RecordedPrompt& shown = prompter.Prompts()[0];
    EXPECT_EQ(shown.text, "メモリが不足していて、領域確保ができません。");
    EXPECT_EQ(shown.caption, "") << "no caption: the application title";
    EXPECT_EQ(shown.icon, PromptIcon::kWarning);
  }
}

TEST(WaveBlockTest, RefusedReleaseIsShown) {
  CountingHeap heap;
  ScriptedPrompter prompter;
  WaveBlockRing ring(heap, prompter);
  ASSERT_EQ(ring.AllocateBlocks(2, 16), 0);
  heap.failFree = true;
  EXPECT_EQ(ring.ReleaseBlocks([](uint16_t) { return 0; }), 1);
  ASSERT_EQ(prompter.Prompts().size(), 1u) << "one message for the whole release";
  EXPECT_EQ(prompter.Prompts()[0].text, "領域の解放ができませんでした。");
  EXPECT_EQ(prompter.Prompts()[0].caption, "");
  EXPECT_EQ(prompter.Prompts()[0].icon, PromptIcon::kWarning);
  EXPECT_TRUE(ring.Empty());
}

TEST(WaveBlockTest, BlocksHeldByTheDeviceAreUnpreparedFirstAndAFailureKeepsThem) {
  CountingHeap heap;
  ScriptedPrompter prompter;
  WaveBlockRing ring(heap, prompter);
  ASSERT_EQ(ring.AllocateBlocks(4, 16), 0);
  ring[0].state = BlockState::kDone;
  ring[1].state = BlockState::kQueued;
  ring[2].state = BlockState::kPrepared;
  ring[3].state = BlockState::kCompleting;

  std::vector<uint16_t> asked;
  bool refuse = true;
  auto unprepare = [&](uint16_t i) {
    asked.push_back(i);
    return (refuse && i == 2) ? 1 : 0;
  };
  EXPECT_EQ(ring.ReleaseBlocks(unprepare), 1);
  EXPECT_EQ(asked, (std::vector<uint16_t>{1, 2}));
  EXPECT_FALSE(ring.Empty()) << "the block the device may still hold is kept";
  EXPECT_EQ(heap.Held(), 1u + 3 * 2) << "slots 0 and 1 were returned";

  refuse = false;
  asked.clear();
  EXPECT_EQ(ring.ReleaseBlocks(unprepare), 0) << "a later release finishes the job";
  EXPECT_EQ(asked, (std::vector<uint16_t>{2, 3}));
  EXPECT_EQ(heap.Held(), 0u);
}

TEST(WaveBlockTest, DestroyingTheRingReturnsWhatIsLeft) {
  CountingHeap heap;
  ScriptedPrompter prompter;
  {
    WaveBlockRing ring(heap, prompter);
    ASSERT_EQ(ring.AllocateBlocks(2, 16), 0);
    ring[1].state = BlockState::kQueued;
    EXPECT_EQ(ring.ReleaseBlocks([](uint16_t) { return 1; }), 1);
  }
  EXPECT_EQ(heap.Held(), 0u);
}

}  // namespace
}  // namespace vx
