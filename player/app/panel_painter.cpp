#include "player/app/panel_painter.h"

#include <wx/dcmemory.h>

#include <algorithm>

namespace vx {
namespace {

// The old serif face mapped onto a serif font of a Debian package (fonts-liberation).
constexpr const char* kSerifFace = "Liberation Serif";

wxFontWeight WeightOf(int weight) {
  return static_cast<wxFontWeight>(std::clamp(weight, 1, 1000));
}

wxString FromUtf8(std::string_view text) {
  return wxString::FromUTF8(text.data(), text.size());
}

void DrawTextAt(wxDC& dc, std::string_view text, const TextPlace& place, int weight,
                const wxColour& colour, int dx = 0, int dy = 0) {
  dc.SetFont(PanelFont(place.height, weight));
  dc.SetTextForeground(colour);
  dc.DrawText(FromUtf8(text), place.x + dx, place.top + dy);
}

void DrawRightAligned(wxDC& dc, std::string_view text, const TextPlace& place) {
  dc.SetFont(PanelFont(place.height, kTimeWeight));
  dc.SetTextForeground(panel_colour::kText);
  const wxString s = FromUtf8(text);
  dc.DrawText(s, place.x - dc.GetTextExtent(s).GetWidth(), place.top);
}

}  // namespace

wxFont PanelFont(int pixelHeight, int weight) {
  wxFont font(wxFontInfo(wxSize(0, std::max(pixelHeight, 1)))
                  .FaceName(kSerifFace)
                  .Family(wxFONTFAMILY_ROMAN));
  font.SetNumericWeight(WeightOf(weight));
  return font;
}

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
  dc.SetPen(*wxTRANSPARENT_PEN);
  dc.SetBrush(wxBrush(panel_colour::kBackground));
  dc.DrawRectangle(0, 0, layout_.clientWidth, layout_.clientHeight);
  dc.SetTextBackground(panel_colour::kBackground);
  dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
}

void PanelPainter::DrawLabels(wxDC& dc) const {
  dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
  for (const PanelLayout::Label& label : layout_.labels) {
    DrawTextAt(dc, label.text, label.place, kLabelWeight, panel_colour::kShadow, 1, 1);
    DrawTextAt(dc, label.text, label.place, kLabelWeight, panel_colour::kText);
  }
}

void PanelPainter::DrawVolume(wxDC& dc, double volume) const {
  const VolumeLayout geometry = Volume();
  const PanelRect knob = VolumeKnobRect(geometry, volume);
  dc.DrawBitmap(bitmaps_.volumeBackground, geometry.backgroundLeft, geometry.backgroundTop);
  dc.DrawBitmap(bitmaps_.volumeKnob, knob.left, knob.top);
}

void PanelPainter::ClearTimeDisplay(wxDC& dc) const {
  dc.SetPen(*wxTRANSPARENT_PEN);
  dc.SetBrush(wxBrush(panel_colour::kTimeBackground));
  dc.DrawRectangle(layout_.timeLeft, layout_.timeTop, layout_.timeRight - layout_.timeLeft,
                   layout_.timeBottom - layout_.timeTop);
}

void PanelPainter::DrawTimes(wxDC& dc, std::string_view nowText, std::string_view totalText) const {
  dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
  DrawRightAligned(dc, nowText, layout_.elapsed);
  DrawRightAligned(dc, totalText, layout_.total);
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
  // The texts are smoothed at their edges, so drawing one colour over the other would leave
  // a fringe of the old one: each text's own extent is filled with the time display's
  // background first.
  dc.SetPen(*wxTRANSPARENT_PEN);
  dc.SetBrush(wxBrush(panel_colour::kTimeBackground));
  for (const auto& [text, place] : {std::pair{&layout_.halfRateText, &layout_.halfRate},
                                    std::pair{&layout_.fullRateText, &layout_.fullRate}}) {
    dc.SetFont(PanelFont(place->height, kLabelWeight));
    const wxSize extent = dc.GetTextExtent(FromUtf8(*text));
    dc.DrawRectangle(place->x, place->top, extent.GetWidth(), extent.GetHeight());
  }
  dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
  DrawTextAt(dc, layout_.halfRateText, layout_.halfRate, kLabelWeight,
             halfLit ? panel_colour::kRateLit : panel_colour::kRateDark);
  DrawTextAt(dc, layout_.fullRateText, layout_.fullRate, kLabelWeight,
             fullLit ? panel_colour::kRateLit : panel_colour::kRateDark);
}

}  // namespace vx
