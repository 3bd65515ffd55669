#include "draw/TracePicture.h"

#include "draw/MapParts.h"
#include "draw/PictureText.h"
#include "draw/SessionPicture.h"

#include <QPainter>

#include <algorithm>

namespace tlx::draw {

namespace {

constexpr double kLegendPoints = 72;  // the legend column
constexpr double kGapPoints = 6;
constexpr double kScaleRowPoints = 14;  // the scale bar under the map
constexpr double kEdgePoints = 2;       // round the figure, so that no frame line is cut at the edge
constexpr int kRampSteps = 64;

void DrawTimeLegend(QPainter& painter, const QRectF& area, const TracePath& path, const TraceLook& look, bool whole,
                    double u, double& bottom) {
  const double seconds = path.Seconds();
  const TimeUnit unit = TimeUnitFor(seconds);
  const QFont title = PictureFont(kLabelPoints, u), small = PictureFont(kTickPoints, u);
  const double line = QFontMetricsF(title).height();
  painter.setFont(title);
  painter.setPen(Qt::black);
  // Two lines: the time since the start of the session (or of the recording) in its unit.
  const QString what = whole ? QStringLiteral("Time in recording") : QStringLiteral("Time in session");
  painter.drawText(QRectF(area.left(), area.top(), area.width(), 2 * line),
                   Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap, what + QStringLiteral(" (%1)").arg(unit.Name));
  // Earliest at the bottom, latest at the top, like any colour scale.
  const QRectF bar(area.left(), area.top() + 2 * line + 4 * u, 8 * u, std::max(20 * u, area.height() * 0.4));
  for (int k = 0; k < kRampSteps; ++k) {
    const double top = bar.bottom() - bar.height() * (k + 1) / kRampSteps;
    painter.fillRect(QRectF(bar.left(), top, bar.width(), bar.height() / kRampSteps + 0.5 * u),
                     TraceColourAt(look, (k + 0.5) / kRampSteps));
  }
  painter.setPen(QPen(Qt::black, 0.5 * u));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(bar);
  painter.setFont(small);
  const double top = seconds / unit.Seconds;
  const double step = NiceStep(top, 4);
  const double tickLine = QFontMetricsF(small).height();
  for (double t : NiceTicks(top, 4)) {
    const double y = top > 0 ? bar.bottom() - bar.height() * t / top : bar.bottom();
    painter.drawLine(QPointF(bar.right(), y), QPointF(bar.right() + 2.5 * u, y));
    painter.drawText(QRectF(bar.right() + 4 * u, y - tickLine / 2, area.right() - bar.right(), tickLine),
                     Qt::AlignLeft | Qt::AlignVCenter, TickText(t, step));
  }
  bottom = bar.bottom();
}

void DrawZoneLegend(QPainter& painter, const QRectF& area, const Picture& picture, double u) {
  const PictureRequest& r = picture.Request;
  const bool pale = r.Style == PictureStyle::Print;
  const QFont font = PictureFont(kLabelPoints, u);
  const double line = QFontMetricsF(font).height();
  painter.setFont(font);
  painter.setPen(Qt::black);
  painter.drawText(QRectF(area.left(), area.top(), area.width(), line), Qt::AlignLeft | Qt::AlignVCenter,
                   QStringLiteral("Zones"));
  const double swatch = 7 * u, column = 22 * u;
  double x = area.left(), y = area.top() + line;
  for (unsigned char code : ZonesOf(r.Map)) {
    if (y + line > area.bottom()) {
      y = area.top() + line;
      x += column;
    }
    if (x + column > area.right() + 1) {
      painter.drawText(QRectF(x - column, y - line, column, line), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("…"));
      return;
    }
    const QColor fill = ZoneFill(code, r.Colours, pale);
    const QRectF box(x, y + (line - swatch) / 2, swatch, swatch);
    painter.fillRect(box, fill);
    painter.setPen(QPen(Qt::black, 0.5 * u));
    painter.drawRect(box);
    painter.drawText(QRectF(x + swatch + 3 * u, y, column - swatch, line), Qt::AlignLeft | Qt::AlignVCenter,
                     QString(QChar(code)));
    y += line;
  }
}

}  // namespace

double TraceHeight(double width) {
  return std::max(1.0, width - kLegendPoints - kGapPoints - 2 * kEdgePoints) * 0.75 + kTitleRowPoints +
         kScaleRowPoints + 2 * kEdgePoints;
}

TraceLayout TraceLayout::In(const QRectF& outer, double u) {
  const double edge = kEdgePoints * u;
  const QRectF box = outer.adjusted(edge, edge, -edge, -edge);
  const double legend = kLegendPoints * u, gap = kGapPoints * u, scaleRow = kScaleRowPoints * u;
  const double title = kTitleRowPoints * u;
  double w = std::max(1.0, box.width() - legend - gap);
  double h = w * 0.75;
  if (h + title + scaleRow > box.height()) {
    h = std::max(1.0, box.height() - title - scaleRow);
    w = h / 0.75;
  }
  // A box taller than the figure keeps it in its middle.
  const double top = box.top() + std::max(0.0, (box.height() - h - title - scaleRow) / 2);
  TraceLayout l;
  l.title = QRectF(box.left(), top, w + gap + legend, title);
  l.map = QRectF(box.left(), top + title, w, h);
  l.legend = QRectF(l.map.right() + gap, l.map.top(), legend, h);
  return l;
}

void DrawTracePicture(QPainter& painter, const QRectF& box, const Picture& picture, double u) {
  const PictureRequest& r = picture.Request;
  const bool print = r.Style == PictureStyle::Print;
  const TraceLayout l = TraceLayout::In(box, u);
  painter.fillRect(box, Qt::white);
  const TraceLook look = TraceLook::For(r.Style, l.map.width() / 256.0, u);
  DrawPictureTitle(painter, l.title, picture, u);
  DrawZoneMapPicture(painter, l.map, r.Map, r.Colours, print);
  painter.save();
  painter.setClipRect(l.map);
  DrawTrace(painter, l.map, picture.Trace, look, r.Drawing);
  painter.restore();
  DrawZoneLetters(painter, l.map, r.Map, r.Colours, print, u);
  painter.setPen(QPen(Qt::black, 0.5 * u));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(l.map);
  double timeBottom = l.legend.top();
  DrawTimeLegend(painter, l.legend, picture.Trace, look, r.Session == kWholeRecording, u, timeBottom);
  DrawZoneLegend(painter, QRectF(l.legend.left(), timeBottom + 8 * u, l.legend.width(), l.legend.bottom() - timeBottom - 8 * u),
                 picture, u);
  DrawScaleBar(painter, l.map, QPointF(l.map.left(), l.map.bottom() + 3 * u), r.Params, u);
}

}  // namespace tlx::draw
