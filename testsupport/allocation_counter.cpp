#include "testsupport/allocation_counter.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<bool> counting{false};
std::atomic<long> counted{0};
std::atomic<std::size_t> refusedSizes[2] = {0, 0};

// Counts the call; null when the size is refused or the heap is out of memory.
void* Allocate(std::size_t size) noexcept {
  if (counting.load(std::memory_order_relaxed)) counted.fetch_add(1, std::memory_order_relaxed);
  if (size != 0 && (size == refusedSizes[0].load() || size == refusedSizes[1].load()))
    return nullptr;
  return std::malloc(size == 0 ? 1 : size);
}

void* AllocateOrThrow(std::size_t size) {
  if (void* p = Allocate(size)) return p;
  throw std::bad_alloc();
}

}  // namespace

namespace vx::testing {

void StartCountingAllocations() {
  counted = 0;
  counting = true;
}
long StopCountingAllocations() {
  counting = false;
  return counted.load();
}
bool CountingAllocations() {
  return counting.load();
}
void RefuseAllocationSizes(std::size_t first, std::size_t second) {
  refusedSizes[0] = first;
  refusedSizes[1] = second;
}
long AllocationsCounted() {
  return counted.load();
}

}  // namespace vx::testing

// The replacements pair malloc with free; gcc cannot see that through inlined calls.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

void* operator new(std::size_t size) {
  return AllocateOrThrow(size);
}
void* operator new[](std::size_t size) {
  return AllocateOrThrow(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  return Allocate(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  return Allocate(size);
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
