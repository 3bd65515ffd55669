// The run command with real processes: a second program on the same home or the same data file
// (another home, another spelling of its path), a run killed mid-way and recovered by the next
// command, a run stopped by a signal, damaged journals, and runs that cannot write.
#include "../data/DataFileBuilder.h"
#include "run/RunJournal.h"
#include "sim/PtyServer.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>

namespace tlx::test {
namespace {

// A real-time run of one minute on the simulated unit behind a pseudo-terminal, started as its
// own process; ready once its journal is written and its first samples are on the disk.
class LiveRun : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server.Open()) << server.ErrorText();
    serving = std::thread([this] { server.Serve(); });
    WriteBytes(home.File("RT.EXP"), RunSetupText(home.File("RT.DAT"), 60));
    pid = StartCli({"run", "--setup", home.File("RT.EXP"), "--unit", server.SlavePath(), "--home",
                    home.Path()},
                   home.File("out"), home.File("err"));
    ASSERT_TRUE(WaitUntil(
        [&] {
          return !FindRunJournals(home.Path()).empty() && FileSize(home.File("RT.RAW")) >= 2;
        },
        30000)) << ReadBytes(home.File("err"));
  }
  void TearDown() override {
    if (pid > 0) {
      ::kill(pid, SIGKILL);
      WaitCli(pid);
    }
    server.RequestStop();
    if (serving.joinable()) serving.join();
  }

  SimulatedUnit unit{4};
  PtyServer server{unit};
  std::thread serving;
  TempDir home;
  int pid = -1;
};

TEST_F(LiveRun, ASecondProgramOnTheHomeIsRefusedAndAKilledRunIsRecoveredButNotOverwritten) {
  const std::string journal = ReadBytes(FindRunJournals(home.Path()).at(0));
  const std::size_t rawBefore = FileSize(home.File("RT.RAW"));
  auto r = RunCli({"run", "--setup", home.File("RT.EXP"), "--home", home.Path(), "--yes"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find("is already in use by process " + std::to_string(pid)), std::string::npos)
      << r.err;
  // Nothing of the first run was touched: it is still recording, and no settings were written.
  EXPECT_EQ(ReadBytes(FindRunJournals(home.Path()).at(0)), journal);
  EXPECT_FALSE(PathExists(home.File("TRACELUX.INI")));
  EXPECT_FALSE(PathExists(home.File("RT.DAT")));
  EXPECT_TRUE(WaitUntil([&] { return FileSize(home.File("RT.RAW")) > rawBefore; }, 5000));

  // Another home, the same data file reached through a linked folder: refused, naming the
  // recorder, before the unit or any file is touched.
  TempDir other;
  const std::string linked = other.File("link/RT.DAT");
  std::filesystem::create_directory_symlink(home.Path(), other.File("link"));
  r = RunCli({"run", "--setup", home.File("RT.EXP"), "--data-file", linked, "--home", other.Path(),
              "--yes"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err, "The data file " + linked + " is being recorded by process " +
                       std::to_string(pid) + ".\n");
  EXPECT_FALSE(PathExists(home.File("RT.DAT")));

  ::kill(pid, SIGKILL);
  EXPECT_EQ(WaitCli(pid), -1);
  pid = -1;
  const std::string raw = ReadBytes(home.File("RT.RAW"));
  ASSERT_GE(raw.size(), 2u);

  // The next command recovers it, says so, and does not record over it even with --yes, however
  // the data file is spelled.
  r = RunCli({"run", "--setup", home.File("RT.EXP"), "--data-file", linked, "--home", home.Path(),
              "--yes"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find("An interrupted run was recovered into " + home.File("RT.DAT") + " (" +
                       std::to_string(raw.size() / 2) + " samples)."), std::string::npos) << r.err;
  EXPECT_NE(r.err.find(linked + " was just recovered"), std::string::npos) << r.err;
  const std::string dat = ReadBytes(home.File("RT.DAT"));
  ASSERT_GE(dat.size(), 38u);
  EXPECT_EQ(dat.substr(38), raw.substr(0, raw.size() / 2 * 2));
  EXPECT_TRUE(PathExists(home.File("RT.PRN")));
  EXPECT_TRUE(FindRunJournals(home.Path()).empty());

  // A later command may overwrite it when told to.
  r = RunCli({"run", "--setup", home.File("RT.EXP"), "--home", home.Path(), "--yes"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.err.rfind("Finished: 1 session, 1800 samples, ", 0), 0u) << r.err;  // the summary alone
  EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
  EXPECT_EQ(FileSize(home.File("RT.DAT")), 38u + 2u * 60 * 30);
}

// A closed terminal (SIGHUP) stops the run as Ctrl-C and SIGTERM do.
TEST_F(LiveRun, HangUpEndsTheRunEarlyWithItsOwnExitCodeAndSaysHowFarItGot) {
  ::kill(pid, SIGHUP);
  const int code = WaitCli(pid);
  pid = -1;
  EXPECT_EQ(code, 3);
  const std::string err = ReadBytes(home.File("err"));
  const std::size_t samples = (FileSize(home.File("RT.DAT")) - 38) / 2;
  EXPECT_GE(samples, 1u);
  // The summary, then what the run lacks.
  const std::string stopped =
      "The run was stopped before its end: " + std::to_string(samples) + " of 1800 samples were recorded.\n";
  EXPECT_EQ(err.rfind("Stopped: 1 session, " + std::to_string(samples) + " samples, ", 0), 0u) << err;
  ASSERT_GT(err.size(), stopped.size());
  EXPECT_EQ(err.substr(err.size() - stopped.size()), stopped);
  EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 2) << err;
  EXPECT_EQ(ReadBytes(home.File("out")), ReadBytes(home.File("RT.PRN")));  // what was recorded
  EXPECT_TRUE(FindRunJournals(home.Path()).empty());
}

// A raw file removed under a running run: its data file lacks the samples, which is said, not
// "Stopped" or "Finished" with exit 0 or 3.
TEST_F(LiveRun, ARawFileRemovedDuringTheRunIsAShortfallNotASuccess) {
  std::filesystem::remove(home.File("RT.RAW"));
  ::kill(pid, SIGTERM);
  EXPECT_EQ(WaitCli(pid), 1);
  pid = -1;
  const std::string err = ReadBytes(home.File("err"));
  EXPECT_NE(err.find("The data file " + home.File("RT.DAT") + " holds 0 of the "), std::string::npos)
      << err;
  EXPECT_EQ(err.find("Stopped"), std::string::npos) << err;
  EXPECT_EQ(ReadBytes(home.File("out")), "");
}

// Ctrl-C while the run waits for its initial delay: nothing was recorded, and nothing is left.
TEST(RunCommandSignals, CtrlCBeforeTheRunStartsLeavesNoFiles) {
  SimulatedUnit unit{4};
  PtyServer server{unit};
  ASSERT_TRUE(server.Open()) << server.ErrorText();
  std::thread serving([&] { server.Serve(); });
  TempDir home;
  WriteBytes(home.File("D.EXP"), RunSetupText(home.File("D.DAT"), 5, 1, 30, 600));
  const int pid = StartCli({"run", "--setup", home.File("D.EXP"), "--unit", server.SlavePath(),
                            "--home", home.Path()},
                           home.File("out"), home.File("err"));
  std::this_thread::sleep_for(std::chrono::seconds(3));
  ::kill(pid, SIGINT);
  EXPECT_EQ(WaitCli(pid), 3);
  server.RequestStop();
  serving.join();
  EXPECT_EQ(ReadBytes(home.File("err")),
            "The run was stopped before it started; nothing was recorded.\n");
  for (const char* name : {"D.RAW", "D.DAT", "D.PRN"}) EXPECT_FALSE(PathExists(home.File(name))) << name;
  EXPECT_TRUE(FindRunJournals(home.Path()).empty());
}

// Journals that cannot be used now are kept and said so at every start; their raw files are
// never recorded over, even with --yes, and are recovered by hand with the run's setup. Two
// journals of one recording (two spellings of its path) are reconciled.
TEST(RunCommandFiles, DamagedJournalsAndUnrecoveredRawFilesAreKeptAndRecoveredByHand) {
  TempDir dir;
  const std::string raw(2 * 156, '\x40');
  WriteBytes(dir.File("X.RAW"), raw);
  WriteBytes(dir.File("X.EXP"), RunSetupText(dir.File("X.DAT"), 5));
  const std::string damaged[] = {"", "\x93\xff\x00garbage", "Data File = " + dir.File("X.DAT") + "\r\nStart Ti"};
  for (std::size_t i = 0; i < std::size(damaged); ++i)
    WriteBytes(dir.File("RUN-X-" + std::to_string(i) + ".JOURNAL"), damaged[i]);
  RunJournal unmounted, older, newer;
  for (RunJournal* j : {&unmounted, &older, &newer}) {
    j->Parameters.SampleRate = 30;
    j->Parameters.SessionLength = 5;
    j->Parameters.NumberOfSessions = 1;
    j->Parameters.CalibrateScale = 120;
    j->Parameters.CalibrateReference = 35;
    j->Parameters.MaximumDistance = 60;
  }
  unmounted.DataFile = "/nonexistent-drive/Y.DAT";
  ASSERT_TRUE(WriteRunJournal(dir.File("RUN-Y-0.JOURNAL"), unmounted));
  // Z.RAW written by the later of two runs recorded into it, its path spelled two ways.
  WriteBytes(dir.File("Z.RAW"), std::string(2 * 30, '\x20'));
  older.DataFile = dir.File("Z.DAT");
  newer.DataFile = dir.Path() + "/./Z.DAT";
  older.StartTime = {2026, 1, 2, 9, 0, 0, 0};
  newer.StartTime = {2026, 1, 2, 10, 0, 0, 0};
  ASSERT_TRUE(WriteRunJournal(dir.File("RUN-Z-0.JOURNAL"), older));
  ASSERT_TRUE(WriteRunJournal(dir.File("RUN-Z-1.JOURNAL"), newer));

  auto r = RunCli({"run", "--setup", dir.File("X.EXP"), "--home", dir.Path(), "--yes"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, "");
  for (std::size_t i = 0; i < std::size(damaged); ++i)
    EXPECT_NE(r.err.find("The journal " + dir.File("RUN-X-" + std::to_string(i) + ".JOURNAL") +
                         " of an interrupted run cannot be read; it is kept."),
              std::string::npos) << r.err;
  EXPECT_NE(r.err.find("/nonexistent-drive/Y.DAT waits for recovery: its folder cannot be reached "
                       "(No such file or directory); its journal is kept."), std::string::npos);
  EXPECT_NE(r.err.find("The journal " + dir.File("RUN-Z-0.JOURNAL") + " of an older run"),
            std::string::npos) << r.err;
  EXPECT_NE(r.err.find("An interrupted run was recovered into " + newer.DataFile + " (30 samples)."),
            std::string::npos) << r.err;
  EXPECT_NE(r.err.find(dir.File("X.RAW") + " holds 156 samples of an interrupted run that cannot "
                       "be recovered automatically"), std::string::npos) << r.err;
  EXPECT_EQ(ReadBytes(dir.File("X.RAW")), raw);
  EXPECT_FALSE(PathExists(dir.File("X.DAT")));
  EXPECT_EQ(FindRunJournals(dir.Path()).size(), 4u);  // the damaged ones and the unmounted one

  r = RunCli({"recover", dir.File("X.RAW"), "--setup", dir.File("X.EXP")});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.err.find("was recovered into " + dir.File("X.DAT") + " (156 samples"), std::string::npos);
  EXPECT_EQ(ReadBytes(dir.File("X.DAT")).substr(38), raw);
  EXPECT_TRUE(PathExists(dir.File("X.PRN")));
  EXPECT_FALSE(PathExists(dir.File("X.RAW")));
}

// recover takes only a raw file with samples, whatever the case of its extension, and never
// writes over a data file that holds samples.
TEST(RunCommandFiles, RecoverByHandTakesOnlyARawFileWithSamplesAndNeverReplacesARecording) {
  TempDir dir;
  WriteBytes(dir.File("X.EXP"), RunSetupText(dir.File("X.DAT"), 5));
  const std::string samples(2 * 40, '\x30');
  const std::string recording = DataFileBuilder{}.Add({{10, 10}, {20, 10}}).Bytes();
  WriteBytes(dir.File("A.DAT"), recording);
  WriteBytes(dir.File("A.RAW"), samples);  // a raw file beside a recording with samples
  WriteBytes(dir.File("E.RAW"), "");
  WriteBytes(dir.File("NOEXT"), samples);
  const struct { std::string given, says; } refused[] = {
      {"A.DAT", "is a data file, not a raw file"},
      {"E.RAW", "holds no samples"},
      {"NOEXT", "is not a raw file"},
      {"A.RAW", "samples; it is never written over"},
      {"MISSING.RAW", "cannot be read: No such file or directory"},
  };
  for (const auto& c : refused) {
    const auto r = RunCli({"recover", c.given, "--setup", "X.EXP", "--yes"}, dir.Path());
    EXPECT_EQ(r.exitCode, 1) << c.given;
    EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
    EXPECT_EQ(ReadBytes(dir.File("A.DAT")), recording);
    EXPECT_EQ(ReadBytes(dir.File("A.RAW")), samples);
    EXPECT_FALSE(PathExists(dir.File("E.DAT")) || PathExists(dir.File("NOEXT.DAT")));
  }
  // Lower-case extension, given as such or left out: its samples become the data file.
  for (const char* given : {"b.raw", "c"}) {
    const std::string stem = std::string(given).substr(0, 1);
    WriteBytes(dir.File(stem + ".raw"), samples);
    const auto r = RunCli({"recover", given, "--setup", "X.EXP"}, dir.Path());
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(ReadBytes(dir.File(stem + ".DAT")).substr(38), samples) << given;
    EXPECT_FALSE(PathExists(dir.File(stem + ".raw")));
  }
}

TEST(RunCommandFiles, ARunThatCannotWriteAFileFailsNamingItAndItsReason) {
  struct Case {
    const char* what;
    const char* dataFile;
    const char* blocked;  // a directory put where a file of the run goes
    const char* named;
    const char* reason;
  };
  const std::string longName = std::string(240, 'X') + ".DAT";
  const Case cases[] = {
      {"data folder missing", "gone/X.DAT", "", "gone/X.DAT", "cannot be created: No such file"},
      {"data folder missing, named by the setup", "", "", "gone/OTHER.DAT", "No such file"},
      // 240 characters fit; with ".tmp~<pid>-<writer>" they do not.
      {"temporary names too long", longName.c_str(), "", "XXXXXXXX", "File name too long"},
      {"directory at the map's path", "X.DAT", "X.MAP", "X.MAP", "Is a directory"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    WriteBytes(dir.File("X.EXP"), RunSetupText(dir.File(*c.dataFile ? "OTHER.DAT" : "gone/OTHER.DAT"), 5));
    if (*c.blocked) std::filesystem::create_directory(dir.File(c.blocked));
    std::vector<std::string> args{"run", "--setup", dir.File("X.EXP"), "--home", dir.Path()};
    if (*c.dataFile) args.insert(args.end(), {"--data-file", dir.File(c.dataFile)});
    const auto r = RunCli(args);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find(dir.File(c.named)), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(c.reason), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("kept in ."), std::string::npos);
    EXPECT_EQ(r.err.find("names no data file"), std::string::npos);
    // A run refused at its start recorded nothing.
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
      EXPECT_NE(entry.path().extension(), ".RAW") << entry.path();
    // A map that could not be written leaves the recording in its data file.
    EXPECT_EQ(FileSize(dir.File("X.DAT")), *c.blocked ? 38u + 300u : 0u);
  }
}

}  // namespace
}  // namespace tlx::test
