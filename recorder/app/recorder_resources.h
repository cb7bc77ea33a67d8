#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "ui/resources.h"

namespace vx::vxrecord {

namespace vxrecord_res {
// The recorder's resource files compiled into the program, found by file name.
std::span<const uint8_t> FindResource(std::string_view name);
}  // namespace vxrecord_res

// The recorder's embedded string table and bitmaps.
StringTable LoadRecorderStrings();

struct RecorderBitmaps {
  ButtonFaces logo, exit, stop, record;
  wxBitmap icon;  // the program's icon, shown in the About box
};
// All of the window's bitmaps; false when one is missing or cannot be decoded.
bool LoadRecorderBitmaps(RecorderBitmaps& bitmaps);

}  // namespace vx::vxrecord
