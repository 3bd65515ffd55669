#include "run/RunDisplay.h"

#include "common/Paths.h"
#include "common/PositionSample.h"
#include "common/TimeText.h"

#include <algorithm>

namespace tlx {

void RunDisplay::SetPictureLayout(double pictureWidth, double pictureHeight, double markerWidth,
                                  double markerHeight) {
  markerWidth_ = markerWidth;
  scaleX_ = std::max(0.0, pictureWidth - markerWidth) / 256.0;
  scaleY_ = std::max(0.0, pictureHeight - markerHeight) / 192.0;
}

void RunDisplay::UpdatePosition(int x, int y, bool runDisplayActive) {
  if (panel_ == DisplayPanel::Other) return;
  // A lost sample (no object, or a Y below the 192-row picture) shows no marker, as the analysis
  // books it no position.
  markerVisible_ = !IsLostSample(y);
  if (markerVisible_) {
    markerLeft_ = std::clamp(x, 0, 255) * scaleX_;
    markerTop_ = y * scaleY_;
  }
  if (view_) view_->MarkerMoved(markerVisible_, markerLeft_, markerTop_);

  const bool traceOn = drawTrace_ && (panel_ == DisplayPanel::Monitor || runDisplayActive);
  if (!traceOn) return;
  if (!markerVisible_) {
    penUp_ = true;  // the path breaks where the object was lost
    return;
  }
  TracePoint point{markerLeft_ + markerWidth_ / 2, markerTop_ + markerWidth_ / 2, penUp_};
  penUp_ = false;
  trace_.push_back(point);
  if (trace_.size() > kTraceMemory) trace_.pop_front();
  if (view_) view_->TraceTo(point);
}

void RunDisplay::SetPanel(DisplayPanel panel) {
  const bool entered = panel != panel_ && panel != DisplayPanel::Other;
  panel_ = panel;
  if (!entered) return;
  markerVisible_ = false;
  if (view_) view_->MarkerMoved(false, markerLeft_, markerTop_);
}

void RunDisplay::BeginSession() {
  trace_.clear();
  penUp_ = true;
  ++sessionsBegun_;
  if (view_) view_->BackgroundRedrawn();
}

void RunDisplay::SetDrawTrace(bool drawTrace) {
  drawTrace_ = drawTrace;
  penUp_ = true;
}

void RunDisplay::RefreshLabels(const RunState& state, const ExperimentParameters& parameters) {
  labels_ = BuildRunLabels(state, parameters);
  if (view_) view_->LabelsChanged(labels_);
}

void RunDisplay::ShowReadyText(bool shown) {
  readyVisible_ = shown;
  if (view_) view_->ReadyTextShown(shown);
}

RunLabels BuildRunLabels(const RunState& state, const ExperimentParameters& parameters) {
  RunLabels l;
  // Durations are shown as hours:minutes:seconds with the hours not taken modulo 24, so a
  // session of a whole day reads 24:00:00 rather than 00:00:00 (identical below one day).
  l.TimeElap = SecondsToDurationText(state.SecondsInSession) + " ";
  const std::int64_t sessions = parameters.NumberOfSessions;
  const std::int64_t current = std::min<std::int64_t>(state.SessionIndex + 1, sessions);
  l.CurrSess = " " + std::to_string(current) + " of " + std::to_string(sessions) + " ";
  l.ExptStat = (state.Armed() ? std::string("Waiting") : RunStatusText(state)) + " ";
  l.MissedSamples =
      std::to_string(state.MissedSamples) + LineNoiseNote(state.LineNoiseSamples) + " ";
  l.InitDelay = SecondsToClockText(state.DelayRemaining, false) + " ";
  l.SessionDuration = SecondsToDurationText(parameters.SessionLength) + " ";
  l.OutFile = parameters.SaveData ? FileNamePart(parameters.DataFile)
                                  : std::string("(No output file selected)");
  if (state.Armed() && state.DelayRemaining >= 0) {
    l.Countdown = "Starting in\r\n" + SecondsToDurationText(state.DelayRemaining) +
                  "\r\n\r\nClick Stop to cancel";
  }
  return l;
}

}  // namespace tlx
