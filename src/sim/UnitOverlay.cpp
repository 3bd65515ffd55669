#include "sim/UnitOverlay.h"

#include <algorithm>

namespace tlx {

void UnitOverlay::Clear() {
  cells_.fill(' ');
  lines_.clear();
  cursor_ = {};
}

void UnitOverlay::DrawText(int column, int row, std::string_view text) {
  std::size_t cell = static_cast<std::size_t>(std::clamp(row, 0, kRows - 1) * kColumns +
                                              std::clamp(column, 0, kColumns - 1));
  for (char c : text) {
    if (cell >= cells_.size()) return;
    cells_[cell++] = c;
  }
}

void UnitOverlay::AddLine(int x0, int y0, int x1, int y1) {
  if (lines_.size() >= kMaxLines) lines_.erase(lines_.begin());
  lines_.push_back({std::clamp(x0, 0, 255), std::clamp(y0, 0, 191), std::clamp(x1, 0, 255),
                    std::clamp(y1, 0, 191)});
}

void UnitOverlay::PlaceCursor(int x, int y) {
  cursor_ = {true, std::clamp(x, 0, 255), std::clamp(y, 0, 191)};
}

std::string UnitOverlay::Row(int row) const {
  if (row < 0 || row >= kRows) return {};
  return std::string(cells_.begin() + row * kColumns, cells_.begin() + (row + 1) * kColumns);
}

char UnitOverlay::Cell(int column, int row) const {
  if (column < 0 || column >= kColumns || row < 0 || row >= kRows) return ' ';
  return cells_[static_cast<std::size_t>(row * kColumns + column)];
}

bool UnitOverlay::IsBlank() const {
  return lines_.empty() && !cursor_.shown &&
         std::all_of(cells_.begin(), cells_.end(), [](char c) { return c == ' '; });
}

}  // namespace tlx
