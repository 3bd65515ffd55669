#include "controls/KeyCodes.h"
#include "controls/SpinButton.h"

#include <gtest/gtest.h>

namespace tlx {
namespace {

TEST(SpinScroll, StepAndPageHaveTheirLimits) {
  EXPECT_EQ(ComputeSpinScroll({.increment = 5, .max = 10, .places = 1, .varName = ""}).largeChange,
            1);  // 0.5 rounds to 0, at least 1
  EXPECT_EQ(ComputeSpinScroll({.increment = 0, .max = 1e9, .varName = ""}).positions, 65535);
  const SpinScrollSetup s = ComputeSpinScroll({.increment = 50000, .max = 100, .varName = ""});
  EXPECT_EQ(s.largeChange, 32767);
  EXPECT_EQ(s.positions, 0);
}

TEST(SpinButton, RangeMessageFollowingTheMaximumMinusAndTime) {
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
  model.ScrollTo(-4);
  EXPECT_EQ(model.Value(), 1);

  model.SetProperties({.increment = 60, .min = 0, .max = 7200, .time = true, .allowMinus = true,
                       .varName = ""});
  EXPECT_TRUE(model.AcceptsCharacter('-'));
  model.KeyDown(key::PageUp, 0);
  EXPECT_EQ(model.Text(), "01:00:00");  // a page is 60 positions of one minute
  model.SetEditText("0:01:30");
  EXPECT_EQ(model.ToFloat(), 90);
}

}  // namespace
}  // namespace tlx
