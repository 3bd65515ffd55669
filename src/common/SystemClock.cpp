#include "common/SystemClock.h"

#include <algorithm>
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

std::int64_t SystemClock::MsToNextTimer(std::int64_t limit) const {
  const auto now = std::chrono::steady_clock::now();
  for (const auto& [id, timer] : timers_) {
    if (timer.due <= now) return 0;
    // Rounded up, so the wait does not end just before the timer is due and pass again at once.
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(timer.due - now).count();
    limit = std::min<std::int64_t>(limit, left);
  }
  return limit;
}

void SystemClock::Block(std::int64_t ms) {
  if (ms <= 0) return;
  if (LineWatch* line = WatchedLine()) {
    line->WaitReadable(static_cast<int>(std::min<std::int64_t>(ms, kLongestBlockMs)));
    return;
  }
  // Without a line to block on, event sources can only be looked at again after a short sleep.
  const std::int64_t sleepMs = std::min(ms, sources_.empty() ? kLongestBlockMs : kSourceLookMs);
  std::this_thread::sleep_for(std::chrono::milliseconds(sleepMs));
}

void SystemClock::WaitForEvents(std::int64_t maxMs) {
  // A timer that runs this wait from its own tick is not due again until the tick is over, so it
  // does not cut the wait short.
  Block(inEvents_ ? maxMs : MsToNextTimer(maxMs));
  PumpEvents();
}

void SystemClock::WaitQuietly(std::int64_t maxUs) {
  if (maxUs <= 0) return;
  if (LineWatch* line = WatchedLine()) {
    const std::int64_t ms = std::min<std::int64_t>((maxUs + 999) / 1000, kLongestBlockMs);
    line->WaitReadable(static_cast<int>(ms));
  } else {
    std::this_thread::sleep_for(std::chrono::microseconds(maxUs));
  }
}

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
  PumpEvents();
  while (!done()) {
    const std::int64_t left = deadline - TickMs();
    if (left <= 0) return false;
    WaitForEvents(std::min(left, kLongestBlockMs));
  }
  return true;
}

}  // namespace tlx
