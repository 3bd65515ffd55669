// Hand-computed analyses of small crafted data files, compared as whole results text.
#include "data/Analysis.h"
#include "data/AnalysisSetup.h"
#include "data/ResultsFile.h"
#include "DataFileBuilder.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <random>

#include <unistd.h>

namespace tlx {
namespace {

using test::DataFileBuilder;

AnalysisParameters Params(int sessionLength, int rate, float maxDistance, float ambulatory,
                          float stereotypic, float scale = 1, float reference = 1) {
  AnalysisParameters p;
  p.SessionLength = sessionLength;
  p.SampleRate = static_cast<std::int16_t>(rate);
  p.MaximumDistance = maxDistance;
  p.AmbulatoryThreshold = ambulatory;
  p.StereotypicThreshold = stereotypic;
  p.CalibrateScale = scale;
  p.CalibrateReference = reference;
  p.UnitsCode = 2;
  return p;
}

struct Analysed {
  std::string text;
  AnalysisOutcome outcome;
};

Analysed Analyze(const DataFileBuilder& file, const AnalysisParameters& p,
            const ZoneMap& map = ZoneMap::FourQuadrants(), char decimal = '.', bool header = false) {
  test::TempDir dir;
  const std::string path = dir.File("RAT1.DAT");
  test::WriteBytes(path, file.Bytes());
  AnalysisContext context;
  context.DataFilePath = path;
  context.Map = map;
  context.Start = LocalDateTime{2000, 1, 1, 0, 0, 0, 0};
  AnalysisOptions options;
  options.WriteHeader = header;
  options.DecimalSeparator = decimal;
  Analysed run;
  run.outcome = AnalyzeDataFileTo(
      path, [&run](std::string_view s) { run.text += s; return true; }, p, context, options);
  return run;
}

std::string FirstLine(const std::string& text) { return text.substr(0, text.find("\r\n")); }

// Artifacts, a stereotypic second, a lost sample, zone change by an ambulatory move, latencies
// and a short session at 1 sample per second; thresholds max 50, ambulatory 3, stereotypic 2.
DataFileBuilder MixedFile() {
  DataFileBuilder b;
  b.Add({{10, 10},     // first sample, zone A: 1 visit; second 1 resting
         {10, 10},     // A entered first at 1 + 0/1 = 1.0; resting
         {20, 10},     // 10 px move: ambulatory, A distance 10; anchor -> (20,10)
         {20, 10},     // resting
         {20, 255},    // lost: no resting second
         {200, 150},   // 228 px: artifact, base -> (200,150), zone stays A; D first seen 5.0
         {201, 150},   // 1 px from base, far from anchor (20,10): stereotypic, booked to A
         {205, 150},   // 5 px: ambulatory from A into D (A distance 15), D visit 1
         {200, 150},   // 5 px: ambulatory in D (D distance 5)
         {130, 10}});  // artifact; B first seen 9.0; resting second in D
  return b;
}

TEST(AnalysisResults, MixedFileGivesTheHandComputedResultsFile) {
  // 20 px in all x 12 / 200 = 1.2; A 15 px = 0.9; D 5 px = 0.3.
  const Analysed run = Analyze(MixedFile(), Params(60, 1, 50, 3, 2, 200, 12), ZoneMap::FourQuadrants(), '.', true);
  ASSERT_TRUE(run.outcome.Ok());
  EXPECT_EQ(run.outcome.Sessions, 1);
  EXPECT_EQ(run.text,
            "Expr. Filename,RAT1.DAT\r\n"
            "Map Filename,\r\n"
            "Expr. start time,Sat Jan 01 00:00:00 2000\r\n"
            "Session length,00:01:00\r\n"
            "Dist. are in,cm\r\n"
            "Sess.#,Zone,Dist,Amb.T,Ster.T,Rest.T,Vist.T,#.Vist,Latency\r\n"
            " 1 ,ALL,1.2, 3 , 1 , 5 , 10 ,N/A,N/A\r\n"
            " 1 ,A,0.9, 1 , 1 , 4 , 7 , 1 ,1.0\r\n"
            " 1 ,B,0.0, 0 , 0 , 0 , 0 , 0 ,9.0\r\n"
            " 1 ,C,0.0, 0 , 0 , 0 , 0 , 0 ,N/A\r\n"
            " 1 ,D,0.3, 2 , 0 , 1 , 3 , 1 ,5.0\r\n");
}

TEST(AnalysisResults, DecimalCommaUsesSemicolonsAndCommaDecimals) {
  const Analysed run = Analyze(MixedFile(), Params(60, 1, 50, 3, 2, 200, 12), ZoneMap::FourQuadrants(), ',', true);
  EXPECT_NE(run.text.find("Expr. Filename;RAT1.DAT\r\n"), std::string::npos);
  EXPECT_NE(run.text.find("Sess.#;Zone;Dist;Amb.T;Ster.T;Rest.T;Vist.T;#.Vist;Latency\r\n"), std::string::npos);
  EXPECT_NE(run.text.find(" 1 ;ALL;1,2; 3 ; 1 ; 5 ; 10 ;N/A;N/A\r\n"), std::string::npos);
  EXPECT_NE(run.text.find(" 1 ;D;0,3; 2 ; 0 ; 1 ; 3 ; 1 ;5,0\r\n"), std::string::npos);
  EXPECT_EQ(run.text.find(','), run.text.find("1,2") + 1);  // no comma but decimal ones
}

TEST(AnalysisResults, ThresholdsMetExactlyAndMovesAfterAnArtifact) {
  // max 10, ambulatory 3, stereotypic 1, one pixel = one unit.
  DataFileBuilder b;
  b.Add({{40, 40},    // first; resting
         {43, 40},    // exactly 3: small; 3 from anchor > 1: stereotypic; anchor stays (40,40)
         {50, 40},    // exactly 10 = max: still a move, ambulatory (10 px); anchor -> (50,40)
         {61, 40},    // 11 > max: artifact, base -> (61,40); resting second
         {64, 40},    // 3 from the artifact's position: small; 14 from anchor: stereotypic
         {65, 40}});  // 4 > 3: ambulatory (4 px)
  const Analysed run = Analyze(b, Params(60, 1, 10, 3, 1));
  EXPECT_EQ(run.text,
            " 1 ,ALL,14.0, 2 , 2 , 2 , 6 ,N/A,N/A\r\n"
            " 1 ,A,14.0, 2 , 2 , 2 , 6 , 1 ,1.0\r\n"
            " 1 ,B,0.0, 0 , 0 , 0 , 0 , 0 ,N/A\r\n"
            " 1 ,C,0.0, 0 , 0 , 0 , 0 , 0 ,N/A\r\n"
            " 1 ,D,0.0, 0 , 0 , 0 , 0 , 0 ,N/A\r\n");
}

TEST(AnalysisResults, AmbulatoryThresholdAboveTheMaximumStillMakesLongJumpsArtifacts) {
  // max 10, ambulatory 20: nothing is ambulatory; 15 px is an artifact, not a small movement.
  DataFileBuilder b;
  b.Add({{40, 40},    // resting
         {55, 40},    // artifact: base -> (55,40); resting
         {60, 40}});  // 5 from the base: small; 20 from the anchor (40,40): stereotypic
  EXPECT_EQ(FirstLine(Analyze(b, Params(60, 1, 10, 20, 1)).text), " 1 ,ALL,0.0, 0 , 1 , 2 , 3 ,N/A,N/A");
}

TEST(AnalysisResults, SecondWithStereotypicThenAmbulatoryCountsInBothAndShortSecondIsDropped) {
  // 5 per second; max 100, ambulatory 5, stereotypic 2.
  DataFileBuilder b;
  b.Add({{10, 10}, {13, 10}, {20, 10}, {20, 10}, {20, 10}})  // stereotypic, then ambulatory 10 px
      .Repeat(20, 10, 5)                                      // resting second
      .Add({{20, 255}, {20, 200}, {20, 10}, {20, 10}, {20, 10}})  // Y 255 and Y 200: no position
      .Add({{140, 10}, {144, 10}});  // artifact (B first seen 3 + 0/5), then an unfinished second
  const Analysed run = Analyze(b, Params(60, 5, 100, 5, 2));
  EXPECT_EQ(run.text,
            " 1 ,ALL,10.0, 1 , 1 , 1 , 3 ,N/A,N/A\r\n"
            " 1 ,A,10.0, 1 , 1 , 1 , 3 , 1 ,0.2\r\n"
            " 1 ,B,0.0, 0 , 0 , 0 , 0 , 0 ,3.0\r\n"
            " 1 ,C,0.0, 0 , 0 , 0 , 0 , 0 ,N/A\r\n"
            " 1 ,D,0.0, 0 , 0 , 0 , 0 , 0 ,N/A\r\n");
}

TEST(AnalysisResults, SessionsSplitByLengthWithShortLastSessionAndLatencyResetEachSession) {
  // 5-second sessions at 1 per second: 12 samples are sessions of 5, 5 and 2 samples.
  DataFileBuilder b;
  b.Repeat(10, 10, 12);
  const Analysed run = Analyze(b, Params(5, 1, 50, 3, 2));
  EXPECT_EQ(run.outcome.Sessions, 3);
  std::string expected;
  for (const char* s : {" 1 ", " 2 ", " 3 "}) {
    const bool last = std::string(s) == " 3 ";
    const std::string t = last ? " 2 " : " 5 ";
    expected += std::string(s) + ",ALL,0.0, 0 , 0 ," + t + "," + t + ",N/A,N/A\r\n";
    expected += std::string(s) + ",A,0.0, 0 , 0 ," + t + "," + t + ", 1 ,1.0\r\n";
    for (const char* z : {"B", "C", "D"}) expected += std::string(s) + "," + z + ",0.0, 0 , 0 , 0 , 0 , 0 ,N/A\r\n";
  }
  EXPECT_EQ(run.text, expected);
}

TEST(AnalysisResults, GCellsAreNeverListedLowerCaseAndBlankCellsAreZonesOtherCodesAreNot) {
  // Columns 0-7 "G", 8-15 "a", 16-23 blank (zone 0), 24-27 code 5, 28-31 code 200.
  std::string row = std::string(8, 'G') + std::string(8, 'a') + std::string(8, ' ') +
                    std::string(4, '\x05') + std::string(4, '\xC8');
  std::string text;
  for (int r = 0; r < kMapRows; ++r) text += row;
  const ZoneMap map = ZoneMap::FromText(text);
  DataFileBuilder b;
  b.Add({{10, 10},    // in G: 1 visit, resting second booked to G
         {70, 10},    // 60 px into "a" (distance booked to G); a first seen 1.0
         {130, 10},   // 60 px into the blank zone (a distance 60); blank first seen 2.0
         {200, 10},   // 70 px into a code-5 cell: no zone from here (blank distance 70)
         {240, 10},   // 40 px, code 200: no zone
         {10, 10},    // 230 > 200: artifact
         {12, 10},    // stereotypic (anchor was (240,10)), in no zone
         {16, 10}});  // 6 px back into G: G gets its second visit
  const Analysed run = Analyze(b, Params(60, 1, 200, 3, 2), map);
  // ALL distance has every move (236 px); ALL times sum the blank zone and "a" only.
  EXPECT_EQ(run.text,
            " 1 ,ALL,236.0, 2 , 0 , 0 , 2 ,N/A,N/A\r\n"
            " 1 , ,70.0, 1 , 0 , 0 , 1 , 1 ,2.0\r\n"
            " 1 ,a,60.0, 1 , 0 , 0 , 1 , 1 ,1.0\r\n");
}

TEST(AnalysisResults, LostFirstSamplesLeaveTheZoneUnknownUntilAPosition) {
  DataFileBuilder b;
  b.Add({{10, 255},    // lost: zone unknown, no resting, no visit second
         {10, 200},    // below the picture: the same
         {10, 10},     // A first seen 2 + 0/1; the zone becomes A with 1 visit; resting
         {150, 10}});  // artifact; B first seen 3.0; resting second still in A
  const Analysed run = Analyze(b, Params(60, 1, 50, 3, 2));
  EXPECT_EQ(run.text,
            " 1 ,ALL,0.0, 0 , 0 , 2 , 2 ,N/A,N/A\r\n"
            " 1 ,A,0.0, 0 , 0 , 2 , 2 , 1 ,2.0\r\n"
            " 1 ,B,0.0, 0 , 0 , 0 , 0 , 0 ,3.0\r\n"
            " 1 ,C,0.0, 0 , 0 , 0 , 0 , 0 ,N/A\r\n"
            " 1 ,D,0.0, 0 , 0 , 0 , 0 , 0 ,N/A\r\n");
}

TEST(AnalysisResults, CalibrationIsUsedAsGivenAndNoScaleGivesZeroDistances) {
  DataFileBuilder b;
  b.Add({{40, 40}, {54, 40}});  // a resting second, then one 14 px move
  auto allLine = [&](float scale, float reference) {
    return FirstLine(Analyze(b, Params(60, 1, 50, 3, 2, scale, reference)).text);
  };
  EXPECT_EQ(allLine(2.5f, 0.5f), " 1 ,ALL,2.8, 1 , 0 , 1 , 2 ,N/A,N/A");  // not 14 x 0 / 2
  EXPECT_EQ(allLine(3, 1), " 1 ,ALL,4.7, 1 , 0 , 1 , 2 ,N/A,N/A");
  EXPECT_EQ(allLine(0, 12), " 1 ,ALL,0.0, 1 , 0 , 1 , 2 ,N/A,N/A");
  EXPECT_EQ(allLine(-4, 12), " 1 ,ALL,0.0, 1 , 0 , 1 , 2 ,N/A,N/A");
}

TEST(AnalysisResults, LatencyOfTheStartingZoneIsOneSampleAtEachRate) {
  for (const auto& [rate, latency] : {std::pair{1, "1.0"}, {5, "0.2"}, {30, "0.0"}}) {
    DataFileBuilder b;
    b.Repeat(10, 10, 3);
    const std::string text = Analyze(b, Params(60, rate, 50, 3, 2)).text;
    EXPECT_NE(text.find(std::string(" 1 ,A,0.0,") + (rate == 1 ? " 0 , 0 , 3 , 3 " : " 0 , 0 , 0 , 0 ") +
                        ", 1 ," + latency + "\r\n"),
              std::string::npos)
        << rate << "\n" << text;
  }
}

TEST(AnalysisEdges, EmptyRegionWritesOnlyTheHeader) {
  DataFileBuilder b;
  const Analysed withHeader = Analyze(b, Params(60, 1, 50, 3, 2), ZoneMap::FourQuadrants(), '.', true);
  ASSERT_TRUE(withHeader.outcome.Ok());
  EXPECT_EQ(withHeader.outcome.Sessions, 0);
  EXPECT_EQ(std::count(withHeader.text.begin(), withHeader.text.end(), '\n'), 6);
  EXPECT_EQ(Analyze(b, Params(60, 1, 50, 3, 2)).text, "");
}

TEST(AnalysisEdges, ZeroSessionLengthMakesEverySampleItsOwnSession) {
  DataFileBuilder b;
  b.Repeat(10, 10, 3);
  for (int rate : {1, 5}) {
    const Analysed run = Analyze(b, Params(0, rate, 50, 3, 2));
    EXPECT_EQ(run.outcome.Sessions, 3);
    const std::string rest = rate == 1 ? " 1 " : " 0 ";  // a second completes only at 1 per second
    EXPECT_NE(run.text.find(" 3 ,A,0.0, 0 , 0 ," + rest + "," + rest + ", 1 ,N/A\r\n"), std::string::npos)
        << run.text;
  }
}

TEST(AnalysisEdges, HugeAndNegativeThresholds) {
  DataFileBuilder b;
  b.Add({{0, 0}, {255, 191}, {0, 0}, {0, 1}});
  // Ambulatory beyond 65535: no move is ambulatory; the first long move is stereotypic.
  EXPECT_EQ(FirstLine(Analyze(b, Params(60, 1, 1e9f, 70000, 2)).text), " 1 ,ALL,0.0, 0 , 1 , 3 , 4 ,N/A,N/A");
  // A negative maximum makes every sample an artifact, even one that does not move.
  EXPECT_EQ(FirstLine(Analyze(b, Params(60, 1, -1, 3, 2)).text), " 1 ,ALL,0.0, 0 , 0 , 4 , 4 ,N/A,N/A");
}

TEST(AnalysisEdges, FeedingInAnyPiecesGivesTheSameSessions) {
  std::mt19937 random(7);
  std::vector<std::uint16_t> words;
  int x = 128, y = 96;
  for (int i = 0; i < 20000; ++i) {
    x = std::clamp(x + static_cast<int>(random() % 9) - 4, 0, 255);
    y = std::clamp(y + static_cast<int>(random() % 9) - 4, 0, 191);
    const bool lost = random() % 50 == 0;
    const bool jump = random() % 200 == 0;
    words.push_back(static_cast<std::uint16_t>((lost ? 255 : y) * 256 + (jump ? 255 - x : x)));
  }
  const AnalysisParameters p = Params(10, 30, 60, 3, 1);
  auto run = [&](std::size_t piece) {
    std::string text;
    ResultsSink sink = [&text](std::string_view s) { text += s; return true; };
    ResultsWriter writer(p, ZoneMap::FourQuadrants(), '.', sink);
    ActivityAnalyzer analyzer(p, ZoneMap::FourQuadrants(), [&](const SessionResult& s) { writer.WriteSession(s); });
    for (std::size_t i = 0; i < words.size(); i += piece) {
      analyzer.Feed(std::span<const std::uint16_t>(words.data() + i, std::min(piece, words.size() - i)));
    }
    analyzer.Finish();
    writer.Flush();
    return text;
  };
  const std::string whole = run(words.size());
  EXPECT_EQ(std::count(whole.begin(), whole.end(), '\n'), 67 * 5);  // 66 full sessions and a short one
  EXPECT_EQ(run(1), whole);
  EXPECT_EQ(run(7), whole);
  EXPECT_EQ(run(301), whole);
}

TEST(AnalysisFiles, ResultsFileIsReplacedOnlyByACompleteAnalysis) {
  test::TempDir dir;
  const std::string data = dir.File("RUN.DAT");
  const std::string results = dir.File("RUN.PRN");
  test::WriteBytes(results, "previous results");
  AnalysisContext context;
  context.DataFilePath = data;
  const AnalysisParameters p = Params(60, 1, 50, 3, 2);

  EXPECT_EQ(AnalyzeDataFile(data, results, p, context, {}).Status, AnalysisStatus::DataFileMissing);
  DataFileBuilder wrongTag = MixedFile();
  wrongTag.tag = 0xAAFE;
  test::WriteBytes(data, wrongTag.Bytes());
  EXPECT_EQ(AnalyzeDataFile(data, results, p, context, {}).Status, AnalysisStatus::NotDataFile);
  EXPECT_EQ(test::ReadBytes(results), "previous results");

  test::WriteBytes(data, MixedFile().Bytes());
  const AnalysisOutcome done = AnalyzeDataFile(data, results, p, context, {});
  ASSERT_TRUE(done.Ok());
  const std::string whole = test::ReadBytes(results);
  EXPECT_EQ(whole.substr(0, 24), "Expr. Filename,RUN.DAT\r\n");
  // Half a sample after the last one is dropped; the recording is analysed as it stands.
  test::WriteBytes(data, MixedFile().Bytes() + "x");
  ASSERT_TRUE(AnalyzeDataFile(data, results, p, context, {}).Ok());
  EXPECT_EQ(test::ReadBytes(results), whole);

  // Results aimed at the data file itself, by its name or through a link, never replace it.
  const std::string recording = MixedFile().Bytes();
  test::WriteBytes(data, recording);
  ASSERT_EQ(::symlink(data.c_str(), dir.File("LINK.PRN").c_str()), 0);
  EXPECT_EQ(AnalyzeDataFile(data, data, p, context, {}).Status, AnalysisStatus::ResultsNotWritable);
  EXPECT_EQ(AnalyzeDataFile(data, dir.File("LINK.PRN"), p, context, {}).Status,
            AnalysisStatus::ResultsNotWritable);
  EXPECT_EQ(test::ReadBytes(data), recording);
  EXPECT_EQ(AnalyzeDataFile(data, dir.File("missing/OUT.PRN"), p, context, {}).Status,
            AnalysisStatus::ResultsNotWritable);
}

TEST(AnalysisFiles, PalRecordingsAreReadAtTwentyFiveSamplesPerSecond) {
  test::TempDir dir;
  DataFileBuilder b;
  b.sessionLength5 = 1;  // 5-second sessions
  b.rateCode = 2;
  b.Repeat(10, 10, 150);
  for (const auto& [video, sessions] : {std::pair{0, 1}, {1, 2}}) {
    b.video = static_cast<std::uint16_t>(video);
    test::WriteBytes(dir.File("P.DAT"), b.Bytes());
    PreparedAnalysis prepared;
    ASSERT_EQ(PrepareAnalysis(dir.File("P.DAT"), {}, prepared), PrepareProblem::None);
    EXPECT_EQ(prepared.Params.SampleRate, video == 1 ? 25 : 30);
    const AnalysisOutcome outcome = AnalyzeDataFileTo(
        dir.File("P.DAT"), [](std::string_view) { return true; }, prepared.Params, prepared.Context, {});
    EXPECT_EQ(outcome.Sessions, sessions);
  }
}

}  // namespace
}  // namespace tlx
