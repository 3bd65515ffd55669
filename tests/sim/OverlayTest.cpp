// What the simulated unit keeps on its overlay after the program's overlay commands.
#include "UnitOnLink.h"

namespace tlx::test {
namespace {

using Overlay = UnitOnLink;

std::string Text(int column, int row, const std::string& chars) {
  return std::string(" 0&") + static_cast<char>(column) + static_cast<char>(row) + chars + '\0';
}

TEST_F(Overlay, TextIsDrawnFromItsCellAndWrapsOntoTheNextRow) {
  Exchange(Text(5, 2, "HELLO"));
  EXPECT_EQ(unit.OverlayRow(2), "     HELLO" + std::string(22, ' '));
  Exchange(Text(30, 0, "ABCD"));
  EXPECT_EQ(unit.OverlayRow(0).substr(30), "AB");
  EXPECT_EQ(unit.OverlayRow(1).substr(0, 3), "CD ");
}

TEST_F(Overlay, AWholeMapFillsEveryCellAndClearingEmptiesIt) {
  std::string map;
  for (int row = 0; row < 24; ++row) map += std::string(32, static_cast<char>('A' + row));
  Exchange(Text(0, 0, map), 600);
  EXPECT_EQ(unit.OverlayRow(0), std::string(32, 'A'));
  EXPECT_EQ(unit.OverlayRow(23), std::string(32, 'X'));
  Exchange(" 0\"");
  EXPECT_TRUE(unit.Overlay().IsBlank());
}

TEST_F(Overlay, CellsOutsideTheGridAreClampedIntoIt) {
  Exchange(Text(40, 200, "Z") + Text(0, 255, "Q") + Text(255, 0, "R"));
  EXPECT_EQ(unit.Overlay().Cell(31, 23), 'Z');
  EXPECT_EQ(unit.Overlay().Cell(0, 23), 'Q');
  EXPECT_EQ(unit.Overlay().Cell(31, 0), 'R');
}

TEST_F(Overlay, TextWithoutItsEndByteStopsAtTheOverlaySizeAndTheUnitListensAgain) {
  link.Write(" 0&" + std::string(2, '\0') + std::string(768, 'x'));
  EXPECT_EQ(Exchange(" &!", 600), "!");
  EXPECT_EQ(unit.OverlayRow(23), std::string(32, 'x'));
}

TEST_F(Overlay, LinesAndCursorAreKeptUntilCleared) {
  Exchange(std::string(" 0%\x0A\x14\x1E\xC8", 7) + std::string(" 0(\x05\x06", 5));
  ASSERT_EQ(unit.Overlay().Lines().size(), 1u);
  EXPECT_EQ(unit.Overlay().Lines()[0], (OverlayLine{10, 20, 30, 191}));
  EXPECT_EQ(unit.Overlay().Cursor().x * 1000 + unit.Overlay().Cursor().y, 5006);
  Exchange(" 0\"");
  EXPECT_TRUE(unit.Overlay().IsBlank());
}

}  // namespace
}  // namespace tlx::test
