// The zone map editor and the data panel inside the real main window: reached through the menus,
// with the menu entries they enable, undo through the Edit menu, the map saved on leaving, and the
// unit's overlay following the editor.
#include "GuiDriver.h"
#include "app/data/OpenDataPanel.h"
#include "app/data/PanelHookup.h"
#include "app/zone/VidGrid.h"
#include "app/zone/ZonePanel.h"
#include "PanelRig.h"
#include "zonemap/MapFile.h"

#include <QAction>
#include <QMouseEvent>
#include <QPushButton>
#include <QStackedWidget>
#include <QTimer>

using namespace tlx;
using namespace tlx::gui;
using namespace tlx::gui::test;

class ZoneDataMenusTest : public QObject {
  Q_OBJECT

  std::unique_ptr<WindowRig> rig;
  DataZonePanels* panels = nullptr;

  MainWindow& W() { return *rig->window; }
  QAction* Menu(const char* name) { return W().Menu(QLatin1String(name)); }
  // The page shown, without the scroll area it sits in.
  QString Shown() { return W().findChild<QStackedWidget*>()->currentWidget()->objectName().remove("Scroll"); }
  std::string Row(int row) { return rig->sim->Unit().OverlayRow(row); }

  void RightClick(VidGrid* grid, int row, int column) {
    const QPoint at = grid->CellRect(row, column).center();
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
      const bool press = type == QEvent::MouseButtonPress;
      QMouseEvent event(type, QPointF(at), QPointF(grid->mapToGlobal(at)), Qt::RightButton,
                        press ? Qt::RightButton : Qt::NoButton, Qt::NoModifier);
      QApplication::sendEvent(grid, &event);
    }
  }

 private slots:
  void initTestCase() {
    rig = std::make_unique<WindowRig>();
    panels = &rig->Panels();
  }
  void cleanupTestCase() { rig.reset(); }

  void zoneMapModeThroughTheMenuWithUndoAndSavingOnLeave() {
    Menu("mnuSetupMap")->trigger();
    QCOMPARE(W().Mode(), int(kModeZone));
    QCOMPARE(Shown(), QString("fraSetupZone"));
    QVERIFY(Menu("mnuLoad")->isEnabled() && Menu("mnuSave")->isEnabled());
    QVERIFY(Menu("mnuPrint")->isVisible() && Menu("mnuPrint")->isEnabled());
    QVERIFY(!Menu("mnuUndo")->isEnabled());
    const std::string top = std::string(16, 'A') + std::string(16, 'B');
    QVERIFY(WindowRig::WaitFor([&] { return Row(0) == top; }, 5000));

    RightClick(panels->Zone()->Grid(), 0, 0);
    QVERIFY(Menu("mnuUndo")->isEnabled());
    QVERIFY(WindowRig::WaitFor([&] { return Row(0)[0] == ' '; }, 5000));
    Menu("mnuUndo")->trigger();
    QCOMPARE(panels->Zone()->Grid()->GridZones().At(0, 0), 'A');
    QVERIFY(!Menu("mnuUndo")->isEnabled());
    QVERIFY(WindowRig::WaitFor([&] { return Row(0) == top; }, 5000));

    // Choosing the panel again leaves it (saving the map) and enters it anew; the change no map
    // file holds is left unsaved.
    RightClick(panels->Zone()->Grid(), 23, 31);
    rig->answerer.Queue(QMessageBox::No);
    Menu("mnuSetupMap")->trigger();
    QCOMPARE(W().Mode(), int(kModeZone));
    QCOMPARE(rig->P().currentMap.At(23, 31), ' ');
    ZoneMap saved;
    QVERIFY(ReadMapFile(rig->File("DEFAULT.MAP").toStdString(), saved));
    QVERIFY(saved == rig->P().currentMap);
    QVERIFY(!Menu("mnuUndo")->isEnabled());

    W().EnterHome();
    QVERIFY(WindowRig::WaitFor([&] { return rig->sim->Unit().Overlay().IsBlank(); }, 5000));
  }

  // The colour window's OK hands the table to the zone grid and redraws it; Cancel leaves the
  // grid's own colours alone; Default puts the default table back and keeps "a" apart from "A".
  void colourWindowOkReachesTheZoneGrid() {
    Program& p = rig->P();
    Menu("mnuSetupMap")->trigger();
    VidGrid* grid = panels->Zone()->Grid();
    const std::int32_t before = grid->Color('A');
    p.colours.entries['A'] = 0x00FF00;  // a colour chosen earlier with Select
    auto press = [](std::vector<const char*> buttons) {
      QTimer::singleShot(50, [buttons] {
        auto* w = QApplication::activeModalWidget();
        QVERIFY(w && w->objectName() == "frmColors");
        for (const char* button : buttons) w->findChild<QPushButton*>(button)->click();
      });
    };
    press({"cmdCancel"});
    Menu("mnuColors")->trigger();
    QCOMPARE(grid->Color('A'), before);
    press({"cmdOK"});
    Menu("mnuColors")->trigger();
    QCOMPARE(grid->Color('A'), std::int32_t(0x00FF00));
    QCOMPARE(grid->Color('B'), p.colours.Of('B'));
    p.colours.entries['a'] = 0x123456;
    press({"cmdDefault", "cmdOK"});
    Menu("mnuColors")->trigger();
    QCOMPARE(p.colours.entries['A'], 255);  // red
    QCOMPARE(p.colours.entries['a'], DefaultColourTable().entries['a']);
    QCOMPARE(grid->Color('A'), before);
    W().EnterHome();
  }

  void openingADataFileShowsTheDataPanelWithExportAndPrint() {
    tlx::test::TempDir dir;
    const std::string data = tlx::test::RecordRun(dir, "MOUSE", 20, 2, 5);
    QVERIFY(panels->Data()->OpenDataFileForAnalysis(data));
    QCOMPARE(W().Mode(), int(kModeOpenData));
    QCOMPARE(Shown(), QString("fraOpenData"));
    QVERIFY(Menu("mnuExport")->isEnabled());
    QVERIFY(Menu("mnuPrint")->isVisible() && Menu("mnuPrint")->isEnabled());
    QCOMPARE(W().windowTitle(), QString("Tracelux-One 3.20 : MOUSE.DAT"));
    auto* caption = panels->Data()->findChild<QLabel*>("fraOpenDataCaption");
    QVERIFY(caption && caption->isVisible());
    QCOMPARE(caption->text(), QString("Open Data File"));

    panels->Data()->findChild<QPushButton*>("cmdExitData")->click();
    QCOMPARE(W().Mode(), int(kModeHome));
    QVERIFY(!Menu("mnuExport")->isEnabled());
    QCOMPARE(W().windowTitle(), QString("Tracelux-One 3.20"));
  }
};

TLX_GUI_TEST(ZoneDataMenusTest)
#include "ZoneDataMenusTest.moc"
