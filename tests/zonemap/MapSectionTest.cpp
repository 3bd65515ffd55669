#include "zonemap/MapFile.h"

#include "support/TestSupport.h"
#include "zonemap/GoldenFiles.h"

#include <gtest/gtest.h>

namespace tlx {
namespace {

using test::Golden;
using namespace std::string_literals;

const std::string kCells = ZoneMap::FourQuadrants().Text();

TEST(MapSection, FoundAfterItsHeaderLineWhateverTheLineEnds) {
  ZoneMap map;
  ASSERT_TRUE(ReadMapFile(Golden("notes_section.txt"), map));
  EXPECT_EQ(map.At(0, 31), '2');
  EXPECT_EQ(map.At(23, 31), '4');

  const struct { const char* name; std::string bytes; } found[] = {
      {"CR LF", "NOTES\r\n[ZONE MAP]\r\n" + kCells},
      {"LF", "NOTES\n[ZONE MAP]\n" + kCells},
      {"CR", "NOTES\r[ZONE MAP]\r" + kCells},
      {"blanks and case", "[OTHER]\r\n  [ zone Map ]  \r\n" + kCells},
      {"first of two", "[ZONE MAP]\n" + kCells + "\n[ZONE MAP]\n" + std::string(768, 'Z')},
      {"after binary junk", std::string(10000, '\x01') + "\0\xFF\n[ZONE MAP]\n"s + kCells},
  };
  for (const auto& c : found) {
    map = ZoneMap();
    EXPECT_TRUE(ParseMapBytes(c.bytes, map)) << c.name;
    EXPECT_EQ(map.Text(), kCells) << c.name;
  }
}

TEST(MapSection, MapBytesAreTakenRawAndShortSectionsPadWithBlanks) {
  std::string raw;
  for (int i = 0; i < kMapCells; ++i) raw.push_back(static_cast<char>((i * 7) % 256));
  ZoneMap map;
  ASSERT_TRUE(ParseMapBytes("[ZONE MAP]\r\n" + raw + "tail", map));
  EXPECT_EQ(map.Text(), raw);  // CR, LF, NUL and high bytes inside the map are cells

  ASSERT_TRUE(ParseMapBytes("[ZONE MAP]\r\nAB\r\n", map));
  EXPECT_EQ(map.Text(), "AB\r\n" + std::string(764, ' '));
  ASSERT_TRUE(ParseMapBytes("notes\r\n[ZONE MAP]", map));  // header on the last line
  EXPECT_EQ(map, ZoneMap());
  ASSERT_TRUE(ParseMapBytes("[ZONE MAP]\r", map));
  EXPECT_EQ(map, ZoneMap());
}

TEST(MapSection, OtherTextIsNotAMap) {
  for (const std::string& bytes :
       {std::string("ZONE MAP\r\n") + kCells, "[ZONE MAPS]\r\n" + kCells, "[ZONE MAP\r\n" + kCells,
        "x[ZONE MAP]\r\n" + kCells, "[ZONE MAP]" + std::string(5000, ' ') + "x]\n" + kCells,
        std::string("["), std::string()}) {
    ZoneMap map = ZoneMap::FourQuadrants();
    EXPECT_FALSE(ParseMapBytes(bytes, map)) << bytes.substr(0, 20);
    EXPECT_EQ(map, ZoneMap::FourQuadrants());
  }
}

TEST(MapSection, PieceByPieceFeedingGivesTheSameMap) {
  const std::string inputs[] = {
      "NOTES\r\n[ZONE MAP]\r\n" + kCells, "[ZONE MAP]\r\nAB", "\xFC\xAA" + kCells, "\xFC",
      "a\r\r\n[ZONE MAP]\r", "[ZONE MAP]\r\n\n" + kCells};
  for (const std::string& bytes : inputs) {
    ZoneMap whole, pieces;
    const bool wholeFound = ParseMapBytes(bytes, whole);
    MapByteScanner scanner;
    for (char c : bytes) scanner.Feed(std::string_view(&c, 1));
    EXPECT_EQ(scanner.Finish(pieces), wholeFound);
    EXPECT_EQ(pieces, whole);
  }
}

}  // namespace
}  // namespace tlx
