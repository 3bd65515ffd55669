// Runs through the window on the simulated unit and on a real serial device.
#include "GuiDriver.h"
#include "app/AppStart.h"
#include "app/panels/LivePicture.h"
#include "app/panels/RunPanel.h"
#include "device/TermiosLink.h"
#include "sim/PtyServer.h"

#include <QDialog>
#include <QFileInfo>
#include <QProgressBar>
#include <QLabel>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <csignal>
#include <set>
#include <thread>

using namespace tlx;
using namespace tlx::gui;
using namespace tlx::gui::test;

// Whole runs through the main window on the simulated unit: from the Run menu to the finish
// message, the stop question, closing the window during a run, the end by a signal, and how
// closely the picture follows the stream.
namespace {

void SetUpRun(Program& p, const QString& dataFile, int sessionLength, int sessions = 1) {
  p.parameters.SessionLength = sessionLength;
  p.parameters.NumberOfSessions = sessions;
  p.parameters.InitialDelay = 0;
  p.parameters.SampleRate = 30;
  p.parameters.DataFile = dataFile.toStdString();
  p.parameters.SaveData = true;
  p.settings.DelayType = 0;
  p.settings.DrawTrace = true;
}

// Enters the run panel and presses Start on a run that waits `delay` seconds before it starts.
void ArmRun(MainWindow& w, const QString& dataFile, int delay) {
  Program& p = w.GetProgram();
  SetUpRun(p, dataFile, 120);
  p.parameters.InitialDelay = delay;
  w.Menu("mnuRunExpt")->trigger();
  w.RunPage()->StartButton()->click();
}

QString LabelText(MainWindow& w, const char* name) {
  return w.RunPage()->findChild<QLabel*>(QLatin1String(name))->text();
}

}  // namespace

class RunWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void wholeRunFromTheRunMenuToTheFinishMessage() {
    WindowRig rig;  // the whole desktop: the results open at the end
    MainWindow& w = *rig.window;
    const QString data = rig.File("DATA/RUN1.DAT");
    SetUpRun(rig.P(), data, 5);
    w.Menu("mnuRunExpt")->trigger();
    QCOMPARE(w.Mode(), int(kModeRun));
    QCOMPARE(LabelText(w, "lblOutFile"), QString("RUN1.DAT"));
    w.RunPage()->StartButton()->click();
    QVERIFY(rig.P().run.State().Running());
    QVERIFY(!w.RunPage()->ReadyLabel()->isVisible());
    QVERIFY(!w.Menu("mnuRun")->isEnabled());  // menus are off while the run goes
    QVERIFY(!w.RunPage()->StartButton()->isEnabled());
    QVERIFY(WindowRig::WaitFor([&] { return rig.P().run.SamplesCounted() > 40; }, 3000));
    QVERIFY(w.RunPage()->Picture()->MarkerShown());
    // The whole run's time left and progress, counted as the run counts seconds.
    QVERIFY(w.RunPage()->ProgressBar()->value() > 0);
    QVERIFY(w.RunPage()->TimeLeftLabel()->text() < QString("00:00:05"));

    rig.answerer.openResults = true;
    QVERIFY(WindowRig::WaitFor([&] { return w.Mode() == kModeOpenData; }, 15000));
    QCOMPARE(rig.answerer.Count("Experiment Status"), 1);
    const SeenBox finish = rig.answerer.Seen().back();
    QVERIFY(finish.stopWindow && !finish.cancelShown && finish.resultsOffered);
    QVERIFY(w.windowTitle().endsWith("RUN1.DAT"));  // the recording is open on the data panel
    QVERIFY(w.RunPage()->StartButton()->isEnabled());
    QCOMPARE(rig.P().run.SamplesCounted(), qint64(150));
    QVERIFY(rig.P().run.State().Finished());
    QCOMPARE(LabelText(w, "lblExptStat"), QString("Finished "));
    QCOMPARE(LabelText(w, "lblCurrSess"), QString(" 1 of 1 "));
    for (const char* ext : {"DAT", "MAP", "PRN"})
      QVERIFY2(QFileInfo::exists(rig.File(QString("DATA/RUN1.") + ext)), ext);
    QVERIFY(w.Menu("mnuRun")->isEnabled());

    // Running again into the same file asks first, and Enter answers Cancel.
    rig.answerer.Queue(QMessageBox::Cancel);
    w.Menu("mnuRunExpt")->trigger();
    QCOMPARE(rig.answerer.Seen().back().caption, QString("Confirm Overwrite Existing Data"));
    QCOMPARE(rig.answerer.Seen().back().defaultButton, QMessageBox::Cancel);
    QCOMPARE(rig.answerer.Seen().back().okText, QString("&Overwrite"));
    QCOMPARE(w.Mode(), int(kModeOpenData));
  }

  // A new home records into no data file: the Run menu asks before a run that records nothing
  // (Cancel stays home), and Start asks nothing more. While the delay counts down the panel shows
  // the time left with Stop at hand, and the status is the coming run's.
  void aRunWithoutADataFileAsksFirstAndItsDelayCountsDown() {
    WindowRig rig;
    MainWindow& w = *rig.window;
    Program& p = rig.P();
    QVERIFY(!p.parameters.SaveData);
    p.parameters.SessionLength = 5;
    p.parameters.InitialDelay = 2;
    // The menus come on once the start-up has brought the unit up.
    QVERIFY(WindowRig::WaitFor([&] { return w.Menu("mnuRunExpt")->isEnabled() && w.Menu("mnuRun")->isEnabled(); }, 5000));
    rig.answerer.Queue(QMessageBox::Cancel);
    w.Menu("mnuRunExpt")->trigger();
    QCOMPARE(rig.answerer.Count("No Output File"), 1);
    QCOMPARE(w.Mode(), int(kModeHome));
    w.Menu("mnuRunExpt")->trigger();  // Yes
    QCOMPARE(rig.answerer.Count("No Output File"), 2);
    QCOMPARE(w.Mode(), int(kModeRun));
    QCOMPARE(LabelText(w, "lblOutFile"), QString("(No output file selected)"));

    w.RunPage()->StartButton()->click();
    QVERIFY(p.run.State().Armed());
    QCOMPARE(rig.answerer.Count("No Output File"), 2);
    QVERIFY(w.RunPage()->ReadyLabel()->isVisible());
    QVERIFY2(w.RunPage()->ReadyLabel()->text().startsWith("Starting in\n00:00:02"),
             qPrintable(w.RunPage()->ReadyLabel()->text()));
    QCOMPARE(LabelText(w, "lblExptStat"), QString("Waiting "));
    QVERIFY(w.RunPage()->StopButton()->isEnabled());
    QVERIFY(WindowRig::WaitFor([&] { return p.run.State().Running(); }, 5000));
    QVERIFY(!w.RunPage()->ReadyLabel()->isVisible());
    QCOMPARE(LabelText(w, "lblExptStat"), QString("Running "));
    QVERIFY(WindowRig::WaitFor([&] { return w.Mode() == kModeHome; }, 15000));
    QVERIFY(p.run.State().Finished());
  }

  void stopQuestionCancelThenOk() {
    WindowRig rig;
    MainWindow& w = *rig.window;
    SetUpRun(rig.P(), rig.File("DATA/STOP.DAT"), 120);
    w.Menu("mnuRunExpt")->trigger();
    QTest::keyClick(w.RunPage(), Qt::Key_Space);  // the space bar starts the run
    QVERIFY(rig.P().run.State().Running());
    QVERIFY(WindowRig::WaitFor([&] { return rig.P().run.SamplesCounted() > 10; }, 3000));
    rig.answerer.QueueStop(false);
    w.RunPage()->StopButton()->click();  // the question is shown and the run goes on meanwhile
    QVERIFY(WindowRig::WaitFor([&] { return rig.answerer.Count("Confirm Stop Experiment") == 1; }, 3000));
    QVERIFY(rig.answerer.Seen().back().cancelShown);
    QVERIFY(!w.StopWindow()->isVisible());
    QVERIFY(rig.P().run.State().Running());  // Cancel: the run goes on
    QCOMPARE(w.Mode(), int(kModeRun));

    w.RunPage()->HomeButton()->click();  // Home asks the same question while the run is busy
    QVERIFY(WindowRig::WaitFor([&] { return rig.answerer.Count("Confirm Stop Experiment") == 2; }, 3000));
    // A confirmed stop shows the status form while the box flashes, with Start off, then goes
    // home and closes the form without a second OK.
    QVERIFY(rig.P().run.State().Ending() && rig.P().run.State().Stopped());
    QVERIFY(w.StopWindow()->isVisible());
    QVERIFY(!w.RunPage()->StartButton()->isEnabled());
    w.Menu("mnuSetupExpt")->trigger();  // by its key: refused until the window is home
    QCOMPARE(w.Mode(), int(kModeRun));
    QVERIFY(WindowRig::WaitFor([&] { return w.Mode() == kModeHome; }, 5000));
    QCOMPARE(rig.P().run.State().Phase, RunPhase::Idle);
    QCOMPARE(rig.answerer.Count("Experiment Status"), 0);
    QVERIFY(!w.StopWindow()->isVisible());
    QVERIFY(QFileInfo::exists(rig.File("DATA/STOP.DAT")));
    QVERIFY(QFileInfo::exists(rig.File("DATA/STOP.PRN")));
  }

  void closingDuringARunAsksAndASignalStopsIt() {
    WindowRig rig;
    MainWindow& w = *rig.window;
    SignalBridge bridge(w);
    SetUpRun(rig.P(), rig.File("DATA/CLOSE.DAT"), 120);
    w.Menu("mnuRunExpt")->trigger();
    w.RunPage()->StartButton()->click();
    QVERIFY(WindowRig::WaitFor([&] { return rig.P().run.SamplesCounted() > 10; }, 3000));
    rig.answerer.QueueStop(false);
    QVERIFY(!w.close());  // refused: the stop question was asked instead
    QVERIFY(WindowRig::WaitFor([&] { return rig.answerer.Count("Confirm Stop Experiment") == 1; }, 3000));
    QVERIFY(rig.P().run.State().Running());

    const int resetsBefore = rig.sim->Unit().Resets();
    std::raise(SIGTERM);  // a desktop logout
    QVERIFY(WindowRig::WaitFor([&] { return w.ShutdownDone(); }, 10000));
    QVERIFY(rig.P().run.State().Stopped());
    for (const char* name : {"DATA/CLOSE.DAT", "DATA/CLOSE.MAP", "DATA/CLOSE.PRN", "TRACELUX.INI", "TLUXEXPT.EXP"})
      QVERIFY2(QFileInfo::exists(rig.File(name)), name);
    // The unit is put to rest: the reset follows the settings block (0.4 s on the line) out.
    QVERIFY(WindowRig::WaitFor([&] { rig.sim->Sync(); return rig.sim->Unit().Resets() > resetsBefore; }, 2000));
    QVERIFY(!rig.P().link.State().PortIsOpen);
    QCOMPARE(rig.answerer.Count("Experiment Status"), 0);  // nobody was asked
  }

  // While the initial delay counts down the run panel is in charge: the menus are off as in a
  // running run, and commands reached by their keys open nothing and leave the port and the unit
  // alone. Stopping the armed run, or a run that cannot start when its delay ends, brings the
  // menus back.
  void anArmedRunTurnsTheMenusOffAndRefusesTheirCommands() {
    WindowRig rig;
    MainWindow& w = *rig.window;
    Program& p = rig.P();
    // A dialog opened by a command is counted and closed, so a wrong one cannot hold the test.
    int dialogs = 0;
    QTimer closer;
    closer.setInterval(10);
    QObject::connect(&closer, &QTimer::timeout, [&] {
      auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget());
      if (!d || qobject_cast<QMessageBox*>(d) || qobject_cast<StopExperimentWindow*>(d)) return;
      ++dialogs;
      d->reject();
    });
    closer.start();
    const char* const tops[] = {"mnuFile",  "mnuEdit", "mnuCalculate", "mnuSetup",
                                "mnuTools", "mnuRun",  "mnuHelp"};
    const char* const dialogCommands[] = {"mnuSetupCom", "mnuCalcArea", "mnuColors",
                                          "mnuBatchAnalyze"};
    ArmRun(w, rig.File("DATA/WAIT.DAT"), 30);
    QVERIFY(p.run.State().Armed() && !p.run.State().Running());
    for (const char* menu : tops) QVERIFY2(!w.Menu(QLatin1String(menu))->isEnabled(), menu);
    w.SetMenus(true);  // the idle menus are not given back while the run waits
    QVERIFY(!w.Menu("mnuSetup")->isEnabled());

    const std::int16_t port = p.settings.ComPort;
    const int resets = rig.sim->Unit().Resets();
    rig.answerer.Clear();
    for (const char* command : dialogCommands) w.Menu(QLatin1String(command))->trigger();
    QTest::qWait(50);
    QCOMPARE(dialogs, 0);
    QCOMPARE(rig.answerer.Seen().size(), size_t(0));
    QVERIFY(p.run.State().Armed());
    QCOMPARE(w.Mode(), int(kModeRun));
    QCOMPARE(p.settings.ComPort, port);
    QVERIFY(p.link.State().PortIsOpen);
    QCOMPARE(rig.sim->Unit().Resets(), resets);

    rig.answerer.QueueStop(true);
    w.RunPage()->StopButton()->click();
    QVERIFY(WindowRig::WaitFor([&] { return p.run.State().Phase == RunPhase::Idle; }, 5000));
    QVERIFY(p.run.State().Stopped());
    for (const char* menu : tops) QVERIFY2(w.Menu(QLatin1String(menu))->isEnabled(), menu);
    w.Menu("mnuSetupCom")->trigger();  // idle again, the commands work
    QCOMPARE(dialogs, 1);

    // A data file whose folder is missing (a drive not mounted) is refused by the Run menu,
    // before anything is armed or the unit touched; the setup keeps its name.
    const QString late = rig.File("NO_SUCH_FOLDER/LATE.DAT");
    SetUpRun(p, late, 120);
    w.Menu("mnuRunExpt")->trigger();
    QVERIFY(!p.run.IsRunBusy());
    QVERIFY(WindowRig::WaitFor(
        [&] { return rig.answerer.Count("Cannot Start Experiment") == 1; }, 2000));
    QCOMPARE(QString::fromStdString(p.parameters.DataFile), late);
    QVERIFY(w.Menu("mnuSetup")->isEnabled());
  }

  // A unit that falls silent mid-run: the run stops by itself with a message naming the port,
  // every sample counted is in the data file, and the window is usable again.
  void aSilentUnitStopsTheRunWithAMessage() {
    WindowRig rig;
    MainWindow& w = *rig.window;
    Program& p = rig.P();
    SetUpRun(p, rig.File("DATA/SILENT.DAT"), 120);
    p.run.SetSilenceLimitMs(1500);
    w.Menu("mnuRunExpt")->trigger();
    w.RunPage()->StartButton()->click();
    QVERIFY(WindowRig::WaitFor([&] { return p.run.SamplesCounted() > 10; }, 3000));
    rig.sim->Unit().Faults().silent = true;
    QVERIFY(WindowRig::WaitFor([&] { return w.Mode() == kModeHome; }, 10000));
    QVERIFY(p.run.State().Stopped() && p.run.StoppedForSilence());
    // Told without waiting for the answer: the window is home meanwhile.
    QVERIFY(WindowRig::WaitFor([&] { return rig.answerer.Count("Unit Not Answering") == 1; }, 3000));
    QCOMPARE(rig.answerer.Count("Confirm Stop Experiment"), 0);
    QVERIFY(rig.answerer.Seen().back().text.contains("COM1 (simulated unit)"));
    for (const char* ext : {"DAT", "MAP", "PRN"})
      QVERIFY2(QFileInfo::exists(rig.File(QString("DATA/SILENT.") + ext)), ext);
    const qint64 samples = (QFileInfo(rig.File("DATA/SILENT.DAT")).size() - 38) / 2;
    QCOMPARE(samples, p.run.SamplesCounted());
    QVERIFY(w.Menu("mnuRun")->isEnabled());
  }

  // A real serial device (a pseudo-terminal served by the simulated unit): the stream's bytes
  // reach the window through the device's notifier.
  void serialDeviceStreamsToTheMonitor() {
    SimulatedUnit unit(3);
    PtyServer server(unit);
    QVERIFY2(server.Open(), server.ErrorText().c_str());
    std::thread serving([&] { server.Serve(); });
    {
      QTemporaryDir home;
      QtClock clock;
      const std::string path = server.SlavePath();
      TermiosLink device([path](int) { return path; });
      DevicePort watcher(device);
      DialogAnswerer answerer;
      Desktop desktop(AppServices{home.path().toStdString(), clock, device, {}, "", 1, {}});
      MainWindow& w = desktop.Window();
      w.show();
      w.StartUp();
      QVERIFY(w.GetProgram().commands.State().UnitResponding);
      w.Menu("mnuMonitor")->trigger();
      std::set<std::pair<int, int>> places;
      WindowRig::WaitFor([&] {
        const QPointF at = w.MonitorPage()->Picture()->MarkerPosition();
        if (w.MonitorPage()->Picture()->MarkerShown()) places.insert({int(at.x()), int(at.y())});
        return places.size() >= 10;
      }, 5000);
      QVERIFY2(places.size() >= 10, qPrintable(QString::number(places.size())));
      w.ShutdownUnattended();
      QCOMPARE(answerer.Seen().size(), size_t(0));
    }
    server.RequestStop();
    serving.join();
  }
};

TLX_GUI_TEST(RunWindowTest)

#include "RunTest.moc"
