#include "draw/PictureText.h"

#include <QPaintDevice>

#include <algorithm>
#include <cmath>

namespace tlx::draw {

double UnitsPerPoint(const QPaintDevice* device) {
  const int dpi = device != nullptr ? device->logicalDpiY() : 96;
  return (dpi > 0 ? dpi : 96) / 72.0;
}

QFont PictureFont(double points, double unitsPerPoint) {
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(std::max(1, int(std::lround(points * unitsPerPoint))));
  return font;
}

double NiceStep(double span, int most) {
  if (!(span > 0) || most < 1) return 1;
  const double rough = span / most;
  const double power = std::pow(10.0, std::floor(std::log10(rough)));
  for (double m : {1.0, 2.0, 5.0, 10.0}) {
    if (m * power >= rough * (1 - 1e-9)) return m * power;
  }
  return 10 * power;
}

std::vector<double> NiceTicks(double top, int most) {
  const double step = NiceStep(top, most);
  std::vector<double> ticks;
  for (int k = 0; k * step <= top * (1 + 1e-9) + 1e-12; ++k) ticks.push_back(k * step);
  if (ticks.empty()) ticks.push_back(0);
  return ticks;
}

QString TickText(double value, double step) {
  int decimals = 0;
  while (decimals < 6 && std::abs(step * std::pow(10.0, decimals) - std::round(step * std::pow(10.0, decimals))) > 1e-6) {
    ++decimals;
  }
  return QString::number(value, 'f', decimals);
}

TimeUnit TimeUnitFor(double seconds) {
  if (seconds <= 300) return {1, QStringLiteral("s")};
  if (seconds <= 5 * 3600) return {60, QStringLiteral("min")};
  return {3600, QStringLiteral("h")};
}

QColor TextColourOn(const QColor& background) {
  const double luminance = 0.299 * background.redF() + 0.587 * background.greenF() + 0.114 * background.blueF();
  return luminance > 0.5 ? QColor(Qt::black) : QColor(Qt::white);
}

}  // namespace tlx::draw
