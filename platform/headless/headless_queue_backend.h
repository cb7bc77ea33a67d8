#pragma once

#include <condition_variable>
#include <mutex>

#include "platform/message_queue.h"

namespace vx {

// The queue backend of programs without a toolkit: a wake flag and a condition variable.
class HeadlessQueueBackend final : public QueueBackend {
 public:
  void Wake() override;
  void PumpNativeEvents() override {}
  void WaitForWake(std::chrono::milliseconds timeout) override;

 private:
  std::mutex mutex_;
  std::condition_variable woken_;
  bool wakePending_ = false;
};

}  // namespace vx
