// The live video picture of the monitor and run panels: the zone map as background, the trace
// drawn point by point as the display model reports it, and the position marker on top. Also the
// box that keeps such a picture at the 0.75 aspect.
#pragma once

#include "run/RunDisplay.h"
#include "setup/Colours.h"
#include "zonemap/ZoneMap.h"

#include <QImage>
#include <QWidget>

namespace tlx::gui {

class LivePicture : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kMarkerSize = 10;

  LivePicture(RunDisplay& display, const ZoneMap& map, const ColourTable& colours,
              QWidget* parent = nullptr);

  // Background redrawn from the map, trace wiped.
  void Redraw();
  void MoveMarker(bool visible, double left, double top);
  void AddTracePoint(const TracePoint& point);
  // Tells the display model this picture's size (its scale follows from it).
  void ApplyLayout();

  int Paints() const { return paints_; }
  bool MarkerShown() const { return markerVisible_; }
  QPointF MarkerPosition() const { return {markerLeft_, markerTop_}; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void RedrawTraceFromModel(double sx, double sy);
  QRect MarkerRect() const;
  // The image was made for this widget's size and screen.
  bool FitsWidget(const QImage& image) const;

  RunDisplay& display_;
  const ZoneMap& map_;
  const ColourTable& colours_;
  QImage background_;
  QImage trace_;
  QPointF lastPoint_;
  bool markerVisible_ = false;
  double markerLeft_ = 0;
  double markerTop_ = 0;
  int paints_ = 0;
};

// Holds one child at the largest box of height 0.75 x width that fits, centred.
class AspectBox : public QWidget {
  Q_OBJECT

 public:
  explicit AspectBox(QWidget* child, QWidget* parent = nullptr);

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  QWidget* child_;
};

// The zone map painted into an image of the given size, one cell of colour per map cell.
QImage PaintZoneMap(const ZoneMap& map, const ColourTable& colours, QSize size, double pixelRatio = 1.0);


}  // namespace tlx::gui
