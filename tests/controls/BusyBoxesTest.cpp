#include "common/VirtualClock.h"
#include "controls/BusyBoxes.h"

#include <gtest/gtest.h>

#include <cmath>

namespace tlx {
namespace {

TEST(ProgressBox, ValueIsLimitedAndShownAsWholePercent) {
  ProgressModel p;
  p.SetMessage("Loading Map");
  EXPECT_EQ(p.CaptionText(), "Loading Map ... Please Wait");
  p.SetValue(150);
  EXPECT_EQ(p.PercentText(), "100%");
  EXPECT_DOUBLE_EQ(p.FillWidth(202), 200);
  p.SetValue(-5);
  EXPECT_EQ(p.PercentText(), "0%");
  EXPECT_DOUBLE_EQ(p.FillWidth(202), 0);
  p.SetValue(42.5);
  EXPECT_EQ(p.PercentText(), "43%");
  EXPECT_DOUBLE_EQ(p.FillWidth(102), 42.5);
  p.SetValue(NAN);
  EXPECT_EQ(p.PercentText(), "0%");
  EXPECT_DOUBLE_EQ(p.FillWidth(1), 0);  // a tiny outline never gets a negative fill
}

TEST(DelayBox, ClosesAfterItsSecondsOnTheClock) {
  VirtualClock clock;
  DelayBoxPool pool;
  ASSERT_EQ(pool.ShowDelayMessage("Printing", false, 2, clock.TickMs()), 0);
  EXPECT_EQ(pool.Box(0).TimerIntervalMs(), 2000);
  clock.RunFor(1999);
  EXPECT_FALSE(pool.Tick(clock.TickMs()));
  EXPECT_TRUE(pool.Box(0).Visible());
  clock.RunFor(1);
  EXPECT_TRUE(pool.Tick(clock.TickMs()));
  EXPECT_FALSE(pool.Box(0).Visible());
}

TEST(DelayBox, ZeroSecondsWaitsToBeDismissedAndTheTwelfthFindsNoBox) {
  DelayBoxPool pool;
  for (int i = 0; i < DelayBoxPool::kSize; ++i) {
    EXPECT_EQ(pool.ShowDelayMessage("m" + std::to_string(i), true, 0, 0), i);
  }
  EXPECT_EQ(pool.ShowDelayMessage("twelfth", true, 0, 0), -1);
  EXPECT_FALSE(pool.Tick(1'000'000'000));
  EXPECT_EQ(pool.VisibleCount(), 11);
  pool.Box(3).Unload();  // OK pressed
  EXPECT_EQ(pool.ShowDelayMessage("again", false, 0, 0), 3);
  pool.HideDelayMessages();
  EXPECT_EQ(pool.VisibleCount(), 0);
}

TEST(DelayBox, LayoutHasItsMinimumsAndRoomForTheButton) {
  const DelayBoxLayout small = ComputeDelayBoxLayout(600, 200, 300, 1000, 400, false);
  EXPECT_EQ(small.width, 3000);
  EXPECT_EQ(small.height, 1500);
  EXPECT_EQ(small.labelLeft, 1200);
  const DelayBoxLayout wide = ComputeDelayBoxLayout(4000, 1200, 300, 1000, 400, true);
  EXPECT_EQ(wide.width, 6000);
  EXPECT_EQ(wide.height, 1200 + 300 + 500 + 400);
  EXPECT_EQ(wide.buttonLeft, 2500);
  EXPECT_GE(wide.buttonTop, wide.labelTop + 1200);
}

}  // namespace
}  // namespace tlx
