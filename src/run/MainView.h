// What the main window does for the core while a run is prepared, goes and ends: panel changes,
// menus, the stop window. The desktop program implements it; headless use leaves every call a
// no-op.
#pragma once

#include "common/UserAnswers.h"

namespace tlx {

// The two forms of the stop window: the question (OK and Cancel) and the status (OK only).
enum class StopWindowForm { Confirm, Status };

class MainView {
 public:
  virtual ~MainView() = default;
  virtual void EnterHome() {}
  virtual void EnterRun() {}
  // True enables the menus and buttons of the idle state, false those of a running run.
  virtual void SetMenus(bool /*idle*/) {}
  // The stop window is shown without blocking; the answer comes through UserAnswers.
  virtual void ShowStopWindow(StopWindowForm /*form*/, const MessageRequest& /*content*/) {}
  virtual void HideStopWindow() {}
  // Brings the experiment set-up frame into view (before the output file is chosen).
  virtual void ShowSetupFrame() {}
  // Refreshes the whole window (after the unit was reset).
  virtual void RefreshWindow() {}
};

}  // namespace tlx
