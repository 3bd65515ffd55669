#include "FakeLink.h"
#include "device/AreaCalculator.h"

#include <gtest/gtest.h>

namespace tlx::test {

TEST(AreaCalculatorTest, ListsPixelsAndSquareUnitsWithRunningAverages) {
  DeviceRig rig;
  ExperimentParameters p;
  p.CalibrateScale = 200;  // 12 inches: 0.06 inches per pixel
  p.CalibrateReference = 12;
  p.MeasurementUnits = 5;
  AreaCalculator calc(rig.commands, p, rig.answers);
  rig.Open();
  auto answer = [&](int px) {
    rig.fake.Answer(unit_bytes::ObjectAreaQuery(), {char(px & 0xFF), char(px >> 8)}, 20);
  };
  answer(1000);
  calc.Open();
  EXPECT_EQ(calc.UnitsHeading(), "Sq. Inches");
  answer(1002);
  calc.DoCalculateArea();
  EXPECT_EQ(calc.AverageValue(), "1001");
  answer(1100);
  calc.DoCalculateArea();
  EXPECT_EQ(calc.Values(), (std::vector<std::string>{"1000", "1002", "1100"}));
  EXPECT_EQ(calc.Units(), (std::vector<std::string>{"3.60", "3.61", "3.96"}));
  EXPECT_EQ(calc.AverageValue() + " " + calc.AverageUnit(), "1034 3.72");
  EXPECT_EQ(calc.SelectedIndex(), 2);

  rig.fake.Answer(unit_bytes::ObjectAreaQuery(), "", 0);  // silent unit
  calc.DoCalculateArea();
  EXPECT_EQ(calc.Values().size(), 3u);
  ASSERT_EQ(rig.answers.Messages().size(), 1u);
  EXPECT_EQ(rig.answers.Messages()[0].caption + "|" + rig.answers.Messages()[0].text,
            "ERROR|Unable to calculate area of object");

  p.CalibrateScale = 0;
  calc.ClearAverages();
  answer(700);
  calc.DoCalculateArea();
  EXPECT_EQ(calc.Units(), std::vector<std::string>{"0.00"});
  EXPECT_EQ(calc.AverageValue(), "700");
}

}  // namespace tlx::test
