#include "setup/Colours.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace tlx {
namespace {

using test::TempDir;
using test::WriteBytes;

constexpr std::int32_t kRed = 255, kOrange = 33023, kYellow = 65535, kGreen = 65280;

TEST(ColourDefaults, FollowTheCharacterRule) {
  const ColourTable table = DefaultColourTable();
  EXPECT_EQ(table.Of('A'), kRed);
  EXPECT_EQ(table.Of('B'), kOrange);
  EXPECT_EQ(table.Of('C'), kYellow);
  EXPECT_EQ(table.Of('D'), kGreen);
  EXPECT_EQ(table.Of('G'), kRed);
  EXPECT_EQ(table.Of('a'), kRed);
  EXPECT_EQ(table.Of(' '), 0);
  EXPECT_EQ(ColoursPath("/h"), "/h/COLORS.INI");
}

TEST(ColoursFileRead, OnlyWellFormedLinesWithCodesInRangeChangeTheTable) {
  TempDir dir;
  WriteBytes(dir.File("COLORS.INI"),
             "Color 300 = 1\r\nColor -1 = 1\r\ncolor 97=16776960\r\nColor 66 = 65280 \r\n"
             "Colour 67 = 1\r\nColor 68 = 1 2\r\nColor 0 = 7\nnonsense\r\n");
  ColourTable table = DefaultColourTable();
  ASSERT_TRUE(ReadColours(dir.File("COLORS.INI"), table));
  ColourTable expected = DefaultColourTable();
  expected.entries['a'] = 16776960;
  expected.entries['B'] = kGreen;
  expected.entries[0] = 7;
  EXPECT_EQ(table.entries, expected.entries);
}

TEST(ColoursFileRead, MissingOrUnreadableFileLeavesTheTable) {
  TempDir dir;
  ColourTable table = DefaultColourTable();
  table.entries['Z'] = 1;
  const ColourTable before = table;
  EXPECT_FALSE(ReadColours(dir.File("COLORS.INI"), table));
  EXPECT_FALSE(ReadColours(dir.Path(), table));
  EXPECT_EQ(table.entries, before.entries);
}

TEST(ColoursFileWrite, AlwaysTheNinetySixLinesAndReadsBack) {
  ColourTable table = DefaultColourTable();
  table.entries['A'] = kGreen;
  table.entries[200] = 5;  // not saved
  std::string expected;
  for (int code = 32; code <= 127; ++code) {
    expected += "Color " + std::to_string(code) + " = " +
                std::to_string(code == 'A' ? kGreen : DefaultColourTable().entries[code]) + "\r\n";
  }
  TempDir dir;
  test::WriteBytes(dir.File("COLORS.INI"), std::string(9000, '#'));
  ASSERT_TRUE(WriteColours(dir.File("COLORS.INI"), table));
  ASSERT_EQ(test::ReadBytes(dir.File("COLORS.INI")), expected);
  EXPECT_EQ(expected.substr(0, 32), "Color 32 = 0\r\nColor 33 = 65535\r\n");

  ColourTable back = DefaultColourTable();
  ASSERT_TRUE(ReadColours(dir.File("COLORS.INI"), back));
  EXPECT_EQ(back.Of('A'), kGreen);
  EXPECT_EQ(back.Of('a'), kRed);
  EXPECT_EQ(back.entries[200], DefaultColourTable().entries[200]);
  EXPECT_FALSE(WriteColours(dir.File("NO_DIR/COLORS.INI"), table));
}

}  // namespace
}  // namespace tlx
