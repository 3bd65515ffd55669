// Every front end takes a parameter's values from one description: `setup new` writes exactly what
// a run records, and `analyze` takes exactly what the data panel and the batch window take (both
// read their entries through ParseOverrides). And the data panel's way of opening a recording
// analyses it with the map `analyze` uses.
#include "../data/DataFileBuilder.h"
#include "support/TestSupport.h"

#include "data/DataFile.h"
#include "data/Overrides.h"
#include "data/RecordingService.h"
#include "setup/ParameterRules.h"
#include "setup/ParameterTable.h"
#include "setup/SetupFile.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tlx {
namespace {

using test::RunCli;

struct Case {
  Parameter parameter;
  const char* typed;
  bool run;       // a run records it
  bool analysis;  // an analysis takes it (only for the values an analysis can change)
};

// The edges of each parameter's values.
const Case kCases[] = {
    {Parameter::SessionLength, "5", true, true},         {Parameter::SessionLength, "4", false, true},
    {Parameter::SessionLength, "1", false, true},        {Parameter::SessionLength, "0", false, false},
    {Parameter::SessionLength, "7", false, true},        {Parameter::SessionLength, "0:10:00", true, true},
    {Parameter::SessionLength, "86400", true, true},     {Parameter::SessionLength, "86401", false, false},
    {Parameter::SessionLength, "6.5", false, false},     {Parameter::SessionLength, "0:00:07.5", false, false},
    {Parameter::NumberOfSessions, "1", true, false},     {Parameter::NumberOfSessions, "0", false, false},
    {Parameter::NumberOfSessions, "65535", true, false}, {Parameter::NumberOfSessions, "65536", false, false},
    {Parameter::NumberOfSessions, "1.5", false, false},  {Parameter::InitialDelay, "0", true, false},
    {Parameter::InitialDelay, "23:59:59", true, false},  {Parameter::InitialDelay, "86400", false, false},
    {Parameter::InitialDelay, "2.5", false, false},      {Parameter::SampleRate, "1", true, false},
    {Parameter::SampleRate, "5", true, false},           {Parameter::SampleRate, "25", true, false},
    {Parameter::SampleRate, "30", true, false},          {Parameter::SampleRate, "2", false, false},
    {Parameter::SampleRate, "31", false, false},         {Parameter::SampleRate, "0", false, false},
    {Parameter::MaximumDistance, "0", true, true},       {Parameter::MaximumDistance, "-1", false, false},
    {Parameter::MaximumDistance, "2.5", true, true},     {Parameter::MaximumDistance, "1000000", true, true},
    {Parameter::MaximumDistance, "1000001", false, true}, {Parameter::AmbulatoryThreshold, "-0.5", false, false},
    {Parameter::StereotypicThreshold, "0", true, true},  {Parameter::CalibrateScale, "1", true, true},
    {Parameter::CalibrateScale, "0.5", false, true},     {Parameter::CalibrateScale, "0", false, false},
    {Parameter::CalibrateScale, "1000", true, true},     {Parameter::CalibrateScale, "1001", false, true},
    {Parameter::CalibrateReference, "0", false, false},  {Parameter::CalibrateReference, "-2", false, false},
    {Parameter::CalibrateReference, "0.5", true, true},  {Parameter::CalibrateReference, "1000000", true, true},
    {Parameter::CalibrateReference, "1000001", false, true},
};

bool AnalysisCanChange(Parameter p) {
  return p != Parameter::NumberOfSessions && p != Parameter::InitialDelay && p != Parameter::SampleRate;
}

std::string OverrideTextsField(OverrideTexts& t, Parameter p, const std::string& text) {
  switch (p) {
    case Parameter::SessionLength: t.SessionLength = text; break;
    case Parameter::MaximumDistance: t.MaximumDistance = text; break;
    case Parameter::AmbulatoryThreshold: t.AmbulatoryThreshold = text; break;
    case Parameter::StereotypicThreshold: t.StereotypicThreshold = text; break;
    case Parameter::CalibrateScale: t.CalibrateScale = text; break;
    case Parameter::CalibrateReference: t.CalibrateReference = text; break;
    default: break;
  }
  return text;
}

TEST(ParameterAgreement, EveryEntryOfAParameterAcceptsAndRefusesTheSameValues) {
  test::TempDir dir;
  test::WriteBytes(dir.File("OK.DAT"), test::DataFileBuilder{}.Add({{10, 10}, {20, 10}, {30, 10}}).Bytes());
  for (const Case& c : kCases) {
    const ParameterSpec& spec = SpecOf(c.parameter);
    const std::string what = std::string(spec.Option) + " " + c.typed;
    // `setup new`: refused as a usage error exactly when a run could not have the value; what it
    // writes reads back unchanged and is what a run starts with.
    const auto made = RunCli({"setup", "new", "S.EXP", "--force", spec.Option, c.typed}, dir.Path());
    EXPECT_EQ(made.exitCode, c.run ? 0 : 2) << what << ": " << made.err;
    if (c.run && made.exitCode == 0) {
      ExperimentParameters written;
      ASSERT_TRUE(LoadParameters(dir.File("S.EXP"), written)) << what;
      ExperimentParameters loaded = written;
      SanitiseParameters(loaded);
      EXPECT_EQ(SetupFileText(loaded), SetupFileText(written)) << what;
      EXPECT_EQ(RecordingProblem(loaded), "") << what;
    }
    if (!AnalysisCanChange(c.parameter)) continue;
    // `analyze`, and the panels' reading of the same text (with the desktop's decimal comma).
    const auto analysed = RunCli({"analyze", "OK.DAT", spec.Option, c.typed}, dir.Path());
    EXPECT_EQ(analysed.exitCode, c.analysis ? 0 : 2) << what << ": " << analysed.err;
    OverrideTexts typed;
    OverrideTextsField(typed, c.parameter, c.typed);
    AnalysisOverrides changes;
    EXPECT_EQ(ParseOverrides(typed, changes, true).Field == OverrideField::None, c.analysis) << what;
  }
  // A fraction of a second is named as such, never rounded.
  EXPECT_NE(RunCli({"analyze", "OK.DAT", "--session-length", "6.5"}, dir.Path()).err.find(
                "'6.5' is not a whole number of seconds"),
            std::string::npos);
  // A calibration each value of which a run takes, but which the data file cannot hold exactly,
  // is refused by `setup new` as by the run.
  const auto calibration = RunCli({"setup", "new", "C.EXP", "--scale", "1000", "--reference", "0.01", "--units", "m"},
                                  dir.Path());
  EXPECT_EQ(calibration.exitCode, 2) << calibration.err;
  EXPECT_FALSE(std::filesystem::exists(dir.File("C.EXP")));
}

// A start time the data file cannot count is refused with the range it can, never clamped.
TEST(ParameterAgreement, StartTimesPastTheDataFilesRangeAreRefused) {
  const LocalDateTime last{2036, 2, 5, 23, 28, 15, 0};
  EXPECT_EQ(StartTimeProblem(last), "");
  EXPECT_EQ(DateToFileSeconds(last), 4294967295u);
  EXPECT_EQ(StartTimeProblem({2036, 2, 5, 23, 28, 16, 0}),
            "a data file holds start times from 1899-12-30 17:00:00 to 2036-02-05 23:28:15");
  EXPECT_NE(StartTimeProblem({1899, 12, 30, 16, 59, 59, 0}), "");
  EXPECT_EQ(StartTimeProblem({1899, 12, 30, 17, 0, 0, 0}), "");
  test::TempDir dir;
  ASSERT_EQ(RunCli({"setup", "new", "S.EXP", "--data-file", "S.DAT", "--session-length", "5"}, dir.Path()).exitCode, 0);
  const auto late = RunCli({"run", "--setup", "S.EXP", "--home", dir.File("h"), "--quiet", "--sim-start",
                            "2040-01-01 00:00:00"}, dir.Path());
  EXPECT_EQ(late.exitCode, 2) << late.err;
  EXPECT_NE(late.err.find("2036-02-05 23:28:15"), std::string::npos) << late.err;
  EXPECT_FALSE(std::filesystem::exists(dir.File("S.DAT")));
}

std::string MapBytes(char zone) { return std::string("\xFC\xAA") + std::string(768, zone); }

TEST(ParameterAgreement, TheDataPanelAndAnalyzeUseTheMapSavedBesideTheRecording) {
  test::TempDir dir;
  const std::string data = dir.File("RAT.DAT");
  test::WriteBytes(data, test::DataFileBuilder{}.Add({{10, 10}, {20, 10}, {200, 150}, {200, 150}}).Bytes());
  test::WriteBytes(dir.File("RAT.MAP"), MapBytes('B'));
  test::WriteBytes(dir.File("OTHER.MAP"), MapBytes('C'));
  // The run's results name another map (it was edited, or the run used a copy elsewhere).
  test::WriteBytes(dir.File("RAT.PRN"), "Expr. Filename,RAT.DAT\r\nMap Filename," + dir.File("OTHER.MAP") +
                                            "\r\nSession length,00:01:00\r\nDist. are in,cm\r\n");

  DataFileInfo info;
  ASSERT_TRUE(LoadDataFileInfo(data, info));
  OpenDataFile open;
  LoadRecording(info, open);
  EXPECT_EQ(open.MapFile, dir.File("RAT.MAP"));
  const PreparedAnalysis panel = PrepareRecordedAnalysis(open.Info, {}, open.Map, open.MapFile);
  std::string panelResults;
  AnalysisOptions options;
  ASSERT_TRUE(AnalyzeDataFileTo(data, [&panelResults](std::string_view piece) {
                panelResults += piece;
                return true;
              }, panel.Params, panel.Context, options).Ok());
  const auto cli = RunCli({"analyze", data, "--decimal-point"}, dir.Path());
  ASSERT_EQ(cli.exitCode, 0) << cli.err;
  EXPECT_EQ(cli.out, panelResults);
  EXPECT_NE(cli.out.find("Map Filename," + dir.File("RAT.MAP")), std::string::npos) << cli.out;
}

}  // namespace
}  // namespace tlx
