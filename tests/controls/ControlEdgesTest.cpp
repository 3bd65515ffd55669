// Edges of the spin button and the progress box that keep their values inside what they can show.
#include "controls/BusyBoxes.h"
#include "controls/KeyCodes.h"
#include "controls/SpinButton.h"

#include <gtest/gtest.h>

#include <cmath>

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

TEST(SpinButton, RangeMessageAMaximumLoweredUnderTheValueAndTimePages) {
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

}  // namespace
}  // namespace tlx
