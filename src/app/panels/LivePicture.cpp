#include "app/panels/LivePicture.h"

#include "draw/SessionPicture.h"

#include "draw/QtColour.h"

#include <QPaintEvent>
#include <QResizeEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace tlx::gui {

QImage PaintZoneMap(const ZoneMap& map, const ColourTable& colours, QSize size, double pixelRatio) {
  QImage image = draw::ScreenImage(size, pixelRatio, QImage::Format_RGB32);
  image.fill(Qt::black);
  QPainter p(&image);
  const QSizeF logical = image.deviceIndependentSize();
  const double cw = logical.width() / kMapColumns;
  const double ch = logical.height() / kMapRows;
  for (int r = 0; r < kMapRows; ++r) {
    for (int c = 0; c < kMapColumns; ++c) {
      const QColor colour = ToQColor(colours.Of(map.At(r, c)));
      // A darker shade keeps the white trace and the marker readable over bright zones.
      const QRectF cell(c * cw, r * ch, cw + 0.5, ch + 0.5);
      p.fillRect(cell, colour.darker(250));
    }
  }
  return image;
}

LivePicture::LivePicture(RunDisplay& display, const ZoneMap& map, const ColourTable& colours,
                         QWidget* parent)
    : QWidget(parent), display_(display), map_(map), colours_(colours) {
  setObjectName(QStringLiteral("picBackGround"));
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMinimumSize(160, 120);
}

void LivePicture::ApplyLayout() {
  display_.SetPictureLayout(width(), height(), kMarkerSize, kMarkerSize);
}

void LivePicture::Redraw() {
  background_ = PaintZoneMap(map_, colours_, size(), devicePixelRatioF());
  trace_ = draw::ScreenImage(size(), devicePixelRatioF(), QImage::Format_ARGB32_Premultiplied);
  trace_.fill(Qt::transparent);
  update();
}

void LivePicture::resizeEvent(QResizeEvent* event) {
  ApplyLayout();
  background_ = PaintZoneMap(map_, colours_, size(), devicePixelRatioF());
  const QSize old = event->oldSize();
  const double sx = old.width() > 0 ? static_cast<double>(width()) / old.width() : 1.0;
  const double sy = old.height() > 0 ? static_cast<double>(height()) / old.height() : 1.0;
  RedrawTraceFromModel(sx, sy);
}

// The model keeps its points in the scale they were made in; after a resize they are drawn
// again stretched to the new size.
void LivePicture::RedrawTraceFromModel(double sx, double sy) {
  trace_ = draw::ScreenImage(size(), devicePixelRatioF(), QImage::Format_ARGB32_Premultiplied);
  trace_.fill(Qt::transparent);
  const auto& points = display_.Trace();
  if (points.empty()) return;
  QPainter painter(&trace_);
  painter.setPen(QPen(Qt::white, 1.5));
  QPointF last;
  for (const auto& p : points) {
    const QPointF pt(p.x * sx, p.y * sy);
    if (p.startsLine) painter.drawPoint(pt);
    else painter.drawLine(last, pt);
    last = pt;
  }
  lastPoint_ = last;
}

void LivePicture::MoveMarker(bool visible, double left, double top) {
  const QRect before = MarkerRect();
  const bool wasVisible = markerVisible_;
  markerVisible_ = visible;
  markerLeft_ = left;
  markerTop_ = top;
  if (wasVisible) update(before);
  if (visible) update(MarkerRect());
}

void LivePicture::AddTracePoint(const TracePoint& point) {
  if (!FitsWidget(trace_)) RedrawTraceFromModel(1.0, 1.0);
  QPainter painter(&trace_);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(Qt::white, 1.5));
  const QPointF pt(point.x, point.y);
  QRectF dirty(pt, QSizeF(1, 1));
  if (point.startsLine) {
    painter.drawPoint(pt);
  } else {
    painter.drawLine(lastPoint_, pt);
    dirty = QRectF(lastPoint_, pt).normalized();
  }
  lastPoint_ = pt;
  update(dirty.toAlignedRect().adjusted(-3, -3, 3, 3));
}

bool LivePicture::FitsWidget(const QImage& image) const {
  return image.deviceIndependentSize().toSize() == size() && image.devicePixelRatio() == devicePixelRatioF();
}

// The marker's whole drawing: its smoothed outline reaches half a pixel past its box on every side,
// and a box at a fractional place touches one more pixel each way.
QRect LivePicture::MarkerRect() const {
  return QRect(static_cast<int>(std::floor(markerLeft_)) - 1, static_cast<int>(std::floor(markerTop_)) - 1,
               kMarkerSize + 3, kMarkerSize + 3);
}

void LivePicture::paintEvent(QPaintEvent* event) {
  ++paints_;
  QPainter p(this);
  const QRect r = event->rect();
  if (!FitsWidget(background_)) background_ = PaintZoneMap(map_, colours_, size(), devicePixelRatioF());
  // The images hold the screen's own pixels: the part to repaint is taken at their scale.
  const double ratio = background_.devicePixelRatio();
  const QRectF source(r.x() * ratio, r.y() * ratio, r.width() * ratio, r.height() * ratio);
  p.drawImage(QRectF(r), background_, source);
  if (!trace_.isNull()) p.drawImage(QRectF(r), trace_, source);
  if (markerVisible_) {
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(QColor(255, 255, 0));
    p.drawEllipse(QRectF(markerLeft_, markerTop_, kMarkerSize, kMarkerSize));
  }
}

AspectBox::AspectBox(QWidget* child, QWidget* parent) : QWidget(parent), child_(child) {
  child_->setParent(this);
  setMinimumSize(child_->minimumSize());
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void AspectBox::resizeEvent(QResizeEvent*) {
  int w = width();
  int h = static_cast<int>(std::lround(w * 0.75));
  if (h > height()) {
    h = height();
    w = static_cast<int>(std::lround(h / 0.75));
  }
  child_->setGeometry((width() - w) / 2, (height() - h) / 2, w, h);
}

}  // namespace tlx::gui
