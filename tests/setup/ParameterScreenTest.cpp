// The experiment panel's transfer of values and the setup load and save commands, against a
// screen made of plain values.
#include "support/TestSupport.h"
#include "setup/ParameterScreen.h"
#include "setup/SetupFile.h"
#include "setup/Units.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <map>

namespace tlx::test {
namespace {

// A screen whose range boxes clamp to the panel's limits, as the real boxes do.
struct FakeScreen : ExperimentScreen {
  std::string file;
  bool save = false;
  std::array<double, 8> values{};
  std::map<ScreenBox, std::pair<double, double>> limits = {
      {ScreenBox::SessLen, {5, 86400}},      {ScreenBox::NumSess, {1, 65535}},
      {ScreenBox::InitDelay, {0, 86399}},    {ScreenBox::MaxDist, {0, 1e6}},
      {ScreenBox::AmbulThresh, {0, 1e6}},    {ScreenBox::StereoThresh, {0, 1e6}}};
  std::vector<std::string> units = {"mm", "cm", "m", "km", "inches", "feet", "yards", "miles",
                                    "user defined"};
  int unitIndex = -1;
  std::string unitLabel;
  std::vector<std::string> rates = {"1", "5", "30"};
  int rateIndex = -1;
  std::vector<ScreenBox> checked;

  std::string DataFileName() override { return file; }
  void SetDataFileName(const std::string& p) override { file = p; }
  bool SaveChecked() override { return save; }
  void SetSaveChecked(bool on) override { save = on; }
  double& V(ScreenBox b) { return values[static_cast<std::size_t>(b)]; }
  double BoxValue(ScreenBox b) override { return V(b); }
  void SetBoxValue(ScreenBox b, double v) override { V(b) = v; }
  bool CheckBox(ScreenBox b, bool) override {
    checked.push_back(b);
    const auto [lo, hi] = limits.at(b);
    const double v = V(b);
    V(b) = std::clamp(v, lo, hi);
    return v == V(b);
  }
  std::vector<std::string> UnitEntries() override { return units; }
  int UnitIndex() override { return unitIndex; }
  void SetUnitIndex(int i) override { unitIndex = i; }
  void SetUnitLabel(const std::string& t) override { unitLabel = t; }
  std::vector<std::string> RateEntries() override { return rates; }
  int RateIndex() override { return rateIndex; }
  void SetRateIndex(int i) override { rateIndex = i; }
};

ExperimentParameters Sample(const std::string& dataFile) {
  return {.SessionLength = 600, .NumberOfSessions = 3, .InitialDelay = 30, .MaximumDistance = 120,
          .AmbulatoryThreshold = 40, .StereotypicThreshold = 8, .MeasurementUnits = 5, .CalibrateScale = 200,
          .SampleRate = 5, .DataFile = dataFile, .SaveData = false, .MapFile = "", .CalibrateReference = 12,
          .UnitsPerPixel = {}};
}

TEST(ParameterScreenTest, RecordRoundTripsThroughTheScreen) {
  TempDir dir;
  FakeScreen screen;
  ParametersToScreen(Sample(dir.File("RAT1.DAT")), screen);
  EXPECT_TRUE(screen.save);  // ticked for a usable name, whatever Save Data held
  EXPECT_EQ(screen.unitIndex, 4);
  EXPECT_EQ(screen.unitLabel, "inches");
  EXPECT_EQ(screen.rateIndex, 1);
  EXPECT_EQ(screen.V(ScreenBox::CalibRef), 12);

  ExperimentParameters back;
  ScriptedAnswers answers;
  EXPECT_TRUE(ParametersFromScreen(back, screen, answers, kVideoNtsc));
  EXPECT_EQ(back.SessionLength, 600);
  EXPECT_EQ(back.NumberOfSessions, 3);
  EXPECT_EQ(back.MeasurementUnits, 5);
  EXPECT_EQ(back.SampleRate, 5);
  EXPECT_TRUE(back.SaveData);
  EXPECT_EQ(back.DataFile, dir.File("RAT1.DAT"));
  EXPECT_TRUE(back.UnitsPerPixel.Valid);
  EXPECT_FLOAT_EQ(back.UnitsPerPixel.Value, 0.06f);
  EXPECT_TRUE(answers.Messages().empty());
}

TEST(ParameterScreenTest, FailedBoxesAreAllReadAndCorrectedAndAZeroScaleStopsSaving) {
  FakeScreen screen;
  ParametersToScreen(Sample(""), screen);
  EXPECT_FALSE(screen.save);
  screen.V(ScreenBox::SessLen) = 2;          // below its limit
  screen.V(ScreenBox::StereoThresh) = 2e6;   // above its limit
  screen.V(ScreenBox::NumSess) = 2.5;        // ties round to even
  screen.V(ScreenBox::CalibScale) = 0;
  ExperimentParameters r;
  ScriptedAnswers answers;
  EXPECT_FALSE(ParametersFromScreen(r, screen, answers, kVideoNtsc));
  EXPECT_EQ(screen.checked.size(), 6u);  // a failure does not stop the later boxes
  EXPECT_EQ(r.SessionLength, 5);
  EXPECT_EQ(r.NumberOfSessions, 2);
  EXPECT_FLOAT_EQ(r.StereotypicThreshold, 1e6f);
  ASSERT_EQ(answers.Messages().size(), 1u);
  EXPECT_EQ(answers.Messages()[0].caption, "Invalid Value");
  EXPECT_EQ(answers.Messages()[0].text, "Calibrate Scale\r\ncannot be zero");
  EXPECT_EQ(answers.Messages()[0].icon, MsgIcon::Exclamation);
  EXPECT_FLOAT_EQ(r.CalibrateScale, 1.0f);
  EXPECT_EQ(screen.V(ScreenBox::CalibScale), 1);
  // Saving stops there: no file dialog.
  std::string folder = "/tmp";
  screen.V(ScreenBox::CalibScale) = -3;
  EXPECT_FALSE(SaveSetupCommand(r, screen, answers, kVideoNtsc, folder));
  EXPECT_TRUE(answers.FileRequests().empty());
}

TEST(ParameterScreenTest, ListPositionsOutsideTheListsAndTheFullRate) {
  FakeScreen screen;
  ParametersToScreen(Sample(""), screen);
  ExperimentParameters r;
  ScriptedAnswers answers;
  screen.unitIndex = 42;  // past the end: the last entry
  screen.rateIndex = 2;   // "30" on a PAL camera reads as 25
  ParametersFromScreen(r, screen, answers, kVideoPal);
  EXPECT_EQ(r.MeasurementUnits, 9);
  EXPECT_EQ(r.SampleRate, 25);
  screen.unitIndex = -1;  // before the start: the first entry
  screen.units.clear();
  ParametersFromScreen(r, screen, answers, kVideoNtsc);
  EXPECT_EQ(r.MeasurementUnits, 9);  // an empty list reads "Undefined"
  EXPECT_EQ(r.SampleRate, 30);
  ExperimentParameters unknownUnit = Sample("");
  unknownUnit.MeasurementUnits = 0;
  FakeScreen fresh;
  ParametersToScreen(unknownUnit, fresh);
  EXPECT_EQ(fresh.unitIndex, 0);
  EXPECT_EQ(fresh.rateIndex, 1);
}

TEST(ParameterScreenTest, SaveAndLoadFollowTheSetupFolder) {
  TempDir dir;
  FakeScreen screen;
  ParametersToScreen(Sample(""), screen);
  ExperimentParameters r;
  ScriptedAnswers answers;
  std::string folder = "/nonexistent";
  answers.QueueFile(dir.File("mine.txt"));  // the saved name gets the extension "EXP"
  ASSERT_TRUE(SaveSetupCommand(r, screen, answers, kVideoNtsc, folder));
  EXPECT_TRUE(PathExists(dir.File("mine.EXP")));
  EXPECT_EQ(folder, dir.Path());
  EXPECT_EQ(answers.FileRequests().at(0).title, "Save Experiment Setup");

  FakeScreen other;
  ExperimentParameters loaded;
  answers.QueueFile(dir.File("mine.EXP"));
  std::string loadFolder = "/";
  ASSERT_TRUE(LoadSetupCommand(loaded, other, answers, kVideoNtsc, loadFolder));
  EXPECT_EQ(loaded.SessionLength, 600);
  EXPECT_EQ(other.V(ScreenBox::SessLen), 600);  // shown on the panel
  EXPECT_EQ(loadFolder, dir.Path());

  answers.QueueFile(dir.File("missing.EXP"));
  EXPECT_FALSE(LoadSetupCommand(loaded, other, answers, kVideoNtsc, loadFolder));
  answers.QueueFile("");  // cancelled
  EXPECT_FALSE(LoadSetupCommand(loaded, other, answers, kVideoNtsc, loadFolder));
}

}  // namespace
}  // namespace tlx::test
