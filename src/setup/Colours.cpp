#include "setup/Colours.h"

#include "common/AtomicFile.h"
#include "common/Numbers.h"
#include "common/Paths.h"
#include "common/SettingsLine.h"
#include "common/Texts.h"

namespace tlx {
namespace {

// A colours file is 96 short lines; anything far larger is not one and is not read.
constexpr std::size_t kMaxColoursFileBytes = std::size_t(1) << 20;

}  // namespace

ColourTable DefaultColourTable() {
  ColourTable table;
  for (int code = 0; code < 256; ++code) {
    const char c = static_cast<char>(code);
    table.entries[static_cast<size_t>(code)] = ColourForCharacter(std::string_view(&c, 1));
  }
  return table;
}

std::string ColoursPath(const std::string& programHome) {
  return JoinPath(programHome, "COLORS.INI");
}

bool ReadColours(const std::string& path, ColourTable& table) {
  std::string content;
  if (!ReadWholeFile(path, content, kMaxColoursFileBytes)) return false;
  for (const std::string& line : SplitLines(content)) {
    if (!LineMatches(line, "Color %s = %s")) continue;
    const int code = TextToInteger(LineToken(line, true, 2));
    if (code < 0 || code > 255) continue;
    table.entries[static_cast<size_t>(code)] = TextToLong(LineValue(line));
  }
  return true;
}

std::string ColoursFileText(const ColourTable& table) {
  std::string text;
  for (int code = kFirstSavedColourCode; code <= kLastSavedColourCode; ++code) {
    text += "Color " + std::to_string(code) + " = " +
            std::to_string(table.entries[static_cast<size_t>(code)]) + "\r\n";
  }
  return text;
}

bool WriteColours(const std::string& path, const ColourTable& table) {
  return WriteFileAtomically(path, ColoursFileText(table));
}

}  // namespace tlx
