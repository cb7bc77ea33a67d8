#include "recorder/app/recorder_layout.h"

namespace vx::vxrecord {

void ReadRecorderLayout(const StringTable& table, RecorderLayout& layout) {
  table.ReadNumber(3, layout.clientWidth);
  table.ReadNumber(4, layout.clientHeight);
  ReadControlPlace(table, 5, layout.exit);
  ReadControlPlace(table, 9, layout.stop);
  ReadControlPlace(table, 13, layout.record);
  ReadTextPlace(table, 17, layout.timeText);
  table.ReadNumber(20, layout.boxLeft);
  table.ReadNumber(21, layout.boxRight);
  table.ReadNumber(22, layout.boxTop);
  table.ReadNumber(23, layout.boxBottom);
  // Each caption: its text, then its left, top and height.
  for (size_t i = 0; i < layout.captions.size(); ++i) {
    const int first = 24 + static_cast<int>(i) * 4;
    ReadString(table, first, layout.captions[i].text);
    ReadTextPlace(table, first + 1, layout.captions[i].place);
  }
  ReadControlPlace(table, 40, layout.logo);
  ReadTextPlace(table, 46, layout.halfLamp);
  ReadTextPlace(table, 49, layout.fullLamp);
  ReadControlPlace(table, 52, layout.fullButton);
  ReadControlPlace(table, 56, layout.halfButton);
  ReadString(table, 57346, layout.halfRateText);
  ReadString(table, 57347, layout.fullRateText);
}

}  // namespace vx::vxrecord
