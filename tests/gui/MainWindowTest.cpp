// The main window: start-up in an empty program home, the menu bar, every mode switch with its
// leaving checks, the experiment panel's transfer and the keyboard.
#include "GuiDriver.h"

#include "app/controls/QbxRangeBox.h"
#include "app/panels/ExperimentPanel.h"
#include "app/panels/HomePanel.h"
#include "app/panels/LivePicture.h"
#include "app/panels/RunPanel.h"
#include "app/panels/SystemPanel.h"
#include "buildinfo/BuildInfo.h"

#include <QAction>
#include <QComboBox>
#include <QCursor>
#include <QScreen>
#include <QDesktopServices>
#include <QDir>
#include <QListWidget>
#include <QUrl>
#include <QFile>
#include <QLineEdit>
#include <QScrollArea>
#include <QStackedWidget>
#include <QDialog>
#include <QPointer>
#include <QWindow>

#include <filesystem>

using namespace tlx;
using namespace tlx::gui;
using namespace tlx::gui::test;

class MainWindowTest : public QObject {
  Q_OBJECT

 public slots:
  void OpenUrl(const QUrl& url) { opened.append(url); }

 private:
  std::unique_ptr<WindowRig> rig;
  QList<QUrl> opened;
  MainWindow& W() { return *rig->window; }
  // The page shown (each sits in a scroll area of the window's stack).
  QWidget* Shown() {
    QWidget* current = W().findChild<QStackedWidget*>()->currentWidget();
    auto* area = qobject_cast<QScrollArea*>(current);
    return area && area->widget() ? area->widget() : current;
  }
  void Trigger(const char* name) { W().Menu(QLatin1String(name))->trigger(); }

 private slots:
  void initTestCase() { rig = std::make_unique<WindowRig>(); }
  void cleanupTestCase() { rig.reset(); }
  void init() { rig->answerer.Clear(); }

  void startUpWithAnEmptyHome() {
    QCOMPARE(Shown()->objectName(), QString("fraTitle"));
    QCOMPARE(W().Home()->TitleLabel(1)->text(), QString("Version 3.20"));
    QVERIFY(rig->P().commands.State().UnitResponding);  // the simulated unit was brought up
    QCOMPARE(rig->answerer.Seen().size(), size_t(0));
    QVERIFY(!W().Menu("mnuPrint")->isVisible());
    QVERIFY(!W().Menu("mnuProcessData")->isVisible());
    QVERIFY(W().Menu("mnuRunExpt")->isVisible() && W().Menu("mnuRun")->isEnabled());
  }

  void menuCaptionsAndAccessKeys() {
    const std::pair<const char*, const char*> items[] = {
        {"mnuFile", "&File"}, {"mnuFileOpen", "&Open ..."}, {"mnuLoad", "&Load ..."},
        {"mnuSave", "&Save ..."}, {"mnuExport", "&Export"}, {"mnuPrint", "&Print"},
        {"mnuExit", "E&xit"}, {"mnuEdit", "&Edit"}, {"mnuUndo", "&Undo"},
        {"mnuCalculate", "&Calculate"}, {"mnuProcessData", "&Process Data"},
        {"mnuCalcArea", "&Area"}, {"mnuSetup", "Set&up"}, {"mnuSetupExpt", "&Experiment"},
        {"mnuSetupMap", "&Map"}, {"mnuSetupSystem", "S&ystem"}, {"mnuSetupCom", "Com &Port"},
        {"mnuColors", "&Colors"}, {"mnuTools", "&Tools"}, {"mnuReset", "&Reset"},
        {"mnuMonitor", "&Monitor"}, {"mnuRun", "&Run"}, {"mnuRunExpt", "Run &Experiment"},
        {"mnuHelp", "&Help"}, {"mnuManual", "&Manual\tF1"}, {"mnuAbout", "&About Tracelux-One"}};
    for (const auto& [name, caption] : items) {
      QAction* a = W().Menu(QLatin1String(name));
      QVERIFY2(a, name);
      QCOMPARE(a->text(), QString(caption));
    }
  }

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
    QCOMPARE(rig->answerer.Count("Range Error"), 1);
    QCOMPARE(sessions->text(), QString("7"));
    W().Experiment()->HomeButton()->click();
    QFile setup(rig->File("TLUXEXPT.EXP"));
    QVERIFY(setup.open(QIODevice::ReadOnly));
    QVERIFY(setup.readAll().contains("Number of Sessions = 7\r\n"));

    // A setup of its own file, changed: leaving asks whether that file takes the changes.
    QVERIFY(QFile::copy(rig->File("TLUXEXPT.EXP"), rig->File("RAT.EXP")));
    Trigger("mnuSetupExpt");
    rig->answerer.QueueFile(rig->File("RAT.EXP"));
    Trigger("mnuLoad");
    sessions->selectAll();
    QTest::keyClicks(sessions, "9");
    rig->answerer.Queue(QMessageBox::Yes);
    W().Experiment()->HomeButton()->click();
    QCOMPARE(rig->answerer.Count("Save Setup Changes"), 1);
    QFile rat(rig->File("RAT.EXP"));
    QVERIFY(rat.open(QIODevice::ReadOnly));
    QVERIFY(rat.readAll().contains("Number of Sessions = 9\r\n"));
  }

  void eachModeSwitchShowsItsPanelAndMenus() {
    Trigger("mnuSetupExpt");
    QCOMPARE(Shown()->objectName(), QString("fraSetupExpt"));
    QVERIFY(W().Menu("mnuLoad")->isEnabled() && W().Menu("mnuSave")->isEnabled());
    QCOMPARE(W().findChild<QLabel*>("lblSetupExptL")->text(),
             QString("Click setup to enter values and view on-screen with mouse"));
    Trigger("mnuSetupSystem");
    QCOMPARE(Shown()->objectName(), QString("fraSetupSystem"));
    QVERIFY(!W().Menu("mnuLoad")->isEnabled() && !W().Menu("mnuSave")->isEnabled());
    Trigger("mnuMonitor");
    QCOMPARE(Shown()->objectName(), QString("fraMonitor"));
    QVERIFY(rig->P().link.State().StreamOn);
    QVERIFY(WindowRig::WaitFor([&] { return W().MonitorPage()->Picture()->MarkerShown(); }, 3000));
    for (QSize size : {QSize(1200, 600), QSize(760, 900)}) {  // the picture keeps its aspect
      W().resize(size);
      QTest::qWait(50);
      const QSize pic = W().MonitorPage()->Picture()->size();
      QVERIFY2(std::abs(pic.height() - pic.width() * 0.75) <= 1.0,
               qPrintable(QString("%1x%2").arg(pic.width()).arg(pic.height())));
    }
    Trigger("mnuReset");  // leaves the monitor: the stream stops
    QCOMPARE(W().Mode(), int(kModeHome));
    QVERIFY(!rig->P().link.State().StreamOn);
    QVERIFY(rig->P().commands.State().UnitResponding);
    W().Experiment()->HomeButton()->click();  // a hidden panel's button still goes home
    QCOMPARE(W().Mode(), int(kModeHome));
    QCOMPARE(rig->answerer.Seen().size(), size_t(0));
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
    QCOMPARE(rig->answerer.Count("Invalid Value"), 1);
    QCOMPARE(e->Box(ScreenBox::CalibScale)->Value(), 1.0);
    QCOMPARE(p.parameters.CalibrateScale, 1.0f);
    QVERIFY(!QApplication::activeModalWidget());  // no file dialog followed
    scale->setText("-2");
    Trigger("mnuRunExpt");  // the run needs valid values: the user stays on the panel
    QCOMPARE(W().Mode(), int(kModeExpt));
    QCOMPARE(rig->answerer.Count("Invalid Value"), 2);
    scale->setText("0");
    Trigger("mnuSetupSystem");  // any other panel: the message, but no block
    QCOMPARE(W().Mode(), int(kModeSystem));
    QCOMPARE(rig->answerer.Count("Invalid Value"), 3);
    Trigger("mnuSetupExpt");
    scale->setText("2,5");
    e->Box(ScreenBox::CalibRef)->TextBox()->setText("240/2");
    Trigger("mnuSetupSystem");
    QCOMPARE(p.parameters.CalibrateScale, 2.5f);
    QCOMPARE(p.parameters.CalibrateReference, 120.0f);
    QCOMPARE(rig->answerer.Count("Invalid Value"), 3);
    // A run records only sessions its data file can describe: 7 s is taken as 5 s, as a setup
    // file's 7 is read, and shown so.
    Trigger("mnuSetupExpt");
    e->Box(ScreenBox::SessLen)->TextBox()->setText("7");
    Trigger("mnuSetupSystem");
    QCOMPARE(p.parameters.SessionLength, 5);
    QCOMPARE(e->Box(ScreenBox::SessLen)->Text(), QString("00:00:05"));
    W().EnterHome();
  }

  // The "Confirm Setting Change" question: not asked when the setting is back as it was; Cancel
  // keeps the panel with its live view on, No asks again next time, Yes settles it.
  void systemPanelInvertQuestionAndTheLiveView() {
    Program& p = rig->P();
    p.commands.ResetAndInitialize(p.settings.ComPort);
    Trigger("mnuSetupSystem");
    QPushButton* invert = W().findChild<QPushButton*>("cmdInvertVideo");
    invert->click();
    invert->click();
    Trigger("mnuSetupExpt");
    QCOMPARE(rig->answerer.Count("Confirm Setting Change"), 0);

    Trigger("mnuSetupSystem");
    W().findChild<QPushButton*>("cmdViewLive")->click();
    QPointer<QDialog> live = W().findChild<QDialog*>("frmLiveVideo");
    QVERIFY(live && live->isVisible());
    invert->click();
    rig->answerer.Queue(QMessageBox::Cancel);
    Trigger("mnuSetupExpt");
    QCOMPARE(W().Mode(), int(kModeSystem));
    QCOMPARE(rig->answerer.Count("Confirm Setting Change"), 1);
    QCOMPARE(rig->answerer.Seen().back().buttons, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    QVERIFY(live && live->isVisible());
    QVERIFY(p.commands.State().LiveVideoOn);
    rig->answerer.Queue(QMessageBox::No);
    W().System()->HomeButton()->click();
    QCOMPARE(W().Mode(), int(kModeHome));
    QVERIFY(!live || !live->isVisible());
    QVERIFY(!p.commands.State().LiveVideoOn);
    QVERIFY(p.commands.State().InvertChanged);
    Trigger("mnuSetupSystem");
    rig->answerer.Queue(QMessageBox::Yes);
    W().EnterHome();
    QCOMPARE(rig->answerer.Count("Confirm Setting Change"), 3);
    QVERIFY(!p.commands.State().InvertChanged);
  }

  void videoModeChangesTheFullRate() {
    Program& p = rig->P();
    p.parameters.SampleRate = 30;
    Trigger("mnuSetupSystem");
    W().findChild<QComboBox*>("cboVideoMode")->setCurrentIndex(1);
    W().findChild<QComboBox*>("cboDelayType")->setCurrentIndex(1);
    Trigger("mnuSetupExpt");
    QCOMPARE(p.settings.VideoType, std::int16_t(kVideoPal));
    QCOMPARE(p.parameters.SampleRate, std::int16_t(25));
    QCOMPARE(W().Experiment()->RatesList()->itemText(2), QString("25"));
    QCOMPARE(W().Experiment()->Box(ScreenBox::InitDelay)->Properties().style, RangeStyle::TimeOfDay);
    Trigger("mnuSetupSystem");
    W().findChild<QComboBox*>("cboVideoMode")->setCurrentIndex(0);
    W().findChild<QComboBox*>("cboDelayType")->setCurrentIndex(0);
    W().EnterHome();
    QCOMPARE(p.settings.DelayType, std::int16_t(0));
  }

  // A message box has the request's caption, lines, icon and buttons, and its text is plain
  // text: a name that looks like markup is shown as it is.
  void messageBoxesFollowTheRequestAndAreNeverMarkup() {
    const MessageRequest m{"Confirm Overwrite Existing Data", "The file \"<b>1.DAT\" has already\r\nbeen used",
                           MsgIcon::Exclamation, MsgButtons::YesNoCancel};
    rig->answerer.Queue(QMessageBox::No);
    QCOMPARE(W().Answers().ShowMessage(m), MsgAnswer::No);
    const SeenBox& box = rig->answerer.Seen().back();
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

  void keysShowTheBuildDateAndTheManualAndTheWindowHasAMinimumSize() {
    W().EnterHome();
    QTest::keyClick(W().Home(), Qt::Key_F10, Qt::AltModifier);
    QCOMPARE(rig->answerer.Count("Build Date"), 1);
    QCOMPARE(rig->answerer.Seen().back().text, QString("Last Build : Thursday, February 16, 2011"));
    // F1 and Help > Manual open the manual, and say so, naming the file, when it is missing or
    // no program can show it (the offscreen platform has no opener).
    const QString manual = rig->File("manual/index.html");
    QDesktopServices::setUrlHandler("file", this, "OpenUrl");
    QTest::keyClick(W().Home(), Qt::Key_F1);
    QCOMPARE(rig->answerer.Count("Manual Not Found"), 1);
    QVERIFY(rig->answerer.Seen().back().text.contains(manual + " does not exist"));
    QVERIFY(QDir().mkpath(rig->File("manual")));
    QFile page(manual);
    QVERIFY(page.open(QIODevice::WriteOnly));
    page.close();
    QTest::keyClick(W().Home(), Qt::Key_F1);
    Trigger("mnuManual");
    QDesktopServices::unsetUrlHandler("file");
    QCOMPARE(opened.size(), 2);
    QCOMPARE(opened[0].toLocalFile(), manual);
    Trigger("mnuManual");
    QCOMPARE(rig->answerer.Count("Cannot Open Manual"), 1);
    QVERIFY(rig->answerer.Seen().back().text.contains(manual));
    W().resize(300, 200);
    QVERIFY(W().width() >= 700 && W().height() >= 500);
    // A window manager that ignores the size hints (here: none are passed on) makes it
    // smaller: it snaps back.
    W().windowHandle()->setMinimumSize(QSize(1, 1));
    W().windowHandle()->resize(300, 200);
    QVERIFY(WindowRig::WaitFor([&] { return W().width() >= 700 && W().height() >= 500; }, 2000));
  }

  // Help > About names the version and the build's commit.
  void aboutShowsTheVersionAndTheBuild() {
    Trigger("mnuAbout");
    QCOMPARE(rig->answerer.Count("About Tracelux-One"), 1);
    const SeenBox& box = rig->answerer.Seen().back();
    QCOMPARE(box.icon, QMessageBox::Information);
    QVERIFY2(box.text.startsWith("Tracelux-One\nVersion 3.20\nBuild " + QString(BuildCommit()) + "\n"),
             qPrintable(box.text));
    QVERIFY(QString(BuildCommit()).size() > 0 && !QString(BuildCommit()).contains('\n'));
  }

  void portDialogKeepsTheOpenPort() {
    Program& p = rig->P();
    QTimer::singleShot(50, [] {
      auto* w = QApplication::activeModalWidget();
      QVERIFY(w && w->windowTitle() == "Select  COM  Port");
      QCOMPARE(w->findChild<QComboBox*>("cboComPort")->count(), 1);
      w->findChild<QPushButton*>("cmdOK")->click();
    });
    Trigger("mnuSetupCom");
    QCOMPARE(p.settings.ComPort, std::int16_t(1));
    QVERIFY(p.link.State().PortIsOpen);  // OK keeps the open result
  }

  // A serial adapter plugged in after the window was built is offered when the port dialog
  // opens, and found when its port is opened; the numbers already given out stay.
  void portDialogOffersAnAdapterPluggedInLater() {
    WindowRig own;
    MainWindow& w = *own.window;
    QTemporaryDir root;
    const std::string sys = root.filePath("sys").toStdString();
    const std::string dev = root.filePath("dev").toStdString();
    std::filesystem::create_directories(dev);
    auto plug = [&](const std::string& name) {
      std::filesystem::create_directories(sys + "/" + name + "/device");
      QFile(QString::fromStdString(dev + "/" + name)).open(QIODevice::WriteOnly);
    };
    w.SetDeviceLister([&] { return ListSerialDevices(sys, dev); });
    QStringList offered;
    auto openDialog = [&](const QString& choose) {
      offered.clear();
      QTimer::singleShot(50, [&] {
        auto* d = QApplication::activeModalWidget();
        QVERIFY(d && d->objectName() == "frmPickCom");
        auto* list = d->findChild<QComboBox*>("cboComPort");
        for (int i = 0; i < list->count(); ++i) offered << list->itemText(i);
        if (!choose.isEmpty()) list->setCurrentIndex(list->findText(choose));
        d->findChild<QPushButton*>(choose.isEmpty() ? "cmdCancel" : "cmdOK")->click();
      });
      w.Menu("mnuSetupCom")->trigger();
    };
    const QString usb0 = QString::fromStdString("COM2  " + dev + "/ttyUSB0");
    openDialog({});
    QCOMPARE(offered, QStringList{"COM1  (simulated unit)"});

    plug("ttyUSB0");
    openDialog(usb0);
    QCOMPARE(offered, (QStringList{usb0, "COM1  (simulated unit)"}));
    QCOMPARE(w.GetProgram().settings.ComPort, std::int16_t(2));

    std::filesystem::remove(dev + "/ttyUSB0");
    std::filesystem::remove_all(sys + "/ttyUSB0");
    plug("ttyACM0");  // sorted before it, yet COM2 stays with the adapter it was given to
    QCOMPARE(w.DeviceForPort(3), dev + "/ttyACM0");  // opening the port looks again too
    openDialog({});
    QCOMPARE(offered, (QStringList{QString::fromStdString("COM3  " + dev + "/ttyACM0"), usb0,
                                   "COM1  (simulated unit)"}));
    QCOMPARE(w.GetProgram().settings.ComPort, std::int16_t(2));  // Cancel keeps the choice
  }

  void areaWindowMeasuresAtOnceAndOnCalculate() {
    Program& p = rig->P();
    p.commands.ResetAndInitialize(p.settings.ComPort);
    int first = -1, second = -1;
    QTimer::singleShot(100, [&] {
      auto* w = QApplication::activeModalWidget();
      QVERIFY(w && w->windowTitle() == "Calculate Area");
      first = w->findChild<QListWidget*>("lstValues")->count();
      w->findChild<QPushButton*>("cmdCalculate")->click();
      second = w->findChild<QListWidget*>("lstValues")->count();
      w->findChild<QPushButton*>("cmdDone")->click();
    });
    Trigger("mnuCalcArea");
    QCOMPARE(first, 1);  // the first measurement is shown on opening
    QCOMPARE(second, 2);
    QCOMPARE(rig->answerer.Count("ERROR"), 0);
  }

  // The measuring screen: the space bar takes the cursor's place twice, ENTER stores the distance
  // in the record and the panel's box.
  void measuringScreenStoresTheDistance() {
    Program& p = rig->P();
    p.commands.ResetAndInitialize(p.settings.ComPort);
    Trigger("mnuSetupExpt");
    QScreen* screen = QGuiApplication::primaryScreen();
    const QRect g = screen->geometry();
    p.parameters.MaximumDistance = 5;
    W().Experiment()->Box(ScreenBox::MaxDist)->SetValue(5);
    QTimer::singleShot(100, [&] {
      QWidget* black = nullptr;
      for (QWidget* t : QApplication::topLevelWidgets())
        if (t->objectName() == "frmBlack" && t->isVisible()) black = t;
      QVERIFY(black);
      QCursor::setPos(g.topLeft());
      QTest::qWait(120);  // a few cursor steps
      QTest::keyClick(black, Qt::Key_Space);
      QCursor::setPos(g.x() + g.width() / 2, g.y() + g.height() / 2);
      QTest::qWait(120);
      QTest::keyClick(black, Qt::Key_Space);
      QTest::keyClick(black, Qt::Key_Return);
    });
    W().findChild<QPushButton*>("cmdSetupMaxDist")->click();
    QCOMPARE(p.parameters.MaximumDistance, 160.0f);  // (0,0) to (128,96) on the unit's picture
    QCOMPARE(W().Experiment()->Box(ScreenBox::MaxDist)->Value(), 160.0);
    W().EnterHome();
  }

  // Last: the window closes without a question when no run is busy, and writes its files.
  void exitWritesTheSettingsFiles() {
    rig->P().settings.DrawTrace = true;
    Trigger("mnuExit");
    QVERIFY(W().ShutdownDone());
    QVERIFY(!W().isVisible());
    QCOMPARE(rig->answerer.Seen().size(), size_t(0));
    QFile ini(rig->File("TRACELUX.INI"));
    QVERIFY(ini.open(QIODevice::ReadOnly));
    QVERIFY(ini.readAll().contains("Draw Trace = Enabled"));
    for (const char* name : {"TRACELUX.SET", "TLUXEXPT.EXP", "COLORS.INI", "DEFAULT.MAP"})
      QVERIFY2(QFileInfo::exists(rig->File(name)), name);
  }
};

TLX_GUI_TEST(MainWindowTest)
#include "MainWindowTest.moc"
