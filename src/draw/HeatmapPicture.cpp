#include "draw/HeatmapPicture.h"

#include "draw/PictureText.h"

#include <QPainter>

#include <algorithm>
#include <array>
#include <cmath>

namespace tlx::draw {

namespace {

const QColor kBackground{24, 24, 24};
const QColor kOutline{200, 200, 200};
constexpr int kBarSteps = 64;

// Outline of the zone map: a line wherever two neighbouring cells hold different characters, the
// frame round the picture, and each zone's letter at the middle of its cells.
void DrawZoneOutline(QPainter& painter, const QRectF& box, const ZoneMap& map) {
  const double cw = box.width() / kMapColumns, ch = box.height() / kMapRows;
  painter.setPen(QPen(kOutline, std::max(1.0, box.width() / 400)));
  painter.setBrush(Qt::NoBrush);
  for (int r = 0; r < kMapRows; ++r) {
    for (int c = 0; c < kMapColumns; ++c) {
      const double x = box.left() + c * cw, y = box.top() + r * ch;
      if (c + 1 < kMapColumns && map.At(r, c) != map.At(r, c + 1)) painter.drawLine(QPointF(x + cw, y), QPointF(x + cw, y + ch));
      if (r + 1 < kMapRows && map.At(r, c) != map.At(r + 1, c)) painter.drawLine(QPointF(x, y + ch), QPointF(x + cw, y + ch));
    }
  }
  painter.drawRect(box);
  std::array<double, 256> sumX{}, sumY{}, count{};
  for (int r = 0; r < kMapRows; ++r) {
    for (int c = 0; c < kMapColumns; ++c) {
      const auto code = static_cast<unsigned char>(map.At(r, c));
      if (ZoneNumberOf(code) == 0) continue;
      sumX[code] += c + 0.5;
      sumY[code] += r + 0.5;
      count[code] += 1;
    }
  }
  painter.setFont(PictureFont(ch * 1.2));
  for (int code = 0; code < 256; ++code) {
    if (count[code] == 0) continue;
    const QPointF centre(box.left() + sumX[code] / count[code] * cw, box.top() + sumY[code] / count[code] * ch);
    painter.drawText(QRectF(centre.x() - cw, centre.y() - ch, 2 * cw, 2 * ch), Qt::AlignCenter,
                     QString(QChar(code)));
  }
}

void DrawColourBar(QPainter& painter, const QRectF& bar, double maxSeconds) {
  const QRectF ramp(bar.left(), bar.top(), bar.width() * 0.35, bar.height());
  for (int k = 0; k < kBarSteps; ++k) {
    const double top = ramp.bottom() - ramp.height() * (k + 1) / kBarSteps;
    painter.fillRect(QRectF(ramp.left(), top, ramp.width(), ramp.height() / kBarSteps + 0.5),
                     HeatColour((k + 0.5) / kBarSteps));
  }
  painter.setPen(QPen(Qt::black, 1));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(ramp);
  const double fontSize = std::max(8.0, bar.height() / 30);
  painter.setFont(PictureFont(fontSize));
  const QRectF labels(ramp.right() + fontSize * 0.4, ramp.top(), bar.right() - ramp.right(), ramp.height());
  for (int k = 0; k <= 4; ++k) {
    const double y = ramp.bottom() - ramp.height() * k / 4;
    painter.drawLine(QPointF(ramp.right(), y), QPointF(ramp.right() + fontSize * 0.3, y));
    painter.drawText(QRectF(labels.left(), y - fontSize, labels.width(), 2 * fontSize),
                     Qt::AlignLeft | Qt::AlignVCenter, SecondsText(maxSeconds * k / 4));
  }
}

}  // namespace

HeatmapLayout HeatmapLayout::In(const QRectF& box) {
  const double gap = box.width() * 0.02;
  double mapWidth = box.width() * 0.84;
  double mapHeight = mapWidth * 0.75;
  if (mapHeight > box.height()) {
    mapHeight = box.height();
    mapWidth = mapHeight / 0.75;
  }
  const QRectF map(box.left(), box.top() + (box.height() - mapHeight) / 2, mapWidth, mapHeight);
  const QRectF bar(map.right() + gap, map.top() + mapHeight * 0.05, box.right() - map.right() - gap, mapHeight * 0.9);
  return {map, bar};
}

QColor HeatColour(double t) {
  // Dark blue, blue, cyan, yellow, red: dim for little time, bright for the most.
  static const std::array<QColor, 5> stops = {QColor(20, 20, 140), QColor(30, 90, 255), QColor(0, 220, 220),
                                              QColor(255, 230, 0), QColor(230, 20, 20)};
  t = std::clamp(t, 0.0, 1.0) * (stops.size() - 1);
  const auto i = std::min<std::size_t>(static_cast<std::size_t>(t), stops.size() - 2);
  const double f = t - double(i);
  const QColor& a = stops[i];
  const QColor& b = stops[i + 1];
  return QColor(int(std::lround(a.red() + (b.red() - a.red()) * f)), int(std::lround(a.green() + (b.green() - a.green()) * f)),
                int(std::lround(a.blue() + (b.blue() - a.blue()) * f)));
}

void DrawHeatmap(QPainter& painter, const QRectF& box, const OccupancyGrid& grid, const ZoneMap& map) {
  painter.save();
  painter.fillRect(box, Qt::white);
  const HeatmapLayout layout = HeatmapLayout::In(box);
  painter.fillRect(layout.map, kBackground);
  const std::int64_t most = grid.MaximumSamples();
  // A cell covers CellSize picture positions; the last row and column may reach past the picture.
  const double px = layout.map.width() / kPictureWidth, py = layout.map.height() / kPictureHeight;
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
  DrawZoneOutline(painter, layout.map, map);
  DrawColourBar(painter, layout.bar, double(most) * grid.SecondsPerSample);
  painter.restore();
}

}  // namespace tlx::draw
