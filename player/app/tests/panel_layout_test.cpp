#include <gtest/gtest.h>

#include "player/app/panel_layout.h"

namespace vx {
namespace {

TEST(PanelLayout, TheTableMovesOnlyWhatItNames) {
  PanelLayout layout;
  ReadPanelLayout(StringTable("34 40\n35 260\n36 50\n37 99\n91 1\n94 22\n58006 Spielen\n"), layout);
  EXPECT_EQ(layout.timeLeft, 40);
  EXPECT_EQ(layout.timeRight, 260);
  EXPECT_EQ(layout.timeTop, 50);
  EXPECT_EQ(layout.timeBottom, 99);
  EXPECT_EQ(layout.slider.left, 1);
  EXPECT_EQ(layout.slider.top, 155);
  EXPECT_EQ(layout.slider.height, 22);
  EXPECT_EQ(layout.labels[2].text, "Spielen");
  EXPECT_EQ(layout.labels[1].text, "Stop");
  EXPECT_EQ(layout.volumeTop, 65);
  EXPECT_EQ(layout.clientWidth, 320);
}

}  // namespace
}  // namespace vx
