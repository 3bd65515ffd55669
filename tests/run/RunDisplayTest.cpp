#include "run/RunDisplay.h"
#include "run/RunTexts.h"

#include <gtest/gtest.h>

namespace tlx {
namespace {

ExperimentParameters ThreeSessions() {
  ExperimentParameters p;
  p.SessionLength = 600;
  p.NumberOfSessions = 3;
  p.SampleRate = 30;
  p.DataFile = "/runs/RAT1.DAT";
  p.SaveData = true;
  return p;
}

TEST(RunLabels, TextsOfARunningSession) {
  RunState s;
  s.Running = true;
  s.SecondsInSession = 3725;
  s.SessionIndex = 1;
  s.MissedSamples = 12;
  s.DelayRemaining = 4;
  const RunLabels l = BuildRunLabels(s, ThreeSessions());
  EXPECT_EQ(l.TimeElap, "01:02:05 ");
  EXPECT_EQ(l.CurrSess, " 2 of 3 ");
  EXPECT_EQ(l.ExptStat, "Running ");
  EXPECT_EQ(l.MissedSamples, "12 ");
  EXPECT_EQ(l.InitDelay, "00:00:04 ");
  EXPECT_EQ(l.SessionDuration, "00:10:00 ");
  EXPECT_EQ(l.OutFile, "RAT1.DAT");
}

TEST(RunLabels, EdgesOfTheCounters) {
  ExperimentParameters p = ThreeSessions();
  RunState s;
  s.SessionIndex = 3;  // after the last of three sessions
  s.Finished = s.Stopped = true;
  s.DelayRemaining = -1;  // the countdown started the run
  p.SaveData = false;
  p.SessionLength = 86400;
  s.SecondsInSession = 86400;
  const RunLabels l = BuildRunLabels(s, p);
  EXPECT_EQ(l.CurrSess, " 3 of 3 ");
  EXPECT_EQ(l.ExptStat, "Finished ");
  EXPECT_EQ(l.InitDelay, " ");
  EXPECT_EQ(l.OutFile, "(No output file selected)");
  // A whole-day session reads as 24 hours, not as midnight.
  EXPECT_EQ(l.SessionDuration, "24:00:00 ");
  EXPECT_EQ(l.TimeElap, "24:00:00 ");
  s.Finished = false;
  EXPECT_EQ(BuildRunLabels(s, p).ExptStat, "Stopped ");
  s.Stopped = false;
  EXPECT_EQ(BuildRunLabels(s, p).ExptStat, "Idle ");
}

class RecordingView : public RunDisplayView {
 public:
  void TraceTo(const TracePoint& p) override { points.push_back(p); }
  void BackgroundRedrawn() override { ++redraws; }
  std::vector<TracePoint> points;
  int redraws = 0;
};

TEST(RunDisplayModel, MarkerFollowsSamplesOnlyOnTheRunAndMonitorPanels) {
  RunDisplay d;
  d.SetPictureLayout(520, 392, 8, 8);  // 2 screen units per coordinate
  d.UpdatePosition(10, 20, true);
  EXPECT_FALSE(d.MarkerVisible());  // home panel: nothing happens
  d.SetPanel(DisplayPanel::Run);
  d.UpdatePosition(10, 20, true);
  EXPECT_TRUE(d.MarkerVisible());
  EXPECT_DOUBLE_EQ(d.MarkerLeft(), 20);
  EXPECT_DOUBLE_EQ(d.MarkerTop(), 40);
  d.UpdatePosition(255, 191, true);
  EXPECT_DOUBLE_EQ(d.MarkerLeft(), 255.0 / 256.0 * 512);
  EXPECT_LT(d.MarkerLeft() + 8, 520);  // never past the picture
  d.UpdatePosition(40, 255, true);
  EXPECT_FALSE(d.MarkerVisible());
}

TEST(RunDisplayModel, TraceBreaksWhereTheObjectIsLostAndRestartsWithASinglePoint) {
  RecordingView view;
  RunDisplay d(&view);
  d.SetPictureLayout(264, 200, 8, 8);
  d.SetPanel(DisplayPanel::Run);
  d.SetDrawTrace(true);
  d.BeginSession();
  d.UpdatePosition(10, 10, true);
  d.UpdatePosition(12, 10, true);
  d.UpdatePosition(0, 255, true);  // lost
  d.UpdatePosition(50, 60, true);
  d.UpdatePosition(52, 60, true);
  ASSERT_EQ(view.points.size(), 4u);
  EXPECT_TRUE(view.points[0].startsLine);
  EXPECT_FALSE(view.points[1].startsLine);
  EXPECT_TRUE(view.points[2].startsLine);
  EXPECT_FALSE(view.points[3].startsLine);
  EXPECT_DOUBLE_EQ(view.points[2].x, 50 + 4);  // the marker's centre
  EXPECT_DOUBLE_EQ(view.points[2].y, 60 + 4);
  d.BeginSession();
  EXPECT_TRUE(d.Trace().empty());
  EXPECT_EQ(view.redraws, 2);
}

TEST(RunDisplayModel, TraceOnTheRunPanelOnlyWhileTheRunIsActive) {
  RunDisplay d;
  d.SetPanel(DisplayPanel::Run);
  d.SetDrawTrace(true);
  d.UpdatePosition(10, 10, false);  // before the run starts: marker only
  EXPECT_TRUE(d.Trace().empty());
  EXPECT_TRUE(d.MarkerVisible());
  d.SetPanel(DisplayPanel::Monitor);  // the monitor panel traces whenever Draw Trace is set
  d.UpdatePosition(10, 10, false);
  EXPECT_EQ(d.Trace().size(), 1u);
  // Switching the trace on during a run starts with a single point.
  d.SetPanel(DisplayPanel::Run);
  d.SetDrawTrace(false);
  d.UpdatePosition(20, 20, true);
  d.SetDrawTrace(true);
  d.UpdatePosition(30, 30, true);
  EXPECT_TRUE(d.Trace().back().startsLine);
}

TEST(RunDisplayModel, ReadyTextAndItsCaption) {
  RunDisplay d;
  d.ShowReadyText(true);
  EXPECT_TRUE(d.ReadyTextVisible());
  d.ShowReadyText(false);
  EXPECT_FALSE(d.ReadyTextVisible());
  EXPECT_STREQ(kReadyToBeginText,
               "\r\n\r\nReady to begin\r\nexperiment\r\n\r\nClick Start Button\r\nor Press Space Bar");
}

}  // namespace
}  // namespace tlx
