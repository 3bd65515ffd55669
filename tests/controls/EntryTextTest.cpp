#include "controls/EntryText.h"
#include "controls/KeyCodes.h"

#include <gtest/gtest.h>

namespace tlx {
namespace {

TEST(EntryText, NumberTestLooksAtTheFirstCharacters) {
  EXPECT_TRUE(IsNumberText("5"));
  EXPECT_TRUE(IsNumberText("-5"));
  EXPECT_TRUE(IsNumberText(".5"));
  EXPECT_FALSE(IsNumberText("-"));
  EXPECT_FALSE(IsNumberText("-.5"));
  EXPECT_FALSE(IsNumberText("x5"));
  EXPECT_FALSE(IsNumberText(""));
}

TEST(EntryText, ArithmeticRunsLeftToRightWithoutPrecedence) {
  EXPECT_EQ(EvaluateArithmetic("2+3*4"), 20);
  EXPECT_EQ(EvaluateArithmetic("1+2*3"), 9);
  EXPECT_EQ(EvaluateArithmetic("-5"), -5);
  EXPECT_EQ(EvaluateArithmetic("3x4"), 12);
  EXPECT_EQ(EvaluateArithmetic("3X4-2"), 10);
  EXPECT_EQ(EvaluateArithmetic("10/4"), 2.5);
  EXPECT_EQ(EvaluateArithmetic("2,5*2"), 5);  // the comma is a decimal point
  EXPECT_EQ(EvaluateArithmetic("9\xF7" "3"), 3);      // Latin-1 division sign
  EXPECT_EQ(EvaluateArithmetic("9\xC3\xB7" "3"), 3);  // the same sign in UTF-8
  EXPECT_EQ(EvaluateArithmetic("8\xF6" "2"), 4);
  EXPECT_EQ(EvaluateArithmetic("7+"), 7);  // an empty operand reads as 0
}

TEST(EntryText, DivisionByZeroIsSkippedAndOverflowGivesNothing) {
  EXPECT_EQ(EvaluateArithmetic("100/0"), 100);
  EXPECT_EQ(EvaluateArithmetic("10/0+1"), 11);
  EXPECT_FALSE(EvaluateArithmetic("1e308*1e308").has_value());
}

TEST(EntryText, PlacesAreLimitedToTen) {
  EXPECT_EQ(FormatPlaces(3.14159, 2), "3.14");
  EXPECT_EQ(FormatPlaces(2.5, 0), "3");
  EXPECT_EQ(FormatPlaces(1, 14), "1.0000000000");
  EXPECT_EQ(FormatPlaces(1, -3), "1");
}

MaskEdit Type(MaskEdit edit, std::initializer_list<int> keys, bool hideHours = false) {
  for (int k : keys) EXPECT_TRUE(ApplyTimeMaskKey(edit, k, hideHours));
  return edit;
}

int Digit(int d) { return key::Digit0 + d; }

TEST(TimeMask, DigitsOverwriteAndStepOverTheColons) {
  const MaskEdit typed = Type({"00:00:00", 0, 0}, {Digit(1), Digit(2), Digit(3), Digit(4)});
  EXPECT_EQ(typed.text, "12:34:00");
  EXPECT_EQ(typed.caret, 5);
  const MaskEdit more = Type(typed, {Digit(5), Digit(6), Digit(7)});
  EXPECT_EQ(more.text, "12:34:57");  // at the end the last digit is overwritten
  EXPECT_EQ(more.caret, 8);
  EXPECT_EQ(Type({"00:00", 0, 0}, {Digit(1), Digit(3), Digit(0)}, true).text, "13:00");
  EXPECT_EQ(Type({"00:00:00", 0, 0}, {key::Numpad0 + 9}).text, "90:00:00");
}

TEST(TimeMask, TextsThatAreNotTimesStartFromTheMask) {
  EXPECT_EQ(Type({"1:3", 3, 0}, {Digit(7)}).text, "00:70:00");
  EXPECT_EQ(Type({"Indefinite", 0, 10}, {Digit(2)}).text, "20:00:00");
}

TEST(TimeMask, BackspaceAndDeleteKeepTheColons) {
  MaskEdit e = Type({"12:34:56", 3, 0}, {key::Back});
  EXPECT_EQ(e.text, "12:34:56");  // the caret only moves back over the colon
  EXPECT_EQ(e.caret, 2);
  e = Type(e, {key::Back});
  EXPECT_EQ(e.text, "10:34:56");
  e = Type({"12:34:56", 2, 0}, {key::Delete, key::Delete});
  EXPECT_EQ(e.text, "12:04:56");
  e = Type({"12:34:56", 1, 5}, {key::Delete});
  EXPECT_EQ(e.text, "10:00:56");
  EXPECT_EQ(e.caret, 1);
}

TEST(TimeMask, TimeOfDaySuffixIsNeverOverwritten) {
  MaskEdit e = Type({"02:00:00 PM", 11, 0}, {Digit(5)});
  EXPECT_EQ(e.text, "02:00:05 PM");
  e = Type({"02:34:56 PM", 6, 5}, {key::Back});
  EXPECT_EQ(e.text, "02:34:00 PM");
  MaskEdit other{"12:34:56", 0, 0};
  EXPECT_FALSE(ApplyTimeMaskKey(other, 'A', false));
  EXPECT_EQ(other.text, "12:34:56");
}

}  // namespace
}  // namespace tlx
