// The zone map as a line drawing for the printer: the grid's outline, the boundaries between zones
// and each cell's letter (the zone editor's print).
#pragma once

#include <string>

#include "zonemap/ZoneMap.h"

class QPainter;
class QPrinter;

namespace tlx::gui {

// Draws the map into the box with corners (x1, y1) and (x2, y2) in the painter's device units.
// A side of a cell is drawn where the neighbour on that side holds another character or where the
// grid ends, so lines inside a zone are left out and the border is always drawn.
void DrawZoneMapBox(QPainter& painter, double x1, double y1, double x2, double y2, const ZoneMap& map);

// Prints the zone editor's page and ends the print job: the title "Zone map", the map's file (when
// the map came from one; `mapFile` empty leaves the line out), the date and time printed, and the
// map in its 4:3 shape (the picture's) across two thirds of the page's width. True when it finished.
bool PrintZoneMapPage(QPrinter& printer, const ZoneMap& map, const std::string& mapFile);

}  // namespace tlx::gui
