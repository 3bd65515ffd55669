// The desktop program's window as main() builds it: the main window, then the zone map editor and
// the data panel hooked into it. The widget tests build it the same way, so they start up along
// the program's own path.
#pragma once

#include "app/MainWindow.h"

#include <memory>

namespace tlx::gui {

class DataZonePanels;

class Desktop {
 public:
  explicit Desktop(AppServices services);
  ~Desktop();
  Desktop(const Desktop&) = delete;
  Desktop& operator=(const Desktop&) = delete;

  MainWindow& Window() { return *window_; }
  DataZonePanels& Panels() { return *panels_; }

 private:
  std::unique_ptr<MainWindow> window_;
  DataZonePanels* panels_;  // a child of the window
};

}  // namespace tlx::gui
