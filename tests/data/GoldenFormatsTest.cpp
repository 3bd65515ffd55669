// Every byte format the program writes, produced through the core from the worked example (13
// samples, two sessions, built-in map) and compared byte for byte with files written by hand from
// the format descriptions in tests/data/golden. A difference means a reader of our files breaks.
#include "data/AnalysisSetup.h"
#include "data/DataFile.h"
#include "data/Export.h"
#include "data/ResultsTable.h"
#include "data/SampleReader.h"
#include "data/TidyBatch.h"
#include "buildinfo/BuildInfo.h"
#include "run/RunJournal.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace tlx {
namespace {

const std::string kExample = test::DataPath("worked_example.DAT");

std::string Golden(const std::string& name) { return test::ReadBytes(test::DataPath("golden/" + name)); }

void Replace(std::string& text, const std::string& what, const std::string& with) {
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + with.size())) {
    text.replace(at, what.size(), with);
  }
}

std::string Results(char decimal) {
  PreparedAnalysis prepared;
  EXPECT_EQ(PrepareAnalysis(kExample, {}, prepared), PrepareProblem::None);
  std::string text;
  EXPECT_TRUE(AnalyzeDataFileTo(kExample, [&text](std::string_view s) { text += s; return true; },
                                prepared.Params, prepared.Context, {.DecimalSeparator = decimal}).Ok());
  return text;
}

TEST(GoldenFormats, ResultsFileAndBothExportsOfTheWorkedExample) {
  EXPECT_EQ(Results('.'), Golden("worked_example.PRN"));
  const ResultsExportHeader header{.DataFilePath = kExample, .MapFile = "",
                                   .Start = {2026, 3, 2, 9, 30, 0, 0}, .SessionLength = 10, .UnitsCode = 1};
  for (const auto& [decimal, golden] : {std::pair{'.', "export_comma.CSV"}, {',', "export_semicolon.CSV"}}) {
    ResultsTable table;
    ParseResultsText(Results(decimal), table, nullptr);
    EXPECT_EQ(ResultsExportText(header, table, decimal), Golden(golden)) << golden;
  }
  // The same bytes read from memory go through the same readers to the same results.
  const std::string bytes = test::ReadBytes(kExample);
  SampleFile memory;
  memory.OpenBytes(bytes);
  DataFileInfo info;
  ASSERT_TRUE(ReadDataFileInfo(memory, info));
  info.Path = kExample;
  const PreparedAnalysis prepared = PrepareRecordedAnalysis(info, {}, ZoneMap::FourQuadrants(), "");
  std::string text;
  EXPECT_TRUE(AnalyzeDataFileTo(memory, [&text](std::string_view s) { text += s; return true; },
                                prepared.Params, prepared.Context, {}).Ok());
  EXPECT_EQ(text, Golden("worked_example.PRN"));
}

TEST(GoldenFormats, TidyTableOfTheWorkedExample) {
  test::TempDir dir;
  const std::string copy = dir.File("worked_example.DAT");
  test::WriteBytes(copy, test::ReadBytes(kExample));
  std::string text;
  ASSERT_TRUE(RunTidyBatch({.DataPaths = {copy}, .Overrides = {}, .Jobs = 1},
                           [&text](std::string_view s) { text += s; return true; }).Ok());
  // The folder and the program's version are the only bytes that vary from machine to machine.
  Replace(text, dir.Path() + "/", "@DIR@/");
  Replace(text, VersionWithBuild(), "@VERSION@");
  EXPECT_EQ(text, Golden("worked_example_tidy.csv"));
}

// The worked example's data file is itself the golden file of the written data file: the same run
// written again gives the same 38 header bytes and samples.
TEST(GoldenFormats, WrittenDataFileAndRunJournal) {
  test::TempDir dir;
  const std::string data = test::ReadBytes(kExample);
  test::WriteBytes(dir.File("RUN.RAW"), data.substr(38));
  const FinishedRun run{.DataFile = dir.File("RUN.DAT"), .Start = {2026, 3, 2, 9, 30, 0, 0},
                        .SessionLength = 10, .VideoType = kVideoNtsc, .SampleRate = 1};
  // Units 1 is mm (stored as 0); the calibration 100 pixels = 50 mm.
  const ExperimentParameters p{.SessionLength = 10, .NumberOfSessions = 2, .InitialDelay = 0, .MaximumDistance = 60,
                               .AmbulatoryThreshold = 10, .StereotypicThreshold = 3, .MeasurementUnits = 1,
                               .CalibrateScale = 100, .SampleRate = 1, .DataFile = {}, .SaveData = false,
                               .MapFile = {}, .CalibrateReference = 50, .UnitsPerPixel = {}};
  ASSERT_TRUE(WriteDataFile(run, p));
  EXPECT_EQ(test::ReadBytes(run.DataFile), data);

  RunJournal journal{.DataFile = "/data/RUN.DAT", .StartTime = {2026, 3, 2, 9, 30, 0, 250}, .Parameters = p,
                      .Map = ZoneMap::FourQuadrants()};
  ASSERT_TRUE(WriteRunJournal(dir.File("RUN.JOURNAL"), journal));
  EXPECT_EQ(test::ReadBytes(dir.File("RUN.JOURNAL")), Golden("run.JOURNAL"));
  RunJournal back;  // a journal an earlier run left is still recovered from
  ASSERT_TRUE(ReadRunJournal(test::DataPath("golden/run.JOURNAL"), back));
  EXPECT_EQ(back.Map, journal.Map);
}

}  // namespace
}  // namespace tlx
