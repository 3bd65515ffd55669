// The occupancy heatmap: time spent per cell of the picture in a colour ramp, over the outline of
// the zone map, with a colour bar scaled in seconds.
#pragma once

#include "data/Occupancy.h"
#include "zonemap/ZoneMap.h"

#include <QColor>
#include <QRectF>

class QPainter;

namespace tlx::draw {

// Where the parts of a heatmap go in a box: the map keeps the picture's 4:3 shape at the left,
// the colour bar stands to its right.
struct HeatmapLayout {
  QRectF map;
  QRectF bar;
  static HeatmapLayout In(const QRectF& box);
};

// The ramp from the least (t = 0) to the most (t = 1) time spent.
QColor HeatColour(double t);

// Cells without time stay the background colour; lost samples are in no cell.
void DrawHeatmap(QPainter& painter, const QRectF& box, const OccupancyGrid& grid, const ZoneMap& map);

}  // namespace tlx::draw
