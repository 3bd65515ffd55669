#include "controls/EntryText.h"
#include "controls/KeyCodes.h"

#include <gtest/gtest.h>

namespace tlx {
namespace {

TEST(EntryText, NumberTestLooksAtTheFirstCharacters) {
  for (const char* t : {"5", "-5", ".5"}) EXPECT_TRUE(IsNumberText(t)) << t;
  for (const char* t : {"-", "-.5", "x5", ""}) EXPECT_FALSE(IsNumberText(t)) << t;
}

TEST(EntryText, ArithmeticRunsLeftToRightSkippingDivisionByZero) {
  const struct { const char* text; double value; } cases[] = {
      {"2+3*4", 20},  // no precedence
      {"-5", -5},
      {"3x4", 12},
      {"3X4-2", 10},
      {"9\xF7" "3", 3},       // Latin-1 division sign
      {"9\xC3\xB7" "3", 3},   // the same sign in UTF-8
      {"8\xF6" "2", 4},
      {"7+", 7},  // an empty operand reads as 0
      {"100/0", 100},
      {"10/0+1", 11},
  };
  for (const auto& c : cases) EXPECT_EQ(EvaluateArithmetic(c.text), c.value) << c.text;
  EXPECT_FALSE(EvaluateArithmetic("1e308*1e308").has_value());
}

TEST(EntryText, PlacesAreLimitedToTen) {
  EXPECT_EQ(FormatPlaces(2.5, 0), "3");
  EXPECT_EQ(FormatPlaces(1, 14), "1.0000000000");
  EXPECT_EQ(FormatPlaces(1, -3), "1");
}

MaskEdit Type(MaskEdit edit, std::initializer_list<int> keys, bool hideHours = false) {
  for (int k : keys) EXPECT_TRUE(ApplyTimeMaskKey(edit, k, hideHours));
  return edit;
}

int Digit(int d) { return key::Digit0 + d; }

TEST(TimeMask, DigitsOverwriteFromAnyStartingText) {
  const MaskEdit full = Type({"12:34:56", 7, 0}, {Digit(7), Digit(8)});
  EXPECT_EQ(full.text, "12:34:58");  // at the end the last digit is overwritten
  EXPECT_EQ(full.caret, 8);
  EXPECT_EQ(Type({"00:00", 0, 0}, {Digit(1), Digit(3), Digit(0)}, true).text, "13:00");
  EXPECT_EQ(Type({"00:00:00", 0, 0}, {key::Numpad0 + 9}).text, "90:00:00");
  EXPECT_EQ(Type({"Indefinite", 0, 0}, {Digit(2)}).text, "20:00:00");  // not a time: from the mask
}

// Typing over a selected or emptied box gives what was typed, as in any text box.
TEST(TimeMask, TypingOverTheWholeTextGivesWhatWasTyped) {
  const int colon = key::Colon;
  const struct { std::initializer_list<int> keys; const char* text; } cases[] = {
      {{Digit(0), Digit(0), colon, Digit(0), Digit(0), colon, Digit(2), Digit(5)}, "00:00:25"},
      {{Digit(2), Digit(5)}, "25"},
      {{Digit(1), colon, Digit(3), Digit(0)}, "1:30"},
      {{Digit(9), Digit(9), key::Back, Digit(0)}, "90"},
  };
  for (const auto& c : cases) {
    const MaskEdit e = Type({"00:00:01", 0, 8}, c.keys);
    EXPECT_EQ(e.text, c.text);
    EXPECT_EQ(e.caret, int(e.text.size()));
  }
  EXPECT_EQ(Type({"Indefinite", 0, 10}, {Digit(2)}).text, "2");
  // Backspace over the whole text empties it; the digits then start a fresh entry.
  EXPECT_EQ(Type({"00:00:01", 0, 8}, {key::Back, Digit(2), Digit(5)}).text, "25");
  EXPECT_EQ(Type({"", 0, 0}, {Digit(4)}).text, "4");
  // Delete inside a freely typed time removes the character after the caret.
  EXPECT_EQ(Type({"1:30", 1, 0}, {key::Delete}).text, "130");
}

TEST(TimeMask, AColonTypedInTheMaskStepsOverTheMasksOwn) {
  MaskEdit e = Type({"12:34:56", 0, 0}, {Digit(0), Digit(1), key::Colon, Digit(0), Digit(2)});
  EXPECT_EQ(e.text, "01:02:56");
  EXPECT_EQ(e.caret, 5);
  e = Type({"12:34:56", 1, 0}, {key::Colon});  // no colon here: nothing changes
  EXPECT_EQ(e.text, "12:34:56");
  EXPECT_EQ(e.caret, 1);
}

TEST(TimeMask, EditingKeepsTheColonsAndTheSuffix) {
  MaskEdit e = Type({"12:34:56", 3, 0}, {key::Back});
  EXPECT_EQ(e.text, "12:34:56");  // the caret only moves back over the colon
  EXPECT_EQ(e.caret, 2);
  e = Type({"12:34:56", 2, 0}, {key::Delete, key::Delete});
  EXPECT_EQ(e.text, "12:04:56");
  e = Type({"12:34:56", 1, 5}, {key::Delete});
  EXPECT_EQ(e.text, "10:00:56");
  EXPECT_EQ(e.caret, 1);
  // A time of day's AM/PM is never overwritten, and letters are refused.
  EXPECT_EQ(Type({"02:00:00 PM", 11, 0}, {Digit(5)}).text, "02:00:05 PM");
  EXPECT_EQ(Type({"02:34:56 PM", 6, 5}, {key::Back}).text, "02:34:00 PM");
  MaskEdit other{"12:34:56", 0, 0};
  EXPECT_FALSE(ApplyTimeMaskKey(other, 'A', false));
  EXPECT_EQ(other.text, "12:34:56");
}

}  // namespace
}  // namespace tlx
