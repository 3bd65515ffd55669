#include "common/SettingsLine.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

namespace tlx {
namespace {

using namespace std::string_literals;
using Tokens = std::vector<std::string>;

TEST(SettingsLine, TokensSplitAtBlanksAndEqualsAndAreUpperCased) {
  EXPECT_EQ(TokenizeLine("Data File = C:\\Exp\\A.EXP"), (Tokens{"DATA", "FILE", "=", "C:\\EXP\\A.EXP"}));
  EXPECT_EQ(TokenizeLine("Key=Value"), (Tokens{"KEY", "=", "VALUE"}));
  EXPECT_EQ(TokenizeLine("  a   b  "), (Tokens{"A", "B"}));
  EXPECT_EQ(TokenizeLine("a==b"), (Tokens{"A", "=", "=", "B"}));
  EXPECT_EQ(TokenizeLine("= x"), (Tokens{"=", "X"}));
  EXPECT_TRUE(TokenizeLine("").empty());
  EXPECT_TRUE(TokenizeLine("     ").empty());
  EXPECT_EQ(TokenizeLine("A\0B = C"s), (Tokens{"A\0B"s, "=", "C"}));  // NUL is an ordinary byte
  EXPECT_EQ(TokenizeLine("a\tb = c"), (Tokens{"A\tB", "=", "C"}));    // only blanks separate
}

TEST(SettingsLine, QuotedPartsAreOneTokenKeepingCaseAndBlanks) {
  EXPECT_EQ(TokenizeLine("Open Dir = \"/home/My Data\""),
            (Tokens{"OPEN", "DIR", "=", "/home/My Data"}));
  EXPECT_EQ(TokenizeLine("A = \"x=y\""), (Tokens{"A", "=", "x=y"}));
  EXPECT_EQ(TokenizeLine("A = \"\""), (Tokens{"A", "=", ""}));
  EXPECT_EQ(TokenizeLine("ab\"cd\""), (Tokens{"AB", "cd"}));       // a quote opens a token
  EXPECT_EQ(TokenizeLine("\"ab\"cd"), (Tokens{"\"AB\"CD"}));       // not both ends quoted
  // Unterminated quotes swallow the rest of the line and keep their quote.
  EXPECT_EQ(TokenizeLine("A = \"abc def"), (Tokens{"A", "=", "\"ABC DEF"}));
  EXPECT_EQ(TokenizeLine("A = \""), (Tokens{"A", "=", "\""}));
  // A quoted value ending in a blank stays one token, also before more text.
  EXPECT_EQ(TokenizeLine("Open Dir = \"/tmp/a \""), (Tokens{"OPEN", "DIR", "=", "/tmp/a "}));
  EXPECT_EQ(TokenizeLine("A = \"x \" b"), (Tokens{"A", "=", "x ", "B"}));
  EXPECT_EQ(TokenizeLine("A = \"x \"=b"), (Tokens{"A", "=", "x ", "=", "B"}));
}

TEST(SettingsLine, PatternsMatchTokenByTokenWithWildcards) {
  EXPECT_TRUE(LineMatches("Data File = C:\\A.EXP", "Data File = %s"));
  EXPECT_FALSE(LineMatches("Data File = C:\\My Data\\A.EXP", "Data File = %s"));
  EXPECT_TRUE(LineMatches("Data File = \"C:\\My Data\\A.EXP\"", "Data File = %s"));
  EXPECT_TRUE(LineMatches("data file=x", "Data File = %S"));
  EXPECT_TRUE(LineMatches("Data File = \"\"", "Data File = %s"));
  EXPECT_FALSE(LineMatches("Data File =", "Data File = %s"));
  EXPECT_FALSE(LineMatches("Data Files = x", "Data File = %s"));
  EXPECT_FALSE(LineMatches("\"Data\" File = x", "Data File = %s"));  // a quoted key keeps its case
  EXPECT_TRUE(LineMatches("", ""));
  EXPECT_TRUE(LineMatches("a b", "%s %s"));
}

TEST(SettingsLine, TokensEitherSideOfTheFirstEquals) {
  EXPECT_EQ(LineToken("A B = C D", true, 2), "B");
  EXPECT_EQ(LineToken("A B = C D", false, 2), "D");
  EXPECT_EQ(LineToken("A B = C D", true, 3), "");
  EXPECT_EQ(LineToken("A B = C D", false, 3), "");
  EXPECT_EQ(LineToken("A B = C D", false, 0), "");
  EXPECT_EQ(LineToken("A B = C D", true, -5), "");
  EXPECT_EQ(LineToken("A B", false, 1), "");
  EXPECT_EQ(LineToken("A B", true, 2), "B");  // no "=": every token is on the key side
  EXPECT_EQ(LineToken("A = B = C", false, 2), "=");
  EXPECT_EQ(LineValue("Com Port = 3"), "3");
  EXPECT_EQ(LineValue("Com Port ="), "");
}

TEST(SettingsLine, ValuesCanKeepTheirCase) {
  EXPECT_EQ(LineValue("Config Dir = /Home/Me"), "/HOME/ME");
  EXPECT_EQ(LineValueKeepCase("Config Dir = /Home/Me"), "/Home/Me");
  EXPECT_EQ(LineValueKeepCase("config dir=/Home/Me"), "/Home/Me");
  EXPECT_EQ(LineValueKeepCase("Config Dir = \"/Home/My Me\""), "/Home/My Me");
  EXPECT_EQ(LineValueKeepCase("Config Dir /Home/Me"), "");
  EXPECT_EQ(LineValueKeepCase("Open Dir = \"unterminated Path"), "\"unterminated Path");

  test::TempDir dir;
  const std::string mixed = dir.File("MixedCase");
  ASSERT_EQ(::mkdir(mixed.c_str(), 0755), 0);
  EXPECT_EQ(LineDirectoryValue("Config Dir = " + mixed), mixed);
  EXPECT_EQ(LineDirectoryValue("Config Dir = \"" + mixed + "\""), mixed);
  // Creatable but not there: accepted, and nothing is left behind.
  EXPECT_EQ(LineDirectoryValue("Data Dir = " + dir.File("New")), dir.File("New"));
  EXPECT_FALSE(test::PathExists(dir.File("New")));
  EXPECT_EQ(LineDirectoryValue("Data Dir = " + dir.File("no/such/parent")), "");
  EXPECT_EQ(LineDirectoryValue("Data Dir = \"\""), "");
}

TEST(SettingsLine, SectionHeaders) {
  EXPECT_TRUE(IsSectionHeader("[ZONE MAP]"));
  EXPECT_TRUE(IsSectionHeader("  [ZONE MAP]  "));
  EXPECT_TRUE(IsSectionHeader("\"[ZONE MAP]\""));
  EXPECT_TRUE(IsSectionHeader("[]"));
  EXPECT_FALSE(IsSectionHeader("["));
  EXPECT_FALSE(IsSectionHeader("[ZONE MAP"));
  EXPECT_FALSE(IsSectionHeader(""));
  EXPECT_EQ(SectionName("[ zone map ]"), "zone map");
  EXPECT_EQ(SectionName(" [ZONE MAP] "), "ZONE MAP");
  EXPECT_EQ(SectionName("[]"), "");
  EXPECT_EQ(SectionName("[[x]]"), "[x]");
}

TEST(SettingsLine, SplittingTextIntoLines) {
  EXPECT_EQ(SplitLines("a\r\nb\rc\nd"), (Tokens{"a", "b", "c", "d"}));
  EXPECT_EQ(SplitLines("a\r\n"), (Tokens{"a"}));
  EXPECT_EQ(SplitLines("\r\n\r\n"), (Tokens{"", ""}));
  EXPECT_EQ(SplitLines("a\n\rb"), (Tokens{"a", "", "b"}));
  EXPECT_TRUE(SplitLines("").empty());
  EXPECT_EQ(SplitLines("x\0y"s), (Tokens{"x\0y"s}));
}

TEST(SettingsLine, MegabyteLinesAreReadWhole) {
  const std::string longValue(1 << 20, 'x');
  EXPECT_EQ(LineValueKeepCase("Key = " + longValue), longValue);
  EXPECT_TRUE(LineMatches("Key = " + longValue, "Key = %s"));

  std::string manyTokens;
  for (int i = 0; i < (1 << 19); ++i) manyTokens += "a ";
  EXPECT_EQ(TokenizeLine(manyTokens).size(), std::size_t(1) << 19);
  EXPECT_FALSE(LineMatches(manyTokens, "Key = %s"));

  const std::string quotes(1 << 20, '"');  // pairs of quotes: empty quoted tokens
  EXPECT_EQ(TokenizeLine(quotes).size(), std::size_t(1) << 19);
  const std::string equals(1 << 20, '=');
  EXPECT_EQ(LineToken(equals, false, (1 << 20) - 1), "=");
}

}  // namespace
}  // namespace tlx
