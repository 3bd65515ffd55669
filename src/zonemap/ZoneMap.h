// The zone map: 24 rows by 32 columns of cells over the unit's 256 x 192 picture, one character
// per cell, row after row from the top-left cell. A blank is no zone; codes 33..127 are zones
// numbered code - 32; every other code is no zone.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace tlx {

constexpr int kMapColumns = 32;
constexpr int kMapRows = 24;
constexpr int kMapCells = kMapColumns * kMapRows;  // 768

struct ZoneMap {
  std::array<char, kMapCells> cells;

  ZoneMap() { cells.fill(' '); }

  char At(int row, int column) const { return cells[static_cast<size_t>(row * kMapColumns + column)]; }
  void Set(int row, int column, char c) { cells[static_cast<size_t>(row * kMapColumns + column)] = c; }
  std::string Text() const { return std::string(cells.data(), cells.size()); }
  // Takes up to 768 characters; missing cells are blanks.
  static ZoneMap FromText(std::string_view text);
  // The built-in map: rows 0..11 are 16 "A" then 16 "B", rows 12..23 16 "C" then 16 "D".
  static ZoneMap FourQuadrants();

  bool operator==(const ZoneMap&) const = default;
};

// Zone number of a character: code - 32 for codes 33..127, else 0.
int ZoneNumber(std::string_view text);
inline int ZoneNumberOf(unsigned char c) { return (c >= 33 && c <= 127) ? c - 32 : 0; }
// The character of zone n (1..95), a blank otherwise.
char ZoneLetter(int n);

}  // namespace tlx
