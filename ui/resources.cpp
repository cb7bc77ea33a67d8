#include "ui/resources.h"

#include <wx/image.h>
#include <wx/mstream.h>

#include <string>

namespace vx {

StringTable LoadStringTable(ResourceFinder find) {
  const std::span<const uint8_t> text = find("strings.txt");
  return StringTable(std::string_view(reinterpret_cast<const char*>(text.data()), text.size()));
}

wxBitmap LoadBitmap(ResourceFinder find, std::string_view name) {
  const std::span<const uint8_t> png = find(std::string(name) + ".png");
  if (png.empty()) return {};
  wxMemoryInputStream stream(png.data(), png.size());
  wxImage image;
  if (!image.LoadFile(stream, wxBITMAP_TYPE_PNG)) return {};
  return wxBitmap(image);
}

ButtonFaces LoadButtonFaces(ResourceFinder find, std::string_view stem) {
  const std::string s(stem);
  return {LoadBitmap(find, s + "U"), LoadBitmap(find, s + "D"), LoadBitmap(find, s + "X")};
}

ButtonFaces LoadLogoFaces(ResourceFinder find, std::string_view name) {
  const wxBitmap up = LoadBitmap(find, name);
  return {up, up, up};
}

}  // namespace vx
