// The real clock for programs without a Qt event loop (the command line): time from the system,
// timers and event sources run by PumpEvents, and busy waits that pause briefly between passes.
#pragma once

#include "common/Clock.h"

#include <chrono>
#include <functional>
#include <map>

namespace tlx {

class SystemClock : public Clock {
 public:
  SystemClock();

  std::int64_t TickMs() override;
  double SecondsSinceMidnight() override;
  LocalDateTime Now() override;
  double PreciseSeconds() override;
  void PumpEvents() override;
  void SpinWait() override;
  TimerId StartTimer(int intervalMs, std::function<void()> onTick) override;
  void StopTimer(TimerId id) override;

  // Polled on every PumpEvents (e.g. a serial link checking its device for received bytes).
  int AddEventSource(std::function<void()> poll);
  void RemoveEventSource(int id);

  // Runs PumpEvents until `done` answers true or limitMs milliseconds have passed, sleeping
  // about a millisecond between passes. Returns true when `done` answered true.
  bool RunUntil(const std::function<bool()>& done, std::int64_t limitMs);

 private:
  struct Timer {
    std::chrono::steady_clock::duration interval;
    std::chrono::steady_clock::time_point due;
    std::function<void()> onTick;
  };
  std::chrono::steady_clock::time_point origin_;
  int nextId_ = 1;
  std::map<int, Timer> timers_;
  std::map<int, std::function<void()>> sources_;
  bool inEvents_ = false;
};

}  // namespace tlx
