#include "common/Texts.h"

#include <gtest/gtest.h>

#include <string>

namespace tlx {
namespace {

using namespace std::string_literals;

TEST(Texts, QuotingAndTrimming) {
  EXPECT_EQ(Unquote("\"a b\""), "a b");
  EXPECT_EQ(Unquote("\"\""), "");
  EXPECT_EQ(Unquote("\""), "\"");          // one quote is both ends of nothing: left alone
  EXPECT_EQ(Unquote("\"open"), "\"open");
  EXPECT_EQ(Trim("  a b  "), "a b");
  EXPECT_EQ(Trim("\ta\t"), "\ta\t");       // only blanks are trimmed
  EXPECT_EQ(Trim("    "), "");
  EXPECT_TRUE(SameText(" pal ", "PAL"));
  EXPECT_FALSE(SameText("PAL", "P AL"));
  EXPECT_EQ(ToUpper("a\xe9z"), "A\xe9Z");  // bytes beyond ASCII pass through
}

TEST(Texts, TrueTextsMatchAnywhereWithoutCase) {
  EXPECT_TRUE(IsTrueText("on"));
  EXPECT_TRUE(IsTrueText("None"));
  EXPECT_TRUE(IsTrueText("Onset"));
  EXPECT_TRUE(IsTrueText("enabled"));
  EXPECT_TRUE(IsTrueText("xTrUex"));
  EXPECT_FALSE(IsTrueText("Yes"));
  EXPECT_FALSE(IsTrueText("Disabled"));
  EXPECT_FALSE(IsTrueText(""));
}

TEST(Texts, LinesCountCrAndLoneLfAsBreaks) {
  EXPECT_EQ(CountLines(""), 0);
  EXPECT_EQ(CountLines("a\r\nb"), 2);
  EXPECT_EQ(CountLines("a\rb\nc"), 3);
  EXPECT_EQ(CountLines("a\r\n"), 2);
  EXPECT_EQ(CountLines("\n\r\n"), 3);
  EXPECT_EQ(LineOf("one\r\ntwo\r\nthree", 2), "two");
  EXPECT_EQ(LineOf("a\tb\x01\r\n", 1), "ab");  // control characters up to CR are dropped
  EXPECT_EQ(LineOf("one\ntwo", 3), "");
  EXPECT_EQ(LineOf("one", 0), "");
  EXPECT_EQ(TrimAtNul("ab\0cd"s), "ab");
}

TEST(Texts, FieldsSplitOutsideQuotesOnly) {
  const std::string line = "a, \"b,c\" ,d";
  EXPECT_EQ(CountFields(line, ","), 3);
  EXPECT_EQ(FieldOf(line, 1, ","), "a");
  EXPECT_EQ(FieldOf(line, 2, ","), "b,c");
  EXPECT_EQ(FieldOf(line, 3, ","), "d");
  EXPECT_EQ(FieldOf(line, 4, ","), "");
  EXPECT_EQ(FieldOf(line, 0, ","), "");
  EXPECT_EQ(CountFields("", ";"), 1);
  EXPECT_EQ(FieldOf("x;;y", 2, ";"), "");
  EXPECT_EQ(FieldOf("x;;y", 3, ";"), "y");
  EXPECT_EQ(CountFields("\"a,b,c", ","), 1);  // an unterminated quote hides the rest
  EXPECT_EQ(JoinWithSeparator("a", "b c", true, ", "), "a, \"b c\"");
}

TEST(Texts, CharacterColoursCycleThroughSixColours) {
  EXPECT_EQ(ColourForCharacter(""), 0);
  EXPECT_EQ(ColourForCharacter(" "), 0);
  EXPECT_EQ(ColourForCharacter("A"), 255);        // red
  EXPECT_EQ(ColourForCharacter("B"), 33023);      // orange
  EXPECT_EQ(ColourForCharacter("F"), 16711935);   // magenta
  EXPECT_EQ(ColourForCharacter("G"), 255);
  EXPECT_EQ(ColourForCharacter("0"), 16711935);   // '0' is not shifted
  EXPECT_EQ(ColourForCharacter("1"), 65535);      // 49 + 2 = 51
  EXPECT_EQ(ColourForCharacter("a"), 255);        // lower case is not shifted
  EXPECT_EQ(ColourForCharacter("\xff"), 65535);     // code 255, no shift: yellow
}

}  // namespace
}  // namespace tlx
