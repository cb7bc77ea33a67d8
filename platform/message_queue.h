#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <unordered_map>
#include <vector>

namespace vx {

// Message ids. The numbers are those the programs and the sound card have always used.
inline constexpr uint32_t kMsgClose = 0x0010;          // close the target window
inline constexpr uint32_t kMsgWaveOutDone = 0x3BD;     // an output block has been played
inline constexpr uint32_t kMsgWaveInData = 0x3C0;      // an input block has been filled
inline constexpr uint32_t kMsgRunLoop = 0x1400;        // run the cooperative loop
inline constexpr uint32_t kMsgPlayRequest = 0x1401;    // start, or restart a running play
inline constexpr uint32_t kMsgDrawVolume = 0x1402;     // redraw the volume control
inline constexpr uint32_t kMsgUpdateDisplay = 0x1403;  // redraw time display (mode params)
inline constexpr uint32_t kMsgOpenNamedFile = 0x1404;  // open the file named in the params
inline constexpr uint32_t kMsgCloseAboutBox = 0x1405;  // close the plug-in's About box
inline constexpr uint32_t kMsgPrivateFirst = 0xA400;   // first id free for a program's own use

// A message target: a window or any other object that registered a handler. 0 is no target.
using TargetId = uint32_t;
inline constexpr TargetId kNoTarget = 0;

struct Message {
  TargetId target = kNoTarget;
  uint32_t id = 0;
  uintptr_t wparam = 0;
  intptr_t lparam = 0;
};

using MessageHandler = std::function<void(const Message&)>;

// Ties the queue to the event loop of a user-interface toolkit.
class QueueBackend {
 public:
  virtual ~QueueBackend() = default;
  // Any thread, right after a message was posted: make the UI thread's loop notice it.
  virtual void Wake() = 0;
  // UI thread, before a message is taken: deliver the toolkit's own pending events.
  virtual void PumpNativeEvents() = 0;
  // UI thread: block until Wake is called or the timeout passes (native events may be
  // delivered meanwhile). A Wake that came before the call ends the wait at once.
  virtual void WaitForWake(std::chrono::milliseconds timeout) = 0;
};

// The program's message queue. Post may be called from any thread (sound-card threads post
// their completions); Register, Take, Dispatch and WaitForMessage belong to the UI thread.
// Posting allocates only when the queue grows past the largest backlog seen so far.
class MessageQueue {
 public:
  // A queue for programs without a toolkit loop (tests, command-line tools).
  MessageQueue();
  explicit MessageQueue(std::unique_ptr<QueueBackend> backend);
  MessageQueue(const MessageQueue&) = delete;
  MessageQueue& operator=(const MessageQueue&) = delete;
  ~MessageQueue();

  // Registers a handler and returns the new target's id (never kNoTarget).
  TargetId Register(MessageHandler handler);
  // Removes the target; messages still queued for it are dropped when dispatched.
  void Unregister(TargetId target);

  void Post(const Message& message);
  void Post(TargetId target, uint32_t id, uintptr_t wparam = 0, intptr_t lparam = 0) {
    Post(Message{target, id, wparam, lparam});
  }

  // Takes the oldest message without waiting, after the toolkit's pending events were
  // delivered.
  std::optional<Message> Take();
  // Hands the message to its target's handler at once; false when the target is unknown.
  // Also the way to send a message synchronously.
  bool Dispatch(const Message& message);
  // Takes and dispatches messages until none is waiting, those that handlers post meanwhile
  // included; returns how many were dispatched.
  size_t DispatchPending();
  // Waits until a message is queued or the timeout has passed; true when one is queued.
  bool WaitForMessage(std::chrono::milliseconds timeout);

  bool Empty() const;
  size_t Size() const;

 private:
  std::unique_ptr<QueueBackend> backend_;
  mutable std::mutex mutex_;
  std::vector<Message> ring_;  // circular buffer of pending messages
  size_t head_ = 0;
  size_t count_ = 0;
  // Handlers are shared so that a handler may unregister its own target while it runs.
  std::unordered_map<TargetId, std::shared_ptr<MessageHandler>> handlers_;
  TargetId nextTarget_ = 1;
};

}  // namespace vx
