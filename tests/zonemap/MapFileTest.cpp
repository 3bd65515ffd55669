#include "zonemap/MapFile.h"

#include "support/TestSupport.h"
#include "zonemap/GoldenFiles.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace tlx {
namespace {

using test::Golden;
using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

// The file format built independently of the writer: FC AA, then row after row of 32 cells.
std::string FormatBytes(char (*cellAt)(int row, int column)) {
  std::string bytes = "\xFC\xAA";
  for (int row = 0; row < 24; ++row)
    for (int column = 0; column < 32; ++column) bytes.push_back(cellAt(row, column));
  return bytes;
}

TEST(MapFileFormat, GoldenFilesMatchFormatWriterAndReader) {
  const std::string quadrants = ReadBytes(Golden("quadrants.map"));
  ASSERT_EQ(quadrants, FormatBytes([](int r, int c) { return "ABCD"[(r >= 12) * 2 + (c >= 16)]; }));
  EXPECT_EQ(MapFileBytes(ZoneMap::FourQuadrants()), quadrants);

  ZoneMap corners;
  ASSERT_TRUE(ReadMapFile(Golden("corners.map"), corners));
  EXPECT_EQ(corners.At(0, 0), '1');   // byte offset 2
  EXPECT_EQ(corners.At(0, 31), '2');  // position 32
  EXPECT_EQ(corners.At(1, 0), '3');   // position 33
  EXPECT_EQ(corners.At(23, 31), '4'); // byte offset 769
  EXPECT_EQ(corners.At(0, 1), ' ');

  TempDir dir;
  ASSERT_TRUE(WriteMapFile(dir.File("C.MAP"), corners));
  EXPECT_EQ(ReadBytes(dir.File("C.MAP")), ReadBytes(Golden("corners.map")));
}

TEST(MapFileFormat, EveryByteValueSurvivesARoundTrip) {
  ZoneMap map;
  for (int i = 0; i < kMapCells; ++i) map.cells[static_cast<size_t>(i)] = static_cast<char>(i % 256);
  TempDir dir;
  ASSERT_TRUE(WriteMapFile(dir.File("ALL.MAP"), map));
  ZoneMap back = ZoneMap::FourQuadrants();
  ASSERT_TRUE(ReadMapFile(dir.File("ALL.MAP"), back));
  EXPECT_EQ(back, map);
}

TEST(MapFileRead, ShortAndLongBinaryFiles) {
  TempDir dir;
  ZoneMap map;
  WriteBytes(dir.File("S.MAP"), "\xFC\xAA" "AB");
  ASSERT_TRUE(ReadMapFile(dir.File("S.MAP"), map));
  EXPECT_EQ(map.Text(), "AB" + std::string(766, ' '));

  WriteBytes(dir.File("T.MAP"), "\xFC\xAA");
  ASSERT_TRUE(ReadMapFile(dir.File("T.MAP"), map));
  EXPECT_EQ(map, ZoneMap());

  WriteBytes(dir.File("L.MAP"), MapFileBytes(ZoneMap::FourQuadrants()) + "trailing junk");
  ASSERT_TRUE(ReadMapFile(dir.File("L.MAP"), map));
  EXPECT_EQ(map, ZoneMap::FourQuadrants());
}

TEST(MapFileRead, NoMapLeavesTheMapUnchanged) {
  TempDir dir;
  WriteBytes(dir.File("EMPTY"), "");
  WriteBytes(dir.File("ONE"), "\xFC");
  WriteBytes(dir.File("FCAB"), "\xFC\xAB" + std::string(768, 'A'));
  ASSERT_EQ(::mkfifo(dir.File("FIFO").c_str(), 0600), 0);  // must not block the reader
  ZoneMap map = ZoneMap::FourQuadrants();
  for (const char* name : {"MISSING", "EMPTY", "ONE", "FCAB", "FIFO", ""}) {
    EXPECT_FALSE(ReadMapFile(dir.File(name), map)) << name;
  }
  EXPECT_EQ(map, ZoneMap::FourQuadrants());
}

TEST(MapFileWrite, ReplacesWholeFileOrFailsWithoutHarm) {
  TempDir dir;
  const std::string path = dir.File("OLD.MAP");
  WriteBytes(path, std::string(5000, 'x'));
  ASSERT_TRUE(WriteMapFile(path, ZoneMap::FourQuadrants()));
  EXPECT_EQ(ReadBytes(path).size(), 770u);

  ::chmod(path.c_str(), 0444);
  if (::access(path.c_str(), W_OK) != 0) {  // root may write anyway
    EXPECT_FALSE(WriteMapFile(path, ZoneMap()));
    EXPECT_EQ(ReadBytes(path), MapFileBytes(ZoneMap::FourQuadrants()));
  }
  EXPECT_FALSE(WriteMapFile(dir.File("NO_DIR/A.MAP"), ZoneMap()));
  EXPECT_FALSE(WriteMapFile(dir.Path(), ZoneMap()));
  EXPECT_EQ(DefaultMapPath("/home/u/tlx"), "/home/u/tlx/DEFAULT.MAP");
}

}  // namespace
}  // namespace tlx
