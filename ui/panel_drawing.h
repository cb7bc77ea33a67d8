#pragma once

#include <wx/colour.h>
#include <wx/dc.h>
#include <wx/font.h>
#include <wx/gdicmn.h>

#include <string_view>

#include "ui/places.h"

namespace vx {

// The colours every program's panel is painted in.
namespace panel_colour {
inline const wxColour kBackground(192, 192, 192);
inline const wxColour kTimeBackground(0, 0, 128);
inline const wxColour kText(255, 255, 255);
inline const wxColour kShadow(0, 0, 0);
inline const wxColour kRateLit(0, 192, 192);
inline const wxColour kRateDark(64, 64, 64);
}  // namespace panel_colour

// Font weights of the panels' texts: captions and lamps bold, time texts light.
inline constexpr int kLabelWeight = 800;
inline constexpr int kTimeWeight = 300;

// The panels' serif face, `pixelHeight` pixels of character height.
wxFont PanelFont(int pixelHeight, int weight);

wxString FromUtf8(std::string_view text);

// Fills `area` with `colour`.
void FillBox(wxDC& dc, const wxRect& area, const wxColour& colour);
// A caption: in the shadow colour one pixel right and down, then in white at its place,
// bold, with a transparent background.
void DrawShadowedText(wxDC& dc, std::string_view text, const TextPlace& place);
// A time text in white, light, right-aligned so that it ends at the place's x.
void DrawRightAlignedText(wxDC& dc, std::string_view text, const TextPlace& place);

// One rate lamp of the time display: its text, lit or dark.
struct RateLamp {
  std::string_view text;
  TextPlace place;
  bool lit = false;
};
// The "Half Rate" and "Full Rate" lamps. The texts are smoothed at their edges, so drawing
// one colour over the other would leave a fringe of the old one: each text's extent is
// filled with the time display's background first.
void DrawRateLamps(wxDC& dc, const RateLamp& half, const RateLamp& full);
// The area the two lamps may cover, for repainting.
wxRect RateLampsArea(const TextPlace& half, const TextPlace& full, int right);

}  // namespace vx
