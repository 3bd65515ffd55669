// How the whole desktop takes files and measures: files dropped on the window through the real
// drag and drop events, and the calibration measuring screen over the simulated unit.
#include "GuiDriver.h"
#include "PanelRig.h"

#include "app/data/OpenDataPanel.h"
#include "app/dialogs/MeasuringScreen.h"
#include "app/panels/HomePanel.h"
#include "app/zone/VidGrid.h"
#include "app/zone/ZonePanel.h"
#include "zonemap/MapFile.h"

#include <QListWidget>
#include <QMimeData>

using namespace tlx;
using namespace tlx::gui;
using namespace tlx::gui::test;

namespace {

// Drags the files over the widget and drops them there, as the windowing system delivers a drop:
// the enter event first (it picks the widget that takes the drop), then the drop. False when the
// enter was refused.
bool DropOn(QWidget* target, const QStringList& paths) {
  QMimeData mime;
  QList<QUrl> urls;
  for (const QString& p : paths) urls << QUrl::fromLocalFile(p);
  mime.setUrls(urls);
  const QPoint at = target->rect().center();
  QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &enter);
  if (!enter.isAccepted()) return false;
  QDropEvent drop(QPointF(at), Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &drop);
  return drop.isAccepted();
}

// Text against what it is drawn on (the nearest background a widget fills, else the window's):
// a difference in lightness a reader sees at once.
bool Readable(const QLabel* label) {
  const QWidget* w = label;
  while (!w->isWindow() && !w->autoFillBackground()) w = w->parentWidget();
  const QColor text = label->palette().color(label->foregroundRole());
  return std::abs(text.lightness() - w->palette().color(w->backgroundRole()).lightness()) >= 110;
}

}  // namespace

class DesktopLookTest : public QObject {
  Q_OBJECT

 private slots:
  // A data file dropped anywhere on the window opens on the data panel, a map file in the zone
  // editor, a setup file on the experiment panel; two files at once are refused at the door, and
  // a file of no known kind is named as such.
  void droppedFilesOpenWhereTheyBelong() {
    WindowRig rig;
    MainWindow& w = *rig.window;
    tlx::test::TempDir dir;
    const QString data = QString::fromStdString(tlx::test::RecordRun(dir, "DROP", 7, 2, 5));
    const ZoneMap q = ZoneMap::FromText(std::string(kMapCells, 'Q'));
    QVERIFY(WriteMapFile(dir.File("Q.MAP"), q));
    tlx::test::WriteBytes(dir.File("SETUP.EXP"), tlx::test::SetupText(40, 3, 5));
    tlx::test::WriteBytes(dir.File("NOTES.TXT"), "not a recording\r\n");
    auto dropped = [&](const QStringList& files) { return DropOn(w.childAt(w.rect().center()), files); };
    QVERIFY(!dropped({data, data}));
    const std::pair<const char*, int> kinds[] = {{"DROP.DAT", kModeOpenData}, {"Q.MAP", kModeZone}, {"SETUP.EXP", kModeExpt}};
    for (const auto& kind : kinds) {
      const char* file = kind.first;
      const int mode = kind.second;
      QVERIFY(dropped({QString::fromStdString(dir.File(file))}));
      QVERIFY2(WindowRig::WaitFor([&] { return w.Mode() == mode; }, 5000), file);
    }
    QCOMPARE(rig.Panels().Data()->Open().Info.Path, dir.File("DROP.DAT"));
    QVERIFY(rig.Panels().Zone()->Grid()->GridZones() == q);
    QCOMPARE(rig.P().parameters.SessionLength, 40);
    QCOMPARE(rig.P().parameters.NumberOfSessions, 3);
    QVERIFY(dropped({QString::fromStdString(dir.File("NOTES.TXT"))}));
    QVERIFY(WindowRig::WaitFor([&] { return w.StatusText().contains("is not a data, map or setup file"); }, 5000));
    QCOMPARE(w.Mode(), int(kModeExpt));
    // The home page lists the recording opened by the drop, by its whole path, and the unit.
    w.EnterHome();
    QCOMPARE(w.Home()->Recordings()->item(0)->toolTip(), data);
    QVERIFY(w.Home()->UnitLabel()->text().contains("simulated, ready on COM1"));
  }

  // Under a dark palette every text of every page (status and warning texts included, shown or
  // not) stands out from what it is drawn on.
  void everyTextReadsUnderADarkPalette() {
    const QPalette before = QApplication::palette();
    QApplication::setPalette(QPalette(QColor(45, 45, 48)));  // light text on dark grey
    {
      WindowRig rig;
      for (QLabel* label : rig.window->findChildren<QLabel*>()) {
        label->ensurePolished();
        QVERIFY2(Readable(label), qPrintable(label->objectName() + ": " + label->text()));
      }
    }
    QApplication::setPalette(before);
  }

  // Calibrate Scale's Setup over the simulated unit: the zone map stands in for the camera's
  // picture (the help says so), the cross hairs run across the screen at the mouse in a colour
  // that shows on it, and ESC leaves the calibration as it was.
  void calibrationWithTheSimulatedUnitShowsAPictureAndCrossHairs() {
    WindowRig rig;
    rig.Menu("mnuSetupExpt")->trigger();
    const float scale = rig.P().parameters.CalibrateScale;
    QImage shot;
    QString help;
    QPoint at;
    QTimer::singleShot(300, [&] {
      MeasuringScreen* screen = nullptr;
      for (QWidget* top : QApplication::topLevelWidgets())
        if (auto* m = qobject_cast<MeasuringScreen*>(top); m && m->isVisible()) screen = m;
      if (!screen) return;
      at = QPoint(screen->width() / 3, screen->height() / 10);
      QCursor::setPos(screen->mapToGlobal(at));
      screen->Step();
      shot = screen->grab().toImage();
      help = screen->HelpText();
      QTest::keyClick(screen, Qt::Key_Escape);
    });
    QTimer::singleShot(5000, [] {  // a screen the look above missed is closed: the wait is bounded
      for (QWidget* top : QApplication::topLevelWidgets())
        if (qobject_cast<MeasuringScreen*>(top)) top->close();
    });
    rig.window->findChild<QPushButton*>("cmdSetupCalScale")->click();
    QVERIFY(!shot.isNull());
    const double ratio = shot.devicePixelRatio();
    auto crossHair = [](QColor c) { return c.red() > 200 && c.green() > 180 && c.blue() < 80; };
    for (QPoint p : {QPoint(2, at.y() * ratio), QPoint(shot.width() - 3, at.y() * ratio), QPoint(at.x() * ratio, shot.height() - 2)})
      QVERIFY(crossHair(shot.pixelColor(p)));
    const QColor corner = shot.pixelColor(4, shot.height() - 4);  // the map's lower left zone
    QVERIFY2(corner.value() > 40 && !crossHair(corner), qPrintable(corner.name()));
    QVERIFY(help.contains("simulated unit has no camera"));
    QCOMPARE(rig.P().parameters.CalibrateScale, scale);
  }
};

TLX_GUI_TEST(DesktopLookTest)
#include "DesktopLookTest.moc"
