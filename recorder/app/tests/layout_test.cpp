#include <gtest/gtest.h>

#include "recorder/app/recorder_layout.h"
#include "recorder/app/recorder_resources.h"

namespace vx::vxrecord {
namespace {

TEST(RecorderLayout, TheProgramsTableGivesTheDeliveredLayout) {
  RecorderLayout layout;
  layout.clientWidth = layout.clientHeight = 0;
  layout.captions[2].text.clear();
  ReadRecorderLayout(LoadRecorderStrings(), layout);
  const RecorderLayout delivered;
  EXPECT_EQ(layout.clientWidth, 320);
  EXPECT_EQ(layout.clientHeight, 170);
  EXPECT_EQ(layout.captions[2].text, "Stop&Save");
  EXPECT_EQ(layout.TimeBox(), wxRect(140, 15, 155, 35));
  EXPECT_EQ(layout.record.Rect(), delivered.record.Rect());
  EXPECT_EQ(layout.halfButton.Rect(), wxRect(170, 120, 100, 25));
  EXPECT_EQ(layout.fullLamp.top, 35);
  EXPECT_EQ(layout.halfRateText, "Half Rate");
}

TEST(RecorderLayout, TheTableMovesOnlyWhatItNames) {
  RecorderLayout layout;
  ReadRecorderLayout(StringTable("4 200\n13 231\n16 31\n28 Auswerfen\n31 18\n21 300\n57347 Voll\n"),
                     layout);
  EXPECT_EQ(layout.clientWidth, 320);
  EXPECT_EQ(layout.clientHeight, 200);
  EXPECT_EQ(layout.record.Rect(), wxRect(231, 70, 30, 31));
  EXPECT_EQ(layout.captions[1].text, "Auswerfen");
  EXPECT_EQ(layout.captions[1].place.x, 45);
  EXPECT_EQ(layout.captions[1].place.height, 18);
  EXPECT_EQ(layout.boxRight, 300);
  EXPECT_EQ(layout.fullRateText, "Voll");
  EXPECT_EQ(layout.halfRateText, "Half Rate");
}

}  // namespace
}  // namespace vx::vxrecord
