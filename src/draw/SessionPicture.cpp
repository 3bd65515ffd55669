#include "draw/SessionPicture.h"

#include "draw/MapParts.h"
#include "draw/PictureText.h"
#include "draw/QtColour.h"

#include <QElapsedTimer>
#include <QPainter>

#include <algorithm>
#include <ctime>
#include <cmath>
#include <utility>

namespace tlx::draw {

namespace {

QColor Blend(QColor a, QColor b, double t) {
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

QColor ZoneFill(unsigned char code, const ColourTable& colours, bool pale) {
  const QColor c = gui::ToQColor(colours.Of(code));
  return pale ? Blend(c, Qt::white, kPaleWhite) : c;
}

bool DrawsPixels(const QPainter& painter) {
  const QPaintDevice* device = painter.device();
  if (device == nullptr) return false;
  const int type = device->devType();
  return type == QInternal::Image || type == QInternal::Pixmap || type == QInternal::Widget;
}

void DrawZoneMapPicture(QPainter& painter, const QRectF& box, const ZoneMap& map, const ColourTable& colours, bool pale) {
  painter.fillRect(box, pale ? Qt::white : Qt::black);
  const double cw = box.width() / kMapColumns;
  const double ch = box.height() / kMapRows;
  // On a bitmap, cell edges go on whole pixels so that neighbouring cells leave no seams; on a
  // page (PDF, SVG, printer) they stay where they fall, so every cell has its exact size.
  const bool pixels = DrawsPixels(painter);
  auto edge = [pixels](double v) { return pixels ? std::round(v) : v; };
  for (int r = 0; r < kMapRows; ++r) {
    for (int c = 0; c < kMapColumns; ++c) {
      const unsigned char code = static_cast<unsigned char>(map.At(r, c));
      if (ZoneNumberOf(code) == 0) continue;
      const QRectF cell(QPointF(edge(box.left() + c * cw), edge(box.top() + r * ch)),
                        QPointF(edge(box.left() + (c + 1) * cw), edge(box.top() + (r + 1) * ch)));
      painter.fillRect(cell, ZoneFill(code, colours, pale));
    }
  }
  if (pale) DrawZoneOutline(painter, box, map, QColor(150, 150, 150), std::max(0.5, box.width() / 1000));
}

void DrawZoneLetters(QPainter& painter, const QRectF& box, const ZoneMap& map, const ColourTable& colours,
                     bool pale, double unitsPerPoint, double points) {
  const double cw = box.width() / kMapColumns, ch = box.height() / kMapRows;
  painter.save();
  painter.setFont(PictureFont(points, unitsPerPoint));
  for (const ZoneLetterPlace& p : ZoneLetterPlaces(map, [](int, int) { return true; })) {
    const QPointF centre(box.left() + (p.Column + 0.5) * cw, box.top() + (p.Row + 0.5) * ch);
    painter.setPen(TextColourOn(ZoneFill(p.Code, colours, pale)));
    painter.drawText(QRectF(centre.x() - 20 * unitsPerPoint, centre.y() - 10 * unitsPerPoint, 40 * unitsPerPoint,
                            20 * unitsPerPoint),
                     Qt::AlignCenter, QString(QChar(p.Code)));
  }
  painter.restore();
}

TraceLook TraceLook::For(PictureStyle style, double unit, double unitsPerPoint) {
  TraceLook look;
  look.Unit = unit;
  if (style == PictureStyle::Print) {
    look.Start = kPrintTraceStartColour;
    look.End = kPrintTraceEndColour;
    look.LineWidth = 0.9 * unitsPerPoint;
    look.Edge = false;
  } else {
    look.LineWidth = 2 * unit;
  }
  return look;
}

QColor TraceColourAt(const TraceLook& look, double share) {
  return Blend(look.Start, look.End, std::clamp(share, 0.0, 1.0));
}

namespace {

PositionSample KeyStart(std::uint32_t k) { return {std::int16_t(k & 0xFF), std::int16_t(k >> 8 & 0xFF)}; }
PositionSample KeyEnd(std::uint32_t k) { return {std::int16_t(k >> 16 & 0xFF), std::int16_t(k >> 24 & 0xFF)}; }

// The colour step of the segment that ends at point i: the share of the session's time at which
// the animal got there, so that the colour tells when a part of the path was walked.
int StepOf(const TracePath& path, std::size_t i) {
  if (path.SampleCount <= 1) return kTraceSteps - 1;
  const std::int64_t step = path.SampleIndex[i] * kTraceSteps / (path.SampleCount - 1);
  return int(std::clamp<std::int64_t>(step, 0, kTraceSteps - 1));
}

// Hands the distinct segments of each colour step, in drawing order, to `draw`.
template <typename Draw>
void ForEachStep(const TracePath& path, const TraceLook& look, Draw draw) {
  const std::vector<PositionSample>& points = path.Points;
  if (points.size() < 2) return;
  const std::size_t segments = points.size() - 1;
  std::vector<std::uint32_t> keys;
  std::size_t i = 0;
  while (i < segments) {
    const int step = StepOf(path, i + 1);
    keys.clear();
    for (; i < segments && StepOf(path, i + 1) == step; ++i) {
      if (points[i] == points[i + 1]) continue;
      keys.push_back(SegmentKey(points[i], points[i + 1]));
    }
    if (keys.empty()) continue;
    std::sort(keys.begin(), keys.end());
    keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
    draw(TraceColourAt(look, step / double(kTraceSteps - 1)), keys);
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

struct StepSegments {
  QColor colour;
  std::vector<std::uint32_t> keys;
};

std::vector<StepSegments> TraceSteps(const TracePath& path, const TraceLook& look) {
  std::vector<StepSegments> steps;
  ForEachStep(path, look,
              [&](QColor colour, const std::vector<std::uint32_t>& keys) { steps.push_back({colour, keys}); });
  return steps;
}

}  // namespace

namespace {

// A square pen `width` pixels wide round the point it is centred on.
PenShape SquarePen(int width) { return {-(width / 2), width - width / 2 - 1, false}; }

// The trace on a bitmap: its segments written straight into the pixels of a layer the size of the
// box, which is then laid over the picture in one step. A day-long trace has millions of segments,
// far more than a painter strokes in good time; this draws them in well under a second with square
// pens of the look's widths (without smoothing of the line's edges). False when the painter's
// device or transformation does not allow it.
bool RasterTraceOnto(QPainter& painter, const QRectF& box, const TracePath& path, const TraceLook& look) {
  if (painter.device() == nullptr || painter.device()->devType() != QInternal::Image ||
      painter.device()->devicePixelRatio() != 1 || painter.worldTransform().type() > QTransform::TxTranslate) {
    return false;
  }
  const QRect pixels = painter.worldTransform().mapRect(box).toAlignedRect();
  if (pixels.isEmpty()) return true;
  QImage layer(pixels.size(), QImage::Format_ARGB32_Premultiplied);
  layer.fill(Qt::transparent);
  const Pixels target{layer.bits(), layer.bytesPerLine(), layer.width(), layer.height()};
  const QPointF origin = painter.worldTransform().map(box.topLeft()) - QPointF(pixels.topLeft());
  const double sx = box.width() / 256.0 * painter.worldTransform().m11();
  const double sy = box.height() / 192.0 * painter.worldTransform().m22();
  const int width = std::max(1, int(std::lround(look.LineWidth)));
  auto line = [&](std::uint32_t k, QRgb rgb, PenShape pen) {
    const PositionSample a = KeyStart(k), b = KeyEnd(k);
    RasterLine(target, int(origin.x() + a.X * sx), int(origin.y() + a.Y * sy), int(origin.x() + b.X * sx),
               int(origin.y() + b.Y * sy), rgb, pen);
  };
  const std::vector<StepSegments> steps = TraceSteps(path, look);
  if (look.Edge)
    for (const StepSegments& step : steps)
      for (std::uint32_t k : step.keys) line(k, kTraceOutlineColour.rgb(), SquarePen(2 * width));
  for (const StepSegments& step : steps)
    for (std::uint32_t k : step.keys) line(k, step.colour.rgb(), SquarePen(width));
  painter.save();
  painter.resetTransform();
  painter.drawImage(pixels.topLeft(), layer);
  painter.restore();
  return true;
}

}  // namespace

void DrawTrace(QPainter& painter, const QRectF& box, const TracePath& path, const TraceLook& look, TraceDrawing how) {
  const std::vector<PositionSample>& points = path.Points;
  if (points.empty()) return;
  if (how == TraceDrawing::Fastest && RasterTraceOnto(painter, box, path, look)) return;
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
  const std::vector<StepSegments> steps = TraceSteps(path, look);
  if (look.Edge)
    for (const StepSegments& step : steps) stroke(QPen(kTraceOutlineColour, 2 * look.LineWidth, Qt::SolidLine, Qt::RoundCap), step.keys);
  for (const StepSegments& step : steps) stroke(QPen(step.colour, look.LineWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin), step.keys);
}

// The same trace as DrawTrace over the whole image, written into its pixels directly: a day-long
// session has millions of segments, far more than a painter strokes in good time. On an image for a
// high-density screen (device pixel ratio 2, say) the pens are that many pixels wider, so the line
// keeps its width on the screen and only gets sharper.
void RasterTrace(QImage& image, const TracePath& path) {
  const std::vector<PositionSample>& points = path.Points;
  if (points.empty()) return;
  const double ratio = image.devicePixelRatio();
  const double sx = image.width() / 256.0;
  const double sy = image.height() / 192.0;
  const int n = std::max(1, int(std::lround(ratio)));
  const PenShape linePen = n == 1 ? kLinePen : PenShape{0, 2 * n - 1, false};
  const PenShape outlinePen = n == 1 ? kOutlinePen : PenShape{-n, 3 * n - 1, false};
  const Pixels pixels{image.bits(), image.bytesPerLine(), image.width(), image.height()};
  auto line = [&](std::uint32_t k, QRgb rgb, PenShape pen) {
    const PositionSample a = KeyStart(k), b = KeyEnd(k);
    RasterLine(pixels, int(a.X * sx), int(a.Y * sy), int(b.X * sx), int(b.Y * sy), rgb, pen);
  };
  const std::vector<StepSegments> steps = TraceSteps(path, TraceLook{});
  for (const StepSegments& step : steps)
    for (std::uint32_t k : step.keys) line(k, kTraceOutlineColour.rgb(), outlinePen);
  for (const StepSegments& step : steps)
    for (std::uint32_t k : step.keys) line(k, step.colour.rgb(), linePen);
}

QImage ScreenImage(QSize size, double pixelRatio, QImage::Format format) {
  QImage image((QSizeF(size.expandedTo(QSize(1, 1))) * pixelRatio).toSize(), format);
  image.setDevicePixelRatio(pixelRatio);
  return image;
}

SessionPictureResult DrawSessionPicture(const PictureRequest& request, QSize size, std::shared_ptr<const TracePath> path,
                                        const std::atomic<bool>* cancel, double pixelRatio) {
  QElapsedTimer timer;
  timer.start();
  const double cpuStart = ThreadCpuMilliseconds();
  SessionPictureResult result;
  auto cancelled = [cancel] { return cancel != nullptr && cancel->load(); };
  result.path = std::move(path);
  if (!result.path) {
    TracePath read;
    result.read = LoadTracePath(request, read) == SampleRangeStatus::Done;
    if (cancelled()) return result;
    result.path = std::make_shared<const TracePath>(std::move(read));
  } else {
    result.read = true;
  }
  if (cancelled() || size.isEmpty()) return result;
  QImage image = ScreenImage(size, pixelRatio, QImage::Format_RGB32);
  QPainter painter(&image);
  const QRectF box(QPointF(0, 0), QSizeF(size));
  DrawZoneMapPicture(painter, box, request.Map, request.Colours);
  painter.end();
  RasterTrace(image, *result.path);
  painter.begin(&image);
  DrawZoneLetters(painter, box, request.Map, request.Colours, false, UnitsPerPoint(&image), kBenchLetterPoints);
  painter.end();
  if (cancelled()) return result;
  result.image = std::move(image);
  result.milliseconds = static_cast<double>(timer.nsecsElapsed()) / 1e6;
  result.cpuMilliseconds = ThreadCpuMilliseconds() - cpuStart;
  return result;
}

}  // namespace tlx::draw
