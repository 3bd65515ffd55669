#include "draw/MapParts.h"

#include "draw/PictureText.h"
#include "data/Occupancy.h"
#include "setup/Units.h"

#include <QPainter>

#include <algorithm>
#include <array>
#include <cmath>

namespace tlx::draw {

std::vector<unsigned char> ZonesOf(const ZoneMap& map) {
  std::array<bool, 256> seen{};
  for (int r = 0; r < kMapRows; ++r)
    for (int c = 0; c < kMapColumns; ++c) {
      const auto code = static_cast<unsigned char>(map.At(r, c));
      if (ZoneNumberOf(code) != 0) seen[code] = true;
    }
  std::vector<unsigned char> zones;
  for (int code = 0; code < 256; ++code)
    if (seen[code]) zones.push_back(static_cast<unsigned char>(code));
  return zones;
}

std::vector<ZoneLetterPlace> ZoneLetterPlaces(const ZoneMap& map, const std::function<bool(int, int)>& free) {
  std::vector<ZoneLetterPlace> places;
  for (unsigned char code : ZonesOf(map)) {
    ZoneLetterPlace p;
    p.Code = code;
    double n = 0;
    for (int r = 0; r < kMapRows; ++r)
      for (int c = 0; c < kMapColumns; ++c)
        if (static_cast<unsigned char>(map.At(r, c)) == code) {
          p.CentreRow += r;
          p.CentreColumn += c;
          n += 1;
        }
    p.CentreRow /= n;
    p.CentreColumn /= n;
    double best = 1e9;
    for (int r = 0; r < kMapRows; ++r)
      for (int c = 0; c < kMapColumns; ++c) {
        if (static_cast<unsigned char>(map.At(r, c)) != code || !free(r, c)) continue;
        const double d = std::hypot(r - p.CentreRow, c - p.CentreColumn);
        if (d < best - 1e-9) {
          best = d;
          p.Row = r;
          p.Column = c;
        }
      }
    places.push_back(p);
  }
  return places;
}

void DrawZoneOutline(QPainter& painter, const QRectF& box, const ZoneMap& map, const QColor& colour, double width) {
  const double cw = box.width() / kMapColumns, ch = box.height() / kMapRows;
  painter.save();
  painter.setPen(QPen(colour, width, Qt::SolidLine, Qt::FlatCap));
  painter.setBrush(Qt::NoBrush);
  for (int r = 0; r < kMapRows; ++r) {
    for (int c = 0; c < kMapColumns; ++c) {
      const double x = box.left() + c * cw, y = box.top() + r * ch;
      if (c + 1 < kMapColumns && map.At(r, c) != map.At(r, c + 1)) painter.drawLine(QPointF(x + cw, y), QPointF(x + cw, y + ch));
      if (r + 1 < kMapRows && map.At(r, c) != map.At(r + 1, c)) painter.drawLine(QPointF(x, y + ch), QPointF(x + cw, y + ch));
    }
  }
  painter.drawRect(box);
  painter.restore();
}

double UnitsPerPosition(const AnalysisParameters& params) {
  if (!(params.CalibrateScale > 0) || !(params.CalibrateReference > 0)) return 0;
  return double(params.CalibrateReference) / double(params.CalibrateScale);
}

QString UnitShortName(const AnalysisParameters& params) {
  if (UnitsPerPosition(params) == 0) return QStringLiteral("px");
  static const std::array<const char*, 10> names = {"mm", "mm", "cm", "m", "km", "in", "ft", "yd", "mi", "units"};
  const std::int32_t code = params.UnitsCode;
  return QString::fromLatin1(names[code >= kFirstUnitCode && code <= kLastUnitCode ? std::size_t(code) : 0]);
}

double NiceBelow(double limit) {
  if (!(limit > 0)) return 0;
  const double power = std::pow(10.0, std::floor(std::log10(limit)));
  for (double m : {5.0, 2.0, 1.0})
    if (m * power <= limit * (1 + 1e-9)) return m * power;
  return power;
}

double DrawScaleBar(QPainter& painter, const QRectF& map, QPointF at, const AnalysisParameters& params,
                    double unitsPerPoint) {
  const double perPosition = UnitsPerPosition(params) > 0 ? UnitsPerPosition(params) : 1.0;
  const double mapUnits = kPictureWidth * perPosition;
  const double length = NiceBelow(mapUnits / 4);
  if (!(length > 0)) return 0;
  const double barWidth = map.width() * length / mapUnits;
  const double u = unitsPerPoint;
  painter.save();
  const QFont font = PictureFont(kTickPoints, u);
  painter.setFont(font);
  const double line = QFontMetricsF(font).height();
  const double y = at.y() + line / 2;
  painter.setPen(QPen(Qt::black, 1.0 * u, Qt::SolidLine, Qt::FlatCap));
  painter.drawLine(QPointF(at.x(), y), QPointF(at.x() + barWidth, y));
  painter.drawLine(QPointF(at.x(), y - 2 * u), QPointF(at.x(), y + 2 * u));
  painter.drawLine(QPointF(at.x() + barWidth, y - 2 * u), QPointF(at.x() + barWidth, y + 2 * u));
  painter.drawText(QRectF(at.x() + barWidth + 4 * u, at.y(), 100 * u, line), Qt::AlignLeft | Qt::AlignVCenter,
                   TickText(length, length) + QLatin1Char(' ') + UnitShortName(params));
  painter.restore();
  return line;
}

}  // namespace tlx::draw
