#pragma once

#include <wx/bitmap.h>

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

#include "ui/resources.h"

namespace vx {

namespace vocrix_res {
// The player's resource files compiled into the program, found by file name.
std::span<const uint8_t> FindResource(std::string_view name);
}  // namespace vocrix_res

// The player's embedded string table ("strings.txt").
StringTable LoadPlayerStrings();

// The panel's bitmaps, each with the size it was delivered in.
struct PanelBitmaps {
  ButtonFaces logo, exit, stop, play;
  wxBitmap volumeBackground;          // 125
  wxBitmap volumeKnob;                // 126
  std::array<wxBitmap, 8> animation;  // 135, 137, 138 … 143
};

// The player's embedded PNG named `name` (without ".png"); an invalid bitmap if it is missing.
wxBitmap LoadPlayerBitmap(std::string_view name);
// All of the panel's bitmaps; false when one is missing or cannot be decoded.
bool LoadPanelBitmaps(PanelBitmaps& bitmaps);

}  // namespace vx
