#include "FakeLink.h"
#include "device/AreaCalculator.h"

#include <gtest/gtest.h>

namespace tlx::test {
namespace {

struct AreaRig : DeviceRig {
  ExperimentParameters parameters;
  AreaCalculator calc{commands, parameters, answers};
  AreaRig(float scale, float reference) {
    parameters.CalibrateScale = scale;
    parameters.CalibrateReference = reference;
    parameters.MeasurementUnits = 5;
    Open();
  }
  void UnitAnswers(int pixels) {
    std::string reply{static_cast<char>(pixels & 0xFF), static_cast<char>(pixels >> 8)};
    fake.Answer(unit_bytes::ObjectAreaQuery(), reply, 20);
  }
};

TEST(AreaCalculatorTest, ListsPixelsAndSquareUnitsWithRunningAverages) {
  AreaRig rig(200, 12);
  rig.UnitAnswers(1000);
  rig.calc.Open();
  EXPECT_EQ(rig.calc.UnitsHeading(), "Sq. Inches");
  EXPECT_EQ(rig.calc.Values(), std::vector<std::string>{"1000"});
  EXPECT_EQ(rig.calc.Units(), std::vector<std::string>{"3.60"});
  rig.UnitAnswers(1002);
  rig.calc.DoCalculateArea();
  EXPECT_EQ(rig.calc.AverageValue(), "1001");
  EXPECT_EQ(rig.calc.Units()[1], "3.61");
  rig.UnitAnswers(1100);
  rig.calc.DoCalculateArea();
  EXPECT_EQ(rig.calc.AverageValue(), "1034");
  EXPECT_EQ(rig.calc.AverageUnit(), "3.72");  // (3.60 + 3.61 + 3.96) / 3
  EXPECT_EQ(rig.calc.SelectedIndex(), 2);

  rig.calc.ClearAverages();
  rig.UnitAnswers(500);
  rig.calc.DoCalculateArea();
  EXPECT_EQ(rig.calc.AverageValue(), "500");
}

TEST(AreaCalculatorTest, NoCalibrationGivesZeroUnitsAndSilenceGivesTheError) {
  AreaRig rig(0, 12);
  rig.UnitAnswers(700);
  rig.calc.DoCalculateArea();
  EXPECT_EQ(rig.calc.Units(), std::vector<std::string>{"0.00"});

  rig.fake.Answer(unit_bytes::ObjectAreaQuery(), "", 0);
  rig.calc.DoCalculateArea();
  EXPECT_EQ(rig.calc.Values().size(), 1u);
  EXPECT_EQ(rig.calc.AverageValue(), "700");
  ASSERT_EQ(rig.answers.Messages().size(), 1u);
  EXPECT_EQ(rig.answers.Messages()[0].caption, "ERROR");
  EXPECT_EQ(rig.answers.Messages()[0].text, "Unable to calculate area of object");
}

}  // namespace
}  // namespace tlx::test
