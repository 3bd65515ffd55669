#include "app/controls/BusyWindows.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QWindow>

namespace tlx::gui {

BusyWindows::BusyWindows(Clock& clock, QObject* parent) : QObject(parent), clock_(clock) {
  poller_.setInterval(50);
  connect(&poller_, &QTimer::timeout, this, &BusyWindows::Poll);
}

BusyWindows::~BusyWindows() { delete progress_.data(); }

namespace {

// A window just shown is drawn only once the window system has put it on the screen; the work
// that follows keeps the program busy, so the window gets that long (at most `limitMs`) now.
void WaitUntilOnScreen(QWidget* widget, int limitMs) {
  QWindow* window = widget->windowHandle();
  if (window == nullptr || window->isExposed()) return;
  QEventLoop loop;
  QElapsedTimer waited;
  waited.start();
  QTimer check;
  check.setInterval(5);
  QObject::connect(&check, &QTimer::timeout, &loop, [&] {
    if (window->isExposed() || waited.elapsed() >= limitMs) loop.quit();
  });
  check.start();
  loop.exec(QEventLoop::ExcludeUserInputEvents);
}

}  // namespace

void BusyWindows::ShowProgress(const QString& caption) {
  const bool opening = !progress_;
  if (opening) progress_ = new ProgressBox();
  progress_->SetMessage(caption);
  progress_->show();
  progress_->raise();
  if (opening) WaitUntilOnScreen(progress_, 250);
  if (progress_) progress_->repaint();
}

void BusyWindows::SetProgress(double percent) {
  if (progress_) progress_->SetValue(percent);
}

void BusyWindows::HideProgress() {
  delete progress_.data();
  progress_ = nullptr;
}

void BusyWindows::CreatePool() {
  if (delays_[0]) return;
  for (int i = 0; i < DelayBoxPool::kSize; ++i) {
    delays_[static_cast<std::size_t>(i)] = std::make_unique<DelayBox>(pool_.Box(i), clock_);
  }
}

int BusyWindows::ShowDelayMessage(const QString& text, bool showOK, double seconds) {
  CreatePool();
  int index = -1;
  for (int i = 0; i < DelayBoxPool::kSize && index < 0; ++i) {
    if (!pool_.Box(i).Visible()) index = i;
  }
  if (index < 0) return -1;
  delays_[static_cast<std::size_t>(index)]->ShowDisp(text, showOK, seconds);
  if (pool_.Box(index).TimerIntervalMs() > 0 && !poller_.isActive()) poller_.start();
  return index;
}

void BusyWindows::HideDelayMessages() {
  pool_.HideDelayMessages();
  Poll();
}

DelayBox* BusyWindows::Delay(int index) const {
  if (index < 0 || index >= DelayBoxPool::kSize) return nullptr;
  return delays_[static_cast<std::size_t>(index)].get();
}

void BusyWindows::Poll() {
  pool_.Tick(clock_.TickMs());
  bool timed = false;
  for (int i = 0; i < DelayBoxPool::kSize; ++i) {
    if (delays_[static_cast<std::size_t>(i)]) delays_[static_cast<std::size_t>(i)]->SyncWithModel();
    timed = timed || (pool_.Box(i).Visible() && pool_.Box(i).TimerIntervalMs() > 0);
  }
  if (!timed) poller_.stop();
}

}  // namespace tlx::gui
