#pragma once

#include <wx/dc.h>

#include <string_view>

#include "player/app/panel_layout.h"
#include "player/app/panel_resources.h"
#include "player/engine/panel_input.h"

namespace vx {

// Draws the parts of the control panel onto a device context, from the layout and bitmaps.
class PanelPainter {
 public:
  PanelPainter(const PanelLayout& layout, const PanelBitmaps& bitmaps);

  // The volume control's geometry: its background and knob bitmaps' sizes and the knob's
  // travel from the layout.
  VolumeLayout Volume() const;

  // The whole client area in the background colour.
  void DrawBackground(wxDC& dc) const;
  // Each label in the shadow colour one pixel right and down, then in white at its place.
  void DrawLabels(wxDC& dc) const;
  // The background bitmap, then the knob at `volume`.
  void DrawVolume(wxDC& dc, double volume) const;
  void ClearTimeDisplay(wxDC& dc) const;
  // Both time texts right-aligned to their edges (the display is not cleared here).
  void DrawTimes(wxDC& dc, std::string_view nowText, std::string_view totalText) const;
  // Animation frame `index`, stretched into the animation rectangle.
  void DrawAnimationFrame(wxDC& dc, int index) const;
  void DrawRateIndicators(wxDC& dc, bool halfLit, bool fullLit) const;

  // The time display's rectangle, and the area the rate indicators may cover.
  wxRect TimeArea() const;
  wxRect RateArea() const;

 private:
  const PanelLayout& layout_;
  const PanelBitmaps& bitmaps_;
};

}  // namespace vx
