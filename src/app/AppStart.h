// What the desktop program sets up around its main window: the options, the program home, the
// serial link (a device or the simulated unit), the manual's place, the signals that end the
// program through its shutdown, and the screenshot tour.
#pragma once

#include <QObject>
#include <QString>

#include <memory>
#include <string>

namespace tlx {
class HomeLock;
}

namespace tlx::gui {

class MainWindow;

struct AppOptions {
  std::string home;         // --home
  bool simulate = false;    // --simulate
  std::string port;         // --port DEVICE
  QString screenshots;      // --screenshots DIR
  bool timing = false;      // --timing: prints the start-up time
  bool helpShown = false;   // --help or --version was answered: the program ends without an error
};

// Takes the program home's lock for the life of the program. When another program holds it, or
// it cannot be taken, the user is told in a message box and the result is false: the program
// then ends before it reads or writes anything in the home.
bool ClaimProgramHome(const std::string& home, HomeLock& lock);
// Parses the command line, before the application object exists, so that it answers without a
// display. False when the program is to end: after printing the help or the version
// (helpShown), or with the message printed for an unknown option, a missing value or a stray
// argument.
bool ParseOptions(const QStringList& arguments, AppOptions& options);

// The manual's index page: installed beside the executable's prefix, rendered in the build tree
// above it, or the Markdown sources of the source tree.
std::string FindManual(const QString& executableDir);

// SIGINT, SIGTERM and SIGHUP end the program through the window's unattended shutdown.
class SignalBridge : public QObject {
  Q_OBJECT

 public:
  explicit SignalBridge(MainWindow& window, QObject* parent = nullptr);
  ~SignalBridge() override;

 private:
  MainWindow& window_;
  int fds_[2] = {-1, -1};
};

// Walks the panels and saves a picture of each into the directory; the program then ends.
void RunScreenshotTour(MainWindow& window, const QString& directory);

}  // namespace tlx::gui
