// Hand-computed analyses of small crafted data files, compared as whole results text; the results
// file an analysis writes; and the streaming analysis against a plain sample-by-sample
// transcription of the rules (no tables, no squared comparisons, one sample at a time), on random
// recordings, maps and parameters, fed to the engine in pieces of any size.
#include "data/Analysis.h"
#include "data/ResultsFile.h"
#include "DataFileBuilder.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <unistd.h>

namespace tlx {
namespace {

using test::DataFileBuilder;
using test::Params;
using Points = std::vector<std::pair<int, int>>;

// The results text of analysing `file`; an analysis that fails gives "failed".
std::string Analyze(const DataFileBuilder& file, const AnalysisParameters& p,
                 const ZoneMap& map = ZoneMap::FourQuadrants(), char decimal = '.', bool header = false) {
  test::TempDir dir;
  const std::string path = dir.File("RAT1.DAT");
  test::WriteBytes(path, file.Bytes());
  const AnalysisContext context{.DataFilePath = path, .MapFileName = {}, .Map = map, .Start = {}};
  std::string text;
  const AnalysisOutcome outcome = AnalyzeDataFileTo(path, [&text](std::string_view s) { text += s; return true; },
                                                    p, context, {.WriteHeader = header, .DecimalSeparator = decimal});
  return outcome.Ok() ? text : "failed";
}

std::string FirstLine(const std::string& text) { return text.substr(0, text.find("\r\n")); }

TEST(AnalysisResults, LostFirstSamplesThenThresholdsMetExactlyAndMovesAfterAnArtifact) {
  // max 10, ambulatory 3, stereotypic 1, one pixel = one unit.
  const Points points = {
      {10, 255},  // lost: zone unknown, no resting, no visit second
      {10, 200},  // below the picture: the same
      {40, 40},   // A first seen 2 + 0/1; the zone becomes A with 1 visit; resting
      {43, 40},   // exactly 3: small; 3 from anchor > 1: stereotypic; anchor stays (40,40)
      {50, 40},   // exactly 10 = max: still a move, ambulatory (10 px); anchor -> (50,40)
      {61, 40},   // 11 > max: artifact, base -> (61,40); resting second
      {64, 40},   // 3 from the artifact's position: small; 14 from anchor: stereotypic
      {65, 40}};  // 4 > 3: ambulatory (4 px)
  EXPECT_EQ(Analyze(DataFileBuilder{}.Add(points), Params(60, 1, 10, 3, 1)),
            " 1 ,ALL,14.0, 2 , 2 , 2 , 6 ,N/A,N/A\r\n"
            " 1 ,A,14.0, 2 , 2 , 2 , 6 , 1 ,2.0\r\n"
            " 1 ,B,0.0, 0 , 0 , 0 , 0 , 0 ,N/A\r\n"
            " 1 ,C,0.0, 0 , 0 , 0 , 0 , 0 ,N/A\r\n"
            " 1 ,D,0.0, 0 , 0 , 0 , 0 , 0 ,N/A\r\n");
}

TEST(AnalysisResults, SecondWithStereotypicThenAmbulatoryCountsInBothAndShortSecondIsDropped) {
  // 5 per second; max 100, ambulatory 5, stereotypic 2.
  DataFileBuilder b;
  b.Add({{10, 10}, {13, 10}, {20, 10}, {20, 10}, {20, 10}})  // stereotypic, then ambulatory 10 px
      .Repeat(20, 10, 5)                                      // resting second
      .Add({{20, 255}, {20, 200}, {20, 10}, {20, 10}, {20, 10}})  // Y 255 and Y 200: no position
      .Add({{140, 10}, {144, 10}});  // artifact (B first seen 3 + 0/5), then an unfinished second
  EXPECT_EQ(Analyze(b, Params(60, 5, 100, 5, 2)),
            " 1 ,ALL,10.0, 1 , 1 , 1 , 3 ,N/A,N/A\r\n"
            " 1 ,A,10.0, 1 , 1 , 1 , 3 , 1 ,0.2\r\n"
            " 1 ,B,0.0, 0 , 0 , 0 , 0 , 0 ,3.0\r\n"
            " 1 ,C,0.0, 0 , 0 , 0 , 0 , 0 ,N/A\r\n"
            " 1 ,D,0.0, 0 , 0 , 0 , 0 , 0 ,N/A\r\n");
}

TEST(AnalysisResults, ExtremeThresholdsAndCalibrationOnTheAllLine) {
  const Points jump = {{40, 40}, {55, 40}, {60, 40}}, move = {{40, 40}, {54, 40}};
  const Points corners = {{0, 0}, {255, 191}, {0, 0}, {0, 1}};
  const struct { Points points; AnalysisParameters p; const char* all; } cases[] = {
      // Ambulatory 20 above a maximum of 10: the 15 px jump is an artifact, not a small movement;
      // 5 px on from it but 20 from the anchor is stereotypic.
      {jump, Params(60, 1, 10, 20, 1), " 1 ,ALL,0.0, 0 , 1 , 2 , 3 ,N/A,N/A"},
      // Calibration is used as given: 14 px x 0.5 / 2.5 (not 14 x 0 / 2); a negative scale gives zero.
      {move, Params(60, 1, 50, 3, 2, 2.5f, 0.5f), " 1 ,ALL,2.8, 1 , 0 , 1 , 2 ,N/A,N/A"},
      {move, Params(60, 1, 50, 3, 2, -4, 12), " 1 ,ALL,0.0, 1 , 0 , 1 , 2 ,N/A,N/A"},
      // Ambulatory beyond 65535: no move is ambulatory; the first long move is stereotypic.
      {corners, Params(60, 1, 1e9f, 70000, 2), " 1 ,ALL,0.0, 0 , 1 , 3 , 4 ,N/A,N/A"},
      // A negative maximum makes every sample an artifact, even one that does not move.
      {corners, Params(60, 1, -1, 3, 2), " 1 ,ALL,0.0, 0 , 0 , 4 , 4 ,N/A,N/A"},
  };
  for (const auto& c : cases) EXPECT_EQ(FirstLine(Analyze(DataFileBuilder{}.Add(c.points), c.p)), c.all);
}

TEST(AnalysisResults, GCellsAreNeverListedLowerCaseAndBlankCellsAreZonesOtherCodesAreNot) {
  // Columns 0-7 "G", 8-15 "a", 16-23 blank (zone 0), 24-27 code 5, 28-31 code 200.
  std::string text;
  for (int r = 0; r < kMapRows; ++r) {
    text += std::string(8, 'G') + std::string(8, 'a') + std::string(8, ' ') + "\x05\x05\x05\x05\xC8\xC8\xC8\xC8";
  }
  DataFileBuilder b;
  b.Add({{10, 10},    // in G: 1 visit, resting second booked to G
         {70, 10},    // 60 px into "a" (distance booked to G); a first seen 1.0
         {130, 10},   // 60 px into the blank zone (a distance 60); blank first seen 2.0
         {200, 10},   // 70 px into a code-5 cell: no zone from here (blank distance 70)
         {240, 10},   // 40 px, code 200: no zone
         {10, 10},    // 230 > 200: artifact
         {12, 10},    // stereotypic (anchor was (240,10)), in no zone
         {16, 10}});  // 6 px back into G: G gets its second visit
  // ALL distance has every move (236 px); ALL times sum the blank zone and "a" only.
  EXPECT_EQ(Analyze(b, Params(60, 1, 200, 3, 2), ZoneMap::FromText(text)),
            " 1 ,ALL,236.0, 2 , 0 , 0 , 2 ,N/A,N/A\r\n"
            " 1 , ,70.0, 1 , 0 , 0 , 1 , 1 ,2.0\r\n"
            " 1 ,a,60.0, 1 , 0 , 0 , 1 , 1 ,1.0\r\n");
}

TEST(AnalysisSessions, EmptyRegionWritesOnlyTheHeaderAndZeroLengthIsRefused) {
  const std::string empty = Analyze(DataFileBuilder{}, Params(60, 1, 50, 3, 2), ZoneMap::FourQuadrants(), '.', true);
  EXPECT_EQ(std::count(empty.begin(), empty.end(), '\n'), 6);
  EXPECT_EQ(empty.substr(0, 25), "Expr. Filename,RAT1.DAT\r\n");
  // Without a session length there are no sessions, not one session per sample.
  EXPECT_EQ(Analyze(DataFileBuilder{}.Repeat(10, 10, 3), Params(0, 1, 50, 3, 2)), "failed");
}

TEST(AnalysisFiles, ResultsFileIsWrittenButNeverOverTheDataFile) {
  test::TempDir dir;
  const std::string data = dir.File("RUN.DAT");
  const AnalysisContext context{.DataFilePath = data, .MapFileName = {}, .Start = {}};
  const AnalysisParameters p = Params(60, 1, 50, 3, 2);
  auto analyze = [&](const std::string& out) { return AnalyzeDataFile(data, out, p, context, {}).Status; };
  const std::string recording = DataFileBuilder{}.Walk(1, 50).Bytes();
  test::WriteBytes(data, recording);
  ASSERT_EQ(analyze(dir.File("RUN.PRN")), AnalysisStatus::Done);
  EXPECT_EQ(test::ReadBytes(dir.File("RUN.PRN")).substr(0, 24), "Expr. Filename,RUN.DAT\r\n");
  // Results aimed at the data file itself, by its name or through a link, never replace it.
  ASSERT_EQ(::symlink(data.c_str(), dir.File("LINK.PRN").c_str()), 0);
  EXPECT_EQ(analyze(data), AnalysisStatus::ResultsNotWritable);
  EXPECT_EQ(analyze(dir.File("LINK.PRN")), AnalysisStatus::ResultsNotWritable);
  EXPECT_EQ(test::ReadBytes(data), recording);
  EXPECT_EQ(analyze(dir.File("missing/OUT.PRN")), AnalysisStatus::ResultsNotWritable);
}

struct Reference {
  const AnalysisParameters& p;
  const ZoneMap& map;
  std::string out;
  ResultsSink sink = [this](std::string_view s) { out += s; return true; };
  ResultsWriter writer{p, map, '.', sink};

  struct Pos { int x = 0, y = 0; };
  static double Dist(Pos a, Pos b) { return std::sqrt(double((a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y))); }
  int Zone(Pos s) const { return static_cast<unsigned char>(map.At(s.y / 8, s.x / 8)) - 32; }
  static bool Known(int z) { return z >= 0 && z < kZoneCount; }

  std::string Run(const std::vector<std::uint16_t>& words) {
    const double maxD = WorkingThreshold(p.MaximumDistance);
    const double ambD = WorkingThreshold(p.AmbulatoryThreshold);
    const double sterD = WorkingThreshold(p.StereotypicThreshold);
    const long long L = p.SessionLength, R = p.SampleRate;
    std::array<double, kZoneCount> first;
    first.fill(-1);
    std::size_t i = 0;
    for (long long number = 1; i < words.size(); ++number) {
      std::array<ZoneTally, kZoneCount> t{};
      Pos base, anchor;
      double total = 0;
      int zone = 255;  // no position yet this session
      bool amb = false, ster = false, lost = false;
      long long s = 0, c = 0;
      // A session always takes its first sample, then runs until its length in seconds is done.
      for (bool opening = true; (opening || s < L) && i < words.size(); opening = false) {
        const Pos P{words[i] & 0xFF, words[i] >> 8};
        ++i;
        if (P.y >= 192) {
          lost = true;
        } else {
          if (!opening && Known(Zone(P)) && first[Zone(P)] < 0 && R > 0) first[Zone(P)] = s + double(c) / R;
          if (zone == 255) {
            base = anchor = P;
            zone = Zone(P);
            if (Known(zone)) t[zone].Visits = 1;
          } else if (const double d = Dist(P, base); d > maxD) {
            base = P;
          } else if (d <= ambD) {
            if (!amb && !ster && Dist(P, anchor) > sterD) ster = true;
          } else {
            total += d;
            amb = true;
            base = P;
            if (Known(zone)) t[zone].Distance += d;
            const int previous = zone;
            zone = Zone(P);
            if (zone != previous && Known(zone)) t[zone].Visits += 1;
          }
        }
        if (++c < R) continue;
        c = 0;  // a whole second: classify it
        ++s;
        if (amb && Known(zone)) ++t[zone].AmbulatorySeconds;
        if (ster && Known(zone)) ++t[zone].StereotypicSeconds;
        if (amb || ster) anchor = base;
        if (!amb && !ster && !lost && Known(zone)) ++t[zone].RestingSeconds;
        if (Known(zone)) ++t[zone].VisitSeconds;
        amb = ster = lost = false;
      }
      SessionResult r{.Number = number, .TotalDistance = total, .Zones = t, .FirstEntry = first, .Tracking = {}};
      writer.WriteSession(r);
      first.fill(-1);
    }
    writer.Flush();
    return out;
  }
};

TEST(AnalysisReference, StreamingEngineInAnyPiecesMatchesThePlainRulesOnRandomRecordings) {
  std::mt19937 random(2024);
  const char* const letters = " ABGGaZz!\x7F\x05\xC8";
  for (int round = 0; round < 60; ++round) {
    std::string cells;
    const int blocks = 1 + static_cast<int>(random() % 6);
    for (int c = 0; c < kMapCells; ++c) cells += letters[((c / 8 + c / (32 * 4)) * blocks + round) % 11];
    const ZoneMap map = ZoneMap::FromText(cells);
    AnalysisParameters p;
    const int rates[] = {1, 5, 25, 30};
    p.SampleRate = static_cast<std::int16_t>(rates[random() % 4]);
    p.SessionLength = static_cast<std::int32_t>(random() % 12);
    p.MaximumDistance = static_cast<float>(random() % 60) - 2.5f;
    p.AmbulatoryThreshold = static_cast<float>(random() % 25) + 0.5f;
    p.StereotypicThreshold = static_cast<float>(random() % 8);
    p.CalibrateScale = static_cast<float>(random() % 5);
    p.CalibrateReference = 1.5f;
    std::vector<std::uint16_t> words;
    int x = static_cast<int>(random() % 256), y = static_cast<int>(random() % 192);
    const int count = static_cast<int>(random() % 3000);
    for (int k = 0; k < count; ++k) {
      const int step = random() % 5 == 0 ? 12 : 3;
      x = std::clamp(x + static_cast<int>(random() % (2 * step + 1)) - step, 0, 255);
      y = std::clamp(y + static_cast<int>(random() % (2 * step + 1)) - step, 0, 191);
      const int r = static_cast<int>(random() % 40);
      const int sy = r == 0 ? 255 : (r == 1 ? 192 + static_cast<int>(random() % 63) : y);
      words.push_back(static_cast<std::uint16_t>(sy * 256 + (r == 2 ? 255 - x : x)));
    }
    // Whole, one sample at a time, or odd pieces: state must carry across Feed calls.
    const std::size_t piece = std::array<std::size_t, 4>{words.size() + 1, 1, 7, 301}[round % 4];
    std::string fast;
    ResultsSink sink = [&fast](std::string_view s) { fast += s; return true; };
    ResultsWriter writer(p, map, '.', sink);
    ActivityAnalyzer analyzer(p, map, [&writer](const SessionResult& s) { writer.WriteSession(s); });
    for (std::size_t i = 0; i < words.size(); i += piece) {
      analyzer.Feed(std::span<const std::uint16_t>(words).subspan(i, std::min(piece, words.size() - i)));
    }
    analyzer.Finish();
    writer.Flush();
    Reference reference{p, map, {}};
    ASSERT_EQ(fast, reference.Run(words)) << "round " << round;
  }
}

}  // namespace
}  // namespace tlx
