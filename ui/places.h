#pragma once

#include <wx/gdicmn.h>

#include <string>

#include "ui/string_table.h"

namespace vx {

// A control's place on a panel: left, top, width, height in pixels of the client area.
struct ControlPlace {
  int left = 0, top = 0, width = 0, height = 0;
  wxRect Rect() const { return {left, top, width, height}; }
};

// A text's place: left edge (or the right edge it is aligned to), top, font height in pixels.
struct TextPlace {
  int x = 0, top = 0, height = 0;
};

// Layout entries of a string table, `first` and the ids after it; entries the table lacks
// keep their value.
inline void ReadControlPlace(const StringTable& table, int first, ControlPlace& place) {
  table.ReadNumber(first, place.left);
  table.ReadNumber(first + 1, place.top);
  table.ReadNumber(first + 2, place.width);
  table.ReadNumber(first + 3, place.height);
}

inline void ReadTextPlace(const StringTable& table, int first, TextPlace& place) {
  table.ReadNumber(first, place.x);
  table.ReadNumber(first + 1, place.top);
  table.ReadNumber(first + 2, place.height);
}

inline void ReadString(const StringTable& table, int id, std::string& text) {
  if (auto found = table.Find(id)) text = *found;
}

}  // namespace vx
