#include "recorder/pipeline/recording_pipeline.h"

#include <cstdio>

#include "recorder/pipeline/time_display.h"

namespace vx {

RecordingPipeline::RecordingPipeline(RecordingServices services, RecordingView& view,
                                     RecordingDocument& document)
    : queue_(services.queue),
      prompter_(services.prompter),
      clock_(services.clock),
      files_(services.files),
      paths_(services.paths),
      view_(view),
      document_(document),
      device_(services.waveApi, services.prompter, services.heap) {
  target_ = queue_.Register([this](const Message& message) { OnMessage(message); });
}

RecordingPipeline::~RecordingPipeline() {
  queue_.Unregister(target_);
  // The device closes itself when it is destroyed; the file closes with its stream.
}

void RecordingPipeline::OnMessage(const Message& message) {
  switch (message.id) {
    case kMsgRunLoop:
      RunLoop();
      break;
    case kMsgRecordRequest:
      OnRecord();
      break;
    case kMsgUpdateDisplay:
      UpdateTimeDisplay(static_cast<int>(message.wparam));
      break;
    case kMsgClose:
      OnClose();
      break;
    default:
      // Input-data messages are answered by the loop itself, before they are dispatched.
      break;
  }
}

void RecordingPipeline::InitialUpdate() {
  view_.EnableRecord(true);
  view_.EnableStop(false);
  ShowRate();
}

void RecordingPipeline::OnRecord() {
  // Only Idle starts a run; in every other state a run is in progress (or about to end) and
  // a second run-loop message would only start nothing.
  if (state_ != RecordState::kIdle) return;
  state_ = RecordState::kStarting;
  if (!loopRunning_) queue_.Post(target_, kMsgRunLoop);
}

void RecordingPipeline::OnStop() {
  switch (state_) {
    case RecordState::kRecording:
      // A device that refuses to stop would keep the run going for ever: the save step's
      // close resets it, so the run stops even then (the failure has been shown).
      if (device_.StopCapture() != 0) runFailed_ = true;
      state_ = RecordState::kStopping;
      break;
    case RecordState::kCountdown:
      state_ = RecordState::kStopping;
      break;
    default:
      break;
  }
}

void RecordingPipeline::OnExit() {
  OnStop();
  if (state_ != RecordState::kIdle) {
    closePending_ = true;
    queue_.Post(target_, kMsgClose);
  } else {
    queue_.Post(mainWindow_, kMsgClose);
  }
}

void RecordingPipeline::OnClose() {
  if (loopRunning_) {
    OnStop();
    queue_.Post(target_, kMsgClose);
  } else {
    queue_.Post(mainWindow_, kMsgClose);
  }
}

bool RecordingPipeline::CanClose() {
  if (state_ == RecordState::kIdle) return true;
  closePending_ = true;
  queue_.Post(target_, kMsgClose);
  return false;
}

void RecordingPipeline::OnFullRate() {
  if (state_ == RecordState::kIdle) rateMode_ = 0;
  ShowRate();
}

void RecordingPipeline::OnHalfRate() {
  if (state_ == RecordState::kIdle) rateMode_ = 1;
  ShowRate();
}

void RecordingPipeline::ShowRate() {
  view_.ShowRateButtons(rateMode_ == 0, rateMode_ == 1);
  view_.DrawRateLamps(rateMode_ == 1, rateMode_ == 0);
}

bool RecordingPipeline::AboutAllowed() const {
  return state_ == RecordState::kIdle || state_ == RecordState::kStopping;
}

void RecordingPipeline::RunLoop() {
  // A stray run-loop (no run requested, or the loop already running up the stack) starts
  // nothing.
  if (loopRunning_ || state_ != RecordState::kStarting) return;
  loopRunning_ = true;
  runFailed_ = false;
  positionFailed_ = false;
  lastSave_ = SaveOutcome::kNotOffered;
  for (;;) {
    Drain();
    const StepResult result = Step();
    if (!loopRunning_ || result == StepResult::kEnd) break;
    // Nothing to do until time passes: a countdown tick or the next filled block.
    if ((state_ == RecordState::kCountdown || state_ == RecordState::kRecording) &&
        queue_.Empty()) {
      clock_.Sleep(kIdleWaitMs);
    }
  }
  ReleaseRun();
  loopRunning_ = false;
  state_ = RecordState::kIdle;
  UpdateTimeDisplay(kRecordTimeReset);
  view_.EnableRecord(true);
  view_.EnableStop(false);
  if (closePending_) {
    queue_.Post(mainWindow_, kMsgClose);
    closePending_ = false;
  }
}

void RecordingPipeline::Drain() {
  // Only the messages waiting now: a close request reposts itself while the loop runs, and is
  // seen again at the next turn, after a step. There is always one Take: it delivers the
  // toolkit's own events first (the window's clicks and repaints), even when no message of
  // the program is waiting, as while counting down.
  std::optional<Message> message = queue_.Take();
  size_t waiting = message ? queue_.Size() + 1 : 0;
  while (message) {
    bool failed = false;
    if (state_ == RecordState::kRecording && message->id == kMsgWaveInData &&
        message->target == target_) {
      failed = !OnCapturedBlock();
    }
    queue_.Dispatch(*message);
    if (failed) {
      loopRunning_ = false;
      break;
    }
    if (state_ == RecordState::kStopping && message->id == kMsgClose) break;
    if (--waiting == 0) break;
    message = queue_.Take();
  }
}

RecordingPipeline::StepResult RecordingPipeline::Step() {
  switch (state_) {
    case RecordState::kStopping:
      state_ = RecordState::kSaving;
      break;
    case RecordState::kRecording:
      UpdateTimeDisplay(kRecordTimePosition);
      break;
    case RecordState::kStarting: {
      view_.SetWaitCursor(true);
      const StepResult result = StepStarting();
      view_.SetWaitCursor(false);
      return result;
    }
    case RecordState::kCountdown:
      StepCountdown();
      break;
    case RecordState::kSaving: {
      view_.SetWaitCursor(true);
      const StepResult result = StepSaving();
      view_.SetWaitCursor(false);
      return result;
    }
    case RecordState::kIdle:
      return StepResult::kEnd;
  }
  return StepResult::kContinue;
}

bool RecordingPipeline::WriteHeader(int32_t sampleCount) {
  const int n = encoder_.WriteSpeechHeader(sampleCount, kTitle, kComment, detect_, rateMode_,
                                           std::span<uint8_t, 2 + kMaxHeaderBytes>(header_));
  if (n <= 0) return false;
  const auto bytes = std::span<const uint8_t>(header_).first(static_cast<size_t>(2 + n));
  return file_->Write(bytes) == static_cast<int64_t>(bytes.size());
}

bool RecordingPipeline::CloseFile() {
  if (!file_) return true;
  const int result = file_->Close();
  file_.reset();
  if (result != 0) {
    std::snprintf(messageText_, sizeof messageText_, "mmioClose():%d Error!!", result);
    ShowError(messageText_, "Wave File Error");
    return false;
  }
  return true;
}

void RecordingPipeline::ReleaseRun() {
  if (device_.IsOpen() && device_.CloseCapture() != 0) runFailed_ = true;
  if (file_ && headerPosition_ >= 0) {
    // Best effort: the run has already shown why it ended.
    if (file_->Seek(headerPosition_, SeekOrigin::kBegin) == headerPosition_) {
      WriteHeader(frames_ * kFrameLength);
    }
  }
  CloseFile();
  headerPosition_ = -1;
}

void RecordingPipeline::ShowError(const char* text, const char* caption) {
  runFailed_ = true;
  prompter_.MessageBox(text, caption, PromptButtons::kOk, PromptIcon::kNone);
}

}  // namespace vx
