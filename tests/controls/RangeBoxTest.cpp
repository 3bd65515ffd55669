// The range box, the spin button and the progress box: values kept inside their limits and what
// the user is told when a typed value is refused; the entry text beneath them: numbers, arithmetic
// and the time mask.
#include "controls/BusyBoxes.h"
#include "controls/EntryText.h"
#include "controls/KeyCodes.h"
#include "controls/RangeBox.h"
#include "controls/SpinButton.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace tlx {
namespace {

using Events = std::vector<std::string>;

// A range box with its events recorded in order.
struct Box {
  ScriptedAnswers answers;
  RangeBoxModel model{answers};
  Events events;

  explicit Box(const RangeBoxProperties& props = {}) {
    model.onChange = [this] { events.push_back("Change"); };
    model.onEnter = [this] { events.push_back("Enter"); };
    model.onKeyDown = [this](int k, int) { events.push_back("Key" + std::to_string(k)); };
    model.SetProperties(props);
  }
  void TypeAndEnter(const std::string& text) {
    model.SetEditState(text, static_cast<int>(text.size()));
    EXPECT_TRUE(model.KeyDown(key::Return, 0));
  }
  const std::string& LastText() const { return answers.Messages().back().text; }
};

TEST(RangeBox, RefusesAValueOutsideTheLimitsKeepingThePreviousOneWarningOnlyWhenAsked) {
  Box b;
  b.model.SetShowWarn(true);
  b.TypeAndEnter("7");
  b.TypeAndEnter("12");
  EXPECT_EQ(b.model.Value(), 7);
  EXPECT_EQ(b.model.Text(), "7");
  ASSERT_EQ(b.answers.Messages().size(), 1u);
  const MessageRequest& m = b.answers.Messages()[0];
  EXPECT_EQ(m.text, "This value must be\r\nin the range of : \r\n0 to 10");
  EXPECT_EQ(m.icon, MsgIcon::Critical);
  b.TypeAndEnter("1e308*1e308");  // an overflow keeps the previous value
  EXPECT_EQ(b.model.Value(), 7);

  Box quiet;
  quiet.TypeAndEnter("-3");
  EXPECT_EQ(quiet.model.Value(), 0);
  EXPECT_EQ(quiet.events, (Events{"Enter"}));  // 0 was the value before: no Change
  quiet.model.SetEditState("-3", 2);
  EXPECT_FALSE(quiet.model.CheckRange(false));
  EXPECT_TRUE(quiet.answers.Messages().empty());
}

TEST(RangeBox, TypedNumberReadsLikeTheCheckButWithoutLimits) {
  Box b(RangeBoxProperties{.min = 1, .max = 1000, .places = 2, .varName = "", .showWarn = true});
  const struct { const char* typed; std::optional<double> number; } cases[] = {
      {"3.14159", 3.14},
      {"0", 0},        // below Min: not clamped, so the caller can refuse it
      {"5000", 5000},  // above Max: not clamped either
      {"abc", std::nullopt}};
  for (const auto& c : cases) {
    b.model.SetEditState(c.typed, static_cast<int>(std::string(c.typed).size()));
    EXPECT_EQ(b.model.TypedNumber(), c.number) << c.typed;
  }
  EXPECT_TRUE(b.answers.Messages().empty());
  EXPECT_EQ(b.model.Value(), 1);  // the box's own value is untouched
}

TEST(RangeBox, MessagesNameTheVariableOfferIndefiniteAndShowTimeLimits) {
  EXPECT_EQ(RangeMessage("Session Length", {"00:00:05", "24:00:00"}, true, false).text,
            "\"Session Length\"\r\nmust be in the range of : \r\n00:00:05 to 24:00:00"
            "\r\nor \"Indefinite\" may be entered.");
  const MessageRequest ms = RangeMessage("", {"00:00:05", "01:00:00"}, false, true);
  EXPECT_EQ(ms.text, "This value must be\r\nin the range of :\r\n00:05 to 00:00");
  EXPECT_EQ(ms.icon, MsgIcon::Exclamation);

  RangeBoxProperties p{.min = 5, .max = 3600, .time = true, .varName = "", .showWarn = true};
  Box b(p);
  b.model.SetValue(600);
  b.TypeAndEnter("2:00:00");
  EXPECT_EQ(b.model.Value(), 600);
  EXPECT_EQ(b.LastText(), "This value must be\r\nin the range of : \r\n00:00:05 to 01:00:00");
  p.hideHours = true;
  b.model.SetProperties(p);
  EXPECT_EQ(b.model.Text(), "10:00");  // 600 s as minutes and seconds
}

TEST(RangeBox, DurationWithIndefinite) {
  Box b(RangeBoxProperties{.min = 5, .max = 86400, .time = true, .varName = "", .showWarn = true,
                           .style = RangeStyle::Duration, .indefinite = true});
  EXPECT_EQ(b.model.Text(), "Indefinite");  // 0 is below Min
  for (const char* typed : {"i", " Indefinite "}) {
    b.model.SetEditState(typed, 1);
    EXPECT_TRUE(b.model.CheckRange(true)) << typed;
    EXPECT_EQ(b.model.Text(), "Indefinite");
    EXPECT_EQ(b.model.Value(), -1);
  }
  b.model.SetEditState("0:00:02", 7);
  EXPECT_FALSE(b.model.CheckRange(true));
  EXPECT_EQ(b.model.Text(), "Indefinite");
  EXPECT_EQ(b.answers.Messages().size(), 1u);
}

// A refused value goes back to the value held; a box that never held one inside its limits takes
// the nearest limit, so its value is never outside them (found by fuzzing).
TEST(RangeBox, ARefusedValueNeverLeavesTheBoxOutsideItsLimits) {
  Box b(RangeBoxProperties{.min = 5, .max = 86399, .varName = ""});
  b.model.SetEditState("", 0);
  EXPECT_FALSE(b.model.CheckRange(false));
  EXPECT_EQ(b.model.Value(), 5);
  b.model.SetEditState("70", 2);
  EXPECT_TRUE(b.model.CheckRange(false));
  b.model.SetEditState("99999", 5);
  EXPECT_FALSE(b.model.CheckRange(false));
  EXPECT_EQ(b.model.Value(), 70);
}

TEST(RangeBox, TimeOfDayStyle) {
  RangeBoxProperties p{.max = 86399, .varName = "", .style = RangeStyle::TimeOfDay, .indefinite = true};
  Box b(p);
  b.model.SetValue(-1);
  EXPECT_EQ(b.model.Text(), "Immediate");
  b.model.SetValue(86400 + 59.9);
  EXPECT_EQ(b.model.Value(), 59);
  p.indefinite = false;
  b.model.SetProperties(p);
  b.model.SetValue(-1);
  EXPECT_EQ(b.model.Text(), "12:00:01 AM");
  EXPECT_TRUE(b.model.AcceptsCharacter('P'));  // even in digits-only mode an AM/PM is typed
}

TEST(RangeBox, WholeNumbersAndDigitsOnly) {
  Box b(RangeBoxProperties{.min = 1, .max = 65535, .varName = "", .style = RangeStyle::WholeNumber,
                           .numOnly = true, .maxLength = 5});
  b.model.SetValue(12.5);
  EXPECT_EQ(b.model.Text(), "13");
  b.model.SetValue(0);
  EXPECT_EQ(b.model.Value(), 1);
  EXPECT_FALSE(b.model.AcceptsCharacter('-'));
  b.model.SetEditState("65535", 5);
  EXPECT_FALSE(b.model.AcceptsCharacter('1'));  // MaxLength reached
}

TEST(SpinButton, StepAndPageLimitsRangeMessageAMaximumLoweredUnderTheValueAndTimePages) {
  EXPECT_EQ(ComputeSpinScroll({.increment = 5, .max = 10, .places = 1, .varName = ""}).largeChange,
            1);  // 0.5 rounds to 0, at least 1
  EXPECT_EQ(ComputeSpinScroll({.increment = 0, .max = 1e9, .varName = ""}).positions, 65535);
  const SpinScrollSetup s = ComputeSpinScroll({.increment = 50000, .max = 100, .varName = ""});
  EXPECT_EQ(s.largeChange, 32767);
  EXPECT_EQ(s.positions, 0);
  ScriptedAnswers answers;
  SpinButtonModel model{answers};
  model.SetProperties({.min = 1, .max = 5, .varName = "Session", .showWarn = true});
  model.SetEditText("9");
  EXPECT_FALSE(model.CheckRange(true));
  EXPECT_EQ(model.Text(), "5");
  ASSERT_EQ(answers.Messages().size(), 1u);
  EXPECT_EQ(answers.Messages()[0].text, "\"Session\"\r\nmust be in the range of : \r\n1 to 5");
  model.SetMax(3);  // fewer sessions: the value follows
  EXPECT_EQ(model.Value(), 3);

  model.SetProperties({.increment = 60, .min = 0, .max = 7200, .time = true, .varName = ""});
  model.KeyDown(key::PageUp, 0);
  EXPECT_EQ(model.Text(), "01:00:00");  // a page is 60 positions of one minute
}

TEST(ProgressBox, ValueIsLimitedAndShownAsWholePercent) {
  ProgressModel p;
  const struct { double value; const char* percent; double outline; double fill; } cases[] = {
      {150, "100%", 202, 200},
      {-5, "0%", 202, 0},
      {42.5, "43%", 102, 42.5},
      {NAN, "0%", 1, 0},  // a tiny outline never gets a negative fill
  };
  for (const auto& c : cases) {
    p.SetValue(c.value);
    EXPECT_EQ(p.PercentText(), c.percent) << c.value;
    EXPECT_DOUBLE_EQ(p.FillWidth(c.outline), c.fill) << c.value;
  }
}

// A number text is judged by its first characters; arithmetic runs left to right, skipping a
// division by zero; places are limited to ten.
TEST(EntryText, NumberTextsArithmeticAndPlaces) {
  for (const char* t : {"5", "-5", ".5"}) EXPECT_TRUE(IsNumberText(t)) << t;
  for (const char* t : {"-", "-.5", "x5", ""}) EXPECT_FALSE(IsNumberText(t)) << t;
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
