#include "audio/wave_block.h"

#include <cstdlib>
#include <new>

namespace vx {
namespace {

class CHeap final : public BlockHeap {
 public:
  void* Allocate(size_t bytes) override { return std::calloc(1, bytes == 0 ? 1 : bytes); }
  bool Free(void* memory) override {
    std::free(memory);
    return true;
  }
};

}  // namespace

BlockHeap& ProcessHeap() {
  static CHeap heap;
  return heap;
}

WaveBlockRing::~WaveBlockRing() {
  if (blocks_ == nullptr) return;
  for (uint16_t i = released_; i < count_; ++i) FreeBlock(blocks_[i]);
  heap_.Free(blocks_);
}

bool WaveBlockRing::FreeBlock(WaveBlock* block) {
  bool ok = true;
  if (block->header != nullptr) {
    block->header->~WaveHeader();
    ok = heap_.Free(block->header) && ok;
  }
  if (block->data != nullptr) ok = heap_.Free(block->data) && ok;
  block->state = BlockState::kReleased;
  block->~WaveBlock();
  return heap_.Free(block) && ok;
}

int WaveBlockRing::AllocateBlocks(uint16_t count, uint32_t bytes) {
  if (blocks_ != nullptr) return 1;
  auto fail = [this](WaveBlock** slots, uint16_t filled) {
    for (uint16_t i = 0; i < filled; ++i) FreeBlock(slots[i]);
    if (slots != nullptr) heap_.Free(slots);
    prompter_.MessageBox(kAllocationFailedText, "", PromptButtons::kOk, PromptIcon::kWarning);
    return 1;
  };
  auto** slots = static_cast<WaveBlock**>(heap_.Allocate(sizeof(WaveBlock*) * count));
  if (slots == nullptr) return fail(nullptr, 0);
  for (uint16_t i = 0; i < count; ++i) {
    void* blockMemory = heap_.Allocate(sizeof(WaveBlock));
    if (blockMemory == nullptr) return fail(slots, i);
    auto* block = new (blockMemory) WaveBlock;
    slots[i] = block;
    void* headerMemory = heap_.Allocate(sizeof(WaveHeader));
    block->data = static_cast<uint8_t*>(headerMemory == nullptr ? nullptr : heap_.Allocate(bytes));
    if (headerMemory != nullptr) block->header = new (headerMemory) WaveHeader;
    if (block->header == nullptr || block->data == nullptr) return fail(slots, i + 1);
    block->size = bytes;
    block->state = BlockState::kFree;
  }
  blocks_ = slots;
  count_ = count;
  released_ = 0;
  return 0;
}

int WaveBlockRing::ReleaseBlocks(const std::function<int(uint16_t)>& unprepare) {
  if (blocks_ == nullptr) return 0;
  int result = 0;
  for (; released_ < count_; ++released_) {
    WaveBlock* block = blocks_[released_];
    if (block->state == BlockState::kPrepared || block->state == BlockState::kQueued ||
        block->state == BlockState::kCompleting) {
      // The device may still hold this block: keep it and everything after it.
      if (unprepare(released_) != 0) return 1;
    }
    if (!FreeBlock(block)) result = 1;
  }
  if (!heap_.Free(blocks_)) result = 1;
  blocks_ = nullptr;
  count_ = 0;
  released_ = 0;
  if (result != 0) {
    prompter_.MessageBox(kReleaseFailedText, "", PromptButtons::kOk, PromptIcon::kWarning);
  }
  return result;
}

}  // namespace vx
