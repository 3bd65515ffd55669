#include "app/WindowPlace.h"

#include "common/Paths.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace tlx::gui {
namespace {

constexpr const char* kPlaceFileName = "WINDOW.INI";
// A window manager's frame before the window is first shown (and none was saved): a title bar
// and thin borders.
const QMargins kUsualFrame(4, 32, 4, 4);

QString PlaceFile(const std::string& home) {
  return QString::fromStdString(JoinPath(home, kPlaceFileName));
}

// The start of a span of `length` moved just far enough to lie within [low, low + room); a span
// longer than the room starts at `low`.
int Fit(int start, int length, int low, int room) {
  return std::max(low, std::min(start, low + room - length));
}

// The frame a shown window has; none yet (or none at all: no window manager) gives `otherwise`.
QMargins FrameOf(const QWidget& window, const QMargins& otherwise) {
  const QRect outer = window.frameGeometry();
  const QRect inner = window.geometry();
  const QMargins frame(inner.left() - outer.left(), inner.top() - outer.top(),
                       outer.right() - inner.right(), outer.bottom() - inner.bottom());
  return frame.isNull() || !window.isVisible() ? otherwise : frame;
}

QScreen* ScreenShowing(const QRect& rect) {
  QScreen* screen = QGuiApplication::screenAt(rect.center());
  return screen ? screen : QGuiApplication::primaryScreen();
}

QRect UsableAreaOf(const QScreen& screen) {
  return UsableArea(screen.availableGeometry(), screen.devicePixelRatio());
}

}  // namespace

QRect PlaceOnScreen(const QRect& saved, const QRect& available, const QSize& minimum) {
  const int width = std::max(minimum.width(), std::min(saved.width(), available.width()));
  const int height = std::max(minimum.height(), std::min(saved.height(), available.height()));
  return {Fit(saved.x(), width, available.x(), available.width()),
          Fit(saved.y(), height, available.y(), available.height()), width, height};
}

QRect UsableArea(const QRect& available, double devicePixelRatio) {
  const double whole = std::round(devicePixelRatio);
  if (devicePixelRatio <= 0 || std::abs(devicePixelRatio - whole) < 1e-6) return available;
  return available.adjusted(0, 0, -1, -1);
}

QRect PlaceContents(const QRect& contents, const QMargins& frame, const QRect& usable,
                    const QSize& minimumContents) {
  const QSize frameSize(frame.left() + frame.right(), frame.top() + frame.bottom());
  const QRect outer = PlaceOnScreen(contents.marginsAdded(frame), usable, minimumContents + frameSize);
  return outer.marginsRemoved(frame);
}

void SaveWindowPlace(const QWidget& window, const std::string& home) {
  if (home.empty()) return;
  const QRect normal = window.isMaximized() ? window.normalGeometry() : window.geometry();
  const QMargins frame = FrameOf(window, {});
  QRect place = normal;
  if (QScreen* screen = ScreenShowing(normal))
    place = PlaceContents(normal, frame, UsableAreaOf(*screen), window.minimumSize());
  QSettings settings(PlaceFile(home), QSettings::IniFormat);
  settings.beginGroup(QStringLiteral("Window"));
  settings.setValue(QStringLiteral("Left"), place.x());
  settings.setValue(QStringLiteral("Top"), place.y());
  settings.setValue(QStringLiteral("Width"), place.width());
  settings.setValue(QStringLiteral("Height"), place.height());
  settings.setValue(QStringLiteral("Maximized"), window.isMaximized());
  settings.setValue(QStringLiteral("Frame"), QStringLiteral("%1 %2 %3 %4")
                                                 .arg(frame.left())
                                                 .arg(frame.top())
                                                 .arg(frame.right())
                                                 .arg(frame.bottom()));
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
  // The frame saved with the place (a file without one: the usual frame); never a huge one.
  QMargins frame = kUsualFrame;
  const QStringList margins = settings.value(QStringLiteral("Frame")).toString().split(QLatin1Char(' '));
  if (margins.size() == 4) {
    int m[4];
    bool all = true;
    for (int i = 0; i < 4; ++i) {
      m[i] = margins[i].toInt(&ok[0]);
      all = all && ok[0] && m[i] >= 0 && m[i] <= 200;
    }
    if (all) frame = QMargins(m[0], m[1], m[2], m[3]);
  }
  // The screen that shows the saved window's middle, else the main one (a screen since unplugged).
  QScreen* screen = ScreenShowing(saved);
  if (!screen) return false;
  window.setGeometry(PlaceContents(saved, frame, UsableAreaOf(*screen), window.minimumSize()));
  if (maximized) window.setWindowState(window.windowState() | Qt::WindowMaximized);
  return true;
}

void KeepOnScreen(QWidget& window) {
  if (!window.isVisible() || window.isMaximized() || window.isFullScreen()) return;
  QScreen* screen = ScreenShowing(window.frameGeometry());
  if (!screen) return;
  const QRect now = window.geometry();
  const QRect place = PlaceContents(now, FrameOf(window, {}), UsableAreaOf(*screen), window.minimumSize());
  if (place != now) window.setGeometry(place);
}

}  // namespace tlx::gui
