#include "player/app/panel_resources.h"

#include <wx/image.h>
#include <wx/mstream.h>

#include <string>

namespace vx {

StringTable LoadPlayerStrings() {
  const std::span<const uint8_t> text = vocrix_res::FindResource("strings.txt");
  return StringTable(std::string_view(reinterpret_cast<const char*>(text.data()), text.size()));
}

wxBitmap LoadPlayerBitmap(std::string_view name) {
  const std::span<const uint8_t> png = vocrix_res::FindResource(std::string(name) + ".png");
  if (png.empty()) return {};
  wxMemoryInputStream stream(png.data(), png.size());
  wxImage image;
  if (!image.LoadFile(stream, wxBITMAP_TYPE_PNG)) return {};
  return wxBitmap(image);
}

bool LoadPanelBitmaps(PanelBitmaps& bitmaps) {
  auto faces = [](std::string_view stem, ButtonFaces& out) {
    const std::string s(stem);
    out.up = LoadPlayerBitmap(s + "U");
    out.down = LoadPlayerBitmap(s + "D");
    out.disabled = LoadPlayerBitmap(s + "X");
    return out.up.IsOk() && out.down.IsOk() && out.disabled.IsOk();
  };
  bool ok =
      faces("EXIT", bitmaps.exit) && faces("STOP", bitmaps.stop) && faces("PLAY", bitmaps.play);
  bitmaps.logo.up = LoadPlayerBitmap("LOGOU");
  bitmaps.logo.down = bitmaps.logo.disabled = bitmaps.logo.up;
  bitmaps.volumeBackground = LoadPlayerBitmap("125");
  bitmaps.volumeKnob = LoadPlayerBitmap("126");
  ok = ok && bitmaps.logo.up.IsOk() && bitmaps.volumeBackground.IsOk() && bitmaps.volumeKnob.IsOk();
  constexpr const char* kFrames[8] = {"135", "137", "138", "139", "140", "141", "142", "143"};
  for (size_t i = 0; i < bitmaps.animation.size(); ++i) {
    bitmaps.animation[i] = LoadPlayerBitmap(kFrames[i]);
    ok = ok && bitmaps.animation[i].IsOk();
  }
  return ok;
}

}  // namespace vx
