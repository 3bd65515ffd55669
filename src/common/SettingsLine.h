// 'Key = value' lines of the program's own text files: the tokenizer and the pattern matcher.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tlx {

std::vector<std::string> TokenizeLine(std::string_view line);
bool LineMatches(std::string_view line, std::string_view pattern);

// Patterns split once, for a reader that matches every line against many keys.
class LinePatterns {
 public:
  explicit LinePatterns(std::span<const std::string_view> patterns);
  // The index of the first pattern the line matches (the number of patterns when none), as
  // LineMatches would answer; the line is split once for all of them.
  std::size_t Match(std::string_view line) const;

 private:
  struct Wanted {
    std::string text;  // as LineMatches compares it: upper-cased unless it was quoted
    bool any = false;  // "%s"
  };
  std::vector<std::vector<Wanted>> patterns_;
  std::size_t most_ = 0;  // tokens of the longest pattern
};

std::string LineToken(std::string_view line, bool keySide, int n);
std::string LineValue(std::string_view line);
std::string LineDirectoryValue(std::string_view line);
// LineValue, but the value keeps the case in which it was written, quoted or not (stored paths
// must keep their case on a case-sensitive file system).
std::string LineValueKeepCase(std::string_view line);
bool IsSectionHeader(std::string_view line);
std::string SectionName(std::string_view line);

// Splits a file's text into lines at CR LF, CR or LF (the separators are dropped).
std::vector<std::string> SplitLines(std::string_view text);
// The same lines handed to `take` one by one, nothing copied.
template <typename Take>
void ForEachLine(std::string_view text, Take&& take) {
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') continue;
    take(text.substr(start, i - start));
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) take(text.substr(start));
}

}  // namespace tlx
