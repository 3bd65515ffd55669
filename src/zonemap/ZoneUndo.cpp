#include "zonemap/ZoneUndo.h"

namespace tlx {

void ZoneUndoStack::Reset(const ZoneMap& entry) {
  snapshots_.clear();
  snapshots_.push_back(entry);
}

void ZoneUndoStack::Push(const ZoneMap& snapshot) { snapshots_.push_back(snapshot); }

std::optional<ZoneMap> ZoneUndoStack::Undo() {
  if (!CanUndo()) return std::nullopt;
  snapshots_.pop_back();
  return snapshots_.back();
}

}  // namespace tlx
