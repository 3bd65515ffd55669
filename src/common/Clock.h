// The program's view of time and of its event loop: the millisecond tick, the time of day, the
// local calendar date, a high-resolution counter, timers, and the two kinds of waiting the unit
// protocol is written against (one that lets pending events run, one that does not). Both kinds
// block until something can happen instead of spinning a processor.
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

// The serial line as something a real clock can block on while it waits.
class LineWatch {
 public:
  virtual ~LineWatch() = default;
  // Takes in what the line has received without raising any event, then blocks until more bytes
  // may have arrived or timeoutMs milliseconds have passed.
  virtual void WaitReadable(int timeoutMs) = 0;
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

  // Lets pending events run: serial receive notifications and due timers. Does not block.
  virtual void PumpEvents() = 0;
  // Blocks until an event can happen (bytes on the line, a timer due, a window event) or maxMs
  // milliseconds have passed, then lets pending events run.
  virtual void WaitForEvents(std::int64_t maxMs) = 0;
  // One pass of a wait that must NOT let program events run (the counted reads, the ping, the
  // sample poll): blocks until bytes may have arrived on the watched line or maxUs microseconds
  // have passed. A virtual clock moves time forward so that simulated devices can answer.
  virtual void WaitQuietly(std::int64_t maxUs) = 0;
  // The program is ending without its window (a signal, the display gone): from now on waits
  // let no window events run, so nothing can re-enter the shutdown or end it half way.
  virtual void EndEventPumping() {}

  // The line the waits block on (none: they sleep for their whole bound). Not owned.
  void WatchLine(LineWatch* line) { line_ = line; }

  // A repeating timer; its callback runs as a program event (inside PumpEvents or the main loop).
  virtual TimerId StartTimer(int intervalMs, std::function<void()> onTick) = 0;
  virtual void StopTimer(TimerId id) = 0;

 protected:
  LineWatch* WatchedLine() const { return line_; }

 private:
  LineWatch* line_ = nullptr;
};

// Seconds since midnight of a calendar time.
double SecondsOfDay(const LocalDateTime& t);

}  // namespace tlx
