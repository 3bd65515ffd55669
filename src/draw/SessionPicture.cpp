#include "draw/SessionPicture.h"

#include "draw/QtColour.h"
#include "data/Reanalysis.h"

#include <QElapsedTimer>
#include <QPainter>

#include <algorithm>
#include <ctime>
#include <cmath>
#include <utility>

namespace tlx::gui {

namespace {

QColor Blend(QColor a, QColor b, int step) {
  const double t = kTraceSteps > 1 ? step / double(kTraceSteps - 1) : 0;
  return QColor::fromRgbF(float(a.redF() + (b.redF() - a.redF()) * t),
                          float(a.greenF() + (b.greenF() - a.greenF()) * t),
                          float(a.blueF() + (b.blueF() - a.blueF()) * t));
}

// A segment between two unit positions in one 32-bit key (each coordinate is a byte); both
// directions give the same key, since they draw the same pixels.
std::uint32_t SegmentKey(const PositionSample& a, const PositionSample& b) {
  std::uint32_t ka = std::uint32_t(a.X & 0xFF) | std::uint32_t(a.Y & 0xFF) << 8;
  std::uint32_t kb = std::uint32_t(b.X & 0xFF) | std::uint32_t(b.Y & 0xFF) << 8;
  if (kb < ka) std::swap(ka, kb);
  return ka | kb << 16;
}

double ThreadCpuMilliseconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
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

namespace {

PositionSample KeyStart(std::uint32_t k) { return {std::int16_t(k & 0xFF), std::int16_t(k >> 8 & 0xFF)}; }
PositionSample KeyEnd(std::uint32_t k) { return {std::int16_t(k >> 16 & 0xFF), std::int16_t(k >> 24 & 0xFF)}; }

// Hands the distinct segments of each colour step, in drawing order, to `draw`.
template <typename Draw>
void ForEachStep(const std::vector<PositionSample>& points, QColor start, QColor end, Draw draw) {
  if (points.size() < 2) return;
  const std::size_t segments = points.size() - 1;
  const bool ramp = start != end;
  std::vector<std::uint32_t> keys;
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
    draw(ramp ? Blend(start, end, step) : start, keys);
  }
}

// A line two pixels wide straight into the image's pixels (clipped to the image).
struct Pixels {
  uchar* bits;
  qsizetype stride;
  int width, height;
};

// The pixels a pen covers round each point of a line: the trace's own two-pixel pen, and its
// outline one pixel wider on every side.
struct PenShape {
  int from, to;  // offsets from the point, both axes
  bool plus;     // only the point and its right and lower neighbours
};
constexpr PenShape kLinePen{0, 1, true};
constexpr PenShape kOutlinePen{-1, 2, false};

void RasterLine(const Pixels& image, int x0, int y0, int x1, int y1, QRgb colour, PenShape pen = kLinePen) {
  auto put = [&](int px, int py) {
    if (px >= 0 && py >= 0 && px < image.width && py < image.height) {
      reinterpret_cast<QRgb*>(image.bits + py * image.stride)[px] = colour;
    }
  };
  auto row = [&](int x, int y) {
    for (int d = pen.from; d <= pen.to; ++d) put(x + d, y);
  };
  auto column = [&](int x, int y) {
    for (int d = pen.from; d <= pen.to; ++d) put(x, y + d);
  };
  // A square pen that moved by one pixel only needs its leading edge drawn.
  auto plot = [&](int x, int y, int movedX, int movedY) {
    if (pen.plus) {
      put(x, y);
      put(x + 1, y);
      put(x, y + 1);
    } else if (movedX == 0 && movedY == 0) {
      for (int d = pen.from; d <= pen.to; ++d) row(x, y + d);
    } else {
      if (movedX != 0) column(x + (movedX > 0 ? pen.to : pen.from), y);
      if (movedY != 0) row(x, y + (movedY > 0 ? pen.to : pen.from));
    }
  };
  const int dx = std::abs(x1 - x0), sx = x0 < x1 ? 1 : -1;
  const int dy = -std::abs(y1 - y0), sy = y0 < y1 ? 1 : -1;
  int err = dx + dy;
  int movedX = 0, movedY = 0;
  while (true) {
    plot(x0, y0, movedX, movedY);
    if (x0 == x1 && y0 == y1) break;
    const int e2 = 2 * err;
    movedX = movedY = 0;
    if (e2 >= dy) { err += dy; x0 += sx; movedX = sx; }
    if (e2 <= dx) { err += dx; y0 += sy; movedY = sy; }
  }
}

void DrawCircles(QPainter& painter, QPointF centre, double unit, QColor colour) {
  painter.setBrush(Qt::NoBrush);
  for (const QPen& pen : {QPen(kTraceOutlineColour, 3 * unit), QPen(colour, unit)}) {
    painter.setPen(pen);
    for (int k = 1; k <= kMarkCircles; ++k) painter.drawEllipse(centre, 5.0 * k * unit, 5.0 * k * unit);
  }
}

// The distinct segments of each colour step, in drawing order: the outline goes under all of
// them before any colour is drawn, so that no outline covers a coloured part.
struct StepSegments {
  QColor colour;
  std::vector<std::uint32_t> keys;
};

std::vector<StepSegments> TraceSteps(const std::vector<PositionSample>& points, QColor start, QColor end) {
  std::vector<StepSegments> steps;
  ForEachStep(points, start, end,
              [&](QColor colour, const std::vector<std::uint32_t>& keys) { steps.push_back({colour, keys}); });
  return steps;
}

}  // namespace

void DrawTrace(QPainter& painter, const QRectF& box, const std::vector<PositionSample>& points,
               double unit, QColor start, QColor end) {
  if (points.empty()) return;
  const double sx = box.width() / 256.0;
  const double sy = box.height() / 192.0;
  auto at = [&](const PositionSample& p) { return QPointF(box.left() + p.X * sx, box.top() + p.Y * sy); };
  std::vector<QLineF> lines;
  auto stroke = [&](const QPen& pen, const std::vector<std::uint32_t>& keys) {
    lines.clear();
    for (std::uint32_t k : keys) lines.emplace_back(at(KeyStart(k)), at(KeyEnd(k)));
    painter.setPen(pen);
    painter.drawLines(lines.data(), static_cast<int>(lines.size()));
  };
  const std::vector<StepSegments> steps = TraceSteps(points, start, end);
  for (const StepSegments& step : steps) stroke(QPen(kTraceOutlineColour, 4 * unit, Qt::SolidLine, Qt::RoundCap), step.keys);
  for (const StepSegments& step : steps) stroke(QPen(step.colour, 2 * unit, Qt::SolidLine, Qt::RoundCap), step.keys);
  DrawCircles(painter, at(points.back()), unit, end);
}

// The same trace as DrawTrace over the whole image, written into its pixels directly: a day-long
// session has millions of segments, far more than a painter strokes in good time.
void RasterTrace(QImage& image, const std::vector<PositionSample>& points, QColor start, QColor end) {
  if (points.empty()) return;
  const double sx = image.width() / 256.0;
  const double sy = image.height() / 192.0;
  const Pixels pixels{image.bits(), image.bytesPerLine(), image.width(), image.height()};
  auto line = [&](std::uint32_t k, QRgb rgb, PenShape pen) {
    const PositionSample a = KeyStart(k), b = KeyEnd(k);
    RasterLine(pixels, int(a.X * sx), int(a.Y * sy), int(b.X * sx), int(b.Y * sy), rgb, pen);
  };
  const std::vector<StepSegments> steps = TraceSteps(points, start, end);
  for (const StepSegments& step : steps)
    for (std::uint32_t k : step.keys) line(k, kTraceOutlineColour.rgb(), kOutlinePen);
  for (const StepSegments& step : steps)
    for (std::uint32_t k : step.keys) line(k, step.colour.rgb(), kLinePen);
  QPainter painter(&image);
  DrawCircles(painter, QPointF(points.back().X * sx, points.back().Y * sy), 1.0, end);
}

SessionPictureResult DrawSessionPicture(const SessionPictureRequest& request, const std::atomic<bool>* cancel) {
  QElapsedTimer timer;
  timer.start();
  const double cpuStart = ThreadCpuMilliseconds();
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
  painter.end();
  RasterTrace(image, *result.points);
  if (cancelled()) return result;
  result.image = std::move(image);
  result.milliseconds = static_cast<double>(timer.nsecsElapsed()) / 1e6;
  result.cpuMilliseconds = ThreadCpuMilliseconds() - cpuStart;
  return result;
}

}  // namespace tlx::gui
