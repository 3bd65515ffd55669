// Text helpers and the settings-line reader: quoting, lines and fields, tokens, keys and values,
// section headers; and numbers read from and written as text.
#include "common/SettingsLine.h"
#include "common/Numbers.h"
#include "common/Texts.h"

#include "common/CaseTable.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <tuple>
#include <vector>

namespace tlx {
namespace {

using namespace std::string_literals;
using test::ExpectEach;
using Text = std::string;
using Tokens = std::vector<std::string>;
constexpr std::int32_t kLongMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kLongMin = std::numeric_limits<std::int32_t>::min();
constexpr double kInf = std::numeric_limits<double>::infinity();
const double kNan = std::nan("");

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

TEST(SettingsLine, PatternsKeysValuesDirectoriesAndLines) {
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
  ExpectEach<Text, Tokens>(SplitLines, {{"a\r\nb\rc\nd", {"a", "b", "c", "d"}}, {"a\r\n", {"a"}},
      {"\r\n\r\n", {"", ""}}, {"a\n\rb", {"a", "", "b"}}, {"", {}}, {"x\0y"s, {"x\0y"s}}});
}

TEST(Numbers, LeadingNumberTakesWhatFitsAndStopsAndSurvivesAnyRange) {
  // "," is never a decimal point here; beyond the double range the result saturates.
  ExpectEach<Text, double>([](const Text& s) { return LeadingNumber(s); },
      {{"-3.5e2x", -350}, {"+.5", 0.5}, {"5.", 5}, {"1e", 1}, {"1D2", 100}, {"\t 7 8", 7},
       {"1,5", 1}, {"&HFF", 255}, {"&o17", 15}, {"1e999", kInf}, {"-1e999", -kInf}, {"1e-999", 0},
       {"1e99999999999999999999999", kInf}, {"1" + Text(1 << 20, '0'), kInf},
       {Text(1 << 20, '9') + "e-1048570", 1e6}});
  EXPECT_DOUBLE_EQ(LeadingNumber("0.001e310"), 1e307);
  bool ok = false;
  EXPECT_EQ(LeadingNumber("0." + Text(1 << 20, '0') + "1", &ok), 0);
  EXPECT_TRUE(ok);
  for (const char* none : {"", ".", "-", "+.", "abc", "&Hxyz", "&", "e5", "- 5"}) {
    EXPECT_EQ(LeadingNumber(none, &ok), 0) << none;
    EXPECT_FALSE(ok) << none;
  }
}

TEST(Numbers, IntegerAndLongTextsRoundTiesToEvenAndSaturate) {
  ExpectEach<Text, int>(TextToInteger,
      {{"40000", 32767}, {"-40000", -32768}, {"2.5", 2}, {"3.5", 4}, {"-2.5", -2},
       {"32767.5", 32767}, {"1e999", 32767}, {"-1e999", -32768}, {"junk", 0}});
  ExpectEach<Text, std::int32_t>(TextToLong, {{"3000000000", kLongMax}, {"-1e300", kLongMin},
                                              {"2147483646.5", 2147483646}, {"1.5", 2}});
  // Singles are limited to the single range and never rounded.
  ExpectEach<Text, float>(TextToSingle, {{"1e39", 3.4e38f}, {"-1e999", -3.4e38f}, {"2.5", 2.5f}});
  ExpectEach<Text, double>(LocaleVal, {{"2,5", 2.5}, {"1,234.5", 1.234}, {"x", 0}});
}

TEST(Numbers, Rounding) {
  ExpectEach<double, double>(RoundHalfEven, {{0.5, 0}, {1.5, 2}, {2.5, 2}, {-1.5, -2}, {-2.5, -2},
                                             {2.4999, 2}, {1e300, 1e300}, {kInf, kInf}});
  EXPECT_EQ(std::tuple(RoundHalfAway(0.5), RoundHalfAway(-0.5)), std::tuple(1, -1));
  // Ties go to even multiples; 23 x 0.3 = 6.9 is cut to 6; no usable step leaves the value.
  const struct { double value, step, want; } multiples[] = {
      {12.5, 5, 10}, {17.5, 5, 20}, {7, 0.3, 6}, {-7, 5, -5}, {7.3, 0, 7.3}, {7.3, kNan, 7.3}};
  for (const auto& m : multiples) {
    EXPECT_EQ(RoundToMultiple(m.value, m.step), m.want) << m.value << " " << m.step;
  }
}

TEST(Numbers, ClampsTakeBoundsInEitherOrderAndNeverWrap) {
  EXPECT_EQ(std::tuple(ClampInteger(10, 8, 1), ClampInteger(0, 1, 8),
                       ClampInteger(100000, -100000, 100000)), std::tuple(8, 1, 32767));
  EXPECT_EQ(std::tuple(ClampLong(1'000'000'000'000LL, 0, 5'000'000'000LL), ClampLong(-7, 3, -3)),
            std::tuple(kLongMax, -3));
  // No number gives the lower bound.
  EXPECT_EQ(std::tuple(ClampSingle(5, 10, 0), ClampSingle(-1, 0, 1), ClampSingle(kNan, 1, 0)),
            std::tuple(5.0f, 0.0f, 0.0f));
  std::int32_t counter = kLongMax - 1;
  IncrementCounter(counter);
  IncrementCounter(counter);
  EXPECT_EQ(counter, kLongMax);
}

TEST(Numbers, FixedDecimalsRoundHalfAwayFromZero) {
  // Decimals as written, not as their binary neighbour; never a negative zero.
  const struct { double value; int decimals; const char* want; } cases[] = {
      {2.675, 2, "2.68"}, {-0.125, 2, "-0.13"}, {-0.5, 0, "-1"}, {2.5, 0, "3"}, {0.0049, 2, "0.00"},
      {0.005, 2, "0.01"}, {-0.001, 2, "0.00"}, {9.995, 2, "10.00"}, {123456789.125, 2, "123456789.13"},
      {1e20, 0, "100000000000000000000"}, {7, -3, "7"}, {kNan, 1, "NaN"}, {-kInf, 1, "-Infinity"}};
  for (const auto& c : cases) EXPECT_EQ(FormatFixed(c.value, c.decimals), c.want) << c.value;
  EXPECT_EQ(FormatFixed(1234.5, 1, ','), "1234,5");
}

TEST(Numbers, ShortestSingleTextReadsBackExactly) {
  // 1/3 needs eight digits to read back, as does 16777218.
  ExpectEach<float, Text>(ShortestSingleText,
      {{-0.0f, "0"}, {-2.25f, "-2.25"}, {0.1f, "0.1"}, {1.0f / 3.0f, "0.33333334"},
       {1e7f, "10000000"}, {16777218.0f, "16777218"}, {1e-5f, "0.00001"}, {1.5e-7f, "1.5E-07"},
       {1e20f, "1E+20"}, {std::nanf(""), "0"}});
  std::mt19937 random(12345);
  for (int i = 0; i < 200000; ++i) {
    const std::uint32_t bits = random();
    float value;
    std::memcpy(&value, &bits, sizeof value);
    if (!std::isfinite(value)) continue;
    const Text text = ShortestSingleText(value);
    ASSERT_EQ(static_cast<float>(LeadingNumber(text)), value) << text;
    ASSERT_EQ(text.find('e'), Text::npos) << text;
  }
}

}  // namespace
}  // namespace tlx
