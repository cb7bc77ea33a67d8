#include "platform/message_queue.h"

#include "platform/headless/headless_queue_backend.h"

namespace vx {
namespace {

constexpr size_t kInitialCapacity = 256;

}  // namespace

MessageQueue::MessageQueue() : MessageQueue(std::make_unique<HeadlessQueueBackend>()) {}

MessageQueue::MessageQueue(std::unique_ptr<QueueBackend> backend)
    : backend_(std::move(backend)), ring_(kInitialCapacity) {}

MessageQueue::~MessageQueue() = default;

TargetId MessageQueue::Register(MessageHandler handler) {
  TargetId target = nextTarget_++;
  if (target == kNoTarget) target = nextTarget_++;
  handlers_[target] = std::make_shared<MessageHandler>(std::move(handler));
  return target;
}

void MessageQueue::Unregister(TargetId target) {
  handlers_.erase(target);
}

void MessageQueue::Post(const Message& message) {
  {
    std::lock_guard lock(mutex_);
    if (count_ == ring_.size()) {
      // Grow by unrolling the circle into a buffer twice the size.
      std::vector<Message> bigger(ring_.size() * 2);
      for (size_t i = 0; i < count_; ++i) bigger[i] = ring_[(head_ + i) % ring_.size()];
      ring_.swap(bigger);
      head_ = 0;
    }
    ring_[(head_ + count_) % ring_.size()] = message;
    ++count_;
  }
  backend_->Wake();
}

std::optional<Message> MessageQueue::Take() {
  backend_->PumpNativeEvents();
  std::lock_guard lock(mutex_);
  if (count_ == 0) return std::nullopt;
  Message message = ring_[head_];
  head_ = (head_ + 1) % ring_.size();
  --count_;
  return message;
}

size_t MessageQueue::DispatchPending() {
  size_t dispatched = 0;
  while (std::optional<Message> message = Take()) {
    Dispatch(*message);
    ++dispatched;
  }
  return dispatched;
}

bool MessageQueue::Dispatch(const Message& message) {
  auto it = handlers_.find(message.target);
  if (it == handlers_.end()) return false;
  std::shared_ptr<MessageHandler> handler = it->second;
  (*handler)(message);
  return true;
}

bool MessageQueue::WaitForMessage(std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    backend_->PumpNativeEvents();
    if (!Empty()) return true;
    const auto now = std::chrono::steady_clock::now();
    if (now >= deadline) return false;
    backend_->WaitForWake(std::chrono::ceil<std::chrono::milliseconds>(deadline - now));
  }
}

bool MessageQueue::Empty() const {
  std::lock_guard lock(mutex_);
  return count_ == 0;
}

size_t MessageQueue::Size() const {
  std::lock_guard lock(mutex_);
  return count_;
}

}  // namespace vx
