// The live display of the monitor and run panels as a model: the run labels' texts, the
// position marker and the trace with its pen-up rule. The desktop program draws what the model
// says through RunDisplayView; the command line and the tests read the model directly.
#pragma once

#include "run/RunState.h"
#include "setup/ExperimentParameters.h"

#include <cstddef>
#include <deque>
#include <string>

namespace tlx {

// Which panel the main window shows, as far as the live display cares.
enum class DisplayPanel { Other, Monitor, Run };

struct RunLabels {
  std::string TimeElap;         // lblTimeElap
  std::string CurrSess;         // lblCurrSess
  std::string ExptStat;         // lblExptStat
  std::string MissedSamples;    // lblMissedSamples
  std::string InitDelay;        // lblInitDelay
  std::string SessionDuration;  // lblSessionDuration
  std::string OutFile;          // lblOutFile
  // While the initial delay counts down: the time left until the run starts, shown in place of
  // the "Ready to begin" text; empty otherwise.
  std::string Countdown;
};

struct TracePoint {
  double x = 0;
  double y = 0;
  bool startsLine = false;  // plotted alone: the pen was up
};

// What the desktop program implements to draw the model; every call is optional.
class RunDisplayView {
 public:
  virtual ~RunDisplayView() = default;
  virtual void LabelsChanged(const RunLabels& /*labels*/) {}
  virtual void MarkerMoved(bool /*visible*/, double /*left*/, double /*top*/) {}
  virtual void TraceTo(const TracePoint& /*point*/) {}
  virtual void BackgroundRedrawn() {}
  virtual void ReadyTextShown(bool /*shown*/) {}
};

class RunDisplay {
 public:
  // How many trace points the model keeps for redrawing (the view draws every one as it comes).
  static constexpr std::size_t kTraceMemory = 100000;

  explicit RunDisplay(RunDisplayView* view = nullptr) : view_(view) {}
  void SetView(RunDisplayView* view) { view_ = view; }

  // A run or monitor panel entered shows no position until the unit sends one (the last one shown
  // there may be long gone: a unit unplugged meanwhile).
  void SetPanel(DisplayPanel panel);
  DisplayPanel Panel() const { return panel_; }

  // Picture and marker sizes in screen units; the scale follows from them.
  void SetPictureLayout(double pictureWidth, double pictureHeight, double markerWidth,
                        double markerHeight);

  // A decoded or polled sample; only the run and monitor panels show it.
  void UpdatePosition(int x, int y, bool runDisplayActive);
  // A new session (or the Clear button): background redrawn, trace wiped, pen up.
  void BeginSession();
  // The trace check box.
  void SetDrawTrace(bool drawTrace);
  bool DrawTrace() const { return drawTrace_; }

  void RefreshLabels(const RunState& state, const ExperimentParameters& parameters);
  void ShowReadyText(bool shown);

  bool MarkerVisible() const { return markerVisible_; }
  double MarkerLeft() const { return markerLeft_; }
  double MarkerTop() const { return markerTop_; }
  const std::deque<TracePoint>& Trace() const { return trace_; }

 private:
  RunDisplayView* view_ = nullptr;
  DisplayPanel panel_ = DisplayPanel::Other;
  double markerWidth_ = 8;
  double scaleX_ = 1;
  double scaleY_ = 1;
  bool drawTrace_ = false;
  bool penUp_ = true;
  bool markerVisible_ = false;
  double markerLeft_ = 0;
  double markerTop_ = 0;
  bool readyVisible_ = false;
  int sessionsBegun_ = 0;
  std::deque<TracePoint> trace_;
  RunLabels labels_;
};

// The label texts of a run, each ending in one blank where the panel shows it so.
RunLabels BuildRunLabels(const RunState& state, const ExperimentParameters& parameters);

}  // namespace tlx
