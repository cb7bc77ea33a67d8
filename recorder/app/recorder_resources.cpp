#include "recorder/app/recorder_resources.h"

namespace vx::vxrecord {

StringTable LoadRecorderStrings() {
  return LoadStringTable(vxrecord_res::FindResource);
}

bool LoadRecorderBitmaps(RecorderBitmaps& bitmaps) {
  bitmaps.logo = LoadLogoFaces(vxrecord_res::FindResource, "LOGOU");
  bitmaps.exit = LoadButtonFaces(vxrecord_res::FindResource, "EXIT");
  bitmaps.stop = LoadButtonFaces(vxrecord_res::FindResource, "STOP");
  bitmaps.record = LoadButtonFaces(vxrecord_res::FindResource, "REC");
  bitmaps.icon = LoadBitmap(vxrecord_res::FindResource, "vxrecord");
  return bitmaps.logo.IsOk() && bitmaps.exit.IsOk() && bitmaps.stop.IsOk() &&
         bitmaps.record.IsOk() && bitmaps.icon.IsOk();
}

}  // namespace vx::vxrecord
