#include "common/VirtualClock.h"
#include "controls/BusyBoxes.h"

#include <gtest/gtest.h>

#include <cmath>

namespace tlx {
namespace {

TEST(ProgressBox, ValueIsLimitedAndShownAsWholePercent) {
  ProgressModel p;
  const struct { double value; const char* percent; double outline; double fill; } cases[] = {
      {150, "100%", 202, 200},
      {-5, "0%", 202, 0},
      {42.5, "43%", 102, 42.5},
      {NAN, "0%", 1, 0},  // a tiny outline never gets a negative fill
  };
  for (const auto& c : cases) {
    p.SetValue(c.value);
    EXPECT_EQ(p.PercentText(), c.percent) << c.value;
    EXPECT_DOUBLE_EQ(p.FillWidth(c.outline), c.fill) << c.value;
  }
}

TEST(DelayBox, ClosesAfterItsSecondsOnTheClock) {
  VirtualClock clock;
  DelayBoxPool pool;
  ASSERT_EQ(pool.ShowDelayMessage("Printing", false, 2, clock.TickMs()), 0);
  EXPECT_EQ(pool.Box(0).TimerIntervalMs(), 2000);
  clock.RunFor(1999);
  EXPECT_FALSE(pool.Tick(clock.TickMs()));
  clock.RunFor(1);
  EXPECT_TRUE(pool.Tick(clock.TickMs()));
  EXPECT_FALSE(pool.Box(0).Visible());
}

}  // namespace
}  // namespace tlx
