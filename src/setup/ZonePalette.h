// The zone colours every picture draws with (the trace, the heatmap's key, the timeline, the
// printed report, the data panel) and the default colour table's zone entries: twelve colours
// that stay apart for readers with any of the common colour-vision deficiencies (red-blind,
// green-blind and blue-blind), full and mixed with white as on a printed page. Zone characters
// take them in turn from 'A' (A orange, B blue, C green, D pink, ...), so the thirteenth
// character repeats the first.
#pragma once

#include "setup/Colours.h"

#include <array>
#include <cstdint>

namespace tlx {

// 0xRRGGBB.
inline constexpr std::array<std::uint32_t, 12> kZonePalette = {
    0xE69F00, 0x0072B2, 0x009E73, 0xCC79A7, 0x56B4E9, 0xD55E00,
    0x8800FF, 0x884422, 0xAAEE99, 0xBB55FF, 0x445566, 0xAA9955};

// The palette's place of a zone character: 'A' is 0, then on in character order, round again
// after twelve.
std::size_t ZonePaletteIndex(unsigned char code);

// A colour-table entry (red in the low byte) of a zone character: its palette colour, and black
// for the blank, which is no zone.
std::int32_t ZonePaletteEntry(unsigned char code);

// A colour table holding ZonePaletteEntry for every code.
ColourTable ZonePaletteTable();

}  // namespace tlx
