#include "app/AppStart.h"

#include "app/MainWindow.h"
#include "app/QtUserAnswers.h"
#include "common/HomeLock.h"
#include "buildinfo/BuildInfo.h"
#include "app/panels/ExperimentPanel.h"
#include "app/panels/RunPanel.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace tlx::gui {
namespace {

// The write end of the signal pipe; a signal handler can only reach a plain value.
volatile std::sig_atomic_t gSignalFd = -1;

extern "C" void OnSignal(int signal) {
  const char byte = static_cast<char>(signal);
  if (gSignalFd >= 0) {
    [[maybe_unused]] const ssize_t n = ::write(gSignalFd, &byte, 1);
  }
}

void Wait(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

void Save(QWidget& window, const QString& directory, const QString& name) {
  Wait(300);
  window.grab().save(QDir(directory).filePath(name));
}

}  // namespace

bool ClaimProgramHome(const std::string& home, HomeLock& lock) {
  if (lock.Acquire(home) == HomeLock::Result::Locked) return true;
  QtUserAnswers answers;
  answers.ShowMessage({"Program Home In Use", lock.RefusalText(home), MsgIcon::Critical,
                       MsgButtons::Ok});
  return false;
}

bool ParseOptions(const QStringList& arguments, AppOptions& o) {
  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral(
      "Tracelux-One: records and analyses the movement of a laboratory animal with the\n"
      "Tracelux-One video-tracking unit (serial line, 19200 baud 8N1)."));
  // Help and version by hand: Qt's own would add --help-all, which lists the toolkit's options
  // that this program does not take.
  const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                QStringLiteral("Print this help and exit."));
  const QCommandLineOption home(QStringLiteral("home"),
                                QStringLiteral("Program home folder (default: $TRACELUX_HOME, else\n"
                                               "$XDG_CONFIG_HOME/tracelux, i.e. ~/.config/tracelux)."),
                                QStringLiteral("DIR"));
  const QCommandLineOption simulate(QStringLiteral("simulate"),
                                    QStringLiteral("Use the simulated unit instead of a serial port."));
  const QCommandLineOption port(QStringLiteral("port"),
                                QStringLiteral("Serial device of the unit, whatever port number is\n"
                                               "chosen (e.g. /dev/ttyUSB0 or /dev/serial/by-id/...)."),
                                QStringLiteral("DEVICE"));
  const QCommandLineOption shots(QStringLiteral("screenshots"),
                                 QStringLiteral("Save pictures of the panels into DIR and end."),
                                 QStringLiteral("DIR"));
  const QCommandLineOption timing(QStringLiteral("timing"),
                                  QStringLiteral("Print the time to a usable window."));
  const QCommandLineOption version(QStringLiteral("version"),
                                   QStringLiteral("Print the version and the build's commit and exit."));
  parser.addOptions({help, home, simulate, port, shots, timing, version});
  const auto refuse = [](const QString& message) {
    std::fprintf(stderr, "tracelux: %s\nRun tracelux --help for the options.\n", qPrintable(message));
    return false;
  };
  if (!parser.parse(arguments)) return refuse(parser.errorText());
  if (parser.isSet(help)) {
    // Asked before the application exists, the help cannot name the program by itself.
    QString text = parser.helpText();
    text.replace(QLatin1String("<executable_name>"), QStringLiteral("tracelux"));
    text += QStringLiteral(
        "\nExamples:\n"
        "  tracelux --simulate                   try everything without hardware\n"
        "  tracelux --port /dev/ttyUSB0          the unit on this serial device\n"
        "  tracelux --home ~/rack/unit2          a second unit, with its own settings\n"
        "\nExit status: 0 ended normally, 1 the program home is in use or cannot be locked,\n"
        "2 a usage error.\n"
        "Full documentation: man tracelux\n");
    std::printf("%s", qPrintable(text));
    o.helpShown = true;
    return false;
  }
  if (parser.isSet(version)) {
    std::printf("%s\n", VersionLine("tracelux").c_str());
    o.helpShown = true;
    return false;
  }
  if (!parser.positionalArguments().isEmpty())
    return refuse(QStringLiteral("Unexpected argument '%1'.").arg(parser.positionalArguments().first()));
  o.home = parser.value(home).toStdString();
  o.simulate = parser.isSet(simulate);
  o.port = parser.value(port).toStdString();
  o.screenshots = parser.value(shots);
  o.timing = parser.isSet(timing);
  return true;
}

std::string FindManual(const QString& executableDir) {
  const QDir exe(executableDir);
  // Installed: <prefix>/bin/tracelux beside <prefix>/share/tracelux/manual.
  const QString installed = exe.filePath(QStringLiteral("../share/tracelux/manual/index.html"));
  if (QFileInfo::exists(installed)) return QDir::cleanPath(installed).toStdString();
  // In a build tree the rendered pages lie in <build>/docs/manual; failing those, the Markdown
  // sources of a source tree above the executable.
  for (const QString& name : {QStringLiteral("docs/manual/index.html"), QStringLiteral("docs/manual/index.md")}) {
    QDir dir = exe;
    for (int up = 0; up < 5; ++up) {
      if (QFileInfo::exists(dir.filePath(name))) return dir.filePath(name).toStdString();
      if (!dir.cdUp()) break;
    }
  }
  return "/usr/share/tracelux/manual/index.html";
}

SignalBridge::SignalBridge(MainWindow& window, QObject* parent) : QObject(parent), window_(window) {
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds_) != 0) return;
  ::fcntl(fds_[0], F_SETFL, O_NONBLOCK);
  ::fcntl(fds_[1], F_SETFL, O_NONBLOCK);
  gSignalFd = fds_[1];
  auto* notifier = new QSocketNotifier(fds_[0], QSocketNotifier::Read, this);
  connect(notifier, &QSocketNotifier::activated, this, [this, notifier] {
    char buffer[16];
    while (::read(fds_[0], buffer, sizeof buffer) > 0) {
    }
    notifier->setEnabled(false);
    window_.ShutdownUnattended();
    QApplication::quit();
  });
  struct sigaction action = {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGHUP, &action, nullptr);  // a closed terminal or a logout ends a run as SIGTERM does
  // A display connection that breaks is noticed by the windowing system, which then exits (see
  // main); writing to it must not kill the process first.
  signal(SIGPIPE, SIG_IGN);
}

SignalBridge::~SignalBridge() {
  signal(SIGINT, SIG_DFL);
  signal(SIGTERM, SIG_DFL);
  signal(SIGHUP, SIG_DFL);
  gSignalFd = -1;
  for (int fd : fds_)
    if (fd >= 0) ::close(fd);
}

void RunScreenshotTour(MainWindow& w, const QString& directory) {
  QDir().mkpath(directory);
  w.SetUnattended(true);
  w.EnterHome();
  Save(w, directory, QStringLiteral("home.png"));
  w.EnterExperimentSetup();
  Save(w, directory, QStringLiteral("experiment.png"));
  w.EnterSystemSetup();
  Save(w, directory, QStringLiteral("system.png"));
  w.EnterHome();
  // A run of three ten-minute sessions at the full rate, without an output file.
  Program& p = w.GetProgram();
  p.settings.DrawTrace = true;
  p.parameters.SessionLength = 600;
  p.parameters.NumberOfSessions = 3;
  p.parameters.InitialDelay = 0;
  p.parameters.SampleRate = p.settings.VideoType == kVideoPal ? 25 : 30;
  p.parameters.SaveData = false;
  w.RunExperimentCommand();
  if (w.Mode() == kModeRun) {
    p.run.StartButton();
    Wait(4000);
    Save(w, directory, QStringLiteral("run.png"));
    p.run.ConfirmStop();
  }
  w.Shutdown();
  QApplication::quit();
}

}  // namespace tlx::gui
