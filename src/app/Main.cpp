// The desktop program: the main window over the one program object, on a serial device or the
// simulated unit.
#include "app/AppLinks.h"
#include "app/AppStart.h"
#include "app/Desktop.h"
#include "app/MainWindow.h"
#include "app/data/PanelHookup.h"
#include "app/QtClock.h"
#include "common/HomeLock.h"
#include "device/Ports.h"
#include "device/TermiosLink.h"
#include "setup/ProgramSettingsFile.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QIcon>
#include <QStringList>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>

namespace {

// The windowing system ends the process with exit() when the display goes away (a logout, the
// X server gone): a run under way still ends with its files written, from an exit handler.
std::function<void()>* gEndAtExit = nullptr;
void EndAtExit() {
  std::function<void()>* end = gEndAtExit;
  gEndAtExit = nullptr;  // once, even when the shutdown itself exits again
  if (end) (*end)();
}

}  // namespace

int main(int argc, char* argv[]) {
  QElapsedTimer started;
  started.start();
  // The options first: help, version and a bad command line are answered without a display.
  tlx::gui::AppOptions options;
  QStringList arguments;
  for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
  if (!tlx::gui::ParseOptions(arguments, options)) return options.helpShown ? 0 : 2;
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("tracelux"));
  // The installed desktop entry and icon: the desktop's menus and task bar match the window to them.
  QGuiApplication::setDesktopFileName(QStringLiteral("tracelux"));
  QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("tracelux")));

  const std::string home = tlx::ResolveProgramHome(options.home);
  // One program per home, held until the process ends: nothing in the home is read or written
  // by a second one.
  tlx::HomeLock homeLock;
  if (!tlx::gui::ClaimProgramHome(home, homeLock)) return 1;
  tlx::gui::QtClock clock;
  tlx::PortTable ports = tlx::LoadPortTable(home);

  tlx::gui::MainWindow* portOwner = nullptr;
  std::unique_ptr<tlx::gui::SimulatedPort> simulated;
  std::unique_ptr<tlx::TermiosLink> device;
  std::unique_ptr<tlx::gui::DevicePort> watcher;
  tlx::SerialLink* serial = nullptr;
  if (options.simulate) {
    simulated = std::make_unique<tlx::gui::SimulatedPort>(clock.Now());
    // Waits let the simulated unit catch up with real time, so its answers arrive.
    clock.SetIdleHook([sim = simulated.get()] { sim->Sync(); });
    clock.WatchLine(simulated.get());
    serial = simulated.get();
  } else {
    const std::string forced = options.port;
    // Once the window is built it keeps the port table and lists the devices again on each open.
    device = std::make_unique<tlx::TermiosLink>([forced, &ports, &portOwner](int n) {
      if (portOwner) return portOwner->DeviceForPort(n);
      return forced.empty() ? tlx::DevicePathFor(ports, n) : forced;
    });
    watcher = std::make_unique<tlx::gui::DevicePort>(*device);
    clock.WatchLine(device.get());
    serial = device.get();
  }

  if (options.simulate) ports = tlx::NumberDevices({"(simulated unit)"});
  const int defaultPort = options.simulate || !options.port.empty() ? 1 : 0;
  // The main window with the zone map editor and the data panel, and their menu commands.
  tlx::gui::Desktop desktop({home, clock, *serial, ports,
                             tlx::gui::FindManual(QCoreApplication::applicationDirPath()), defaultPort,
                             options.port});
  tlx::gui::MainWindow& window = desktop.Window();
  if (device) {
    if (options.port.empty()) window.SetDeviceLister([] { return tlx::ListSerialDevices(); });
    portOwner = &window;
  }
  auto* dataZonePanels = &desktop.Panels();
  tlx::gui::SignalBridge signalBridge(window);
  window.show();
  QApplication::processEvents();
  if (options.timing) {
    std::printf("usable window after %lld ms\n", static_cast<long long>(started.elapsed()));
    std::fflush(stdout);
  }
  // The start-up sequence runs once the window is on the screen.
  QTimer::singleShot(0, &window, [&] {
    window.StartUp();
    if (options.timing) {
      std::printf("start-up sequence done after %lld ms\n",
                  static_cast<long long>(started.elapsed()));
      std::fflush(stdout);
    }
    if (!options.screenshots.isEmpty()) {
      dataZonePanels->SaveScreenshots(options.screenshots);
      tlx::gui::RunScreenshotTour(window, options.screenshots);
    }
  });
  std::function<void()> endAtExit = [&window] { window.ShutdownWithoutDisplay(); };
  gEndAtExit = &endAtExit;
  std::atexit(EndAtExit);
  const int code = QApplication::exec();
  gEndAtExit = nullptr;
  window.Shutdown();
  return code;
}
