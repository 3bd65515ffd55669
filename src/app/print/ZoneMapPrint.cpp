#include "app/print/ZoneMapPrint.h"

#include <QDateTime>
#include <QLocale>
#include <QPainter>
#include <QPrinter>

#include <algorithm>
#include <cmath>

namespace tlx::gui {

void DrawZoneMapBox(QPainter& painter, double x1, double y1, double x2, double y2, const ZoneMap& map) {
  const double left = std::min(x1, x2);
  const double top = std::min(y1, y2);
  const double cw = std::fabs(x2 - x1) / kMapColumns;
  const double ch = std::fabs(y2 - y1) / kMapRows;
  // One device pixel keeps the letter off the cell's lines; a pen of about a point is visible on
  // paper at any resolution.
  const double inset = 1.0;
  const double dpi = painter.device() ? painter.device()->logicalDpiX() : 96;
  QPen pen(Qt::black);
  pen.setWidthF(std::max(1.0, dpi / 96.0));
  painter.save();
  painter.setPen(pen);
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(QRectF(left, top, std::fabs(x2 - x1), std::fabs(y2 - y1)));
  QFont font = painter.font();
  font.setPixelSize(std::max(1, static_cast<int>(ch * 0.6)));
  painter.setFont(font);
  for (int r = 0; r < kMapRows; ++r) {
    for (int c = 0; c < kMapColumns; ++c) {
      const double x = left + c * cw;
      const double y = top + r * ch;
      const char here = map.At(r, c);
      painter.drawText(QRectF(x + inset, y + inset, cw, ch), Qt::AlignLeft | Qt::AlignTop,
                       QString(QChar::fromLatin1(here)));
      if (c == 0 || map.At(r, c - 1) != here) painter.drawLine(QPointF(x, y), QPointF(x, y + ch));
      if (c == kMapColumns - 1 || map.At(r, c + 1) != here) painter.drawLine(QPointF(x + cw, y), QPointF(x + cw, y + ch));
      if (r == 0 || map.At(r - 1, c) != here) painter.drawLine(QPointF(x, y), QPointF(x + cw, y));
      if (r == kMapRows - 1 || map.At(r + 1, c) != here) painter.drawLine(QPointF(x, y + ch), QPointF(x + cw, y + ch));
    }
  }
  painter.restore();
}

bool PrintZoneMapPage(QPrinter& printer, const ZoneMap& map, const std::string& mapFile) {
  QPainter painter;
  if (!painter.begin(&printer)) return false;
  const QRectF page = printer.pageLayout().paintRectPixels(printer.resolution());
  const double left = page.width() / 12, width = 2 * page.width() / 3;
  double y = page.height() / 10;
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setPointSizeF(16);
  painter.setFont(font);
  const auto line = [&](const QString& text) {
    painter.drawText(QPointF(left, y + painter.fontMetrics().ascent()), text);
    y += painter.fontMetrics().height() * 1.3;
  };
  line(QStringLiteral("Zone map"));
  font.setPointSizeF(10);
  painter.setFont(font);
  if (!mapFile.empty()) line(QStringLiteral("File: %1").arg(QString::fromStdString(mapFile)));
  line(QStringLiteral("Printed: %1").arg(QLocale::c().toString(QDateTime::currentDateTime(), QStringLiteral("yyyy-MM-dd HH:mm"))));
  y += painter.fontMetrics().height();
  DrawZoneMapBox(painter, left, y, left + width, y + width * 0.75, map);
  return painter.end();
}

}  // namespace tlx::gui
