#include "draw/Pictures.h"

#include "common/AtomicFile.h"
#include "common/Paths.h"
#include "data/DataFile.h"
#include "draw/HeatmapPicture.h"
#include "draw/MapParts.h"
#include "draw/PictureText.h"
#include "draw/SessionPicture.h"
#include "draw/TimelinePicture.h"
#include "draw/TracePicture.h"

#include <QIODevice>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>

namespace tlx::draw {

namespace {

constexpr double kNaturalWidth = 720;  // points: 960 pixels at 96 per inch

std::string LowerExtension(const std::string& path) {
  const auto dot = path.find_last_of("./");
  if (dot == std::string::npos || path[dot] != '.') return {};
  std::string ext = path.substr(dot + 1);
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return char(std::tolower(c)); });
  return ext;
}

bool SavePdf(const Picture& picture, QIODevice* out, QSizeF size) {
  QPdfWriter writer(out);
  writer.setResolution(72);  // one drawing unit is one point
  writer.setPageSize(QPageSize(size, QPageSize::Point, QString(), QPageSize::ExactMatch));
  writer.setPageMargins(QMarginsF(0, 0, 0, 0));
  QPainter painter;
  if (!painter.begin(&writer)) return false;
  DrawPicture(painter, QRectF(QPointF(0, 0), QSizeF(size)), picture);
  return painter.end();
}

bool SaveSvg(const Picture& picture, QIODevice* out, QSizeF points) {
  const QSize size = (points * (96.0 / 72)).toSize();
  QSvgGenerator svg;
  svg.setOutputDevice(out);
  svg.setSize(size);
  svg.setResolution(96);  // one drawing unit is one CSS pixel: viewers show the picture at its size
  svg.setViewBox(QRect(QPoint(0, 0), size));
  svg.setTitle(QString::fromLatin1(PictureKindName(picture.Request.Kind)));
  QPainter painter;
  if (!painter.begin(&svg)) return false;
  DrawPicture(painter, QRectF(QPointF(0, 0), QSizeF(size)), picture);
  return painter.end();
}

// The program's one file writer as a Qt device, so that pictures are written as every other
// output: a regular file replaced atomically, a device or a FIFO written in place.
class WriterDevice : public QIODevice {
 public:
  explicit WriterDevice(const std::string& path) : writer_(path) {
    if (writer_.IsOpen()) open(QIODevice::WriteOnly);
  }
  bool Commit() { return writer_.Commit(); }

 protected:
  qint64 readData(char*, qint64) override { return -1; }
  qint64 writeData(const char* data, qint64 size) override {
    return writer_.Write(std::string_view(data, static_cast<std::size_t>(size))) ? size : -1;
  }

 private:
  AtomicFileWriter writer_;
};

}  // namespace

const char* PictureKindName(PictureKind kind) {
  switch (kind) {
    case PictureKind::Trace: return "trace";
    case PictureKind::Heatmap: return "heatmap";
    case PictureKind::Timeline: return "timeline";
  }
  return "";
}

std::optional<PictureKind> PictureKindFromName(const std::string& name) {
  for (PictureKind k : {PictureKind::Trace, PictureKind::Heatmap, PictureKind::Timeline}) {
    if (name == PictureKindName(k)) return k;
  }
  return std::nullopt;
}

const char* PictureStyleName(PictureStyle style) { return style == PictureStyle::Print ? "print" : "bench"; }

std::optional<PictureStyle> PictureStyleFromName(const std::string& name) {
  for (PictureStyle s : {PictureStyle::Bench, PictureStyle::Print}) {
    if (name == PictureStyleName(s)) return s;
  }
  return std::nullopt;
}

SampleRangeStatus LoadTracePath(const PictureRequest& r, TracePath& out) {
  std::vector<PositionSample> samples;
  const SampleRangeStatus status =
      ReadSampleRange(r.DataPath, r.Session, SamplesPerSession(r.Params.SessionLength, r.Params.SampleRate),
                      [&samples](std::span<const std::uint16_t> words) {
                        for (std::uint16_t w : words) samples.push_back(DecodeSample(static_cast<std::int16_t>(w)));
                      });
  if (status == SampleRangeStatus::Done) {
    out = TimedTracePoints(samples, r.Params.MaximumDistance, r.Params.AmbulatoryThreshold, r.Params.SampleRate);
  }
  return status;
}

SampleRangeStatus LoadPicture(const PictureRequest& request, Picture& out) {
  Picture picture;
  picture.Request = request;
  SampleRangeStatus status = SampleRangeStatus::Done;
  switch (request.Kind) {
    case PictureKind::Trace: status = LoadTracePath(request, picture.Trace); break;
    case PictureKind::Heatmap:
      status = ComputeOccupancy(request.DataPath, request.Session, request.Params.SessionLength,
                                request.Params.SampleRate, request.CellSize, picture.Occupancy);
      break;
    case PictureKind::Timeline:
      status = BuildActivityTimeline(request.DataPath, request.Session, request.Params, request.Map, picture.Timelines);
      break;
  }
  if (status == SampleRangeStatus::Done) out = std::move(picture);
  return status;
}

QSizeF SizeForWidth(const Picture& picture, double width) {
  width = std::max(width, 48.0);
  switch (picture.Request.Kind) {
    case PictureKind::Trace: return {width, TraceHeight(width)};
    case PictureKind::Heatmap: return {width, HeatmapHeight(width)};
    case PictureKind::Timeline:
      return {width, TimelineHeight(width, picture.Timelines.size(), TimelineZones(picture.Timelines, picture.Request.Map))};
  }
  return {width, width};
}

QSizeF NaturalSize(const Picture& picture) { return SizeForWidth(picture, kNaturalWidth); }

QString PictureTitle(const PictureRequest& r) {
  const QString file = QString::fromStdString(FileNamePart(r.DataPath));
  if (r.Session == kWholeRecording) return file + QStringLiteral(", all sessions");
  return file + QStringLiteral(", session %1").arg(r.Session);
}

void DrawPictureTitle(QPainter& painter, const QRectF& row, const Picture& picture, double u) {
  painter.save();
  painter.setFont(PictureFont(kLabelPoints, u));
  painter.setPen(Qt::black);
  painter.drawText(row, Qt::AlignLeft | Qt::AlignVCenter, PictureTitle(picture.Request));
  painter.restore();
}

void DrawPicture(QPainter& painter, const QRectF& box, const Picture& picture) {
  const PictureRequest& r = picture.Request;
  const double unitsPerPoint = UnitsPerPoint(painter.device());
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.setRenderHint(QPainter::TextAntialiasing, true);
  switch (r.Kind) {
    case PictureKind::Trace: DrawTracePicture(painter, box, picture, unitsPerPoint); break;
    case PictureKind::Heatmap:
      DrawHeatmap(painter, box, picture, unitsPerPoint);
      break;
    case PictureKind::Timeline:
      DrawTimeline(painter, box, picture.Timelines, r.Params.SessionLength, r.Map, r.Colours, unitsPerPoint);
      break;
  }
  painter.restore();
}

bool IsPictureFileName(const std::string& path) {
  const std::string ext = LowerExtension(path);
  return ext == "png" || ext == "svg" || ext == "pdf";
}

// Written through the program's file writer: a failed save never leaves half a picture where a
// good one stood.
SaveStatus SavePicture(const Picture& picture, const std::string& path, QSizeF points, double dpi) {
  const std::string ext = LowerExtension(path);
  if (!IsPictureFileName(path) || points.isEmpty()) return SaveStatus::UnknownFormat;
  WriterDevice out(path);
  if (!out.isOpen()) return SaveStatus::WriteFailed;
  bool written = false;
  if (ext == "png") {
    const QSize size = (points * (dpi / 72)).toSize().expandedTo(QSize(1, 1));
    QImage image(size, QImage::Format_RGB32);
    const int dotsPerMetre = int(std::lround(dpi / 0.0254));
    image.setDotsPerMeterX(dotsPerMetre);  // text is sized by it, and viewers print at it
    image.setDotsPerMeterY(dotsPerMetre);
    image.fill(Qt::white);
    QPainter painter(&image);
    DrawPicture(painter, QRectF(QPointF(0, 0), QSizeF(size)), picture);
    painter.end();
    written = image.save(&out, "PNG");
  } else if (ext == "svg") {
    written = SaveSvg(picture, &out, points);
  } else {
    written = SavePdf(picture, &out, points);
  }
  // The writer's destructor drops the temporary file of a picture that failed.
  written = written && out.pos() > 0 && out.Commit();
  return written ? SaveStatus::Saved : SaveStatus::WriteFailed;
}

}  // namespace tlx::draw
