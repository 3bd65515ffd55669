#include "app/QtClock.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QThread>
#include <QTimer>

namespace tlx::gui {

QtClock::QtClock(QObject* parent) : QObject(parent) { elapsed_.start(); }

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
  QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

void QtClock::SpinWait() {
  if (idle_) idle_();
  QThread::usleep(200);
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
