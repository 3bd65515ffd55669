// The real clock for programs without a Qt event loop (the command line): time from the system,
// timers and event sources run by PumpEvents, and waits that block on the watched line until the
// next timer is due.
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
  void WaitForEvents(std::int64_t maxMs) override;
  void WaitQuietly(std::int64_t maxUs) override;
  TimerId StartTimer(int intervalMs, std::function<void()> onTick) override;
  void StopTimer(TimerId id) override;

  // Polled on every PumpEvents (e.g. a serial link checking its device for received bytes).
  int AddEventSource(std::function<void()> poll);
  void RemoveEventSource(int id);

  // Runs program events until `done` answers true or limitMs milliseconds have passed, blocking
  // between passes until bytes arrive or a timer is due (at most kLongestBlockMs, so `done` is
  // asked often enough to notice a stop request). Returns true when `done` answered true.
  bool RunUntil(const std::function<bool()>& done, std::int64_t limitMs);

  static constexpr std::int64_t kLongestBlockMs = 250;
  // How often event sources are looked at when no line is watched.
  static constexpr std::int64_t kSourceLookMs = 5;

 private:
  struct Timer {
    std::chrono::steady_clock::duration interval;
    std::chrono::steady_clock::time_point due;
    std::function<void()> onTick;
  };
  // Milliseconds until the first timer is due (0 when one is due now; `limit` when none is due
  // sooner).
  std::int64_t MsToNextTimer(std::int64_t limit) const;
  void Block(std::int64_t ms);

  std::chrono::steady_clock::time_point origin_;
  int nextId_ = 1;
  std::map<int, Timer> timers_;
  std::map<int, std::function<void()>> sources_;
  bool inEvents_ = false;
};

}  // namespace tlx
