#include "zonemap/ZoneMap.h"

#include <algorithm>

namespace tlx {

ZoneMap ZoneMap::FromText(std::string_view text) {
  ZoneMap map;
  std::copy_n(text.begin(), std::min<std::size_t>(text.size(), kMapCells), map.cells.begin());
  return map;
}

ZoneMap ZoneMap::FourQuadrants() {
  ZoneMap map;
  for (int r = 0; r < kMapRows; ++r) {
    for (int c = 0; c < kMapColumns; ++c) {
      const bool top = r < 12, left = c < 16;
      map.Set(r, c, top ? (left ? 'A' : 'B') : (left ? 'C' : 'D'));
    }
  }
  return map;
}

int ZoneNumber(std::string_view text) {
  return text.empty() ? 0 : ZoneNumberOf(static_cast<unsigned char>(text[0]));
}

char ZoneLetter(int n) { return (n >= 1 && n <= 95) ? static_cast<char>(n + 32) : ' '; }

}  // namespace tlx
