// The zone editor without widgets: the characters a zone may be, the map document with its history,
// loading and saving maps, and the overlay text that sends a changed map to the unit.
#include "zonemap/MapCommands.h"

#include "support/TestSupport.h"
#include "zonemap/MapFile.h"
#include "zonemap/MapOverlay.h"
#include "zonemap/ZoneCharacters.h"
#include "zonemap/ZoneMapDocument.h"

#include <gtest/gtest.h>

namespace tlx {
namespace {

using test::TempDir;

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

}  // namespace
}  // namespace tlx
