#include "platform/message_queue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace vx {
namespace {

using std::chrono::milliseconds;

// Records what each target was handed.
struct Inbox {
  std::vector<Message> got;
  MessageHandler Handler() {
    return [this](const Message& m) { got.push_back(m); };
  }
};

TEST(MessageQueueTest, TakesInPostingOrderAndDispatchesToTheTarget) {
  MessageQueue queue;
  Inbox a, b;
  const TargetId ta = queue.Register(a.Handler());
  const TargetId tb = queue.Register(b.Handler());
  ASSERT_NE(ta, kNoTarget);
  ASSERT_NE(ta, tb);

  queue.Post(ta, kMsgRunLoop);
  queue.Post(tb, kMsgWaveOutDone, 7, -3);
  queue.Post(ta, kMsgClose);
  EXPECT_EQ(queue.Size(), 3u);

  std::vector<uint32_t> order;
  while (auto m = queue.Take()) {
    order.push_back(m->id);
    EXPECT_TRUE(queue.Dispatch(*m));
  }
  EXPECT_EQ(order, (std::vector<uint32_t>{kMsgRunLoop, kMsgWaveOutDone, kMsgClose}));
  ASSERT_EQ(a.got.size(), 2u);
  EXPECT_EQ(a.got[1].id, kMsgClose);
  ASSERT_EQ(b.got.size(), 1u);
  EXPECT_EQ(b.got[0].wparam, 7u);
  EXPECT_EQ(b.got[0].lparam, -3);
  EXPECT_TRUE(queue.Empty());
  EXPECT_FALSE(queue.Take().has_value());
}

TEST(MessageQueueTest, OrderSurvivesWrapAroundAndGrowth) {
  MessageQueue queue;
  uintptr_t posted = 0, taken = 0;
  // Take part of the backlog so that the ring wraps, then post past its first capacity.
  for (int i = 0; i < 200; ++i) queue.Post(1, kMsgPrivateFirst, posted++);
  for (int i = 0; i < 150; ++i) {
    auto m = queue.Take();
    ASSERT_TRUE(m);
    EXPECT_EQ(m->wparam, taken++);
  }
  for (int i = 0; i < 700; ++i) queue.Post(1, kMsgPrivateFirst, posted++);
  while (auto m = queue.Take()) EXPECT_EQ(m->wparam, taken++);
  EXPECT_EQ(taken, posted);
}

TEST(MessageQueueTest, PostsFromSeveralThreadsAllArriveInEachThreadsOrder) {
  MessageQueue queue;
  constexpr int kThreads = 4;
  constexpr uintptr_t kPerThread = 5000;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&queue, t] {
      for (uintptr_t i = 0; i < kPerThread; ++i) queue.Post(1, kMsgWaveInData, i, t);
    });
  }
  // Take while the others post, as a UI thread does.
  std::vector<uintptr_t> next(kThreads, 0);
  size_t total = 0;
  while (total < kThreads * kPerThread) {
    if (!queue.WaitForMessage(milliseconds(10000))) break;
    while (auto m = queue.Take()) {
      ASSERT_GE(m->lparam, 0);
      ASSERT_LT(m->lparam, kThreads);
      EXPECT_EQ(m->wparam, next[m->lparam]) << "thread " << m->lparam;
      next[m->lparam] = m->wparam + 1;
      ++total;
    }
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(total, kThreads * kPerThread);
  EXPECT_TRUE(queue.Empty());
}

TEST(MessageQueueTest, UnknownAndUnregisteredTargetsAreNotDispatched) {
  MessageQueue queue;
  Inbox inbox;
  const TargetId target = queue.Register(inbox.Handler());
  EXPECT_FALSE(queue.Dispatch(Message{target + 1, kMsgClose}));
  EXPECT_FALSE(queue.Dispatch(Message{kNoTarget, kMsgClose}));
  queue.Unregister(target);
  EXPECT_FALSE(queue.Dispatch(Message{target, kMsgClose}));
  EXPECT_TRUE(inbox.got.empty());
  EXPECT_NE(queue.Register(inbox.Handler()), target) << "ids are not reused";
}

TEST(MessageQueueTest, HandlerMayUnregisterItselfAndPostWhileRunning) {
  MessageQueue queue;
  int calls = 0;
  TargetId self = kNoTarget;
  self = queue.Register([&](const Message& m) {
    ++calls;
    queue.Unregister(self);
    queue.Post(self, m.id + 1);
  });
  EXPECT_TRUE(queue.Dispatch(Message{self, kMsgRunLoop}));
  EXPECT_EQ(calls, 1);
  auto m = queue.Take();
  ASSERT_TRUE(m);
  EXPECT_EQ(m->id, kMsgPlayRequest);
  EXPECT_FALSE(queue.Dispatch(*m));
}

TEST(MessageQueueTest, WaitForMessage) {
  MessageQueue queue;
  EXPECT_FALSE(queue.WaitForMessage(milliseconds(1))) << "nothing queued: the wait times out";
  queue.Post(1, kMsgRunLoop);
  EXPECT_TRUE(queue.WaitForMessage(milliseconds(0))) << "a queued message ends the wait";
  queue.Take();

  std::thread poster([&] {
    std::this_thread::sleep_for(milliseconds(5));
    queue.Post(1, kMsgWaveOutDone);
  });
  EXPECT_TRUE(queue.WaitForMessage(milliseconds(60000))) << "a post from another thread wakes";
  poster.join();
  auto m = queue.Take();
  ASSERT_TRUE(m);
  EXPECT_EQ(m->id, kMsgWaveOutDone);
}

// A toolkit backend whose own event loop turns native events into queue messages.
class FakeToolkit final : public QueueBackend {
 public:
  MessageQueue* queue = nullptr;
  std::atomic<int> wakes{0};
  int pumps = 0;
  int nativePending = 0;
  void Wake() override { ++wakes; }
  void PumpNativeEvents() override {
    ++pumps;
    for (; nativePending > 0; --nativePending) queue->Post(2, kMsgPrivateFirst);
  }
  void WaitForWake(milliseconds) override {}
};

TEST(MessageQueueTest, BackendIsWokenByPostsAndPumpedBeforeEachTake) {
  auto owned = std::make_unique<FakeToolkit>();
  FakeToolkit* toolkit = owned.get();
  MessageQueue queue(std::move(owned));
  toolkit->queue = &queue;

  queue.Post(1, kMsgRunLoop);
  EXPECT_EQ(toolkit->wakes, 1);

  toolkit->nativePending = 1;
  auto first = queue.Take();
  ASSERT_TRUE(first);
  EXPECT_EQ(first->id, kMsgRunLoop);
  auto second = queue.Take();
  ASSERT_TRUE(second) << "the native event pumped by the first Take is queued";
  EXPECT_EQ(second->id, kMsgPrivateFirst);
  EXPECT_EQ(toolkit->pumps, 2);

  toolkit->nativePending = 1;
  EXPECT_TRUE(queue.WaitForMessage(milliseconds(0))) << "the wait pumps native events too";
}

// What handlers post while the waiting messages are dispatched is dispatched too, in order.
TEST(MessageQueueTest, DispatchPendingRunsUntilNothingWaits) {
  MessageQueue queue;
  std::vector<uint32_t> seen;
  TargetId target = kNoTarget;
  target = queue.Register([&](const Message& m) {
    seen.push_back(m.id);
    if (m.id == kMsgRunLoop) queue.Post(target, kMsgClose);
  });
  queue.Post(target, kMsgRunLoop);
  queue.Post(target, kMsgWaveOutDone);
  EXPECT_EQ(queue.DispatchPending(), 3u);
  EXPECT_EQ(seen, (std::vector<uint32_t>{kMsgRunLoop, kMsgWaveOutDone, kMsgClose}));
  EXPECT_TRUE(queue.Empty());
  EXPECT_EQ(queue.DispatchPending(), 0u);
}
}  // namespace
}  // namespace vx
