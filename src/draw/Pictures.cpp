#include "draw/Pictures.h"

#include "draw/SessionPicture.h"
#include "data/DataFile.h"
#include "data/Reanalysis.h"
#include "draw/HeatmapPicture.h"
#include "draw/TimelinePicture.h"

#include <QFile>
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

constexpr int kNaturalWidth = 960;

SampleRangeStatus LoadTrace(const PictureRequest& r, Picture& out) {
  std::vector<PositionSample> samples;
  const SampleRangeStatus status =
      ReadSampleRange(r.DataPath, r.Session, SamplesPerSession(r.Params.SessionLength, r.Params.SampleRate),
                      [&samples](std::span<const std::uint16_t> words) {
                        for (std::uint16_t w : words) samples.push_back(DecodeSample(static_cast<std::int16_t>(w)));
                      });
  if (status == SampleRangeStatus::Done) {
    out.TracePoints = TracePoints(samples, r.Params.MaximumDistance, r.Params.AmbulatoryThreshold);
  }
  return status;
}

std::string LowerExtension(const std::string& path) {
  const auto dot = path.find_last_of("./");
  if (dot == std::string::npos || path[dot] != '.') return {};
  std::string ext = path.substr(dot + 1);
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return char(std::tolower(c)); });
  return ext;
}

bool SavePdf(const Picture& picture, const QString& path, QSize size) {
  QPdfWriter writer(path);
  writer.setResolution(72);  // one drawing unit is one point
  writer.setPageSize(QPageSize(QSizeF(size), QPageSize::Point, QString(), QPageSize::ExactMatch));
  writer.setPageMargins(QMarginsF(0, 0, 0, 0));
  QPainter painter;
  if (!painter.begin(&writer)) return false;
  DrawPicture(painter, QRectF(QPointF(0, 0), QSizeF(size)), picture);
  return painter.end();
}

bool SaveSvg(const Picture& picture, const QString& path, QSize size) {
  QSvgGenerator svg;
  svg.setFileName(path);
  svg.setSize(size);
  svg.setResolution(96);  // one drawing unit is one CSS pixel: viewers show the picture at its size
  svg.setViewBox(QRect(QPoint(0, 0), size));
  svg.setTitle(QString::fromLatin1(PictureKindName(picture.Request.Kind)));
  QPainter painter;
  if (!painter.begin(&svg)) return false;
  DrawPicture(painter, QRectF(QPointF(0, 0), QSizeF(size)), picture);
  return painter.end();
}

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

SampleRangeStatus LoadPicture(const PictureRequest& request, Picture& out) {
  Picture picture;
  picture.Request = request;
  SampleRangeStatus status = SampleRangeStatus::Done;
  switch (request.Kind) {
    case PictureKind::Trace: status = LoadTrace(request, picture); break;
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

QSize SizeForWidth(const Picture& picture, int width) {
  width = std::max(width, 16);
  switch (picture.Request.Kind) {
    case PictureKind::Trace: return {width, width * 3 / 4};
    case PictureKind::Heatmap: return {width, int(std::lround(width * 0.84 * 0.75))};
    case PictureKind::Timeline:
      return {width, int(std::lround(TimelineHeight(width, picture.Timelines.size())))};
  }
  return {width, width};
}

QSize NaturalSize(const Picture& picture) { return SizeForWidth(picture, kNaturalWidth); }

void DrawPicture(QPainter& painter, const QRectF& box, const Picture& picture) {
  const PictureRequest& r = picture.Request;
  switch (r.Kind) {
    case PictureKind::Trace: {
      // The trace keeps the picture's 4:3 shape inside the box.
      QSizeF fitted = QSizeF(4, 3).scaled(box.size(), Qt::KeepAspectRatio);
      const QRectF area(box.left() + (box.width() - fitted.width()) / 2, box.top() + (box.height() - fitted.height()) / 2,
                        fitted.width(), fitted.height());
      painter.save();
      painter.setRenderHint(QPainter::Antialiasing, true);
      gui::DrawZoneMapPicture(painter, area, r.Map, r.Colours);
      gui::DrawTrace(painter, area, picture.TracePoints, area.width() / 256.0);
      painter.restore();
      break;
    }
    case PictureKind::Heatmap: DrawHeatmap(painter, box, picture.Occupancy, r.Map); break;
    case PictureKind::Timeline:
      DrawTimeline(painter, box, picture.Timelines, r.Params.SessionLength, r.Colours);
      break;
  }
}

bool IsPictureFileName(const std::string& path) {
  const std::string ext = LowerExtension(path);
  return ext == "png" || ext == "svg" || ext == "pdf";
}

// Written under a temporary name beside the target and renamed into place when complete, so a
// failed save never leaves half a picture where a good one stood.
SaveStatus SavePicture(const Picture& picture, const std::string& path, QSize size) {
  const std::string ext = LowerExtension(path);
  if (!IsPictureFileName(path)) return SaveStatus::UnknownFormat;
  const QString target = QString::fromStdString(path);
  const QString temporary = target + QStringLiteral(".part");
  bool written = false;
  if (ext == "png") {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    DrawPicture(painter, QRectF(QPointF(0, 0), QSizeF(size)), picture);
    painter.end();
    written = image.save(temporary, "PNG");
  } else if (ext == "svg") {
    written = SaveSvg(picture, temporary, size);
  } else {
    written = SavePdf(picture, temporary, size);
  }
  written = written && QFile(temporary).size() > 0 && std::rename(temporary.toLocal8Bit().constData(), path.c_str()) == 0;
  if (!written) QFile::remove(temporary);
  return written ? SaveStatus::Saved : SaveStatus::WriteFailed;
}

}  // namespace tlx::draw
