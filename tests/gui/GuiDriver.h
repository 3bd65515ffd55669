// Driving the real main window in the widget tests: a window over the simulated unit in a fresh
// program home, and an answerer that clicks the message boxes and the stop window as scripted
// and records every one it saw.
#pragma once

#include "app/AppLinks.h"
#include "app/Desktop.h"
#include "app/MainWindow.h"
#include "app/QtClock.h"
#include "app/dialogs/StopExperimentWindow.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <deque>
#include <functional>
#include <memory>
#include <vector>

namespace tlx::gui::test {

struct SeenBox {
  QString caption;
  QString text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QMessageBox::StandardButtons buttons;
  bool stopWindow = false;
  bool cancelShown = false;  // the stop window's form
  Qt::TextFormat format = Qt::PlainText;
  bool progressShown = false;  // the progress box was on the screen with the message
  QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;  // what Enter presses
  bool resultsOffered = false;  // the stop window offered to open the run's results
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
    int n = 0;
    for (const auto& s : seen_) n += s.caption == caption;
    return n;
  }

 private:
  void Poll() {
    QWidget* w = QApplication::activeModalWidget();
    if (!w || !w->isVisible()) return;
    if (auto* box = qobject_cast<QMessageBox*>(w)) {
      seen_.push_back({box->windowTitle(), box->text(), box->icon(), box->standardButtons(), false,
                       false, box->textFormat(), ProgressBoxVisible(),
                       box->defaultButton() ? box->standardButton(box->defaultButton()) : QMessageBox::NoButton});
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
      dialog->selectFile(files_.front());
      files_.pop_front();
      static_cast<QDialog*>(dialog)->accept();  // the file dialog's own accept checks the choice
      return;
    }
    if (auto* stop = qobject_cast<StopExperimentWindow*>(w)) {
      if (!stop->Waiting()) return;
      const bool offered = stop->ResultsButton()->isVisible();
      seen_.push_back({stop->windowTitle(), stop->Message()->text(), QMessageBox::NoIcon, {}, true,
                       stop->CancelButton()->isVisible(), Qt::PlainText, false, QMessageBox::NoButton, offered});
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

  static bool ProgressBoxVisible() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
      if (w->objectName() == QLatin1String("frmQBXProgress") && w->isVisible()) return true;
    }
    return false;
  }

  QTimer timer_;
  std::deque<QMessageBox::StandardButton> boxes_;
  std::deque<QString> files_;
  std::deque<bool> stops_;
  std::vector<SeenBox> seen_;
};

// A main window over the simulated unit in its own temporary program home.
struct WindowRig {
  explicit WindowRig(double speed = 4.0) {
    Attach(speed);
    owned = std::make_unique<MainWindow>(Services());
    window = owned.get();
    Start();
  }
  // The whole program as main() builds it (zone editor and data panel included), started up
  // over a program home that `fillHome` has prepared.
  explicit WindowRig(const std::function<void(const QTemporaryDir& home)>& fillHome,
                     double speed = 4.0) {
    fillHome(home);
    Attach(speed);
    desktop = std::make_unique<Desktop>(Services());
    window = &desktop->Window();
    Start();
  }
  ~WindowRig() {
    if (window && !window->ShutdownDone()) window->ShutdownUnattended();
    owned.reset();
    desktop.reset();
  }
  void Attach(double speed) {
    sim = std::make_unique<SimulatedPort>(clock.Now(), 1, speed);
    clock.SetIdleHook([this] { sim->Sync(); });
  }
  AppServices Services() {
    // The manual is looked for in the home, where a test can put one.
    return AppServices{home.path().toStdString(), clock, *sim, NumberDevices({"(simulated unit)"}),
                       File("manual/index.html").toStdString(), 1, {}};
  }
  void Start() {
    window->show();
    window->StartUp();
  }
  Program& P() { return window->GetProgram(); }
  QString File(const QString& name) const { return home.filePath(name); }
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
  QtClock clock;
  std::unique_ptr<SimulatedPort> sim;
  DialogAnswerer answerer;  // answers from the window's first question on
  std::unique_ptr<MainWindow> owned;
  std::unique_ptr<Desktop> desktop;
  MainWindow* window = nullptr;
};

}  // namespace tlx::gui::test
