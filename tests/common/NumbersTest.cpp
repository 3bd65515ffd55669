#include "common/Numbers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>

namespace tlx {
namespace {

constexpr std::int32_t kLongMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kLongMin = std::numeric_limits<std::int32_t>::min();

TEST(Numbers, LeadingNumberTakesWhatFitsAndStops) {
  bool ok = false;
  EXPECT_EQ(LeadingNumber(" 12abc", &ok), 12);
  EXPECT_TRUE(ok);
  EXPECT_EQ(LeadingNumber("-3.5e2x"), -350);
  EXPECT_EQ(LeadingNumber("+.5"), 0.5);
  EXPECT_EQ(LeadingNumber("5."), 5);
  EXPECT_EQ(LeadingNumber("1e"), 1);
  EXPECT_EQ(LeadingNumber("1D2"), 100);
  EXPECT_EQ(LeadingNumber("\t 7 8"), 7);
  EXPECT_EQ(LeadingNumber("1,5"), 1);  // "," is never a decimal point here
  EXPECT_EQ(LeadingNumber("&HFF"), 255);
  EXPECT_EQ(LeadingNumber("&o17"), 15);
  for (const char* none : {"", ".", "-", "+.", "abc", "&Hxyz", "&", "e5", "- 5"}) {
    EXPECT_EQ(LeadingNumber(none, &ok), 0) << none;
    EXPECT_FALSE(ok) << none;
  }
}

TEST(Numbers, LeadingNumberBeyondTheDoubleRange) {
  EXPECT_EQ(LeadingNumber("1e999"), std::numeric_limits<double>::infinity());
  EXPECT_EQ(LeadingNumber("-1e999"), -std::numeric_limits<double>::infinity());
  EXPECT_EQ(LeadingNumber("1e-999"), 0);
  EXPECT_EQ(LeadingNumber("1e99999999999999999999999"), std::numeric_limits<double>::infinity());
  EXPECT_DOUBLE_EQ(LeadingNumber("0.001e310"), 1e307);
  const std::string hugeDigits = "1" + std::string(1 << 20, '0');
  EXPECT_EQ(LeadingNumber(hugeDigits), std::numeric_limits<double>::infinity());
  bool ok = false;
  EXPECT_EQ(LeadingNumber("0." + std::string(1 << 20, '0') + "1", &ok), 0);
  EXPECT_TRUE(ok);
  EXPECT_EQ(LeadingNumber(std::string(1 << 20, '9') + "e-1048570"), 1e6);
}

TEST(Numbers, IntegerAndLongTextsRoundTiesToEvenAndSaturate) {
  EXPECT_EQ(TextToInteger("40000"), 32767);
  EXPECT_EQ(TextToInteger("-40000"), -32768);
  EXPECT_EQ(TextToInteger("2.5"), 2);
  EXPECT_EQ(TextToInteger("3.5"), 4);
  EXPECT_EQ(TextToInteger("-2.5"), -2);
  EXPECT_EQ(TextToInteger("32767.5"), 32767);
  EXPECT_EQ(TextToInteger("1e999"), 32767);
  EXPECT_EQ(TextToInteger("-1e999"), -32768);
  EXPECT_EQ(TextToInteger("junk"), 0);
  EXPECT_EQ(TextToLong("3000000000"), kLongMax);
  EXPECT_EQ(TextToLong("-1e300"), kLongMin);
  EXPECT_EQ(TextToLong("2147483646.5"), 2147483646);
  EXPECT_EQ(TextToLong("1.5"), 2);
  EXPECT_EQ(TextToSingle("1e39"), 3.4e38f);
  EXPECT_EQ(TextToSingle("-1e999"), -3.4e38f);
  EXPECT_EQ(TextToSingle("0.1"), 0.1f);
  EXPECT_EQ(TextToSingle("2.5"), 2.5f);  // not rounded
  EXPECT_EQ(TextToSingle(""), 0.0f);
  EXPECT_EQ(LocaleVal("2,5"), 2.5);
  EXPECT_EQ(LocaleVal("1,234.5"), 1.234);
  EXPECT_EQ(LocaleVal("x"), 0);
}

TEST(Numbers, Rounding) {
  EXPECT_EQ(RoundHalfEven(0.5), 0);
  EXPECT_EQ(RoundHalfEven(1.5), 2);
  EXPECT_EQ(RoundHalfEven(2.5), 2);
  EXPECT_EQ(RoundHalfEven(-1.5), -2);
  EXPECT_EQ(RoundHalfEven(-2.5), -2);
  EXPECT_EQ(RoundHalfEven(2.4999), 2);
  EXPECT_EQ(RoundHalfEven(1e300), 1e300);
  EXPECT_TRUE(std::isinf(RoundHalfEven(std::numeric_limits<double>::infinity())));
  EXPECT_EQ(RoundHalfAway(0.5), 1);
  EXPECT_EQ(RoundHalfAway(-0.5), -1);
  EXPECT_EQ(RoundToMultiple(7, 5), 5);
  EXPECT_EQ(RoundToMultiple(12.5, 5), 10);    // 2.5 rounds to 2
  EXPECT_EQ(RoundToMultiple(17.5, 5), 20);    // 3.5 rounds to 4
  EXPECT_EQ(RoundToMultiple(7, 0.3), 6);      // 23 x 0.3 = 6.9, cut to 6
  EXPECT_EQ(RoundToMultiple(-7, 5), -5);
  EXPECT_EQ(RoundToMultiple(7.3, 0), 7.3);
  EXPECT_EQ(RoundToMultiple(7.3, -1), 7.3);
  EXPECT_EQ(RoundToMultiple(7.3, std::nan("")), 7.3);
}

TEST(Numbers, ClampsTakeBoundsInEitherOrder) {
  EXPECT_EQ(ClampInteger(10, 8, 1), 8);
  EXPECT_EQ(ClampInteger(0, 1, 8), 1);
  EXPECT_EQ(ClampInteger(100000, -100000, 100000), 32767);  // never wraps
  std::int16_t value = 2;
  ClampIntegerInPlace(value, 0, 1);
  EXPECT_EQ(value, 1);
  EXPECT_EQ(ClampLong(1'000'000'000'000LL, 0, 5'000'000'000LL), kLongMax);
  EXPECT_EQ(ClampLong(-7, 3, -3), -3);
  EXPECT_EQ(ClampSingle(5, 10, 0), 5.0f);
  EXPECT_EQ(ClampSingle(-1, 0, 1), 0.0f);
  EXPECT_EQ(ClampSingle(std::nan(""), 1, 0), 0.0f);  // no number: the lower bound
  EXPECT_TRUE(InRangeInteger(10, 10, 1));
  EXPECT_TRUE(InRangeInteger(1, 10, 1));
  EXPECT_FALSE(InRangeInteger(0, 1, 10));
  EXPECT_EQ(LongToInteger(40000), 32767);
  EXPECT_EQ(LongToInteger(-40000), -32768);
  std::int32_t counter = kLongMax - 1;
  IncrementCounter(counter);
  IncrementCounter(counter);
  EXPECT_EQ(counter, kLongMax);
}

TEST(Numbers, UnsignedBitPatterns) {
  EXPECT_EQ(UnsignedLong(-1), 4294967295.0);
  EXPECT_EQ(UnsignedLong(kLongMin), 2147483648.0);
  EXPECT_EQ(UnsignedInteger(-1), 65535);
  EXPECT_EQ(UnsignedInteger(-32768), 32768);
  EXPECT_EQ(DoubleToUnsignedLong(4294967295.0), -1);
  EXPECT_EQ(DoubleToUnsignedLong(2147483648.0), kLongMin);
  EXPECT_EQ(DoubleToUnsignedLong(3000000000.0), -1294967296);
  EXPECT_EQ(DoubleToUnsignedLong(2147483647.6), kLongMin);
  EXPECT_EQ(DoubleToUnsignedLong(-5), 0);
  EXPECT_EQ(DoubleToUnsignedLong(1e20), 0);  // limited to 4294967296, which wraps to 0
  EXPECT_EQ(DoubleToUnsignedLong(std::nan("")), 0);
  for (double v : {0.0, 1.0, 2147483647.0, 2147483648.0, 4294967295.0}) {
    EXPECT_EQ(UnsignedLong(DoubleToUnsignedLong(v)), v);
  }
}

TEST(Numbers, AnglesAndAspect) {
  EXPECT_EQ(AngleDegrees(0, 0), -32768.0f);
  EXPECT_EQ(AngleDegrees(0, 1), 90.0f);
  EXPECT_EQ(AngleDegrees(0, -1), 270.0f);
  EXPECT_EQ(AngleDegrees(-1, 0), 180.0f);
  EXPECT_EQ(AngleDegrees(1, 0), 0.0f);
  EXPECT_FLOAT_EQ(AngleDegrees(1, -1), 315.0f);
  EXPECT_FLOAT_EQ(AngleDegrees(-1, -1), 225.0f);

  double w = 400, h = 400;
  EXPECT_TRUE(FitToAspect(w, h, 0.75));
  EXPECT_EQ(w, 400);
  EXPECT_EQ(h, 300);
  w = 400, h = 200;
  EXPECT_TRUE(FitToAspect(w, h, 0.75));
  EXPECT_DOUBLE_EQ(w, 200 / 0.75);
  EXPECT_EQ(h, 200);
  w = -10, h = 100;
  EXPECT_TRUE(FitToAspect(w, h, 1));
  EXPECT_EQ(w, 0);
  EXPECT_EQ(h, 0);
  for (double ratio : {0.0, -1.0, std::nan("")}) {
    w = 3, h = 4;
    EXPECT_FALSE(FitToAspect(w, h, ratio));
    EXPECT_EQ(w, 3);
    EXPECT_EQ(h, 4);
  }
}

TEST(Numbers, FixedDecimalsRoundHalfAwayFromZero) {
  EXPECT_EQ(FormatFixed(2.675, 2), "2.68");  // as written, not as its binary neighbour
  EXPECT_EQ(FormatFixed(0.125, 2), "0.13");
  EXPECT_EQ(FormatFixed(-0.125, 2), "-0.13");
  EXPECT_EQ(FormatFixed(0.5, 0), "1");
  EXPECT_EQ(FormatFixed(-0.5, 0), "-1");
  EXPECT_EQ(FormatFixed(2.5, 0), "3");
  EXPECT_EQ(FormatFixed(0.0049, 2), "0.00");
  EXPECT_EQ(FormatFixed(0.005, 2), "0.01");
  EXPECT_EQ(FormatFixed(-0.001, 2), "0.00");  // no negative zero
  EXPECT_EQ(FormatFixed(0, 1), "0.0");
  EXPECT_EQ(FormatFixed(9.995, 2), "10.00");
  EXPECT_EQ(FormatFixed(99.96, 1), "100.0");
  EXPECT_EQ(FormatFixed(1234.5, 1, ','), "1234,5");
  EXPECT_EQ(FormatFixed(123456789.125, 2), "123456789.13");
  EXPECT_EQ(FormatFixed(1e20, 0), "100000000000000000000");
  EXPECT_EQ(FormatFixed(1e-300, 2), "0.00");
  EXPECT_EQ(FormatFixed(7, -3), "7");
  EXPECT_EQ(FormatFixed(std::nan(""), 1), "NaN");
  EXPECT_EQ(FormatFixed(-std::numeric_limits<double>::infinity(), 1), "-Infinity");
}

TEST(Numbers, ShortestSingleTextReadsBackExactly) {
  EXPECT_EQ(ShortestSingleText(0.0f), "0");
  EXPECT_EQ(ShortestSingleText(-0.0f), "0");
  EXPECT_EQ(ShortestSingleText(0.5f), "0.5");
  EXPECT_EQ(ShortestSingleText(1.0f), "1");
  EXPECT_EQ(ShortestSingleText(12.5f), "12.5");
  EXPECT_EQ(ShortestSingleText(-2.25f), "-2.25");
  EXPECT_EQ(ShortestSingleText(0.1f), "0.1");
  EXPECT_EQ(ShortestSingleText(0.3333333f), "0.3333333");
  EXPECT_EQ(ShortestSingleText(1.0f / 3.0f), "0.33333334");  // seven digits would read back wrong
  EXPECT_EQ(ShortestSingleText(1e6f), "1000000");
  EXPECT_EQ(ShortestSingleText(1e7f), "10000000");
  EXPECT_EQ(ShortestSingleText(16777216.0f), "16777216");
  EXPECT_EQ(ShortestSingleText(16777218.0f), "16777218");  // needs eight digits
  EXPECT_EQ(ShortestSingleText(0.0001f), "0.0001");
  EXPECT_EQ(ShortestSingleText(1e-5f), "0.00001");
  EXPECT_EQ(ShortestSingleText(1.5e-7f), "1.5E-07");
  EXPECT_EQ(ShortestSingleText(1e20f), "1E+20");
  EXPECT_EQ(ShortestSingleText(std::nanf("")), "0");

  // Whatever the value, the text reads back through the program's own reader unchanged.
  std::mt19937 random(12345);
  for (int i = 0; i < 200000; ++i) {
    std::uint32_t bits = random();
    float value;
    std::memcpy(&value, &bits, sizeof value);
    if (!std::isfinite(value)) continue;
    const std::string text = ShortestSingleText(value);
    ASSERT_EQ(static_cast<float>(LeadingNumber(text)), value) << text;
    ASSERT_EQ(text.find('e'), std::string::npos) << text;
  }
}

}  // namespace
}  // namespace tlx
