// Measuring distances on the unit's picture: help texts, the mouse on the cursor grid, the two
// points and what is stored when the user accepts or leaves.
#include "FakeLink.h"
#include "common/Texts.h"
#include "device/DistanceMeasuring.h"

#include <gtest/gtest.h>

#include <cmath>

namespace tlx::test {
namespace {

namespace ub = unit_bytes;

TEST(MeasuringTextTest, HelpTextsHaveTheirTitlesAndEndings) {
  const std::string max = MeasuringHelpText(kMeasureMaxDist);
  EXPECT_EQ(LineOf(max, 1), std::string(31, ' ') + "Tracelux-One");
  EXPECT_EQ(LineOf(max, 2), std::string(29, ' ') + "Maximum Distance");
  EXPECT_EQ(LineOf(max, 3), "");
  EXPECT_EQ(LineOf(max, 4).substr(0, 24), "The maximum distance is ");
  // Mode 1 ends with its last line and one more empty line; every line ends in CR LF.
  EXPECT_EQ(max.substr(max.size() - 61), "Press ESC to exit without modifying the maximum distance.\r\n\r\n");
  const std::string cal = MeasuringHelpText(kMeasureCalScale);
  EXPECT_EQ(LineOf(cal, 2), std::string(29, ' ') + "Calibrate Scale");
  EXPECT_EQ(LineOf(cal, 3), "");
  EXPECT_EQ(LineOf(cal, 4), "");  // two empty lines for modes 2 to 4
  EXPECT_EQ(cal.substr(cal.size() - 66),
            "Press ESC to exit without modifying the scale calibration value.\r\n");
  EXPECT_NE(MeasuringHelpText(kMeasureAmbul).find("cross hairs to one end of the object"),
            std::string::npos);
  EXPECT_EQ(MeasuringHelpText(kMeasureCalScale).find("cross hairs to one end of the object and"),
            std::string::npos);  // the shared lines belong to modes 1 to 3
  EXPECT_EQ(MeasuringHelpText(0), "");
  EXPECT_EQ(MeasuringHelpText(5), "");
}

TEST(MeasuringTextTest, CursorGridAndDistanceText) {
  EXPECT_EQ(CursorFromFraction(1.0, 1.0), (VideoPoint{255, 191}));
  EXPECT_EQ(CursorFromFraction(0.0, 0.0), (VideoPoint{0, 0}));
  EXPECT_EQ(CursorFromFraction(-0.5, 7.0), (VideoPoint{0, 191}));
  EXPECT_EQ(CursorFromFraction(0.5, 0.5), (VideoPoint{128, 96}));
  EXPECT_EQ(CursorFromFraction(std::nan(""), 0.25), (VideoPoint{0, 48}));
  EXPECT_FLOAT_EQ(MeasuredDistance({10, 20}, {40, 60}), 50.0f);
  UnitsPerPixelValue inches{true, 12.0f / 200.0f};
  EXPECT_EQ(DistanceText(50.0f, inches, 5), "Distance = 50.00 pixels  (3.00 Inches)");
  EXPECT_EQ(DistanceText(50.0f, {false, 0}, 5), "Distance = 50.00 pixels");
}

struct MeasuringRig {
  DeviceRig rig;
  ExperimentParameters parameters;
  DistanceMeasuring measuring{rig.commands, parameters};
  MeasuringRig() {
    rig.Open(true);
    parameters.MaximumDistance = 77;
    parameters.CalibrateScale = 200;
    parameters.CalibrateReference = 12;
  }
  void Select(VideoPoint p) {
    measuring.TrackCursorStep(p);
    measuring.SelectCurrentPoint();
  }
};

TEST(DistanceMeasuringTest, AcceptStoresTheDistanceOfTheTwoPoints) {
  MeasuringRig m;
  ASSERT_TRUE(m.measuring.Begin(kMeasureMaxDist));
  EXPECT_TRUE(m.parameters.UnitsPerPixel.Valid);
  m.Select({10, 20});
  EXPECT_EQ(m.measuring.Step(), 2);
  m.rig.fake.writes.clear();
  m.measuring.TrackCursorStep({40, 60});  // the line follows the cursor in step 2
  std::string sent;
  for (const auto& w : m.rig.fake.writes) sent += w.second;
  EXPECT_EQ(sent, ub::ClearOverlay() + ub::OverlayLine(10, 20, 40, 60) + ub::OverlayCursor(40, 60));
  EXPECT_FLOAT_EQ(m.measuring.Distance(), 50.0f);
  m.measuring.SelectCurrentPoint();
  EXPECT_TRUE(m.measuring.Accept());
  EXPECT_FALSE(m.measuring.Active());
  EXPECT_FLOAT_EQ(m.parameters.MaximumDistance, 50.0f);
}

TEST(DistanceMeasuringTest, EnterBeforeASecondPointOrEscapeChangesNothing) {
  MeasuringRig m;
  ASSERT_TRUE(m.measuring.Begin(kMeasureMaxDist));
  m.Select({10, 20});
  m.measuring.TrackCursorStep({100, 20});  // moved, but no second point chosen
  EXPECT_FALSE(m.measuring.Accept());
  EXPECT_FLOAT_EQ(m.parameters.MaximumDistance, 77.0f);

  ASSERT_TRUE(m.measuring.Begin(kMeasureMaxDist));
  m.Select({0, 0});
  m.Select({3, 4});
  m.measuring.Escape();
  EXPECT_FALSE(m.measuring.Active());
  EXPECT_FLOAT_EQ(m.parameters.MaximumDistance, 77.0f);
}

TEST(DistanceMeasuringTest, ThirdSelectionStartsOverAndSecondPointFollowsCursor) {
  MeasuringRig m;
  ASSERT_TRUE(m.measuring.Begin(kMeasureCalScale));
  m.Select({0, 0});
  m.Select({3, 4});      // a completed pair: 5 pixels
  m.Select({100, 100});  // starts a new measurement from here
  m.measuring.TrackCursorStep({106, 108});
  EXPECT_TRUE(m.measuring.Accept());  // the cursor's last place is the second point: 10 pixels
  EXPECT_FLOAT_EQ(m.parameters.CalibrateScale, 10.0f);
}

TEST(DistanceMeasuringTest, NothingBeginsWhileTheUnitSleeps) {
  MeasuringRig m;
  m.rig.state().UnitAwake = false;
  EXPECT_FALSE(m.measuring.Begin(kMeasureAmbul));
  EXPECT_FALSE(m.measuring.Active());
}

}  // namespace
}  // namespace tlx::test
