#include "controls/KeyCodes.h"
#include "controls/SpinButton.h"

#include <gtest/gtest.h>

namespace tlx {
namespace {

TEST(SpinScroll, StepFollowsPlacesAndIncrement) {
  SpinScrollSetup s = ComputeSpinScroll({.increment = 5, .max = 10, .places = 1, .varName = ""});
  EXPECT_DOUBLE_EQ(s.step, 0.5);
  EXPECT_EQ(s.positions, 20);
  EXPECT_EQ(s.largeChange, 1);  // 0.5 rounds to 0, at least 1
  EXPECT_EQ(ComputeSpinScroll({.increment = 0, .max = 1e9, .varName = ""}).positions, 65535);
  s = ComputeSpinScroll({.increment = 50000, .max = 100, .varName = ""});
  EXPECT_EQ(s.largeChange, 32767);
  EXPECT_EQ(s.positions, 0);
}

struct Spin {
  ScriptedAnswers answers;
  SpinButtonModel model{answers};
  int changes = 0;
  Spin(double min, double max, int places = 0, double increment = 1) {
    model.SetProperties({.increment = increment, .min = min, .max = max, .places = places, .varName = ""});
    model.onChange = [this] { ++changes; };
  }
};

TEST(SpinButton, ArrowsStepAndStopAtTheLimits) {
  Spin s(0, 2, 1, 5);
  EXPECT_EQ(s.model.Text(), "0.0");
  EXPECT_TRUE(s.model.KeyDown(key::Up, 0));
  EXPECT_EQ(s.model.Text(), "0.5");
  for (int i = 0; i < 6; ++i) s.model.KeyDown(key::Up, 0);
  EXPECT_EQ(s.model.Value(), 2);
  EXPECT_EQ(s.changes, 4);  // no change event once the top is reached
  s.model.KeyDown(key::Down, 0);
  EXPECT_EQ(s.model.Text(), "1.5");
  s.model.ScrollTo(-4);
  EXPECT_EQ(s.model.Value(), 0);
}

TEST(SpinButton, SessionPickerTakesTypedValuesWithinItsRange) {
  Spin s(1, 5);
  s.model.SetEditText("2+1");
  EXPECT_TRUE(s.model.KeyDown(key::Return, 0));
  EXPECT_EQ(s.model.Value(), 3);
  EXPECT_EQ(s.model.Position(), 2);
  EXPECT_EQ(s.changes, 1);
  SpinButtonProperties p = s.model.Props();
  p.showWarn = true;
  p.varName = "Session";
  s.model.SetProperties(p);
  s.model.SetEditText("9");
  EXPECT_FALSE(s.model.CheckRange(true));
  EXPECT_EQ(s.model.Text(), "5");
  ASSERT_EQ(s.answers.Messages().size(), 1u);
  EXPECT_EQ(s.answers.Messages()[0].text, "\"Session\"\r\nmust be in the range of : \r\n1 to 5");
  s.model.SetMax(3);  // fewer sessions: the value follows
  EXPECT_EQ(s.model.Value(), 3);
}

TEST(SpinButton, MinusOnlyWhenAllowedAndTimeShownAsDuration) {
  Spin s(-10, 10);
  EXPECT_FALSE(s.model.AcceptsCharacter('-'));
  SpinButtonProperties p = s.model.Props();
  p.allowMinus = true;
  p.time = true;
  p.min = 0;
  p.max = 7200;
  p.increment = 60;
  s.model.SetProperties(p);
  EXPECT_TRUE(s.model.AcceptsCharacter('-'));
  s.model.KeyDown(key::PageUp, 0);
  EXPECT_EQ(s.model.Text(), "01:00:00");  // a page is 60 positions of one minute
  s.model.SetEditText("0:01:30");
  EXPECT_EQ(s.model.ToFloat(), 90);
}

}  // namespace
}  // namespace tlx
