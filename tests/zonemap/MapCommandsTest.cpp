// The zone editor without widgets: the characters a zone may be, the map document with its history,
// loading and saving maps, and the overlay text that sends a changed map to the unit; and the map
// files: the binary format, text files holding a [ZONE MAP] section, and what is refused.
#include "zonemap/MapCommands.h"

#include "support/TestSupport.h"
#include "zonemap/GoldenFiles.h"
#include "zonemap/MapFile.h"
#include "zonemap/MapOverlay.h"
#include "zonemap/ZoneCharacters.h"
#include "zonemap/ZoneMapDocument.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace tlx {
namespace {

using namespace std::string_literals;
using test::Golden;
using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

// A stroke is one step however many cells it paints; undo and redo walk the steps, a new edit
// drops what was undone, and the overlay is sent only the cells that differ from what it holds.
TEST(ZoneMapDocumentTest, StepsUndoRedoAndTheSpanStillToSend) {
  ZoneMapDocument doc;
  ZoneMap entry = ZoneMap::FourQuadrants();
  entry.Set(7, 7, char(200));  // possible only from a file: the editor holds a blank there
  doc.Open(entry);
  EXPECT_EQ(doc.Map().At(7, 7), ' ');
  EXPECT_FALSE(doc.CanUndo() || doc.CanRedo() || doc.Modified() || doc.Undo() || doc.FinishStep());
  EXPECT_TRUE(doc.UnsentSpan().Empty());

  EXPECT_TRUE(doc.Set(1, 0, 'x'));
  EXPECT_TRUE(doc.Set(1, 5, 'y'));
  EXPECT_FALSE(doc.Set(1, 5, 'y') || doc.Set(24, 0, 'z') || doc.Set(0, 0, '\x05'));
  EXPECT_TRUE(doc.FinishStep());
  const ZoneMap stroke = doc.Map();
  EXPECT_TRUE(doc.Modified());
  const OverlayText unsent = MapSpanOverlay(doc.Map(), doc.UnsentSpan());
  EXPECT_EQ(std::to_string(unsent.column) + "," + std::to_string(unsent.row) + " " + unsent.text, "0,1 xAAAAy");
  doc.MarkSent();
  doc.Replace(ZoneMap());  // a clear: one more step
  doc.MarkOverlayCleared();
  EXPECT_TRUE(doc.UnsentSpan().Empty());

  EXPECT_TRUE(doc.Undo());
  EXPECT_EQ(doc.Map(), stroke);
  EXPECT_TRUE(doc.Undo());
  EXPECT_FALSE(doc.Undo() || doc.Modified());  // back at the entry state
  EXPECT_EQ(doc.UnsentSpan().first, 0);       // the overlay is blank since the clear
  EXPECT_TRUE(doc.Redo() && doc.CanRedo());
  EXPECT_EQ(doc.Map(), stroke);
  doc.Set(0, 0, 'n');  // a new step after an undo forgets what was undone
  doc.FinishStep();
  EXPECT_FALSE(doc.CanRedo() || doc.Redo());
  EXPECT_TRUE(doc.CanUndo());
  EXPECT_EQ(doc.Map().At(0, 0), 'n');
}

// Load and save go through the dialogs in the setup folder; a load is one undoable step, and only
// a file that exists but holds no map is reported.
TEST(MapPanelCommands, LoadIsAnUndoableStepAndSaveClearsTheUnsavedFlag) {
  TempDir dir;
  test::WriteBytes(dir.File("zones.txt"), "[ZONE MAP]\r\n" + std::string(768, '1'));
  test::WriteBytes(dir.File("NOTES.TXT"), "NOTES\r\nZONE MAP\r\n" + std::string(768, 'A'));
  ZoneMapDocument doc;
  doc.Open(ZoneMap::FourQuadrants());
  doc.Set(0, 0, 'k');
  doc.FinishStep();
  const ZoneMap drawing = doc.Map();
  ScriptedAnswers answers;
  for (const char* name : {"MISSING.MAP", "NOTES.TXT"}) answers.QueueFile(dir.File(name));
  EXPECT_FALSE(LoadMapCommand("/setup", doc, answers));
  EXPECT_FALSE(LoadMapCommand("/setup", doc, answers));
  ASSERT_EQ(answers.Messages().size(), 1u);
  const MessageRequest& shown = answers.Messages()[0];
  EXPECT_EQ(shown.caption + "|" + shown.text, "Not a zone map file|The file selected is\r\nnot a valid zone map.");

  answers.QueueFile(dir.File("zones.txt"));
  answers.QueueAnswer(MsgAnswer::No);  // keep the drawing no file holds
  EXPECT_FALSE(LoadMapCommand("/setup", doc, answers));
  EXPECT_EQ(doc.Map(), drawing);
  answers.QueueFile(dir.File("zones.txt"));
  answers.QueueAnswer(MsgAnswer::Yes);  // replace it
  ASSERT_TRUE(LoadMapCommand("/setup", doc, answers));
  EXPECT_EQ(doc.Map().At(0, 0), '1');
  EXPECT_FALSE(doc.Modified());
  EXPECT_TRUE(doc.Undo());
  EXPECT_EQ(doc.Map(), drawing);

  answers.QueueFile(dir.File("zones"));
  ASSERT_TRUE(SaveMapCommand(dir.Path(), doc, answers));
  EXPECT_EQ(test::ReadBytes(dir.File("zones.MAP")), MapFileBytes(drawing));
  EXPECT_FALSE(doc.Modified());
  const FileDialogRequest& load = answers.FileRequests().at(0);
  const FileDialogRequest& save = answers.FileRequests().back();
  EXPECT_EQ(load.title + "|" + load.extension + "|" + load.initialDirectory, "Load Zone File|MAP;*.DAT|/setup");
  EXPECT_EQ(save.title + "|" + save.extension, "Save Zone File|MAP");
  EXPECT_TRUE(load.forOpening && !save.forOpening && !save.forceExtension);
  answers.QueueFile(dir.File("NO_DIR/Z"));
  EXPECT_FALSE(SaveMapCommand(dir.Path(), doc, answers));
}

// Leaving with unsaved changes and answering Yes saves them; a save dialog cancelled stays.
TEST(MapPanelCommands, LeavingWithUnsavedChangesYesSaves) {
  TempDir dir;
  ZoneMapDocument doc;
  doc.Set(3, 3, 'Q');
  ScriptedAnswers answers;
  answers.SetFallback(MsgAnswer::Yes);
  EXPECT_FALSE(ConfirmLeaveZoneMap(dir.Path(), doc, answers));
  answers.QueueFile(dir.File("KEPT"));
  EXPECT_TRUE(ConfirmLeaveZoneMap(dir.Path(), doc, answers));
  EXPECT_EQ(test::ReadBytes(dir.File("KEPT.MAP")), MapFileBytes(doc.Map()));
  EXPECT_TRUE(ConfirmLeaveZoneMap(dir.Path(), doc, answers));
  EXPECT_EQ(answers.Messages().size(), 2u);  // nothing asked once saved
}

TEST(MapSpanTest, NonZoneCellsAreBlanksAndInvalidSpansSendNothing) {
  ZoneMap grid;
  for (int column = 0; column < 4; ++column) grid.Set(0, column, "\0\x1B\xC8\x7F"[column]);
  EXPECT_EQ(MapSpanOverlay(grid, MapSpan{0, 3}).text, "   \x7F");  // no 00 ends the text early
  for (const MapSpan span : {MapSpan{5, 4}, MapSpan{0, 768}, MapSpan{-2, 3}}) {
    EXPECT_EQ(MapSpanOverlay(ZoneMap(), span).text, "");
  }
}

TEST(ZoneCharacters, SeparatorsQuoteBlankAndControlCodesAreRefused) {
  for (const char c : {',', ';', '"', ' ', '\0', '\t', '\x80', '\xff'}) {
    EXPECT_FALSE(IsAllowedZoneCharacter(c)) << static_cast<int>(c);
  }
  for (const char c : {'!', 'A', 'z', '~', '\x7f', '0', '#', ':'}) {
    EXPECT_TRUE(IsAllowedZoneCharacter(c)) << static_cast<int>(c);
  }
}

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

// A text file's map follows its "[ZONE MAP]" line, whatever the line ends; a short section pads with
// blanks. Other text is not a map and leaves the map as it was.
TEST(MapSection, FoundAfterItsHeaderLineWhateverTheLineEndsAndOtherTextIsNotAMap) {
  const std::string kCells = ZoneMap::FourQuadrants().Text(), kept(kMapCells, 'Q');
  std::string raw;
  for (int i = 0; i < kMapCells; ++i) raw.push_back(static_cast<char>((i * 7) % 256));
  const struct { std::string bytes; bool ok; std::string cells; } cases[] = {
      {"NOTES\n[ZONE MAP]\n" + kCells, true, kCells}, {"NOTES\r[ZONE MAP]\r" + kCells, true, kCells},
      {"[OTHER]\r\n  [ zone Map ]  \r\n" + kCells, true, kCells},
      {"[ZONE MAP]\n" + kCells + "\n[ZONE MAP]\n" + std::string(768, 'Z'), true, kCells},
      {std::string(10000, '\x01') + "\0\xFF\n[ZONE MAP]\n"s + kCells, true, kCells},
      {"[ZONE MAP]\r\n" + raw + "tail", true, raw},  // CR, LF, NUL and high bytes are cells
      {"[ZONE MAP]\r\nAB\r\n", true, "AB\r\n"},
      {"notes\r\n[ZONE MAP]", true, ""},  // header on the last line
      {"[ZONE MAP]\r", true, ""},
      {"[ZONE MAPS]\r\n" + kCells, false, kept}, {"[ZONE MAP\r\n" + kCells, false, kept},
      {"x[ZONE MAP]\r\n" + kCells, false, kept}, {"[", false, kept}, {"", false, kept},
      {"[ZONE MAP]" + std::string(5000, ' ') + "x]\n" + kCells, false, kept}};
  for (const auto& c : cases) {
    ZoneMap map = ZoneMap::FromText(kept);
    EXPECT_EQ(ParseMapBytes(c.bytes, map), c.ok) << c.bytes.substr(0, 20);
    EXPECT_EQ(map, ZoneMap::FromText(c.cells)) << c.bytes.substr(0, 20);
  }
}

}  // namespace
}  // namespace tlx
