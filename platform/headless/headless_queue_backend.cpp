#include "platform/headless/headless_queue_backend.h"

namespace vx {

void HeadlessQueueBackend::Wake() {
  {
    std::lock_guard lock(mutex_);
    wakePending_ = true;
  }
  woken_.notify_one();
}

void HeadlessQueueBackend::WaitForWake(std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  woken_.wait_for(lock, timeout, [this] { return wakePending_; });
  wakePending_ = false;
}

}  // namespace vx
