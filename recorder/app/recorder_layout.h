#pragma once

#include <array>
#include <string>

#include "ui/panel_drawing.h"
#include "ui/string_table.h"

namespace vx::vxrecord {

// Where everything in the recorder's window goes, as the string table gives it. The defaults
// are the delivered layout; reading the table changes only the entries it has.
struct RecorderLayout {
  int clientWidth = 320, clientHeight = 170;
  ControlPlace exit{50, 70, 30, 30};
  ControlPlace stop{140, 70, 30, 30};
  ControlPlace record{230, 70, 30, 30};
  ControlPlace logo{15, 20, 120, 40};
  TextPlace timeText{285, 25, 24};  // right-aligned to x
  // The time box: left, right, top, bottom.
  int boxLeft = 140, boxRight = 295, boxTop = 15, boxBottom = 50;
  TextPlace halfLamp{150, 18, 12};
  TextPlace fullLamp{150, 35, 12};
  ControlPlace fullButton{40, 120, 100, 25};
  ControlPlace halfButton{170, 120, 100, 25};

  // The four captions in drawing order: Time, Eject, Stop&Save, Record.
  struct Caption {
    std::string text;
    TextPlace place;
  };
  std::array<Caption, 4> captions{{{"Time", {235, 50, 16}},
                                   {"Eject", {45, 100, 16}},
                                   {"Stop&Save", {115, 100, 16}},
                                   {"Record", {220, 100, 16}}}};
  std::string halfRateText = "Half Rate";
  std::string fullRateText = "Full Rate";

  wxRect TimeBox() const { return {boxLeft, boxTop, boxRight - boxLeft, boxBottom - boxTop}; }
};

// Reads the layout numbers and texts from the table into `layout`; entries the table lacks
// keep their value.
void ReadRecorderLayout(const StringTable& table, RecorderLayout& layout);

}  // namespace vx::vxrecord
