#include <gtest/gtest.h>

#include "ui/string_table.h"

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

}  // namespace
}  // namespace vx
