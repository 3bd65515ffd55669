// Text helpers and the settings-line reader: quoting, lines and fields, tokens, keys and values,
// section headers.
#include "common/SettingsLine.h"
#include "common/Texts.h"

#include "common/CaseTable.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tlx {
namespace {

using namespace std::string_literals;
using test::ExpectEach;
using Text = std::string;
using Tokens = std::vector<std::string>;

TEST(Texts, QuotingTrimmingAndTrueTexts) {
  // One quote is both ends of nothing: left alone. Only blanks are trimmed.
  ExpectEach<Text, Text>(Unquote, {{"\"a b\"", "a b"}, {"\"\"", ""}, {"\"", "\""}, {"\"open", "\"open"}});
  ExpectEach<Text, Text>(Trim, {{"  a b  ", "a b"}, {"\ta\t", "\ta\t"}, {"    ", ""}});
  EXPECT_TRUE(SameText(" pal ", "PAL") && !SameText("PAL", "P AL"));
  EXPECT_EQ(ToUpper("a\xe9z"), "A\xe9Z");  // bytes beyond ASCII pass through
  EXPECT_EQ(TrimAtNul("ab\0cd"s), "ab");
  // "ON", "TRUE" or "ENABLED" anywhere, without case.
  ExpectEach<Text, bool>(IsTrueText, {{"on", true}, {"None", true}, {"Onset", true}, {"enabled", true},
      {"xTrUex", true}, {"Yes", false}, {"Disabled", false}, {"", false}});
}

TEST(SettingsLine, TokensSplitAtBlanksAndEqualsQuotedPartsKeepCaseAndBlanks) {
  // Only blanks separate (a NUL or a tab is an ordinary byte). A quote opens a token only at its
  // start and a token must be quoted at both ends; an unterminated quote swallows the rest of the
  // line, quote included. A quoted value ending in a blank stays one token, also before more text.
  ExpectEach<Text, Tokens>(TokenizeLine,
      {{"Data File = C:\\Exp\\A.EXP", {"DATA", "FILE", "=", "C:\\EXP\\A.EXP"}},
       {"  a   b  ", {"A", "B"}}, {"a==b", {"A", "=", "=", "B"}}, {"     ", {}},
       {"A\0B = C"s, {"A\0B"s, "=", "C"}}, {"a\tb = c", {"A\tB", "=", "C"}},
       {"Open Dir = \"/home/My Data\"", {"OPEN", "DIR", "=", "/home/My Data"}},
       {"A = \"x=y\"", {"A", "=", "x=y"}}, {"ab\"cd\"", {"AB", "cd"}}, {"\"ab\"cd", {"\"AB\"CD"}},
       {"A = \"abc def", {"A", "=", "\"ABC DEF"}},
       {"A = \"", {"A", "=", "\""}}, {"Open Dir = \"/tmp/a \"", {"OPEN", "DIR", "=", "/tmp/a "}},
       {"A = \"x \" b", {"A", "=", "x ", "B"}},
       {"A = \"x \"=b", {"A", "=", "x ", "=", "B"}}});
}

TEST(SettingsLine, PatternsKeysValuesAndDirectories) {
  // A quoted key keeps its case and so does not match.
  EXPECT_FALSE(LineMatches("\"Data\" File = x", "Data File = %s") ||
               LineMatches("Data File =", "Data File = %s"));
  EXPECT_TRUE(LineMatches("data file=x", "Data File = %S"));
  EXPECT_TRUE(LineMatches("", "") && LineMatches("a b", "%s %s"));
  const struct { const char* line; bool keySide; int n; const char* want; } cases[] = {
      {"A B = C D", true, 2, "B"}, {"A B = C D", false, 2, "D"}, {"A B = C D", false, 3, ""},
      {"A B = C D", true, -5, ""}, {"A B", false, 1, ""},  // no "=": every token is on the key side
      {"A = B = C", false, 2, "="}};
  for (const auto& c : cases) {
    EXPECT_EQ(LineToken(c.line, c.keySide, c.n), c.want) << c.line << " " << c.n;
  }
  EXPECT_EQ(LineValue("Com Port ="), "");
  EXPECT_EQ(LineValue("Config Dir = /Home/Me"), "/HOME/ME");
  EXPECT_EQ(LineValueKeepCase("Config Dir /Home/Me"), "");  // the other forms via the settings file

  test::TempDir dir;
  // Creatable but not there is accepted, and nothing is left behind.
  EXPECT_EQ(LineDirectoryValue("Data Dir = " + dir.File("New")), dir.File("New"));
  EXPECT_FALSE(test::PathExists(dir.File("New")));
  EXPECT_EQ(LineDirectoryValue("Data Dir = \"\""), "");
}

TEST(SettingsLine, SplitLines) {
  ExpectEach<Text, Tokens>(SplitLines, {{"a\r\nb\rc\nd", {"a", "b", "c", "d"}}, {"a\r\n", {"a"}},
      {"\r\n\r\n", {"", ""}}, {"a\n\rb", {"a", "", "b"}}, {"", {}}, {"x\0y"s, {"x\0y"s}}});
}

}  // namespace
}  // namespace tlx
