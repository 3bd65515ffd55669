// 'Key = value' lines: splitting a line into tokens, matching it against a pattern and picking
// tokens on either side of its "=".
#include "common/SettingsLine.h"

#include "common/FileChecks.h"
#include "common/Texts.h"

#include <algorithm>

namespace tlx {

namespace {

constexpr std::size_t kNoLimit = static_cast<std::size_t>(-1) - 1;

struct Token {
  std::string text;  // upper-cased unless it was quoted
  std::string kept;  // as written (quotes removed when it was quoted)
};

// Where tokens start. A token starts outside quotes on a non-blank after a blank or "=", on every
// "=" outside quotes, and on a double quote that opens a quoted part. A start found on a closing
// quote moves one position on, so the quoted part ends with its own token.
std::vector<std::size_t> TokenStarts(std::string_view line) {
  std::vector<std::size_t> starts;
  bool inQuotes = false;
  char previous = ' ';
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    const bool wasInQuotes = inQuotes;
    if (c == '"') inQuotes = !inQuotes;
    bool start = false;
    if (!inQuotes && c != ' ' && (previous == ' ' || previous == '=')) start = true;
    if (!inQuotes && c == '=') start = true;
    if (c == '"' && inQuotes && !wasInQuotes) start = true;
    if (start) starts.push_back((c == '"' && wasInQuotes && !inQuotes) ? i + 1 : i);
    previous = c;
  }
  return starts;
}

// Tokens with both spellings. A token that is empty once trimmed can only come from a start
// moved past a closing quote (a quoted value ending in a blank); it carries nothing and is
// dropped, so such a value still matches a "%s" pattern. With a limit, splitting stops once more
// than `limit` tokens are found (enough to tell that a line does not match a pattern).
std::vector<Token> SplitTokens(std::string_view line, std::size_t limit = kNoLimit) {
  const std::vector<std::size_t> starts = TokenStarts(line);
  std::vector<Token> tokens;
  tokens.reserve(std::min(starts.size(), limit));
  for (std::size_t k = 0; k < starts.size() && tokens.size() <= limit; ++k) {
    const std::size_t begin = starts[k];
    const std::size_t end = (k + 1 < starts.size()) ? starts[k + 1] : line.size();
    if (begin >= end) continue;
    std::string raw = Trim(line.substr(begin, end - begin));
    if (raw.empty()) continue;
    Token token;
    if (raw.size() >= 2 && raw.front() == '"' && raw.back() == '"') {
      token.text = raw.substr(1, raw.size() - 2);
      token.kept = token.text;
    } else {
      token.text = ToUpper(raw);
      token.kept = std::move(raw);
    }
    tokens.push_back(std::move(token));
  }
  return tokens;
}

// The n-th token (from 1) on one side of the first "=" token; null when there is none.
const Token* SideToken(const std::vector<Token>& tokens, bool keySide, int n) {
  if (n < 1) return nullptr;
  std::size_t equals = tokens.size();
  for (std::size_t i = 0; i < tokens.size(); ++i) {
    if (tokens[i].text == "=") {
      equals = i;
      break;
    }
  }
  std::size_t index = 0;
  if (keySide) {
    index = std::size_t(n - 1);
    if (index >= equals) return nullptr;
  } else {
    if (equals == tokens.size()) return nullptr;
    index = equals + std::size_t(n);
    if (index >= tokens.size()) return nullptr;
  }
  return &tokens[index];
}

}  // namespace

std::vector<std::string> TokenizeLine(std::string_view line) {
  std::vector<std::string> out;
  for (Token& token : SplitTokens(line)) out.push_back(std::move(token.text));
  return out;
}

bool LineMatches(std::string_view line, std::string_view pattern) {
  const std::vector<Token> patternTokens = SplitTokens(pattern);
  const std::vector<Token> lineTokens = SplitTokens(line, patternTokens.size());
  if (lineTokens.size() != patternTokens.size()) return false;
  for (std::size_t i = 0; i < lineTokens.size(); ++i) {
    const std::string& want = patternTokens[i].text;
    if (ToUpper(want) == "%S") continue;
    if (want != lineTokens[i].text) return false;
  }
  return true;
}

std::string LineToken(std::string_view line, bool keySide, int n) {
  const std::vector<Token> tokens = SplitTokens(line);
  const Token* token = SideToken(tokens, keySide, n);
  return token ? token->text : std::string();
}

std::string LineValue(std::string_view line) { return LineToken(line, false, 1); }

std::string LineValueKeepCase(std::string_view line) {
  const std::vector<Token> tokens = SplitTokens(line);
  const Token* token = SideToken(tokens, false, 1);
  return token ? token->kept : std::string();
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
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') continue;
    lines.emplace_back(text.substr(start, i - start));
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) lines.emplace_back(text.substr(start));
  return lines;
}

}  // namespace tlx
