// tracelux-cli analyze, export-samples, info and --version, run as a separate process: output
// bytes, exit codes and the messages of the command-line contract.
#include "../data/DataFileBuilder.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <regex>
#include <tuple>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tlx {
namespace {

using test::DataFileBuilder;
using namespace std::string_literals;
using test::RunCli;

// Four samples at 1 per second in zone A with one 10 px move: thresholds max 50, ambulatory 3.
DataFileBuilder SmallRun() { return DataFileBuilder{}.Add({{10, 10}, {20, 10}, {20, 10}, {150, 150}}); }

const std::string kSmallTable =
    " 1 ,ALL,0.6, 1 , 0 , 3 , 4 ,N/A,N/A\r\n"
    " 1 ,A,0.6, 1 , 0 , 3 , 4 , 1 ,1.0\r\n"
    " 1 ,B,0.0, 0 , 0 , 0 , 0 , 0 ,N/A\r\n"
    " 1 ,C,0.0, 0 , 0 , 0 , 0 , 0 ,N/A\r\n"
    " 1 ,D,0.0, 0 , 0 , 0 , 0 , 0 ,3.0\r\n";

TEST(CliAnalyze, ResultsExportAndSamplesOnStandardOutputOrInAFileAndAFullOutputFails) {
  test::TempDir dir;
  // Half a sample at the end is dropped, not the recording.
  test::WriteBytes(dir.File("RAT1.DAT"), SmallRun().Bytes() + "x");
  const auto out = RunCli({"analyze", "RAT1.DAT", "--decimal-point"}, dir.Path());
  EXPECT_EQ(std::tuple(out.exitCode, out.err), std::tuple(0, ""s));
  // The header's layout is the golden results file's; here the name it gives and the figures.
  EXPECT_TRUE(out.out.starts_with("Expr. Filename,RAT1.DAT\r\n") && out.out.ends_with(kSmallTable)) << out.out;
  EXPECT_EQ(RunCli({"analyze", "RAT1.DAT", "-o", "R.PRN", "--decimal-point"}, dir.Path()).exitCode, 0);
  EXPECT_EQ(test::ReadBytes(dir.File("R.PRN")), out.out);
  EXPECT_EQ(RunCli({"analyze", "RAT1.DAT", "--no-header", "--decimal-point"}, dir.Path()).out, kSmallTable);
  // The export's layout is the golden files'; here it carries the figures. The samples export
  // leaves the half sample out.
  const auto exported = RunCli({"analyze", "RAT1.DAT", "--format", "export", "--decimal-point"}, dir.Path());
  EXPECT_NE(exported.out.find("\r\n1,A,0.6,1,0,3,4,1,1.0\r\n"), std::string::npos) << exported.err;
  const auto samples = RunCli({"export-samples", "RAT1.DAT", "--decimal-comma"}, dir.Path());
  EXPECT_EQ(samples.out, "10;10\r\n20;10\r\n20;10\r\n150;150\r\n");

  // A standard output that cannot be written fails the command.
  for (const char* args : {"analyze RAT1.DAT", "analyze RAT1.DAT --format export", "info RAT1.DAT"}) {
    const std::string command = "cd '" + dir.Path() + "' && '" TLX_CLI_PATH "' " + args + " >/dev/full 2>err";
    const int status = std::system(command.c_str());
    EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, 1) << args;
    EXPECT_EQ(test::ReadBytes(dir.File("err")), "The standard output cannot be written.\n") << args;
  }
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
  EXPECT_EQ(RunCli({"analyze", dir.File("RAT1.DAT"), "--map", dir.File("RAT1.DAT")}).exitCode, 1);
}

TEST(CliAnalyze, BatchIntoADirectoryIsTheSameForAnyJobCountAndReportsBadFiles) {
  test::TempDir dir;
  std::vector<std::string> args = {"analyze"};
  for (int i = 0; i < 6; ++i) {
    args.push_back("F" + std::to_string(i) + ".DAT");
    test::WriteBytes(dir.File(args.back()), SmallRun().Repeat(10 + i, 20, i * 7).Bytes());
  }
  test::WriteBytes(dir.File("BAD.DAT"), "\xFE\xAA" + std::string(40, '\0'));
  args.push_back("BAD.DAT");
  auto withJobs = [&](const std::string& jobs, const std::string& outDir) {
    std::vector<std::string> a = args;
    a.insert(a.end(), {"--output-dir", outDir, "-j", jobs, "--decimal-point"});
    return RunCli(a, dir.Path());
  };
  const auto one = withJobs("1", "one");
  EXPECT_EQ(std::tuple(one.exitCode, one.err), std::tuple(1, "The file BAD.DAT is not a valid Tracelux data file.\n"s));
  EXPECT_EQ(withJobs("2", "two").err, one.err);
  for (int i = 0; i < 6; ++i) {
    const std::string a = test::ReadBytes(dir.File("one/F" + std::to_string(i) + ".CSV"));
    EXPECT_EQ(a.substr(0, 23), "Expr. Filename,F" + std::to_string(i) + ".DAT\r\n") << i;
    EXPECT_EQ(a, test::ReadBytes(dir.File("two/F" + std::to_string(i) + ".CSV")));
  }
  EXPECT_FALSE(test::PathExists(dir.File("one/BAD.CSV")));
}

TEST(CliAnalyze, RefusedFilesUsageErrorsAndOutputsThatWouldReplaceADataFile) {
  test::TempDir dir;
  test::WriteBytes(dir.File("OK.DAT"), SmallRun().Bytes());
  test::WriteBytes(dir.File("SHORT.DAT"), SmallRun().Header().substr(0, 20));
  std::filesystem::create_directory(dir.File("DIR.DAT"));
  for (const char* name : {"SHORT.DAT", "DIR.DAT"}) {
    const auto out = RunCli({"analyze", name}, dir.Path());
    EXPECT_EQ(std::tuple(out.exitCode, out.err), std::tuple(1, "The file "s + name + " is not a valid Tracelux data file.\n"));
  }
  // A refused data file leaves the output file that was there.
  test::WriteBytes(dir.File("KEEP.PRN"), "keep");
  EXPECT_EQ(RunCli({"analyze", "SHORT.DAT", "-o", "KEEP.PRN"}, dir.Path()).exitCode, 1);
  EXPECT_EQ(test::ReadBytes(dir.File("KEEP.PRN")), "keep");
  EXPECT_EQ(RunCli({"analyze", "MISSING.DAT"}, dir.Path()).exitCode, 1);
  EXPECT_EQ(RunCli({"export-samples", "SHORT.DAT"}, dir.Path()).exitCode, 1);

  const std::vector<std::string> usageErrors[] = {
      {"OK.DAT"},  // two inputs need --output-dir
      {"--format", "xml"}, {"--units", "furlongs"}, {"--scale", "2,5"}, {"--session-length", "-5"},
      {"--decimal-comma", "--decimal-point"}, {"-o", "A", "--output-dir", "B"},
      {"--format", "tidy", "--output-dir", "d"},  // the tidy formats write one table
      // Values no analysis can have.
      {"--session-length", "0"}, {"--ambulatory", "-1"}, {"--scale", "0"}, {"--reference", "-2"}};
  for (const auto& extra : usageErrors) {
    std::vector<std::string> args = {"analyze", "OK.DAT"};
    args.insert(args.end(), extra.begin(), extra.end());
    EXPECT_EQ(RunCli(args, dir.Path()).exitCode, 2) << extra[0];
  }

  // A header without a session length is refused, by analyze and info alike, not split into
  // sessions of one sample.
  auto noLength = SmallRun();
  noLength.sessionLength5 = 0;
  test::WriteBytes(dir.File("NOLEN.DAT"), noLength.Bytes());
  const auto refused = RunCli({"analyze", "NOLEN.DAT"}, dir.Path());
  EXPECT_EQ(std::tuple(refused.exitCode, refused.out), std::tuple(1, ""s));
  EXPECT_NE(refused.err.find("its session length is 0 s"), std::string::npos) << refused.err;
  EXPECT_NE(RunCli({"info", "NOLEN.DAT"}, dir.Path()).out.find("Sessions: 0 (the header records no session length)"),
            std::string::npos);
  EXPECT_EQ(RunCli({"analyze", "NOLEN.DAT", "--session-length", "5"}, dir.Path()).exitCode, 0);

  // No output replaces a data file.
  const std::string recording = SmallRun().Bytes();
  for (const char* format : {"results", "export", "tidy-json"}) {
    const auto out = RunCli({"analyze", "OK.DAT", "-o", "OK.DAT", "--format", format}, dir.Path());
    EXPECT_EQ(std::tuple(out.exitCode, out.err),
              std::tuple(1, "The file " + dir.File("OK.DAT") + " cannot be written: it is a data file being analysed.\n"));
  }
  EXPECT_EQ(test::ReadBytes(dir.File("OK.DAT")), recording);

  // In a batch, a data file where its own output would go stays; the others are analysed.
  std::filesystem::create_directory(dir.File("out"));
  test::WriteBytes(dir.File("out/RAT2.CSV"), recording);
  EXPECT_EQ(RunCli({"analyze", "OK.DAT", "out/RAT2.CSV", "--output-dir", "out"}, dir.Path()).exitCode, 1);
  EXPECT_EQ(test::ReadBytes(dir.File("out/RAT2.CSV")), recording);
  EXPECT_TRUE(test::PathExists(dir.File("out/OK.CSV")));
}

// Everything in a folder: each entry's kind and bytes (a link's target), links not followed.
std::map<std::string, std::string> Snapshot(const std::string& folder) {
  namespace fs = std::filesystem;
  std::map<std::string, std::string> all;
  for (const auto& e : fs::recursive_directory_iterator(folder)) {
    const std::string name = e.path().string().substr(folder.size());
    if (e.is_symlink()) all[name] = "link " + fs::read_symlink(e.path()).string();
    else if (e.is_regular_file()) all[name] = test::ReadBytes(e.path().string());
    else all[name] = e.is_directory() ? "folder" : "other";
  }
  return all;
}

// Every command that writes, aimed at one of its inputs or at a recording under another spelling
// (a link to the file or to its folder, "x/../", a lower-case extension), is refused with exit 1
// and changes nothing; so are names with a control character and folders that are not there.
TEST(CliOutputs, NoWriterReplacesAnInputOrARecordingWhateverTheSpelling) {
  test::TempDir dir;
  const std::string recording = SmallRun().Bytes();
  test::WriteBytes(dir.File("A.DAT"), recording);
  test::WriteBytes(dir.File("B.DAT"), recording);
  test::WriteBytes(dir.File("B.MAP"), std::string("\xFC\xAA") + std::string(768, 'Z'));
  test::WriteBytes(dir.File("P.RAW"), std::string(60, '\x20'));  // an interrupted run's samples
  test::WriteBytes(dir.File("z.txt"), "AB\n");
  std::filesystem::create_directory(dir.File("sub"));
  std::filesystem::create_directory(dir.File("out"));
  test::WriteBytes(dir.File("out/A.CSV"), recording);  // a recording copied under another name
  test::WriteBytes(dir.File("copy.png"), recording);
  std::filesystem::create_directory_symlink(dir.Path(), dir.File("L"));
  std::filesystem::create_symlink(dir.File("A.DAT"), dir.File("A.lnk"));
  ASSERT_EQ(RunCli({"setup", "new", "S.EXP"}, dir.Path()).exitCode, 0);
  ASSERT_EQ(RunCli({"setup", "new", "U1.EXP", "--data-file", "U1.DAT", "--session-length", "5"}, dir.Path()).exitCode, 0);
  ASSERT_EQ(RunCli({"setup", "new", "U2.EXP", "--data-file", "U2.DAT", "--session-length", "5"}, dir.Path()).exitCode, 0);
  test::TempDir home;  // the rack's program home, outside the folder watched
  const auto before = Snapshot(dir.Path());

  struct Case {
    std::vector<std::string> args;
    std::string says;  // a part of the refusal
  };
  std::vector<Case> cases = {
      {{"analyze", "A.DAT", "-o", "sub/../A.DAT"}, "it is a data file being analysed"},
      {{"analyze", "A.DAT", "-o", "L/B.DAT"}, "it is a data file (a recording)"},
      {{"analyze", "A.DAT", "-o", "B.map"}, "it is the zone map of the recording"},
      {{"analyze", "A.DAT", "-o", "P.PRN"}, "it is the results file of the recording " + dir.File("P.RAW")},
      {{"analyze", "A.DAT", "--format", "export", "-o", "A.lnk"}, "it is a data file being analysed"},
      {{"analyze", "A.DAT", "--map", "B.MAP", "-o", "./B.MAP"}, "it is the zone map being read"},
      {{"analyze", "A.DAT", "--output-dir", "L/out"}, "it is a data file (a recording)"},
      {{"analyze", "A.DAT", "--format", "tidy", "-o", "A.lnk"}, "it is a data file being analysed"},
      {{"analyze", "A.DAT", "--format", "tidy-json", "-o", "B.dat"}, "it is a data file of the recording"},
      {{"analyze", "A.DAT", "-o", "R\n.PRN"}, "\"" + dir.File("R\\n.PRN") + "\" holds a control character"},
      {{"analyze", "A.DAT", "-o", "none/R.PRN"}, dir.File("none/R.PRN") + " cannot be written: No such file or directory."},
      {{"export-samples", "A.DAT", "-o", "L/A.DAT"}, "it is the data file being exported"},
      {{"export-samples", "A.DAT", "-o", "P.raw"}, "it is the raw file of the recording"},
      {{"map", "import", "z.txt", "-o", "sub/../z.txt"}, "it is the map text being read"},
      {{"map", "import", "z.txt", "-o", "L/B.MAP"}, "it is the zone map of the recording"},
      {{"setup", "show", "S.EXP", "-o", "./S.EXP"}, "it is the setup file being read"},
      {{"setup", "show", "S.EXP", "-o", "A.dat"}, "a data file of the recording"},
      {{"setup", "new", "L/B.DAT", "--force"}, "it is a data file (a recording)"},
      {{"recover", "A.DAT", "--setup", "S.EXP", "--yes"}, "is a data file, not a raw file"},
      // A rack refuses before it records: its own recordings (not there yet) and its inputs.
      {{"run", "--home", home.Path(), "--quiet", "--setup", "U1.EXP", "--unit", "sim", "--setup", "U2.EXP", "--unit",
        "sim", "--table", "L/U1.dat"}, "it is part of the recording into"},
      {{"run", "--home", home.Path(), "--quiet", "--setup", "U1.EXP", "--unit", "sim", "--setup", "U2.EXP", "--unit",
        "sim", "--table", "sub/../U2.EXP"}, "it is a setup file of the rack"},
  };
  // Pictures are drawn by a program of their own, there only where the drawing library is built.
  if (test::PathExists(std::filesystem::path(TLX_CLI_PATH).parent_path() / "tracelux-plot"))
    cases.push_back({{"plot", "A.DAT", "--kind", "trace", "-o", "copy.png"}, "it is a data file (a recording)"});
  for (const Case& c : cases) {
    std::string line;
    for (const std::string& a : c.args) line += a + " ";
    SCOPED_TRACE(line);
    const auto r = RunCli(c.args, dir.Path());
    EXPECT_EQ(r.exitCode, 1) << r.err;
    EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
    const auto after = Snapshot(dir.Path());
    for (const auto& [name, bytes] : after) EXPECT_TRUE(before.count(name) && before.at(name) == bytes) << name;
    EXPECT_EQ(after.size(), before.size());
  }
}

// Standard output named as a file, and a device node: written in place, as root and as anyone.
TEST(CliOutputs, StandardOutputAndDevicesAreWrittenInPlace) {
  test::TempDir dir;
  test::WriteBytes(dir.File("A.DAT"), SmallRun().Bytes());
  const auto printed = RunCli({"analyze", "A.DAT", "--decimal-point"}, dir.Path());
  const auto named = RunCli({"analyze", "A.DAT", "--decimal-point", "-o", "/dev/stdout"}, dir.Path());
  EXPECT_EQ(std::tuple(named.exitCode, named.err, named.out), std::tuple(0, ""s, printed.out));
  const auto samples = RunCli({"export-samples", "A.DAT", "-o", "/dev/stdout", "--decimal-point"}, dir.Path());
  EXPECT_EQ(std::tuple(samples.exitCode, samples.out), std::tuple(0, "10,10\r\n20,10\r\n20,10\r\n150,150\r\n"s));
  EXPECT_EQ(RunCli({"analyze", "A.DAT", "--format", "tidy", "-o", "/dev/null"}, dir.Path()).exitCode, 0);
  struct stat st {};
  ASSERT_EQ(::lstat("/dev/null", &st), 0);
  EXPECT_TRUE(S_ISCHR(st.st_mode));
}

TEST(CliOutputs, ADeviceNodeInAScratchFolderStaysADevice) {
  if (::geteuid() != 0) GTEST_SKIP() << "a device node can only be made by root";
  test::TempDir dir;
  test::WriteBytes(dir.File("A.DAT"), SmallRun().Bytes());
  const std::string node = dir.File("null");
  ASSERT_EQ(::mknod(node.c_str(), S_IFCHR | 0666, ::makedev(1, 3)), 0);
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"analyze", "A.DAT", "-o", "null"}, {"analyze", "A.DAT", "--format", "tidy", "-o", "null"},
        {"export-samples", "A.DAT", "-o", "null"}}) {
    EXPECT_EQ(RunCli(args, dir.Path()).exitCode, 0) << args[1];
    struct stat st {};
    ASSERT_EQ(::lstat(node.c_str(), &st), 0);
    EXPECT_TRUE(S_ISCHR(st.st_mode)) << args[1];
  }
}

TEST(CliAnalyze, TidyTableWithBadFilesKeepsTheGoodRowsInAFileAndPrintsNothing) {
  test::TempDir dir;
  test::WriteBytes(dir.File("A.DAT"), SmallRun().Bytes());
  test::WriteBytes(dir.File("BAD.DAT"), "\xFE\xAA" + std::string(40, '\0'));
  const auto printed = RunCli({"analyze", "A.DAT", "BAD.DAT", "--format", "tidy"}, dir.Path());
  EXPECT_EQ(std::tuple(printed.exitCode, printed.out, printed.err),
            std::tuple(1, ""s, "The file BAD.DAT is not a valid Tracelux data file.\n"s));
  const auto written = RunCli({"analyze", "BAD.DAT", "A.DAT", "--format", "tidy", "-o", "T.CSV"}, dir.Path());
  EXPECT_EQ(std::tuple(written.exitCode, written.err), std::tuple(1, printed.err));
  const std::string t = test::ReadBytes(dir.File("T.CSV"));
  // The header and A.DAT's five rows (their bytes are the golden tidy file's test).
  EXPECT_EQ(std::count(t.begin(), t.end(), '\n'), 6);
}

TEST(CliInfo, JsonKeysAndValues) {
  test::TempDir dir;
  // PAL at 25 per second, 10-second sessions of 250 samples, no calibration scale.
  DataFileBuilder b{.video = 1, .sessionLength5 = 2, .scale = 0, .rateCode = 2, .samples = {}};
  test::WriteBytes(dir.File("I.DAT"), b.Repeat(1, 1, 260).Bytes() + "x");  // the half sample is not counted
  const auto out = RunCli({"info", "I.DAT", "--json"}, dir.Path());
  ASSERT_EQ(out.exitCode, 0) << out.err;
  EXPECT_EQ(out.out,
            "{\"version\": 3, \"start\": \"2000-01-01 00:00:00\", \"session_length\": 10, \"sessions\": 2, "
            "\"recorded_sessions\": 1, \"initial_delay\": 0, \"video_type\": 1, "
            "\"sample_rate\": 25, \"samples\": 260, \"duration\": 10.4, \"max_distance\": 50, "
            "\"ambulatory_threshold\": 3, \"stereotypic_threshold\": 2, \"units\": \"cm\", "
            "\"calibrate_scale\": 0, \"calibrate_reference\": 12, \"units_per_pixel\": null, "
            "\"tracking\": {\"expected_samples\": 250, \"recorded_samples\": 260, \"lost_samples\": 0, "
            "\"no_object_samples\": 0, \"impossible_samples\": 0, \"missing_samples\": 0, \"longest_gap_s\": 0.00, "
            "\"artifacts\": 0, \"analysed_s\": 10}, \"session_tracking\": [{\"expected_samples\": 250, "
            "\"recorded_samples\": 250, \"lost_samples\": 0, \"no_object_samples\": 0, \"impossible_samples\": 0, "
            "\"missing_samples\": 0, \"longest_gap_s\": 0.00, \"artifacts\": 0, \"analysed_s\": 10}, "
            "{\"expected_samples\": 250, \"recorded_samples\": 10, \"lost_samples\": 0, \"no_object_samples\": 0, "
            "\"impossible_samples\": 0, \"missing_samples\": 0, \"longest_gap_s\": 0.00, \"artifacts\": 0, "
            "\"analysed_s\": 0}]}\n");
  EXPECT_NE(RunCli({"info", "I.DAT"}, dir.Path()).out.find("Sessions: 2\n"), std::string::npos);
  EXPECT_EQ(RunCli({"info", "NONE.DAT"}, dir.Path()).exitCode, 1);
}

TEST(CliVersion, OneLineWithVersionAndCommitAndSuccess) {
  // A build with the placeholder publisher says so after the commit.
  const std::regex line(R"(tracelux-cli 3\.20 \((local )?build [0-9A-Za-z._/+-]+\)\n)");
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"--version"}, {"--version", "analyze"}}) {
    const auto out = test::RunCli(args);
    EXPECT_EQ(out.exitCode, 0) << out.err;
    EXPECT_TRUE(std::regex_match(out.out, line)) << out.out;
  }
  // Without a command it is still a usage error.
  EXPECT_EQ(test::RunCli({}).exitCode, 2);
}

}  // namespace
}  // namespace tlx
