#include "draw/HeatmapPicture.h"

#include "draw/MapParts.h"
#include "draw/PictureText.h"

#include <QPainter>

#include <algorithm>
#include <array>
#include <cmath>

namespace tlx::draw {

namespace {

constexpr double kMarginPoints = 11;   // round the map, for zone letters beside it
constexpr double kColumnPoints = 44;   // the colour bar and its numbers
constexpr double kScaleRowPoints = 14;
constexpr int kBarSteps = 128;
const QColor kOutline{130, 130, 130};

// Viridis at nine even stops, from dark purple through blue and green to yellow; between stops
// the colour is interpolated.
constexpr std::array<std::array<int, 3>, 9> kViridis = {{{68, 1, 84},
                                                        {71, 45, 123},
                                                        {59, 82, 139},
                                                        {44, 114, 142},
                                                        {33, 145, 140},
                                                        {40, 174, 128},
                                                        {94, 201, 98},
                                                        {173, 220, 48},
                                                        {253, 231, 37}}};

// A map cell (8 x 8 positions) is free for a letter when no grid cell under it holds time.
bool CellFree(const OccupancyGrid& grid, int row, int column) {
  const int cs = grid.CellSize;
  for (int gr = row * 8 / cs; gr <= (row * 8 + 7) / cs && gr < grid.Rows; ++gr)
    for (int gc = column * 8 / cs; gc <= (column * 8 + 7) / cs && gc < grid.Columns; ++gc)
      if (grid.SamplesAt(gr, gc) > 0) return false;
  return true;
}

void DrawZoneLabels(QPainter& painter, const QRectF& box, const OccupancyGrid& grid, const ZoneMap& map, double u) {
  const double cw = box.width() / kMapColumns, ch = box.height() / kMapRows;
  const QFont font = PictureFont(kLabelPoints, u);
  const double line = QFontMetricsF(font).height();
  painter.setFont(font);
  for (const ZoneLetterPlace& p : ZoneLetterPlaces(map, [&grid](int r, int c) { return CellFree(grid, r, c); })) {
    QPointF centre;
    if (p.Row >= 0) {
      painter.setPen(QColor(90, 90, 90));
      centre = QPointF(box.left() + (p.Column + 0.5) * cw, box.top() + (p.Row + 0.5) * ch);
    } else {
      // Every cell of the zone holds time: the letter goes beside the map at the nearest edge.
      painter.setPen(Qt::black);
      const double x = box.left() + (p.CentreColumn + 0.5) * cw, y = box.top() + (p.CentreRow + 0.5) * ch;
      const double toLeft = p.CentreColumn + 0.5, toRight = kMapColumns - p.CentreColumn - 0.5;
      const double toTop = (p.CentreRow + 0.5) * ch / cw, toBottom = (kMapRows - p.CentreRow - 0.5) * ch / cw;
      const double nearest = std::min({toLeft, toRight, toTop, toBottom});
      if (nearest == toLeft) centre = QPointF(box.left() - line / 2, y);
      else if (nearest == toRight) centre = QPointF(box.right() + line / 2, y);
      else if (nearest == toTop) centre = QPointF(x, box.top() - line / 2);
      else centre = QPointF(x, box.bottom() + line / 2);
    }
    painter.drawText(QRectF(centre.x() - line, centre.y() - line / 2, 2 * line, line), Qt::AlignCenter, QString(QChar(p.Code)));
  }
}

// The colour bar of time spent per cell, and under it the white of the cells never visited
// (which is not the bar's 0: a cell visited for a moment is dark).
void DrawColourBar(QPainter& painter, const QRectF& bar, double maxSeconds, double u) {
  const TimeUnit unit = TimeUnitFor(maxSeconds);
  const QFont title = PictureFont(kLabelPoints, u), small = PictureFont(kTickPoints, u);
  const double line = QFontMetricsF(title).height();
  painter.setFont(title);
  painter.setPen(Qt::black);
  painter.drawText(QRectF(bar.left(), bar.top() - 2 * line - 3 * u, bar.width(), 2 * line),
                   Qt::AlignLeft | Qt::AlignBottom | Qt::TextWordWrap, QStringLiteral("Time spent (%1)").arg(unit.Name));
  const double tickLine = QFontMetricsF(small).height();
  const double keyRoom = 2 * tickLine + 6 * u;
  const QRectF ramp(bar.left(), bar.top(), 8 * u, std::max(u, bar.height() - keyRoom));
  const QRectF unvisited(ramp.left(), bar.bottom() - tickLine - 4 * u, ramp.width(), 8 * u);
  painter.setPen(QPen(Qt::black, 0.5 * u));
  painter.setBrush(Qt::white);
  painter.drawRect(unvisited);
  painter.setFont(small);
  painter.drawText(QRectF(unvisited.right() + 3 * u, unvisited.center().y() - tickLine, bar.right() - unvisited.right() - 3 * u,
                          2 * tickLine),
                   Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap, QStringLiteral("Not visited"));
  for (int k = 0; k < kBarSteps; ++k) {
    const double top = ramp.bottom() - ramp.height() * (k + 1) / kBarSteps;
    painter.fillRect(QRectF(ramp.left(), top, ramp.width(), ramp.height() / kBarSteps + 0.5 * u),
                     HeatColour((k + 0.5) / kBarSteps));
  }
  painter.setPen(QPen(Qt::black, 0.5 * u));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(ramp);
  const double top = maxSeconds / unit.Seconds;
  const double step = NiceStep(top, 5);
  for (double t : NiceTicks(top, 5)) {
    const double y = top > 0 ? ramp.bottom() - ramp.height() * t / top : ramp.bottom();
    painter.drawLine(QPointF(ramp.right(), y), QPointF(ramp.right() + 2.5 * u, y));
    painter.drawText(QRectF(ramp.right() + 4 * u, y - tickLine / 2, bar.right() - ramp.right(), tickLine),
                     Qt::AlignLeft | Qt::AlignVCenter, TickText(t, step));
  }
}

}  // namespace

HeatmapLayout HeatmapLayout::In(const QRectF& box, double u) {
  const double margin = kMarginPoints * u, column = kColumnPoints * u, scaleRow = kScaleRowPoints * u;
  const double title = kTitleRowPoints * u;
  double w = std::max(1.0, box.width() - 2 * margin - column);
  double h = w * 0.75;
  if (h + title + 2 * margin + scaleRow > box.height()) {
    h = std::max(1.0, box.height() - title - 2 * margin - scaleRow);
    w = h / 0.75;
  }
  // A box taller than the figure keeps it in its middle.
  const double top = box.top() + std::max(0.0, (box.height() - h - title - 2 * margin - scaleRow) / 2);
  HeatmapLayout l;
  l.title = QRectF(box.left() + margin, top, w + margin + column, title);
  l.map = QRectF(box.left() + margin, top + title + margin, w, h);
  const double titleRoom = 24 * u;
  l.bar = QRectF(l.map.right() + margin + 2 * u, l.map.top() + titleRoom, column - 2 * u, h - titleRoom);
  return l;
}

double HeatmapHeight(double width) {
  return std::max(1.0, width - 2 * kMarginPoints - kColumnPoints) * 0.75 + kTitleRowPoints + 2 * kMarginPoints +
         kScaleRowPoints;
}

QString CellSizeText(int cellSize, const AnalysisParameters& params) {
  const QString positions = QStringLiteral("%1 px").arg(cellSize);
  const double perPosition = UnitsPerPosition(params);
  if (perPosition == 0) return QStringLiteral("Cells %1").arg(positions);
  const double side = cellSize * perPosition;
  return QStringLiteral("Cells %1 %2 (%3)")
      .arg(QString::number(side, 'g', 3), UnitShortName(params), positions);
}

QColor HeatColour(double t) {
  t = std::clamp(t, 0.0, 1.0) * double(kViridis.size() - 1);
  const auto i = std::min<std::size_t>(static_cast<std::size_t>(t), kViridis.size() - 2);
  const double f = t - double(i);
  const auto& a = kViridis[i];
  const auto& b = kViridis[i + 1];
  auto mix = [f](int x, int y) { return int(std::lround(x + (y - x) * f)); };
  return QColor(mix(a[0], b[0]), mix(a[1], b[1]), mix(a[2], b[2]));
}

void DrawHeatmap(QPainter& painter, const QRectF& box, const Picture& picture, double u) {
  const OccupancyGrid& grid = picture.Occupancy;
  const ZoneMap& map = picture.Request.Map;
  const AnalysisParameters& params = picture.Request.Params;
  painter.save();
  painter.fillRect(box, Qt::white);
  const HeatmapLayout layout = HeatmapLayout::In(box, u);
  DrawPictureTitle(painter, layout.title, picture, u);
  const std::int64_t most = grid.MaximumSamples();
  // A cell covers CellSize picture positions; the last row and column may reach past the picture.
  const double px = layout.map.width() / kPictureWidth, py = layout.map.height() / kPictureHeight;
  painter.setRenderHint(QPainter::Antialiasing, false);  // no seams between cells
  for (int r = 0; r < grid.Rows; ++r) {
    for (int c = 0; c < grid.Columns; ++c) {
      const std::int64_t n = grid.SamplesAt(r, c);
      if (n == 0) continue;
      const double x0 = c * grid.CellSize, y0 = r * grid.CellSize;
      const double x1 = std::min<double>(x0 + grid.CellSize, kPictureWidth), y1 = std::min<double>(y0 + grid.CellSize, kPictureHeight);
      const QRectF cell(QPointF(layout.map.left() + x0 * px, layout.map.top() + y0 * py),
                        QPointF(layout.map.left() + x1 * px, layout.map.top() + y1 * py));
      painter.fillRect(cell, HeatColour(double(n) / double(most)));
    }
  }
  painter.setRenderHint(QPainter::Antialiasing, true);
  DrawZoneOutline(painter, layout.map, map, kOutline, 0.6 * u);
  painter.setPen(QPen(Qt::black, 0.5 * u));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(layout.map);
  DrawZoneLabels(painter, layout.map, grid, map, u);
  DrawColourBar(painter, layout.bar, double(most) * grid.SecondsPerSample, u);
  const QPointF scaleAt(layout.map.left(), layout.map.bottom() + kMarginPoints * u);
  const double line = DrawScaleBar(painter, layout.map, scaleAt, params, u);
  painter.setFont(PictureFont(kTickPoints, u));
  painter.setPen(Qt::black);
  painter.drawText(QRectF(layout.map.left(), scaleAt.y(), layout.map.width(), std::max(line, 10 * u)),
                   Qt::AlignRight | Qt::AlignVCenter, CellSizeText(grid.CellSize, params));
  painter.restore();
}

}  // namespace tlx::draw
