// The run panel (fraRunExpt) and the monitor panel (fraMonitor): the live picture with its trace
// check box and Clear button; the run panel adds the run labels, the "Ready to begin" text and
// the Start, Stop and Home buttons.
#pragma once

#include "run/RunDisplay.h"
#include "setup/Colours.h"
#include "zonemap/ZoneMap.h"

#include <QFrame>

#include <cstdint>

class QCheckBox;
class QLabel;
class QProgressBar;
class QPushButton;

namespace tlx::gui {

class LivePicture;

class LivePanel : public QFrame {
  Q_OBJECT

 public:
  LivePanel(const char* frameName, const char* homeName, bool runPanel, RunDisplay& display,
            const ZoneMap& map, const ColourTable& colours, QWidget* parent = nullptr);

  LivePicture* Picture() const { return picture_; }
  QCheckBox* TraceBox() const { return trace_; }
  QPushButton* HomeButton() const { return home_; }
  QPushButton* StartButton() const { return start_; }
  QPushButton* StopButton() const { return stop_; }
  QLabel* ReadyLabel() const { return ready_; }

  void ShowLabels(const RunLabels& labels);
  // The whole run's time left and how far it has come, in the seconds the run counts.
  void ShowProgress(std::int64_t elapsedSeconds, std::int64_t totalSeconds, bool active);
  QLabel* TimeLeftLabel() const { return timeLeft_; }
  QProgressBar* ProgressBar() const { return progress_; }
  void ShowReadyText(bool shown);

 signals:
  void HomeClicked();
  void StartClicked();
  void StopClicked();
  void TraceClicked(bool on);
  void ClearClicked();

 private:
  QWidget* BuildStatus();
  // The big text over the status: the countdown while the delay runs, else "Ready to begin".
  void ShowOverStatus();

  LivePicture* picture_;
  QCheckBox* trace_;
  QPushButton* clear_;
  QPushButton* home_;
  QPushButton* start_ = nullptr;
  QPushButton* stop_ = nullptr;
  QLabel* ready_ = nullptr;
  QLabel* values_[7] = {};
  QLabel* timeLeft_ = nullptr;
  QProgressBar* progress_ = nullptr;
  bool readyShown_ = false;
  QString countdown_;
};

}  // namespace tlx::gui
