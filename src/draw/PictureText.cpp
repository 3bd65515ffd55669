#include "draw/PictureText.h"

#include <algorithm>
#include <cmath>

namespace tlx::draw {

QFont PictureFont(double pixelSize) {
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(std::max(1, int(std::lround(pixelSize))));
  return font;
}

QString SecondsText(double seconds) {
  if (seconds > 0 && seconds < 10 && std::abs(seconds - std::round(seconds)) > 0.05) {
    return QString::number(seconds, 'f', 1) + QStringLiteral(" s");
  }
  return QString::number(std::llround(seconds)) + QStringLiteral(" s");
}

}  // namespace tlx::draw
