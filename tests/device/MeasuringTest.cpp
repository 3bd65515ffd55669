// The panels that work on the unit's picture: measuring object areas with running averages and
// distances between two points chosen with the mouse (and what is stored when the user accepts),
// and the video settings: inversion with its save question, the background mask, live video, the
// object filter and the values taken when the panel is left.
#include "FakeLink.h"
#include "device/AreaCalculator.h"
#include "device/DistanceMeasuring.h"
#include "device/VideoSettings.h"

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
  auto answer = [&](int px) { rig.fake.Answer(ub::ObjectAreaQuery(), {char(px & 0xFF), char(px >> 8)}, 20); };
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

struct PanelRig : DeviceRig, SetupSystemView {
  ProgramSettings settings;
  ExperimentParameters parameters;
  VideoSettings panel{commands, settings, parameters, answers};
  std::vector<std::pair<std::string, bool>> labels;
  int liveWindows = 0;

  PanelRig() { panel.SetView(this); }
  void ShowMaskStatus(const std::string& caption, bool visible) override {
    labels.push_back({caption, visible});
  }
  void ShowLiveVideoWindow() override { ++liveWindows; }
};

// When the question is asked and what each answer does is covered with the panel's widgets.
TEST(VideoSettingsTest, YesToTheInvertQuestionSavesTheSetting) {
  PanelRig rig;
  rig.Open();
  rig.panel.InvertClicked();
  rig.answers.QueueAnswer(MsgAnswer::Yes);
  EXPECT_TRUE(rig.panel.LeavePanel());
  EXPECT_FALSE(rig.commands.State().InvertChanged);
  EXPECT_EQ(rig.Shown(), Texts{"Confirm Setting Change|The 'Video Inverted' status\r\nhas "
                               "changed.\r\n\r\nWould you like to save\r\nthis setting to the "
                               "memory\r\nof the Tracelux?"});
  EXPECT_EQ(rig.fake.writes.back().second, ub::SaveSettings());
}

TEST(VideoSettingsTest, LeavingDuringAMaskSetupCancelsItWithTheFullEndSequence) {
  PanelRig rig;
  rig.Open();
  rig.fake.Answer(ub::WakeUpProbe(), "K", 30);
  rig.panel.MaskStart();
  rig.panel.MaskStart();  // already running: nothing more is sent
  EXPECT_EQ(rig.fake.Written(), ub::ClearOverlay() + ub::MaskStart());
  ASSERT_EQ(rig.labels.size(), 1u);
  EXPECT_EQ(rig.labels[0], std::make_pair(std::string("Now setting up background mask.\r\n"
      "Click 'Done' to finish.\r\nor 'Cancel' to stop without\r\nchanging the existing mask. "), true));

  rig.fake.writes.clear();
  const std::int64_t t = rig.Ms();
  EXPECT_TRUE(rig.panel.LeavePanel());
  EXPECT_EQ(rig.fake.writes, (Writes{{t, std::string(1, '\0')}, {t, ub::Reset()},
                                     {t + 2000, ub::WakeUpProbe()}}));  // 1 s precise + 1000 ms
  EXPECT_EQ(rig.Ms() - t, 3000);
  EXPECT_TRUE(rig.state().UnitAwake && !rig.state().MaskSetupActive);
  EXPECT_EQ(rig.labels.back(), std::make_pair(std::string(), false));
  EXPECT_EQ(rig.answers.StatusTexts().front(), "Cancelling");
  EXPECT_EQ(rig.answers.StatusTexts().back(), "");
}

TEST(VideoSettingsTest, SecamIsKeptAsPalAndAClosedPortChangesOnlyTheFilterSetting) {
  PanelRig rig;
  rig.settings.VideoType = kVideoSecam;  // shown, and kept, as PAL
  rig.panel.EnterPanel();
  EXPECT_EQ(rig.panel.Controls().VideoModeIndex, 1);
  EXPECT_TRUE(rig.panel.LeavePanel());
  EXPECT_EQ(rig.settings.VideoType, kVideoPal);

  rig.panel.MaskStart();
  rig.panel.InvertClicked();
  EXPECT_FALSE(rig.panel.ViewLiveVideo());
  rig.panel.ObjectFilterClicked(true);
  EXPECT_TRUE(rig.settings.ObjectFilter);
  EXPECT_FALSE(rig.state().MaskSetupActive || rig.commands.State().InvertChanged ||
               rig.commands.State().LiveVideoOn || rig.liveWindows > 0);
  EXPECT_TRUE(rig.fake.writes.empty());

  rig.Open();
  EXPECT_TRUE(rig.panel.ViewLiveVideo());
  rig.panel.ObjectFilterClicked(false);
  EXPECT_TRUE(rig.panel.LeavePanel());  // switches live video off
  EXPECT_EQ(rig.fake.Written(), ub::LiveVideoOn() + ub::ObjectFilter(false) + ub::LiveVideoOff());
}

}  // namespace
}  // namespace tlx::test
