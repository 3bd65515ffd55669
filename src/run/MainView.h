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
  // The stop window is shown without blocking.
  virtual void ShowStopWindow(StopWindowForm /*form*/, const MessageRequest& /*content*/) {}
  virtual void HideStopWindow() {}
  // True when the shown stop window will bring its answer to RunController::StopWindowAnswer
  // itself (it may do so at once); false: the core asks through UserAnswers instead.
  virtual bool AwaitStopWindowAnswer() { return false; }
  // Brings the experiment set-up frame into view (before the output file is chosen).
  virtual void ShowSetupFrame() {}
  // Refreshes the whole window (after the unit was reset).
  virtual void RefreshWindow() {}
  // A close asked during the run is due now that the run has ended (its files are written); the
  // window closes once the core's call is over.
  virtual void CloseDue() {}
};

// Passes the core's calls on to the window until the window can no longer be drawn (its display
// gone): from then on the core ends the run and writes its files without it.
class MainViewGate : public MainView {
 public:
  explicit MainViewGate(MainView& window) : window_(&window) {}
  void Close() { window_ = nullptr; }
  void EnterHome() override { if (window_) window_->EnterHome(); }
  void EnterRun() override { if (window_) window_->EnterRun(); }
  void SetMenus(bool idle) override { if (window_) window_->SetMenus(idle); }
  void ShowStopWindow(StopWindowForm form, const MessageRequest& content) override {
    if (window_) window_->ShowStopWindow(form, content);
  }
  void HideStopWindow() override { if (window_) window_->HideStopWindow(); }
  bool AwaitStopWindowAnswer() override { return window_ && window_->AwaitStopWindowAnswer(); }
  void ShowSetupFrame() override { if (window_) window_->ShowSetupFrame(); }
  void RefreshWindow() override { if (window_) window_->RefreshWindow(); }
  void CloseDue() override { if (window_) window_->CloseDue(); }

 private:
  MainView* window_;
};

}  // namespace tlx
