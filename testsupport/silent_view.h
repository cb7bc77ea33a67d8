#pragma once

#include <string_view>

#include "player/engine/playback_view.h"

namespace vx::testing {

// A panel that draws nothing: for runs where only the engine's work matters.
class SilentPlaybackView final : public PlaybackView {
 public:
  void EnablePlay(bool) override {}
  void EnableStop(bool) override {}
  void SetWaitCursor(bool) override {}
  void DrawVolume(double) override {}
  void ClearTimeDisplay() override {}
  void DrawTimes(std::string_view, std::string_view) override {}
  void DrawAnimationFrame(int) override {}
  void DrawRateIndicators(bool, bool) override {}
  void SetSliderRange(int, int) override {}
  void SetSliderPosition(int) override {}
};

}  // namespace vx::testing
