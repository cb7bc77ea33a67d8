// Seeking: the file is re-positioned at the seek target and the decoder warmed up over the
// 500 ms before it, so that sound resumes from the state continuous playback would have.

#include <algorithm>
#include <cstdio>

#include "player/engine/playback_engine.h"

namespace vx {

void PlaybackEngine::StepSeeking() {
  // The device has just been reset: every block it held has come back.
  if (device_.ClearBlocks() != 0) {
    ShowError("ClearWaveDeviceBuffer() Error!", "");
    active_ = false;
    state_ = PlaybackState::kStopping;
    return;
  }
  chunk_ = bytesPerFrame_;
  const std::span<uint8_t> scratch(scratch_.data(), static_cast<size_t>(bytesPerFrame_));

  if (static_cast<size_t>(seekTarget_) < controlList_.Size()) {
    frameIndex_ = seekTarget_;
  } else {
    // Beyond what was decoded so far: decode forward to the target, output discarded.
    while (frameIndex_ < seekTarget_) {
      const int result = DecodeFrame(scratch);
      if (result > 0) continue;
      if (result == kAppendFailed) {
        ShowError("Out of Memory(Add Control List)", "");
      } else if (result < 0) {
        ShowReadError(result);
      }
      // The target lies past the end of the data (or cannot be reached): the run ends.
      state_ = PlaybackState::kStopping;
      return;
    }
  }

  const int32_t goal = frameIndex_;
  frameIndex_ = std::max(0, goal - kWarmUpMs / frameMs_);
  const ControlEntry* entry = controlList_.Find(frameIndex_);
  // Frame 0 starts right after the header, also before the list holds it.
  const int64_t offset = entry != nullptr   ? entry->offset
                         : frameIndex_ == 0 ? firstFrameOffset_
                                            : int64_t{-1};
  if (offset < 0) {
    ShowError("Illegal CtrlList", "");
    active_ = false;
    return;
  }
  if (const int64_t moved = input_->Seek(offset, SeekOrigin::kBegin); moved < 0) {
    ShowReadError(static_cast<int>(moved));
    active_ = false;
    return;
  }
  while (frameIndex_ < goal) {
    const int result = DecodeFrame(scratch);
    if (result > 0) continue;
    if (result == kAppendFailed) {
      ShowError("Out of Memory(Add Control List)", "");
    } else if (result < 0) {
      ShowReadError(result);
    } else {
      runFailed_ = true;  // frames read before are gone from the file
    }
    closeRequested_ = true;
    state_ = PlaybackState::kStopping;
    return;
  }

  baseBytes_ = int64_t{frameIndex_} * bytesPerFrame_;
  UpdateDisplay(kTimeSeekTarget, kSliderToTarget);
  decoding_ = needBlock_ = needRestart_ = true;
  seekTarget_ = 0;
  state_ = PlaybackState::kPlaying;
  if (device_.Pause() != 0) {
    runFailed_ = true;
    state_ = PlaybackState::kStopping;
  } else if (totalSamples_ >= 0 && frameIndex_ >= totalFrames_) {
    state_ = PlaybackState::kDraining;
  }
}

}  // namespace vx
