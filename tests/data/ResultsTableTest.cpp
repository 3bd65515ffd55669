// Reading results back into the table the data panel shows, the session count of a reanalysis,
// the samples of one session and the trace drawn from them.
#include "data/OpenData.h"
#include "data/Reanalysis.h"
#include "data/SummaryProgram.h"
#include "data/ResultsTable.h"
#include "DataFileBuilder.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace tlx {
namespace {

const char* const kSemicolonResults =
    "Expr. Filename;RAT1.DAT\r\n"
    "Map Filename;/data/RAT1.MAP\r\n"
    "Expr. start time;Sat Jan 01 00:00:00 2000\r\n"
    "Session length;00:10:00\r\n"
    "Dist. are in;Inches\r\n"
    "Sess.#;Zone;Dist;Amb.T;Ster.T;Rest.T;Vist.T;#.Vist;Latency\r\n"
    " 1 ;ALL;12,5; 3 ; 0 ; 57 ; 60 ;N/A;N/A\r\n"
    "\r\n"
    " 1 ;A;12,5; 3 ; 0 ; 57 ; 60 ; 2 ;0,2\r\n";

TEST(ResultsTableLoading, SemicolonFileReadsBackTrimmedWithItsHeaderValues) {
  ResultsTable table;
  ResultsHeaderValues header;
  ParseResultsText(kSemicolonResults, table, &header);
  EXPECT_EQ(table.Delimiter, ';');
  ASSERT_EQ(table.Columns.size(), 9u);
  EXPECT_EQ(table.Columns[8], "Latency");
  ASSERT_EQ(table.RowCount(), 2u);  // the blank line is skipped
  EXPECT_EQ(table.Rows[0], (std::vector<std::string>{"1", "ALL", "12,5", "3", "0", "57", "60", "N/A", "N/A"}));
  EXPECT_EQ(table.Rows[1][8], "0,2");
  EXPECT_TRUE(header.HaveMapFile);
  EXPECT_EQ(header.MapFile, "/data/RAT1.MAP");
  EXPECT_TRUE(header.HaveSessionLength);
  EXPECT_EQ(header.SessionLength, 600);
  EXPECT_TRUE(header.HaveUnits);
  EXPECT_EQ(header.UnitsCode, 5);
  EXPECT_FALSE(header.HaveStartTime);  // the panel's key is "Start Time"
}

TEST(ResultsTableLoading, DelimiterRuleAndRaggedRows) {
  // Only the 15th character of the "Expr. Filename" line decides; other semicolons do not.
  EXPECT_EQ(ResultsDelimiter("Expr. Filename,A;B.DAT\r\n"), ',');
  EXPECT_EQ(ResultsDelimiter("Map Filename;x\r\nExpr. Filename;A\r\n"), ';');
  EXPECT_EQ(ResultsDelimiter("Expr. Filename"), ',');
  ResultsTable table;
  ParseResultsText("Dist. are in,mm\nA,B,C\n1,2,3,4,5\n\"x,y\",z\n  \n", table, nullptr);
  ASSERT_EQ(table.Columns, (std::vector<std::string>{"A", "B", "C"}));
  ASSERT_EQ(table.RowCount(), 2u);
  EXPECT_EQ(table.Rows[0], (std::vector<std::string>{"1", "2", "3"}));  // cut to the columns
  EXPECT_EQ(table.Rows[1], (std::vector<std::string>{"x,y", "z", ""}));  // quotes group, padded
}

TEST(ResultsTableLoading, HeaderlessResultsStartAtTheColumnHeader) {
  ResultsTable table;
  ParseResultsText("Sess.#,Zone,Dist\r\n 1 ,ALL,0.0\r\n 2 ,ALL,1.5\r\n", table, nullptr);
  ASSERT_EQ(table.Columns.size(), 3u);
  ASSERT_EQ(table.RowCount(), 2u);
  EXPECT_EQ(SessionRows(table, 2), std::vector<std::size_t>{1});
  ResultsTable none;
  EXPECT_FALSE(LoadResultsTable("/nonexistent/R.PRN", none, nullptr));
  EXPECT_TRUE(none.Columns.empty());
}

TEST(ReanalysisSessions, CountsAndShortLastSession) {
  EXPECT_EQ(SessionCount(1500, 300), 5);
  EXPECT_EQ(SessionCount(1650, 300), 6);
  EXPECT_EQ(SessionCount(0, 300), 0);
  EXPECT_EQ(SessionCount(100, 0), 0);
  const SessionSplit s610 = SplitIntoSessions(610 * 5, 5, 60);
  EXPECT_EQ(s610.Sessions, 11);
  EXPECT_TRUE(s610.LastIsShort);
  const SessionSplit s600 = SplitIntoSessions(600 * 5, 5, 60);
  EXPECT_EQ(s600.Sessions, 10);
  EXPECT_FALSE(s600.LastIsShort);
  // A recording shorter than one session is one short session, as the analysis writes it.
  const SessionSplit s50 = SplitIntoSessions(50 * 5, 5, 60);
  EXPECT_EQ(s50.Sessions, 1);
  EXPECT_TRUE(s50.LastIsShort);
  EXPECT_EQ(SplitIntoSessions(100, 5, 0).Sessions, 0);
  EXPECT_EQ(ReanalysisMessage(2), "Click 'Reanalyze' to\r\ndo the reanalysis with\r\nthe current parameters.");
}

TEST(ReanalysisSessions, SamplesOfOneSessionAndPastTheEnd) {
  test::TempDir dir;
  test::DataFileBuilder b;
  for (int i = 0; i < 25; ++i) b.Add(i, 255 - i);
  test::WriteBytes(dir.File("S.DAT"), b.Bytes());
  std::vector<PositionSample> samples;
  ASSERT_TRUE(ReadSessionSamples(dir.File("S.DAT"), 3, 10, samples));
  ASSERT_EQ(samples.size(), 5u);  // the short last session
  EXPECT_EQ(samples.front(), (PositionSample{20, 235}));
  EXPECT_EQ(samples.back(), (PositionSample{24, 231}));
  ASSERT_TRUE(ReadSessionSamples(dir.File("S.DAT"), 1, 10, samples));
  EXPECT_EQ(samples.size(), 10u);
  EXPECT_EQ(samples[1], (PositionSample{1, 254}));
  EXPECT_FALSE(ReadSessionSamples(dir.File("S.DAT"), 4, 10, samples));
  EXPECT_TRUE(samples.empty());
  EXPECT_FALSE(ReadSessionSamples(dir.File("S.DAT"), 0, 10, samples));
  test::WriteBytes(dir.File("E.DAT"), test::DataFileBuilder{}.Bytes());
  EXPECT_FALSE(ReadSessionSamples(dir.File("E.DAT"), 1, 10, samples));
}

TEST(ReanalysisTrace, SkipsLostSamplesArtifactsAndSmallMoves) {
  const std::vector<PositionSample> samples = {
      {10, 255}, {10, 10}, {11, 10},  // lost; first point; 1 < 3: not drawn
      {13, 10},                       // exactly 3 from the last drawn point: drawn
      {100, 100},                     // further than 20: artifact, ignored
      {13, 200},                      // below the picture: skipped
      {20, 10}};                      // 7: drawn
  const std::vector<PositionSample> points = TracePoints(samples, 20, 3);
  EXPECT_EQ(points, (std::vector<PositionSample>{{10, 10}, {13, 10}, {20, 10}}));
}

class RecordingLauncher : public ProcessLauncher {
 public:
  long Start(const std::string&, const std::vector<std::string>& arguments) override {
    started.push_back(arguments);
    return 7;
  }
  bool SendKey(long, const std::string&) override { return true; }
  std::vector<std::vector<std::string>> started;
};

TEST(OpeningDataFiles, RunResultsMapAndSessionsOrTheRightMessage) {
  test::TempDir dir;
  ScriptedAnswers answers;
  RecordingLauncher launcher;
  SummaryProgram summary(launcher, {dir.Path(), "", ""});
  test::WriteBytes(dir.File("sumbrix"), "#!/bin/sh\n");
  OpenDataFile open;

  test::DataFileBuilder b;
  b.rateCode = 1;  // 5 per second, 60-second sessions: 300 samples each
  b.Repeat(5, 5, 1650);
  test::WriteBytes(dir.File("RAT.DAT"), b.Bytes());
  test::WriteBytes(dir.File("RAT.map"), std::string("\xFC\xAA") + std::string(768, 'q'));
  test::WriteBytes(dir.File("RAT.PRN"), kSemicolonResults);
  ASSERT_EQ(OpenDataFileForAnalysis(dir.File("RAT.DAT"), answers, &summary, open), OpenResult::Opened);
  EXPECT_EQ(open.Sessions, 6);
  EXPECT_EQ(open.MapFile, dir.File("RAT.map"));  // found in any case; the PRN's map does not exist
  EXPECT_EQ(open.Map.At(23, 31), 'q');
  EXPECT_EQ(open.Table.RowCount(), 2u);
  EXPECT_EQ(open.SessionLength, 600);  // as the results were analysed
  EXPECT_EQ(open.UnitsCode, 5);
  EXPECT_TRUE(answers.Messages().empty());

  test::WriteBytes(dir.File("E.DAT"), test::DataFileBuilder{}.Bytes());
  EXPECT_EQ(OpenDataFileForAnalysis(dir.File("E.DAT"), answers, &summary, open), OpenResult::Empty);
  ASSERT_EQ(answers.Messages().size(), 1u);
  EXPECT_EQ(answers.Messages()[0].caption, "Empty Data File");

  test::WriteBytes(dir.File("SETUP.DAT"), "\xFE\xAA" + std::string(40, '\0'));
  EXPECT_EQ(OpenDataFileForAnalysis(dir.File("SETUP.DAT"), answers, &summary, open), OpenResult::Refused);
  ASSERT_EQ(answers.Messages().size(), 2u);
  EXPECT_EQ(answers.Messages()[1].caption, "Invalid File Format");
  EXPECT_EQ(answers.Messages()[1].text, "The file SETUP.DAT\r\nis not a valid Tracelux\r\ndata file.");
  EXPECT_EQ(answers.Messages()[1].icon, MsgIcon::Exclamation);
  EXPECT_EQ(open.Info.Path, dir.File("E.DAT"));  // unchanged by a refused file

  test::WriteBytes(dir.File("SUMMARY.csv"), "a,b\r\n");
  EXPECT_EQ(OpenDataFileForAnalysis(dir.File("SUMMARY.csv"), answers, &summary, open),
            OpenResult::HandedToSummaryProgram);
  ASSERT_EQ(launcher.started.size(), 1u);
  EXPECT_EQ(launcher.started[0][1], dir.File("SUMMARY.csv"));
  EXPECT_EQ(answers.Messages().size(), 2u);
  EXPECT_EQ(OpenDataFileForAnalysis(dir.File("NONE.DAT"), answers, &summary, open), OpenResult::Missing);
}

}  // namespace
}  // namespace tlx
