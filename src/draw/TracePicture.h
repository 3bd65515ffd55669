// The trace as a figure: a title naming the file and the session, the session picture (zone map,
// letters, trace coloured by time) with a legend of the time colours and of the zones at its right
// and a scale bar under it.
#pragma once

#include "draw/Pictures.h"

namespace tlx::draw {

// The height, in points, of a trace figure `width` points wide.
double TraceHeight(double width);

// Where the parts of a trace figure go in a box.
struct TraceLayout {
  QRectF title;   // the line above
  QRectF map;     // the 4:3 picture
  QRectF legend;  // the column at its right
  static TraceLayout In(const QRectF& box, double unitsPerPoint);
};

void DrawTracePicture(QPainter& painter, const QRectF& box, const Picture& picture, double unitsPerPoint);

}  // namespace tlx::draw
