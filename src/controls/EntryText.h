// Text rules shared by the range box and the spin button: the number test, the left-to-right
// arithmetic of typed values, the fixed-decimals display and the "00:00:00" time entry mask.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tlx {

// True when the text's first character is a digit, or it starts with "-" or "." followed by one.
bool IsNumberText(std::string_view text);

// Works out a typed calculation strictly from left to right: '2+3*4' gives 20, '-5' gives -5.
// Operators are "+", "-", "*", "X"/"x", "/", and the division signs (Latin-1 or UTF-8); operands
// are read by their leading number with "," as a decimal point. A division by 0 is skipped.
// Nothing (no value) when the result overflows.
std::optional<double> EvaluateArithmetic(std::string_view text);

// The decimal places a control really shows: 0..10.
int EffectivePlaces(int places);

// The value written with the pattern "0" or "0." and `places` zeros (halves away from zero).
std::string FormatPlaces(double value, int places);

// The mask a time entry always keeps: "00:00:00", or "00:00" for minutes and seconds.
std::string TimeMask(bool hideHours);

// The state of a text box the time mask works on.
struct MaskEdit {
  std::string text;
  int caret = 0;        // characters before the caret
  int selLength = 0;
};

// Handles one key of a time entry (digits, ":", Backspace, Delete). In a text of the mask's form
// digits overwrite the digit at the caret and step over the colons, a typed colon steps over the
// mask's, and Backspace and Delete blank digits to "0" and keep the colons in place. Typing over
// the whole text, or into an empty box or a freely typed time, works as in any text box, so what
// is typed ("25", "00:00:25", "1:30") is what the box holds. Answers true when the key was
// handled (the text box must not insert or delete anything itself).
bool ApplyTimeMaskKey(MaskEdit& edit, int keyCode, bool hideHours);

}  // namespace tlx
