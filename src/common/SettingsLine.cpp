// 'Key = value' lines: splitting a line into tokens, matching it against a pattern and picking
// tokens on either side of its "=".
#include "common/SettingsLine.h"

#include "common/FileChecks.h"
#include "common/Texts.h"

#include <algorithm>
#include <array>

namespace tlx {

namespace {

char UpperChar(char c) { return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c; }

// One token as it stands in the line, nothing copied: its characters (without the quotes when it
// was quoted) and whether it was quoted. A quoted token keeps its case; any other reads
// upper-cased.
struct TokenView {
  std::string_view chars;
  bool quoted = false;
};

// Walks a line's tokens in order. A token starts outside quotes on a non-blank after a blank or
// "=", on every "=" outside quotes, and on a double quote that opens a quoted part; it runs to the
// next start. A start found on a closing quote moves one position on, so the quoted part ends with
// its own token. A token that is empty once trimmed can only come from such a moved start (a
// quoted value ending in a blank); it carries nothing and is passed over, so such a value still
// matches a "%s" pattern. Only as much of the line is looked at as the tokens asked for need.
class TokenScanner {
 public:
  explicit TokenScanner(std::string_view line) : line_(line) { start_ = NextStart(); }

  bool Next(TokenView& token) {
    while (start_ != std::string_view::npos) {
      const std::size_t begin = start_;
      start_ = NextStart();
      const std::size_t end = start_ == std::string_view::npos ? line_.size() : start_;
      if (begin >= end) continue;
      std::string_view raw = line_.substr(begin, end - begin);
      const std::size_t first = raw.find_first_not_of(' ');
      if (first == std::string_view::npos) continue;
      raw = raw.substr(first, raw.find_last_not_of(' ') - first + 1);
      if (raw.size() >= 2 && raw.front() == '"' && raw.back() == '"') {
        token = {raw.substr(1, raw.size() - 2), true};
      } else {
        token = {raw, false};
      }
      return true;
    }
    return false;
  }

 private:
  std::size_t NextStart() {
    for (; at_ < line_.size(); ++at_) {
      const char c = line_[at_];
      const bool wasInQuotes = inQuotes_;
      if (c == '"') inQuotes_ = !inQuotes_;
      const bool start = (!inQuotes_ && c != ' ' && (previous_ == ' ' || previous_ == '=')) ||
                         (!inQuotes_ && c == '=') || (c == '"' && inQuotes_ && !wasInQuotes);
      previous_ = c;
      if (start) {
        const std::size_t found = (c == '"' && wasInQuotes && !inQuotes_) ? at_ + 1 : at_;
        ++at_;
        return found;
      }
    }
    return std::string_view::npos;
  }

  std::string_view line_;
  std::size_t at_ = 0;
  bool inQuotes_ = false;
  char previous_ = ' ';
  std::size_t start_ = std::string_view::npos;
};

// The token's text: upper-cased unless it was quoted.
std::string TextOf(const TokenView& token) {
  return token.quoted ? std::string(token.chars) : ToUpper(token.chars);
}

bool SameText(const TokenView& a, const TokenView& b) {
  if (a.chars.size() != b.chars.size()) return false;
  for (std::size_t i = 0; i < a.chars.size(); ++i) {
    const char x = a.quoted ? a.chars[i] : UpperChar(a.chars[i]);
    const char y = b.quoted ? b.chars[i] : UpperChar(b.chars[i]);
    if (x != y) return false;
  }
  return true;
}

bool IsEquals(const TokenView& token) { return token.chars == "="; }

// "%s" in a pattern, in either case, quoted or not: any one token.
bool IsAnyToken(const TokenView& token) {
  return token.chars.size() == 2 && token.chars[0] == '%' && UpperChar(token.chars[1]) == 'S';
}

// The n-th token (from 1) on one side of the first "=" token; false when there is none.
bool SideToken(std::string_view line, bool keySide, int n, TokenView& out) {
  if (n < 1) return false;
  TokenScanner scanner(line);
  TokenView token;
  if (keySide) {
    for (int k = 1; scanner.Next(token); ++k) {
      if (IsEquals(token)) return false;
      if (k == n) {
        out = token;
        return true;
      }
    }
    return false;
  }
  while (scanner.Next(token)) {
    if (!IsEquals(token)) continue;
    for (int k = 1; scanner.Next(token); ++k) {
      if (k == n) {
        out = token;
        return true;
      }
    }
    return false;
  }
  return false;
}

}  // namespace

std::vector<std::string> TokenizeLine(std::string_view line) {
  std::vector<std::string> out;
  TokenScanner scanner(line);
  for (TokenView token; scanner.Next(token);) out.push_back(TextOf(token));
  return out;
}

bool LineMatches(std::string_view line, std::string_view pattern) {
  TokenScanner lineTokens(line), patternTokens(pattern);
  TokenView want, have;
  for (;;) {
    const bool morePattern = patternTokens.Next(want);
    if (morePattern != lineTokens.Next(have)) return false;
    if (!morePattern) return true;
    if (!IsAnyToken(want) && !SameText(want, have)) return false;
  }
}

LinePatterns::LinePatterns(std::span<const std::string_view> patterns) {
  for (std::string_view pattern : patterns) {
    std::vector<Wanted> tokens;
    TokenScanner scanner(pattern);
    for (TokenView token; scanner.Next(token);) tokens.push_back({TextOf(token), IsAnyToken(token)});
    most_ = std::max(most_, tokens.size());
    patterns_.push_back(std::move(tokens));
  }
}

std::size_t LinePatterns::Match(std::string_view line) const {
  // The line's tokens, split once; a line with more tokens than the longest pattern matches none.
  constexpr std::size_t kKept = 16;
  std::array<TokenView, kKept> kept;
  std::vector<TokenView> many(most_ > kKept ? most_ : 0);
  TokenView* const tokens = most_ > kKept ? many.data() : kept.data();
  std::size_t count = 0;
  TokenScanner scanner(line);
  for (TokenView token; scanner.Next(token); ++count) {
    if (count == most_) return patterns_.size();
    tokens[count] = token;
  }
  for (std::size_t i = 0; i < patterns_.size(); ++i) {
    const std::vector<Wanted>& wanted = patterns_[i];
    if (wanted.size() != count) continue;
    bool matches = true;
    for (std::size_t k = 0; k < count && matches; ++k) {
      matches = wanted[k].any || SameText(TokenView{wanted[k].text, true}, tokens[k]);
    }
    if (matches) return i;
  }
  return patterns_.size();
}

std::string LineToken(std::string_view line, bool keySide, int n) {
  TokenView token;
  return SideToken(line, keySide, n, token) ? TextOf(token) : std::string();
}

std::string LineValue(std::string_view line) { return LineToken(line, false, 1); }

std::string LineValueKeepCase(std::string_view line) {
  TokenView token;
  return SideToken(line, false, 1, token) ? std::string(token.chars) : std::string();
}

std::string LineDirectoryValue(std::string_view line) {
  // A directory is a path, so it keeps the case it was written in.
  std::string value = LineValueKeepCase(line);
  return CanCreateDirectory(value) ? value : std::string();
}

bool IsSectionHeader(std::string_view line) {
  const std::string text = Trim(Unquote(line));
  return text.size() >= 2 && text.front() == '[' && text.back() == ']';
}

std::string SectionName(std::string_view line) {
  std::string text = Trim(Unquote(Trim(line)));
  if (!text.empty() && text.front() == '[') text.erase(0, 1);
  if (!text.empty() && text.back() == ']') text.pop_back();
  return Trim(text);
}

std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  ForEachLine(text, [&lines](std::string_view line) { lines.emplace_back(line); });
  return lines;
}

}  // namespace tlx
