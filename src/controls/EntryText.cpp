#include "controls/EntryText.h"

#include "common/Numbers.h"
#include "controls/KeyCodes.h"

#include <algorithm>
#include <cctype>
#include <cmath>

namespace tlx {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The length of the operator starting at text[i] (0 when none). The division signs come as one
// Latin-1 byte or as two UTF-8 bytes.
std::size_t OperatorLength(std::string_view text, std::size_t i) {
  const auto c = static_cast<unsigned char>(text[i]);
  if (c == '+' || c == '-' || c == '*' || c == 'X' || c == 'x' || c == '/') return 1;
  if (c == 0xF7 || c == 0xF6) return 1;
  if (c == 0xC3 && i + 1 < text.size()) {
    const auto d = static_cast<unsigned char>(text[i + 1]);
    if (d == 0xB7 || d == 0xB6) return 2;
  }
  return 0;
}

char OperatorKind(std::string_view op) {
  const auto c = static_cast<unsigned char>(op[0]);
  if (c == '+') return '+';
  if (c == '-') return '-';
  if (c == '*' || c == 'X' || c == 'x') return '*';
  return '/';
}

bool IsColonPlace(const std::string& text, int p) {
  return p >= 0 && p < static_cast<int>(text.size()) && text[p] == ':';
}

// Puts the colons of the mask back where a text of the mask's length must have them.
void RestoreColons(std::string& text, const std::string& mask) {
  if (text.size() != mask.size()) return;
  for (std::size_t i = 0; i < mask.size(); ++i) {
    if (mask[i] == ':') text[i] = ':';
  }
}

void BlankDigits(std::string& text, int from, int to) {
  for (int i = std::max(from, 0); i < std::min<int>(to, text.size()); ++i) {
    if (text[i] != ':') text[i] = '0';
  }
}

}  // namespace

bool IsNumberText(std::string_view text) {
  if (text.empty()) return false;
  if (IsDigit(text[0])) return true;
  return (text[0] == '-' || text[0] == '.') && text.size() > 1 && IsDigit(text[1]);
}

std::optional<double> EvaluateArithmetic(std::string_view text) {
  // Left to right: the first operand, then each operator with the operand after it (the text
  // between two operators).
  std::size_t i = 0;
  auto nextOperator = [&text, &i]() -> std::size_t {
    while (i < text.size() && OperatorLength(text, i) == 0) ++i;
    return i;
  };
  std::size_t end = nextOperator();
  double value = LocaleVal(text.substr(0, end));
  while (i < text.size()) {
    const std::size_t len = OperatorLength(text, i);
    const char op = OperatorKind(text.substr(i, len));
    const std::size_t begin = i += len;
    end = nextOperator();
    const double operand = LocaleVal(text.substr(begin, end - begin));
    switch (op) {
      case '+': value += operand; break;
      case '-': value -= operand; break;
      case '*': value *= operand; break;
      default:
        if (operand != 0) value /= operand;
        break;
    }
    if (!std::isfinite(value)) return std::nullopt;
  }
  if (!std::isfinite(value)) return std::nullopt;
  return value;
}

int EffectivePlaces(int places) { return std::clamp(places, 0, 10); }

std::string FormatPlaces(double value, int places) {
  return FormatFixed(value, EffectivePlaces(places));
}

std::string TimeMask(bool hideHours) { return hideHours ? "00:00" : "00:00:00"; }

namespace {

// A text in the mask's form: its digits and colons where the mask has them (a time of day's
// " AM" may follow).
bool HasMaskForm(const std::string& text, const std::string& mask) {
  if (text.size() < mask.size()) return false;
  for (std::size_t i = 0; i < mask.size(); ++i) {
    if (mask[i] == ':' ? text[i] != ':' : !IsDigit(text[i])) return false;
  }
  return true;
}

bool IsTypedTime(const std::string& text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return IsDigit(c) || c == ':'; });
}

// Ordinary typing: the selection (or the character before or after the caret, for Backspace
// and Delete) is replaced by the typed character.
void TypeFreely(MaskEdit& edit, int digit, int keyCode) {
  const int size = static_cast<int>(edit.text.size());
  int from = std::clamp(edit.caret, 0, size);
  int to = std::clamp(from + edit.selLength, from, size);
  const bool typed = digit >= 0 || keyCode == key::Colon;
  if (!typed && from == to) {
    if (keyCode == key::Back && from > 0) --from;
    if (keyCode == key::Delete && to < size) ++to;
  }
  edit.text.replace(static_cast<std::size_t>(from), static_cast<std::size_t>(to - from),
                    typed ? std::string(1, digit >= 0 ? char('0' + digit) : ':') : std::string());
  edit.caret = from + (typed ? 1 : 0);
  edit.selLength = 0;
}

}  // namespace

bool ApplyTimeMaskKey(MaskEdit& edit, int keyCode, bool hideHours) {
  const std::string mask = TimeMask(hideHours);
  const int digit = DigitOfKey(keyCode);
  const bool colon = keyCode == key::Colon;
  if (digit < 0 && !colon && keyCode != key::Back && keyCode != key::Delete) return false;
  // Typing over the whole text, or into an empty box or a time typed in freely ("25", "1:30"),
  // gives exactly what is typed; the value is read from it when it is taken.
  const bool wholeSelected = edit.caret <= 0 && edit.selLength >= static_cast<int>(edit.text.size());
  if (wholeSelected || (!HasMaskForm(edit.text, mask) && IsTypedTime(edit.text))) {
    TypeFreely(edit, digit, keyCode);
    return true;
  }
  // A text that is not a time ("Indefinite", or cut short) starts again from the mask.
  if (edit.text.size() < mask.size() || edit.text.find(':') == std::string::npos) {
    edit.text = mask;
  }
  RestoreColons(edit.text, mask);
  // Digits live up to the end of the seconds field; a time of day's " AM" is not overwritten.
  const int size = static_cast<int>(
      std::min(edit.text.size(), edit.text.rfind(':') + 3));
  int p = std::clamp(edit.caret, 0, size);
  if (colon) {
    if (IsColonPlace(edit.text, p)) ++p;     // a typed colon steps over the mask's own
    edit.caret = p;
  } else if (digit >= 0) {
    if (IsColonPlace(edit.text, p)) ++p;     // step over the colon
    if (p >= size) p = size - 1;             // at the end the last digit is overwritten
    if (IsColonPlace(edit.text, p)) --p;
    edit.text[p] = static_cast<char>('0' + digit);
    edit.caret = p + 1;
  } else if (edit.selLength > 0) {
    BlankDigits(edit.text, p, std::min(p + edit.selLength, size));
    edit.caret = p;
  } else if (keyCode == key::Back) {
    if (p > 0) {
      --p;
      BlankDigits(edit.text, p, p + 1);
    }
    edit.caret = p;
  } else {  // Delete blanks the digit after the caret and moves past it
    if (p < size) {
      BlankDigits(edit.text, p, p + 1);
      ++p;
    }
    edit.caret = p;
  }
  edit.selLength = 0;
  return true;
}

}  // namespace tlx
