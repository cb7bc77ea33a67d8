#pragma once

#include <cstddef>

// A test binary that links vxtest_allocations sends every operator new through a counter, so
// a test can show that a stage allocates nothing, on any thread, while the counter runs.
namespace vx::testing {

void StartCountingAllocations();  // from zero
long StopCountingAllocations();   // the allocations counted since the start
bool CountingAllocations();
long AllocationsCounted();  // so far, counting or not

// Allocations of exactly these sizes fail (bad_alloc, or null from the nothrow forms), so a
// test can make one chosen allocation run out of memory. 0 refuses nothing.
void RefuseAllocationSizes(std::size_t first, std::size_t second = 0);

// Counts while it lives.
class AllocationCount {
 public:
  AllocationCount() { StartCountingAllocations(); }
  ~AllocationCount() { StopCountingAllocations(); }
  AllocationCount(const AllocationCount&) = delete;
  AllocationCount& operator=(const AllocationCount&) = delete;
  long Made() const { return AllocationsCounted(); }
};

}  // namespace vx::testing
