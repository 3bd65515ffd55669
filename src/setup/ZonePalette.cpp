#include "setup/ZonePalette.h"

namespace tlx {

std::size_t ZonePaletteIndex(unsigned char code) {
  const int n = int(kZonePalette.size());
  return std::size_t(((int(code) - 'A') % n + n) % n);
}

std::int32_t ZonePaletteEntry(unsigned char code) {
  if (code == ' ') return 0;
  const std::uint32_t rgb = kZonePalette[ZonePaletteIndex(code)];
  return std::int32_t((rgb >> 16 & 0xFF) | (rgb & 0xFF00) | (rgb & 0xFF) << 16);
}

ColourTable ZonePaletteTable() {
  ColourTable table;
  for (int code = 0; code < 256; ++code) table.entries[std::size_t(code)] = ZonePaletteEntry(static_cast<unsigned char>(code));
  return table;
}

}  // namespace tlx
