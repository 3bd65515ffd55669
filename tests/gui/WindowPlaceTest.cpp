// The main window's size and place: where a saved place lands on the screen there is now, and the
// place surviving a restart in the same program home.
#include "GuiDriver.h"
#include "app/WindowPlace.h"

#include <QScreen>
#include <QSettings>

using namespace tlx;
using namespace tlx::gui;
using namespace tlx::gui::test;

class WindowPlaceTest : public QObject {
  Q_OBJECT

  static QRect Available() { return QGuiApplication::primaryScreen()->availableGeometry(); }

  static void WritePlace(const QString& home, const QVariantList& values) {
    QSettings s(home + "/WINDOW.INI", QSettings::IniFormat);
    const char* keys[] = {"Left", "Top", "Width", "Height", "Maximized"};
    for (int i = 0; i < values.size(); ++i) s.setValue(QString("Window/") + keys[i], values[i]);
  }

 private slots:
  void placeOnScreen_data() {
    QTest::addColumn<QRect>("saved");
    QTest::addColumn<QRect>("screen");
    QTest::addColumn<QRect>("placed");
    const QRect hd(0, 0, 1920, 1080);
    QTest::newRow("inside") << QRect(100, 50, 800, 600) << hd << QRect(100, 50, 800, 600);
    QTest::newRow("exactly the screen") << hd << hd << hd;
    QTest::newRow("past the right and bottom") << QRect(1500, 900, 800, 600) << hd
                                               << QRect(1120, 480, 800, 600);
    QTest::newRow("above and left") << QRect(-300, -40, 800, 600) << hd << QRect(0, 0, 800, 600);
    QTest::newRow("larger than the screen") << QRect(10, 10, 2500, 1400) << hd << hd;
    QTest::newRow("below the minimum") << QRect(10, 10, 300, 200) << hd << QRect(10, 10, 700, 500);
    // A saved place on a second screen to the right, now shown on that screen's area only.
    QTest::newRow("second screen") << QRect(3000, 100, 800, 600) << QRect(1920, 0, 1280, 1024)
                                   << QRect(2400, 100, 800, 600);
    // A screen smaller than the minimum: the minimum wins, from the screen's top-left corner.
    QTest::newRow("screen below the minimum") << QRect(50, 50, 900, 700) << QRect(0, 30, 640, 450)
                                              << QRect(0, 30, 700, 500);
  }
  void placeOnScreen() {
    QFETCH(QRect, saved);
    QFETCH(QRect, screen);
    QFETCH(QRect, placed);
    QCOMPARE(PlaceOnScreen(saved, screen, QSize(700, 500)), placed);
  }

  // The window comes back where and how large it was when the program ended, and a maximized
  // window comes back maximized.
  void thePlaceSurvivesARestart() {
    QTemporaryDir home;
    const QRect available = Available();
    const QRect place(available.x() + 20, available.y() + 30, 720, 510);
    {
      WindowRig w({}, 4.0, home.path());
      w.window->setGeometry(place);
      QTest::qWait(20);
      w.Close();
    }
    {
      WindowRig w({}, 4.0, home.path());
      QCOMPARE(w.window->geometry(), place);
      w.window->showMaximized();
      QVERIFY(WindowRig::WaitFor([&] { return w.window->isMaximized(); }, 2000));
      w.Close();
    }
    WindowRig w({}, 4.0, home.path());
    QVERIFY(w.window->isMaximized());
    QCOMPARE(w.window->normalGeometry(), place);
  }

  // Saved values that cannot be used leave the window's own size; a place beyond today's screen
  // is pulled onto it at no less than the minimum size.
  void unusableOrOffScreenPlaces() {
    const QRect available = Available();
    for (const QVariantList& values : {QVariantList{"x", 10, 800, 600}, QVariantList{10, 10, 0, 600}}) {
      QTemporaryDir home;
      WritePlace(home.path(), values);
      WindowRig w({}, 4.0, home.path());
      // The window's own size, within the screen and room for the frame.
      QCOMPARE(w.window->size(), QSize(960, 680).boundedTo(available.size() - QSize(16, 48)));
    }
    QTemporaryDir home;
    WritePlace(home.path(), {available.right() + 5000, available.bottom() + 5000, 100, 100, false});
    WindowRig w({}, 4.0, home.path());
    QCOMPARE(w.window->size(), QSize(700, 500));
    QVERIFY2(available.contains(w.window->geometry()),
             qPrintable(QString("%1,%2").arg(w.window->x()).arg(w.window->y())));
  }

  // Nothing is written or read outside the program home: with none, the window keeps its size.
  void noHomeNoFile() {
    QWidget window;
    window.resize(640, 480);
    SaveWindowPlace(window, "");
    QVERIFY(!RestoreWindowPlace(window, ""));
    QVERIFY(!QFile::exists("WINDOW.INI"));
  }
};

TLX_GUI_TEST(WindowPlaceTest)
#include "WindowPlaceTest.moc"
