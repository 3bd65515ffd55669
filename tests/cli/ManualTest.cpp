// The manual against the program: the worked example's figures and the Methods chapter's claims
// are checked against what tracelux-cli does, so that the manual and the program cannot drift
// apart (the reference's options are DocsTest's).
#include "data/DataFileBuilder.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <random>
#include <regex>
#include <sstream>

namespace tlx {
namespace {

using test::RunCli;

std::string DocsFile(const std::string& name) { return test::ReadBytes(test::DataPath("../../docs/" + name)); }

std::string Trim(const std::string& s) {
  const auto first = s.find_first_not_of(" \t\r");
  if (first == std::string::npos) return {};
  return s.substr(first, s.find_last_not_of(" \t\r") - first + 1);
}

std::vector<std::string> SplitFields(const std::string& line, char delimiter) {
  std::vector<std::string> fields;
  std::stringstream in(line);
  for (std::string field; std::getline(in, field, delimiter);) fields.push_back(Trim(field));
  return fields;
}

// The body rows of the Markdown table between "<!-- NAME -->" and "<!-- /NAME -->".
std::vector<std::vector<std::string>> MarkedTable(const std::string& text, const std::string& name) {
  const std::string open = "<!-- " + name + " -->", close = "<!-- /" + name + " -->";
  const auto begin = text.find(open), end = text.find(close);
  if (begin == std::string::npos || end == std::string::npos || end < begin) {
    ADD_FAILURE() << "no table marked " << name;
    return {};
  }
  std::vector<std::vector<std::string>> rows;
  std::stringstream in(text.substr(begin + open.size(), end - begin - open.size()));
  int tableLine = 0;
  for (std::string line; std::getline(in, line);) {
    line = Trim(line);
    if (line.size() < 2 || line.front() != '|') continue;
    if (tableLine++ < 2) continue;  // the column captions and the |---| line
    rows.push_back(SplitFields(line.substr(1, line.size() - 2), '|'));
  }
  return rows;
}

TEST(Manual, WorkedExampleSamplesAreTheFilesAndItsResultsTheProgramsFigures) {
  const std::string methods = DocsFile("manual/methods.md");
  const std::string data = test::ReadBytes(test::DataPath("worked_example.DAT"));
  ASSERT_GT(data.size(), 38u);

  const auto samples = MarkedTable(methods, "worked-example-samples");
  ASSERT_EQ(samples.size(), (data.size() - 38) / 2) << "one table row per sample of the file";
  for (std::size_t i = 0; i < samples.size(); ++i) {
    ASSERT_GE(samples[i].size(), 3u);
    EXPECT_EQ(samples[i][0], std::to_string(i));
    EXPECT_EQ(samples[i][1], std::to_string(static_cast<unsigned char>(data[38 + 2 * i])));
    EXPECT_EQ(samples[i][2], std::to_string(static_cast<unsigned char>(data[39 + 2 * i])));
  }

  const auto results = MarkedTable(methods, "worked-example-results");
  const auto out = RunCli({"analyze", test::DataPath("worked_example.DAT"), "--no-header", "--decimal-point"});
  ASSERT_EQ(out.exitCode, 0) << out.err;
  std::vector<std::vector<std::string>> program;
  std::stringstream lines(out.out);
  for (std::string line; std::getline(lines, line);) program.push_back(SplitFields(line, ','));
  EXPECT_EQ(results, program) << out.out;
}

// Each figure the Methods chapter states, from a recording built for it and analysed by the
// program: the sentence must be in the chapter and the figure in the named field of session 1's
// line for the zone.
TEST(Manual, MethodsChapterFiguresAreTheProgramsFigures) {
  const std::string methods = DocsFile("manual/methods.md");
  using test::DataFileBuilder;
  // 1 sample per second, 60-second sessions, M = 60, A = 10, S = 3, 1 pixel = 1 unit.
  const DataFileBuilder base{.maxDistance = 60, .ambulatory = 10, .stereotypic = 3, .scale = 1, .reference = 1, .samples = {}};
  struct Claim {
    const char* sentence;
    DataFileBuilder file;
    std::vector<std::string> options;
    bool halfG;  // map: "A" on the left half, "G" on the right
    const char* zone;
    std::size_t field;  // 2 Dist, 3 Amb.T, 4 Ster.T, 6 Vist.T, 8 Latency
    const char* figure;
  };
  auto with = [&base](auto change) { DataFileBuilder b = base; change(b); return b; };
  // Across into the right half, whose "G" cells book distances but not times.
  const DataFileBuilder artifactIntoD =
      with([](DataFileBuilder& b) { b.Repeat(40, 40, 2).Repeat(200, 150, 8); });
  const DataFileBuilder intoG =
      with([](DataFileBuilder& b) { b.maxDistance = 200; b.Add({{40, 40}, {200, 40}, {200, 100}}).Repeat(200, 100, 3); });
  const Claim claims[] = {
      {"50 seconds of a still animal give Ster.T = 50",
       with([](DataFileBuilder& b) { b.Add(100, 100).Repeat(105, 100, 50); }), {}, false, "ALL", 4, "50"},
      {"after 7\n  lost samples at 5 samples per second, the zone of the first position shows 1.4",
       with([](DataFileBuilder& b) { b.rateCode = 1; b.Repeat(0, 255, 7).Repeat(40, 40, 8); }), {}, false, "A", 8, "1.4"},
      {"Movement that stays within *A* pixels of the base position\nadds nothing",
       with([](DataFileBuilder& b) { for (int i = 0; i < 15; ++i) b.Add(100, 100).Add(109, 100); }), {}, false, "ALL", 2, "0.0"},
      {"includes\nmoves that started in cells marked \"G\"", intoG, {}, true, "ALL", 2, "220.0"},
      {"while the \"ALL\" line's times\n(below) leave those cells out", intoG, {}, true, "ALL", 6, "1"},
      {"with an ambulatory\nthreshold of 10.5 asked for, a move of 10.2 pixels is ambulatory",
       with([](DataFileBuilder& b) { b.Add(100, 100).Add(110, 102); }), {"--ambulatory", "10.5"}, false, "ALL", 3, "1"},
      // The suggested wording, sentence by sentence. After an artifact into D the base is in D
      // but every second stays booked to A, and D gets a latency without a visit.
      {"it added no distance\n> and no visit and left the current zone unchanged, but it became the base position",
       artifactIntoD, {}, false, "A", 6, "10"},
      {"> current zone was the zone of the session's first position, then the zone in which the last\n> ambulatory move ended",
       artifactIntoD, {}, false, "D", 6, "0"},
      {"whenever an ambulatory move ended in another zone", artifactIntoD, {}, false, "D", 7, "0"},
      {"whether that sample was a small movement, an ambulatory move or an\n> artifact", artifactIntoD, {}, false, "D", 8, "2.0"},
      // A sample more than S from the reference point but beyond the maximum is no stereotypic move.
      {"a sample lay at most *A* pixels from the base position and more than *S* pixels from a\n> reference point",
       with([](DataFileBuilder& b) { b.Add(40, 40).Add(140, 40); }), {}, false, "ALL", 4, "0"},
      // At 5 per second: four samples in A, then a move into B at the last sample of the second.
      {"each completed second was booked as one whole second to the current zone\n> at the end of that second",
       with([](DataFileBuilder& b) { b.rateCode = 1; b.maxDistance = 200; b.Repeat(40, 40, 4).Add(140, 40); }), {},
       false, "B", 6, "1"},
  };
  test::TempDir dir;
  std::string halfG = "\xFC\xAA";
  for (int cell = 0; cell < 768; ++cell) halfG += cell % 32 < 16 ? 'A' : 'G';
  int n = 0;
  for (const Claim& c : claims) {
    EXPECT_NE(methods.find(c.sentence), std::string::npos) << "the chapter no longer says: " << c.sentence;
    const std::string name = "CLAIM" + std::to_string(++n);
    test::WriteBytes(dir.File(name + ".DAT"), c.file.Bytes());
    if (c.halfG) test::WriteBytes(dir.File(name + ".MAP"), halfG);
    std::vector<std::string> args = {"analyze", dir.File(name + ".DAT"), "--no-header", "--decimal-point"};
    args.insert(args.end(), c.options.begin(), c.options.end());
    const auto out = RunCli(args);
    ASSERT_EQ(out.exitCode, 0) << out.err;
    std::stringstream lines(out.out);
    bool found = false;
    for (std::string line; std::getline(lines, line);) {
      const auto fields = SplitFields(line, ',');
      if (fields.size() != 9 || fields[0] != "1" || fields[1] != c.zone) continue;
      found = true;
      EXPECT_EQ(fields[c.field], c.figure) << c.sentence << "\n" << out.out;
    }
    EXPECT_TRUE(found) << c.sentence << "\n" << out.out;
  }
}

// The named columns of a tidy table's rows for the session's "ALL" zone.
std::vector<std::map<std::string, std::string>> TidyAllRows(const std::string& dataPath) {
  const auto out = RunCli({"analyze", dataPath, "--format", "tidy"});
  EXPECT_EQ(out.exitCode, 0) << out.err;
  std::stringstream lines(out.out);
  std::string line;
  std::getline(lines, line);
  const auto names = SplitFields(line, ',');
  std::vector<std::map<std::string, std::string>> rows;
  while (std::getline(lines, line)) {
    const auto fields = SplitFields(line, ',');
    std::map<std::string, std::string> row;
    for (std::size_t c = 0; c < names.size() && c < fields.size(); ++c) row[names[c]] = fields[c];
    if (row["zone"] == "ALL") rows.push_back(row);
  }
  return rows;
}

// A still animal for 600 s at 30 per second, with single lost samples at random: the chapter's
// table is what the program finds, row for row.
TEST(Manual, StillAnimalWithLostSamplesIsTheChaptersTable) {
  const auto table = MarkedTable(DocsFile("manual/methods.md"), "still-animal");
  ASSERT_EQ(table.size(), 4u);
  test::TempDir dir;
  const int perMille[] = {0, 5, 15, 30};
  for (std::size_t i = 0; i < 4; ++i) {
    test::DataFileBuilder b{.sessionLength5 = 120, .rateCode = 2, .samples = {}};
    std::mt19937 random(2026);
    bool lastLost = false;
    for (int k = 0; k < 18000; ++k) {
      lastLost = !lastLost && static_cast<int>(random() % 1000) < perMille[i];
      b.Add(100, lastLost ? 255 : 100);
    }
    const std::string path = dir.File("STILL" + std::to_string(i) + ".DAT");
    test::WriteBytes(path, b.Bytes());
    const auto rows = TidyAllRows(path);
    ASSERT_EQ(rows.size(), 1u);
    auto r = rows[0];
    char percent[16];
    std::snprintf(percent, sizeof percent, "%.1f", std::stod(r["lost_samples"]) * 100 / 18000);
    const std::vector<std::string> program = {percent, r["lost_samples"], r["resting_time_s"], r["ambulatory_time_s"],
                                              r["stereotypic_time_s"], r["visit_time_s"], r["distance_cm"]};
    EXPECT_EQ(table[i], program);
  }
}

// One path of the simulated animal at three sample rates: the chapter's table is what the program
// records and finds.
TEST(Manual, SampleRateTableIsOnePathRecordedAtThreeRates) {
  const auto table = MarkedTable(DocsFile("manual/methods.md"), "sample-rate");
  ASSERT_EQ(table.size(), 3u);
  for (std::size_t i = 0; i < 3; ++i) {
    test::TempDir dir;
    const std::string rate = table[i].empty() ? "" : table[i][0];
    const auto run = RunCli({"demo", "--dir", dir.Path(), "--seed", "7", "--sessions", "1", "--length", "600", "--rate", rate});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const auto at = run.out.find("Data file: ");
    ASSERT_NE(at, std::string::npos) << run.out;
    const std::string data = run.out.substr(at + 11, run.out.find('\n', at) - at - 11);
    const auto rows = TidyAllRows(data);
    ASSERT_EQ(rows.size(), 1u);
    auto r = rows[0];
    const std::string distance = r.count("distance_cm") ? r["distance_cm"] : r["distance_mm"];
    EXPECT_EQ(table[i], (std::vector<std::string>{rate, distance, r["ambulatory_time_s"], r["stereotypic_time_s"],
                                                  r["resting_time_s"]}));
    if (rate != "30") continue;
    // Visit time against the time the positions lay in C and D, sample by sample (a lost sample
    // in the zone of the last position), on the four quadrants.
    const std::string bytes = test::ReadBytes(data);
    double samplesIn[4] = {};
    int zone = -1;
    for (std::size_t at = 38; at + 1 < bytes.size(); at += 2) {
      const int x = static_cast<unsigned char>(bytes[at]), y = static_cast<unsigned char>(bytes[at + 1]);
      if (y < 192) zone = (x >= 128 ? 1 : 0) + (y >= 96 ? 2 : 0);
      if (zone >= 0) ++samplesIn[zone];
    }
    std::string visits[4];
    std::stringstream results(RunCli({"analyze", data, "--no-header", "--decimal-point"}).out);
    for (std::string line; std::getline(results, line);) {
      const auto fields = SplitFields(line, ',');
      if (fields.size() == 9 && fields[1].size() == 1 && fields[1][0] >= 'A' && fields[1][0] <= 'D') visits[fields[1][0] - 'A'] = fields[6];
    }
    char sentence[200];
    std::snprintf(sentence, sizeof sentence, "the visit times of C and D are %s s and %s s, while the samples lay %.1f s in C and %.1f s in D",
                  visits[2].c_str(), visits[3].c_str(), samplesIn[2] / 30, samplesIn[3] / 30);
    std::string flat = DocsFile("manual/methods.md");
    std::replace(flat.begin(), flat.end(), '\n', ' ');
    EXPECT_NE(flat.find(sentence), std::string::npos) << sentence;
  }
}

// `info` shows every field of the header, what "Version" means, and the tracking quality the
// chapter gives for the worked example.
TEST(Manual, InfoShowsTheWholeHeaderAndTheWorkedExamplesTrackingQuality) {
  std::string methods = DocsFile("manual/methods.md");
  std::replace(methods.begin(), methods.end(), '\n', ' ');
  EXPECT_NE(methods.find("session 1 has 10 of 10 samples, 1 lost (no object) and 1 artifact; session 2 has 3 of 10 samples "
                         "and 3 analysed seconds, and as the header records 2 sessions of 10 s, the 7 samples that never "
                         "came count as missing"),
            std::string::npos);
  const auto out = RunCli({"info", test::DataPath("worked_example.DAT")});
  ASSERT_EQ(out.exitCode, 0) << out.err;
  for (const char* line : {"Version: 3 (data file format 3: the file starts with the tag FD AA)\n",
                           "Recorded sessions: 2 (the number of sessions the run was set to record)\n",
                           "Initial delay: 0 s\n", "Video type: NTSC (0)\n",
                           "Session 1 tracking: 10 of 10 samples; 1 lost (10.0%: 1 no object, 0 impossible, 0 missing); "
                           "longest gap 1.00 s; 1 artifact, 10 s analysed\n",
                           "Session 2 tracking: 3 of 10 samples; 7 lost (70.0%: 0 no object, 0 impossible, 7 missing); "
                           "longest gap 0.00 s; 0 artifacts, 3 s analysed\n"}) {
    EXPECT_NE(out.out.find(line), std::string::npos) << line << out.out;
  }
  const auto json = RunCli({"info", test::DataPath("worked_example.DAT"), "--json"}).out;
  for (const char* field : {"\"recorded_sessions\": 2", "\"initial_delay\": 0", "\"video_type\": 0",
                            "\"session_tracking\": [{\"expected_samples\": 10, \"recorded_samples\": 10, \"lost_samples\": 1"}) {
    EXPECT_NE(json.find(field), std::string::npos) << field << json;
  }
}

}  // namespace
}  // namespace tlx
