#include "zonemap/MapOverlay.h"

#include <gtest/gtest.h>

namespace tlx {
namespace {

using namespace std::string_literals;

TEST(MapSpanTest, CoversFirstToLastDifferingCell) {
  const ZoneMap sent = ZoneMap::FourQuadrants();
  EXPECT_TRUE(ChangedSpan(sent, sent).Empty());

  ZoneMap grid = sent;
  grid.Set(0, 0, 'Z');
  grid.Set(23, 31, 'Z');
  EXPECT_EQ(ChangedSpan(grid, sent).first, 0);
  EXPECT_EQ(ChangedSpan(grid, sent).last, 767);

  grid = sent;
  grid.Set(1, 0, 'x');  // position 33
  grid.Set(1, 5, 'y');
  const MapSpan span = ChangedSpan(grid, sent);
  EXPECT_EQ(span.first, 32);
  EXPECT_EQ(span.last, 37);
  // Column 0, row 1, then the grid's cells of the span, unchanged ones included.
  EXPECT_EQ(MapSpanOverlayText(grid, span), "\x00\x01xAAAAy"s);
  EXPECT_EQ(MapSpanCommandBytes(grid, span), " 0&\x00\x01xAAAAy\x00 0'"s);
}

TEST(MapSpanTest, OverlayPositionAndTextOfSingleCells) {
  ZoneMap grid;
  grid.Set(0, 31, 'Q');
  const OverlayText overlay = MapSpanOverlay(grid, ChangedSpan(grid, ZoneMap()));
  EXPECT_EQ(overlay.column, 31);
  EXPECT_EQ(overlay.row, 0);
  EXPECT_EQ(overlay.text, "Q");
}

TEST(MapSpanTest, CellsThatAreNotZonesAreSentAsBlanks) {
  ZoneMap grid;
  grid.Set(0, 0, '\0');
  grid.Set(0, 1, '\x1B');
  grid.Set(0, 2, '\xC8');
  grid.Set(0, 3, '\x7F');
  EXPECT_EQ(MapSpanOverlay(grid, MapSpan{0, 3}).text, "   \x7F");
  const std::string bytes = MapSpanCommandBytes(grid, MapSpan{0, 3});
  EXPECT_EQ(bytes.find('\0', 5), bytes.size() - 4);  // only the terminator after column and row
}

TEST(MapSpanTest, WholeMapAndInvalidSpans) {
  const std::string bytes = WholeMapCommandBytes(ZoneMap::FourQuadrants());
  EXPECT_EQ(bytes, " 0\" 0&\x00\x00"s + ZoneMap::FourQuadrants().Text() + "\x00 0'"s);
  for (const MapSpan span : {MapSpan{}, MapSpan{5, 4}, MapSpan{0, 768}, MapSpan{-2, 3}}) {
    EXPECT_EQ(MapSpanCommandBytes(ZoneMap(), span), "");
  }
}

}  // namespace
}  // namespace tlx
