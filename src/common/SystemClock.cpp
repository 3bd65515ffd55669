#include "common/SystemClock.h"

#include <ctime>
#include <thread>
#include <vector>

namespace tlx {
namespace {

LocalDateTime FromSystem(std::chrono::system_clock::time_point now) {
  const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
  std::tm local{};
  localtime_r(&seconds, &local);
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                      now.time_since_epoch()).count() % 1000;
  LocalDateTime t;
  t.year = local.tm_year + 1900;
  t.month = local.tm_mon + 1;
  t.day = local.tm_mday;
  t.hour = local.tm_hour;
  t.minute = local.tm_min;
  t.second = local.tm_sec;
  t.millisecond = static_cast<int>(ms < 0 ? ms + 1000 : ms);
  return t;
}

}  // namespace

SystemClock::SystemClock() : origin_(std::chrono::steady_clock::now()) {}

std::int64_t SystemClock::TickMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now() - origin_).count();
}

double SystemClock::SecondsSinceMidnight() {
  return SecondsOfDay(FromSystem(std::chrono::system_clock::now()));
}

LocalDateTime SystemClock::Now() { return FromSystem(std::chrono::system_clock::now()); }

double SystemClock::PreciseSeconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - origin_).count();
}

void SystemClock::PumpEvents() {
  for (auto& [id, poll] : std::map<int, std::function<void()>>(sources_)) {
    if (sources_.count(id)) poll();
  }
  if (inEvents_) return;  // timers do not re-enter themselves
  inEvents_ = true;
  const auto now = std::chrono::steady_clock::now();
  std::vector<int> due;
  for (const auto& [id, timer] : timers_) {
    if (timer.due <= now) due.push_back(id);
  }
  for (int id : due) {
    auto it = timers_.find(id);
    if (it == timers_.end()) continue;
    while (it->second.due <= now) it->second.due += it->second.interval;
    auto onTick = it->second.onTick;
    onTick();
  }
  inEvents_ = false;
}

void SystemClock::SpinWait() { std::this_thread::sleep_for(std::chrono::microseconds(200)); }

Clock::TimerId SystemClock::StartTimer(int intervalMs, std::function<void()> onTick) {
  const int id = nextId_++;
  const auto interval = std::chrono::milliseconds(intervalMs < 1 ? 1 : intervalMs);
  timers_.emplace(id, Timer{interval, std::chrono::steady_clock::now() + interval,
                            std::move(onTick)});
  return id;
}

void SystemClock::StopTimer(TimerId id) { timers_.erase(id); }

int SystemClock::AddEventSource(std::function<void()> poll) {
  const int id = nextId_++;
  sources_.emplace(id, std::move(poll));
  return id;
}

void SystemClock::RemoveEventSource(int id) { sources_.erase(id); }

bool SystemClock::RunUntil(const std::function<bool()>& done, std::int64_t limitMs) {
  const std::int64_t deadline = TickMs() + limitMs;
  while (true) {
    PumpEvents();
    if (done()) return true;
    if (TickMs() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

}  // namespace tlx
