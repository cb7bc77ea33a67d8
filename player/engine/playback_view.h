#pragma once

#include <string_view>

namespace vx {

// What the engine asks of the panel that shows it: the GUI's view draws these, the
// command-line tool prints them. The engine has done all the arithmetic; the view only draws
// what it is told, at once (these calls stand for messages sent, not posted).
class PlaybackView {
 public:
  virtual ~PlaybackView() = default;

  virtual void EnablePlay(bool enabled) = 0;
  virtual void EnableStop(bool enabled) = 0;
  // The wait cursor, shown while a file and the device are opened, closed or re-positioned.
  virtual void SetWaitCursor(bool shown) = 0;
  // Redraws the volume control with the knob at `volume` (0.0 silence … 1.0 full).
  virtual void DrawVolume(double volume) = 0;
  // Fills the time display with its background.
  virtual void ClearTimeDisplay() = 0;
  // Draws the elapsed and the total time texts ("%3d:%02d", the total may be empty), each
  // right-aligned to its edge, over a time display just cleared.
  virtual void DrawTimes(std::string_view nowText, std::string_view totalText) = 0;
  // Draws animation frame `index` (0 … 7) into the animation rectangle.
  virtual void DrawAnimationFrame(int index) = 0;
  // Draws the "Half Rate" and "Full Rate" indicators, each lit or dark.
  virtual void DrawRateIndicators(bool halfLit, bool fullLit) = 0;
  // Enables the position slider and sets its range in frames, redrawn.
  virtual void SetSliderRange(int minimum, int maximum) = 0;
  virtual void SetSliderPosition(int position) = 0;
};

}  // namespace vx
