#include "player/engine/panel_input.h"

#include <algorithm>

namespace vx {

void OnSliderScroll(PlaybackEngine& engine, SliderNotification notification, int position) {
  switch (notification) {
    case SliderNotification::kLineUp:
    case SliderNotification::kLineDown:
    case SliderNotification::kPageUp:
    case SliderNotification::kPageDown:
    case SliderNotification::kThumbPosition:
      engine.SetSeekTarget(position);
      engine.UpdateDisplay(kTimeSeekTarget, kSliderLeave);
      engine.RequestSeek();
      break;
    case SliderNotification::kThumbTrack:
      engine.SetSeekTarget(position);
      engine.UpdateDisplay(kTimeSeekTarget, kSliderLeave);
      break;
    case SliderNotification::kTop:
    case SliderNotification::kBottom:
      engine.RequestStop();
      engine.SetSeekTarget(0);
      break;
    case SliderNotification::kEndScroll:
      break;
  }
}

PanelRect VolumeBackgroundRect(const VolumeLayout& layout) {
  return {layout.backgroundLeft, layout.backgroundTop,
          layout.backgroundLeft + layout.backgroundWidth,
          layout.backgroundTop + layout.backgroundHeight};
}

PanelRect VolumeKnobRect(const VolumeLayout& layout, double volume) {
  const int left = layout.backgroundLeft + layout.backgroundWidth / 2 - layout.knobWidth / 2;
  const int top =
      layout.travelBottom - static_cast<int>((layout.travelBottom - layout.travelTop) * volume);
  return {left, top, left + layout.knobWidth, top + layout.knobHeight};
}

double VolumeFromPointer(const VolumeLayout& layout, int y) {
  const double volume =
      static_cast<double>(layout.travelBottom - y) / (layout.travelBottom - layout.travelTop + 1);
  return std::clamp(volume, 0.0, 1.0);
}

void VolumeControl::OnLeftButtonDown(PlaybackEngine& engine, int x, int y) {
  dragging_ = false;
  if (VolumeKnobRect(layout_, engine.Volume()).StrictlyContains(x, y)) {
    dragging_ = true;
  } else if (VolumeBackgroundRect(layout_).StrictlyContains(x, y)) {
    engine.SetVolume(VolumeFromPointer(layout_, y));
  }
}

void VolumeControl::OnMouseMove(PlaybackEngine& engine, bool onlyLeftButton, int y) {
  if (onlyLeftButton && dragging_) engine.SetVolume(VolumeFromPointer(layout_, y));
}

}  // namespace vx
