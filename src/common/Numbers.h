// Number texts, clamps and small arithmetic helpers.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tlx {

// The leading number of a text (blanks skipped, sign, digits, ".", fraction, exponent; "&H" and
// "&O" prefixes). `ok` is false when the text holds no leading number.
double LeadingNumber(std::string_view text, bool* ok = nullptr);

std::int16_t TextToInteger(std::string_view text);
std::int32_t TextToLong(std::string_view text);
float TextToSingle(std::string_view text);
double LocaleVal(std::string_view text);

// Round to the nearest whole number, ties to even.
double RoundHalfEven(double value);
// Round to the nearest whole number, ties away from zero.
double RoundHalfAway(double value);

std::int16_t ClampInteger(std::int32_t value, std::int32_t a, std::int32_t b);
void ClampIntegerInPlace(std::int16_t& value, std::int32_t a, std::int32_t b);
std::int32_t ClampLong(std::int64_t value, std::int64_t a, std::int64_t b);
float ClampSingle(double value, double a, double b);
void IncrementCounter(std::int32_t& counter);
double RoundToMultiple(double value, double step);

// Number text with a fixed count of decimals ("0", "0.0", "0.00"), halves away from zero, with
// the given decimal separator.
std::string FormatFixed(double value, int decimals, char decimalSeparator = '.');
// Shortest text that reads back as the same single-precision value, seven significant digits
// when they suffice ("0.5", "1", "12.5", "10000000"); the exponent form ("1.5E+20", "1E-06")
// only for values from 1e15 up or below 1e-5.
std::string ShortestSingleText(float value);

}  // namespace tlx
