// Small text operations shared by every module. Case changes touch ASCII letters only, so bytes
// of other encodings pass through unchanged.
#include "common/Texts.h"

#include <algorithm>
#include <array>

namespace tlx {

namespace {

char UpperChar(char c) { return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c; }
char LowerChar(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

// Position of the first occurrence of `c` outside double quotes at or after `from`, or npos.
std::size_t FindOutsideQuotes(std::string_view line, char c, std::size_t from, bool& inQuotes) {
  for (std::size_t i = from; i < line.size(); ++i) {
    if (line[i] == '"') {
      inQuotes = !inQuotes;
    } else if (!inQuotes && line[i] == c) {
      return i;
    }
  }
  return std::string_view::npos;
}

}  // namespace

std::string Quote(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 2);
  out += '"';
  out += text;
  out += '"';
  return out;
}

std::string Unquote(std::string_view text) {
  if (text.size() >= 2 && text.front() == '"' && text.back() == '"') {
    return std::string(text.substr(1, text.size() - 2));
  }
  return std::string(text);
}

std::string Trim(std::string_view text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  const std::size_t last = text.find_last_not_of(' ');
  return std::string(text.substr(first, last - first + 1));
}

std::string ToUpper(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = UpperChar(c);
  return out;
}

std::string ToLower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = LowerChar(c);
  return out;
}

bool SameText(std::string_view a, std::string_view b) {
  return ToUpper(Trim(a)) == ToUpper(Trim(b));
}

std::string ProperCase(std::string_view text) {
  std::string out = ToLower(text);
  if (!out.empty()) out[0] = UpperChar(out[0]);
  return out;
}

std::string EnabledText(bool flag) { return flag ? "Enabled" : "Disabled"; }

bool IsTrueText(std::string_view text) {
  const std::string upper = ToUpper(text);
  return upper.find("TRUE") != std::string::npos || upper.find("ENABLED") != std::string::npos ||
         upper.find("ON") != std::string::npos;
}

std::string TrimAtNul(std::string_view text) {
  return std::string(text.substr(0, text.find('\0')));
}

int CountLines(std::string_view text) {
  if (text.empty()) return 0;
  long long count = 1;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' || (text[i] == '\n' && (i == 0 || text[i - 1] != '\r'))) ++count;
  }
  return count > 2147483647LL ? 2147483647 : int(count);
}

std::string LineOf(std::string_view text, int n) {
  if (n < 1) return {};
  std::size_t start = 0;
  for (int line = 1; line < n; ++line) {
    const std::size_t lf = text.find('\n', start);
    if (lf == std::string_view::npos) return {};
    start = lf + 1;
  }
  const std::size_t end = std::min(text.find('\n', start), text.size());
  std::string out;
  for (std::size_t i = start; i < end; ++i) {
    if (static_cast<unsigned char>(text[i]) > 13) out += text[i];
  }
  return out;
}

int CountFields(std::string_view line, std::string_view delimiter) {
  if (delimiter.empty()) return 1;
  long long count = 1;
  bool inQuotes = false;
  std::size_t pos = 0;
  while ((pos = FindOutsideQuotes(line, delimiter[0], pos, inQuotes)) != std::string_view::npos) {
    ++count;
    ++pos;
  }
  return count > 2147483647LL ? 2147483647 : int(count);
}

std::string FieldOf(std::string_view line, int n, std::string_view delimiter) {
  if (n < 1) return {};
  const char delim = delimiter.empty() ? '\0' : delimiter[0];
  std::string field;
  bool inQuotes = false;
  int current = 1;
  for (char c : line) {
    if (c == '"') {
      inQuotes = !inQuotes;
    } else if (!inQuotes && !delimiter.empty() && c == delim) {
      if (current == n) return Trim(field);
      ++current;
      field.clear();
    } else if (current == n) {
      field += c;
    }
  }
  return current == n ? Trim(field) : std::string();
}

std::int32_t ColourForCharacter(std::string_view text) {
  if (text.empty() || text[0] == ' ') return 0;
  const char c = text[0];
  int k = static_cast<unsigned char>(c);
  if ((c >= 'A' && c <= 'Z') || (c >= '1' && c <= '9')) k += 2;
  // Magenta, red, orange, yellow, green, cyan; red in the low byte.
  static constexpr std::array<std::int32_t, 6> kColours = {16711935, 255, 33023,
                                                           65535, 65280, 16776960};
  return kColours[std::size_t(k % 6)];
}

}  // namespace tlx
