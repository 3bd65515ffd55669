// The zone editor's undo stack: one snapshot of the grid after every edit, the first being the
// grid as it was when the editor was entered, so undoing returns to the state before the last edit.
#pragma once

#include "zonemap/ZoneMap.h"

#include <cstddef>
#include <optional>
#include <vector>

namespace tlx {

class ZoneUndoStack {
 public:
  // Empties the stack and keeps the entry state as its only snapshot.
  void Reset(const ZoneMap& entry);
  void Push(const ZoneMap& snapshot);
  std::size_t Count() const { return snapshots_.size(); }
  // Undoing needs a snapshot below the top one: the entry state is never undone.
  bool CanUndo() const { return snapshots_.size() >= 2; }
  // Drops the top snapshot and gives the one now on top; nothing when CanUndo() is false.
  std::optional<ZoneMap> Undo();

 private:
  std::vector<ZoneMap> snapshots_;
};

}  // namespace tlx
