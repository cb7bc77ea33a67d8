#include "player/app/panel_painter.h"

#include <wx/dcmemory.h>

namespace vx {
PanelPainter::PanelPainter(const PanelLayout& layout, const PanelBitmaps& bitmaps)
    : layout_(layout), bitmaps_(bitmaps) {}

VolumeLayout PanelPainter::Volume() const {
  VolumeLayout volume;
  volume.backgroundLeft = layout_.volumeLeft;
  volume.backgroundTop = layout_.volumeTop;
  volume.backgroundWidth = bitmaps_.volumeBackground.GetWidth();
  volume.backgroundHeight = bitmaps_.volumeBackground.GetHeight();
  volume.knobWidth = bitmaps_.volumeKnob.GetWidth();
  volume.knobHeight = bitmaps_.volumeKnob.GetHeight();
  volume.travelTop = layout_.volumeTravelTop;
  volume.travelBottom = layout_.volumeTravelBottom;
  return volume;
}

void PanelPainter::DrawBackground(wxDC& dc) const {
  FillBox(dc, wxRect(0, 0, layout_.clientWidth, layout_.clientHeight), panel_colour::kBackground);
  dc.SetTextBackground(panel_colour::kBackground);
  dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
}

void PanelPainter::DrawLabels(wxDC& dc) const {
  for (const PanelLayout::Label& label : layout_.labels)
    DrawShadowedText(dc, label.text, label.place);
}

void PanelPainter::DrawVolume(wxDC& dc, double volume) const {
  const VolumeLayout geometry = Volume();
  const PanelRect knob = VolumeKnobRect(geometry, volume);
  dc.DrawBitmap(bitmaps_.volumeBackground, geometry.backgroundLeft, geometry.backgroundTop);
  dc.DrawBitmap(bitmaps_.volumeKnob, knob.left, knob.top);
}

wxRect PanelPainter::TimeArea() const {
  return {layout_.timeLeft, layout_.timeTop, layout_.timeRight - layout_.timeLeft,
          layout_.timeBottom - layout_.timeTop};
}

wxRect PanelPainter::RateArea() const {
  return RateLampsArea(layout_.halfRate, layout_.fullRate, layout_.timeRight);
}

void PanelPainter::ClearTimeDisplay(wxDC& dc) const {
  FillBox(dc, TimeArea(), panel_colour::kTimeBackground);
}

void PanelPainter::DrawTimes(wxDC& dc, std::string_view nowText, std::string_view totalText) const {
  DrawRightAlignedText(dc, nowText, layout_.elapsed);
  DrawRightAlignedText(dc, totalText, layout_.total);
}

void PanelPainter::DrawAnimationFrame(wxDC& dc, int index) const {
  const wxBitmap& frame =
      bitmaps_.animation[static_cast<size_t>(index) % bitmaps_.animation.size()];
  const ControlPlace& place = layout_.animation;
  if (frame.GetWidth() == place.width && frame.GetHeight() == place.height) {
    dc.DrawBitmap(frame, place.left, place.top);
    return;
  }
  wxMemoryDC source(const_cast<wxBitmap&>(frame));
  dc.StretchBlit(place.left, place.top, place.width, place.height, &source, 0, 0, frame.GetWidth(),
                 frame.GetHeight());
}

void PanelPainter::DrawRateIndicators(wxDC& dc, bool halfLit, bool fullLit) const {
  DrawRateLamps(dc, {layout_.halfRateText, layout_.halfRate, halfLit},
                {layout_.fullRateText, layout_.fullRate, fullLit});
}

}  // namespace vx
