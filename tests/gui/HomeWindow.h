// A main window with its zone and data panels over the simulated unit, in a program home that
// outlives it: a test closes the window and starts another on the same home, as a user restarts
// the program.
#pragma once

#include "GuiDriver.h"
#include "app/data/PanelHookup.h"

namespace tlx::gui::test {

struct HomeWindow {
  explicit HomeWindow(const QString& homePath) {
    sim = std::make_unique<SimulatedPort>(clock.Now(), 1, 4.0);
    clock.SetIdleHook([this] { sim->Sync(); });
    window = std::make_unique<MainWindow>(AppServices{homePath.toStdString(), clock, *sim,
                                                      NumberDevices({"(simulated unit)"}),
                                                      "/nonexistent/index.html", 1, ""});
    panels = new DataZonePanels(*window);
    window->show();
    window->StartUp();
  }
  ~HomeWindow() { Close(); }
  // The window's shutdown, as at the end of the program.
  void Close() {
    if (window && !window->ShutdownDone()) window->ShutdownUnattended();
  }
  // A menu item by name: the window's own, or one added by another object (the recent entries).
  QAction* Menu(const char* name) const {
    QAction* a = window->Menu(QLatin1String(name));
    return a ? a : window->findChild<QAction*>(QLatin1String(name));
  }

  QtClock clock;
  std::unique_ptr<SimulatedPort> sim;
  DialogAnswerer answerer;
  std::unique_ptr<MainWindow> window;
  DataZonePanels* panels = nullptr;
};

}  // namespace tlx::gui::test
