#include <gtest/gtest.h>

#include "player/app/panel_layout.h"
#include "player/app/string_table.h"

namespace vx {
namespace {

TEST(StringTable, ReadsIdsTextsAndEscapes) {
  const StringTable table(
      "# a comment\n"
      "3 Initialize Failed!!\\nRetry Open WaveOutDevice(y/n)?\n"
      "\n"
      "57344 Vocrix Player for Windows95/NT\r\n"
      "not an entry\n"
      "58004 Eject\n"
      "58004 Auswerfen\n"
      "12 back\\\\slash");
  EXPECT_EQ(table.Text(3), "Initialize Failed!!\nRetry Open WaveOutDevice(y/n)?");
  EXPECT_EQ(table.Text(57344), "Vocrix Player for Windows95/NT");
  EXPECT_EQ(table.Text(58004), "Auswerfen");  // a later entry replaces an earlier one
  EXPECT_EQ(table.Text(12), "back\\slash");
  EXPECT_FALSE(table.Find(99));
  EXPECT_EQ(table.Text(99, "fallback"), "fallback");
}

TEST(StringTable, NumbersReadLikeTheOldConversionAndMissingOnesKeepTheirValue) {
  const StringTable table("1 320\n2  -15\n3 42px\n4 abc\n5 +7\n");
  struct Case {
    int id;
    int expected;
  };
  for (const Case c :
       {Case{1, 320}, Case{2, -15}, Case{3, 42}, Case{4, 0}, Case{5, 7}, Case{6, 123}}) {
    int value = 123;
    table.ReadNumber(c.id, value);
    EXPECT_EQ(value, c.expected) << c.id;
  }
}

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
