// Parts shared by the pictures drawn over the zone map (trace and heatmap): the zones' outline,
// where each zone's letter goes, and the scale bar in the recording's units.
#pragma once

#include "data/Analysis.h"
#include "zonemap/ZoneMap.h"

#include <QColor>
#include <QPointF>
#include <QString>
#include <QRectF>

#include <functional>
#include <vector>

class QPainter;

namespace tlx::draw {

// A zone and the map cell (row, column) its letter is written in: of the zone's cells, the one
// nearest the zone's centre that `free` accepts; none (-1) when no cell is accepted.
struct ZoneLetterPlace {
  unsigned char Code = 0;
  int Row = -1, Column = -1;
  double CentreRow = 0, CentreColumn = 0;  // the zone's centre, in cells
};
std::vector<ZoneLetterPlace> ZoneLetterPlaces(const ZoneMap& map, const std::function<bool(int, int)>& free);

// The zones present in the map, in code order.
std::vector<unsigned char> ZonesOf(const ZoneMap& map);

// A line wherever two neighbouring cells belong to different zones, and the frame.
void DrawZoneOutline(QPainter& painter, const QRectF& box, const ZoneMap& map, const QColor& colour, double width);

// Units per picture position from the calibration (0 when it gives none) and the units' short name
// ("cm", "in"; "px" without a calibration).
double UnitsPerPosition(const AnalysisParameters& params);
QString UnitShortName(const AnalysisParameters& params);

// The largest 1, 2 or 5 x 10^n not above `limit`.
double NiceBelow(double limit);

// A bar of a round length under the map, left-aligned at `at` (its top left), with its length
// written beside it; returns the height used.
double DrawScaleBar(QPainter& painter, const QRectF& map, QPointF at, const AnalysisParameters& params,
                    double unitsPerPoint);

}  // namespace tlx::draw
