// The colour of each zone character, one entry per character code, and its settings file
// "COLORS.INI" in the program home (codes 32..127, one 'Color CODE = COLOUR' line each).
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace tlx {

constexpr int kFirstSavedColourCode = 32;
constexpr int kLastSavedColourCode = 127;

// A colour word: red in the low byte, then green, then blue (the form of the table and its file).
struct ColourParts {
  int Red = 0, Green = 0, Blue = 0;
};
inline constexpr ColourParts DecodeColourWord(std::int32_t word) {
  return {word & 0xFF, (word >> 8) & 0xFF, (word >> 16) & 0xFF};
}
inline constexpr std::int32_t EncodeColourWord(ColourParts c) {
  return (c.Red & 0xFF) | ((c.Green & 0xFF) << 8) | ((c.Blue & 0xFF) << 16);
}

struct ColourTable {
  // Red in the low byte, then green, then blue; 0 is black.
  std::array<std::int32_t, 256> entries{};

  std::int32_t Of(unsigned char code) const { return entries[code]; }
  std::int32_t Of(char c) const { return entries[static_cast<unsigned char>(c)]; }
};

// Every code's colour by the default character colour rule (the blank is black).
ColourTable DefaultColourTable();

// "COLORS.INI" in the program home.
std::string ColoursPath(const std::string& programHome);

// Sets the entries named by the file's 'Color CODE = COLOUR' lines (codes 0..255; other lines and
// codes are skipped). True when the file was read; false, with the table unchanged, when it does
// not exist or cannot be read.
bool ReadColours(const std::string& path, ColourTable& table);

// The 96 lines for codes 32..127, each ended by CR LF.
std::string ColoursFileText(const ColourTable& table);

// Replaces the file with ColoursFileText (written under a temporary name, renamed into place).
bool WriteColours(const std::string& path, const ColourTable& table);

}  // namespace tlx
