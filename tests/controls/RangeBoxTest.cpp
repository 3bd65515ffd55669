#include "controls/KeyCodes.h"
#include "controls/RangeBox.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tlx {
namespace {

// A range box with its events recorded in order.
struct Box {
  ScriptedAnswers answers;
  RangeBoxModel model{answers};
  std::vector<std::string> events;

  Box() {
    model.onChange = [this] { events.push_back("Change"); };
    model.onEnter = [this] { events.push_back("Enter"); };
    model.onKeyDown = [this](int k, int) { events.push_back("Key" + std::to_string(k)); };
  }
  void TypeAndEnter(const std::string& text) {
    model.SetEditState(text, static_cast<int>(text.size()));
    EXPECT_TRUE(model.KeyDown(key::Return, 0));
  }
};

TEST(RangeBox, DefaultsAcceptZeroToTenAndWarnAboveTheLimit) {
  Box b;
  b.model.SetShowWarn(true);
  b.TypeAndEnter("12");
  EXPECT_EQ(b.model.Value(), 10);
  EXPECT_EQ(b.model.Text(), "10");
  EXPECT_EQ(b.events, (std::vector<std::string>{"Change", "Enter"}));
  ASSERT_EQ(b.answers.Messages().size(), 1u);
  const MessageRequest& m = b.answers.Messages()[0];
  EXPECT_EQ(m.caption, "Range Error");
  EXPECT_EQ(m.text, "This value must be\r\nin the range of : \r\n0 to 10");
  EXPECT_EQ(m.icon, MsgIcon::Critical);
}

TEST(RangeBox, WithoutWarningsTheValueIsClampedSilentlyAndUnchangedValuesRaiseNoChange) {
  Box b;
  b.TypeAndEnter("-3");
  EXPECT_EQ(b.model.Value(), 0);
  EXPECT_TRUE(b.answers.Messages().empty());
  EXPECT_EQ(b.events, (std::vector<std::string>{"Enter"}));  // 0 was the value before
  b.model.SetEditState("-3", 2);
  EXPECT_FALSE(b.model.CheckRange(false));
  EXPECT_TRUE(b.answers.Messages().empty());
  b.model.SetEditState("7", 1);
  EXPECT_TRUE(b.model.CheckRange(true));
}

TEST(RangeBox, PlacesRoundTheValueAndReadCommaAsDecimalPoint) {
  Box b;
  b.model.SetPlaces(2);
  b.TypeAndEnter("3,5");
  EXPECT_EQ(b.model.Value(), 3.5);
  EXPECT_EQ(b.model.Text(), "3.50");
  b.TypeAndEnter("3.14159");
  EXPECT_EQ(b.model.Value(), 3.14);  // the value kept is the value shown
  EXPECT_EQ(b.model.Text(), "3.14");
  b.TypeAndEnter("2+3*4");
  EXPECT_EQ(b.model.Value(), 10);  // 20, clamped
  b.TypeAndEnter("1e308*1e308");
  EXPECT_EQ(b.model.Value(), 10);  // overflow keeps the previous value
}

TEST(RangeBox, TypedNumberReadsLikeTheCheckButWithoutLimits) {
  Box b;
  RangeBoxProperties p;
  p.min = 1;
  p.max = 1000;
  p.places = 2;
  p.showWarn = true;
  b.model.SetProperties(p);
  auto typed = [&](const std::string& text) {
    b.model.SetEditState(text, static_cast<int>(text.size()));
    return b.model.TypedNumber();
  };
  EXPECT_EQ(typed("2,5"), 2.5);
  EXPECT_EQ(typed("240/2"), 120);
  EXPECT_EQ(typed("3.14159"), 3.14);
  EXPECT_EQ(typed("0"), 0);         // below Min: not clamped, so the caller can refuse it
  EXPECT_EQ(typed("5000"), 5000);   // above Max: not clamped either
  EXPECT_EQ(typed("abc"), std::nullopt);
  EXPECT_EQ(typed(""), std::nullopt);
  EXPECT_TRUE(b.answers.Messages().empty());
  EXPECT_EQ(b.model.Value(), 1);  // the box's own value is untouched
}

TEST(RangeBox, MessageNamesTheVariableAndOffersIndefinite) {
  EXPECT_EQ(RangeMessage("Session Length", {"00:00:05", "24:00:00"}, true, false).text,
            "\"Session Length\"\r\nmust be in the range of : \r\n00:00:05 to 24:00:00"
            "\r\nor \"Indefinite\" may be entered.");
  const MessageRequest ms = RangeMessage("", {"00:00:05", "01:00:00"}, false, true);
  EXPECT_EQ(ms.text, "This value must be\r\nin the range of :\r\n00:05 to 00:00");
  EXPECT_EQ(ms.icon, MsgIcon::Exclamation);
}

TEST(RangeBox, TimeEntryReadsDurationsAndWritesLimitsAsTimes) {
  Box b;
  RangeBoxProperties p;
  p.time = true;
  p.min = 5;
  p.max = 3600;
  p.showWarn = true;
  b.model.SetProperties(p);
  EXPECT_EQ(b.model.Text(), "00:00:05");
  b.TypeAndEnter("1:30");
  EXPECT_EQ(b.model.Value(), 90);
  EXPECT_EQ(b.model.Text(), "00:01:30");
  b.TypeAndEnter("2:00:00");
  EXPECT_EQ(b.model.Value(), 3600);
  EXPECT_EQ(b.answers.Messages().back().text,
            "This value must be\r\nin the range of : \r\n00:00:05 to 01:00:00");
  p.hideHours = true;
  b.model.SetProperties(p);
  EXPECT_EQ(b.model.Text(), "00:00");  // 3600 s as minutes and seconds
}

TEST(RangeBox, DigitKeysGoThroughTheMaskAndArePassedOn) {
  Box b;
  RangeBoxProperties p;
  p.style = RangeStyle::Duration;
  p.max = 86400;
  b.model.SetProperties(p);
  b.model.SetEditState("00:00:00", 0);
  EXPECT_TRUE(b.model.KeyDown(key::Digit0 + 1, 0));
  EXPECT_EQ(b.model.Text(), "10:00:00");
  EXPECT_FALSE(b.model.KeyDown(key::Left, 0));
  EXPECT_FALSE(b.model.KeyDown(key::Return, shiftmask::Shift));  // not a plain Enter
  EXPECT_EQ(b.events, (std::vector<std::string>{"Key49", "Key37", "Key13"}));
}

TEST(RangeBox, DurationWithIndefinite) {
  Box b;
  RangeBoxProperties p;
  p.style = RangeStyle::Duration;
  p.time = true;
  p.indefinite = true;
  p.min = 5;
  p.max = 86400;
  p.showWarn = true;
  b.model.SetProperties(p);
  EXPECT_EQ(b.model.Text(), "Indefinite");  // 0 is below Min
  for (const char* typed : {"i", "indef", " Indefinite "}) {
    b.model.SetEditState(typed, 1);
    EXPECT_TRUE(b.model.CheckRange(true)) << typed;
    EXPECT_EQ(b.model.Text(), "Indefinite");
    EXPECT_EQ(b.model.Value(), -1);
  }
  b.model.SetEditState("0:00:02", 7);
  EXPECT_FALSE(b.model.CheckRange(true));
  EXPECT_EQ(b.model.Text(), "Indefinite");
  ASSERT_EQ(b.answers.Messages().size(), 1u);
  EXPECT_NE(b.answers.Messages()[0].text.find("or \"Indefinite\" may be entered."), std::string::npos);
  b.model.SetValue(-7);
  EXPECT_EQ(b.model.Value(), -1);
  b.model.SetValue(90000);
  EXPECT_EQ(b.model.Text(), "24:00:00");
}

TEST(RangeBox, TimeOfDayStyle) {
  Box b;
  RangeBoxProperties p;
  p.style = RangeStyle::TimeOfDay;
  p.max = 86399;
  p.indefinite = true;
  b.model.SetProperties(p);
  b.model.SetValue(-1);
  EXPECT_EQ(b.model.Text(), "Immediate");
  b.model.SetValue(50400);
  EXPECT_EQ(b.model.Text(), "02:00:00 PM");
  b.model.SetValue(86400 + 59.9);
  EXPECT_EQ(b.model.Value(), 59);
  p.indefinite = false;
  b.model.SetProperties(p);
  b.model.SetValue(-1);
  EXPECT_EQ(b.model.Text(), "12:00:01 AM");
  b.model.SetValue(0);
  EXPECT_EQ(b.model.Text(), "12:00:00 AM");
  b.model.SetEditState("2:30 PM", 7);
  EXPECT_TRUE(b.model.CheckRange(false));
  EXPECT_EQ(b.model.Value(), 52200);
  EXPECT_TRUE(b.model.AcceptsCharacter('P'));  // even in digits-only mode an AM/PM is typed
}

TEST(RangeBox, WholeNumberStyleAndDigitsOnly) {
  Box b;
  RangeBoxProperties p;
  p.style = RangeStyle::WholeNumber;
  p.min = 1;
  p.max = 65535;
  p.numOnly = true;
  p.maxLength = 5;
  b.model.SetProperties(p);
  b.model.SetValue(12.5);
  EXPECT_EQ(b.model.Text(), "13");
  EXPECT_EQ(b.model.Value(), 13);
  b.model.SetValue(0);
  EXPECT_EQ(b.model.Value(), 1);
  EXPECT_FALSE(b.model.AcceptsCharacter('-'));
  EXPECT_TRUE(b.model.AcceptsCharacter('7'));
  b.model.SetEditState("65535", 5);
  EXPECT_FALSE(b.model.AcceptsCharacter('1'));  // MaxLength reached
}

TEST(RangeBox, FocusSelectsWithHighlightAndLeavingValidates) {
  Box b;
  int selects = 0;
  b.model.onSelectAll = [&] { ++selects; };
  b.model.FocusIn();
  EXPECT_EQ(selects, 0);
  RangeBoxProperties p = b.model.Props();
  p.highlight = true;
  b.model.SetProperties(p);
  b.model.FocusIn();
  EXPECT_EQ(selects, 1);
  b.model.SetEditState("4", 1);
  b.model.FocusOut();
  EXPECT_EQ(b.model.Value(), 4);
  EXPECT_EQ(b.events, (std::vector<std::string>{"Change"}));
}

}  // namespace
}  // namespace tlx
