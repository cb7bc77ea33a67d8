#include "ui/panel_drawing.h"

#include <algorithm>
#include <cstdlib>

namespace vx {
namespace {

// The old serif face mapped onto a serif font of a Debian package (fonts-liberation).
constexpr const char* kSerifFace = "Liberation Serif";

void DrawTextAt(wxDC& dc, std::string_view text, const TextPlace& place, int weight,
                const wxColour& colour, int dx = 0, int dy = 0) {
  dc.SetFont(PanelFont(place.height, weight));
  dc.SetTextForeground(colour);
  dc.DrawText(FromUtf8(text), place.x + dx, place.top + dy);
}

}  // namespace

wxFont PanelFont(int pixelHeight, int weight) {
  wxFont font(wxFontInfo(wxSize(0, std::max(pixelHeight, 1)))
                  .FaceName(kSerifFace)
                  .Family(wxFONTFAMILY_ROMAN));
  font.SetNumericWeight(static_cast<wxFontWeight>(std::clamp(weight, 1, 1000)));
  return font;
}

wxString FromUtf8(std::string_view text) {
  return wxString::FromUTF8(text.data(), text.size());
}

void FillBox(wxDC& dc, const wxRect& area, const wxColour& colour) {
  dc.SetPen(*wxTRANSPARENT_PEN);
  dc.SetBrush(wxBrush(colour));
  dc.DrawRectangle(area);
}

void DrawShadowedText(wxDC& dc, std::string_view text, const TextPlace& place) {
  dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
  DrawTextAt(dc, text, place, kLabelWeight, panel_colour::kShadow, 1, 1);
  DrawTextAt(dc, text, place, kLabelWeight, panel_colour::kText);
}

void DrawRightAlignedText(wxDC& dc, std::string_view text, const TextPlace& place) {
  dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
  dc.SetFont(PanelFont(place.height, kTimeWeight));
  dc.SetTextForeground(panel_colour::kText);
  const wxString s = FromUtf8(text);
  dc.DrawText(s, place.x - dc.GetTextExtent(s).GetWidth(), place.top);
}

void DrawRateLamps(wxDC& dc, const RateLamp& half, const RateLamp& full) {
  for (const RateLamp* lamp : {&half, &full}) {
    dc.SetFont(PanelFont(lamp->place.height, kLabelWeight));
    const wxSize extent = dc.GetTextExtent(FromUtf8(lamp->text));
    FillBox(dc, wxRect(wxPoint(lamp->place.x, lamp->place.top), extent),
            panel_colour::kTimeBackground);
  }
  dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
  for (const RateLamp* lamp : {&half, &full})
    DrawTextAt(dc, lamp->text, lamp->place, kLabelWeight,
               lamp->lit ? panel_colour::kRateLit : panel_colour::kRateDark);
}

wxRect RateLampsArea(const TextPlace& half, const TextPlace& full, int right) {
  const int left = std::min(half.x, full.x);
  return {left, std::min(half.top, full.top), right - left,
          std::abs(full.top - half.top) + std::max(half.height, full.height) * 2};
}

}  // namespace vx
