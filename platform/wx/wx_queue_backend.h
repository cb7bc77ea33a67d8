#pragma once

#include <wx/event.h>

#include <condition_variable>
#include <memory>
#include <mutex>

#include "platform/message_queue.h"

class wxEventLoopBase;

namespace vx {

// The message queue on wx's event loop. A post, from any thread, queues a wake event on the
// UI thread; its handler takes and dispatches the queue's messages, unless a cooperative loop
// is taking them itself at that moment (it is then inside Take, or a message it dispatched is
// still running), in which case the messages are left to that loop. Taking a message first
// delivers wx's pending native events and queued wx events, so a loop that takes messages
// keeps the windows alive.
class WxQueueBackend final : public QueueBackend, public wxEvtHandler {
 public:
  WxQueueBackend();
  ~WxQueueBackend() override;

  // The queue whose messages the wake events dispatch. Set once, right after the queue was
  // made over this backend; the queue must outlive the wx loop's use of it.
  void AttachQueue(MessageQueue& queue) { queue_ = &queue; }

  void Wake() override;
  void PumpNativeEvents() override;
  void WaitForWake(std::chrono::milliseconds timeout) override;

  // Takes and dispatches every queued message now (wx loop, UI thread).
  void DispatchQueued();

 private:
  void OnWake(wxThreadEvent& event);
  // Re-queues a wake that came while a loop was taking messages, once it is no longer.
  void ResumeMissedWake();

  MessageQueue* queue_ = nullptr;
  int pumpDepth_ = 0;      // inside PumpNativeEvents
  int dispatchDepth_ = 0;  // inside DispatchQueued
  bool missedWake_ = false;
  // A loop of our own for delivering native events before wx's main loop runs.
  std::unique_ptr<wxEventLoopBase> ownLoop_;

  std::mutex mutex_;
  std::condition_variable woken_;
  bool wakePending_ = false;
};

// A message queue over a new WxQueueBackend, attached to it.
std::unique_ptr<MessageQueue> MakeWxMessageQueue();

}  // namespace vx
