#include "zonemap/ZoneMapDocument.h"

namespace tlx {
namespace {

bool IsCellCharacter(char c) { return c == ' ' || ZoneNumberOf(static_cast<unsigned char>(c)) > 0; }

// The editor shows and keeps only zone characters and blanks; other bytes come only from a file.
ZoneMap Editable(ZoneMap map) {
  for (char& c : map.cells) {
    if (!IsCellCharacter(c)) c = ' ';
  }
  return map;
}

}  // namespace

void ZoneMapDocument::Open(const ZoneMap& map) {
  map_ = Editable(map);
  stepStart_ = saved_ = sent_ = map_;
  undo_.clear();
  redo_.clear();
}

bool ZoneMapDocument::Set(int row, int column, char c) {
  if (row < 0 || row >= kMapRows || column < 0 || column >= kMapColumns || !IsCellCharacter(c)) return false;
  if (map_.At(row, column) == c) return false;
  map_.Set(row, column, c);
  return true;
}

bool ZoneMapDocument::FinishStep() {
  if (map_ == stepStart_) return false;
  undo_.push_back(stepStart_);
  redo_.clear();
  stepStart_ = map_;
  return true;
}

void ZoneMapDocument::Replace(const ZoneMap& map) {
  FinishStep();
  map_ = Editable(map);
  FinishStep();
}

bool ZoneMapDocument::Undo() {
  FinishStep();
  if (undo_.empty()) return false;
  redo_.push_back(map_);
  map_ = stepStart_ = undo_.back();
  undo_.pop_back();
  return true;
}

bool ZoneMapDocument::Redo() {
  FinishStep();
  if (redo_.empty()) return false;
  undo_.push_back(map_);
  map_ = stepStart_ = redo_.back();
  redo_.pop_back();
  return true;
}

}  // namespace tlx
