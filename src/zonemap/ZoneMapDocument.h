// The zone map being edited: the map, its undo and redo history, whether it holds changes that
// no map file has, and what the unit's overlay was last sent, so that an edit sends only the span
// of cells that changed. The zone grid draws it and paints into it; nothing else holds the map
// while it is edited.
#pragma once

#include "zonemap/MapOverlay.h"
#include "zonemap/ZoneMap.h"

#include <vector>

namespace tlx {

class ZoneMapDocument {
 public:
  // Starts editing `map`: no history, no unsaved changes, and the overlay taken to hold the map
  // (the caller sends it whole). A byte that is not a zone character becomes a blank.
  void Open(const ZoneMap& map);
  const ZoneMap& Map() const { return map_; }

  // Paints one cell at once (a stroke is drawn as it goes); true when the cell changed. Cells out
  // of the grid and non-zone characters are ignored.
  bool Set(int row, int column, char c);
  // Makes what was painted since the last step one undoable step; true when anything changed.
  bool FinishStep();
  // A whole map in one undoable step (a loaded file, a cleared grid).
  void Replace(const ZoneMap& map);

  bool CanUndo() const { return !undo_.empty(); }
  bool CanRedo() const { return !redo_.empty(); }
  bool Undo();
  bool Redo();

  // True while the map differs from the one last saved to or loaded from a file (or opened).
  bool Modified() const { return map_ != saved_; }
  void MarkSaved() { saved_ = map_; }

  // The cells in which the map differs from what the overlay was last sent; empty when equal.
  MapSpan UnsentSpan() const { return ChangedSpan(map_, sent_); }
  void MarkSent() { sent_ = map_; }
  void MarkOverlayCleared() { sent_ = ZoneMap(); }

 private:
  ZoneMap map_;
  ZoneMap stepStart_;  // the map when the step being painted began
  ZoneMap saved_;
  ZoneMap sent_;
  std::vector<ZoneMap> undo_;  // the state before each step, oldest first
  std::vector<ZoneMap> redo_;  // the states undone, the latest last
};

}  // namespace tlx
