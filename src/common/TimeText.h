// Conversions between time texts and seconds, and the clock-based waits and checks.
#pragma once

#include "common/Clock.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace tlx {

std::string SecondsToClockText(std::int64_t seconds, bool twelveHour);
std::string SecondsToDurationText(std::int64_t seconds);
std::int32_t DurationTextToSeconds(std::string_view text);
std::int32_t ClockTextToSeconds(std::string_view text);
double TimeTextToSeconds(std::string_view text);

// Seconds since `start` on the clock's time of day, absorbing one crossing of midnight.
double ElapsedSince(Clock& clock, double start);

// The shared pacing check: one stamp for all callers; any true answer restarts the interval.
class IntervalPacer {
 public:
  bool IntervalElapsed(Clock& clock, double interval);
  void Restart(Clock& clock) { stamp_ = clock.SecondsSinceMidnight(); }

 private:
  double stamp_ = 0;
};

// Waits without letting events run until the high-resolution counter has moved on by `seconds`.
void PreciseDelay(Clock& clock, double seconds);

}  // namespace tlx
