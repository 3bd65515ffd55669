// The recording service: typed parameters read once for every front end, a folder's recordings in
// natural order, and the tidy table of many recordings: field quoting and escaping, the order and
// completeness of a batch whatever the number of workers, failures and cancelling, and rows that
// carry exactly the figures of the results files.
#include "DataFileBuilder.h"
#include "common/CaseTable.h"
#include "buildinfo/BuildInfo.h"
#include "common/Paths.h"
#include "common/Sha256.h"
#include "data/Analysis.h"
#include "data/AnalysisSetup.h"
#include "data/RecordingService.h"
#include "data/ResultsTable.h"
#include "data/TidyBatch.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <map>
#include <sys/stat.h>

namespace tlx {
namespace {

using test::DataFileBuilder;
using test::ExpectEach;
using Text = std::string;

// The records of an RFC 4180 table: quoted fields may hold anything, a quote inside is doubled,
// records end with CR LF (the golden tidy file holds the exact bytes).
std::vector<std::vector<std::string>> ReadCsv(const std::string& text) {
  std::vector<std::vector<std::string>> records(1, std::vector<std::string>(1));
  bool quoted = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (quoted && text.compare(i, 2, "\"\"") == 0) records.back().back() += text[i++];
    else if (text[i] == '"') quoted = !quoted;
    else if (!quoted && text[i] == ',') records.back().emplace_back();
    else if (!quoted && text.compare(i, 2, "\r\n") == 0) records.emplace_back(1), ++i;
    else records.back().back() += text[i];
  }
  EXPECT_TRUE(!quoted && records.back() == std::vector<std::string>(1)) << "a record not ended";
  records.pop_back();
  return records;
}

// A map of four zones whose characters need quoting or escaping: ",", a quote, a blank and "\".
std::string AwkwardMap() {
  std::string cells;
  for (int row = 0; row < 24; ++row) {
    for (int column = 0; column < 32; ++column) cells += (row < 12 ? (column < 16 ? "," : "\"") : (column < 16 ? " " : "\\"));
  }
  return std::string("\xFC\xAA") + cells;
}

// The batch's report and its table as text.
std::pair<TidyBatchReport, std::string> Tidy(const TidyBatchRequest& request) {
  std::string text;
  const TidyBatchReport report = RunTidyBatch(request, [&text](std::string_view s) { text += s; return true; });
  return {report, text};
}

struct Batch {
  test::TempDir dir;
  TidyBatchRequest request;
  std::vector<std::string> good;
  Batch() {
    for (int i = 0; i < 6; ++i) {
      good.push_back(dir.File("R" + std::to_string(i) + ",\"rat\" ü.DAT"));
      // 5 per second, 60-second sessions, the last one short.
      test::WriteBytes(good.back(), DataFileBuilder{.rateCode = 1, .samples = {}}.Walk(static_cast<unsigned>(i), 900 + 250 * i).Bytes());
      if (i == 2) test::WriteBytes(dir.File("R2,\"rat\" ü.MAP"), AwkwardMap());
    }
    request.DataPaths = good;
  }
  std::pair<TidyBatchReport, std::string> Run(unsigned jobs, TidyFormat format = TidyFormat::Csv) {
    request.Jobs = jobs;
    request.Format = format;
    return Tidy(request);
  }
};

TEST(TidyText, FieldsAreQuotedEscapedAndKeptValidUtf8AndTheDistanceColumnNamesTheUnit) {
  // A blank zone is quoted, so that it stays a blank through trimming readers.
  ExpectEach<Text, Text>(CsvField, {{"A", "A"}, {"Zoë ü", "Zoë ü"}, {"a,b", "\"a,b\""}, {" ", "\" \""}, {"", ""},
      {"say \"hi\"", "\"say \"\"hi\"\"\""}, {"two\r\nlines", "\"two\r\nlines\""}});
  // Bytes that are no UTF-8 character: a stray byte, a cut-short character at the end, an
  // overlong form and an encoded surrogate; a four-byte character passes.
  const Text bad = "\xEF\xBF\xBD";
  ExpectEach<Text, Text>(ValidUtf8, {{"a\xFF" "b", "a" + bad + "b"}, {"end\xC3", "end" + bad}, {"\xC0\xAF", bad + bad},
      {"\xED\xA0\x80", bad + bad + bad}, {"\xF0\x9F\x90\x80", "\xF0\x9F\x90\x80"}});
  EXPECT_EQ(JsonString("a\"b\\c\n\x01\x7F\xFF"), "\"a\\\"b\\\\c\\n\\u0001\\u007f\xEF\xBF\xBD\"");
  // The distance column names the unit all recordings share.
  ExpectEach<std::vector<std::int32_t>, Text>(DistanceColumn, {{{2, 2}, "distance_cm"}, {{9}, "distance_user_defined"},
      {{5}, "distance_inches"}, {{2, 5}, "distance"}});
}

// The batch holds a few files' rows at a time (four per worker) and reuses each holder for a later
// file: with many more files than holders, every file's rows still come once, whole and in order,
// and a failed file's reason never sticks to the file that reuses its holder.
TEST(TidyBatch, MoreFilesThanSlotsGiveEachFilesRowsOnceInOrderAndNeverWriteOverAnInput) {
  test::TempDir dir;
  TidyBatchRequest request{.DataPaths = {}, .Overrides = {}, .Header = false, .Jobs = 1};
  std::string expected;
  for (int i = 0; i < 27; ++i) {
    request.DataPaths = {dir.File("R" + std::to_string(i) + ".DAT")};
    if (i % 5 == 2) {  // missing, or a setup file: its slot is reused by a good file later
      if (i % 2) test::WriteBytes(request.DataPaths[0], "\xFE\xAA" + std::string(60, '\0'));
      continue;
    }
    test::WriteBytes(request.DataPaths[0], DataFileBuilder{}.Walk(static_cast<unsigned>(i), 20 + 7 * i).Bytes());
    expected += Tidy(request).second;
  }
  request.DataPaths.clear();
  for (int i = 0; i < 27; ++i) request.DataPaths.push_back(dir.File("R" + std::to_string(i) + ".DAT"));
  for (unsigned jobs : {1u, 2u, 3u}) {  // 4, 8 and 12 slots for 27 files
    request.Jobs = jobs;
    const auto [report, text] = Tidy(request);
    EXPECT_EQ(text, expected) << jobs;
    EXPECT_EQ(report.Analysed, 22u);
    ASSERT_EQ(report.Failures.size(), 5u);
    for (std::size_t f = 0; f < report.Failures.size(); ++f) EXPECT_EQ(report.Failures[f].DataPath, request.DataPaths[2 + 5 * f]);
    EXPECT_EQ(report.Failures[0].Reason, "The file " + request.DataPaths[2] + " does not exist.");
    EXPECT_EQ(report.Failures[1].Reason, "The file R7.DAT is not a valid Tracelux data file.");
  }
  // Written to a file: never over one of the inputs, however its name is spelled.
  const std::string before = test::ReadBytes(request.DataPaths[3]);
  EXPECT_EQ(RunTidyBatchToFile(request, dir.Path() + "/./R3.DAT").Status, BatchFileStatus::Refused);
  EXPECT_EQ(test::ReadBytes(request.DataPaths[3]), before);
}

// Every row against the results file of the same recording, figure for figure.
TEST(TidyBatch, RowsCarryTheFiguresOfTheResultsFiles) {
  Batch batch;
  // The awkward map's zones "," and '"' are quoted fields.
  batch.request.Overrides.SessionLength = 50;
  batch.request.Overrides.CalibrateReference = 7.5;
  batch.request.Overrides.AmbulatoryThreshold = 10.5;  // compared as 10 (ties to even)
  batch.request.Overrides.MaximumDistance = 60.5;      // compared as 60
  const auto records = ReadCsv(batch.Run(2).second);
  std::size_t r = 1;
  for (const std::string& path : batch.good) {
    PreparedAnalysis prepared;
    ASSERT_EQ(PrepareAnalysis(path, batch.request.Overrides, prepared), PrepareProblem::None);
    std::string results;
    ASSERT_TRUE(AnalyzeDataFileTo(path, [&results](std::string_view s) { results += s; return true; },
                                  prepared.Params, prepared.Context, {}).Ok());
    ResultsTable table;
    ParseResultsText(results, table, nullptr);
    ASSERT_GT(table.RowCount(), 5u);
    for (const auto& row : table.Rows) {
      ASSERT_LT(r, records.size());
      const auto& tidy = records[r++];
      EXPECT_EQ(tidy[0], FileNamePart(path));
      EXPECT_EQ(tidy[2], "2000-01-01T00:00:00");
      EXPECT_EQ(tidy[4], "50");
      EXPECT_EQ(tidy[14] + " " + tidy[15], "60 10");  // the thresholds used, not those asked for
      EXPECT_EQ(tidy[18], "7.5");
      EXPECT_EQ(tidy[20], prepared.Context.MapFileName);
      EXPECT_EQ(tidy[21], VersionWithBuild());
      EXPECT_EQ(tidy[22], FileSha256Hex(path));
      std::vector<std::string> figures(tidy.begin() + 3, tidy.begin() + 13);
      figures.erase(figures.begin() + 1);  // the session length is not a results column
      std::vector<std::string> expected = row;
      std::replace(expected.begin(), expected.end(), Text("N/A"), Text());
      // The results reader trims cells; the blank zone is " " in the table.
      if (expected[1].empty()) expected[1] = " ";
      EXPECT_EQ(figures, expected) << path << " row " << r;
    }
  }
  EXPECT_EQ(r, records.size());
}

// The cells of one CSV record by column name.
std::map<std::string, std::string> Named(const std::vector<std::vector<std::string>>& records, std::size_t r) {
  std::map<std::string, std::string> cells;
  for (std::size_t c = 0; c < records[0].size() && c < records[r].size(); ++c) cells[records[0][c]] = records[r][c];
  return cells;
}

// Tracking quality and the seconds analysed travel with every row of the session; the columns
// before them are those of earlier tables, and no column holds distances in two units.
TEST(TidyBatch, RowsCarryTrackingQualityAndSecondsAnalysedAndNoColumnMixesUnits) {
  test::TempDir dir;
  // 1 per second, 60-second sessions, two promised (120 samples) but 100 recorded: session 2 holds
  // 40, and 20 are missing. Session 1: a gap of 2 (no object, then below the picture), 1 more
  // no-object sample, and two artifacts (M = 50: away by 100 pixels and back).
  DataFileBuilder file{.sessions = 2, .samples = {}};
  file.Repeat(100, 100, 10).Add({{0, 255}, {7, 200}}).Repeat(100, 100, 10).Add(0, 255).Repeat(100, 100, 10);
  file.Add(200, 100).Repeat(100, 100, 26).Repeat(100, 100, 40);
  test::WriteBytes(dir.File("Q.DAT"), file.Bytes() + "\x07");  // a stray last byte is hashed too
  DataFileBuilder inches = DataFileBuilder{.units0 = 4, .samples = {}}.Walk(3, 70);
  test::WriteBytes(dir.File("IN.DAT"), inches.Bytes());
  const auto one = ReadCsv(Tidy({.DataPaths = {dir.File("Q.DAT")}, .Overrides = {}, .Jobs = 1}).second);
  ASSERT_EQ(one.size(), 1u + 2 * 5);
  EXPECT_EQ(one[0], TidyColumns("distance_cm"));  // one unit: no column of its own
  std::string seen;
  for (std::size_t r : {1, 6}) {
    const auto c = Named(one, r);
    for (const char* name : {"analysed_s", "expected_samples", "recorded_samples", "lost_samples", "no_object_samples",
                             "impossible_samples", "missing_samples", "longest_gap_s", "artifacts"}) {
      seen += c.at(name) + " ";
    }
    EXPECT_EQ(c.at("data_sha256"), FileSha256Hex(dir.File("Q.DAT")));
    seen += "| ";
  }
  EXPECT_EQ(seen, "60 60 60 3 2 1 0 2.00 2 | 40 60 40 20 0 0 20 0.00 0 | ");
  // Every zone row of a session repeats the session's quality.
  EXPECT_EQ(Named(one, 2).at("lost_samples"), "3");

  const auto mixed = ReadCsv(Tidy({.DataPaths = {dir.File("Q.DAT"), dir.File("IN.DAT")}, .Overrides = {}, .Jobs = 2}).second);
  const auto& columns = mixed[0];
  EXPECT_EQ(std::vector<std::string>(columns.end() - 2, columns.end()),
            (std::vector<std::string>{"distance_cm", "distance_inches"}));
  for (std::size_t r = 1; r < mixed.size(); ++r) {
    const auto c = Named(mixed, r);
    const bool cm = c.at("file") == "Q.DAT";
    EXPECT_EQ(c.at("distance"), "") << r;
    EXPECT_EQ(c.at(cm ? "distance_inches" : "distance_cm"), "") << r;
    EXPECT_FALSE(c.at(cm ? "distance_cm" : "distance_inches").empty()) << r;
  }
  const auto alone = ReadCsv(Tidy({.DataPaths = {dir.File("IN.DAT")}, .Overrides = {}, .Jobs = 1}).second);
  EXPECT_EQ(Named(mixed, mixed.size() - 1).at("distance_inches"), Named(alone, alone.size() - 1).at("distance_inches"));
}

TEST(TidyBatch, JsonLinesHoldTheSameRowsWithNullsAndEscapedZones) {
  Batch batch;
  batch.request.DataPaths = {batch.good[2]};
  const auto [report, json] = batch.Run(2, TidyFormat::JsonLines);
  ASSERT_TRUE(report.Ok());
  const auto csv = ReadCsv(batch.Run(2).second);
  ASSERT_EQ(std::count(json.begin(), json.end(), '\n'), static_cast<long>(csv.size() - 1));
  EXPECT_EQ(json.substr(0, json.find('\n')).find("\"visits\": null, \"latency_s\": null") != std::string::npos, true);
  for (const char* zone : {"\"zone\": \",\"", "\"zone\": \"\\\"\"", "\"zone\": \" \"", "\"zone\": \"\\\\\""}) {
    EXPECT_NE(json.find(zone), std::string::npos) << zone;
  }
  EXPECT_NE(json.find("\"path\": \"" + batch.dir.Path() + "/R2,\\\"rat\\\" ü.DAT\""), std::string::npos);
}

TEST(TidyBatch, CancelStopsBetweenFilesAndARefusingOutputEndsTheBatch) {
  Batch batch;
  std::atomic<bool> cancel{false};
  std::string text;
  const auto keep = [&text](std::string_view s) { text += s; return true; };
  const TidyBatchReport cancelled =
      RunTidyBatch(batch.request, keep, [&cancel](std::size_t done, std::size_t) { cancel = done >= 1; }, &cancel);
  EXPECT_TRUE(cancelled.Cancelled);
  EXPECT_EQ(cancelled.Analysed, 1u);
  EXPECT_EQ(ReadCsv(text).back()[1], batch.good[0]);

  int pieces = 0;
  const TidyBatchReport refused = RunTidyBatch(batch.request, [&pieces](std::string_view) { return ++pieces < 2; });
  EXPECT_TRUE(refused.OutputFailed);
  EXPECT_EQ(pieces, 2);  // nothing more is offered once a piece was refused
  EXPECT_FALSE(refused.Ok());
}

TEST(RecordingService, TypedParametersAreReadTheSameForEveryFrontEnd) {
  AnalysisOverrides o;
  OverrideTexts t;
  t.SessionLength = " 0:01:30 ";
  t.MaximumDistance = "2,5";
  t.AmbulatoryThreshold = "+3";
  t.StereotypicThreshold = "1e1";
  t.Units = "inches";
  t.MapFile = "/maps/A.MAP";
  EXPECT_EQ(ParseOverrides(t, o).Why, "'2,5' is not a number");  // the command line's decimal point
  ASSERT_EQ(ParseOverrides(t, o, true).Field, OverrideField::None);  // the desktop's decimal comma
  EXPECT_EQ(std::tuple(o.SessionLength, o.MaximumDistance, o.AmbulatoryThreshold, o.StereotypicThreshold,
                       o.UnitsCode, o.MapFile), std::tuple(90, 2.5, 3.0, 10.0, 5, Text("/maps/A.MAP")));
  EXPECT_FALSE(o.CalibrateScale.has_value());  // empty: the recording's own

  const struct {
    std::string OverrideTexts::*entry;
    const char* text;
    OverrideField field;
    const char* why;
  } refused[] = {
      {&OverrideTexts::SessionLength, "-5", OverrideField::SessionLength, "'-5' is not a duration"},
      {&OverrideTexts::SessionLength, "ten", OverrideField::SessionLength, "'ten' is not a duration"},
      {&OverrideTexts::AmbulatoryThreshold, "three", OverrideField::AmbulatoryThreshold, "'three' is not a number"},
      {&OverrideTexts::CalibrateReference, "1,000.5", OverrideField::CalibrateReference, "'1,000.5' is not a number"},
      {&OverrideTexts::CalibrateScale, "inf", OverrideField::CalibrateScale, "'inf' is not a number"},
      {&OverrideTexts::Units, "parsecs", OverrideField::Units, "'parsecs' is not a unit name"},
  };
  for (const auto& r : refused) {
    OverrideTexts typed;
    typed.*r.entry = r.text;
    AnalysisOverrides kept;
    kept.SessionLength = 7;
    const OverrideProblem p = ParseOverrides(typed, kept, true);
    EXPECT_EQ(p.Field, r.field) << r.why;
    EXPECT_EQ(p.Why, r.why);
    EXPECT_EQ(kept.SessionLength, 7);  // unchanged by a refusal
  }
}

TEST(RecordingService, AFoldersRecordingsComeInNaturalOrder) {
  test::TempDir dir;
  for (const char* name : {"day10.dat", "day2.DAT", "Day1.dat", "day100.dat", "day02b.dat", "notes.txt"}) {
    test::WriteBytes(dir.File(name), "x");
  }
  ASSERT_EQ(::mkdir(dir.File("old.dat").c_str(), 0700), 0);  // a folder is not a recording
  std::vector<std::string> names;
  for (const std::string& path : RecordingsInFolder(dir.Path())) names.push_back(path.substr(dir.Path().size() + 1));
  EXPECT_EQ(names, (std::vector<std::string>{"Day1.dat", "day2.DAT", "day02b.dat", "day10.dat", "day100.dat"}));
}

}  // namespace
}  // namespace tlx
