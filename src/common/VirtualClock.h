// A clock that only moves when told to, for tests and for headless runs on the simulated unit.
// Two kinds of scheduled work exist: device actions (a simulated unit putting bytes on its line),
// which happen whenever time moves, also inside busy waits; and program events (timers and
// event sources such as a serial receive notification), which run only when events are pumped.
#pragma once

#include "common/Clock.h"

#include <cstdint>
#include <functional>
#include <map>
#include <vector>

namespace tlx {

class VirtualClock : public Clock {
 public:
  explicit VirtualClock(LocalDateTime start = {});

  std::int64_t TickMs() override;
  double SecondsSinceMidnight() override;
  LocalDateTime Now() override;
  double PreciseSeconds() override;
  void PumpEvents() override;
  // Both waits move time by at most one quantum per call, as a real clock would wake up on the
  // next byte or timer; program events run only in WaitForEvents.
  void WaitForEvents(std::int64_t maxMs) override;
  void WaitQuietly(std::int64_t maxUs) override;
  TimerId StartTimer(int intervalMs, std::function<void()> onTick) override;
  void StopTimer(TimerId id) override;

  // Microseconds since the clock's start.
  std::int64_t NowUs() const { return nowUs_; }

  // Schedules a device action at an absolute time (microseconds since start). Returns its id.
  int ScheduleDevice(std::int64_t atUs, std::function<void()> action);
  void CancelDevice(int id);

  // An event source is polled whenever program events run (e.g. "bytes buffered? raise the
  // receive event"). Returns an id for RemoveEventSource.
  int AddEventSource(std::function<void()> poll);
  void RemoveEventSource(int id);

  // Moves time forward to an absolute time, running device actions on the way but no program
  // events.
  void AdvanceDevicesTo(std::int64_t atUs);
  // When the next device action is scheduled (microseconds since start; the largest value when
  // none is).
  std::int64_t NextDeviceUs() const;

  // The main loop of a headless program: runs program events and device actions in time order,
  // jumping straight to the next scheduled moment, until `done` answers true or the time limit
  // (milliseconds of virtual time from now) is reached. Returns true when `done` answered true.
  bool RunUntil(const std::function<bool()>& done, std::int64_t limitMs);
  // Runs the main loop for a stretch of virtual time.
  void RunFor(std::int64_t ms);

  // How far one wait or one PumpEvents call moves time at most (default 1 ms).
  void SetSpinQuantumUs(std::int64_t us) { spinQuantumUs_ = us; }

 private:
  struct Timer {
    std::int64_t intervalUs;
    std::int64_t dueUs;
    std::function<void()> onTick;
  };

  void RunProgramEvents();
  std::int64_t NextTimerUs() const;
  void StepTime(std::int64_t limitUs);

  LocalDateTime start_;
  std::int64_t startDaySeconds_ = 0;  // days since 1970-01-01 of start_, as seconds
  std::int64_t nowUs_ = 0;
  std::int64_t spinQuantumUs_ = 1000;
  int nextId_ = 1;
  std::multimap<std::int64_t, std::pair<int, std::function<void()>>> device_;
  std::map<int, Timer> timers_;
  std::map<int, std::function<void()>> sources_;
  bool inProgramEvents_ = false;
};

}  // namespace tlx
