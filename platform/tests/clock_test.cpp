#include "platform/clock.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace vx {
namespace {

TEST(VirtualClockTest, SleepAndAdvanceMoveTimeAndTellObservers) {
  VirtualClock clock(1000);
  std::vector<int64_t> seen;
  const int id = clock.AddObserver([&](int64_t now) { seen.push_back(now); });
  EXPECT_EQ(clock.Ticks(), 1000);
  clock.Sleep(20);
  clock.Advance(5);
  clock.Advance(0);  // no movement, no notice
  clock.Sleep(-10);  // time never goes back
  EXPECT_EQ(clock.Ticks(), 1025);
  EXPECT_EQ(seen, (std::vector<int64_t>{1020, 1025}));

  clock.RemoveObserver(id);
  clock.Sleep(1);
  EXPECT_EQ(seen.size(), 2u) << "a removed observer hears nothing";
}

TEST(VirtualClockTest, ObserverMayReadTheClock) {
  VirtualClock clock;
  int64_t readInside = -1;
  clock.AddObserver([&](int64_t) { readInside = clock.Ticks(); });
  clock.Advance(7);
  EXPECT_EQ(readInside, 7);
}

TEST(VirtualClockTest, ConcurrentSleepsAddUpAndObserversNeverSeeTimeGoBack) {
  VirtualClock clock;
  int64_t last = 0;
  bool wentBack = false;
  int notices = 0;
  clock.AddObserver([&](int64_t now) {  // runs under the clock's observer lock
    if (now < last) wentBack = true;
    last = now;
    ++notices;
  });
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&clock] {
      for (int i = 0; i < 1000; ++i) clock.Sleep(1 + i % 3);
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(clock.Ticks(), 4 * (334 * 1 + 333 * 2 + 333 * 3));
  EXPECT_FALSE(wentBack);
  EXPECT_EQ(notices, 4000);
  EXPECT_EQ(last, clock.Ticks());
}

TEST(RealClockTest, TicksFollowSleeps) {
  RealClock clock;
  const int64_t before = clock.Ticks();
  EXPECT_GE(before, 0);
  clock.Sleep(3);
  EXPECT_GE(clock.Ticks() - before, 3);
}

}  // namespace
}  // namespace vx
