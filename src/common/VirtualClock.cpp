#include "common/VirtualClock.h"

#include <algorithm>
#include <chrono>
#include <limits>

namespace tlx {
namespace {

constexpr std::int64_t kNever = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t kUsPerSecond = 1000000;

std::int64_t DaysFromCivil(int y, int m, int d) {
  using namespace std::chrono;
  return sys_days{year{y} / month{static_cast<unsigned>(m)} / day{static_cast<unsigned>(d)}}
      .time_since_epoch()
      .count();
}

}  // namespace

VirtualClock::VirtualClock(LocalDateTime start) : start_(start) {
  startDaySeconds_ = DaysFromCivil(start.year, start.month, start.day) * 86400;
  nowUs_ = 0;
}

std::int64_t VirtualClock::TickMs() { return nowUs_ / 1000; }

double VirtualClock::SecondsSinceMidnight() {
  const double total = SecondsOfDay(start_) + static_cast<double>(nowUs_) / kUsPerSecond;
  return total - 86400.0 * static_cast<std::int64_t>(total / 86400.0);
}

LocalDateTime VirtualClock::Now() {
  using namespace std::chrono;
  const std::int64_t startMs =
      static_cast<std::int64_t>(SecondsOfDay(start_) * 1000.0 + 0.5) + startDaySeconds_ * 1000;
  const std::int64_t ms = startMs + nowUs_ / 1000;
  const std::int64_t days = (ms >= 0 ? ms : ms - 86399999) / 86400000;
  const std::int64_t msOfDay = ms - days * 86400000;
  const year_month_day ymd{sys_days{std::chrono::days{days}}};
  LocalDateTime t;
  t.year = static_cast<int>(ymd.year());
  t.month = static_cast<int>(static_cast<unsigned>(ymd.month()));
  t.day = static_cast<int>(static_cast<unsigned>(ymd.day()));
  t.hour = static_cast<int>(msOfDay / 3600000);
  t.minute = static_cast<int>(msOfDay / 60000 % 60);
  t.second = static_cast<int>(msOfDay / 1000 % 60);
  t.millisecond = static_cast<int>(msOfDay % 1000);
  return t;
}

double VirtualClock::PreciseSeconds() { return static_cast<double>(nowUs_) / kUsPerSecond; }

int VirtualClock::ScheduleDevice(std::int64_t atUs, std::function<void()> action) {
  const int id = nextId_++;
  device_.emplace(std::max(atUs, nowUs_), std::make_pair(id, std::move(action)));
  return id;
}

void VirtualClock::CancelDevice(int id) {
  for (auto it = device_.begin(); it != device_.end(); ++it) {
    if (it->second.first == id) {
      device_.erase(it);
      return;
    }
  }
}

int VirtualClock::AddEventSource(std::function<void()> poll) {
  const int id = nextId_++;
  sources_.emplace(id, std::move(poll));
  return id;
}

void VirtualClock::RemoveEventSource(int id) { sources_.erase(id); }

Clock::TimerId VirtualClock::StartTimer(int intervalMs, std::function<void()> onTick) {
  const int id = nextId_++;
  const std::int64_t interval = std::max<std::int64_t>(1, intervalMs) * 1000;
  timers_.emplace(id, Timer{interval, nowUs_ + interval, std::move(onTick)});
  return id;
}

void VirtualClock::StopTimer(TimerId id) { timers_.erase(id); }

std::int64_t VirtualClock::NextDeviceUs() const {
  return device_.empty() ? kNever : device_.begin()->first;
}

std::int64_t VirtualClock::NextTimerUs() const {
  std::int64_t next = kNever;
  for (const auto& [id, timer] : timers_) next = std::min(next, timer.dueUs);
  return next;
}

void VirtualClock::AdvanceDevicesTo(std::int64_t atUs) {
  while (!device_.empty() && device_.begin()->first <= atUs) {
    auto node = device_.extract(device_.begin());
    nowUs_ = std::max(nowUs_, node.key());
    node.mapped().second();
  }
  nowUs_ = std::max(nowUs_, atUs);
}

void VirtualClock::RunProgramEvents() {
  // Program events do not nest: a handler that pumps events (a wait inside a timer tick) only
  // lets device actions and event sources run, as a real event loop does not re-enter a timer.
  if (inProgramEvents_) {
    for (auto& [id, poll] : std::map<int, std::function<void()>>(sources_)) {
      if (sources_.count(id)) poll();
    }
    return;
  }
  inProgramEvents_ = true;
  for (auto& [id, poll] : std::map<int, std::function<void()>>(sources_)) {
    if (sources_.count(id)) poll();
  }
  std::vector<int> due;
  for (const auto& [id, timer] : timers_) {
    if (timer.dueUs <= nowUs_) due.push_back(id);
  }
  for (int id : due) {
    auto it = timers_.find(id);
    if (it == timers_.end()) continue;
    // A late timer fires once and then keeps its rhythm from now, as a real timer does.
    while (it->second.dueUs <= nowUs_) it->second.dueUs += it->second.intervalUs;
    auto onTick = it->second.onTick;
    onTick();
  }
  inProgramEvents_ = false;
}

void VirtualClock::StepTime(std::int64_t limitUs) {
  const std::int64_t target = std::min(limitUs, NextDeviceUs());
  AdvanceDevicesTo(std::max(target, nowUs_));
}

void VirtualClock::PumpEvents() {
  RunProgramEvents();
  StepTime(nowUs_ + spinQuantumUs_);
}

void VirtualClock::WaitForEvents(std::int64_t maxMs) {
  RunProgramEvents();
  StepTime(nowUs_ + std::clamp<std::int64_t>(maxMs * 1000, 1, spinQuantumUs_));
}

void VirtualClock::WaitQuietly(std::int64_t maxUs) {
  StepTime(nowUs_ + std::clamp<std::int64_t>(maxUs, 1, spinQuantumUs_));
}

bool VirtualClock::RunUntil(const std::function<bool()>& done, std::int64_t limitMs) {
  const std::int64_t deadline = nowUs_ + limitMs * 1000;
  while (true) {
    RunProgramEvents();
    if (done()) return true;
    if (nowUs_ >= deadline) return false;
    const std::int64_t next = std::min({NextDeviceUs(), NextTimerUs(), deadline});
    AdvanceDevicesTo(std::max(next, nowUs_));
  }
}

void VirtualClock::RunFor(std::int64_t ms) {
  RunUntil([] { return false; }, ms);
}

}  // namespace tlx
