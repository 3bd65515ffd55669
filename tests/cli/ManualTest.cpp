// The manual against the program: the worked example's figures and the Methods chapter's claims
// are checked against what tracelux-cli does, so that the manual and the program cannot drift
// apart (the reference's options are DocsTest's).
#include "data/DataFileBuilder.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace tlx
