#include "player/app/panel_layout.h"

namespace vx {

void ReadPanelLayout(const StringTable& table, PanelLayout& layout) {
  table.ReadNumber(32, layout.clientWidth);
  table.ReadNumber(33, layout.clientHeight);
  ReadControlPlace(table, 77, layout.logo);
  ReadControlPlace(table, 28, layout.exit);
  ReadControlPlace(table, 73, layout.stop);
  ReadControlPlace(table, 95, layout.play);
  ReadControlPlace(table, 91, layout.slider);
  table.ReadNumber(34, layout.timeLeft);
  table.ReadNumber(36, layout.timeTop);
  table.ReadNumber(35, layout.timeRight);
  table.ReadNumber(37, layout.timeBottom);
  ReadTextPlace(table, 18, layout.elapsed);
  ReadTextPlace(table, 21, layout.total);
  ReadControlPlace(table, 87, layout.animation);
  table.ReadNumber(58, layout.volumeLeft);
  table.ReadNumber(59, layout.volumeTop);
  table.ReadNumber(60, layout.volumeTravelTop);
  table.ReadNumber(61, layout.volumeTravelBottom);
  ReadTextPlace(table, 81, layout.halfRate);
  ReadTextPlace(table, 84, layout.fullRate);

  constexpr int kLabelPlaces[7] = {24, 69, 66, 38, 41, 44, 47};
  constexpr int kLabelTexts[7] = {58004, 58005, 58006, 58000, 58001, 58003, 58002};
  for (size_t i = 0; i < layout.labels.size(); ++i) {
    ReadTextPlace(table, kLabelPlaces[i], layout.labels[i].place);
    ReadString(table, kLabelTexts[i], layout.labels[i].text);
  }
  ReadString(table, 58008, layout.halfRateText);
  ReadString(table, 58007, layout.fullRateText);
}

}  // namespace vx
