// 'Key = value' lines of the program's own text files: the tokenizer and the pattern matcher.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tlx {

std::vector<std::string> TokenizeLine(std::string_view line);
bool LineMatches(std::string_view line, std::string_view pattern);
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

}  // namespace tlx
