#include "common/Numbers.h"

#include "common/CaseTable.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <tuple>

namespace tlx {
namespace {

using test::ExpectEach;
using Text = std::string;
constexpr std::int32_t kLongMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kLongMin = std::numeric_limits<std::int32_t>::min();
constexpr double kInf = std::numeric_limits<double>::infinity();
const double kNan = std::nan("");

TEST(Numbers, LeadingNumberTakesWhatFitsAndStopsAndSurvivesAnyRange) {
  // "," is never a decimal point here; beyond the double range the result saturates.
  ExpectEach<Text, double>([](const Text& s) { return LeadingNumber(s); },
      {{"-3.5e2x", -350}, {"+.5", 0.5}, {"5.", 5}, {"1e", 1}, {"1D2", 100}, {"\t 7 8", 7},
       {"1,5", 1}, {"&HFF", 255}, {"&o17", 15}, {"1e999", kInf}, {"-1e999", -kInf}, {"1e-999", 0},
       {"1e99999999999999999999999", kInf}, {"1" + Text(1 << 20, '0'), kInf},
       {Text(1 << 20, '9') + "e-1048570", 1e6}});
  EXPECT_DOUBLE_EQ(LeadingNumber("0.001e310"), 1e307);
  bool ok = false;
  EXPECT_EQ(LeadingNumber(" 12abc", &ok), 12);
  EXPECT_TRUE(ok);
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
  ExpectEach<Text, float>(TextToSingle, {{"1e39", 3.4e38f}, {"-1e999", -3.4e38f}, {"0.1", 0.1f},
                                         {"2.5", 2.5f}, {"", 0.0f}});
  ExpectEach<Text, double>(LocaleVal, {{"2,5", 2.5}, {"1,234.5", 1.234}, {"x", 0}});
}

TEST(Numbers, Rounding) {
  ExpectEach<double, double>(RoundHalfEven, {{0.5, 0}, {1.5, 2}, {2.5, 2}, {-1.5, -2}, {-2.5, -2},
                                             {2.4999, 2}, {1e300, 1e300}, {kInf, kInf}});
  EXPECT_EQ(std::tuple(RoundHalfAway(0.5), RoundHalfAway(-0.5)), std::tuple(1, -1));
  // Ties go to even multiples; 23 x 0.3 = 6.9 is cut to 6; no usable step leaves the value.
  const struct { double value, step, want; } multiples[] = {
      {7, 5, 5}, {12.5, 5, 10}, {17.5, 5, 20}, {7, 0.3, 6}, {-7, 5, -5},
      {7.3, 0, 7.3}, {7.3, -1, 7.3}, {7.3, kNan, 7.3}};
  for (const auto& m : multiples) {
    EXPECT_EQ(RoundToMultiple(m.value, m.step), m.want) << m.value << " " << m.step;
  }
}

TEST(Numbers, ClampsTakeBoundsInEitherOrderAndNeverWrap) {
  EXPECT_EQ(std::tuple(ClampInteger(10, 8, 1), ClampInteger(0, 1, 8),
                       ClampInteger(100000, -100000, 100000)), std::tuple(8, 1, 32767));
  std::int16_t value = 2;
  ClampIntegerInPlace(value, 0, 1);
  EXPECT_EQ(value, 1);
  EXPECT_EQ(ClampLong(1'000'000'000'000LL, 0, 5'000'000'000LL), kLongMax);
  EXPECT_EQ(ClampLong(-7, 3, -3), -3);
  // No number gives the lower bound.
  EXPECT_EQ(std::tuple(ClampSingle(5, 10, 0), ClampSingle(-1, 0, 1), ClampSingle(kNan, 1, 0)),
            std::tuple(5.0f, 0.0f, 0.0f));
  EXPECT_TRUE(InRangeInteger(10, 10, 1) && InRangeInteger(1, 10, 1));
  EXPECT_FALSE(InRangeInteger(0, 1, 10));
  EXPECT_EQ(std::tuple(LongToInteger(40000), LongToInteger(-40000)), std::tuple(32767, -32768));
  std::int32_t counter = kLongMax - 1;
  IncrementCounter(counter);
  IncrementCounter(counter);
  EXPECT_EQ(counter, kLongMax);
}

TEST(Numbers, UnsignedBitPatterns) {
  EXPECT_EQ(std::tuple(UnsignedLong(-1), UnsignedLong(kLongMin)), std::tuple(4294967295.0, 2147483648.0));
  EXPECT_EQ(std::tuple(UnsignedInteger(-1), UnsignedInteger(-32768)), std::tuple(65535, 32768));
  // 1e20 is limited to 4294967296, which wraps to 0.
  ExpectEach<double, std::int32_t>(DoubleToUnsignedLong,
      {{4294967295.0, -1}, {2147483648.0, kLongMin}, {3000000000.0, -1294967296},
       {2147483647.6, kLongMin}, {-5, 0}, {1e20, 0}, {kNan, 0}});
  for (double v : {0.0, 1.0, 2147483647.0, 2147483648.0, 4294967295.0}) {
    EXPECT_EQ(UnsignedLong(DoubleToUnsignedLong(v)), v);
  }
}

TEST(Numbers, AnglesAndAspect) {
  const struct { double dx, dy; float want; } angles[] = {
      {0, 0, -32768}, {0, 1, 90}, {0, -1, 270}, {-1, 0, 180}, {1, 0, 0}};
  for (const auto& a : angles) EXPECT_EQ(AngleDegrees(a.dx, a.dy), a.want) << a.dx << "," << a.dy;
  EXPECT_FLOAT_EQ(AngleDegrees(1, -1), 315.0f);
  EXPECT_FLOAT_EQ(AngleDegrees(-1, -1), 225.0f);

  const struct { double w, h, ratio; bool fitted; double wantW, wantH; } fits[] = {
      {400, 400, 0.75, true, 400, 300}, {400, 200, 0.75, true, 200 / 0.75, 200},
      {-10, 100, 1, true, 0, 0}, {3, 4, 0, false, 3, 4}, {3, 4, -1, false, 3, 4},
      {3, 4, kNan, false, 3, 4}};
  for (auto f : fits) {
    EXPECT_EQ(FitToAspect(f.w, f.h, f.ratio), f.fitted) << f.ratio;
    EXPECT_EQ(f.w, f.wantW);
    EXPECT_EQ(f.h, f.wantH);
  }
}

TEST(Numbers, FixedDecimalsRoundHalfAwayFromZero) {
  // Decimals as written, not as their binary neighbour; never a negative zero.
  const struct { double value; int decimals; const char* want; } cases[] = {
      {2.675, 2, "2.68"}, {0.125, 2, "0.13"}, {-0.125, 2, "-0.13"}, {0.5, 0, "1"}, {-0.5, 0, "-1"},
      {2.5, 0, "3"}, {0.0049, 2, "0.00"}, {0.005, 2, "0.01"}, {-0.001, 2, "0.00"}, {0, 1, "0.0"},
      {9.995, 2, "10.00"}, {99.96, 1, "100.0"}, {123456789.125, 2, "123456789.13"},
      {1e20, 0, "100000000000000000000"}, {1e-300, 2, "0.00"}, {7, -3, "7"}, {kNan, 1, "NaN"},
      {-kInf, 1, "-Infinity"}};
  for (const auto& c : cases) EXPECT_EQ(FormatFixed(c.value, c.decimals), c.want) << c.value;
  EXPECT_EQ(FormatFixed(1234.5, 1, ','), "1234,5");
}

TEST(Numbers, ShortestSingleTextReadsBackExactly) {
  // 1/3 needs eight digits to read back, as does 16777218.
  ExpectEach<float, Text>(ShortestSingleText,
      {{0.0f, "0"}, {-0.0f, "0"}, {0.5f, "0.5"}, {1.0f, "1"}, {12.5f, "12.5"}, {-2.25f, "-2.25"},
       {0.1f, "0.1"}, {0.3333333f, "0.3333333"}, {1.0f / 3.0f, "0.33333334"}, {1e6f, "1000000"},
       {1e7f, "10000000"}, {16777216.0f, "16777216"}, {16777218.0f, "16777218"},
       {0.0001f, "0.0001"}, {1e-5f, "0.00001"}, {1.5e-7f, "1.5E-07"}, {1e20f, "1E+20"},
       {std::nanf(""), "0"}});
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
