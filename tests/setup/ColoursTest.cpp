#include "setup/Colours.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <tuple>

namespace tlx {
namespace {

using test::TempDir;

constexpr std::int32_t kRed = 255, kOrange = 33023, kGreen = 65280;

TEST(ColoursFile, OnlyWellFormedLinesChangeTheTableAndWritesAreAlwaysNinetySixLines) {
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

  // Writing: always the ninety-six lines of the printable codes, and they read back.
  table = DefaultColourTable();
  table.entries['A'] = kGreen;
  table.entries[200] = 5;  // not saved
  std::string written;
  for (int code = 32; code <= 127; ++code) {
    written += "Color " + std::to_string(code) + " = " +
                std::to_string(code == 'A' ? kGreen : DefaultColourTable().entries[code]) + "\r\n";
  }
  test::WriteBytes(dir.File("COLORS.INI"), std::string(9000, '#'));
  ASSERT_TRUE(WriteColours(dir.File("COLORS.INI"), table));
  ASSERT_EQ(test::ReadBytes(dir.File("COLORS.INI")), written);

  ColourTable back = DefaultColourTable();
  ASSERT_TRUE(ReadColours(dir.File("COLORS.INI"), back));
  EXPECT_EQ(back.Of('A'), kGreen);
  EXPECT_FALSE(WriteColours(dir.File("NO_DIR/COLORS.INI"), table));
}

}  // namespace
}  // namespace tlx
