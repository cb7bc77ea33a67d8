#include "player/app/panel_resources.h"

namespace vx {

StringTable LoadPlayerStrings() {
  return LoadStringTable(vocrix_res::FindResource);
}

wxBitmap LoadPlayerBitmap(std::string_view name) {
  return LoadBitmap(vocrix_res::FindResource, name);
}

bool LoadPanelBitmaps(PanelBitmaps& bitmaps) {
  bitmaps.exit = LoadButtonFaces(vocrix_res::FindResource, "EXIT");
  bitmaps.stop = LoadButtonFaces(vocrix_res::FindResource, "STOP");
  bitmaps.play = LoadButtonFaces(vocrix_res::FindResource, "PLAY");
  bitmaps.logo = LoadLogoFaces(vocrix_res::FindResource, "LOGOU");
  bitmaps.volumeBackground = LoadPlayerBitmap("125");
  bitmaps.volumeKnob = LoadPlayerBitmap("126");
  bool ok = bitmaps.exit.IsOk() && bitmaps.stop.IsOk() && bitmaps.play.IsOk() &&
            bitmaps.logo.IsOk() && bitmaps.volumeBackground.IsOk() && bitmaps.volumeKnob.IsOk();
  constexpr const char* kFrames[8] = {"135", "137", "138", "139", "140", "141", "142", "143"};
  for (size_t i = 0; i < bitmaps.animation.size(); ++i) {
    bitmaps.animation[i] = LoadPlayerBitmap(kFrames[i]);
    ok = ok && bitmaps.animation[i].IsOk();
  }
  return ok;
}

}  // namespace vx
