// The program's view of time and of its event loop: the millisecond tick, the time of day, the
// local calendar date, a high-resolution counter, timers, and the two kinds of waiting the unit
// protocol is written against (one that lets pending events run, one that does not).
#pragma once

#include <cstdint>
#include <functional>

namespace tlx {

struct LocalDateTime {
  int year = 2000;
  int month = 1;   // 1..12
  int day = 1;     // 1..31
  int hour = 0;
  int minute = 0;
  int second = 0;
  int millisecond = 0;
};

class Clock {
 public:
  using TimerId = int;

  virtual ~Clock() = default;

  // Milliseconds since an arbitrary start; never goes backwards.
  virtual std::int64_t TickMs() = 0;
  // Local time of day in seconds since midnight, with fractions.
  virtual double SecondsSinceMidnight() = 0;
  // Local wall-clock date and time.
  virtual LocalDateTime Now() = 0;
  // A high-resolution counter in seconds (arbitrary origin).
  virtual double PreciseSeconds() = 0;

  // Lets pending events run: serial receive notifications and due timers.
  virtual void PumpEvents() = 0;
  // One pass of a busy wait that must NOT let program events run (the counted reads, the ping,
  // the sample poll). A real clock pauses briefly; a virtual clock moves time forward so that
  // simulated devices can answer.
  virtual void SpinWait() = 0;

  // A repeating timer; its callback runs as a program event (inside PumpEvents or the main loop).
  virtual TimerId StartTimer(int intervalMs, std::function<void()> onTick) = 0;
  virtual void StopTimer(TimerId id) = 0;
};

// Seconds since midnight of a calendar time.
double SecondsOfDay(const LocalDateTime& t);

}  // namespace tlx
