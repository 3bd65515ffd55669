#include "app/QtClock.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QThread>
#include <QTimer>

#include <algorithm>

namespace tlx::gui {

QtClock::QtClock(QObject* parent) : QObject(parent), wake_(new QTimer(this)) {
  elapsed_.start();
  wake_->setSingleShot(true);
  wake_->setTimerType(Qt::PreciseTimer);
}

QtClock::~QtClock() {
  for (auto& [id, timer] : timers_) delete timer;
}

std::int64_t QtClock::TickMs() { return elapsed_.elapsed(); }

double QtClock::SecondsSinceMidnight() {
  const QTime t = QTime::currentTime();
  return t.msecsSinceStartOfDay() / 1000.0;
}

LocalDateTime QtClock::Now() {
  const QDateTime now = QDateTime::currentDateTime();
  const QDate d = now.date();
  const QTime t = now.time();
  return {d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second(), t.msec()};
}

double QtClock::PreciseSeconds() { return elapsed_.nsecsElapsed() / 1e9; }

void QtClock::PumpEvents() {
  if (idle_) idle_();
  if (pumping_) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

void QtClock::WaitForEvents(std::int64_t maxMs) {
  if (!pumping_) return WaitQuietly(maxMs * 1000);
  if (idle_) idle_();
  if (maxMs <= 0) return;
  // The loop sleeps until an event comes: a received byte (the port's notifier), a timer, input.
  // The wake-up timer bounds the sleep; a nested wait takes it over and the outer one then
  // simply returns early and asks again.
  wake_->start(static_cast<int>(std::min<std::int64_t>(maxMs, 1000)));
  QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  wake_->stop();
}

void QtClock::WaitQuietly(std::int64_t maxUs) {
  if (idle_) idle_();
  if (maxUs <= 0) return;
  if (LineWatch* line = WatchedLine()) {
    line->WaitReadable(static_cast<int>(std::min<std::int64_t>((maxUs + 999) / 1000, 1000)));
  } else {
    QThread::usleep(static_cast<unsigned long>(std::min<std::int64_t>(maxUs, 1000000)));
  }
}

Clock::TimerId QtClock::StartTimer(int intervalMs, std::function<void()> onTick) {
  const TimerId id = nextId_++;
  auto* timer = new QTimer(this);
  timer->setTimerType(Qt::PreciseTimer);
  timer->setInterval(std::max(1, intervalMs));
  connect(timer, &QTimer::timeout, this, [onTick = std::move(onTick)] { onTick(); });
  timers_[id] = timer;
  timer->start();
  return id;
}

void QtClock::StopTimer(TimerId id) {
  auto it = timers_.find(id);
  if (it == timers_.end()) return;
  it->second->stop();
  it->second->deleteLater();
  timers_.erase(it);
}

}  // namespace tlx::gui
