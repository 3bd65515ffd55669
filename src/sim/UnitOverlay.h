// What the simulated unit draws over its video picture: 32 x 24 character cells, lines and a
// cursor, kept so that tests can look at them.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tlx {

struct OverlayLine {
  int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  bool operator==(const OverlayLine&) const = default;
};

struct OverlayCursor {
  bool shown = false;
  int x = 0, y = 0;
};

class UnitOverlay {
 public:
  static constexpr int kColumns = 32;
  static constexpr int kRows = 24;
  static constexpr int kCells = kColumns * kRows;
  // Lines kept at most; older ones are forgotten first.
  static constexpr std::size_t kMaxLines = 4096;

  UnitOverlay() { Clear(); }

  // Removes text, lines and the cursor.
  void Clear();
  // Writes the characters from a cell on, row after row; column and row are clamped into the
  // grid, characters past the last cell are lost.
  void DrawText(int column, int row, std::string_view text);
  // Coordinates are clamped to x 0..255, y 0..191.
  void AddLine(int x0, int y0, int x1, int y1);
  void PlaceCursor(int x, int y);

  // One row as 32 characters (blank where nothing is drawn); rows outside the grid read empty.
  std::string Row(int row) const;
  char Cell(int column, int row) const;
  const std::vector<OverlayLine>& Lines() const { return lines_; }
  OverlayCursor Cursor() const { return cursor_; }
  // True when no cell holds anything but a blank and there are no lines and no cursor.
  bool IsBlank() const;

 private:
  std::array<char, kCells> cells_{};
  std::vector<OverlayLine> lines_;
  OverlayCursor cursor_;
};

}  // namespace tlx
