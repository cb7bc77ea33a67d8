#include "player/app/panel_layout.h"

namespace vx {
namespace {

void ReadPlace(const StringTable& table, int first, ControlPlace& place) {
  table.ReadNumber(first, place.left);
  table.ReadNumber(first + 1, place.top);
  table.ReadNumber(first + 2, place.width);
  table.ReadNumber(first + 3, place.height);
}

void ReadText(const StringTable& table, int first, TextPlace& place) {
  table.ReadNumber(first, place.x);
  table.ReadNumber(first + 1, place.top);
  table.ReadNumber(first + 2, place.height);
}

void ReadLabel(const StringTable& table, int textId, std::string& text) {
  if (auto found = table.Find(textId)) text = *found;
}

}  // namespace

void ReadPanelLayout(const StringTable& table, PanelLayout& layout) {
  table.ReadNumber(32, layout.clientWidth);
  table.ReadNumber(33, layout.clientHeight);
  ReadPlace(table, 77, layout.logo);
  ReadPlace(table, 28, layout.exit);
  ReadPlace(table, 73, layout.stop);
  ReadPlace(table, 95, layout.play);
  ReadPlace(table, 91, layout.slider);
  table.ReadNumber(34, layout.timeLeft);
  table.ReadNumber(36, layout.timeTop);
  table.ReadNumber(35, layout.timeRight);
  table.ReadNumber(37, layout.timeBottom);
  ReadText(table, 18, layout.elapsed);
  ReadText(table, 21, layout.total);
  ReadPlace(table, 87, layout.animation);
  table.ReadNumber(58, layout.volumeLeft);
  table.ReadNumber(59, layout.volumeTop);
  table.ReadNumber(60, layout.volumeTravelTop);
  table.ReadNumber(61, layout.volumeTravelBottom);
  ReadText(table, 81, layout.halfRate);
  ReadText(table, 84, layout.fullRate);

  constexpr int kLabelPlaces[7] = {24, 69, 66, 38, 41, 44, 47};
  constexpr int kLabelTexts[7] = {58004, 58005, 58006, 58000, 58001, 58003, 58002};
  for (size_t i = 0; i < layout.labels.size(); ++i) {
    ReadText(table, kLabelPlaces[i], layout.labels[i].place);
    ReadLabel(table, kLabelTexts[i], layout.labels[i].text);
  }
  ReadLabel(table, 58008, layout.halfRateText);
  ReadLabel(table, 58007, layout.fullRateText);
}

}  // namespace vx
