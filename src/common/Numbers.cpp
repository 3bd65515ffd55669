// Number texts, clamps and small arithmetic helpers. Texts are read and written with "." as the
// decimal point whatever the locale (the locale's separator is applied only where asked for).
#include "common/Numbers.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace tlx {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int DigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return 99;
}

// "&H" (hexadecimal) or "&O" (octal) digits from position i; the value is read unsigned.
double ReadPrefixed(std::string_view text, std::size_t i, int base, bool* ok) {
  double value = 0;
  bool any = false;
  for (; i < text.size(); ++i) {
    const int d = DigitValue(text[i]);
    if (d >= base) break;
    value = value * base + d;
    any = true;
  }
  if (ok) *ok = any;
  return value;
}

// Converts the decimal number text [begin, end) already known to be well formed. A value beyond
// the double range becomes infinite, one below it zero.
double ConvertDecimal(const char* begin, const char* end, bool negative) {
  double value = 0;
  const auto result = std::from_chars(begin, end, value, std::chars_format::general);
  if (result.ec == std::errc::result_out_of_range) {
    // Decide by the decimal exponent of the first non-zero digit.
    long long exponent = 0;
    long long intDigits = 0;
    bool seenNonZero = false;
    long long leadingFractionZeros = 0;
    const char* p = begin;
    for (; p < end && IsDigit(*p); ++p) {
      if (*p != '0') seenNonZero = true;
      if (seenNonZero) ++intDigits;
    }
    if (p < end && *p == '.') {
      for (++p; p < end && IsDigit(*p); ++p) {
        if (seenNonZero) break;
        if (*p == '0') ++leadingFractionZeros; else seenNonZero = true;
      }
    }
    while (p < end && *p != 'e' && *p != 'E') ++p;
    if (p < end) {
      ++p;
      bool expNegative = false;
      if (p < end && (*p == '+' || *p == '-')) expNegative = (*p++ == '-');
      for (; p < end && IsDigit(*p); ++p) {
        if (exponent < 100000000) exponent = exponent * 10 + (*p - '0');
      }
      if (expNegative) exponent = -exponent;
    }
    const long long magnitude = intDigits > 0 ? exponent + intDigits : exponent - leadingFractionZeros;
    value = magnitude > 0 ? std::numeric_limits<double>::infinity() : 0.0;
  }
  return negative ? -value : value;
}

}  // namespace

double LeadingNumber(std::string_view text, bool* ok) {
  if (ok) *ok = false;
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  if (i + 1 < text.size() && text[i] == '&') {
    const char kind = text[i + 1];
    if (kind == 'H' || kind == 'h') return ReadPrefixed(text, i + 2, 16, ok);
    if (kind == 'O' || kind == 'o') return ReadPrefixed(text, i + 2, 8, ok);
    return 0;
  }
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = (text[i++] == '-');
  const std::size_t start = i;
  std::size_t digits = 0;
  while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
  if (i < text.size() && text[i] == '.') {
    ++i;
    while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
  }
  if (digits == 0) return 0;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E' || text[i] == 'd' || text[i] == 'D')) {
    std::size_t j = i + 1;
    if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
    if (j < text.size() && IsDigit(text[j])) {
      while (j < text.size() && IsDigit(text[j])) ++j;
      i = j;
    }
  }
  // from_chars wants "e" for the exponent; a "D" exponent is copied and rewritten.
  std::string number(text.substr(start, i - start));
  for (char& c : number) {
    if (c == 'd' || c == 'D') c = 'e';
  }
  if (ok) *ok = true;
  return ConvertDecimal(number.data(), number.data() + number.size(), negative);
}

std::int16_t TextToInteger(std::string_view text) {
  const double value = RoundHalfEven(LeadingNumber(text));
  if (std::isnan(value)) return 0;
  if (value <= -32768.0) return -32768;
  if (value >= 32767.0) return 32767;
  return static_cast<std::int16_t>(value);
}

std::int32_t TextToLong(std::string_view text) {
  const double value = RoundHalfEven(LeadingNumber(text));
  if (std::isnan(value)) return 0;
  if (value <= -2147483648.0) return std::numeric_limits<std::int32_t>::min();
  if (value >= 2147483647.0) return std::numeric_limits<std::int32_t>::max();
  return static_cast<std::int32_t>(value);
}

float TextToSingle(std::string_view text) {
  return ClampSingle(LeadingNumber(text), -3.4e38, 3.4e38);
}

double LocaleVal(std::string_view text) {
  std::string copy(text);
  for (char& c : copy) {
    if (c == ',') c = '.';
  }
  return LeadingNumber(copy);
}

double RoundHalfEven(double value) {
  if (!std::isfinite(value)) return value;
  const double below = std::floor(value);
  const double diff = value - below;
  if (diff < 0.5) return below;
  if (diff > 0.5) return below + 1;
  return std::fmod(below, 2.0) == 0 ? below : below + 1;
}

double RoundHalfAway(double value) { return std::round(value); }

std::int16_t ClampInteger(std::int32_t value, std::int32_t a, std::int32_t b) {
  const std::int32_t low = std::max(std::min(a, b), std::int32_t(-32768));
  const std::int32_t high = std::min(std::max(a, b), std::int32_t(32767));
  if (low > high) return static_cast<std::int16_t>(high);
  return static_cast<std::int16_t>(std::clamp(value, low, high));
}

void ClampIntegerInPlace(std::int16_t& value, std::int32_t a, std::int32_t b) {
  value = ClampInteger(value, a, b);
}

std::int32_t ClampLong(std::int64_t value, std::int64_t a, std::int64_t b) {
  const std::int64_t low = std::max(std::min(a, b), std::int64_t(-2147483648LL));
  const std::int64_t high = std::min(std::max(a, b), std::int64_t(2147483647LL));
  if (low > high) return static_cast<std::int32_t>(high);
  return static_cast<std::int32_t>(std::clamp(value, low, high));
}

float ClampSingle(double value, double a, double b) {
  const double low = std::min(a, b);
  const double high = std::max(a, b);
  if (std::isnan(value)) return static_cast<float>(low);  // no number: the lower bound
  return static_cast<float>(std::clamp(value, low, high));
}

void IncrementCounter(std::int32_t& counter) {
  if (counter != std::numeric_limits<std::int32_t>::max()) ++counter;
}

double RoundToMultiple(double value, double step) {
  if (!(step > 0)) return value;
  return std::trunc(RoundHalfEven(value / step) * step);
}

namespace {

// The decimal digits (no trailing zeros kept beyond the first) and the exponent of the first digit
// of a text made by to_chars in scientific form ("-1.2500e+03" gives "12500", 3, negative).
struct DecimalDigits {
  std::string digits;
  int exponent = 0;
  bool negative = false;
};

DecimalDigits ParseScientific(const char* begin, const char* end) {
  DecimalDigits out;
  const char* p = begin;
  if (p < end && *p == '-') {
    out.negative = true;
    ++p;
  }
  for (; p < end && *p != 'e'; ++p) {
    if (IsDigit(*p)) out.digits += *p;
  }
  if (p < end) {
    int exponent = 0;
    std::from_chars(p + 1 + (p[1] == '+' ? 1 : 0), end, exponent);
    out.exponent = exponent;
  }
  return out;
}

std::string NonFiniteText(double value) {
  if (std::isnan(value)) return "NaN";
  return value < 0 ? "-Infinity" : "Infinity";
}

}  // namespace

std::string FormatFixed(double value, int decimals, char decimalSeparator) {
  if (!std::isfinite(value)) return NonFiniteText(value);
  decimals = std::clamp(decimals, 0, 20);
  // Fifteen significant digits first, so that 2.675 rounds as the decimal number it was
  // written as rather than as its binary neighbour 2.67499999...
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value,
                                    std::chars_format::scientific, 14);
  const DecimalDigits parsed = ParseScientific(buffer, result.ptr);
  const long long keep = static_cast<long long>(parsed.exponent) + decimals + 1;
  std::string units;  // the value times 10^decimals, as whole digits
  if (keep >= static_cast<long long>(parsed.digits.size())) {
    units = parsed.digits + std::string(std::size_t(keep) - parsed.digits.size(), '0');
  } else if (keep >= 0) {
    units = parsed.digits.substr(0, std::size_t(keep));
    if (parsed.digits[std::size_t(keep)] >= '5') {
      std::size_t i = units.size();
      while (i > 0 && units[i - 1] == '9') units[--i] = '0';
      if (i == 0) units.insert(units.begin(), '1'); else ++units[i - 1];
    }
  }
  if (units.size() < std::size_t(decimals) + 1) {
    units.insert(0, std::size_t(decimals) + 1 - units.size(), '0');
  }
  const bool isZero = units.find_first_not_of('0') == std::string::npos;
  std::string out = (parsed.negative && !isZero) ? "-" : "";
  out += units.substr(0, units.size() - std::size_t(decimals));
  if (decimals > 0) {
    out += decimalSeparator;
    out += units.substr(units.size() - std::size_t(decimals));
  }
  return out;
}

std::string ShortestSingleText(float value) {
  if (std::isnan(value)) return "0";
  if (std::isinf(value)) value = value < 0 ? -std::numeric_limits<float>::max()
                                           : std::numeric_limits<float>::max();
  if (value == 0) return "0";
  char buffer[64];
  DecimalDigits parsed;
  // Seven significant digits when they read back exactly, more (at most nine) when a value needs
  // them: a stored value must come back as the same value.
  for (int precision = 0; precision < 9; ++precision) {
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value,
                                      std::chars_format::scientific, precision);
    // Read back the way the program's own readers read numbers: as a double, then narrowed.
    double back = 0;
    std::from_chars(buffer, result.ptr, back);
    parsed = ParseScientific(buffer, result.ptr);
    if (static_cast<float>(back) == value) break;
  }
  while (parsed.digits.size() > 1 && parsed.digits.back() == '0') parsed.digits.pop_back();
  const std::string& d = parsed.digits;
  const int e = parsed.exponent;
  std::string out = parsed.negative ? "-" : "";
  if (e >= 0 && e < 15) {
    if (d.size() <= std::size_t(e) + 1) {
      out += d + std::string(std::size_t(e) + 1 - d.size(), '0');
    } else {
      out += d.substr(0, std::size_t(e) + 1) + "." + d.substr(std::size_t(e) + 1);
    }
  } else if (e < 0 && e >= -5) {
    out += "0." + std::string(std::size_t(-e - 1), '0') + d;
  } else {
    out += d.substr(0, 1);
    if (d.size() > 1) out += "." + d.substr(1);
    const int magnitude = e < 0 ? -e : e;
    out += e < 0 ? "E-" : "E+";
    if (magnitude < 10) out += '0';
    out += std::to_string(magnitude);
  }
  return out;
}

}  // namespace tlx
