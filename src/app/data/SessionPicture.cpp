#include "app/data/SessionPicture.h"

#include "app/zone/VidGrid.h"
#include "data/Reanalysis.h"

#include <QElapsedTimer>
#include <QPainter>

#include <algorithm>

namespace tlx::gui {

namespace {

QColor Blend(QColor a, QColor b, int step) {
  const double t = kTraceSteps > 1 ? step / double(kTraceSteps - 1) : 0;
  return QColor::fromRgbF(float(a.redF() + (b.redF() - a.redF()) * t),
                          float(a.greenF() + (b.greenF() - a.greenF()) * t),
                          float(a.blueF() + (b.blueF() - a.blueF()) * t));
}

// A segment between two unit positions in one 32-bit key (each coordinate is a byte).
std::uint32_t SegmentKey(const PositionSample& a, const PositionSample& b) {
  return std::uint32_t(a.X & 0xFF) | std::uint32_t(a.Y & 0xFF) << 8 | std::uint32_t(b.X & 0xFF) << 16 |
         std::uint32_t(b.Y & 0xFF) << 24;
}

}  // namespace

void DrawZoneMapPicture(QPainter& painter, const QRectF& box, const ZoneMap& map, const ColourTable& colours) {
  painter.fillRect(box, Qt::black);
  const double cw = box.width() / kMapColumns;
  const double ch = box.height() / kMapRows;
  for (int r = 0; r < kMapRows; ++r) {
    for (int c = 0; c < kMapColumns; ++c) {
      const unsigned char code = static_cast<unsigned char>(map.At(r, c));
      if (ZoneNumberOf(code) == 0) continue;
      // Cell edges on whole device pixels, so neighbouring cells leave no seams.
      const QRectF cell(QPointF(std::round(box.left() + c * cw), std::round(box.top() + r * ch)),
                        QPointF(std::round(box.left() + (c + 1) * cw), std::round(box.top() + (r + 1) * ch)));
      painter.fillRect(cell, ToQColor(colours.Of(code)));
    }
  }
}

void DrawTrace(QPainter& painter, const QRectF& box, const std::vector<PositionSample>& points,
               double unit, QColor start, QColor end) {
  if (points.empty()) return;
  const double sx = box.width() / 256.0;
  const double sy = box.height() / 192.0;
  auto at = [&](const PositionSample& p) { return QPointF(box.left() + p.X * sx, box.top() + p.Y * sy); };
  const std::size_t segments = points.size() - 1;
  const bool ramp = start != end;
  std::vector<std::uint32_t> keys;
  std::vector<QLineF> lines;
  std::size_t i = 0;
  for (int step = 0; step < kTraceSteps && i < segments; ++step) {
    const std::size_t stop = ramp ? segments * std::size_t(step + 1) / kTraceSteps : segments;
    keys.clear();
    for (; i < stop; ++i) {
      if (points[i] == points[i + 1]) continue;
      keys.push_back(SegmentKey(points[i], points[i + 1]));
    }
    if (keys.empty()) continue;
    std::sort(keys.begin(), keys.end());
    keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
    lines.clear();
    for (std::uint32_t k : keys) {
      const PositionSample a{std::int16_t(k & 0xFF), std::int16_t(k >> 8 & 0xFF)};
      const PositionSample b{std::int16_t(k >> 16 & 0xFF), std::int16_t(k >> 24 & 0xFF)};
      lines.emplace_back(at(a), at(b));
    }
    painter.setPen(QPen(ramp ? Blend(start, end, step) : start, 2 * unit, Qt::SolidLine, Qt::RoundCap));
    painter.drawLines(lines.data(), static_cast<int>(lines.size()));
  }
  painter.setPen(QPen(end, unit));
  painter.setBrush(Qt::NoBrush);
  const QPointF last = at(points.back());
  for (int k = 1; k <= kMarkCircles; ++k) painter.drawEllipse(last, 5.0 * k * unit, 5.0 * k * unit);
}

SessionPictureResult DrawSessionPicture(const SessionPictureRequest& request, const std::atomic<bool>* cancel) {
  QElapsedTimer timer;
  timer.start();
  SessionPictureResult result;
  auto cancelled = [cancel] { return cancel != nullptr && cancel->load(); };
  result.points = request.points;
  if (!result.points) {
    std::vector<PositionSample> samples;
    result.read = ReadSessionSamples(request.dataPath, request.session, request.samplesPerSession, samples);
    if (cancelled()) return result;
    result.points = std::make_shared<const std::vector<PositionSample>>(
        TracePoints(samples, request.maxDistance, request.ambulatoryThreshold));
  } else {
    result.read = true;
  }
  if (cancelled() || request.size.isEmpty()) return result;
  QImage image(request.size, QImage::Format_RGB32);
  QPainter painter(&image);
  const QRectF box(QPointF(0, 0), QSizeF(request.size));
  DrawZoneMapPicture(painter, box, request.map, request.colours);
  DrawTrace(painter, box, *result.points);
  painter.end();
  if (cancelled()) return result;
  result.image = std::move(image);
  result.milliseconds = static_cast<double>(timer.nsecsElapsed()) / 1e6;
  return result;
}

}  // namespace tlx::gui
