// Map files: the binary format, text files holding a [ZONE MAP] section, and what is refused.
#include "zonemap/MapFile.h"

#include "support/TestSupport.h"
#include "zonemap/GoldenFiles.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace tlx {
namespace {

using namespace std::string_literals;
using test::Golden;
using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

TEST(MapFileFormat, GoldenFilesMatchTheFormatTheWriterAndTheReader) {
  std::string expected = "\xFC\xAA";  // built from the format alone: row after row of 32 cells
  for (int row = 0; row < 24; ++row)
    for (int column = 0; column < 32; ++column)
      expected += "ABCD"[(row >= 12) * 2 + (column >= 16)];
  ASSERT_EQ(ReadBytes(Golden("quadrants.map")), expected);
  EXPECT_EQ(MapFileBytes(ZoneMap::FourQuadrants()), expected);

  ZoneMap corners;
  ASSERT_TRUE(ReadMapFile(Golden("corners.map"), corners));
  EXPECT_EQ(std::string() + corners.At(0, 0) + corners.At(0, 31) + corners.At(1, 0) +
                corners.At(23, 31) + corners.At(0, 1),
            "1234 ");  // offsets 2, 33, 34, 769 and a blank
  TempDir dir;
  ASSERT_TRUE(WriteMapFile(dir.File("C.MAP"), corners));
  EXPECT_EQ(ReadBytes(dir.File("C.MAP")), ReadBytes(Golden("corners.map")));
}

TEST(MapFileRead, ShortFilesPadWithBlanksLongOnesAreCutOthersLeaveTheMap) {
  TempDir dir;
  const ZoneMap quadrants = ZoneMap::FourQuadrants();
  const struct { std::string bytes; bool ok; std::string cells; } cases[] = {
      {"\xFC\xAA" "AB", true, "AB"}, {"\xFC\xAA", true, ""},
      {MapFileBytes(quadrants) + "junk", true, quadrants.Text()}, {"", false, quadrants.Text()},
      {"\xFC", false, quadrants.Text()}, {"\xFC\xAB" + std::string(768, 'A'), false, quadrants.Text()}};
  for (const auto& c : cases) {
    WriteBytes(dir.File("S.MAP"), c.bytes);
    ZoneMap map = quadrants;
    EXPECT_EQ(ReadMapFile(dir.File("S.MAP"), map), c.ok) << testing::PrintToString(c.bytes.substr(0, 8));
    EXPECT_EQ(map, ZoneMap::FromText(c.cells));
  }
}

TEST(MapFile, MissingOrUnusableFilesAreRefusedAndWritesReplaceWholeFiles) {
  TempDir dir;
  ASSERT_EQ(::mkfifo(dir.File("FIFO").c_str(), 0600), 0);
  WriteBytes(dir.File("REAL.MAP"), MapFileBytes(ZoneMap()));
  ZoneMap map = ZoneMap::FourQuadrants();
  // A FIFO must not block the reader; a name with a NUL in it names no file, not the file named
  // by the part before the NUL.
  for (const std::string& name :
       {dir.File("MISSING"), dir.File("FIFO"), dir.Path(), dir.File("REAL.MAP") + "\0x"s}) {
    EXPECT_FALSE(ReadMapFile(name, map)) << name;
  }
  EXPECT_EQ(map, ZoneMap::FourQuadrants());
  WriteBytes(dir.File("OLD.MAP"), std::string(5000, 'x'));
  ASSERT_TRUE(WriteMapFile(dir.File("OLD.MAP"), map));
  EXPECT_EQ(ReadBytes(dir.File("OLD.MAP")).size(), 770u);
  for (const std::string& name : {dir.File("NO_DIR/A.MAP"), dir.File("NEW.MAP") + "\0x"s}) {
    EXPECT_FALSE(WriteMapFile(name, map)) << name;
  }
  EXPECT_FALSE(test::PathExists(dir.File("NEW.MAP")));
}

const std::string kCells = ZoneMap::FourQuadrants().Text();

TEST(MapSection, FoundAfterItsHeaderLineWhateverTheLineEndsAndShortSectionsPadWithBlanks) {
  std::string raw;
  for (int i = 0; i < kMapCells; ++i) raw.push_back(static_cast<char>((i * 7) % 256));
  const struct { std::string bytes, cells; } cases[] = {
      {"NOTES\n[ZONE MAP]\n" + kCells, kCells}, {"NOTES\r[ZONE MAP]\r" + kCells, kCells},
      {"[OTHER]\r\n  [ zone Map ]  \r\n" + kCells, kCells},
      {"[ZONE MAP]\n" + kCells + "\n[ZONE MAP]\n" + std::string(768, 'Z'), kCells},
      {std::string(10000, '\x01') + "\0\xFF\n[ZONE MAP]\n"s + kCells, kCells},
      {"[ZONE MAP]\r\n" + raw + "tail", raw},  // CR, LF, NUL and high bytes are cells
      {"[ZONE MAP]\r\nAB\r\n", "AB\r\n"},
      {"notes\r\n[ZONE MAP]", ""},  // header on the last line
      {"[ZONE MAP]\r", ""}};
  for (const auto& c : cases) {
    ZoneMap map = ZoneMap::FromText(std::string(kMapCells, 'Q'));
    EXPECT_TRUE(ParseMapBytes(c.bytes, map)) << c.bytes.substr(0, 20);
    EXPECT_EQ(map, ZoneMap::FromText(c.cells)) << c.bytes.substr(0, 20);
  }
}

TEST(MapSection, OtherTextIsNotAMap) {
  for (const std::string& bytes :
       {"[ZONE MAPS]\r\n" + kCells, "[ZONE MAP\r\n" + kCells,
        "x[ZONE MAP]\r\n" + kCells, "[ZONE MAP]" + std::string(5000, ' ') + "x]\n" + kCells,
        "["s, ""s}) {
    ZoneMap map = ZoneMap::FourQuadrants();
    EXPECT_FALSE(ParseMapBytes(bytes, map)) << bytes.substr(0, 20);
    EXPECT_EQ(map, ZoneMap::FourQuadrants());
  }
}

}  // namespace
}  // namespace tlx
