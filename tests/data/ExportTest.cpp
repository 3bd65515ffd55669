// The sample export, the export commands with their file dialog, finding and starting the
// summary program, opening a data file (or handing a summary file to that program), and reading
// results back into the table the data panel shows, with the sessions of a reanalysis.
#include "common/UserAnswers.h"
#include "data/Export.h"
#include "data/Reanalysis.h"
#include "data/ResultsTable.h"
#include "data/RecordingService.h"
#include "data/SummaryProgram.h"
#include "DataFileBuilder.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace tlx {
namespace {

using test::DataFileBuilder;

TEST(SampleExport, LinesForPositionsAndMissingObjectsAndNothingReplacedOnRefusal) {
  test::TempDir dir;
  DataFileBuilder b;
  // The last row of the picture is Y 191; every Y from 192 on is a lost sample, as the analysis
  // counts it, and is exported as the lost marker.
  b.Add({{0, 0}, {117, 191}, {100, 192}, {100, 200}, {117, 254}, {9, 255}});
  const std::string recording = b.Bytes() + "z";  // half a sample at the end is not exported
  test::WriteBytes(dir.File("S.DAT"), recording);
  test::WriteBytes(dir.File("E.DAT"), DataFileBuilder{}.Bytes());
  test::WriteBytes(dir.File("KEEP.CSV"), "keep");
  auto exported = [&](const char* data, const char* out, std::int64_t limit, char decimal) {
    const bool ok = WriteSampleExport(dir.File(data), dir.File(out), kDataStart, limit, decimal);
    return ok ? test::ReadBytes(dir.File(out)) : std::string("refused");
  };
  const std::string lost = "\"\";\"\"\r\n";
  EXPECT_EQ(exported("S.DAT", "S.CSV", -1, ','), "0;0\r\n117;191\r\n" + lost + lost + lost + lost);
  EXPECT_EQ(exported("S.DAT", "L.CSV", 4, '.'), "0,0\r\n117,191\r\n");  // limit in bytes of samples
  EXPECT_EQ(exported("E.DAT", "E.CSV", -1, '.'), "");
  // Aimed at the data file itself, or from no data file: the old file stays.
  EXPECT_EQ(exported("S.DAT", "S.DAT", -1, '.'), "refused");
  EXPECT_EQ(test::ReadBytes(dir.File("S.DAT")), recording);
  EXPECT_EQ(exported("NONE.DAT", "KEEP.CSV", -1, '.'), "refused");
  EXPECT_EQ(test::ReadBytes(dir.File("KEEP.CSV")), "keep");
}

// Records what would have been started instead of starting it.
class FakeLauncher : public ProcessLauncher {
 public:
  long Start(const std::string&, const std::vector<std::string>& arguments) override {
    started.push_back(arguments);
    return result;
  }
  bool SendKey(long taskId, const std::string& key) override {
    keys.push_back(std::to_string(taskId) + key);
    return true;
  }
  long result = 4242;
  std::vector<std::vector<std::string>> started;
  std::vector<std::string> keys;
};

void MakeProgram(const std::string& path, const std::string& script = "#!/bin/sh\n") {
  test::WriteBytes(path, script);
  ::chmod(path.c_str(), 0755);
}

TEST(SummaryProgramHandOff, SearchOrderHomeThenExecutableDirectoryThenPath) {
  test::TempDir home, exeDir, p1, p2;
  SummarySearch where{home.Path(), exeDir.Path(), p1.Path() + "::" + p2.Path()};
  EXPECT_EQ(FindSummaryProgram(where), "");
  MakeProgram(p2.File("sumbrix"));
  EXPECT_EQ(FindSummaryProgram(where), p2.File("sumbrix"));
  MakeProgram(exeDir.File("SUMBRIX.EXE"));
  EXPECT_EQ(FindSummaryProgram(where), exeDir.File("SUMBRIX.EXE"));
  MakeProgram(home.File("sumbrix"));
  EXPECT_EQ(FindSummaryProgram(where), home.File("sumbrix"));
  ::mkdir(p1.File("SUMBRIX.EXE").c_str(), 0700);  // a directory of that name is not the program
  EXPECT_EQ(FindSummaryProgram({"", "", p1.Path()}), "");
}

TEST(SummaryProgramHandOff, ClosingKeyGoesOnlyToAStartedProgram) {
  test::TempDir home;
  FakeLauncher launcher;
  SummaryProgram summary(launcher, {home.Path(), "", ""});
  summary.SendClosingKey();  // nothing started yet: no key
  MakeProgram(home.File("SUMBRIX.EXE"));
  ASSERT_TRUE(summary.Start("/data/R.CSV"));
  summary.SendClosingKey();
  launcher.result = 0;  // a failed start: no key afterwards
  EXPECT_FALSE(summary.Start("/data/R.CSV"));
  summary.SendClosingKey();
  EXPECT_EQ(launcher.started.size(), 2u);
  EXPECT_EQ(launcher.keys, std::vector<std::string>{"4242{F12}"});
}

TEST(SummaryProgramHandOff, RealSpawnPassesArgumentsUntouched) {
  test::TempDir dir;
  const std::string args = dir.File("args");
  MakeProgram(dir.File("sumbrix"),
              "#!/bin/sh\nprintf '%s|' \"$@\" > \"" + args + ".tmp\"\nmv \"" + args + ".tmp\" \"" + args + "\"\n");
  SpawnLauncher launcher;
  SummaryProgram summary(launcher, {dir.Path(), "", ""});
  ASSERT_TRUE(summary.Start("it's $HOME.CSV"));
  for (int i = 0; i < 500 && !test::PathExists(args); ++i) ::usleep(10000);
  EXPECT_EQ(test::ReadBytes(args), "it's $HOME.CSV|/NCE|");
}

// The open command's two steps, as the data panel takes them.
OpenResult OpenRecording(const std::string& path, UserAnswers& answers, SummaryProgram& summary, OpenDataFile& open) {
  DataFileInfo info;
  const OpenResult read = ReadRecordingToOpen(path, answers, &summary, info);
  return read == OpenResult::Opened ? LoadRecording(info, open) : read;
}

// Opening and exporting through the data panel (refused files, the summary program, the samples)
// is tested with the desktop; here the results file read back as it was analysed.
TEST(OpeningDataFiles, ResultsAreExportedAsAnalysedAndTheRecordingStaysAsRecorded) {
  test::TempDir dir;
  ScriptedAnswers answers;
  FakeLauncher launcher;
  SummaryProgram summary(launcher, {dir.Path(), "", ""});
  MakeProgram(dir.File("sumbrix"));
  OpenDataFile open;

  DataFileBuilder b{.rateCode = 1, .samples = {}};  // 5 per second, 60-second sessions: 300 samples each
  test::WriteBytes(dir.File("RAT.DAT"), b.Repeat(5, 5, 1649).Add(3, 255).Bytes());
  test::WriteBytes(dir.File("RAT.map"), std::string("\xFC\xAA") + std::string(768, 'q'));
  // Semicolon results analysed with 10-minute sessions in inches, naming a map that is not there.
  test::WriteBytes(dir.File("RAT.PRN"),
                   "Expr. Filename;RAT.DAT\r\nMap Filename;/data/RAT1.MAP\r\nSession length;00:10:00\r\n"
                   "Dist. are in;Inches\r\nSess.#;Zone;Dist\r\n 1 ;ALL;12,5\r\n 1 ;A;12,5\r\n 1 ;\";\";0,0\r\n");
  ASSERT_EQ(OpenRecording(dir.File("RAT.DAT"), answers, summary, open), OpenResult::Opened);
  EXPECT_EQ(open.Sessions, 1);  // of the table's 10 minutes
  EXPECT_EQ(open.Info.SessionLength, 60);  // the record stays as recorded
  EXPECT_EQ(open.Info.UnitsCode, 2);
  EXPECT_EQ(open.Map.At(23, 31), 'q');

  // A decimal comma makes the export semicolon-delimited. The map is the one found beside the data
  // file (the one the results name does not exist); length and units are as the results were analysed.
  answers.QueueFile(dir.File("RESULTS.TXT"));
  EXPECT_EQ(ExportResults(answers, open, ',', &summary), dir.File("RESULTS.CSV"));
  EXPECT_EQ(answers.FileRequests().at(0).initialDirectory, dir.Path());
  EXPECT_EQ(test::ReadBytes(dir.File("RESULTS.CSV")),
            "Expr. Filename;RAT.DAT\r\n"
            "Map Filename;" + dir.File("RAT.map") + "\r\n"
            "Expr Start Time;Sat Jan 01 00:00:00 2000\r\n"
            "Session Length;00:10:00\r\n"
            "Dist. are in;Inches\r\n"
            "Sess.#;Zone;Dist\r\n1;ALL;12,5\r\n1;A;12,5\r\n1;\";\";0,0\r\n");  // zone ";" stays one field

  // A recording without its results file exports nothing and says what to do.
  test::WriteBytes(dir.File("E.DAT"), DataFileBuilder{}.Bytes());
  EXPECT_EQ(OpenRecording(dir.File("E.DAT"), answers, summary, open), OpenResult::Empty);
  EXPECT_EQ(ExportResults(answers, open, '.', &summary), "");
  EXPECT_EQ(answers.Messages().back().text, "No results: press Reanalyze");
  EXPECT_EQ(answers.FileRequests().size(), 1u);  // no file was asked for
  EXPECT_EQ(OpenRecording(dir.File("NONE.DAT"), answers, summary, open), OpenResult::Missing);
}

TEST(ResultsTableLoading, HeaderValuesDelimiterRuleRaggedRowsAndHeaderlessResults) {
  ResultsTable table;
  ResultsHeaderValues header;
  ParseResultsText("Expr. Filename;RAT1.DAT\r\n"
                   "Map Filename;/data/RAT1.MAP\r\n"
                   "Expr. start time;Sat Jan 01 00:00:00 2000\r\n"
                   "Sess.#;Zone;Dist;Amb.T;Ster.T;Rest.T;Vist.T;#.Vist;Latency\r\n"
                   " 1 ;ALL;12,5; 3 ; 0 ; 57 ; 60 ;N/A;N/A\r\n"
                   "\r\n"
                   " 1 ;A;12,5; 3 ; 0 ; 57 ; 60 ; 2 ;0,2\r\n",
                   table, &header);
  EXPECT_EQ(table.Delimiter, ';');
  ASSERT_EQ(table.RowCount(), 2u);  // the blank line is skipped
  EXPECT_EQ(table.Rows[0], (std::vector<std::string>{"1", "ALL", "12,5", "3", "0", "57", "60", "N/A", "N/A"}));
  EXPECT_EQ(header.MapFile, "/data/RAT1.MAP");
  EXPECT_FALSE(header.HaveStartTime);  // the panel's key is "Start Time"
  // Only the 15th character of the "Expr. Filename" line decides; other semicolons do not.
  EXPECT_EQ(ResultsDelimiter("Expr. Filename,A;B.DAT\r\n"), ',');
  EXPECT_EQ(ResultsDelimiter("Map Filename;x\r\nExpr. Filename;A\r\n"), ';');
  EXPECT_EQ(ResultsDelimiter("Expr. Filename"), ',');
  ParseResultsText("Dist. are in,mm\nA,B,C\n1,2,3,4,5\n\"x,y\",z\n  \n", table, nullptr);
  ASSERT_EQ(table.Columns, (std::vector<std::string>{"A", "B", "C"}));
  ASSERT_EQ(table.RowCount(), 2u);
  EXPECT_EQ(table.Rows[0], (std::vector<std::string>{"1", "2", "3"}));  // cut to the columns
  EXPECT_EQ(table.Rows[1], (std::vector<std::string>{"x,y", "z", ""}));  // quotes group, padded

  ParseResultsText("Sess.#,Zone,Dist\r\n 1 ,ALL,0.0\r\n 2 ,ALL,1.5\r\n", table, nullptr);
  EXPECT_EQ(SessionRows(table, 2), std::vector<std::size_t>{1});
  ResultsTable none;
  EXPECT_FALSE(LoadResultsTable("/nonexistent/R.PRN", none, nullptr));
  EXPECT_TRUE(none.Columns.empty());
}

TEST(ReanalysisSessions, CountsShortLastSessionAndTheSamplesOfOne) {
  // 5 per second in 60-second sessions; a recording shorter than one session is one short
  // session, as the analysis writes it.
  const struct { std::int64_t seconds, sessions; bool short_; } splits[] = {
      {610, 11, true}, {600, 10, false}, {50, 1, true}};
  for (const auto& s : splits) {
    const SessionSplit split = SplitIntoSessions(s.seconds * 5, 5, 60);
    EXPECT_EQ(split.Sessions, s.sessions) << s.seconds;
    EXPECT_EQ(split.LastIsShort, s.short_) << s.seconds;
  }
  EXPECT_EQ(SplitIntoSessions(100, 5, 0).Sessions, 0);
  EXPECT_EQ(ReanalysisMessage(2), "Click 'Reanalyze' to\r\ndo the reanalysis with\r\nthe current parameters.");
  test::TempDir dir;
  test::DataFileBuilder b;
  for (int i = 0; i < 25; ++i) b.Add(i, 255 - i);
  test::WriteBytes(dir.File("S.DAT"), b.Bytes());
  std::vector<PositionSample> samples;
  ASSERT_TRUE(ReadSessionSamples(dir.File("S.DAT"), 3, 10, samples));  // the short last session
  EXPECT_EQ(samples, (std::vector<PositionSample>{{20, 235}, {21, 234}, {22, 233}, {23, 232}, {24, 231}}));
  EXPECT_FALSE(ReadSessionSamples(dir.File("S.DAT"), 4, 10, samples));
  EXPECT_TRUE(samples.empty());
  EXPECT_FALSE(ReadSessionSamples(dir.File("S.DAT"), 0, 10, samples));
  test::WriteBytes(dir.File("E.DAT"), test::DataFileBuilder{}.Bytes());
  EXPECT_FALSE(ReadSessionSamples(dir.File("E.DAT"), 1, 10, samples));
}

}  // namespace
}  // namespace tlx
