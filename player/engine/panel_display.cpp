#include "player/engine/panel_display.h"

#include <algorithm>
#include <cstdio>
#include <limits>

#include "wavfile/wave_file.h"

namespace vx {

void FormatTimeText(int64_t ms, std::span<char, 16> text) {
  const int64_t seconds = std::max<int64_t>(0, ms) / 1000;
  std::snprintf(text.data(), text.size(), "%3d:%02d",
                static_cast<int>(std::min<int64_t>(seconds / 60, 999999)),
                static_cast<int>(seconds % 60));
}

void PanelDisplay::ClearForRun() {
  playedBytes_ = 0;
  animationFrame_ = 0;
}

void PanelDisplay::ClearForStream() {
  playedBytes_ = 0;
  lastShownSecond_ = -1;
  nowText_[0] = '\0';
}

void PanelDisplay::Update(int timeMode, int sliderMode, const DisplayFacts& facts,
                          PlaybackView& view) {
  bool timeKnown = true;
  int64_t timeMs = 0;
  switch (timeMode) {
    case kTimeFromDevice: {
      playedBytes_ = facts.baseBytes + facts.devicePosition;
      const auto bytes = static_cast<uint32_t>(
          std::clamp<int64_t>(playedBytes_, 0, std::numeric_limits<uint32_t>::max()));
      timeMs = WaveBytesToMsec(bytes, facts.pcmRate, 16, 1);
      break;
    }
    case kTimeRestart:
      view.ClearTimeDisplay();
      animationFrame_ = 0;
      view.DrawAnimationFrame(animationFrame_);
      animationFrame_ = 1;
      animationClockMs_ = 0;
      lastShownSecond_ = -1;
      playedBytes_ = 0;
      break;
    case kTimeSeekTarget:
      playedBytes_ = int64_t{facts.seekTarget} * facts.bytesPerFrame;
      timeMs = int64_t{facts.seekTarget} * facts.frameMs;
      lastShownSecond_ = -1;
      break;
    default:
      timeKnown = false;
      break;
  }

  if (timeKnown) {
    const int64_t second = timeMs / 1000;
    if (second != lastShownSecond_) {
      FormatTimeText(timeMs, nowText_);
      view.ClearTimeDisplay();
      view.DrawTimes(nowText_, facts.totalText);
      lastShownSecond_ = second;
    }
    if (facts.animating) {
      // A seek backwards moves the played time behind the animation clock; the clock
      // follows, so that the animation goes on from the new position.
      if (timeMs < animationClockMs_) animationClockMs_ = timeMs;
      if (timeMs - animationClockMs_ >= kAnimationStepMs) {
        view.DrawAnimationFrame(animationFrame_);
        animationFrame_ = (animationFrame_ + 1) % kAnimationFrames;
        animationClockMs_ = timeMs;
      }
    }
  }

  view.DrawRateIndicators(facts.streamType == kStreamVariableHalf,
                          facts.streamType == kStreamVariableFull);

  if (facts.totalSamples < 0) return;
  auto follow = [&] {
    if (facts.seekTarget != 0) return;
    // 64-bit: bytes × frames overflows 32 bits for files of a few minutes.
    const int64_t position =
        facts.dataBytes > 0 ? playedBytes_ * facts.totalFrames / facts.dataBytes : 0;
    view.SetSliderPosition(static_cast<int>(std::clamp<int64_t>(position, 0, facts.totalFrames)));
  };
  switch (sliderMode) {
    case kSliderFollow:
      follow();
      break;
    case kSliderSetRange:
      view.SetSliderRange(0, facts.totalFrames);
      follow();
      break;
    case kSliderToTarget:
      view.SetSliderPosition(facts.seekTarget);
      break;
    default:
      break;
  }
}

}  // namespace vx
