#include "common/VirtualClock.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

namespace tlx {
namespace {

TEST(VirtualClock, CalendarAndTimeOfDayFollowVirtualTime) {
  VirtualClock clock({2024, 2, 28, 23, 59, 59, 500});
  EXPECT_DOUBLE_EQ(clock.SecondsSinceMidnight(), 86399.5);
  clock.AdvanceDevicesTo(1'000'000);  // one second: past midnight into Feb 29 (leap year)
  const LocalDateTime t = clock.Now();
  EXPECT_EQ(std::tuple(t.month, t.day, t.hour, t.second, t.millisecond), std::tuple(2, 29, 0, 0, 500));
  EXPECT_NEAR(clock.SecondsSinceMidnight(), 0.5, 1e-9);
  EXPECT_EQ(clock.TickMs(), 1000);
}

TEST(VirtualClock, BusyWaitsRunDevicesButNoProgramEvents) {
  VirtualClock clock;
  int ticks = 0, device = 0;
  clock.StartTimer(10, [&] { ++ticks; });
  clock.ScheduleDevice(5000, [&] { ++device; });
  for (int i = 0; i < 20; ++i) clock.SpinWait();
  EXPECT_EQ(device, 1);
  EXPECT_EQ(ticks, 0);
  EXPECT_EQ(clock.TickMs(), 20);
  clock.PumpEvents();
  EXPECT_EQ(ticks, 1);  // a late timer fires once, not once per missed interval
}

TEST(VirtualClock, MainLoopRunsEventsInTimeOrderAndStopsWhenDone) {
  VirtualClock clock;
  std::vector<std::int64_t> seen;
  clock.StartTimer(55, [&] { seen.push_back(clock.TickMs()); });
  EXPECT_TRUE(clock.RunUntil([&] { return seen.size() == 3; }, 10'000));
  EXPECT_EQ(seen, (std::vector<std::int64_t>{55, 110, 165}));
  EXPECT_FALSE(clock.RunUntil([] { return false; }, 100));
  EXPECT_EQ(clock.TickMs(), 265);
}

TEST(VirtualClock, EventSourcesAreNotReenteredByTimersThatPump) {
  VirtualClock clock;
  int depth = 0, maxDepth = 0, polls = 0;
  clock.AddEventSource([&] { ++polls; });
  clock.StartTimer(10, [&] {
    ++depth;
    maxDepth = std::max(maxDepth, depth);
    for (int i = 0; i < 30; ++i) clock.PumpEvents();  // a wait that yields inside a tick
    --depth;
  });
  clock.RunFor(100);
  EXPECT_EQ(maxDepth, 1);
  EXPECT_GT(polls, 30);
}

}  // namespace
}  // namespace tlx
