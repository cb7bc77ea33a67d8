#pragma once

#include <wx/colour.h>
#include <wx/gdicmn.h>
#include <wx/image.h>

namespace vx::testing {

// The colour of one pixel of an image.
inline wxColour PixelAt(const wxImage& image, int x, int y) {
  return {image.GetRed(x, y), image.GetGreen(x, y), image.GetBlue(x, y)};
}

// How many pixels of the rectangle `match` takes.
template <typename Match>
int CountPixels(const wxImage& image, const wxRect& area, Match match) {
  int count = 0;
  for (int y = area.GetTop(); y <= area.GetBottom(); ++y)
    for (int x = area.GetLeft(); x <= area.GetRight(); ++x) count += match(PixelAt(image, x, y));
  return count;
}

// How many pixels of the rectangle have exactly the colour.
inline int CountColour(const wxImage& image, const wxRect& area, const wxColour& colour) {
  return CountPixels(image, area, [&](const wxColour& c) { return c == colour; });
}

// How many pixels of the rectangle are near black (a shadow, under antialiasing).
inline int CountDark(const wxImage& image, const wxRect& area) {
  return CountPixels(image, area, [](const wxColour& c) {
    return c.Red() < 64 && c.Green() < 64 && c.Blue() < 64;
  });
}

}  // namespace vx::testing
