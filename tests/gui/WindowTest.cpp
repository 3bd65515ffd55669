// The desktop window as main() builds it: start-up, menus and panels, access keys, the window's
// place and size, recent files, the program home's lock and where F1 finds the manual.
#include "GuiDriver.h"
#include "common/HomeLock.h"
#include "app/AppStart.h"
#include "app/RecentFiles.h"
#include "app/WindowPlace.h"
#include "app/controls/QbxRangeBox.h"
#include "app/data/OpenDataPanel.h"
#include "app/panels/ExperimentPanel.h"
#include "setup/ParameterTable.h"
#include "app/panels/HomePanel.h"
#include "app/panels/LivePicture.h"
#include "app/panels/RunPanel.h"
#include "app/panels/SystemPanel.h"
#include "app/zone/VidGrid.h"
#include "app/zone/ZonePanel.h"
#include "data/DataFileBuilder.h"
#include "zonemap/MapFile.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QGroupBox>
#include <QMenuBar>
#include <QProcess>
#include <QRegularExpression>
#include <QScrollArea>
#include <QStackedWidget>
#include <map>
#include <unistd.h>

using namespace tlx;
using namespace tlx::gui;
using namespace tlx::gui::test;

namespace {

QByteArray FileBytes(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteText(const QString& path, const QByteArray& text) {
  QFile file(path);
  QVERIFY(QDir().mkpath(QFileInfo(path).path()) && file.open(QIODevice::WriteOnly));
  file.write(text);
}

// The captions whose access key ("E&xit": X) an earlier caption of the list has already.
QStringList Clashes(const QStringList& captions) {
  std::map<QChar, QString> owners;
  QStringList clashes;
  for (const QString& caption : captions) {
    const QString bare = QString(caption).replace("&&", "");
    const int at = bare.indexOf('&');
    if (at < 0 || at + 1 >= bare.size()) continue;
    auto [it, added] = owners.emplace(bare.at(at + 1).toUpper(), caption);
    if (!added) clashes << it->second + " / " + caption;
  }
  return clashes;
}

// A small recording: one session of 60 samples at one per second.
QString WriteRecording(const QString& path) {
  WriteText(path, QByteArray::fromStdString(tlx::test::DataFileBuilder{}.Repeat(40, 40, 30).Repeat(200, 150, 30).Bytes()));
  return path;
}

// The visible recent entries of the File menu, in menu order, by their texts.
QStringList Entries(const WindowRig& w) {
  QStringList texts;
  for (QAction* a : w.Menu("mnuFile")->menu()->actions())
    if (a->objectName().startsWith("mnuRecent") && a->isVisible()) texts << a->text();
  return texts;
}

}  // namespace

// The main window: start-up in an empty program home, the menu bar, every mode switch with its
// leaving checks, the experiment panel's transfer and the keyboard.
class MainWindowTest : public QObject {
  Q_OBJECT

 public slots:
  void OpenUrl(const QUrl& url) { opened.append(url); }

 private:
  std::unique_ptr<WindowRig> rig;
  QList<QUrl> opened;
  MainWindow& W() { return *rig->window; }
  DialogAnswerer& A() { return rig->answerer; }
  // The page shown (each sits in a scroll area of the window's stack).
  QWidget* Shown() {
    QWidget* current = W().findChild<QStackedWidget*>()->currentWidget();
    auto* area = qobject_cast<QScrollArea*>(current);
    return area && area->widget() ? area->widget() : current;
  }
  void Trigger(const char* name) { W().Menu(QLatin1String(name))->trigger(); }

 private slots:
  void init() { rig = std::make_unique<WindowRig>(); }
  void cleanup() { rig.reset(); }

  // What is set up survives a crash: the setup file is written when the panel is left. A value
  // out of range gives the box back the value it held, not a limit.
  void experimentSetupSavedOnLeavingAndARangeErrorKeepsTheValue() {
    Trigger("mnuSetupExpt");
    QLineEdit* sessions = W().Experiment()->Box(ScreenBox::NumSess)->TextBox();
    for (const char* typed : {"7", "0"}) {
      sessions->selectAll();
      QTest::keyClicks(sessions, typed);
      QTest::keyClick(sessions, Qt::Key_Return);
    }
    QCOMPARE(A().Count("Range Error"), 1);
    QCOMPARE(sessions->text(), QString("7"));
    W().Experiment()->HomeButton()->click();
    QVERIFY(FileBytes(rig->File("TLUXEXPT.EXP")).contains("Number of Sessions = 7\r\n"));

    // A setup of its own file, changed: leaving asks whether that file takes the changes.
    QVERIFY(QFile::copy(rig->File("TLUXEXPT.EXP"), rig->File("RAT.EXP")));
    Trigger("mnuSetupExpt");
    A().QueueFile(rig->File("RAT.EXP"));
    Trigger("mnuLoad");
    sessions->selectAll();
    QTest::keyClicks(sessions, "9");
    A().Queue(QMessageBox::Yes);
    W().Experiment()->HomeButton()->click();
    QCOMPARE(A().Count("Save Setup Changes"), 1);
    QVERIFY(FileBytes(rig->File("RAT.EXP")).contains("Number of Sessions = 9\r\n"));
  }

  // Start-up in an empty home brings the simulated unit up without a question; each mode switch
  // shows its panel and menus.
  void eachModeSwitchShowsItsPanelAndMenus() {
    QCOMPARE(Shown()->objectName(), QString("fraTitle"));
    QVERIFY(rig->P().commands.State().UnitResponding);
    Trigger("mnuSetupExpt");
    QCOMPARE(Shown()->objectName(), QString("fraSetupExpt"));
    QVERIFY(W().Menu("mnuLoad")->isEnabled() && W().Menu("mnuSave")->isEnabled());
    Trigger("mnuSetupSystem");
    QCOMPARE(Shown()->objectName(), QString("fraSetupSystem"));
    QVERIFY(!W().Menu("mnuLoad")->isEnabled() && !W().Menu("mnuSave")->isEnabled());
    Trigger("mnuMonitor");
    QCOMPARE(Shown()->objectName(), QString("fraMonitor"));
    QVERIFY(rig->P().link.State().StreamOn);
    QVERIFY(WindowRig::WaitFor([&] { return W().MonitorPage()->Picture()->MarkerShown(); }, 3000));
    Trigger("mnuReset");  // leaves the monitor: the stream stops
    QCOMPARE(W().Mode(), int(kModeHome));
    QVERIFY(!rig->P().link.State().StreamOn);
    QVERIFY(rig->P().commands.State().UnitResponding);
    W().Experiment()->HomeButton()->click();  // a hidden panel's button still goes home
    QCOMPARE(W().Mode(), int(kModeHome));
    QCOMPARE(A().Seen().size(), size_t(0));
  }

  // Without a unit the Monitor command says "not responding" once, from its unit check, and
  // the monitor panel then stays quiet and empty.
  void monitorWithoutAUnitSaysItOnce() {
    rig->sim->Line().Unplug();
    Trigger("mnuReset");
    QCOMPARE(A().Count("Error"), 1);
    QVERIFY(!rig->P().commands.State().UnitResponding);
    A().Clear();
    Trigger("mnuMonitor");
    QCOMPARE(W().Mode(), int(kModeMonitor));
    QCOMPARE(A().Seen().size(), size_t(1));
    QVERIFY(A().Seen().front().text.contains("not responding"));
    QTest::qWait(300);
    QCOMPARE(A().Seen().size(), size_t(1));
    QVERIFY(!W().MonitorPage()->Picture()->MarkerShown());
  }

  // The experiment panel shows the record; calibration values typed and not yet taken are read
  // as the box reads numbers; a zero or negative scale stops a save and the run, but not a move
  // to another panel.
  void experimentPanelShowsTheRecordAndChecksTypedCalibration() {
    Program& p = rig->P();
    p.parameters.SessionLength = 600;
    p.parameters.MeasurementUnits = 6;
    p.parameters.SampleRate = 30;
    Trigger("mnuSetupExpt");
    ExperimentPanel* e = W().Experiment();
    QCOMPARE(e->Box(ScreenBox::SessLen)->Text(), QString("00:10:00"));
    QCOMPARE(e->UnitsList()->currentText(), QString("feet"));
    QCOMPARE(e->findChild<QLabel*>("lblCalibUnits")->text(), QString("feet"));
    QCOMPARE(e->RatesList()->currentText(), QString("30"));
    QLineEdit* scale = e->Box(ScreenBox::CalibScale)->TextBox();
    scale->setText("0");
    Trigger("mnuSave");
    QCOMPARE(A().Count("Invalid Value"), 1);
    QCOMPARE(e->Box(ScreenBox::CalibScale)->Value(), 1.0);
    QCOMPARE(p.parameters.CalibrateScale, 1.0f);
    QVERIFY(!QApplication::activeModalWidget());  // no file dialog followed
    scale->setText("-2");
    Trigger("mnuRunExpt");  // the run needs valid values: the user stays on the panel
    QCOMPARE(W().Mode(), int(kModeExpt));
    scale->setText("0");
    Trigger("mnuSetupSystem");  // any other panel: the message, but no block
    QCOMPARE(W().Mode(), int(kModeSystem));
    QCOMPARE(A().Count("Invalid Value"), 3);
    Trigger("mnuSetupExpt");
    scale->setText("2,5");
    e->Box(ScreenBox::CalibRef)->TextBox()->setText("240/2");
    Trigger("mnuSetupSystem");
    QCOMPARE(p.parameters.CalibrateScale, 2.5f);
    QCOMPARE(p.parameters.CalibrateReference, 120.0f);
    QCOMPARE(A().Count("Invalid Value"), 3);
    W().EnterHome();
  }

  // Each box of the experiment panel takes the run's values of its parameter, as `setup new` and
  // the setup reader do: its limits are accepted, a value past either is refused.
  void experimentPanelBoxesTakeTheRunsLimits() {
    Trigger("mnuSetupExpt");
    ExperimentPanel* e = W().Experiment();
    const std::pair<ScreenBox, Parameter> boxes[] = {
        {ScreenBox::SessLen, Parameter::SessionLength}, {ScreenBox::NumSess, Parameter::NumberOfSessions},
        {ScreenBox::InitDelay, Parameter::InitialDelay}, {ScreenBox::MaxDist, Parameter::MaximumDistance},
        {ScreenBox::AmbulThresh, Parameter::AmbulatoryThreshold},
        {ScreenBox::StereoThresh, Parameter::StereotypicThreshold}, {ScreenBox::CalibScale, Parameter::CalibrateScale}};
    for (const auto& [box, parameter] : boxes) {
      const ValueRange& run = SpecOf(parameter).Run;
      const double past = run.Whole ? 1 : 0.5;
      for (const auto& [value, accepted] : {std::pair{run.Min, true}, std::pair{run.Max, true},
                                            std::pair{run.Min - past, false}, std::pair{run.Max + past, false}}) {
        // A duration box reads the magnitude of what is typed ("-1" is one second), so no
        // typed duration lies below zero.
        if (SpecOf(parameter).Duration && value < 0) continue;
        e->Box(box)->TextBox()->setText(QString::number(value, 'g', 12));  // typed, as the user would
        QVERIFY2(e->Box(box)->CheckRange(false) == accepted,
                 qPrintable(QStringLiteral("%1 %2").arg(SpecOf(parameter).Name).arg(value)));
        QCOMPARE(RunValueProblem(parameter, value).empty(), accepted);
      }
    }
    W().EnterHome();
  }

  // The "Confirm Setting Change" question: not asked when the setting is back as it was; Cancel
  // keeps the panel with its live view on, No asks again next time (what Yes does:
  // VideoSettingsTest).
  void systemPanelInvertQuestionAndTheLiveView() {
    Program& p = rig->P();
    p.commands.ResetAndInitialize(p.settings.ComPort);
    Trigger("mnuSetupSystem");
    QPushButton* invert = W().findChild<QPushButton*>("cmdInvertVideo");
    invert->click();
    invert->click();
    Trigger("mnuSetupExpt");
    QCOMPARE(A().Count("Confirm Setting Change"), 0);

    Trigger("mnuSetupSystem");
    W().findChild<QPushButton*>("cmdViewLive")->click();
    QPointer<QDialog> live = W().findChild<QDialog*>("frmLiveVideo");
    QVERIFY(live && live->isVisible());
    invert->click();
    A().Queue(QMessageBox::Cancel);
    Trigger("mnuSetupExpt");
    QCOMPARE(W().Mode(), int(kModeSystem));
    QCOMPARE(A().Seen().back().buttons, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    QVERIFY(live && live->isVisible());
    QVERIFY(p.commands.State().LiveVideoOn);
    A().Queue(QMessageBox::No);
    W().System()->HomeButton()->click();
    QCOMPARE(W().Mode(), int(kModeHome));
    QVERIFY(!live || !live->isVisible());
    QVERIFY(!p.commands.State().LiveVideoOn);
    QVERIFY(p.commands.State().InvertChanged);
    Trigger("mnuSetupSystem");
    W().EnterHome();
    QCOMPARE(A().Count("Confirm Setting Change"), 3);
  }

  // A message box has the request's caption, lines, icon and buttons, and its text is plain
  // text: a name that looks like markup is shown as it is.
  void messageBoxesFollowTheRequestAndAreNeverMarkup() {
    const MessageRequest m{"Confirm Overwrite Existing Data", "The file \"<b>1.DAT\" has already\r\nbeen used",
                           MsgIcon::Exclamation, MsgButtons::YesNoCancel};
    A().Queue(QMessageBox::No);
    QCOMPARE(W().Answers().ShowMessage(m), MsgAnswer::No);
    const SeenBox& box = A().Seen().back();
    QCOMPARE(box.caption, QString("Confirm Overwrite Existing Data"));
    QCOMPARE(box.text, QString("The file \"<b>1.DAT\" has already\nbeen used"));
    QCOMPARE(box.format, Qt::PlainText);
    QCOMPARE(box.icon, QMessageBox::Warning);
    QCOMPARE(box.buttons, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    // The labels that show file names and the program's texts are plain text too.
    W().RunPage()->ShowLabels(RunLabels{"00:00:00 ", " 1 of 1 ", "Idle ", "0 ", "00:00:00 ",
                                        "00:00:05 ", "<i>A.DAT"});
    for (const char* name : {"lblOutFile", "lblExptStat", "lblMessage", "lblFilenameL"}) {
      auto* label = W().findChild<QLabel*>(QLatin1String(name));
      QVERIFY2(label && label->textFormat() == Qt::PlainText, name);
    }
    QCOMPARE(W().RunPage()->findChild<QLabel*>("lblOutFile")->text(), QString("<i>A.DAT"));
  }

  void f1FindsTheManualAndTheWindowHasAMinimumSize() {
    W().EnterHome();
    // F1 and Help > Manual open the manual, and say so, naming the file, when it is missing or
    // no program can show it (the offscreen platform has no opener).
    const QString manual = rig->File("manual/index.html");
    QDesktopServices::setUrlHandler("file", this, "OpenUrl");
    QTest::keyClick(W().Home(), Qt::Key_F1);
    QCOMPARE(A().Count("Manual Not Found"), 1);
    QVERIFY(A().Seen().back().text.contains(manual + " does not exist"));
    WriteText(manual, {});
    QTest::keyClick(W().Home(), Qt::Key_F1);
    Trigger("mnuManual");
    QDesktopServices::unsetUrlHandler("file");
    QCOMPARE(opened.size(), 2);
    QCOMPARE(opened[0].toLocalFile(), manual);
    Trigger("mnuManual");
    QCOMPARE(A().Count("Cannot Open Manual"), 1);
    QVERIFY(A().Seen().back().text.contains(manual));
    // A window manager that ignores the size hints (here: none are passed on) makes the window
    // smaller than its minimum: it snaps back.
    W().windowHandle()->setMinimumSize(QSize(1, 1));
    W().windowHandle()->resize(300, 200);
    QVERIFY(WindowRig::WaitFor([&] { return W().width() >= 700 && W().height() >= 500; }, 2000));
  }

  // A serial adapter plugged in after the window was built is offered when the port dialog
  // opens, and found when its port is opened (the numbers given out: PortsTest).
  void portDialogOffersAnAdapterPluggedInLater() {
    QTemporaryDir root;
    const std::string sys = root.filePath("sys").toStdString(), dev = root.filePath("dev").toStdString();
    auto plug = [&](const std::string& name) {
      QVERIFY(QDir().mkpath(QString::fromStdString(sys + "/" + name + "/device")));
      WriteText(QString::fromStdString(dev + "/" + name), {});
    };
    W().SetDeviceLister([sys, dev] { return ListSerialDevices(sys, dev); });
    // The ports the dialog offers; `choose` is taken, or nothing when empty.
    auto offered = [&](const QString& choose) {
      QStringList ports;
      QTimer::singleShot(50, [&] {
        auto* d = QApplication::activeModalWidget();
        QVERIFY(d && d->objectName() == "frmPickCom");
        auto* list = d->findChild<QComboBox*>("cboComPort");
        for (int i = 0; i < list->count(); ++i) ports << list->itemText(i);
        if (!choose.isEmpty()) list->setCurrentIndex(list->findText(choose));
        d->findChild<QPushButton*>(choose.isEmpty() ? "cmdCancel" : "cmdOK")->click();
      });
      Trigger("mnuSetupCom");
      return ports;
    };
    const QString usb0 = QString::fromStdString("COM2  " + dev + "/ttyUSB0");
    QCOMPARE(offered({}), QStringList{"COM1  (simulated unit)"});
    plug("ttyUSB0");
    QCOMPARE(offered(usb0), (QStringList{usb0, "COM1  (simulated unit)"}));
    QCOMPARE(rig->P().settings.ComPort, std::int16_t(2));
    plug("ttyACM0");
    QCOMPARE(W().DeviceForPort(3), dev + "/ttyACM0");  // opening the port looks again too
  }

  // Within each menu the items' keys differ; on each panel its controls' keys differ from one
  // another and from the menu bar's (Alt+R must reach the Run menu from every panel).
  void noTwoAccessKeysReachableAtOnceAreTheSame() {
    QStringList bar;
    for (QAction* top : W().menuBar()->actions()) {
      bar << top->text();
      QStringList items;
      for (QAction* a : top->menu()->actions())
        if (a->isVisible() && !a->isSeparator()) items << a->text();
      QVERIFY2(Clashes(items).isEmpty(), qPrintable(top->text() + ": " + Clashes(items).join(", ")));
    }
    QVERIFY2(Clashes(bar).isEmpty(), qPrintable(Clashes(bar).join(", ")));
    auto* stack = W().findChild<QStackedWidget*>();
    for (int i = 0; i < stack->count(); ++i) {
      QWidget* page = stack->widget(i);
      QStringList keyed = bar;
      for (QWidget* w : page->findChildren<QWidget*>()) {
        if (!w->isVisibleTo(page)) continue;
        if (auto* b = qobject_cast<QAbstractButton*>(w)) keyed << b->text();
        if (auto* l = qobject_cast<QLabel*>(w); l && l->buddy()) keyed << l->text();
        if (auto* g = qobject_cast<QGroupBox*>(w)) keyed << g->title();
      }
      QVERIFY2(Clashes(keyed).isEmpty(), qPrintable(page->objectName() + ": " + Clashes(keyed).join(", ")));
    }
  }

  // Last: the window closes without a question when no run is busy, through the program's
  // shutdown (which writes the settings files: ProgramTest).
  void exitClosesThroughTheShutdown() {
    rig->P().settings.DrawTrace = true;
    Trigger("mnuExit");
    QVERIFY(W().ShutdownDone() && !W().isVisible());
    QCOMPARE(A().Seen().size(), size_t(0));
    QVERIFY(FileBytes(rig->File("TRACELUX.INI")).contains("Draw Trace = Enabled"));
  }
};

TLX_GUI_TEST(MainWindowTest)

// The desktop over a program home of its own: what start-up loaded reaches every panel and is
// written back unchanged, a home another program holds, the window's place, the recent files
// and where F1 finds the manual.
class DesktopHomeTest : public QObject {
  Q_OBJECT

  QTemporaryDir files;
  QString F(const QString& name) const { return files.filePath(name); }

 private slots:
  // Entering and leaving the editor, and the shutdown, keep the default map byte for byte; the
  // other panels show the loaded setup and settings, not the values they were built with.
  void whatStartUpLoadedReachesEveryPanelAndIsWrittenBackUnchanged() {
    ZoneMap pattern;  // unlike the built-in quadrants: an empty band on the left, diagonals of many letters
    for (int r = 0; r < kMapRows; ++r)
      for (int c = 8; c < kMapColumns; ++c) pattern.Set(r, c, static_cast<char>('a' + (r + c) % 20));
    WindowRig rig([&](const QTemporaryDir& home) {
      QVERIFY(WriteMapFile(DefaultMapPath(home.path().toStdString()), pattern));
      WriteText(home.filePath("TLUXEXPT.EXP"), "Session Length = 1200\r\nNumber of Sessions = 7\r\n");
      WriteText(home.filePath("TRACELUX.SET"), "Object Filter = Enabled\r\n");
    });
    MainWindow& w = *rig.window;
    const QString mapPath = rig.File("DEFAULT.MAP");
    const QByteArray before = FileBytes(mapPath);
    QVERIFY(rig.P().currentMap == pattern);

    w.Menu("mnuSetupMap")->trigger();
    QCOMPARE(w.Mode(), int(kModeZone));
    QVERIFY(rig.Panels().Zone()->Grid()->GridZones() == pattern);
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

  // A home another program holds: the user is told who holds it, and nothing in the home is
  // read or written.
  void aHeldHomeIsRefusedWithAMessageAndLeftAsItWas() {
    QTemporaryDir dir;
    const std::string home = dir.path().toStdString();
    HomeLock running, second;  // the program already on this home, and the second start
    QCOMPARE(running.Acquire(home), HomeLock::Result::Locked);
    DialogAnswerer answerer;
    QVERIFY(!ClaimProgramHome(home, second));
    QCOMPARE(answerer.Count("Program Home In Use"), 1);
    const SeenBox& box = answerer.Seen().back();
    QCOMPARE(box.icon, QMessageBox::Critical);
    QVERIFY2(box.text.contains(QString("is already in use by process %1").arg(::getpid())), qPrintable(box.text));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::NoDotAndDotDot), QStringList{kHomeLockName});
  }

  // Where a saved place lands on the screen there is now: saved, screen, placed.
  void placeOnScreen() {
    const QRect hd(0, 0, 1920, 1080);
    const QRect cases[][3] = {
        {QRect(100, 50, 800, 600), hd, QRect(100, 50, 800, 600)},       // inside
        {hd, hd, hd},                                                   // exactly the screen
        {QRect(1500, 900, 800, 600), hd, QRect(1120, 480, 800, 600)},   // past the right and bottom
        {QRect(-300, -40, 800, 600), hd, QRect(0, 0, 800, 600)},        // above and left
        {QRect(10, 10, 2500, 1400), hd, hd},                            // larger than the screen
        {QRect(10, 10, 300, 200), hd, QRect(10, 10, 700, 500)},         // below the minimum
        // a place on a second screen to the right, now shown on that screen's area only
        {QRect(3000, 100, 800, 600), QRect(1920, 0, 1280, 1024), QRect(2400, 100, 800, 600)},
        // a screen smaller than the minimum: the minimum wins, from the screen's top-left corner
        {QRect(50, 50, 900, 700), QRect(0, 30, 640, 450), QRect(0, 30, 700, 500)}};
    for (const auto& c : cases) QCOMPARE(PlaceOnScreen(c[0], c[1], QSize(700, 500)), c[2]);

    // The whole frame goes on the screen: the title bar above the contents included; at a scale
    // of 1.5 the last logical pixel (half off the screen) is not covered.
    const QMargins frame(4, 32, 4, 4);
    QCOMPARE(PlaceContents(QRect(100, -20, 800, 600), frame, hd, QSize(700, 500)), QRect(100, 32, 800, 600));
    QCOMPARE(PlaceContents(hd, frame, hd, QSize(700, 500)), QRect(4, 32, 1912, 1044));
    const QRect scaled(0, 0, 1280, 720);  // 1920 x 1080 at 1.5
    QCOMPARE(UsableArea(scaled, 1.5), QRect(0, 0, 1279, 719));
    QCOMPARE(UsableArea(hd, 2.0), hd);
    QCOMPARE(PlaceContents(QRect(480, 100, 800, 600), {}, UsableArea(scaled, 1.5), QSize(700, 500)),
             QRect(479, 100, 800, 600));
  }

  // A place saved with its title bar off the screen (at another scale) comes back with the
  // frame it was saved with on the screen.
  void aPlaceSavedOffTheScreenComesBackWithItsTitleBarOnIt() {
    QTemporaryDir home;
    WriteText(home.filePath("WINDOW.INI"), "[Window]\nLeft=-10\nTop=-20\nWidth=800\nHeight=560\nFrame=4 32 4 4\n");
    WindowRig w({}, 4.0, home.path());
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    QCOMPARE(w.window->geometry().topLeft(), available.topLeft() + QPoint(4, 32));
  }

  // The window comes back where and how large it was when the program ended, and a maximized
  // window comes back maximized; saved values that cannot be used leave the window's own size.
  void thePlaceSurvivesARestart() {
    QTemporaryDir home;
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    const QRect place(available.x() + 20, available.y() + 30, 720, 510);
    {
      WindowRig w({}, 4.0, home.path());
      w.window->setGeometry(place);
      QTest::qWait(20);
    }
    {
      WindowRig w({}, 4.0, home.path());
      QCOMPARE(w.window->geometry(), place);
      w.window->showMaximized();
      QVERIFY(WindowRig::WaitFor([&] { return w.window->isMaximized(); }, 2000));
    }
    {
      WindowRig w({}, 4.0, home.path());
      QVERIFY(w.window->isMaximized());
      QCOMPARE(w.window->normalGeometry(), place);
    }
    for (const char* saved : {"Left=x\nTop=10\nWidth=800\nHeight=600", "Left=10\nTop=10\nWidth=0\nHeight=600"}) {
      QTemporaryDir other;
      WriteText(other.filePath("WINDOW.INI"), QByteArray("[Window]\n") + saved + "\n");
      WindowRig w({}, 4.0, other.path());
      // The window's own size, within the screen and room for the frame.
      QCOMPARE(w.window->size(), QSize(960, 680).boundedTo(available.size() - QSize(16, 48)));
    }
  }

  // Newest first, each file once however its path was spelt, at most six, kept in the home; a
  // hand-edited file loses its gaps and repeats, and nothing beyond six is read.
  void theRecentListKeepsOrderWithoutDuplicatesUpToSixAndIsStored() {
    QTemporaryDir home;
    {
      RecentFiles list(home.path().toStdString());
      for (int i = 1; i <= 7; ++i) list.Add(F(QString("R%1.DAT").arg(i)));
      list.Add(files.path() + "/./sub/../R5.DAT");
      QCOMPARE(list.Files(), QStringList({F("R5.DAT"), F("R7.DAT"), F("R6.DAT"), F("R4.DAT"), F("R3.DAT"), F("R2.DAT")}));
      list.Remove(F("R4.DAT"));
    }
    QCOMPARE(RecentFiles(home.path().toStdString()).Files(),
             QStringList({F("R5.DAT"), F("R7.DAT"), F("R6.DAT"), F("R3.DAT"), F("R2.DAT")}));
    WriteText(home.filePath("RECENT.INI"),
              "[RecentFiles]\nFile1=/d/A.DAT\nFile2=\nFile3=/d/A.DAT\nFile4=/d/B.DAT\nFile7=/d/C.DAT\n");
    QCOMPARE(RecentFiles(home.path().toStdString()).Files(), QStringList({"/d/A.DAT", "/d/B.DAT"}));
  }

  // Files opened on the data panel are listed after a restart, newest first, each once (a file
  // that could not be opened is not); choosing an entry opens that file. A file that is gone is
  // not opened: its entry goes only when the user says so, and stays gone at the next start. The
  // list belongs to its program home.
  void recentFilesOpenAfterARestartAndAMissingOneIsOfferedForRemoval() {
    QTemporaryDir home;
    const QString a = WriteRecording(F("A.DAT")), b = WriteRecording(F("B&C.DAT"));
    WriteText(F("BAD.DAT"), "not a recording");
    {
      WindowRig w({}, 4.0, home.path());
      QVERIFY(Entries(w).isEmpty());
      OpenDataPanel* data = w.Panels().Data();
      for (const QString& file : {a, b, a}) QVERIFY(data->OpenDataFileForAnalysis(file.toStdString()));
      QVERIFY(!data->OpenDataFileForAnalysis(F("BAD.DAT").toStdString()));
    }
    {
      WindowRig w({}, 4.0, home.path());
      QCOMPARE(Entries(w), QStringList({"&1 A.DAT", "&2 B&&C.DAT"}));
      w.Menu("mnuRecent2")->trigger();
      QCOMPARE(w.window->Mode(), int(kModeOpenData));
      QCOMPARE(QString::fromStdString(w.Panels().Data()->Open().Info.Path), b);
      QCOMPARE(Entries(w), QStringList({"&1 B&&C.DAT", "&2 A.DAT"}));
      w.window->EnterHome();
      QVERIFY(QFile::remove(a));
      w.answerer.Queue(QMessageBox::No);
      w.Menu("mnuRecent2")->trigger();
      QCOMPARE(w.answerer.Count("Recent Files"), 1);
      QVERIFY(w.answerer.Seen().back().text.contains(a));
      QCOMPARE(w.window->Mode(), int(kModeHome));
      QCOMPARE(Entries(w), QStringList({"&1 B&&C.DAT", "&2 A.DAT"}));
      w.answerer.Queue(QMessageBox::Yes);
      w.Menu("mnuRecent2")->trigger();
      QCOMPARE(Entries(w), QStringList({"&1 B&&C.DAT"}));
    }
    QCOMPARE(Entries(WindowRig({}, 4.0, home.path())), QStringList({"&1 B&&C.DAT"}));
    // Another program home (a second unit on this computer) keeps a list of its own.
    QTemporaryDir other;
    QVERIFY(Entries(WindowRig({}, 4.0, other.path())).isEmpty());
  }

  // F1 looks for the installed pages first, then the pages rendered in a build tree above the
  // executable, then the Markdown sources of a source tree, and a fixed path otherwise.
  void theManualIsFoundInstalledThenBuiltThenInTheSources() {
    struct Case {
      QStringList files;
      QString executableDir, expected;  // relative to the temporary root, or absolute
    };
    const Case cases[] = {
        {{"usr/share/tracelux/manual/index.html", "usr/docs/manual/index.html"}, "usr/bin",
         "usr/share/tracelux/manual/index.html"},
        {{"docs/manual/index.md", "build/docs/manual/index.html"}, "build/src/app", "build/docs/manual/index.html"},
        {{"docs/manual/index.md"}, "build/src/app", "docs/manual/index.md"},
        {{}, "build/src/app", "/usr/share/tracelux/manual/index.html"}};
    for (const Case& c : cases) {
      QTemporaryDir dir;
      const QDir root(dir.path());
      QVERIFY(root.mkpath(c.executableDir));
      for (const QString& file : c.files) WriteText(root.filePath(file), {});
      QCOMPARE(QString::fromStdString(FindManual(root.filePath(c.executableDir))),
               QDir::isAbsolutePath(c.expected) ? c.expected : root.filePath(c.expected));
    }
  }

  // The desktop program's man page (its Markdown source) names every option the program accepts
  // and no other; the help is there without any display to open (a terminal logged in from
  // elsewhere), and a bad command line ends with 2 before a display is looked for.
  void theManPageNamesEveryOptionOfTheDesktopProgram() {
    const QString page = QString::fromUtf8(FileBytes(TLX_DOCS_DIR "/man/tracelux.1.md"));
    QVERIFY(!page.isEmpty());
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) env.remove(name);
    program.setProcessEnvironment(env);
    const auto run = [&](const QStringList& arguments) {
      program.start(TLX_APP_PATH, arguments);
      return program.waitForFinished(30000) && program.exitStatus() == QProcess::NormalExit;
    };
    QVERIFY(run({"--help"}));
    QCOMPARE(program.exitCode(), 0);
    const QString help = QString::fromUtf8(program.readAllStandardOutput());
    QVERIFY2(help.startsWith("Usage: tracelux [options]"), qPrintable(help));
    QVERIFY2(help.contains("Full documentation: man tracelux\n"), qPrintable(help));
    QStringList inHelp, inPage;
    const QRegularExpression option("^  (?:-h, )?(--[a-z-]+)", QRegularExpression::MultilineOption);
    for (auto it = option.globalMatch(help); it.hasNext();) inHelp << it.next().captured(1);
    const QString options = page.section("# OPTIONS", 1).section("\n# ", 0, 0);
    const QRegularExpression term("^\\*\\*(?:-h\\*\\*, \\*\\*)?\\\\(--[a-z-]+)\\*\\*",
                                  QRegularExpression::MultilineOption);
    for (auto it = term.globalMatch(options); it.hasNext();) inPage << it.next().captured(1);
    inHelp.sort();
    inPage.sort();
    QCOMPARE(inPage, inHelp);
    QVERIFY2(inHelp.size() >= 6, qPrintable(help));
    for (const QStringList& bad : {QStringList{"--bogus"}, QStringList{"--port"}, QStringList{"stray"},
                                   QStringList{"--help-all"}}) {
      QVERIFY(run(bad));
      QCOMPARE(program.exitCode(), 2);
      QVERIFY2(program.readAllStandardError().startsWith("tracelux: "), qPrintable(bad.join(' ')));
    }
    QVERIFY(run({"--version"}));
    QVERIFY(program.readAllStandardOutput().startsWith("tracelux 3."));
  }
};

TLX_GUI_TEST(DesktopHomeTest)

#include "WindowTest.moc"
