// The zone editor: loading and saving maps, undo, and the bytes that send a changed map to the unit.
#include "zonemap/MapCommands.h"

#include "support/TestSupport.h"
#include "zonemap/GoldenFiles.h"
#include "zonemap/MapFile.h"
#include "zonemap/MapOverlay.h"
#include "zonemap/ZoneUndo.h"

#include <gtest/gtest.h>

namespace tlx {
namespace {

using namespace std::string_literals;

using test::Golden;
using test::TempDir;

TEST(LoadMapTest, MapSetsCurrentAndGridOnlyNoMapIsReportedMissingFileIsNot) {
  TempDir dir;
  test::WriteBytes(dir.File("NOTES.TXT"), "NOTES\r\nZONE MAP\r\n" + std::string(768, 'A'));
  ZoneMaps maps;
  maps.grid.Set(3, 4, 'k');
  const ZoneMaps before = maps;
  ScriptedAnswers answers;
  EXPECT_FALSE(LoadMap(dir.File("MISSING.MAP"), maps, answers));
  EXPECT_FALSE(LoadMap(dir.File("NOTES.TXT"), maps, answers));
  ASSERT_EQ(answers.Messages().size(), 1u);  // only the one that is not a map is reported
  const MessageRequest& shown = answers.Messages()[0];
  EXPECT_EQ(shown.caption + "|" + shown.text,
            "Not a zone map file|The file selected is\r\nnot a valid zone map.");
  EXPECT_EQ(shown.icon, MsgIcon::Exclamation);
  EXPECT_TRUE(maps.current == before.current && maps.grid == before.grid);
}

TEST(MapPanelCommands, LoadAndSaveAskForTheRightFiles) {
  TempDir dir;
  ZoneMaps maps;
  ScriptedAnswers answers;
  answers.QueueFile(Golden("notes_section.txt"));
  answers.QueueFile(dir.File("zones.txt"));
  ASSERT_TRUE(LoadMapCommand("/setup", maps, answers));
  EXPECT_EQ(maps.grid.At(0, 0), '1');
  // Loading sets the current map and the grid; the unit gets it with the next edit.
  EXPECT_TRUE(maps.current == maps.grid && maps.lastSent == ZoneMaps().lastSent);
  ASSERT_TRUE(SaveMapCommand(dir.Path(), maps, answers));
  EXPECT_EQ(test::ReadBytes(dir.File("zones.MAP")), MapFileBytes(maps.grid));
  const FileDialogRequest& load = answers.FileRequests().at(0);
  const FileDialogRequest& save = answers.FileRequests().at(1);
  EXPECT_EQ(load.title + "|" + load.extension + "|" + load.initialDirectory,
            "Load Zone File|MAP;*.DAT|/setup");
  EXPECT_EQ(save.title + "|" + save.extension, "Save Zone File|MAP");
  EXPECT_TRUE(load.forOpening && !save.forOpening && !save.forceExtension);

  answers.QueueFile(dir.File("NO_DIR/Z"));
  EXPECT_FALSE(SaveMapCommand(dir.Path(), maps, answers));
  EXPECT_FALSE(LoadMapCommand("/setup", maps, answers));  // cancelled
  EXPECT_TRUE(answers.Messages().empty());
}

// The entry state is the floor of the undo stack; every undo steps back one edit.
TEST(ZoneUndo, StepsBackOneEditAtATimeAndNeverBelowTheEntryState) {
  ZoneUndoStack stack;
  const ZoneMap entry = ZoneMap::FourQuadrants();
  stack.Reset(entry);
  EXPECT_FALSE(stack.CanUndo() || stack.Undo().has_value());

  ZoneMap first = entry;
  first.Set(0, 0, 'x');
  stack.Push(first);
  stack.Push(ZoneMap());
  EXPECT_EQ(stack.Undo(), first);
  EXPECT_EQ(stack.Undo(), entry);
  EXPECT_FALSE(stack.Undo().has_value());
  EXPECT_EQ(stack.Count(), 1u);

  // A new entry forgets everything pushed before.
  stack.Push(first);
  stack.Reset(ZoneMap());
  EXPECT_FALSE(stack.CanUndo());
}

TEST(MapSpanTest, CoversFirstToLastDifferingCell) {
  const ZoneMap sent = ZoneMap::FourQuadrants();
  EXPECT_EQ(MapSpanCommandBytes(sent, ChangedSpan(sent, sent)), "");

  ZoneMap grid = sent;
  grid.Set(1, 0, 'x');  // position 33: column 0, row 1
  grid.Set(1, 5, 'y');
  // The grid's cells of the span, unchanged ones included, then 00 and End overlay drawing.
  EXPECT_EQ(MapSpanCommandBytes(grid, ChangedSpan(grid, sent)), " 0&\x00\x01xAAAAy\x00 0'"s);
  grid = ZoneMap();
  grid.Set(0, 31, 'Q');
  EXPECT_EQ(MapSpanOverlayText(grid, ChangedSpan(grid, ZoneMap())), "\x1F\x00Q"s);
}

TEST(MapSpanTest, NonZoneCellsAreBlanksAndInvalidSpansSendNothing) {
  ZoneMap grid;
  for (int column = 0; column < 4; ++column) grid.Set(0, column, "\0\x1B\xC8\x7F"[column]);
  EXPECT_EQ(MapSpanOverlay(grid, MapSpan{0, 3}).text, "   \x7F");
  const std::string bytes = MapSpanCommandBytes(grid, MapSpan{0, 3});
  EXPECT_EQ(bytes.find('\0', 5), bytes.size() - 4);  // no 00 before the terminator

  EXPECT_EQ(WholeMapCommandBytes(ZoneMap::FourQuadrants()),
            " 0\" 0&\x00\x00"s + ZoneMap::FourQuadrants().Text() + "\x00 0'"s);
  for (const MapSpan span : {MapSpan{5, 4}, MapSpan{0, 768}, MapSpan{-2, 3}}) {
    EXPECT_EQ(MapSpanCommandBytes(ZoneMap(), span), "");
  }
}

}  // namespace
}  // namespace tlx
