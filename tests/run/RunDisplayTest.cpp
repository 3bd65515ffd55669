#include "run/RunDisplay.h"

#include <gtest/gtest.h>

namespace tlx::test {
namespace {

TEST(RunLabels, TextsAtTheEdgesOfTheCounters) {
  ExperimentParameters p;
  p.NumberOfSessions = 3;
  p.DataFile = "/runs/RAT1.DAT";  // named, but not saved to
  RunState s;
  s.MissedSamples = 12;
  s.SessionIndex = 3;  // after the last of three sessions
  s.Ended = RunEnding::LastSession;
  s.DelayRemaining = -1;  // the countdown has started the run
  p.SessionLength = s.SecondsInSession = 86400;
  const RunLabels l = BuildRunLabels(s, p);
  // A whole day is 24:00:00, not midnight.
  EXPECT_EQ(l.MissedSamples + "|" + l.OutFile + "|" + l.CurrSess + "|" + l.ExptStat + "|" + l.InitDelay + "|" +
                l.SessionDuration,
            "12 |(No output file selected)| 3 of 3 |Finished | |24:00:00 ");
  s.Ended = RunEnding::UnitSilent;
  s.SessionIndex = 1;
  EXPECT_EQ(BuildRunLabels(s, p).ExptStat, "Stopped ");
  EXPECT_EQ(BuildRunLabels(s, p).CurrSess, " 2 of 3 ");
}

class TraceLog : public RunDisplayView {
 public:
  void TraceTo(const TracePoint& p) override { points.push_back(p); }
  std::vector<TracePoint> points;
};

TEST(RunDisplayModel, MarkerAndTraceFollowTheRulesOfEachPanel) {
  TraceLog view;
  RunDisplay d(&view);
  d.SetPictureLayout(520, 392, 8, 8);  // 2 screen units per coordinate
  d.SetDrawTrace(true);
  d.UpdatePosition(10, 20, true);
  EXPECT_FALSE(d.MarkerVisible());  // home panel: nothing happens
  d.SetPanel(DisplayPanel::Run);
  d.UpdatePosition(10, 20, false);  // the run has not started: marker only
  EXPECT_TRUE(d.MarkerVisible());
  EXPECT_DOUBLE_EQ(d.MarkerLeft(), 20);
  EXPECT_DOUBLE_EQ(d.MarkerTop(), 40);
  EXPECT_TRUE(view.points.empty());
  d.UpdatePosition(255, 191, true);
  EXPECT_DOUBLE_EQ(d.MarkerLeft(), 255.0 / 256.0 * 512);  // never past the picture
  EXPECT_DOUBLE_EQ(d.MarkerTop(), 191 * 2);
  d.UpdatePosition(12, 192, false);  // below the picture's 192 rows: a lost sample, no marker
  EXPECT_FALSE(d.MarkerVisible());
  d.UpdatePosition(12, 20, true);
  d.UpdatePosition(40, 255, true);  // lost: hidden, and the trace breaks
  EXPECT_FALSE(d.MarkerVisible());
  d.UpdatePosition(50, 60, true);
  ASSERT_EQ(view.points.size(), 3u);
  EXPECT_FALSE(view.points[1].startsLine);
  EXPECT_TRUE(view.points[2].startsLine);
  EXPECT_DOUBLE_EQ(view.points[2].x, 100 + 4);  // the marker's centre
  EXPECT_DOUBLE_EQ(view.points[2].y, 120 + 4);

  d.SetDrawTrace(false);  // switched on again during the run: a single point first
  d.UpdatePosition(52, 60, true);
  d.SetDrawTrace(true);
  d.UpdatePosition(54, 60, true);
  EXPECT_TRUE(view.points.back().startsLine);
  d.BeginSession();
  EXPECT_TRUE(d.Trace().empty());
  d.SetPanel(DisplayPanel::Monitor);  // the monitor panel traces whenever Draw Trace is set
  d.UpdatePosition(10, 10, false);
  EXPECT_EQ(d.Trace().size(), 1u);
  d.SetPanel(DisplayPanel::Other);  // entered again: no position until the unit sends one
  d.SetPanel(DisplayPanel::Monitor);
  EXPECT_FALSE(d.MarkerVisible());
}

}  // namespace
}  // namespace tlx::test
