#pragma once

#include <wx/bitmap.h>

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

#include "player/app/string_table.h"

namespace vx {

namespace vocrix_res {
// The player's resource files compiled into the program, found by file name.
std::span<const uint8_t> FindResource(std::string_view name);
}  // namespace vocrix_res

// The player's embedded string table ("strings.txt").
StringTable LoadPlayerStrings();

// A button's faces: up, down and disabled (the logo has an up face only; it stands in for
// the others).
struct ButtonFaces {
  wxBitmap up, down, disabled;
};

// The panel's bitmaps, each with the size it was delivered in.
struct PanelBitmaps {
  ButtonFaces logo, exit, stop, play;
  wxBitmap volumeBackground;          // 125
  wxBitmap volumeKnob;                // 126
  std::array<wxBitmap, 8> animation;  // 135, 137, 138 … 143
};

// Decodes the embedded PNG named `name` (without ".png"); an invalid bitmap if it is missing.
// wx's PNG handler must be registered (wxInitAllImageHandlers).
wxBitmap LoadPlayerBitmap(std::string_view name);
// All of the panel's bitmaps; false when one is missing or cannot be decoded.
bool LoadPanelBitmaps(PanelBitmaps& bitmaps);

}  // namespace vx
