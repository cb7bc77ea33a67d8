#pragma once

#include <array>
#include <string>

#include "ui/panel_drawing.h"
#include "ui/string_table.h"

namespace vx {

// Where everything on the control panel goes, as the string table gives it. The defaults are
// the delivered layout; reading the table changes only the entries it has.
struct PanelLayout {
  int clientWidth = 320, clientHeight = 210;
  ControlPlace logo{20, 10, 120, 40};
  ControlPlace exit{20, 110, 30, 30};
  ControlPlace stop{80, 110, 30, 30};
  ControlPlace play{140, 110, 30, 30};
  ControlPlace slider{15, 155, 285, 30};
  // The time display: left, top, right, bottom.
  int timeLeft = 15, timeTop = 55, timeRight = 250, timeBottom = 95;
  TextPlace elapsed{160, 65, 24};  // right-aligned to x
  TextPlace total{240, 65, 24};    // right-aligned to x
  ControlPlace animation{255, 10, 48, 48};
  int volumeLeft = 260, volumeTop = 65;                // the background bitmap's corner
  int volumeTravelTop = 70, volumeTravelBottom = 120;  // knob top at full volume, at silence
  TextPlace halfRate{25, 60, 12};
  TextPlace fullRate{25, 80, 12};

  // The seven labels in drawing order: Eject, Stop, Play, Now, Total, Status, Volume.
  struct Label {
    TextPlace place;
    std::string text;
  };
  std::array<Label, 7> labels{{{{20, 140, 12}, "Eject"},
                               {{80, 140, 12}, "Stop"},
                               {{140, 140, 12}, "Play"},
                               {{130, 95, 14}, "Now"},
                               {{205, 95, 14}, "Total"},
                               {{15, 185, 12}, "Status"},
                               {{260, 140, 12}, "Volume"}}};
  std::string halfRateText = "Half Rate";
  std::string fullRateText = "Full Rate";
};

// Reads the layout numbers and label texts from the table into `layout`; entries the table
// lacks keep their value.
void ReadPanelLayout(const StringTable& table, PanelLayout& layout);

}  // namespace vx
