#include "zonemap/MapFile.h"

#include "support/TestSupport.h"
#include "zonemap/GoldenFiles.h"

#include <gtest/gtest.h>

namespace tlx {
namespace {

using namespace std::string_literals;

const std::string kCells = ZoneMap::FourQuadrants().Text();

TEST(MapSection, FoundAfterItsHeaderLineWhateverTheLineEnds) {
  ZoneMap map;
  ASSERT_TRUE(ReadMapFile(test::Golden("notes_section.txt"), map));
  EXPECT_EQ(map.At(23, 31), '4');
  for (const std::string& bytes :
       {"NOTES\r\n[ZONE MAP]\r\n" + kCells, "NOTES\n[ZONE MAP]\n" + kCells,
        "NOTES\r[ZONE MAP]\r" + kCells, "[OTHER]\r\n  [ zone Map ]  \r\n" + kCells,
        "[ZONE MAP]\n" + kCells + "\n[ZONE MAP]\n" + std::string(768, 'Z'),
        std::string(10000, '\x01') + "\0\xFF\n[ZONE MAP]\n"s + kCells}) {
    map = ZoneMap();
    EXPECT_TRUE(ParseMapBytes(bytes, map)) << bytes.substr(0, 20);
    EXPECT_EQ(map.Text(), kCells) << bytes.substr(0, 20);
  }
}

TEST(MapSection, MapBytesAreRawAndShortSectionsPadWithBlanks) {
  std::string raw;
  for (int i = 0; i < kMapCells; ++i) raw.push_back(static_cast<char>((i * 7) % 256));
  const struct { std::string bytes, cells; } cases[] = {
      {"[ZONE MAP]\r\n" + raw + "tail", raw},  // CR, LF, NUL and high bytes are cells
      {"[ZONE MAP]\r\nAB\r\n", "AB\r\n"},
      {"notes\r\n[ZONE MAP]", ""},  // header on the last line
      {"[ZONE MAP]\r", ""}};
  for (const auto& c : cases) {
    ZoneMap map = ZoneMap::FourQuadrants();
    ASSERT_TRUE(ParseMapBytes(c.bytes, map));
    EXPECT_EQ(map, ZoneMap::FromText(c.cells));
  }
}

TEST(MapSection, OtherTextIsNotAMap) {
  for (const std::string& bytes :
       {"ZONE MAP\r\n" + kCells, "[ZONE MAPS]\r\n" + kCells, "[ZONE MAP\r\n" + kCells,
        "x[ZONE MAP]\r\n" + kCells, "[ZONE MAP]" + std::string(5000, ' ') + "x]\n" + kCells,
        "["s, ""s}) {
    ZoneMap map = ZoneMap::FourQuadrants();
    EXPECT_FALSE(ParseMapBytes(bytes, map)) << bytes.substr(0, 20);
    EXPECT_EQ(map, ZoneMap::FourQuadrants());
  }
}

}  // namespace
}  // namespace tlx
