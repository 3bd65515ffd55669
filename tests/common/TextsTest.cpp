// Text helpers and the settings-line reader: quoting, lines and fields, tokens, keys and values,
// section headers.
#include "common/SettingsLine.h"
#include "common/Texts.h"

#include "common/CaseTable.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

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
  EXPECT_TRUE(SameText(" pal ", "PAL"));
  EXPECT_FALSE(SameText("PAL", "P AL"));
  EXPECT_EQ(ToUpper("a\xe9z"), "A\xe9Z");  // bytes beyond ASCII pass through
  // "ON", "TRUE" or "ENABLED" anywhere, without case.
  ExpectEach<Text, bool>(IsTrueText, {{"on", true}, {"None", true}, {"Onset", true}, {"enabled", true},
      {"xTrUex", true}, {"Yes", false}, {"Disabled", false}, {"", false}});
}

TEST(Texts, LinesCountCrAndLoneLfAsBreaks) {
  ExpectEach<Text, int>(CountLines,
                        {{"", 0}, {"a\r\nb", 2}, {"a\rb\nc", 3}, {"a\r\n", 2}, {"\n\r\n", 3}});
  EXPECT_EQ(LineOf("one\r\ntwo\r\nthree", 2), "two");
  EXPECT_EQ(LineOf("a\tb\x01\r\n", 1), "ab");  // control characters up to CR are dropped
  EXPECT_EQ(LineOf("one\ntwo", 3) + LineOf("one", 0), "");
  EXPECT_EQ(TrimAtNul("ab\0cd"s), "ab");
}

TEST(Texts, FieldsSplitOutsideQuotesOnly) {
  const Text line = "a, \"b,c\" ,d";
  EXPECT_EQ(CountFields(line, ","), 3);
  ExpectEach<int, Text>([&](int n) { return FieldOf(line, n, ","); },
                        {{1, "a"}, {2, "b,c"}, {3, "d"}, {4, ""}, {0, ""}});
  EXPECT_EQ(CountFields("", ";"), 1);
  EXPECT_EQ(FieldOf("x;;y", 2, ";"), "");
  EXPECT_EQ(FieldOf("x;;y", 3, ";"), "y");
  EXPECT_EQ(CountFields("\"a,b,c", ","), 1);  // an unterminated quote hides the rest
  EXPECT_EQ(JoinWithSeparator("a", "b c", true, ", "), "a, \"b c\"");
}

TEST(Texts, CharacterColoursCycleThroughSixColours) {
  // Red, orange, magenta, then round again; '0' and lower case are not shifted, '1' is (49 + 2).
  ExpectEach<Text, std::int32_t>(ColourForCharacter,
      {{"", 0}, {" ", 0}, {"A", 255}, {"B", 33023}, {"F", 16711935}, {"G", 255}, {"0", 16711935},
       {"1", 65535}, {"a", 255}, {"\xff", 65535}});
}

TEST(SettingsLine, TokensSplitAtBlanksAndEqualsQuotedPartsKeepCaseAndBlanks) {
  // Only blanks separate (a NUL or a tab is an ordinary byte). A quote opens a token only at its
  // start and a token must be quoted at both ends; an unterminated quote swallows the rest of the
  // line, quote included. A quoted value ending in a blank stays one token, also before more text.
  ExpectEach<Text, Tokens>(TokenizeLine,
      {{"Data File = C:\\Exp\\A.EXP", {"DATA", "FILE", "=", "C:\\EXP\\A.EXP"}},
       {"Key=Value", {"KEY", "=", "VALUE"}}, {"  a   b  ", {"A", "B"}}, {"a==b", {"A", "=", "=", "B"}},
       {"= x", {"=", "X"}}, {"", {}}, {"     ", {}}, {"A\0B = C"s, {"A\0B"s, "=", "C"}},
       {"a\tb = c", {"A\tB", "=", "C"}},
       {"Open Dir = \"/home/My Data\"", {"OPEN", "DIR", "=", "/home/My Data"}},
       {"A = \"x=y\"", {"A", "=", "x=y"}}, {"A = \"\"", {"A", "=", ""}}, {"ab\"cd\"", {"AB", "cd"}},
       {"\"ab\"cd", {"\"AB\"CD"}}, {"A = \"abc def", {"A", "=", "\"ABC DEF"}},
       {"A = \"", {"A", "=", "\""}}, {"Open Dir = \"/tmp/a \"", {"OPEN", "DIR", "=", "/tmp/a "}},
       {"A = \"x \" b", {"A", "=", "x ", "B"}},
       {"A = \"x \"=b", {"A", "=", "x ", "=", "B"}}});
}

TEST(SettingsLine, PatternsMatchTokenByTokenWithWildcards) {
  const auto matchesDataFile = [](const Text& line) { return LineMatches(line, "Data File = %s"); };
  // A quoted key keeps its case and so does not match.
  ExpectEach<Text, bool>(matchesDataFile,
      {{"Data File = C:\\A.EXP", true}, {"Data File = C:\\My Data\\A.EXP", false},
       {"Data File = \"C:\\My Data\\A.EXP\"", true}, {"Data File = \"\"", true},
       {"Data File =", false}, {"Data Files = x", false}, {"\"Data\" File = x", false}});
  EXPECT_TRUE(LineMatches("data file=x", "Data File = %S"));
  EXPECT_TRUE(LineMatches("", "") && LineMatches("a b", "%s %s"));
}

TEST(SettingsLine, TokensEitherSideOfTheFirstEquals) {
  const struct { const char* line; bool keySide; int n; const char* want; } cases[] = {
      {"A B = C D", true, 2, "B"}, {"A B = C D", false, 2, "D"}, {"A B = C D", true, 3, ""},
      {"A B = C D", false, 3, ""}, {"A B = C D", false, 0, ""}, {"A B = C D", true, -5, ""},
      {"A B", false, 1, ""}, {"A B", true, 2, "B"},  // no "=": every token is on the key side
      {"A = B = C", false, 2, "="}};
  for (const auto& c : cases) {
    EXPECT_EQ(LineToken(c.line, c.keySide, c.n), c.want) << c.line << " " << c.n;
  }
  EXPECT_EQ(LineValue("Com Port = 3"), "3");
  EXPECT_EQ(LineValue("Com Port ="), "");
}

TEST(SettingsLine, ValuesAndDirectoriesCanKeepTheirCase) {
  EXPECT_EQ(LineValue("Config Dir = /Home/Me"), "/HOME/ME");
  ExpectEach<Text, Text>(LineValueKeepCase,
      {{"Config Dir = /Home/Me", "/Home/Me"}, {"config dir=/Home/Me", "/Home/Me"},
       {"Config Dir = \"/Home/My Me\"", "/Home/My Me"}, {"Config Dir /Home/Me", ""},
       {"Open Dir = \"unterminated Path", "\"unterminated Path"}});

  test::TempDir dir;
  const Text mixed = dir.File("MixedCase");
  ASSERT_EQ(::mkdir(mixed.c_str(), 0755), 0);
  // Creatable but not there is accepted, and nothing is left behind.
  ExpectEach<Text, Text>(LineDirectoryValue,
      {{"Config Dir = " + mixed, mixed}, {"Config Dir = \"" + mixed + "\"", mixed},
       {"Data Dir = " + dir.File("New"), dir.File("New")},
       {"Data Dir = " + dir.File("no/such/parent"), ""},
       {"Data Dir = \"\"", ""}});
  EXPECT_FALSE(test::PathExists(dir.File("New")));
}

TEST(SettingsLine, SectionHeadersAndLines) {
  ExpectEach<Text, bool>(IsSectionHeader, {{"[ZONE MAP]", true}, {"  [ZONE MAP]  ", true},
      {"\"[ZONE MAP]\"", true}, {"[]", true}, {"[", false}, {"[ZONE MAP", false}, {"", false}});
  ExpectEach<Text, Text>(SectionName, {{"[ zone map ]", "zone map"}, {" [ZONE MAP] ", "ZONE MAP"},
                                       {"[]", ""}, {"[[x]]", "[x]"}});
  ExpectEach<Text, Tokens>(SplitLines, {{"a\r\nb\rc\nd", {"a", "b", "c", "d"}}, {"a\r\n", {"a"}},
      {"\r\n\r\n", {"", ""}}, {"a\n\rb", {"a", "", "b"}}, {"", {}}, {"x\0y"s, {"x\0y"s}}});
}

TEST(SettingsLine, MegabyteLinesAreReadWhole) {
  const Text longValue(1 << 20, 'x');
  EXPECT_EQ(LineValueKeepCase("Key = " + longValue), longValue);
  EXPECT_TRUE(LineMatches("Key = " + longValue, "Key = %s"));
  Text manyTokens;
  for (int i = 0; i < (1 << 19); ++i) manyTokens += "a ";
  EXPECT_EQ(TokenizeLine(manyTokens).size(), std::size_t(1) << 19);
  EXPECT_FALSE(LineMatches(manyTokens, "Key = %s"));
  // Pairs of quotes are empty quoted tokens.
  EXPECT_EQ(TokenizeLine(Text(1 << 20, '"')).size(), std::size_t(1) << 19);
  EXPECT_EQ(LineToken(Text(1 << 20, '='), false, (1 << 20) - 1), "=");
}

}  // namespace
}  // namespace tlx
