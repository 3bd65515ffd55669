#include "draw/OffscreenGui.h"

#include <cstdio>

namespace tlx::draw {

std::unique_ptr<QGuiApplication> EnsureGuiApplication() {
  if (QCoreApplication::instance() != nullptr) return nullptr;
  // Qt's notes about the session (no runtime directory, no display) are no business of a command
  // whose standard error carries one line when it fails.
  qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (type == QtFatalMsg) std::fprintf(stderr, "%s\n", qPrintable(text));  // Qt aborts next
  });
  // The application keeps references to its arguments for its whole life.
  static int argc = 3;
  static char name[] = "tracelux";
  static char option[] = "-platform";
  static char platform[] = "offscreen";
  static char* argv[] = {name, option, platform, nullptr};
  return std::make_unique<QGuiApplication>(argc, argv);
}

}  // namespace tlx::draw
