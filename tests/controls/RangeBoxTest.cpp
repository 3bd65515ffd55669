#include "controls/KeyCodes.h"
#include "controls/RangeBox.h"

#include <gtest/gtest.h>

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

  explicit Box(const RangeBoxProperties* props = nullptr) {
    model.onChange = [this] { events.push_back("Change"); };
    model.onEnter = [this] { events.push_back("Enter"); };
    model.onKeyDown = [this](int k, int) { events.push_back("Key" + std::to_string(k)); };
    if (props) model.SetProperties(*props);
  }
  explicit Box(const RangeBoxProperties& props) : Box(&props) {}
  void TypeAndEnter(const std::string& text) {
    model.SetEditState(text, static_cast<int>(text.size()));
    EXPECT_TRUE(model.KeyDown(key::Return, 0));
  }
  const std::string& LastText() const { return answers.Messages().back().text; }
};

TEST(RangeBox, ClampsToTheDefaultLimitsWarningOnlyWhenAsked) {
  Box b;
  b.model.SetShowWarn(true);
  b.TypeAndEnter("12");
  EXPECT_EQ(b.model.Value(), 10);
  EXPECT_EQ(b.model.Text(), "10");
  EXPECT_EQ(b.events, (Events{"Change", "Enter"}));
  ASSERT_EQ(b.answers.Messages().size(), 1u);
  const MessageRequest& m = b.answers.Messages()[0];
  EXPECT_EQ(m.caption, "Range Error");
  EXPECT_EQ(m.text, "This value must be\r\nin the range of : \r\n0 to 10");
  EXPECT_EQ(m.icon, MsgIcon::Critical);

  Box quiet;
  quiet.TypeAndEnter("-3");
  EXPECT_EQ(quiet.model.Value(), 0);
  EXPECT_EQ(quiet.events, (Events{"Enter"}));  // 0 was the value before: no Change
  quiet.model.SetEditState("-3", 2);
  EXPECT_FALSE(quiet.model.CheckRange(false));
  quiet.model.SetEditState("7", 1);
  EXPECT_TRUE(quiet.model.CheckRange(true));
  EXPECT_TRUE(quiet.answers.Messages().empty());
}

TEST(RangeBox, PlacesRoundTheValueAndReadCommaAsDecimalPoint) {
  Box b;
  b.model.SetPlaces(2);
  const struct { const char* typed; double value; const char* shown; } cases[] = {
      {"3,5", 3.5, "3.50"},
      {"3.14159", 3.14, "3.14"},  // the value kept is the value shown
      {"2+3*4", 10, "10.00"},     // 20, clamped
      {"1e308*1e308", 10, "10.00"},  // overflow keeps the previous value
  };
  for (const auto& c : cases) {
    b.TypeAndEnter(c.typed);
    EXPECT_EQ(b.model.Value(), c.value) << c.typed;
    EXPECT_EQ(b.model.Text(), c.shown) << c.typed;
  }
}

TEST(RangeBox, TypedNumberReadsLikeTheCheckButWithoutLimits) {
  Box b(RangeBoxProperties{.min = 1, .max = 1000, .places = 2, .varName = "", .showWarn = true});
  const struct { const char* typed; std::optional<double> number; } cases[] = {
      {"2,5", 2.5}, {"240/2", 120}, {"3.14159", 3.14},
      {"0", 0},        // below Min: not clamped, so the caller can refuse it
      {"5000", 5000},  // above Max: not clamped either
      {"abc", std::nullopt}, {"", std::nullopt}};
  for (const auto& c : cases) {
    b.model.SetEditState(c.typed, static_cast<int>(std::string(c.typed).size()));
    EXPECT_EQ(b.model.TypedNumber(), c.number) << c.typed;
  }
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
  RangeBoxProperties p{.min = 5, .max = 3600, .time = true, .varName = "", .showWarn = true};
  Box b(p);
  EXPECT_EQ(b.model.Text(), "00:00:05");
  b.TypeAndEnter("1:30");
  EXPECT_EQ(b.model.Value(), 90);
  EXPECT_EQ(b.model.Text(), "00:01:30");
  b.TypeAndEnter("2:00:00");
  EXPECT_EQ(b.model.Value(), 3600);
  EXPECT_EQ(b.LastText(), "This value must be\r\nin the range of : \r\n00:00:05 to 01:00:00");
  p.hideHours = true;
  b.model.SetProperties(p);
  EXPECT_EQ(b.model.Text(), "00:00");  // 3600 s as minutes and seconds
}

TEST(RangeBox, DigitKeysGoThroughTheMaskAndArePassedOn) {
  Box b(RangeBoxProperties{.max = 86400, .varName = "", .style = RangeStyle::Duration});
  b.model.SetEditState("00:00:00", 0);
  EXPECT_TRUE(b.model.KeyDown(key::Digit0 + 1, 0));
  EXPECT_EQ(b.model.Text(), "10:00:00");
  EXPECT_FALSE(b.model.KeyDown(key::Left, 0));
  EXPECT_FALSE(b.model.KeyDown(key::Return, shiftmask::Shift));  // not a plain Enter
  EXPECT_EQ(b.events, (Events{"Key49", "Key37", "Key13"}));
}

TEST(RangeBox, DurationWithIndefinite) {
  Box b(RangeBoxProperties{.min = 5, .max = 86400, .time = true, .varName = "", .showWarn = true,
                           .style = RangeStyle::Duration, .indefinite = true});
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
  EXPECT_NE(b.LastText().find("or \"Indefinite\" may be entered."), std::string::npos);
  b.model.SetValue(-7);
  EXPECT_EQ(b.model.Value(), -1);
  b.model.SetValue(90000);
  EXPECT_EQ(b.model.Text(), "24:00:00");
}

TEST(RangeBox, TimeOfDayStyle) {
  RangeBoxProperties p{.max = 86399, .varName = "", .style = RangeStyle::TimeOfDay, .indefinite = true};
  Box b(p);
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
  Box b(RangeBoxProperties{.min = 1, .max = 65535, .varName = "", .style = RangeStyle::WholeNumber,
                           .numOnly = true, .maxLength = 5});
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
  EXPECT_EQ(b.events, (Events{"Change"}));
}

}  // namespace
}  // namespace tlx
