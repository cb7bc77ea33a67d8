#include "platform/wx/wx_queue_backend.h"

#include <wx/app.h>
#include <wx/apptrait.h>
#include <wx/evtloop.h>

#include <algorithm>

namespace vx {
namespace {

// No wait longer than this passes without the native events being delivered.
constexpr std::chrono::milliseconds kPumpInterval{5};

}  // namespace

WxQueueBackend::WxQueueBackend() {
  Bind(wxEVT_THREAD, &WxQueueBackend::OnWake, this);
}

WxQueueBackend::~WxQueueBackend() {
  // Wake events still queued must not reach a destroyed handler.
  DeletePendingEvents();
}

void WxQueueBackend::Wake() {
  {
    std::lock_guard lock(mutex_);
    wakePending_ = true;
  }
  woken_.notify_all();
  wxQueueEvent(this, new wxThreadEvent());
}

void WxQueueBackend::PumpNativeEvents() {
  if (wxTheApp == nullptr) return;
  ++pumpDepth_;
  wxEventLoopBase* loop = wxEventLoopBase::GetActive();
  if (loop == nullptr) {
    if (!ownLoop_) ownLoop_.reset(wxTheApp->GetTraits()->CreateEventLoop());
    loop = ownLoop_.get();
  }
  {
    wxEventLoopActivator activate(loop);
    while (loop->Pending()) loop->Dispatch();
  }
  // Events queued with wxQueueEvent arrive only through this call in a nested loop.
  wxTheApp->ProcessPendingEvents();
  --pumpDepth_;
  ResumeMissedWake();
}

void WxQueueBackend::WaitForWake(std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    {
      std::unique_lock lock(mutex_);
      const auto now = std::chrono::steady_clock::now();
      const auto slice =
          std::min<std::chrono::steady_clock::duration>(kPumpInterval, deadline - now);
      if (!wakePending_ && slice > slice.zero())
        woken_.wait_for(lock, slice, [this] { return wakePending_; });
      if (wakePending_) {
        wakePending_ = false;
        return;
      }
    }
    if (std::chrono::steady_clock::now() >= deadline) return;
    PumpNativeEvents();
  }
}

void WxQueueBackend::DispatchQueued() {
  if (queue_ == nullptr) return;
  ++dispatchDepth_;
  queue_->DispatchPending();
  --dispatchDepth_;
  ResumeMissedWake();
}

void WxQueueBackend::OnWake(wxThreadEvent&) {
  {
    std::lock_guard lock(mutex_);
    wakePending_ = false;
  }
  if (pumpDepth_ > 0 || dispatchDepth_ > 0) {
    // A loop is taking messages itself; they are its to take.
    missedWake_ = true;
    return;
  }
  DispatchQueued();
}

void WxQueueBackend::ResumeMissedWake() {
  if (!missedWake_ || pumpDepth_ > 0 || dispatchDepth_ > 0) return;
  missedWake_ = false;
  if (queue_ != nullptr && !queue_->Empty()) wxQueueEvent(this, new wxThreadEvent());
}

std::unique_ptr<MessageQueue> MakeWxMessageQueue() {
  auto backend = std::make_unique<WxQueueBackend>();
  WxQueueBackend* raw = backend.get();
  auto queue = std::make_unique<MessageQueue>(std::move(backend));
  raw->AttachQueue(*queue);
  return queue;
}

}  // namespace vx
