#include "zonemap/MapCommands.h"

#include "support/TestSupport.h"
#include "zonemap/GoldenFiles.h"
#include "zonemap/MapFile.h"

#include <gtest/gtest.h>

namespace tlx {
namespace {

using test::Golden;
using test::TempDir;

ZoneMaps EditedMaps() {
  ZoneMaps maps;
  maps.grid.Set(3, 4, 'k');
  maps.lastSent.Set(0, 0, 'S');
  return maps;
}

TEST(LoadMapTest, MapFileSetsCurrentAndGridOnly) {
  ZoneMaps maps = EditedMaps();
  ScriptedAnswers answers;
  ASSERT_TRUE(LoadMap(Golden("corners.map"), maps, answers));
  EXPECT_EQ(maps.current.At(23, 31), '4');
  EXPECT_EQ(maps.grid, maps.current);
  EXPECT_EQ(maps.lastSent, EditedMaps().lastSent);
  EXPECT_TRUE(answers.Messages().empty());
}

TEST(LoadMapTest, FileWithoutMapIsReportedMissingFileIsNot) {
  TempDir dir;
  test::WriteBytes(dir.File("NOTES.TXT"), "NOTES\r\nZONE MAP\r\n" + std::string(768, 'A'));
  ZoneMaps maps = EditedMaps();
  ScriptedAnswers answers;
  EXPECT_FALSE(LoadMap(dir.File("MISSING.MAP"), maps, answers));
  EXPECT_TRUE(answers.Messages().empty());
  EXPECT_FALSE(LoadMap(dir.File("NOTES.TXT"), maps, answers));
  ASSERT_EQ(answers.Messages().size(), 1u);
  EXPECT_EQ(answers.Messages()[0].caption, "Not a zone map file");
  EXPECT_EQ(answers.Messages()[0].text, "The file selected is\r\nnot a valid zone map.");
  EXPECT_EQ(answers.Messages()[0].icon, MsgIcon::Exclamation);
  EXPECT_EQ(maps.current, ZoneMap::FourQuadrants());
  EXPECT_EQ(maps.grid, EditedMaps().grid);
}

TEST(MapPanelCommands, LoadAsksForMapOrDataFileAndLoadsIt) {
  ZoneMaps maps;
  ScriptedAnswers answers;
  answers.QueueFile(Golden("notes_section.txt"));
  ASSERT_TRUE(LoadMapCommand("/setup", maps, answers));
  EXPECT_EQ(maps.grid.At(0, 0), '1');
  const FileDialogRequest& ask = answers.FileRequests().at(0);
  EXPECT_EQ(ask.title, "Load Zone File");
  EXPECT_EQ(ask.extension, "MAP;*.DAT");
  EXPECT_EQ(ask.initialDirectory, "/setup");
  EXPECT_TRUE(ask.forOpening && ask.askFlags && !ask.forceExtension);
  EXPECT_FALSE(LoadMapCommand("/setup", maps, answers));  // cancelled
  EXPECT_TRUE(answers.Messages().empty());
}

TEST(MapPanelCommands, SaveWritesTheGridUnderAMapName) {
  TempDir dir;
  ZoneMaps maps = EditedMaps();
  ScriptedAnswers answers;
  answers.QueueFile(dir.File("zones.txt"));
  ASSERT_TRUE(SaveMapCommand(dir.Path(), maps, answers));
  EXPECT_EQ(test::ReadBytes(dir.File("zones.MAP")), MapFileBytes(maps.grid));
  EXPECT_FALSE(test::PathExists(dir.File("zones.txt")));
  const FileDialogRequest& ask = answers.FileRequests().at(0);
  EXPECT_EQ(ask.title, "Save Zone File");
  EXPECT_EQ(ask.extension, "MAP");
  EXPECT_TRUE(!ask.forOpening && ask.askFlags && !ask.forceExtension);

  answers.QueueFile(dir.File("NO_DIR/Z"));
  EXPECT_FALSE(SaveMapCommand(dir.Path(), maps, answers));
  EXPECT_FALSE(SaveMapCommand(dir.Path(), maps, answers));  // cancelled
}

}  // namespace
}  // namespace tlx
