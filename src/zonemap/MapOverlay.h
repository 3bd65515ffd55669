// What shows a zone map on the unit's character overlay: the span of cells that changed since the
// map was last sent, and the overlay text that draws it or the whole map.
#pragma once

#include "zonemap/ZoneMap.h"

#include <string>

namespace tlx {

// First and last cell (0-based, row-major) in which two maps differ; empty when they are equal.
struct MapSpan {
  int first = -1;
  int last = -1;
  bool Empty() const { return first < 0; }
};

MapSpan ChangedSpan(const ZoneMap& grid, const ZoneMap& lastSent);
// The span covering the whole map.
MapSpan WholeMapSpan();

// Where an overlay text starts and what it shows.
struct OverlayText {
  int column = 0;  // 0..31
  int row = 0;     // 0..23
  std::string text;
};

// The span's cells as overlay text from the column and row of its first cell. Cells that are not
// zone characters (codes 0..31 and 128..255, possible only in a map read from a file) are sent as
// blanks: the unit ends an overlay text at a 00 byte and would take what follows as commands.
// An empty or out-of-range span gives an empty text.
OverlayText MapSpanOverlay(const ZoneMap& map, MapSpan span);

}  // namespace tlx
