// tracelux-cli analyze, export-samples and info, run as a separate process: output bytes, exit
// codes and the messages of the command-line contract.
#include "../data/DataFileBuilder.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <sys/wait.h>
#include <unistd.h>

namespace tlx {
namespace {

using test::DataFileBuilder;
using test::RunCli;

// Four samples at 1 per second in zone A with one 10 px move: thresholds max 50, ambulatory 3.
DataFileBuilder SmallRun() {
  DataFileBuilder b;
  b.Add({{10, 10}, {20, 10}, {20, 10}, {150, 150}});
  return b;
}

const char* const kSmallResults =
    "Expr. Filename,RAT1.DAT\r\n"
    "Map Filename,\r\n"
    "Expr. start time,Sat Jan 01 00:00:00 2000\r\n"
    "Session length,00:01:00\r\n"
    "Dist. are in,cm\r\n"
    "Sess.#,Zone,Dist,Amb.T,Ster.T,Rest.T,Vist.T,#.Vist,Latency\r\n"
    " 1 ,ALL,0.6, 1 , 0 , 3 , 4 ,N/A,N/A\r\n"
    " 1 ,A,0.6, 1 , 0 , 3 , 4 , 1 ,1.0\r\n"
    " 1 ,B,0.0, 0 , 0 , 0 , 0 , 0 ,N/A\r\n"
    " 1 ,C,0.0, 0 , 0 , 0 , 0 , 0 ,N/A\r\n"
    " 1 ,D,0.0, 0 , 0 , 0 , 0 , 0 ,3.0\r\n";

TEST(CliAnalyze, ResultsOnStandardOutputAndIntoAFile) {
  test::TempDir dir;
  test::WriteBytes(dir.File("RAT1.DAT"), SmallRun().Bytes());
  const auto out = RunCli({"analyze", "RAT1.DAT", "--decimal-point"}, dir.Path());
  EXPECT_EQ(out.exitCode, 0) << out.err;
  EXPECT_EQ(out.out, kSmallResults);
  EXPECT_EQ(out.err, "");

  const auto toFile = RunCli({"analyze", "RAT1.DAT", "-o", "R.PRN", "--decimal-point"}, dir.Path());
  EXPECT_EQ(toFile.exitCode, 0);
  EXPECT_EQ(toFile.out, "");
  EXPECT_EQ(test::ReadBytes(dir.File("R.PRN")), kSmallResults);

  const auto noHeader = RunCli({"analyze", "RAT1.DAT", "--no-header", "--decimal-point"}, dir.Path());
  EXPECT_EQ(noHeader.out, std::string(kSmallResults).substr(std::string(kSmallResults).find(" 1 ,ALL")));
}

TEST(CliAnalyze, ParametersMapAndDecimalCommaOverrideTheRecording) {
  test::TempDir dir;
  test::WriteBytes(dir.File("RAT1.DAT"), SmallRun().Bytes());
  // A companion map beside the data file: everything zone "Z".
  test::WriteBytes(dir.File("RAT1.MAP"), std::string("\xFC\xAA") + std::string(768, 'Z'));
  const auto out = RunCli({"analyze", dir.File("RAT1.DAT"), "--session-length", "0:00:02", "--scale", "1",
                           "--reference", "2.5", "--units", "INCHES", "--ambulatory", "10", "--decimal-comma"});
  ASSERT_EQ(out.exitCode, 0) << out.err;
  // 10 px is not above an ambulatory threshold of 10 but far from the anchor: stereotypic;
  // session 2 starts at the third sample and its artifact second rests.
  EXPECT_EQ(out.out,
            "Expr. Filename;RAT1.DAT\r\n"
            "Map Filename;" + dir.File("RAT1.MAP") + "\r\n"
            "Expr. start time;Sat Jan 01 00:00:00 2000\r\n"
            "Session length;00:00:02\r\n"
            "Dist. are in;Inches\r\n"
            "Sess.#;Zone;Dist;Amb.T;Ster.T;Rest.T;Vist.T;#.Vist;Latency\r\n"
            " 1 ;ALL;0,0; 0 ; 1 ; 1 ; 2 ;N/A;N/A\r\n"
            " 1 ;Z;0,0; 0 ; 1 ; 1 ; 2 ; 1 ;1,0\r\n"
            " 2 ;ALL;0,0; 0 ; 0 ; 2 ; 2 ;N/A;N/A\r\n"
            " 2 ;Z;0,0; 0 ; 0 ; 2 ; 2 ; 1 ;1,0\r\n");
  const auto badMap = RunCli({"analyze", dir.File("RAT1.DAT"), "--map", dir.File("RAT1.DAT")});
  EXPECT_EQ(badMap.exitCode, 1);
  EXPECT_EQ(badMap.out, "");
}

TEST(CliAnalyze, ExportFormatRepeatsTheTableTrimmed) {
  test::TempDir dir;
  test::WriteBytes(dir.File("rat1.dat"), SmallRun().Bytes());
  const auto out = RunCli({"analyze", "rat1.dat", "--format", "export", "--decimal-point"}, dir.Path());
  ASSERT_EQ(out.exitCode, 0) << out.err;
  EXPECT_EQ(out.out,
            "Expr. Filename,rat1.dat\r\n"
            "Map Filename,\r\n"
            "Expr Start Time,Sat Jan 01 00:00:00 2000\r\n"
            "Session Length,00:01:00\r\n"
            "Dist. are in,cm\r\n"
            "Sess.#,Zone,Dist,Amb.T,Ster.T,Rest.T,Vist.T,#.Vist,Latency\r\n"
            "1,ALL,0.6,1,0,3,4,N/A,N/A\r\n"
            "1,A,0.6,1,0,3,4,1,1.0\r\n"
            "1,B,0.0,0,0,0,0,0,N/A\r\n"
            "1,C,0.0,0,0,0,0,0,N/A\r\n"
            "1,D,0.0,0,0,0,0,0,3.0\r\n");
}

TEST(CliAnalyze, BatchIntoADirectoryIsTheSameForAnyJobCountAndReportsBadFiles) {
  test::TempDir dir;
  std::vector<std::string> args = {"analyze"};
  for (int i = 0; i < 6; ++i) {
    DataFileBuilder b = SmallRun();
    b.Repeat(10 + i, 20, i * 7);
    const std::string name = "F" + std::to_string(i) + ".DAT";
    test::WriteBytes(dir.File(name), b.Bytes());
    args.push_back(name);
  }
  test::WriteBytes(dir.File("BAD.DAT"), "\xFE\xAA" + std::string(40, '\0'));
  args.push_back("BAD.DAT");
  auto withJobs = [&](const std::string& jobs, const std::string& outDir) {
    std::vector<std::string> a = args;
    a.insert(a.end(), {"--output-dir", outDir, "-j", jobs, "--decimal-point"});
    return RunCli(a, dir.Path());
  };
  const auto one = withJobs("1", "one");
  const auto two = withJobs("2", "two");
  EXPECT_EQ(one.exitCode, 1);
  EXPECT_EQ(one.out, "");
  EXPECT_EQ(one.err, "The file BAD.DAT is not a valid Tracelux data file.\n");
  EXPECT_EQ(two.err, one.err);
  for (int i = 0; i < 6; ++i) {
    const std::string name = "F" + std::to_string(i) + ".CSV";
    const std::string a = test::ReadBytes(dir.File("one/" + name));
    EXPECT_EQ(a.substr(0, 23), "Expr. Filename,F" + std::to_string(i) + ".DAT\r\n") << name;
    EXPECT_EQ(a, test::ReadBytes(dir.File("two/" + name)));
  }
  EXPECT_FALSE(test::PathExists(dir.File("one/BAD.CSV")));
}

TEST(CliAnalyze, RefusedFilesAndUsageErrors) {
  test::TempDir dir;
  test::WriteBytes(dir.File("OK.DAT"), SmallRun().Bytes());
  test::WriteBytes(dir.File("EMPTY.DAT"), "");
  test::WriteBytes(dir.File("SHORT.DAT"), SmallRun().Header().substr(0, 20));
  DataFileBuilder setupFile = SmallRun();
  setupFile.tag = 0xAAFE;
  test::WriteBytes(dir.File("SETUP.DAT"), setupFile.Bytes());
  std::filesystem::create_directory(dir.File("DIR.DAT"));
  for (const char* name : {"EMPTY.DAT", "SHORT.DAT", "SETUP.DAT", "DIR.DAT"}) {
    const auto out = RunCli({"analyze", name}, dir.Path());
    EXPECT_EQ(out.exitCode, 1) << name;
    EXPECT_EQ(out.out, "") << name;
    EXPECT_EQ(out.err, std::string("The file ") + name + " is not a valid Tracelux data file.\n");
  }
  // A refused data file leaves the output file that was there.
  test::WriteBytes(dir.File("KEEP.PRN"), "keep");
  EXPECT_EQ(RunCli({"analyze", "SHORT.DAT", "-o", "KEEP.PRN"}, dir.Path()).exitCode, 1);
  EXPECT_EQ(test::ReadBytes(dir.File("KEEP.PRN")), "keep");
  EXPECT_EQ(RunCli({"analyze", "MISSING.DAT"}, dir.Path()).exitCode, 1);

  EXPECT_EQ(RunCli({"analyze", "OK.DAT", "OK.DAT"}, dir.Path()).exitCode, 2);  // needs --output-dir
  EXPECT_EQ(RunCli({"analyze", "OK.DAT", "--format", "xml"}, dir.Path()).exitCode, 2);
  EXPECT_EQ(RunCli({"analyze", "OK.DAT", "--units", "furlongs"}, dir.Path()).exitCode, 2);
  EXPECT_EQ(RunCli({"analyze", "OK.DAT", "--scale", "2,5"}, dir.Path()).exitCode, 2);
  EXPECT_EQ(RunCli({"analyze", "OK.DAT", "--session-length", "-5"}, dir.Path()).exitCode, 2);
  EXPECT_EQ(RunCli({"analyze", "OK.DAT", "--decimal-comma", "--decimal-point"}, dir.Path()).exitCode, 2);
  const auto usage = RunCli({"analyze", "OK.DAT", "-o", "A", "--output-dir", "B"}, dir.Path());
  EXPECT_EQ(usage.exitCode, 2);
  EXPECT_EQ(usage.out, "");
}

// Runs tracelux-cli with its standard output on /dev/full; the exit code and standard error.
std::pair<int, std::string> RunCliIntoFullDisk(const std::vector<std::string>& args, const std::string& workDir) {
  test::TempDir scratch;
  const std::string errPath = scratch.File("err");
  const pid_t pid = ::fork();
  if (pid == 0) {
    const int full = ::open("/dev/full", O_WRONLY);
    const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (full < 0 || err < 0 || ::chdir(workDir.c_str()) != 0) ::_exit(127);
    ::dup2(full, 1);
    ::dup2(err, 2);
    std::vector<std::string> copy = args;
    std::string program = TLX_CLI_PATH;
    std::vector<char*> argv{program.data()};
    for (auto& a : copy) argv.push_back(a.data());
    argv.push_back(nullptr);
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, test::ReadBytes(errPath)};
}

TEST(CliOutputs, HalfASampleAtTheEndIsDroppedNotTheRecording) {
  test::TempDir dir;
  test::WriteBytes(dir.File("RAT1.DAT"), SmallRun().Bytes() + "x");
  const auto out = RunCli({"analyze", "RAT1.DAT", "--decimal-point"}, dir.Path());
  EXPECT_EQ(out.exitCode, 0) << out.err;
  EXPECT_EQ(out.out, kSmallResults);
  const auto info = RunCli({"info", "RAT1.DAT", "--json"}, dir.Path());
  EXPECT_NE(info.out.find("\"samples\": 4,"), std::string::npos) << info.out;
  EXPECT_EQ(RunCli({"export-samples", "RAT1.DAT"}, dir.Path()).out, "10,10\r\n20,10\r\n20,10\r\n150,150\r\n");
}

TEST(CliOutputs, NoOutputReplacesADataFile) {
  test::TempDir dir;
  const std::string recording = SmallRun().Bytes();
  test::WriteBytes(dir.File("RAT1.DAT"), recording);
  for (const char* format : {"results", "export"}) {
    const auto out = RunCli({"analyze", "RAT1.DAT", "-o", "RAT1.DAT", "--format", format}, dir.Path());
    EXPECT_EQ(out.exitCode, 1) << format;
    EXPECT_EQ(out.err, "The file " + dir.File("RAT1.DAT") + " cannot be written: it is a data file being analysed.\n");
  }
  const auto samples = RunCli({"export-samples", "RAT1.DAT", "-o", "RAT1.DAT"}, dir.Path());
  EXPECT_EQ(samples.exitCode, 1);
  EXPECT_EQ(test::ReadBytes(dir.File("RAT1.DAT")), recording);

  // In a batch, a data file where its own output would go stays; the others are analysed.
  std::filesystem::create_directory(dir.File("out"));
  test::WriteBytes(dir.File("out/RAT2.CSV"), recording);
  const auto batch = RunCli({"analyze", "RAT1.DAT", "out/RAT2.CSV", "--output-dir", "out"}, dir.Path());
  EXPECT_EQ(batch.exitCode, 1);
  EXPECT_EQ(test::ReadBytes(dir.File("out/RAT2.CSV")), recording);
  EXPECT_TRUE(test::PathExists(dir.File("out/RAT1.CSV")));
}

TEST(CliOutputs, AStandardOutputThatCannotBeWrittenFailsTheCommand) {
  test::TempDir dir;
  test::WriteBytes(dir.File("RAT1.DAT"), SmallRun().Bytes());
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"analyze", "RAT1.DAT"}, {"analyze", "RAT1.DAT", "--format", "export"},
        {"export-samples", "RAT1.DAT"}, {"info", "RAT1.DAT"}}) {
    const auto [code, err] = RunCliIntoFullDisk(args, dir.Path());
    EXPECT_EQ(code, 1) << args[0] << " " << args.back();
    EXPECT_EQ(err, "The standard output cannot be written.\n") << args[0];
  }
}

TEST(CliExportSamples, LinesOnStandardOutputOrInAFile) {
  test::TempDir dir;
  DataFileBuilder b;
  b.Add({{0, 0}, {117, 64}, {5, 255}});
  test::WriteBytes(dir.File("S.DAT"), b.Bytes());
  const auto out = RunCli({"export-samples", "S.DAT", "--decimal-point"}, dir.Path());
  EXPECT_EQ(out.exitCode, 0);
  EXPECT_EQ(out.out, "0,0\r\n117,64\r\n\"\",\"\"\r\n");
  EXPECT_EQ(RunCli({"export-samples", "S.DAT", "-o", "S.CSV", "--decimal-comma"}, dir.Path()).exitCode, 0);
  EXPECT_EQ(test::ReadBytes(dir.File("S.CSV")), "0;0\r\n117;64\r\n\"\";\"\"\r\n");
  test::WriteBytes(dir.File("B.DAT"), "\xFC\xAA" + std::string(36, '\0'));
  const auto bad = RunCli({"export-samples", "B.DAT"}, dir.Path());
  EXPECT_EQ(bad.exitCode, 1);
  EXPECT_EQ(bad.out, "");
  EXPECT_EQ(bad.err, "The file B.DAT is not a valid Tracelux data file.\n");
}

TEST(CliInfo, JsonKeysAndValues) {
  test::TempDir dir;
  DataFileBuilder b;
  b.rateCode = 2;
  b.video = 1;  // PAL: 25 per second
  b.sessionLength5 = 2;  // 10 s = 250 samples per session
  b.scale = 0;
  b.Repeat(1, 1, 260);
  test::WriteBytes(dir.File("I.DAT"), b.Bytes());
  const auto out = RunCli({"info", "I.DAT", "--json"}, dir.Path());
  ASSERT_EQ(out.exitCode, 0) << out.err;
  EXPECT_EQ(out.out,
            "{\"version\": 3, \"start\": \"2000-01-01 00:00:00\", \"session_length\": 10, \"sessions\": 2, "
            "\"sample_rate\": 25, \"samples\": 260, \"duration\": 10.4, \"max_distance\": 50, "
            "\"ambulatory_threshold\": 3, \"stereotypic_threshold\": 2, \"units\": \"cm\", "
            "\"calibrate_scale\": 0, \"calibrate_reference\": 12, \"units_per_pixel\": null}\n");
  const auto text = RunCli({"info", "I.DAT"}, dir.Path());
  EXPECT_NE(text.out.find("Sessions: 2\n"), std::string::npos);
  EXPECT_EQ(RunCli({"info", "NONE.DAT"}, dir.Path()).exitCode, 1);
}

}  // namespace
}  // namespace tlx
