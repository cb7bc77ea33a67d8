#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "codec/frame_format.h"
#include "player/engine/playback_view.h"

namespace vx {

// Time modes of update-display (its first parameter).
inline constexpr int kTimeFromDevice = 0;  // while playing: base position + device position
inline constexpr int kTimeRestart = 1;     // panel redrawn or run ended: clear, time 0
inline constexpr int kTimeSeekTarget = 3;  // slider dragged or seek done: the target's time
// Slider modes (its second parameter).
inline constexpr int kSliderFollow = 0;    // follow the played position unless a target is set
inline constexpr int kSliderSetRange = 1;  // set the range to the frame count, then follow
inline constexpr int kSliderToTarget = 2;  // put the thumb on the seek target
inline constexpr int kSliderLeave = 3;     // leave the slider alone

inline constexpr int kAnimationFrames = 8;
// The animation advances once per 125 ms of played sound: eight frames per second.
inline constexpr int32_t kAnimationStepMs = 125;

// The stream and position facts one display update works from.
struct DisplayFacts {
  bool animating = false;       // state Playing or Draining
  uint32_t devicePosition = 0;  // bytes the device has played since it was opened or reset
  int64_t baseBytes = 0;        // position reached by the last seek, in PCM bytes
  int32_t seekTarget = 0;       // frame chosen on the slider; 0 when none
  int32_t bytesPerFrame = kFramePcmBytes;  // PCM bytes of one decoded frame at the output rate
  int32_t frameMs = 20;                    // speech time of one frame
  uint32_t pcmRate = 8000;                 // rate of the decoded PCM: 8000 or 11000 Hz
  int32_t totalSamples = -1;               // 8000 Hz samples of the stream; -1 when unknown
  int32_t totalFrames = 0;
  int64_t dataBytes = 0;  // PCM bytes the whole stream decodes to
  int streamType = kStreamNotRead;
  std::string_view totalText;
};

// "%3d:%02d": whole minutes and the remaining whole seconds of `ms`.
void FormatTimeText(int64_t ms, std::span<char, 16> text);

// The arithmetic of update-display: the position and time shown, when the time texts are
// redrawn (only when the whole second changes), the animation (one frame per 125 ms of
// played sound), the rate indicators (kStreamVariableHalf lights "Half Rate",
// kStreamVariableFull "Full Rate") and the slider. Allocates nothing.
class PanelDisplay {
 public:
  void Update(int timeMode, int sliderMode, const DisplayFacts& facts, PlaybackView& view);

  // Start of a run: position 0, animation frame 0.
  void ClearForRun();
  // A file opened: position 0, nothing shown yet, elapsed text empty.
  void ClearForStream();
  void RestartAnimationIndex() { animationFrame_ = 0; }

  int64_t PlayedBytes() const { return playedBytes_; }
  int64_t LastShownSecond() const { return lastShownSecond_; }
  int AnimationFrame() const { return animationFrame_; }
  std::string_view NowText() const { return nowText_; }

 private:
  int64_t playedBytes_ = 0;
  int64_t lastShownSecond_ = -1;
  int animationFrame_ = 0;
  int64_t animationClockMs_ = 0;  // played time at which the animation last advanced
  char nowText_[16] = {};
};

}  // namespace vx
