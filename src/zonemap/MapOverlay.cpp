#include "zonemap/MapOverlay.h"

namespace tlx {
namespace {

char OverlayCharacter(char cell) {
  const auto code = static_cast<unsigned char>(cell);
  return (code >= 32 && code <= 127) ? cell : ' ';
}

bool ValidSpan(MapSpan span) {
  return span.first >= 0 && span.first <= span.last && span.last < kMapCells;
}

}  // namespace

MapSpan ChangedSpan(const ZoneMap& grid, const ZoneMap& lastSent) {
  MapSpan span;
  for (int i = 0; i < kMapCells; ++i) {
    if (grid.cells[static_cast<size_t>(i)] != lastSent.cells[static_cast<size_t>(i)]) {
      if (span.first < 0) span.first = i;
      span.last = i;
    }
  }
  return span;
}

MapSpan WholeMapSpan() { return MapSpan{0, kMapCells - 1}; }

OverlayText MapSpanOverlay(const ZoneMap& map, MapSpan span) {
  OverlayText overlay;
  if (!ValidSpan(span)) return overlay;
  overlay.column = span.first % kMapColumns;
  overlay.row = span.first / kMapColumns;
  overlay.text.reserve(static_cast<size_t>(span.last - span.first + 1));
  for (int i = span.first; i <= span.last; ++i) {
    overlay.text.push_back(OverlayCharacter(map.cells[static_cast<size_t>(i)]));
  }
  return overlay;
}

}  // namespace tlx
