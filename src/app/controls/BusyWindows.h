// The program's busy windows behind one object: the progress box (ShowProgress, SetProgress,
// HideProgress) and the pool of eleven delay boxes (ShowDelayMessage, HideDelayMessages), so
// callers never handle the windows themselves.
#pragma once

#include "app/controls/DelayBox.h"
#include "app/controls/ProgressBox.h"
#include "common/Clock.h"
#include "controls/BusyBoxes.h"

#include <QObject>
#include <QPointer>
#include <QTimer>

#include <array>
#include <memory>

namespace tlx::gui {

class BusyWindows : public QObject {
  Q_OBJECT

 public:
  // The delay boxes' times are measured on `clock`.
  explicit BusyWindows(Clock& clock, QObject* parent = nullptr);
  ~BusyWindows() override;

  // Shows the progress box with the caption (only the caption changes while it is open).
  void ShowProgress(const QString& caption);
  void SetProgress(double percent);
  void HideProgress();
  ProgressBox* Progress() const { return progress_; }

  // Shows the text in the first delay box that is not visible; its number, or -1 when all
  // eleven are in use.
  int ShowDelayMessage(const QString& text, bool showOK, double seconds);
  void HideDelayMessages();
  DelayBox* Delay(int index) const;
  int VisibleDelayCount() const { return pool_.VisibleCount(); }

  // Closes the delay boxes whose time has come (runs on a timer; tests call it directly).
  void Poll();

 private:
  void CreatePool();

  Clock& clock_;
  DelayBoxPool pool_;
  QPointer<ProgressBox> progress_;
  std::array<std::unique_ptr<DelayBox>, DelayBoxPool::kSize> delays_;
  QTimer poller_;
};

}  // namespace tlx::gui
