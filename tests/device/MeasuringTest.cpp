// Measuring on the unit's picture: object areas with running averages, and distances between two
// points chosen with the mouse, and what is stored when the user accepts.
#include "FakeLink.h"
#include "device/AreaCalculator.h"
#include "device/DistanceMeasuring.h"

#include <cmath>
#include <tuple>

namespace tlx::test {
namespace {

TEST(AreaCalculatorTest, ListsPixelsAndSquareUnitsWithRunningAverages) {
  DeviceRig rig;
  // 200 pixels = 12 inches: 0.06 inches per pixel.
  ExperimentParameters p{.MeasurementUnits = 5, .CalibrateScale = 200, .DataFile = {}, .MapFile = {},
                         .CalibrateReference = 12, .UnitsPerPixel = {}};
  AreaCalculator calc(rig.commands, p, rig.answers);
  rig.Open();
  auto answer = [&](int px) {
    rig.fake.Answer(ub::ObjectAreaQuery(), {char(px & 0xFF), char(px >> 8)}, 20);
  };
  answer(1000);
  calc.Open();
  answer(1002);
  calc.DoCalculateArea();
  answer(1100);
  calc.DoCalculateArea();
  EXPECT_EQ(calc.Values(), (Texts{"1000", "1002", "1100"}));
  EXPECT_EQ(calc.Units(), (Texts{"3.60", "3.61", "3.96"}));
  EXPECT_EQ(calc.AverageValue() + " " + calc.AverageUnit(), "1034 3.72");
  EXPECT_EQ(calc.SelectedIndex(), 2);

  rig.fake.Answer(ub::ObjectAreaQuery(), "", 0);  // silent unit
  calc.DoCalculateArea();
  EXPECT_EQ(calc.Values().size(), 3u);
  EXPECT_EQ(rig.Shown(), Texts{"ERROR|Unable to calculate area of object"});

  p.CalibrateScale = 0;
  calc.ClearAverages();
  answer(700);
  calc.DoCalculateArea();
  EXPECT_EQ(calc.Units(), Texts{"0.00"});
  EXPECT_EQ(calc.AverageValue(), "700");
}

TEST(MeasuringTextTest, CursorGridAndDistanceText) {
  const std::tuple<double, double, VideoPoint> grid[] = {
      {1.0, 1.0, {255, 191}}, {0.0, 0.0, {0, 0}}, {-0.5, 7.0, {0, 191}}, {0.5, 0.5, {128, 96}},
      {std::nan(""), 0.25, {0, 48}}};
  for (const auto& [fx, fy, cursor] : grid) EXPECT_EQ(CursorFromFraction(fx, fy), cursor) << fx;
  EXPECT_FLOAT_EQ(MeasuredDistance({10, 20}, {40, 60}), 50.0f);
  EXPECT_EQ(DistanceText(50.0f, {true, 12.0f / 200.0f}, 5), "Distance = 50.00 pixels  (3.00 Inches)");
  EXPECT_EQ(DistanceText(50.0f, {false, 0}, 5), "Distance = 50.00 pixels");
}

TEST(DistanceMeasuringTest, OnlyAnAcceptedPairOfPointsIsStored) {
  DeviceRig rig;
  ExperimentParameters parameters{.MaximumDistance = 77, .CalibrateScale = 200, .DataFile = {}, .MapFile = {},
                                  .CalibrateReference = 12, .UnitsPerPixel = {}};
  DistanceMeasuring m{rig.commands, parameters};
  auto select = [&](VideoPoint p) { m.TrackCursorStep(p); m.SelectCurrentPoint(); };
  EXPECT_FALSE(m.Begin(kMeasureAmbul) || m.Active());  // nothing begins while the unit sleeps
  rig.Open();

  ASSERT_TRUE(m.Begin(kMeasureMaxDist));
  EXPECT_TRUE(parameters.UnitsPerPixel.Valid);
  select({10, 20});
  EXPECT_EQ(m.Step(), 2);
  m.TrackCursorStep({100, 20});  // moved, but no second point chosen: Enter changes nothing
  EXPECT_FALSE(m.Accept());
  EXPECT_FLOAT_EQ(parameters.MaximumDistance, 77.0f);

  ASSERT_TRUE(m.Begin(kMeasureMaxDist));
  select({10, 20});
  rig.fake.writes.clear();
  m.TrackCursorStep({40, 60});  // the line follows the cursor in step 2
  EXPECT_EQ(rig.fake.Written(),
            ub::ClearOverlay() + ub::OverlayLine(10, 20, 40, 60) + ub::OverlayCursor(40, 60));
  EXPECT_FLOAT_EQ(m.Distance(), 50.0f);
  m.SelectCurrentPoint();
  EXPECT_TRUE(m.Accept());
  EXPECT_FALSE(m.Active());
  EXPECT_FLOAT_EQ(parameters.MaximumDistance, 50.0f);

  ASSERT_TRUE(m.Begin(kMeasureCalScale));
  select({0, 0});
  select({3, 4});      // a completed pair: 5 pixels
  select({100, 100});  // starts a new measurement from here
  m.TrackCursorStep({106, 108});
  EXPECT_TRUE(m.Accept());  // the cursor's last place is the second point: 10 pixels
  EXPECT_FLOAT_EQ(parameters.CalibrateScale, 10.0f);
}

}  // namespace
}  // namespace tlx::test
