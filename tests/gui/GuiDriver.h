// Driving the real main window in the widget tests: a clock that jumps over the unit's waits, the
// whole desktop as main() builds it over the simulated unit in a fresh program home, and an
// answerer that clicks the message boxes and the stop window as scripted and records every one
// it saw.
#pragma once

#include "app/AppLinks.h"
#include "app/Desktop.h"
#include "app/MainWindow.h"
#include "app/data/PanelHookup.h"
#include "app/QtClock.h"
#include "app/dialogs/StopExperimentWindow.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

namespace tlx::gui::test {

// The test classes of one executable, run one after another by GuiMain.cpp.
using SuiteMaker = std::unique_ptr<QObject> (*)();
inline std::vector<SuiteMaker>& Suites() {
  static std::vector<SuiteMaker> suites;
  return suites;
}
#define TLX_GUI_TEST(Class)                                                                                  \
  static const bool kRegistered##Class = (tlx::gui::test::Suites().push_back([]() -> std::unique_ptr<QObject> { \
    return std::make_unique<Class>();                                                                        \
  }), true);

// The program's clock in the tests: the program's own Qt clock and event loop, but time runs
// `speed` times the wall clock and a wait does not sleep: it ends at once at its bound or at the
// simulated unit's next action, whichever comes first, with the unit caught up to that moment.
// The unit's fixed waits (a second after a reset, half seconds around the wake-up probe) then
// cost no real time; timers tick `speed` times as often.
class FastClock : public QtClock {
 public:
  explicit FastClock(double speed) : speed_(speed), start_(QDateTime::currentDateTime()) { real_.start(); }
  void Attach(SimulatedPort& sim) {
    sim_ = &sim;
    base_ = NowUs();
    sim.FollowTime([this] { return NowUs() - base_; });
    SetIdleHook([this] { sim_->Sync(); });
  }
  std::int64_t NowUs() const { return static_cast<std::int64_t>(real_.nsecsElapsed() / 1000.0 * speed_) + skippedUs_; }
  std::int64_t TickMs() override { return NowUs() / 1000; }
  double PreciseSeconds() override { return NowUs() / 1e6; }
  double SecondsSinceMidnight() override { return SecondsOfDay(Now()); }
  LocalDateTime Now() override {
    const QDateTime t = start_.addMSecs(NowUs() / 1000);
    return {t.date().year(), t.date().month(), t.date().day(), t.time().hour(), t.time().minute(),
            t.time().second(), t.time().msec()};
  }
  void WaitForEvents(std::int64_t maxMs) override {
    Jump(maxMs * 1000);
    QCoreApplication::processEvents();
  }
  void WaitQuietly(std::int64_t maxUs) override { Jump(maxUs); }
  TimerId StartTimer(int intervalMs, std::function<void()> onTick) override {
    return QtClock::StartTimer(std::max(1, static_cast<int>(intervalMs / speed_)), std::move(onTick));
  }

 private:
  void Jump(std::int64_t maxUs) {
    if (!sim_ || maxUs <= 0) return;
    sim_->Sync();
    const std::int64_t now = NowUs();
    const std::int64_t next = sim_->NextActionUs();  // the largest value when the unit has nothing to do
    skippedUs_ += std::clamp(next - (now - base_), std::int64_t{0}, maxUs);
    sim_->Sync();
  }

  double speed_;
  QDateTime start_;
  QElapsedTimer real_;
  std::int64_t skippedUs_ = 0;
  std::int64_t base_ = 0;
  SimulatedPort* sim_ = nullptr;
};

struct SeenBox {
  QString caption;
  QString text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QMessageBox::StandardButtons buttons;
  bool stopWindow = false;
  bool cancelShown = false;  // the stop window's form
  Qt::TextFormat format = Qt::PlainText;
  QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;  // what Enter presses
  bool resultsOffered = false;  // the stop window offered to open the run's results
  QString okText;               // what the OK button says
};

class DialogAnswerer {
 public:
  DialogAnswerer() {
    timer_.setInterval(10);
    QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
    timer_.start();
  }
  // The button for the next message box (unscripted: OK or Yes when offered).
  void Queue(QMessageBox::StandardButton button) { boxes_.push_back(button); }
  // The file the next file dialog chooses (unscripted: cancelled).
  void QueueFile(const QString& path) { files_.push_back(path); }
  // The answer for the next stop window (unscripted: OK).
  void QueueStop(bool ok) { stops_.push_back(ok); }
  // A finish window that offers the run's results is answered with "Open Results".
  bool openResults = false;
  const std::vector<SeenBox>& Seen() const { return seen_; }
  void Clear() { seen_.clear(); }
  int Count(const QString& caption) const {
    return static_cast<int>(
        std::count_if(seen_.begin(), seen_.end(), [&](const SeenBox& s) { return s.caption == caption; }));
  }

 private:
  void Poll() {
    QWidget* w = QApplication::activeModalWidget();
    if (!w || !w->isVisible()) return;
    if (auto* box = qobject_cast<QMessageBox*>(w)) {
      seen_.push_back({box->windowTitle(), box->text(), box->icon(), box->standardButtons(), false,
                       false, box->textFormat(),
                       box->defaultButton() ? box->standardButton(box->defaultButton()) : QMessageBox::NoButton,
                       false, box->button(QMessageBox::Ok) ? box->button(QMessageBox::Ok)->text() : QString()});
      QMessageBox::StandardButton b = QMessageBox::NoButton;
      if (!boxes_.empty()) {
        b = boxes_.front();
        boxes_.pop_front();
      }
      if (b == QMessageBox::NoButton || !box->button(b))
        b = box->button(QMessageBox::Ok) ? QMessageBox::Ok : QMessageBox::Yes;
      if (QAbstractButton* button = box->button(b)) button->click();
      else box->reject();
      return;
    }
    if (auto* dialog = qobject_cast<QFileDialog*>(w)) {
      seen_.push_back({dialog->windowTitle(), {}, QMessageBox::NoIcon, {}});
      if (files_.empty()) {
        dialog->reject();
        return;
      }
      // The dialog puts a chosen file into its name box only while that box has no focus; once
      // the dialog is active the focus is there, the name stays empty, the accept below is
      // refused and the dialog stays open.
      if (auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) name->clearFocus();
      dialog->selectFile(files_.front());
      files_.pop_front();
      static_cast<QDialog*>(dialog)->accept();  // the file dialog's own accept checks the choice
      return;
    }
    if (auto* stop = qobject_cast<StopExperimentWindow*>(w)) {
      if (!stop->Waiting()) return;
      const bool offered = stop->ResultsButton()->isVisible();
      seen_.push_back({stop->windowTitle(), stop->Message()->text(), QMessageBox::NoIcon, {}, true,
                       stop->CancelButton()->isVisible(), Qt::PlainText, QMessageBox::NoButton, offered});
      if (offered && openResults) {
        stop->ResultsButton()->click();
        return;
      }
      bool ok = true;
      if (!stops_.empty()) {
        ok = stops_.front();
        stops_.pop_front();
      }
      (ok ? stop->OkButton() : stop->CancelButton())->click();
    }
  }

  QTimer timer_;
  std::deque<QMessageBox::StandardButton> boxes_;
  std::deque<QString> files_;
  std::deque<bool> stops_;
  std::vector<SeenBox> seen_;
};

// The whole desktop as main() builds it (zone editor and data panel included) over the simulated
// unit on the fast clock, started up over a program home (its own temporary one, or `homePath`)
// that `fillHome` may have prepared.
struct WindowRig {
  explicit WindowRig(const std::function<void(const QTemporaryDir& home)>& fillHome = {}, double speed = 4.0,
                     const QString& homePath = {})
      : homePath(homePath.isEmpty() ? home.path() : homePath), clock(speed) {
    if (fillHome) fillHome(home);
    sim = std::make_unique<SimulatedPort>(clock.Now(), 1, speed);
    clock.Attach(*sim);
    // The manual is looked for in the home, where a test can put one.
    desktop = std::make_unique<Desktop>(AppServices{this->homePath.toStdString(), clock, *sim,
                                                    NumberDevices({"(simulated unit)"}),
                                                    File("manual/index.html").toStdString(), 1, {}});
    window = &desktop->Window();
    window->show();
    window->StartUp();
  }
  ~WindowRig() { Close(); }
  // The window's shutdown, as at the end of the program.
  void Close() {
    if (window && !window->ShutdownDone()) window->ShutdownUnattended();
  }
  // A menu item by name: the window's own, or one added by another object (the recent entries).
  QAction* Menu(const char* name) const {
    QAction* a = window->Menu(QLatin1String(name));
    return a ? a : window->findChild<QAction*>(QLatin1String(name));
  }
  DataZonePanels& Panels() { return desktop->Panels(); }
  Program& P() { return window->GetProgram(); }
  QString File(const QString& name) const { return homePath + "/" + name; }
  // Lets events run until the condition holds or the time is up.
  static bool WaitFor(const std::function<bool()>& done, int limitMs) {
    QElapsedTimer t;
    t.start();
    while (!done()) {
      if (t.elapsed() > limitMs) return false;
      QTest::qWait(10);
    }
    return true;
  }

  QTemporaryDir home;
  QString homePath;
  FastClock clock;
  std::unique_ptr<SimulatedPort> sim;
  DialogAnswerer answerer;  // answers from the window's first question on
  std::unique_ptr<Desktop> desktop;
  MainWindow* window = nullptr;
};

}  // namespace tlx::gui::test
