#include "setup/Colours.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <tuple>

namespace tlx {
namespace {

using test::TempDir;

constexpr std::int32_t kRed = 255, kOrange = 33023, kGreen = 65280;

TEST(ColoursFileRead, OnlyWellFormedLinesWithCodesInRangeChangeTheTable) {
  const ColourTable defaults = DefaultColourTable();
  EXPECT_EQ(std::tuple(defaults.Of('A'), defaults.Of('B'), defaults.Of('a'), defaults.Of(' ')),
            std::tuple(kRed, kOrange, kRed, 0));
  TempDir dir;
  test::WriteBytes(dir.File("COLORS.INI"),
                   "Color 300 = 1\r\nColor -1 = 1\r\ncolor 97=16776960\r\nColor 66 = 65280 \r\n"
                   "Colour 67 = 1\r\nColor 68 = 1 2\r\nColor 0 = 7\nnonsense\r\n");
  ColourTable table = defaults;
  ASSERT_TRUE(ReadColours(dir.File("COLORS.INI"), table));
  ColourTable expected = defaults;
  expected.entries['a'] = 16776960;
  expected.entries['B'] = kGreen;
  expected.entries[0] = 7;
  EXPECT_EQ(table.entries, expected.entries);

  EXPECT_FALSE(ReadColours(dir.File("MISSING.INI"), table) || ReadColours(dir.Path(), table));
  EXPECT_EQ(table.entries, expected.entries);
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
  EXPECT_EQ(expected.substr(0, 32), "Color 32 = 0\r\nColor 33 = 65535\r\n");
  TempDir dir;
  test::WriteBytes(dir.File("COLORS.INI"), std::string(9000, '#'));
  ASSERT_TRUE(WriteColours(dir.File("COLORS.INI"), table));
  ASSERT_EQ(test::ReadBytes(dir.File("COLORS.INI")), expected);

  ColourTable back = DefaultColourTable();
  ASSERT_TRUE(ReadColours(dir.File("COLORS.INI"), back));
  EXPECT_EQ(back.Of('A'), kGreen);
  EXPECT_EQ(back.entries[200], DefaultColourTable().entries[200]);
  EXPECT_FALSE(WriteColours(dir.File("NO_DIR/COLORS.INI"), table));
}

}  // namespace
}  // namespace tlx
