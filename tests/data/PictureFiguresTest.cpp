// The figures behind the pictures: time per location (occupancy) and the second-by-second
// classification (timeline), checked against hand-made recordings and against the analysis' own
// results for the same file.
#include "data/ActivityTimeline.h"
#include "data/Occupancy.h"
#include "data/ResultsTable.h"
#include "DataFileBuilder.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <random>

namespace tlx {
namespace {

using test::DataFileBuilder;
using test::Params;

std::string Write(const test::TempDir& dir, const DataFileBuilder& file) {
  const std::string path = dir.File("RAT1.DAT");
  test::WriteBytes(path, file.Bytes());
  return path;
}

// A wandering animal, `seconds` long at `rate` samples per second: still seconds, and seconds of
// small steps and jumps with lost samples (Y 255 and rows below the picture) and artifacts.
DataFileBuilder Wandering(int seconds, int rate, unsigned seed) {
  std::mt19937 random(seed);
  DataFileBuilder file;
  int x = 128, y = 96;
  for (int second = 0; second < seconds; ++second) {
    if (random() % 3 == 0) {
      file.Repeat(x, y, rate);
      continue;
    }
    for (int i = 0; i < rate; ++i) {
      const unsigned r = random() % 100;
      if (r < 6) { file.Add(int(random() % 256), 255); continue; }
      if (r < 8) { file.Add(int(random() % 256), 192 + int(random() % 63)); continue; }
      if (r < 10) { file.Add(int(random() % 256), int(random() % 192)); continue; }  // artifact
      const int step = r < 50 ? 1 : 8;
      x = std::clamp(x + int(random() % (2 * step + 1)) - step, 0, 255);
      y = std::clamp(y + int(random() % (2 * step + 1)) - step, 0, 191);
      file.Add(x, y);
    }
  }
  return file;
}

// The heatmap's picture test covers a one-cell recording; here the edges of the grid.
TEST(Occupancy, CellSizesCoverThePictureToItsLastPositionAndRowsBelowItAreLost) {
  test::TempDir dir;
  const std::string path = Write(dir, DataFileBuilder{}.Add({{0, 0}, {255, 191}, {255, 192}, {255, 191}}));
  OccupancyGrid grid;
  ASSERT_EQ(ComputeOccupancy(path, kWholeRecording, 60, 1, 7, grid), SampleRangeStatus::Done);
  EXPECT_EQ(grid.TrackedSamples * 10 + grid.LostSamples, 31);
  EXPECT_EQ(grid.Columns, 37);  // 256 / 7 rounded up
  EXPECT_EQ(grid.Rows, 28);     // 192 / 7 rounded up
  EXPECT_EQ(grid.SamplesAt(27, 36), 2);
  EXPECT_EQ(grid.SamplesAt(0, 0), 1);
  ASSERT_EQ(ComputeOccupancy(path, kWholeRecording, 60, 1, 1, grid), SampleRangeStatus::Done);
  EXPECT_EQ(grid.Columns * grid.Rows, 256 * 192);
  EXPECT_EQ(grid.SamplesAt(191, 255), 2);
  // Sizes out of range are held to 1..192: one cell then covers the picture's height.
  ASSERT_EQ(ComputeOccupancy(path, kWholeRecording, 60, 1, 0, grid), SampleRangeStatus::Done);
  EXPECT_EQ(grid.CellSize, 1);
  ASSERT_EQ(ComputeOccupancy(path, kWholeRecording, 60, 1, 1000, grid), SampleRangeStatus::Done);
  EXPECT_EQ(grid.Columns, 2);
  EXPECT_EQ(grid.Rows, 1);
  EXPECT_EQ(grid.SamplesAt(0, 1), 2);
}

TEST(Occupancy, SessionsSplitAsTheAnalysisSplitsThemAndTheirTotalsAddUp) {
  test::TempDir dir;
  // 2 s sessions at 5 per second: 10 samples each; 25 samples = sessions 1, 2 and a short 3.
  const std::string path = Write(dir, Wandering(5, 5, 7));
  OccupancyGrid all, s[3], none;
  ASSERT_EQ(ComputeOccupancy(path, kWholeRecording, 2, 5, 8, all), SampleRangeStatus::Done);
  for (int i = 0; i < 3; ++i) ASSERT_EQ(ComputeOccupancy(path, i + 1, 2, 5, 8, s[i]), SampleRangeStatus::Done);
  EXPECT_EQ(s[0].TrackedSamples + s[0].LostSamples, 10);
  EXPECT_EQ(s[2].TrackedSamples + s[2].LostSamples, 5);
  EXPECT_EQ(all.TrackedSamples, s[0].TrackedSamples + s[1].TrackedSamples + s[2].TrackedSamples);
  EXPECT_EQ(all.LostSamples, s[0].LostSamples + s[1].LostSamples + s[2].LostSamples);
  for (std::size_t i = 0; i < all.Samples.size(); ++i)
    EXPECT_EQ(all.Samples[i], s[0].Samples[i] + s[1].Samples[i] + s[2].Samples[i]);
  EXPECT_EQ(ComputeOccupancy(path, 4, 2, 5, 8, none), SampleRangeStatus::NoSuchSession);
  EXPECT_EQ(ComputeOccupancy(path, -1, 2, 5, 8, none), SampleRangeStatus::NoSuchSession);
  EXPECT_EQ(ComputeOccupancy(dir.File("NONE.DAT"), 1, 2, 5, 8, none), SampleRangeStatus::NotDataFile);
  test::WriteBytes(dir.File("BAD.DAT"), "not a data file at all, though long enough for a header");
  EXPECT_EQ(ComputeOccupancy(dir.File("BAD.DAT"), kWholeRecording, 2, 5, 8, none), SampleRangeStatus::NotDataFile);
}

// The "ALL" rows of the results for `path`: Amb.T, Ster.T, Rest.T per session.
std::vector<std::array<std::int64_t, 3>> ResultSeconds(const std::string& path, const AnalysisParameters& p) {
  const AnalysisContext context{.DataFilePath = path, .MapFileName = {}, .Start = {}};
  std::string text;
  EXPECT_TRUE(AnalyzeDataFileTo(path, [&text](std::string_view s) { text += s; return true; }, p, context, {}).Ok());
  ResultsTable table;
  ParseResultsText(text, table, nullptr);
  std::vector<std::array<std::int64_t, 3>> rows;
  for (const auto& row : table.Rows) {
    if (row[1] == "ALL") rows.push_back({std::stoll(row[3]), std::stoll(row[4]), std::stoll(row[5])});
  }
  return rows;
}

// Each second of a timeline as its class and zone.
std::vector<std::pair<SecondClass, int>> ClassesAndZones(const SessionTimeline& timeline) {
  std::vector<std::pair<SecondClass, int>> seconds;
  for (const TimelineSecond& s : timeline.Seconds) seconds.emplace_back(s.Class(), s.Zone);
  return seconds;
}

TEST(ActivityTimeline, CountsEqualTheResultsOfTheSameFileSessionBySession) {
  test::TempDir dir;
  for (const int rate : {1, 5, 30}) {
    // Three and a half sessions of 20 s; the four-quadrant map lists every cell, so the "ALL" sums
    // are the session's counters.
    const AnalysisParameters p = Params(20, rate);
    const std::string path = Write(dir, Wandering(70, rate, unsigned(rate)));
    std::vector<SessionTimeline> timelines;
    ASSERT_EQ(BuildActivityTimeline(path, kWholeRecording, p, ZoneMap::FourQuadrants(), timelines),
              SampleRangeStatus::Done);
    const auto results = ResultSeconds(path, p);
    ASSERT_EQ(timelines.size(), 4u);
    ASSERT_EQ(results.size(), 4u);
    std::array<std::int64_t, 4> all{};  // ambulatory, stereotypic, resting, lost
    for (std::size_t s = 0; s < 4; ++s) {
      std::array<std::int64_t, 3> counts{};
      for (const TimelineSecond& t : timelines[s].Seconds) {
        counts[0] += t.Ambulatory, counts[1] += t.Stereotypic, counts[2] += t.Resting, all[3] += t.Lost;
      }
      EXPECT_EQ(timelines[s].Number, std::int64_t(s + 1));
      EXPECT_EQ(counts, results[s]) << "rate " << rate << " session " << s + 1;
      for (std::size_t k = 0; k < 3; ++k) all[k] += counts[k];
    }
    for (const std::int64_t n : all) EXPECT_GT(n, 0);  // the recording exercises every class
    EXPECT_EQ(timelines[3].Seconds.size(), 10u);  // the short session's 10 completed seconds
    // One session alone is the same as that session within the whole recording.
    std::vector<SessionTimeline> third;
    ASSERT_EQ(BuildActivityTimeline(path, 3, p, ZoneMap::FourQuadrants(), third), SampleRangeStatus::Done);
    ASSERT_EQ(third.size(), 1u);
    EXPECT_EQ(third[0].Number, 3);
    EXPECT_EQ(ClassesAndZones(third[0]), ClassesAndZones(timelines[2]));
    EXPECT_EQ(BuildActivityTimeline(path, 5, p, ZoneMap::FourQuadrants(), third), SampleRangeStatus::NoSuchSession);
  }
}

TEST(ActivityTimeline, EachSecondCarriesItsClassAndTheZoneOfTheBasePosition) {
  test::TempDir dir;
  // 1 per second, thresholds max 50, ambulatory 3, stereotypic 2; A is the top-left quadrant.
  DataFileBuilder file;
  file.Add(10, 255)    // lost before any position: zone not known
      .Add(10, 10)     // first position in A: resting
      .Add(12, 12)     // small movement beyond the stereotypic threshold: stereotypic
      .Add(40, 10)     // ambulatory move within A
      .Add(40, 255)    // lost: no movement
      .Add(250, 180)   // an artifact into D: the base moves, no move is counted, zone stays A
      .Add(250, 175)   // ambulatory move that starts in A's booking and ends in D
      .Add(250, 175);  // resting in D
  const std::string path = Write(dir, file);
  std::vector<SessionTimeline> t;
  ASSERT_EQ(BuildActivityTimeline(path, 1, Params(60, 1), ZoneMap::FourQuadrants(), t), SampleRangeStatus::Done);
  ASSERT_EQ(t.size(), 1u);
  const int a = 'A' - 32, d = 'D' - 32;
  const std::vector<std::pair<SecondClass, int>> expected = {
      {SecondClass::Lost, -1},       {SecondClass::Resting, a}, {SecondClass::Stereotypic, a},
      {SecondClass::Ambulatory, a},  {SecondClass::Lost, a},    {SecondClass::Resting, a},
      {SecondClass::Ambulatory, d},  {SecondClass::Resting, d}};
  ASSERT_EQ(ClassesAndZones(t[0]), expected);
  EXPECT_TRUE(t[0].Seconds[0].Lost);  // the flag the lost counts add up
}

}  // namespace
}  // namespace tlx
