// The program as main() builds it (zone editor and data panel included), started up over a
// program home holding its own files: what start-up loaded reaches every panel and is written
// back unchanged; the monitor stays quiet without a unit; the zone editor's picture is whole
// cells at the window's sizes.
#include "GuiDriver.h"

#include "app/data/PanelHookup.h"
#include "app/panels/ExperimentPanel.h"
#include "app/panels/LivePicture.h"
#include "app/panels/RunPanel.h"
#include "app/panels/SystemPanel.h"
#include "app/zone/VidGrid.h"
#include "app/zone/ZonePanel.h"
#include "zonemap/MapFile.h"

#include <QAction>
#include <QCheckBox>
#include <QFile>

using namespace tlx;
using namespace tlx::gui;
using namespace tlx::gui::test;

namespace {

// A map unlike the built-in quadrants: an empty band on the left, diagonals of many letters.
ZoneMap Pattern() {
  ZoneMap map;
  for (int r = 0; r < kMapRows; ++r)
    for (int c = 8; c < kMapColumns; ++c) map.Set(r, c, static_cast<char>('a' + (r + c) % 20));
  return map;
}

QByteArray FileBytes(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteText(const QTemporaryDir& home, const char* name, const char* text) {
  QFile file(home.filePath(QLatin1String(name)));
  QVERIFY(file.open(QIODevice::WriteOnly));
  file.write(text);
}

}  // namespace

class DesktopPanelsTest : public QObject {
  Q_OBJECT

 private slots:
  // Entering and leaving the editor, and the shutdown, keep the default map byte for byte; the
  // other panels show the loaded setup and settings, not the values they were built with.
  void whatStartUpLoadedReachesEveryPanelAndIsWrittenBackUnchanged() {
    const ZoneMap pattern = Pattern();
    WindowRig rig([&](const QTemporaryDir& home) {
      QVERIFY(WriteMapFile(DefaultMapPath(home.path().toStdString()), pattern));
      WriteText(home, "TLUXEXPT.EXP", "Session Length = 1200\r\nNumber of Sessions = 7\r\n");
      WriteText(home, "TRACELUX.SET", "Object Filter = Enabled\r\n");
    });
    MainWindow& w = *rig.window;
    const QString mapPath = rig.File("DEFAULT.MAP");
    const QByteArray before = FileBytes(mapPath);
    QCOMPARE(before.size(), 770);
    QVERIFY(rig.P().currentMap == pattern);

    w.Menu("mnuSetupMap")->trigger();
    QCOMPARE(w.Mode(), int(kModeZone));
    ZonePanel* zone = rig.desktop->Panels().Zone();
    QVERIFY(zone->Grid()->GridZones() == pattern);
    QVERIFY(WindowRig::WaitFor([&] { return rig.sim->Unit().OverlayRow(3) == pattern.Text().substr(3 * 32, 32); }, 5000));
    w.Menu("mnuSetupExpt")->trigger();  // leaving the editor writes the default map
    QCOMPARE(FileBytes(mapPath), before);
    QVERIFY(rig.P().currentMap == pattern);

    QCOMPARE(w.Experiment()->BoxValue(ScreenBox::SessLen), 1200.0);
    QCOMPARE(w.Experiment()->BoxValue(ScreenBox::NumSess), 7.0);
    w.Menu("mnuSetupSystem")->trigger();
    QVERIFY(w.System()->findChild<QCheckBox*>("chkObjectFilter")->isChecked());
    w.EnterHome();
    w.Shutdown();
    QCOMPARE(FileBytes(mapPath), before);
  }

  // Without a unit the Monitor command says "not responding" once, from its unit check, and
  // the monitor panel then stays quiet and empty.
  void monitorWithoutAUnitSaysItOnce() {
    WindowRig lone;
    lone.sim->Line().Unplug();
    lone.window->Menu("mnuReset")->trigger();
    QCOMPARE(lone.answerer.Count("Error"), 1);
    QVERIFY(!lone.P().commands.State().UnitResponding);
    lone.answerer.Clear();
    lone.window->Menu("mnuMonitor")->trigger();
    QCOMPARE(lone.window->Mode(), int(kModeMonitor));
    QCOMPARE(lone.answerer.Seen().size(), size_t(1));
    QVERIFY(lone.answerer.Seen().front().text.contains("not responding"));
    QTest::qWait(300);
    QCOMPARE(lone.answerer.Seen().size(), size_t(1));
    QVERIFY(!lone.window->MonitorPage()->Picture()->MarkerShown());
  }

  // At every window size the 32 x 24 cells are whole and inside the control, and the picture
  // leaves less than one cell free across or down.
  void zoneEditorCellsFitTheControlAtEveryWindowSize() {
    WindowRig rig;
    MainWindow& w = *rig.window;
    w.Menu("mnuSetupMap")->trigger();
    VidGrid* grid = rig.desktop->Panels().Zone()->Grid();
    for (const QSize size : {QSize(1270, 1000), QSize(960, 680), QSize(700, 500), QSize(1600, 700)}) {
      w.resize(size);
      QTest::qWait(50);
      const QRect picture = grid->PictureRect();
      const QString at = QStringLiteral("%1 x %2").arg(size.width()).arg(size.height());
      QVERIFY2(grid->rect().contains(picture), qPrintable(at));
      QCOMPARE(picture.width() * 3, picture.height() * 4);
      QVERIFY2(grid->width() - picture.width() < 32 || grid->height() - picture.height() < 24,
               qPrintable(at));
      QCOMPARE(grid->CellRect(0, 0).topLeft(), picture.topLeft());
      QCOMPARE(grid->CellRect(23, 31).bottomRight(), picture.bottomRight());
      QCOMPARE(grid->CellAt(grid->CellRect(23, 31).center()), QPoint(31, 23));
      QCOMPARE(grid->CellAt(QPoint(grid->width() - 1, grid->height() - 1)), QPoint(31, 23));
    }
  }
};

TLX_GUI_TEST(DesktopPanelsTest)
#include "DesktopPanelsTest.moc"
