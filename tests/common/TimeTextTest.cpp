// The program's clock texts and timing helpers, and the virtual clock the tests run them on: its
// two waits move time deterministically, by at most one quantum a call and never by nothing, with
// device actions on the way; only the yielding wait runs program events.
#include "common/TimeText.h"

#include "common/CaseTable.h"
#include "common/VirtualClock.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <tuple>

namespace tlx {
namespace {

using test::ExpectEach;
using Text = std::string;

TEST(TimeText, ClockDurationAndTimeOfDayTexts) {
  const struct { std::int64_t seconds; bool twelveHour; const char* want; } clock[] = {
      {0, true, "12:00:00 AM"}, {45000, true, "12:30:00 PM"}, {48600, true, "01:30:00 PM"},
      {86399, false, "23:59:59"}, {90000, false, "01:00:00"}, {-1, false, ""}};
  for (const auto& c : clock) EXPECT_EQ(SecondsToClockText(c.seconds, c.twelveHour), c.want) << c.seconds;
  EXPECT_EQ(SecondsToClockText(INT64_MAX, false).size(), 8u);
  ExpectEach<std::int64_t, Text>(SecondsToDurationText,
      {{90000, "25:00:00"}, {3600L * 1000 + 61, "1000:01:01"}, {-3661, "-01:01:01"},
       {INT64_MIN, "-2562047788015215:30:08"}, {INT64_MAX, "2562047788015215:30:07"}});
  // An empty minutes field counts nothing, seconds tie to even, a third ":" belongs to the
  // seconds, and infinite minus infinite is -1.
  ExpectEach<Text, std::int32_t>(DurationTextToSeconds,
      {{"1:30", 90}, {"1:30:00", 5400}, {"-20", 20}, {"1::5", 3605}, {"0:0:2.5", 2},
       {"0:0:3.5", 4}, {"1:2:3:4", 3723}, {"999999:00:00", 2147383647}, {"1e999", 2147383647},
       {"1e999:-1e999", -1}, {"", 0}, {"junk", 0}});
  ExpectEach<Text, std::int32_t>(ClockTextToSeconds,
      {{"25", 3600}, {"-3", -1}, {"14:30", 52200}, {" 9:05:07 ", 32707}, {"2pm", 50400},
       {"12 am", 0}, {"12 PM", 43200}, {"2:30 PM", 52200}, {"11:59:59 pm", 86399}});
  for (const char* bad : {"", "24:00", "12:60", "1:2:60", "13 PM", "0 AM", "2 P", "2 PM x",
                          "1:30:00:00", ":30", "14:", "123:00", "1e999", "14:3O", "2.5:00", "AM"}) {
    EXPECT_EQ(ClockTextToSeconds(bad), -1) << bad;
  }
  // Any time text: a fraction counts only after the last field; a rejected time of day is 0.
  ExpectEach<Text, double>(TimeTextToSeconds,
      {{"", 0}, {"1:30", 90}, {"2,5", 2.5}, {"2 PM", 50400}, {"-5", -5}, {"-0:05", 5},
       {"1:05.25", 65.25}, {"1.5:30", 120}, {"13 PM", 0}});
}

TEST(TimeText, PacerAnswersOncePerIntervalAcrossMidnight) {
  VirtualClock clock({2024, 1, 1, 23, 59, 59, 0});
  IntervalPacer pacer;
  EXPECT_TRUE(pacer.IntervalElapsed(clock, 1.0));  // stamp 0 is long ago; now 86399
  clock.AdvanceDevicesTo(1'000'000);               // exactly one interval is not yet later
  EXPECT_FALSE(pacer.IntervalElapsed(clock, 1.0));
  clock.AdvanceDevicesTo(1'200'000);               // 00:00:00.2, 1.2 s later
  EXPECT_NEAR(ElapsedSince(clock, 86380), 20.2, 1e-6);  // one midnight is absorbed
  EXPECT_NEAR(ElapsedSince(clock, 20), -19.8, 1e-6);    // a start in the future stays negative
  EXPECT_TRUE(pacer.IntervalElapsed(clock, 1.0));
  EXPECT_FALSE(pacer.IntervalElapsed(clock, 0.5));  // the stamp is shared by all callers
  EXPECT_TRUE(pacer.IntervalElapsed(clock, 0));
  // Each second after midnight answers once; pacing never stalls until the next evening.
  int answers = 0;
  for (int ms = 1'300; ms <= 10'300; ms += 50) {
    clock.AdvanceDevicesTo(std::int64_t(ms) * 1000);
    answers += pacer.IntervalElapsed(clock, 1.0) ? 1 : 0;
  }
  EXPECT_GE(answers, 8);
  EXPECT_LE(answers, 9);
}

TEST(TimeText, PreciseDelayWaitsOnTheCounterAndIsBounded) {
  VirtualClock clock;
  clock.SetSpinQuantumUs(100);
  const double before = clock.PreciseSeconds();
  PreciseDelay(clock, 0.005);
  const double waited = clock.PreciseSeconds() - before;
  EXPECT_TRUE(waited >= 0.005 && waited < 0.0055) << waited;
  const double again = clock.PreciseSeconds();
  PreciseDelay(clock, std::nan(""));
  EXPECT_EQ(clock.PreciseSeconds(), again);
  clock.SetSpinQuantumUs(1'000'000);
  PreciseDelay(clock, 1e12);  // a runaway request ends after a minute
  EXPECT_LT(clock.PreciseSeconds() - before, 62);
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
  EXPECT_EQ(std::tuple(actions, ticks + polls), std::tuple(1, 0));

  clock.WaitForEvents(1000);
  EXPECT_EQ(std::tuple(ticks, polls, clock.NowUs()), std::tuple(1, 1, std::int64_t{3500}));
  clock.WaitForEvents(0);  // lets events run and still moves on
  EXPECT_EQ(clock.NowUs(), 3501);
  EXPECT_EQ(clock.NextDeviceUs(), std::numeric_limits<std::int64_t>::max());
}

}  // namespace
}  // namespace tlx
