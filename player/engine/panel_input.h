#pragma once

#include "player/engine/playback_engine.h"

namespace vx {

// Notifications of the position slider (a horizontal trackbar).
enum class SliderNotification {
  kLineUp,
  kLineDown,
  kPageUp,
  kPageDown,
  kThumbPosition,  // the thumb was released after a drag
  kThumbTrack,     // the thumb is being dragged
  kTop,            // Home key
  kBottom,         // End key
  kEndScroll,
};

// A slider notification with the slider's position (in frames) at that moment: keys, clicks
// and a released thumb seek there; a dragged thumb only shows the target's time; Home and
// End stop the run.
void OnSliderScroll(PlaybackEngine& engine, SliderNotification notification, int position);

// A rectangle of the panel in pixels; right and bottom lie just outside it.
struct PanelRect {
  int left = 0, top = 0, right = 0, bottom = 0;
  // Inside on all four sides, not on an edge.
  bool StrictlyContains(int x, int y) const {
    return x > left && x < right && y > top && y < bottom;
  }
};

// The volume control's layout: the background bitmap's place and size, the knob's size,
// and the knob's travel (its top at full volume, at silence).
struct VolumeLayout {
  int backgroundLeft = 260, backgroundTop = 65;
  int backgroundWidth = 40, backgroundHeight = 70;
  int knobWidth = 30, knobHeight = 10;
  int travelTop = 70, travelBottom = 120;
};

PanelRect VolumeBackgroundRect(const VolumeLayout& layout);
// The knob, centred on the background, its top at bottom − trunc((bottom − top) × volume).
PanelRect VolumeKnobRect(const VolumeLayout& layout, double volume);
// (bottom − y) / (bottom − top + 1), limited to 0.0 … 1.0.
double VolumeFromPointer(const VolumeLayout& layout, int y);

// Pointer input on the volume control: a press on the knob starts a drag, a press elsewhere
// on the background sets the volume from the pointer's height, and so does a move while
// dragging with the left button held.
class VolumeControl {
 public:
  explicit VolumeControl(VolumeLayout layout = {}) : layout_(layout) {}

  // Left button pressed (and no other button held).
  void OnLeftButtonDown(PlaybackEngine& engine, int x, int y);
  // Pointer moved; `onlyLeftButton` when the left button alone is held.
  void OnMouseMove(PlaybackEngine& engine, bool onlyLeftButton, int y);

  bool Dragging() const { return dragging_; }
  const VolumeLayout& Layout() const { return layout_; }

 private:
  VolumeLayout layout_;
  bool dragging_ = false;  // cleared only by the next press
};

}  // namespace vx
