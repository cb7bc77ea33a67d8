// Playing: one frame per step into the block being filled; a full block (or the last,
// partly filled one) is written, and the paused device restarted after the first.

#include <algorithm>

#include "player/engine/playback_engine.h"

namespace vx {

void PlaybackEngine::StepPlaying() {
  UpdateDisplay(kTimeFromDevice, kSliderFollow);
  if (decoding_) {
    if (needBlock_) {
      if (device_.IsWriteBlockBusy()) {
        // All blocks are queued: wait a frame's time for one to come back.
        if (DeviceStalled()) {
          GiveUpStalledDevice();
          return;
        }
        clock_.Sleep(frameMs_);
        return;
      }
      ForgetStall();
      uint32_t size = 0;
      device_.GetWriteBlock(fillPointer_, size);
      remaining_ = chunk_ = static_cast<int32_t>(size);
      filled_ = 0;
      needBlock_ = false;
    }
    chunk_ = std::min(chunk_, remaining_);
    int result = DecodeFrame(std::span<uint8_t>(fillPointer_, static_cast<size_t>(chunk_)));
    if (result == kAppendFailed) {
      ShowError("Out of Memory(Add Control List)", "");
      closeRequested_ = true;
      state_ = PlaybackState::kDraining;
      return;
    }
    if (result == 0) {
      // End of the data: what the block holds is written below, then the run drains.
      remaining_ = 0;
      state_ = PlaybackState::kDraining;
    } else if (result == kCodecNoOutput) {
      // Less than a frame's output is left in the block: it is full.
      result = 0;
      remaining_ = 0;
    } else if (result < 0) {
      ShowReadError(result);
      closeRequested_ = true;
      state_ = PlaybackState::kDraining;
      return;
    }
    remaining_ -= result;
    filled_ += result;
    fillPointer_ += result;
  }
  if (remaining_ > 0) return;

  if (filled_ > 0 && !device_.IsWriteBlockBusy()) {
    if (device_.Write(static_cast<uint32_t>(filled_)) != 0) {
      ShowError("WriteWaveDeivce() Error!", "");
      closeRequested_ = true;
      state_ = PlaybackState::kDraining;
      return;
    }
    needBlock_ = true;
    if (needRestart_) {
      if (device_.Restart() != 0) {
        ShowError("RestartWaveDevice() Error!", "");
        closeRequested_ = true;
        // The device stays paused and would never play the block just written: take it
        // back, or Draining would wait for it for ever.
        device_.Reset();
        deviceStopped_ = true;
        state_ = PlaybackState::kDraining;
      }
      needRestart_ = false;
    }
    decoding_ = true;
  } else {
    decoding_ = false;  // the next steps try the write again
  }
}

}  // namespace vx
