#include "zonemap/MapOverlay.h"

#include <gtest/gtest.h>

namespace tlx {
namespace {

using namespace std::string_literals;

TEST(MapSpanTest, CoversFirstToLastDifferingCell) {
  const ZoneMap sent = ZoneMap::FourQuadrants();
  EXPECT_TRUE(ChangedSpan(sent, sent).Empty());
  EXPECT_EQ(MapSpanCommandBytes(sent, ChangedSpan(sent, sent)), "");

  ZoneMap grid = sent;
  grid.Set(0, 0, 'Z');
  grid.Set(23, 31, 'Z');
  EXPECT_EQ(ChangedSpan(grid, sent).last - ChangedSpan(grid, sent).first, 767);

  grid = sent;
  grid.Set(1, 0, 'x');  // position 33: column 0, row 1
  grid.Set(1, 5, 'y');
  // The grid's cells of the span, unchanged ones included, then 00 and End overlay drawing.
  EXPECT_EQ(MapSpanCommandBytes(grid, ChangedSpan(grid, sent)), " 0&\x00\x01xAAAAy\x00 0'"s);
  grid = ZoneMap();
  grid.Set(0, 31, 'Q');
  EXPECT_EQ(MapSpanOverlayText(grid, ChangedSpan(grid, ZoneMap())), "\x1F\x00Q"s);
}

TEST(MapSpanTest, CellsThatAreNotZonesAreSentAsBlanks) {
  ZoneMap grid;
  for (int column = 0; column < 4; ++column) grid.Set(0, column, "\0\x1B\xC8\x7F"[column]);
  EXPECT_EQ(MapSpanOverlay(grid, MapSpan{0, 3}).text, "   \x7F");
  const std::string bytes = MapSpanCommandBytes(grid, MapSpan{0, 3});
  EXPECT_EQ(bytes.find('\0', 5), bytes.size() - 4);  // no 00 before the terminator
}

TEST(MapSpanTest, WholeMapAndInvalidSpans) {
  EXPECT_EQ(WholeMapCommandBytes(ZoneMap::FourQuadrants()),
            " 0\" 0&\x00\x00"s + ZoneMap::FourQuadrants().Text() + "\x00 0'"s);
  for (const MapSpan span : {MapSpan{5, 4}, MapSpan{0, 768}, MapSpan{-2, 3}}) {
    EXPECT_EQ(MapSpanCommandBytes(ZoneMap(), span), "");
  }
}

}  // namespace
}  // namespace tlx
