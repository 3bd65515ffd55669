// The zone map editor, on its own over the program object and inside the window.
#include "GuiDriver.h"
#include "PanelRig.h"
#include "app/dialogs/SetupWindows.h"
#include "app/zone/VidGrid.h"
#include "app/zone/ZonePanel.h"
#include "zonemap/MapFile.h"

#include <QListWidget>
#include <QSignalSpy>
#include <QToolButton>

using namespace tlx;
using namespace tlx::gui;
using namespace std::string_literals;
using namespace tlx::gui::test;

// The zone map editor driven with the mouse and the keyboard, checked by the bytes the simulated
// unit received and by what its overlay shows; and, in the whole window, load, undo and redo and
// the questions about a map no file holds.
namespace {

// A mouse event at the centre of a cell given as (column, row).
void Mouse(VidGrid* grid, QEvent::Type type, QPoint cell, Qt::MouseButton button, Qt::MouseButtons held) {
  const QPoint p = grid->CellRect(cell.y(), cell.x()).center();
  QMouseEvent event(type, QPointF(p), QPointF(grid->mapToGlobal(p)), button, held, Qt::NoModifier);
  QApplication::sendEvent(grid, &event);
}

// A stroke through the cells, pressed at the first and, unless held, released at the last.
void Stroke(VidGrid* grid, const std::vector<QPoint>& cells, Qt::MouseButton button = Qt::LeftButton,
            bool hold = false) {
  Mouse(grid, QEvent::MouseButtonPress, cells.front(), button, button);
  for (const QPoint& c : cells) Mouse(grid, QEvent::MouseMove, c, Qt::NoButton, button);
  if (!hold) Mouse(grid, QEvent::MouseButtonRelease, cells.back(), button, Qt::NoButton);
}

std::string TextBytes(int column, int row, const std::string& text) {
  return " 0&"s + char(column) + char(row) + text + '\0' + " 0'";
}

}  // namespace

class ZoneEditorTest : public QObject {
  Q_OBJECT

  std::unique_ptr<tlx::test::TempDir> dir_;
  std::unique_ptr<tlx::test::PanelRig> rig_;
  std::unique_ptr<ZonePanel> panel_;

  VidGrid* Grid() { return panel_->Grid(); }
  const std::string& Sent() { return rig_->serial.Sent(); }
  void TypeZone(const QString& text) {
    panel_->ZoneCharBox()->setFocus();
    QTest::keyClicks(panel_->ZoneCharBox(), text);
  }

 private slots:
  void init() {
    dir_ = std::make_unique<tlx::test::TempDir>();
    rig_ = std::make_unique<tlx::test::PanelRig>(dir_->Path());
    panel_ = std::make_unique<ZonePanel>(rig_->program);
    Grid()->setFixedSize(320, 240);  // 10 x 10 pixels per cell
    panel_->show();
    panel_->Enter();
    rig_->Deliver();
    rig_->serial.ClearSent();
  }
  void cleanup() { panel_.reset(); }  // before the program it works on, which the next init replaces

  // A click paints one cell and sends a span of one; a drag paints every cell passed and sends
  // one span when the button is released. Upper and lower case letters are different zones.
  void pointToolPaintsClicksAndDrags() {
    panel_->SetZoneTool(kToolPoint);
    TypeZone("b");
    Stroke(Grid(), {QPoint(5, 3)});
    QCOMPARE(Sent(), TextBytes(5, 3, "b"));
    rig_->serial.ClearSent();
    TypeZone("B");
    QSignalSpy finished(Grid(), &VidGrid::EditFinished);
    Stroke(Grid(), {QPoint(1, 2), QPoint(2, 2), QPoint(3, 2), QPoint(4, 2)}, Qt::LeftButton, true);
    QCOMPARE(Sent(), ""s);  // nothing goes out before the stroke ends
    Mouse(Grid(), QEvent::MouseButtonRelease, QPoint(4, 2), Qt::LeftButton, Qt::NoButton);
    QCOMPARE(finished.count(), 1);
    QCOMPARE(Sent(), TextBytes(1, 2, "BBBB"));
    rig_->Deliver();
    QCOMPARE(rig_->unit.Overlay().Cell(5, 3), 'b');
    QCOMPARE(rig_->unit.Overlay().Cell(4, 2), 'B');
  }

  // Entering sent the program's map (the four quadrants, no default map file) and chose the
  // rectangle and zone "A".
  void rectangleFillsTheSameCellsDraggedEitherWay() {
    QVERIFY(rig_->program.zoneEditor.UnsentSpan().Empty());
    QCOMPARE(panel_->ZoneCharBox()->text(), QString("A"));
    QCOMPARE(panel_->ZoneToolInUse(), int(kToolRectangle));
    TypeZone("R");
    // From row 5, column 10 up and left to row 2, column 3.
    Stroke(Grid(), {QPoint(10, 5), QPoint(6, 3)}, Qt::LeftButton, true);
    QVERIFY(Grid()->RubberBandVisible());
    Mouse(Grid(), QEvent::MouseButtonRelease, QPoint(3, 2), Qt::LeftButton, Qt::NoButton);
    QVERIFY(!Grid()->RubberBandVisible());
    const ZoneMap upward = Grid()->GridZones();
    for (int r = 0; r < 24; ++r)
      for (int c = 0; c < 32; ++c) QCOMPARE(upward.At(r, c) == 'R', r >= 2 && r <= 5 && c >= 3 && c <= 10);
    rig_->Deliver();
    QCOMPARE(rig_->unit.OverlayRow(4), std::string(3, 'A') + std::string(8, 'R') + std::string(5, 'A') + std::string(16, 'B'));

    panel_->Undo();
    QVERIFY(Grid()->GridZones() == ZoneMap::FourQuadrants());
    Stroke(Grid(), {QPoint(3, 2), QPoint(10, 5)});  // the other way round
    QVERIFY(Grid()->GridZones() == upward);
  }

  void rightButtonAndEraserEraseAndClearIsUndone() {
    for (int tool : {kToolPoint, kToolRectangle}) {
      panel_->SetZoneTool(tool);
      Stroke(Grid(), {QPoint(tool, 0)}, Qt::RightButton);
      QCOMPARE(Grid()->GridZones().At(0, tool), ' ');
    }
    QCOMPARE(Grid()->CurrentZone(), 33);  // the right button did not change the zone painted
    panel_->SetZoneTool(kToolEraser);
    Stroke(Grid(), {QPoint(20, 20)});
    rig_->Deliver();
    QCOMPARE(rig_->unit.Overlay().Cell(20, 20), ' ');
    QCOMPARE(rig_->unit.Overlay().Cell(3, 0), 'A');
    // Clear blanks grid and overlay; undo brings the map back.
    const ZoneMap erased = Grid()->GridZones();
    rig_->serial.ClearSent();
    panel_->findChild<QToolButton*>("cmdErase")->click();
    QVERIFY(Grid()->GridZones() == ZoneMap());
    QCOMPARE(Sent(), " 0\" 0'"s);
    rig_->Deliver();
    QVERIFY(rig_->unit.Overlay().IsBlank());
    panel_->Undo();
    QVERIFY(Grid()->GridZones() == erased);
    rig_->Deliver();
    QCOMPARE(rig_->unit.OverlayRow(12), std::string(16, 'C') + std::string(16, 'D'));
  }

  void loadedMapShowsAtOnceAndReachesTheUnitWithTheNextEdit() {
    const ZoneMap q = ZoneMap::FromText(std::string(kMapCells, 'Q'));
    QVERIFY(WriteMapFile(dir_->File("Q.MAP"), q));
    rig_->answers.QueueFile(dir_->File("Q.MAP"));
    QVERIFY(panel_->LoadMapCommand());
    QVERIFY(Grid()->GridZones() == q);
    QVERIFY(Grid()->GridEnabled());
    QCOMPARE(Sent(), ""s);
    Stroke(Grid(), {QPoint(31, 23)}, Qt::RightButton);
    // The whole map differs from the overlay: one span from the first cell to the last.
    QCOMPARE(Sent(), TextBytes(0, 0, std::string(767, 'Q') + " "));
  }

  // In the whole window: Load over a drawing no file holds asks first; the load is undone with
  // Ctrl+Z and redone with Ctrl+Shift+Z; leaving or closing with unsaved changes asks, Cancel
  // stays, and closing keeps the map drawn as the default map.
  void loadUndoRedoAndTheUnsavedQuestionsInTheWindow() {
    WindowRig rig;
    MainWindow& w = *rig.window;
    const ZoneMap q = ZoneMap::FromText(std::string(kMapCells, 'Q'));
    QVERIFY(WriteMapFile(rig.File("Q.MAP").toStdString(), q));
    w.Menu("mnuSetupMap")->trigger();
    VidGrid* grid = rig.Panels().Zone()->Grid();
    Stroke(grid, {QPoint(0, 0)}, Qt::RightButton);
    const ZoneMap drawing = grid->GridZones();
    QCOMPARE(drawing.At(0, 0), ' ');

    // Yes replaces the drawing.
    rig.answerer.QueueFile(rig.File("Q.MAP"));
    rig.answerer.Queue(QMessageBox::Yes);
    w.Menu("mnuLoad")->trigger();
    QVERIFY(grid->GridZones() == q);
    QCOMPARE(rig.answerer.Count("Zone Map Not Saved"), 1);
    QCOMPARE(rig.answerer.Seen().back().buttons, QMessageBox::Yes | QMessageBox::No);

    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    grid->setFocus();
    QTest::keyClick(grid, Qt::Key_Z, Qt::ControlModifier);
    QVERIFY(grid->GridZones() == drawing);
    QVERIFY(w.Menu("mnuUndo")->isEnabled() && w.Menu("mnuRedo")->isEnabled());
    QTest::keyClick(grid, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QVERIFY(grid->GridZones() == q);
    QVERIFY(!w.Menu("mnuRedo")->isEnabled());
    QVERIFY(WindowRig::WaitFor([&] { return rig.sim->Unit().OverlayRow(1) == std::string(32, 'Q'); }, 5000));

    Stroke(grid, {QPoint(5, 5)}, Qt::RightButton);  // a change no file holds (No to a load: MapCommandsTest)
    rig.answerer.Clear();
    rig.answerer.Queue(QMessageBox::Cancel);
    w.Menu("mnuSetupExpt")->trigger();
    QCOMPARE(w.Mode(), int(kModeZone));
    rig.answerer.Queue(QMessageBox::Cancel);
    QVERIFY(!w.close());
    QCOMPARE(rig.answerer.Count("Zone Map Not Saved"), 2);
    QCOMPARE(rig.answerer.Seen().back().buttons, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    rig.answerer.Queue(QMessageBox::No);
    QVERIFY(w.close());
    ZoneMap kept;
    QVERIFY(ReadMapFile(rig.File("DEFAULT.MAP").toStdString(), kept));
    QCOMPARE(kept.At(5, 5), ' ');
    QCOMPARE(kept.At(0, 0), 'Q');
  }

  // The colour window offers the blank and every character a zone can be ("#" and "~" as well as
  // letters), and a colour chosen for one reaches the table as the colour word.
  void colourWindowOffersEveryZoneCharacter() {
    ColourTable table = DefaultColourTable();
    ColorsWindow window(table, {});
    QCOMPARE(window.Letters()->count(), 1 + 95 - 3);
    QCOMPARE(window.Letters()->findItems(QStringLiteral(","), Qt::MatchExactly).size(), 0);
    const QList<QListWidgetItem*> hash = window.Letters()->findItems(QStringLiteral("#"), Qt::MatchExactly);
    QCOMPARE(hash.size(), 1);
    window.Letters()->setCurrentItem(hash.front());
    QCOMPARE(window.SelectedCode(), int('#'));
    window.SetChooser([](const QColor&) { return std::optional<QColor>(QColor(10, 20, 30)); });
    window.SelectClicked();
    QCOMPARE(table.Of('#'), 10 | 20 << 8 | 30 << 16);
    QCOMPARE(window.Swatch()->palette().color(QPalette::Window), QColor(10, 20, 30));
  }
};

TLX_GUI_TEST(ZoneEditorTest)


#include "ZoneTest.moc"
