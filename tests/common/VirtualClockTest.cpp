// The virtual clock's two waits move time deterministically: by at most one quantum a call,
// never by nothing, with device actions on the way; only the yielding wait runs program events.
#include "common/VirtualClock.h"

#include <gtest/gtest.h>

#include <limits>

namespace tlx::test {
namespace {

TEST(VirtualClockWaits, MoveTimeByBoundedStepsAndOnlyTheYieldingOneRunsEvents) {
  VirtualClock clock;
  int ticks = 0, actions = 0, polls = 0;
  clock.StartTimer(1, [&] { ++ticks; });
  clock.AddEventSource([&] { ++polls; });
  clock.ScheduleDevice(2500, [&] { ++actions; });

  clock.WaitQuietly(400);  // shorter than a quantum: exactly that far
  EXPECT_EQ(clock.NowUs(), 400);
  clock.WaitQuietly(0);  // never stands still, or a wait could loop forever
  EXPECT_EQ(clock.NowUs(), 401);
  for (int i = 0; i < 3; ++i) clock.WaitQuietly(1000000);  // a quantum at most per call
  EXPECT_EQ(clock.NowUs(), 2500);  // stopped at the device action, which ran
  EXPECT_EQ(actions, 1);
  EXPECT_EQ(ticks + polls, 0);

  clock.WaitForEvents(1000);
  EXPECT_EQ(ticks, 1);
  EXPECT_EQ(polls, 1);
  EXPECT_EQ(clock.NowUs(), 3500);
  clock.WaitForEvents(0);  // lets events run and still moves on
  EXPECT_EQ(clock.NowUs(), 3501);
  EXPECT_EQ(clock.NextDeviceUs(), std::numeric_limits<std::int64_t>::max());
}

}  // namespace
}  // namespace tlx::test
