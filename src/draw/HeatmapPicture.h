// The occupancy heatmap: time spent per cell of the picture in a perceptually uniform colour scale
// that colour-blind readers see too (viridis, dark purple to yellow), over the outline of the zone
// map, with a colour bar in round steps of time and a scale bar in the recording's units. Zone
// letters sit on cells without time, or beside the map, never over the data. A title names the
// file and the session; the cell size is written under the map.
#pragma once

#include "data/Analysis.h"
#include "data/Occupancy.h"
#include "draw/Pictures.h"
#include "zonemap/ZoneMap.h"

#include <QColor>
#include <QRectF>
#include <QString>

class QPainter;

namespace tlx::draw {

// Where the parts of a heatmap go in a box: the map keeps the picture's 4:3 shape with a margin
// for zone letters, the colour bar stands to its right.
struct HeatmapLayout {
  QRectF title;  // the line naming the file and the session
  QRectF map;
  QRectF bar;
  static HeatmapLayout In(const QRectF& box, double unitsPerPoint);
};

// The height, in points, of a heatmap `width` points wide.
double HeatmapHeight(double width);

// The colour scale from the least (t = 0) to the most (t = 1) time spent.
QColor HeatColour(double t);

// The cell size written under the map: "Cells 2.4 cm (8 px)" (a side), "Cells 8 px".
QString CellSizeText(int cellSize, const AnalysisParameters& params);

// Cells without time stay white, and the key says so; lost samples are in no cell.
void DrawHeatmap(QPainter& painter, const QRectF& box, const Picture& picture, double unitsPerPoint);

}  // namespace tlx::draw
