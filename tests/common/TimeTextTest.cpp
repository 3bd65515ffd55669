#include "common/TimeText.h"

#include "common/VirtualClock.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace tlx {
namespace {

TEST(TimeText, ClockTexts) {
  EXPECT_EQ(SecondsToClockText(0, false), "00:00:00");
  EXPECT_EQ(SecondsToClockText(0, true), "12:00:00 AM");
  EXPECT_EQ(SecondsToClockText(45000, true), "12:30:00 PM");
  EXPECT_EQ(SecondsToClockText(48600, true), "01:30:00 PM");
  EXPECT_EQ(SecondsToClockText(86399, true), "11:59:59 PM");
  EXPECT_EQ(SecondsToClockText(86399, false), "23:59:59");
  EXPECT_EQ(SecondsToClockText(90000, false), "01:00:00");
  EXPECT_EQ(SecondsToClockText(-1, false), "");
  EXPECT_EQ(SecondsToClockText(INT64_MAX, false).size(), 8u);
  EXPECT_EQ(SecondsToDurationText(90000), "25:00:00");
  EXPECT_EQ(SecondsToDurationText(59), "00:00:59");
  EXPECT_EQ(SecondsToDurationText(3600L * 1000 + 61), "1000:01:01");
  EXPECT_EQ(SecondsToDurationText(-3661), "-01:01:01");
  EXPECT_EQ(SecondsToDurationText(INT64_MIN), "-2562047788015215:30:08");
  EXPECT_EQ(SecondsToDurationText(INT64_MAX), "2562047788015215:30:07");
}

TEST(TimeText, DurationTexts) {
  EXPECT_EQ(DurationTextToSeconds("1:30"), 90);
  EXPECT_EQ(DurationTextToSeconds("1:30:00"), 5400);
  EXPECT_EQ(DurationTextToSeconds("-20"), 20);
  EXPECT_EQ(DurationTextToSeconds("45"), 45);
  EXPECT_EQ(DurationTextToSeconds("1::5"), 3605);  // an empty minutes field counts nothing
  EXPECT_EQ(DurationTextToSeconds("0:0:2.5"), 2);  // ties to even
  EXPECT_EQ(DurationTextToSeconds("0:0:3.5"), 4);
  EXPECT_EQ(DurationTextToSeconds("1:2:3:4"), 3723);  // the third ":" belongs to the seconds
  EXPECT_EQ(DurationTextToSeconds("999999:00:00"), 2147383647);
  EXPECT_EQ(DurationTextToSeconds("1e999"), 2147383647);
  EXPECT_EQ(DurationTextToSeconds("1e999:-1e999"), -1);  // infinite minus infinite
  EXPECT_EQ(DurationTextToSeconds(""), 0);
  EXPECT_EQ(DurationTextToSeconds("junk"), 0);
}

TEST(TimeText, TimesOfDay) {
  EXPECT_EQ(ClockTextToSeconds("25"), 3600);
  EXPECT_EQ(ClockTextToSeconds("-3"), -1);
  EXPECT_EQ(ClockTextToSeconds("14"), 50400);
  EXPECT_EQ(ClockTextToSeconds("14:30"), 52200);
  EXPECT_EQ(ClockTextToSeconds(" 9:05:07 "), 32707);
  EXPECT_EQ(ClockTextToSeconds("2 PM"), 50400);
  EXPECT_EQ(ClockTextToSeconds("2pm"), 50400);
  EXPECT_EQ(ClockTextToSeconds("12 am"), 0);
  EXPECT_EQ(ClockTextToSeconds("12 PM"), 43200);
  EXPECT_EQ(ClockTextToSeconds("2:30 PM"), 52200);
  EXPECT_EQ(ClockTextToSeconds("11:59:59 pm"), 86399);
  EXPECT_EQ(ClockTextToSeconds("0:00"), 0);
  for (const char* bad : {"", "xyz", "24:00", "12:60", "1:2:60", "13 PM", "0 AM", "2 P",
                          "2 PM x", "1:30:00:00", ":30", "14:", "123:00", "1e999", "14:3O",
                          "2.5:00", "AM"}) {
    EXPECT_EQ(ClockTextToSeconds(bad), -1) << bad;
  }
}

TEST(TimeText, AnyTimeTextToSeconds) {
  EXPECT_EQ(TimeTextToSeconds(""), 0);
  EXPECT_EQ(TimeTextToSeconds("90"), 90);
  EXPECT_EQ(TimeTextToSeconds("1:30"), 90);
  EXPECT_EQ(TimeTextToSeconds("2,5"), 2.5);
  EXPECT_EQ(TimeTextToSeconds("2 PM"), 50400);
  EXPECT_EQ(TimeTextToSeconds("-5"), -5);
  EXPECT_EQ(TimeTextToSeconds("-0:05"), 5);
  EXPECT_EQ(TimeTextToSeconds("1:05.25"), 65.25);
  EXPECT_EQ(TimeTextToSeconds("1:05.75"), 65.75);
  EXPECT_EQ(TimeTextToSeconds("1.5:30"), 120);  // the fraction is not after the last field
  EXPECT_EQ(TimeTextToSeconds("13 PM"), 0);      // a rejected time of day counts as 0
}

TEST(TimeText, ElapsedTimeAbsorbsOneMidnight) {
  VirtualClock clock({2024, 1, 1, 23, 59, 50, 0});
  EXPECT_DOUBLE_EQ(ElapsedSince(clock, 86380), 10);
  clock.AdvanceDevicesTo(20'000'000);  // 00:00:10 next day
  EXPECT_NEAR(ElapsedSince(clock, 86380), 30, 1e-6);
  EXPECT_NEAR(ElapsedSince(clock, 20), -10, 1e-6);  // a start in the future stays negative
}

TEST(TimeText, PacerAnswersOncePerIntervalForAllCallers) {
  VirtualClock clock({2024, 1, 1, 12, 0, 0, 0});
  IntervalPacer pacer;
  EXPECT_TRUE(pacer.IntervalElapsed(clock, 1.0));  // stamp 0 is long ago
  EXPECT_FALSE(pacer.IntervalElapsed(clock, 1.0));
  clock.AdvanceDevicesTo(1'000'000);
  EXPECT_FALSE(pacer.IntervalElapsed(clock, 1.0));  // exactly one interval is not yet later
  clock.AdvanceDevicesTo(1'001'000);
  EXPECT_TRUE(pacer.IntervalElapsed(clock, 1.0));
  EXPECT_FALSE(pacer.IntervalElapsed(clock, 0.5));  // the stamp is shared
  EXPECT_TRUE(pacer.IntervalElapsed(clock, 0));
  EXPECT_TRUE(pacer.IntervalElapsed(clock, -3));
}

TEST(TimeText, PacerKeepsPacingAcrossMidnightAndClockChanges) {
  VirtualClock clock({2024, 1, 1, 23, 59, 59, 0});
  IntervalPacer pacer;
  ASSERT_TRUE(pacer.IntervalElapsed(clock, 0));  // stamp 86399
  clock.AdvanceDevicesTo(500'000);                // 23:59:59.5
  EXPECT_FALSE(pacer.IntervalElapsed(clock, 1.0));
  clock.AdvanceDevicesTo(1'200'000);              // 00:00:00.2, 1.2 s later
  EXPECT_TRUE(pacer.IntervalElapsed(clock, 1.0));
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
  EXPECT_GE(waited, 0.005);
  EXPECT_LT(waited, 0.0055);
  const double again = clock.PreciseSeconds();
  PreciseDelay(clock, -1);
  PreciseDelay(clock, std::nan(""));
  EXPECT_EQ(clock.PreciseSeconds(), again);
  clock.SetSpinQuantumUs(1'000'000);
  PreciseDelay(clock, 1e12);  // a runaway request ends after a minute
  EXPECT_LT(clock.PreciseSeconds() - again, 62);
}

}  // namespace
}  // namespace tlx
