// Reading results back into the table the data panel shows, the session count of a reanalysis and
// the samples of one session.
#include "data/Reanalysis.h"
#include "data/ResultsTable.h"
#include "DataFileBuilder.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace tlx {
namespace {

TEST(ResultsTableLoading, SemicolonFileReadsBackTrimmedWithItsHeaderValues) {
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
}

TEST(ResultsTableLoading, DelimiterRuleRaggedRowsAndHeaderlessResults) {
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

  ParseResultsText("Sess.#,Zone,Dist\r\n 1 ,ALL,0.0\r\n 2 ,ALL,1.5\r\n", table, nullptr);
  EXPECT_EQ(SessionRows(table, 2), std::vector<std::size_t>{1});
  ResultsTable none;
  EXPECT_FALSE(LoadResultsTable("/nonexistent/R.PRN", none, nullptr));
  EXPECT_TRUE(none.Columns.empty());
}

TEST(ReanalysisSessions, CountsAndShortLastSession) {
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
}

TEST(ReanalysisSessions, SamplesOfOneSessionAndPastTheEnd) {
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
