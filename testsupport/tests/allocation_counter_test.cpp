#include "testsupport/allocation_counter.h"

#include <gtest/gtest.h>

#include <memory>
#include <new>
#include <thread>

namespace vx::testing {
namespace {

TEST(AllocationCounterTest, CountsOnEveryThreadOnlyWhileRunning) {
  { auto before = std::make_unique<int>(1); }
  long made = 0;
  {
    AllocationCount count;
    auto p = std::make_unique<int>(2);
    std::thread([] { auto q = std::make_unique<int[]>(3); }).join();
    made = count.Made();
  }
  EXPECT_GE(made, 2);  // the two ints; starting the thread may allocate too
  EXPECT_FALSE(CountingAllocations());
  { auto after = std::make_unique<int>(4); }
  EXPECT_EQ(AllocationsCounted(), made);
}

TEST(AllocationCounterTest, RefusesTheChosenSizesOnly) {
  RefuseAllocationSizes(24, 40);
  EXPECT_THROW((void)::operator new(24), std::bad_alloc);
  EXPECT_EQ(::operator new(40, std::nothrow), nullptr);
  void* p = ::operator new(32);
  ::operator delete(p);
  RefuseAllocationSizes(0);
  p = ::operator new(24);
  ::operator delete(p);
}

}  // namespace
}  // namespace vx::testing
