#pragma once

#include <wx/bitmap.h>

#include <cstdint>
#include <span>
#include <string_view>

#include "ui/string_table.h"

namespace vx {

// A program's resource files compiled into it, found by file name (empty when unknown).
using ResourceFinder = std::span<const uint8_t> (*)(std::string_view name);

// A picture button's faces: up, down and disabled (a logo has an up face only; it stands in
// for the others).
struct ButtonFaces {
  wxBitmap up, down, disabled;
  bool IsOk() const { return up.IsOk() && down.IsOk() && disabled.IsOk(); }
};

// The program's string table ("strings.txt").
StringTable LoadStringTable(ResourceFinder find);
// Decodes the embedded PNG named `name` (without ".png"); an invalid bitmap if it is missing.
// wx's PNG handler must be registered (wxInitAllImageHandlers).
wxBitmap LoadBitmap(ResourceFinder find, std::string_view name);
// The faces `stem`U, `stem`D and `stem`X.
ButtonFaces LoadButtonFaces(ResourceFinder find, std::string_view stem);
// A logo's faces: its up image, standing for all three.
ButtonFaces LoadLogoFaces(ResourceFinder find, std::string_view name);

}  // namespace vx
