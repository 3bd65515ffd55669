// The occupancy heatmap: time spent per cell of the picture in a perceptually uniform colour scale
// that colour-blind readers see too (viridis, dark purple to yellow), over the outline of the zone
// map, with a colour bar in round steps of time and a scale bar in the recording's units. Zone
// letters sit on cells without time, or beside the map, never over the data.
#pragma once

#include "data/Analysis.h"
#include "data/Occupancy.h"
#include "zonemap/ZoneMap.h"

#include <QColor>
#include <QRectF>

class QPainter;

namespace tlx::draw {

// Where the parts of a heatmap go in a box: the map keeps the picture's 4:3 shape with a margin
// for zone letters, the colour bar stands to its right.
struct HeatmapLayout {
  QRectF map;
  QRectF bar;
  static HeatmapLayout In(const QRectF& box, double unitsPerPoint);
};

// The height, in points, of a heatmap `width` points wide.
double HeatmapHeight(double width);

// The colour scale from the least (t = 0) to the most (t = 1) time spent.
QColor HeatColour(double t);

// Cells without time stay white; lost samples are in no cell.
void DrawHeatmap(QPainter& painter, const QRectF& box, const OccupancyGrid& grid, const ZoneMap& map,
                 const AnalysisParameters& params, double unitsPerPoint);

}  // namespace tlx::draw
