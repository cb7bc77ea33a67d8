#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

#include "audio/wave_api.h"
#include "platform/prompter.h"

namespace vx {

// Life of a block, in this numeric order.
enum class BlockState : uint8_t {
  kFree = 1,        // allocated, never prepared
  kPrepared = 2,    // header prepared, not handed to the device
  kQueued = 3,      // handed to the device
  kCompleting = 4,  // its completion is being handled
  kDone = 5,        // unprepared after completion or reset; may be reused
  kReleased = 6,    // memory returned; seen only during teardown
};

// One slot of a device's ring: header and PCM area, both zero-filled at allocation.
struct WaveBlock {
  WaveHeader* header = nullptr;
  uint8_t* data = nullptr;
  uint32_t size = 0;  // capacity of data in bytes
  BlockState state = BlockState::kFree;
};

// Where the rings take their memory from. Tests substitute a heap that fails.
class BlockHeap {
 public:
  virtual ~BlockHeap() = default;
  // Zero-filled memory, or null when none can be had.
  virtual void* Allocate(size_t bytes) = 0;
  // False when the memory could not be returned.
  virtual bool Free(void* memory) = 0;
};

// The process heap.
BlockHeap& ProcessHeap();

inline constexpr int kMaxWaveBlocks = 16;

// Heap texts, shown with no caption and a warning icon.
inline constexpr const char* kAllocationFailedText = "メモリが不足していて、領域確保ができません。";
inline constexpr const char* kReleaseFailedText = "領域の解放ができませんでした。";

// The ring of blocks shared by the output and input devices. Memory is taken once per
// stream and returned when it ends; whatever is still held when the ring is destroyed is
// returned then, without messages.
class WaveBlockRing {
 public:
  WaveBlockRing(BlockHeap& heap, Prompter& prompter) : heap_(heap), prompter_(prompter) {}
  WaveBlockRing(const WaveBlockRing&) = delete;
  WaveBlockRing& operator=(const WaveBlockRing&) = delete;
  ~WaveBlockRing();

  // Allocates `count` blocks of `bytes` bytes, all Free. On a heap failure everything taken
  // so far is returned, the failure is shown, and the result is 1. The ring must be empty.
  int AllocateBlocks(uint16_t count, uint32_t bytes);
  // Returns every block's memory. A block that is Prepared, Queued or Completing is first
  // handed to `unprepare` (index → 0 or 1); a failure there stops the release with 1 and
  // keeps the rest. A heap that refuses memory back is shown and gives 1.
  int ReleaseBlocks(const std::function<int(uint16_t)>& unprepare);

  uint16_t Count() const { return count_; }
  bool Empty() const { return blocks_ == nullptr; }
  WaveBlock& operator[](uint16_t index) { return *blocks_[index]; }
  const WaveBlock& operator[](uint16_t index) const { return *blocks_[index]; }

 private:
  // Returns the memory of one block; false when the heap refused some of it.
  bool FreeBlock(WaveBlock* block);

  BlockHeap& heap_;
  Prompter& prompter_;
  WaveBlock** blocks_ = nullptr;
  uint16_t count_ = 0;
  uint16_t released_ = 0;  // slots already returned by an interrupted release
};

}  // namespace vx
