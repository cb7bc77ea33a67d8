#pragma once

#include <cstdlib>

#include "audio/wave_block.h"

namespace vx::testing {

// A block heap that counts the blocks it hands out and takes back, and can refuse the n-th
// allocation or every release. It takes no memory through operator new itself, so the tests
// that count those allocations can use it.
class CountingHeap final : public BlockHeap {
 public:
  int failAllocation = -1;  // index (from 0) of the allocation to refuse
  bool failFree = false;
  int allocations = 0;  // calls, refused ones included
  int frees = 0;

  void* Allocate(size_t bytes) override {
    if (allocations++ == failAllocation) return nullptr;
    ++held_;
    return std::calloc(1, bytes == 0 ? 1 : bytes);
  }
  bool Free(void* memory) override {
    ++frees;
    if (memory != nullptr) --held_;
    std::free(memory);
    return !failFree;
  }
  // Blocks handed out and not yet taken back.
  int Held() const { return held_; }

 private:
  int held_ = 0;
};

}  // namespace vx::testing
