#include "player/engine/playback_engine.h"

#include <algorithm>
#include <cstdio>

namespace vx {

PlaybackEngine::PlaybackEngine(PlaybackServices services, PlaybackView& view,
                               DocumentPath documentPath)
    : queue_(services.queue),
      prompter_(services.prompter),
      clock_(services.clock),
      files_(services.files),
      view_(view),
      documentPath_(std::move(documentPath)),
      device_(services.waveApi, services.prompter,
              services.blockHeap != nullptr ? *services.blockHeap : ProcessHeap()) {
  target_ = queue_.Register([this](const Message& message) { OnMessage(message); });
}

PlaybackEngine::~PlaybackEngine() {
  queue_.Unregister(target_);
  input_.reset();
  // The device closes itself when it is destroyed; the file closes with its stream.
}

void PlaybackEngine::OnMessage(const Message& message) {
  switch (message.id) {
    case kMsgRunLoop:
      RunPlayback();
      break;
    case kMsgPlayRequest:
      OnPlayRequest();
      break;
    case kMsgDrawVolume:
      DrawVolume();
      break;
    case kMsgUpdateDisplay:
      UpdateDisplay(static_cast<int>(message.wparam), static_cast<int>(message.lparam));
      break;
    case kMsgClose:
      OnClose();
      break;
    default:
      // Done messages are answered by the loop itself, before they are dispatched.
      break;
  }
}

void PlaybackEngine::InitialUpdate() {
  uint32_t deviceCount = 0;
  WaveOutCaps caps;
  device_.GetDevCaps(deviceId_, deviceCount, caps);
  if (device_.OpenPlain(deviceId_, 8000, 16, 1) == 0) {
    device_.GetVolume(volume_);
    device_.ClosePlain();
  }
  DrawVolume();
  const bool autoStart = documentPath_ && !documentPath_().empty();
  if (autoStart) queue_.Post(target_, kMsgPlayRequest);
  view_.EnableStop(autoStart);
  view_.EnablePlay(!autoStart);
}

void PlaybackEngine::StartPlayback() {
  if (state_ != PlaybackState::kIdle) return;
  state_ = PlaybackState::kOpening;
  if (active_) return;
  closeRequested_ = false;
  display_.ClearForRun();
  frameIndex_ = 0;
  baseBytes_ = 0;
  active_ = true;
  streamType_ = kStreamNotRead;
  queue_.Post(target_, kMsgRunLoop);
}

PlaybackState PlaybackEngine::RequestStop() {
  const PlaybackState previous = state_;
  switch (state_) {
    case PlaybackState::kPlaying:
    case PlaybackState::kOpening:
    case PlaybackState::kDraining:
    case PlaybackState::kSeeking:
      state_ = PlaybackState::kStopping;
      break;
    case PlaybackState::kIdle:
    case PlaybackState::kStopping:
      break;
  }
  return previous;
}

void PlaybackEngine::OnPlayRequest() {
  if (active_ || state_ != PlaybackState::kIdle) {
    replayRequested_ = true;
    RequestStop();
  } else {
    replayRequested_ = false;
    StartPlayback();
  }
}

void PlaybackEngine::RequestSeek() {
  if (state_ != PlaybackState::kPlaying && state_ != PlaybackState::kDraining) return;
  // Draining after a failed opening has no stream to seek in: nothing to decode from.
  if (!streamEntered_) return;
  if (device_.Reset() == 0) state_ = PlaybackState::kSeeking;
}

bool PlaybackEngine::CanClose() {
  if (state_ == PlaybackState::kIdle) return true;
  closeRequested_ = true;
  queue_.Post(target_, kMsgClose);
  return false;
}

void PlaybackEngine::OnClose() {
  if (active_) {
    // Once the stop has reset the device the run only has to drain; stopping it again
    // would send it back through Stopping for every close message and it would never end.
    const bool stopped = state_ == PlaybackState::kStopping ||
                         (state_ == PlaybackState::kDraining && deviceStopped_);
    if (!stopped) RequestStop();
    queue_.Post(target_, kMsgClose);
  } else {
    queue_.Post(mainWindow_, kMsgClose);
  }
}

void PlaybackEngine::OnExit() {
  RequestStop();
  if (state_ != PlaybackState::kIdle) {
    closeRequested_ = true;
    queue_.Post(target_, kMsgClose);
  } else {
    queue_.Post(mainWindow_, kMsgClose);
  }
}

void PlaybackEngine::SetVolume(double volume) {
  volume_ = std::clamp(volume, 0.0, 1.0);
  if (device_.IsOpen()) device_.SetVolume(volume_);
  DrawVolume();
}

void PlaybackEngine::DrawVolume() {
  if (device_.IsOpen()) device_.GetVolume(volume_);
  view_.DrawVolume(volume_);
}

void PlaybackEngine::UpdateDisplay(int timeMode, int sliderMode) {
  DisplayFacts facts;
  facts.animating = state_ == PlaybackState::kPlaying || state_ == PlaybackState::kDraining;
  if (timeMode == kTimeFromDevice && device_.IsOpen()) {
    uint32_t position = 0;
    if (device_.GetPosition(position) == 0) devicePosition_ = position;
    facts.devicePosition = devicePosition_;
  }
  facts.baseBytes = baseBytes_;
  facts.seekTarget = seekTarget_;
  facts.bytesPerFrame = bytesPerFrame_;
  facts.frameMs = frameMs_;
  facts.pcmRate = pcmRate_;
  facts.totalSamples = totalSamples_;
  facts.totalFrames = totalFrames_;
  facts.dataBytes = dataBytes_;
  facts.streamType = streamType_;
  facts.totalText = totalText_;
  display_.Update(timeMode, sliderMode, facts, view_);
}

void PlaybackEngine::ShowError(const char* text, const char* caption) {
  runFailed_ = true;
  prompter_.MessageBox(text, caption, PromptButtons::kOk, PromptIcon::kNone);
}

void PlaybackEngine::RunPlayback() {
  // A stray run-playback (none was requested, or a run is already in progress up the
  // stack) starts nothing.
  if (inLoop_ || !active_) return;
  inLoop_ = true;
  runFailed_ = false;
  deviceStopped_ = false;

  for (size_t waiting = queue_.Size(); waiting > 0; --waiting) {
    std::optional<Message> message = queue_.Take();
    if (!message) break;
    queue_.Dispatch(*message);
  }
  view_.EnableStop(true);
  view_.EnablePlay(false);
  for (;;) {
    DispatchWaiting();
    const StepResult result = Step();
    if (!active_ || result == StepResult::kFinished) break;
  }
  ReleaseRun();
  UpdateDisplay(kTimeRestart, kSliderSetRange);
  if (closeRequested_) {
    queue_.Post(mainWindow_, kMsgClose);
    closeRequested_ = false;
  }
  view_.EnablePlay(true);
  view_.EnableStop(false);
  active_ = false;
  state_ = PlaybackState::kIdle;
  display_.RestartAnimationIndex();
  closeRequested_ = false;
  inLoop_ = false;
  if (replayRequested_) queue_.Post(target_, kMsgPlayRequest);
}

void PlaybackEngine::DispatchWaiting() {
  // Only the messages waiting now: a handler that posts again (the close message does,
  // while a run is active) is seen at the next turn, after a step.
  for (size_t waiting = queue_.Size(); waiting > 0; --waiting) {
    std::optional<Message> message = queue_.Take();
    if (!message) break;
    bool doneFailed = false;
    if (state_ == PlaybackState::kPlaying && message->id == kMsgWaveOutDone &&
        message->target == target_) {
      doneFailed = device_.OnBlockDone() != 0;
    }
    queue_.Dispatch(*message);
    if (state_ == PlaybackState::kStopping && message->id == kMsgClose) break;
    if (message->id == kMsgPlayRequest) break;
    if (doneFailed && state_ == PlaybackState::kPlaying) {
      runFailed_ = true;
      active_ = false;
      break;
    }
  }
}

PlaybackEngine::StepResult PlaybackEngine::Step() {
  switch (state_) {
    case PlaybackState::kIdle:
      active_ = false;
      break;
    case PlaybackState::kStopping:
      // Queued sound stops at once; the blocks come back and Draining closes.
      if (device_.IsOpen() && device_.Reset() != 0) runFailed_ = true;
      deviceStopped_ = true;
      state_ = PlaybackState::kDraining;
      break;
    case PlaybackState::kOpening:
      view_.SetWaitCursor(true);
      StepOpening();
      view_.SetWaitCursor(false);
      break;
    case PlaybackState::kPlaying:
      StepPlaying();
      break;
    case PlaybackState::kDraining:
      return StepDraining();
    case PlaybackState::kSeeking:
      view_.SetWaitCursor(true);
      StepSeeking();
      view_.SetWaitCursor(false);
      break;
  }
  return StepResult::kContinue;
}

PlaybackEngine::StepResult PlaybackEngine::StepDraining() {
  ForgetStall();
  while (device_.IsLastWrittenPlaying()) {
    UpdateDisplay(kTimeFromDevice, kSliderFollow);
    if (DeviceStalled()) {
      GiveUpStalledDevice();
      return StepResult::kContinue;
    }
    bool noted = false;
    for (size_t waiting = queue_.Size(); waiting > 0; --waiting) {
      std::optional<Message> message = queue_.Take();
      if (!message) break;
      if (message->id == kMsgWaveOutDone && message->target == target_ &&
          state_ != PlaybackState::kStopping && state_ != PlaybackState::kSeeking &&
          device_.OnBlockDone() != 0) {
        runFailed_ = true;
        noted = true;
      }
      queue_.Dispatch(*message);
      if (state_ == PlaybackState::kStopping || state_ == PlaybackState::kSeeking) noted = true;
    }
    if (noted) return StepResult::kContinue;
    clock_.Sleep(frameMs_);
  }

  view_.SetWaitCursor(true);
  StepResult result = StepResult::kContinue;
  if (device_.CloseStream() != 0) {
    runFailed_ = true;
    active_ = false;
    CloseInput("Wave File Error");
  } else if (!CloseInput("Vocrix File Close Error")) {
    active_ = false;
  } else {
    state_ = PlaybackState::kIdle;
    result = StepResult::kFinished;
  }
  view_.SetWaitCursor(false);
  return result;
}

bool PlaybackEngine::DeviceStalled() {
  const int64_t now = clock_.Ticks();
  if (stallSinceMs_ < 0 || devicePosition_ != stallPosition_) {
    stallPosition_ = devicePosition_;
    stallSinceMs_ = now;
    return false;
  }
  return now - stallSinceMs_ >= kStallMs;
}

void PlaybackEngine::GiveUpStalledDevice() {
  ShowError("The sound device has stopped playing.", "");
  ForgetStall();
  // Reset hands back every block the device holds, so Draining can close; a device that
  // cannot even do that ends the run at once (the run's end closes it).
  if (device_.Reset() != 0) active_ = false;
  deviceStopped_ = true;
  state_ = PlaybackState::kDraining;
}

bool PlaybackEngine::CloseInput(const char* caption) {
  streamEntered_ = false;
  input_.reset();
  if (!file_) return true;
  const int result = file_->Close();
  file_.reset();
  if (result != 0) {
    std::snprintf(messageText_, sizeof messageText_, "mmioClose():%d Error!!", result);
    ShowError(messageText_, caption);
    return false;
  }
  return true;
}

void PlaybackEngine::ReleaseRun() {
  // A run that ended at once (a failed seek, a failed completion) has not been through
  // Draining: the device and the file are closed here, so the next run can open them.
  if (device_.IsOpen() && device_.CloseStream() != 0) runFailed_ = true;
  CloseInput("Vocrix File Close Error");
}

int PlaybackEngine::DecodeFrame(std::span<uint8_t> out) {
  const int64_t offset = input_->Tell();
  if (offset < 0) return static_cast<int>(offset);
  const int result =
      decoder_.ReadAndDecodeFrame(*input_, out, static_cast<int>(rate_ / 1000), streamType_, false);
  if (result > 0) {
    if (static_cast<size_t>(frameIndex_) == controlList_.Size() &&
        !controlList_.Append(offset, result)) {
      return kAppendFailed;
    }
    ++frameIndex_;
  }
  return result;
}

void PlaybackEngine::ShowReadError(int result) {
  std::snprintf(messageText_, sizeof messageText_,
                "The compressed speech data cannot be read (error %d).", result);
  ShowError(messageText_, "Vocrix File Error");
}

}  // namespace vx
