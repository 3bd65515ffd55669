// The results and sample exports, the export commands with their file dialog, and finding and
// starting the summary program.
#include "common/UserAnswers.h"
#include "data/Export.h"
#include "data/SummaryProgram.h"
#include "DataFileBuilder.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace tlx {
namespace {

ResultsTable SmallTable() {
  ResultsTable t;
  t.Columns = {"Sess.#", "Zone", "Dist", "Amb.T", "Ster.T", "Rest.T", "Vist.T", "#.Vist", "Latency"};
  t.Rows = {{"1", "A", "12,5", "3", "0", "57", "60", "2", "0,2"}};
  return t;
}

ResultsExportHeader Header() {
  ResultsExportHeader h;
  h.DataFilePath = "/data/rat1.dat";
  h.MapFile = "/data/rat1.MAP";
  h.Start = LocalDateTime{2024, 2, 29, 13, 5, 9, 0};
  h.SessionLength = 90000;
  h.UnitsCode = 9;
  return h;
}

TEST(ResultsExport, HeaderLinesThenTheTableWithTheChosenDelimiter) {
  EXPECT_EQ(ResultsExportText(Header(), SmallTable(), ','),
            "Expr. Filename;rat1.dat\r\n"
            "Map Filename;/data/rat1.MAP\r\n"
            "Expr Start Time;Thu Feb 29 13:05:09 2024\r\n"
            "Session Length;25:00:00\r\n"
            "Dist. are in;User defined\r\n"
            "Sess.#;Zone;Dist;Amb.T;Ster.T;Rest.T;Vist.T;#.Vist;Latency\r\n"
            "1;A;12,5;3;0;57;60;2;0,2\r\n");
  ResultsTable headerOnly = SmallTable();
  headerOnly.Rows.clear();
  const std::string text = ResultsExportText(Header(), headerOnly, '.');
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 6);
  EXPECT_EQ(text.substr(0, 24), "Expr. Filename,rat1.dat\r");
}

TEST(SampleExport, LinesForPositionsAndMissingObjects) {
  EXPECT_EQ(SampleExportLine({0, 0}, ','), "0,0\r\n");
  EXPECT_EQ(SampleExportLine({117, 64}, ';'), "117;64\r\n");
  EXPECT_EQ(SampleExportLine({3, 255}, ','), "\"\",\"\"\r\n");
  EXPECT_EQ(SampleExportLine({3, 254}, ','), "3,254\r\n");  // raw values, as recorded

  test::TempDir dir;
  test::DataFileBuilder b;
  b.Add({{0, 0}, {117, 64}, {9, 255}});
  test::WriteBytes(dir.File("S.DAT"), b.Bytes());
  ASSERT_TRUE(WriteSampleExport(dir.File("S.DAT"), dir.File("S.CSV"), kDataStart, -1, ','));
  EXPECT_EQ(test::ReadBytes(dir.File("S.CSV")), "0;0\r\n117;64\r\n\"\";\"\"\r\n");
  ASSERT_TRUE(WriteSampleExport(dir.File("S.DAT"), dir.File("L.CSV"), kDataStart, 4, '.'));
  EXPECT_EQ(test::ReadBytes(dir.File("L.CSV")), "0,0\r\n117,64\r\n");  // limit in bytes of samples

  test::WriteBytes(dir.File("E.DAT"), test::DataFileBuilder{}.Bytes());
  ASSERT_TRUE(WriteSampleExport(dir.File("E.DAT"), dir.File("E.CSV"), kDataStart, -1, '.'));
  EXPECT_EQ(test::ReadBytes(dir.File("E.CSV")), "");

  // Half a sample at the end of the recording is not exported.
  test::WriteBytes(dir.File("ODD.DAT"), b.Bytes() + "z");
  ASSERT_TRUE(WriteSampleExport(dir.File("ODD.DAT"), dir.File("O.CSV"), kDataStart, -1, '.'));
  EXPECT_EQ(test::ReadBytes(dir.File("O.CSV")), "0,0\r\n117,64\r\n\"\",\"\"\r\n");

  // An export aimed at the data file itself leaves the recording as it was.
  EXPECT_FALSE(WriteSampleExport(dir.File("S.DAT"), dir.File("S.DAT"), kDataStart, -1, '.'));
  EXPECT_EQ(test::ReadBytes(dir.File("S.DAT")), b.Bytes());

  // A file that is not a data file leaves an existing export as it was.
  test::DataFileBuilder other = b;
  other.tag = 0xAAFE;
  test::WriteBytes(dir.File("BAD.DAT"), other.Bytes());
  test::WriteBytes(dir.File("KEEP.CSV"), "keep");
  EXPECT_FALSE(WriteSampleExport(dir.File("BAD.DAT"), dir.File("KEEP.CSV"), kDataStart, -1, '.'));
  EXPECT_FALSE(WriteSampleExport(dir.File("NONE.DAT"), dir.File("KEEP.CSV"), kDataStart, -1, '.'));
  EXPECT_EQ(test::ReadBytes(dir.File("KEEP.CSV")), "keep");
}

// Records what would have been started instead of starting it.
class FakeLauncher : public ProcessLauncher {
 public:
  long Start(const std::string& program, const std::vector<std::string>& arguments) override {
    started.push_back(arguments);
    programs.push_back(program);
    return result;
  }
  bool SendKey(long taskId, const std::string& key) override {
    keys.push_back(std::to_string(taskId) + key);
    return true;
  }
  long result = 4242;
  std::vector<std::string> programs;
  std::vector<std::vector<std::string>> started;
  std::vector<std::string> keys;
};

void MakeProgram(const std::string& path) {
  test::WriteBytes(path, "#!/bin/sh\n");
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

TEST(SummaryProgramHandOff, StartsWithArgumentListAndSendsKeyOnlyAfterASuccess) {
  test::TempDir home;
  FakeLauncher launcher;
  SummaryProgram summary(launcher, {home.Path(), "", ""});
  EXPECT_FALSE(summary.Start("/data/R.CSV"));  // no program: nothing started
  summary.SendClosingKey();
  EXPECT_TRUE(launcher.started.empty());
  EXPECT_TRUE(launcher.keys.empty());

  MakeProgram(home.File("SUMBRIX.EXE"));
  ASSERT_TRUE(summary.Start("/data/a file; rm -rf.CSV"));
  ASSERT_EQ(launcher.started.size(), 1u);
  EXPECT_EQ(launcher.started[0],
            (std::vector<std::string>{home.File("SUMBRIX.EXE"), "/data/a file; rm -rf.CSV", "/NCE"}));
  summary.SendClosingKey();
  EXPECT_EQ(launcher.keys, std::vector<std::string>{"4242{F12}"});

  launcher.result = 0;  // the start fails: no key afterwards
  EXPECT_FALSE(summary.Start("/data/R.CSV"));
  summary.SendClosingKey();
  EXPECT_EQ(launcher.keys.size(), 1u);
}

TEST(SummaryProgramHandOff, RealSpawnPassesArgumentsUntouched) {
  test::TempDir dir;
  const std::string script = dir.File("sumbrix");
  test::WriteBytes(script, "#!/bin/sh\nprintf '%s|' \"$@\" > \"" + dir.File("args") + ".tmp\"\nmv \"" +
                               dir.File("args") + ".tmp\" \"" + dir.File("args") + "\"\n");
  ::chmod(script.c_str(), 0755);
  SpawnLauncher launcher;
  SummaryProgram summary(launcher, {dir.Path(), "", ""});
  ASSERT_TRUE(summary.Start("it's $HOME.CSV"));
  for (int i = 0; i < 500 && !test::PathExists(dir.File("args")); ++i) ::usleep(10000);
  EXPECT_EQ(test::ReadBytes(dir.File("args")), "it's $HOME.CSV|/NCE|");
}

TEST(ExportCommands, AnswerGetsTheCsvExtensionAndTheSummaryProgramStarts) {
  test::TempDir dir, home;
  test::DataFileBuilder b;
  b.Add({{1, 2}, {3, 255}});
  OpenDataFile open;
  open.Info.Path = dir.File("RAT.DAT");
  test::WriteBytes(open.Info.Path, b.Bytes());
  open.Table = SmallTable();
  open.SessionLength = 600;
  open.UnitsCode = 1;
  ScriptedAnswers answers;
  answers.QueueFile(dir.File("RESULTS.TXT"));
  FakeLauncher launcher;
  MakeProgram(home.File("sumbrix"));
  SummaryProgram summary(launcher, {home.Path(), "", ""});
  EXPECT_EQ(ExportResults(answers, open, '.', &summary), dir.File("RESULTS.CSV"));
  ASSERT_EQ(answers.FileRequests().size(), 1u);
  EXPECT_EQ(answers.FileRequests()[0].title, "Export Data File");
  EXPECT_EQ(answers.FileRequests()[0].initialDirectory, dir.Path());
  const std::string text = test::ReadBytes(dir.File("RESULTS.CSV"));
  EXPECT_NE(text.find("Session Length,00:10:00\r\nDist. are in,mm\r\n"), std::string::npos);
  ASSERT_EQ(launcher.started.size(), 1u);
  EXPECT_EQ(launcher.started[0][1], dir.File("RESULTS.CSV"));

  answers.QueueFile(dir.File("SAMPLES"));
  EXPECT_EQ(ExportSamples(answers, open, ','), dir.File("SAMPLES.CSV"));
  EXPECT_EQ(test::ReadBytes(dir.File("SAMPLES.CSV")), "1;2\r\n\"\";\"\"\r\n");
  EXPECT_EQ(ExportSamples(answers, open, ','), "");  // cancelled dialog: nothing written
}

}  // namespace
}  // namespace tlx
