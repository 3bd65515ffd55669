// The program's clock over Qt: wall time from the system, timers as QTimers on the event loop,
// PumpEvents lets pending Qt events run, WaitForEvents blocks in the event loop until an event
// comes or its bound passes, and a wait that must not run events blocks on the watched line.
#pragma once

#include "common/Clock.h"

#include <QElapsedTimer>
#include <QObject>

#include <functional>
#include <map>

class QTimer;

namespace tlx::gui {

class QtClock : public QObject, public Clock {
  Q_OBJECT

 public:
  explicit QtClock(QObject* parent = nullptr);
  ~QtClock() override;

  std::int64_t TickMs() override;
  double SecondsSinceMidnight() override;
  LocalDateTime Now() override;
  double PreciseSeconds() override;
  void PumpEvents() override;
  void WaitForEvents(std::int64_t maxMs) override;
  void WaitQuietly(std::int64_t maxUs) override;
  void EndEventPumping() override { pumping_ = false; }
  TimerId StartTimer(int intervalMs, std::function<void()> onTick) override;
  void StopTimer(TimerId id) override;

  // Runs on every wait and every pump, before anything else (the simulated unit catches up with
  // real time there).
  void SetIdleHook(std::function<void()> hook) { idle_ = std::move(hook); }

 private:
  QElapsedTimer elapsed_;
  QTimer* wake_;  // ends a WaitForEvents that no other event ends
  std::map<TimerId, QTimer*> timers_;
  TimerId nextId_ = 1;
  std::function<void()> idle_;
  bool pumping_ = true;
};

}  // namespace tlx::gui
