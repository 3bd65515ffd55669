// Processor time of the desktop program during a real-time run at 30 samples/s with the run
// panel shown and the trace drawn, against the simulated unit served on a pseudo-terminal from
// another thread. Runs offscreen unless QT_QPA_PLATFORM says otherwise.
//   build/bench/bench_desktop_run [SECONDS]
#include "app/AppLinks.h"
#include "app/MainWindow.h"
#include "app/QtClock.h"
#include "app/panels/RunPanel.h"
#include "device/TermiosLink.h"
#include "sim/PtyServer.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <thread>

namespace {

double CpuSeconds(clockid_t which) {
  timespec t{};
  ::clock_gettime(which, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

}  // namespace

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const int seconds = argc > 1 ? std::max(5, std::atoi(argv[1])) : 60;
  tlx::SimulatedUnit unit(3);
  tlx::PtyServer server(unit);
  if (!server.Open()) return 1;
  std::thread serving([&] { server.Serve(); });
  QTemporaryDir home;
  tlx::gui::QtClock clock;
  const std::string path = server.SlavePath();
  tlx::TermiosLink device([path](int) { return path; });
  tlx::gui::DevicePort watcher(device);
  clock.WatchLine(&device);
  tlx::gui::MainWindow w(
      tlx::gui::AppServices{home.path().toStdString(), clock, device, {}, "", 1, ""});
  w.show();
  w.StartUp();
  tlx::Program& p = w.GetProgram();
  p.parameters.SessionLength = seconds + 30;  // still running when the measurement ends
  p.parameters.NumberOfSessions = 1;
  p.parameters.InitialDelay = 0;
  p.parameters.SampleRate = 30;
  p.parameters.DataFile = home.filePath(QStringLiteral("RUN.DAT")).toStdString();
  p.parameters.SaveData = true;
  p.settings.DelayType = 0;
  p.settings.DrawTrace = true;
  w.Menu(QStringLiteral("mnuRunExpt"))->trigger();
  w.RunPage()->StartButton()->click();
  if (!p.run.State().Running()) {
    std::fprintf(stderr, "the run did not start\n");
    std::_Exit(1);
  }
  const double process = CpuSeconds(CLOCK_PROCESS_CPUTIME_ID);
  const double window = CpuSeconds(CLOCK_THREAD_CPUTIME_ID);
  QElapsedTimer wall;
  wall.start();
  QTimer::singleShot(seconds * 1000, [&] {
    const double s = wall.elapsed() / 1000.0;
    const double threadCpu = CpuSeconds(CLOCK_THREAD_CPUTIME_ID) - window;
    std::printf("desktop run: %.1f s at 30/s, window thread cpu %.2f s = %.2f%% of one core "
                "(whole process, the served unit included: %.2f s); %lld samples, %d missed\n",
                s, threadCpu, 100 * threadCpu / s, CpuSeconds(CLOCK_PROCESS_CPUTIME_ID) - process,
                static_cast<long long>(p.run.SamplesCounted()), p.run.State().MissedSamples);
    std::fflush(stdout);
    std::_Exit(0);  // the run is left unfinished on purpose; nothing of it is kept
  });
  return QApplication::exec();
}
