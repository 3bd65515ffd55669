#include "app/WindowPlace.h"

#include "common/Paths.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QWidget>

#include <algorithm>

namespace tlx::gui {
namespace {

constexpr const char* kPlaceFileName = "WINDOW.INI";

QString PlaceFile(const std::string& home) {
  return QString::fromStdString(JoinPath(home, kPlaceFileName));
}

// The start of a span of `length` moved just far enough to lie within [low, low + room); a span
// longer than the room starts at `low`.
int Fit(int start, int length, int low, int room) {
  return std::max(low, std::min(start, low + room - length));
}

}  // namespace

QRect PlaceOnScreen(const QRect& saved, const QRect& available, const QSize& minimum) {
  const int width = std::max(minimum.width(), std::min(saved.width(), available.width()));
  const int height = std::max(minimum.height(), std::min(saved.height(), available.height()));
  return {Fit(saved.x(), width, available.x(), available.width()),
          Fit(saved.y(), height, available.y(), available.height()), width, height};
}

void SaveWindowPlace(const QWidget& window, const std::string& home) {
  if (home.empty()) return;
  QSettings settings(PlaceFile(home), QSettings::IniFormat);
  settings.beginGroup(QStringLiteral("Window"));
  const QRect normal = window.isMaximized() ? window.normalGeometry() : window.geometry();
  settings.setValue(QStringLiteral("Left"), normal.x());
  settings.setValue(QStringLiteral("Top"), normal.y());
  settings.setValue(QStringLiteral("Width"), normal.width());
  settings.setValue(QStringLiteral("Height"), normal.height());
  settings.setValue(QStringLiteral("Maximized"), window.isMaximized());
  settings.endGroup();
  settings.sync();
}

bool RestoreWindowPlace(QWidget& window, const std::string& home) {
  if (home.empty()) return false;
  QSettings settings(PlaceFile(home), QSettings::IniFormat);
  settings.beginGroup(QStringLiteral("Window"));
  bool ok[4] = {};
  const QRect saved(settings.value(QStringLiteral("Left")).toInt(&ok[0]),
                    settings.value(QStringLiteral("Top")).toInt(&ok[1]),
                    settings.value(QStringLiteral("Width")).toInt(&ok[2]),
                    settings.value(QStringLiteral("Height")).toInt(&ok[3]));
  const bool maximized = settings.value(QStringLiteral("Maximized")).toBool();
  if (!std::all_of(std::begin(ok), std::end(ok), [](bool b) { return b; }) || saved.width() <= 0 ||
      saved.height() <= 0) {
    return false;
  }
  // The screen that shows the saved window's middle, else the main one (a screen since unplugged).
  QScreen* screen = QGuiApplication::screenAt(saved.center());
  if (!screen) screen = QGuiApplication::primaryScreen();
  if (!screen) return false;
  window.setGeometry(PlaceOnScreen(saved, screen->availableGeometry(), window.minimumSize()));
  if (maximized) window.setWindowState(window.windowState() | Qt::WindowMaximized);
  return true;
}

}  // namespace tlx::gui
