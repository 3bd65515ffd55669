// The run command with real processes: a second program on the same home, a run killed mid-way
// and recovered by the next command, a run stopped by Ctrl-C, and runs that cannot write.
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

std::string SetupText(const std::string& dataFile, int sessionLength) {
  return "Save Data = True\r\nData File = \"" + dataFile + "\"\r\nSession Length = " +
         std::to_string(sessionLength) + "\r\nNumber of Sessions = 1\r\nInitial Delay = 0\r\n"
         "Maximum Distance = 60\r\nAmbulatory Threshold = 6\r\nStereotypic Threshold = 3\r\n"
         "Calibrate Scale = 120\r\nCalibrate Reference = 35\r\nSample Rate = 30\r\n";
}

bool WaitUntil(const std::function<bool()>& done, int limitMs) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return true;
}

std::size_t FileSize(const std::string& path) {
  std::error_code ec;
  const auto size = std::filesystem::file_size(path, ec);
  return ec ? 0 : static_cast<std::size_t>(size);
}

// A real-time run of one minute on the simulated unit behind a pseudo-terminal, started as its
// own process; ready once its journal is written and two seconds of samples are on the disk.
class LiveRun : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server.Open()) << server.ErrorText();
    serving = std::thread([this] { server.Serve(); });
    WriteBytes(home.File("RT.EXP"), SetupText(home.File("RT.DAT"), 60));
    pid = StartCli({"run", "--setup", home.File("RT.EXP"), "--unit", server.SlavePath(), "--home",
                    home.Path()},
                   home.File("out"), home.File("err"));
    ASSERT_TRUE(WaitUntil(
        [&] {
          return !FindRunJournals(home.Path()).empty() && FileSize(home.File("RT.RAW")) >= 120;
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

  ::kill(pid, SIGKILL);
  EXPECT_EQ(WaitCli(pid), -1);
  pid = -1;
  const std::string raw = ReadBytes(home.File("RT.RAW"));
  ASSERT_GE(raw.size(), 120u);

  // The next command recovers it, says so, and does not record over it even with --yes.
  r = RunCli({"run", "--setup", home.File("RT.EXP"), "--home", home.Path(), "--yes"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find("An interrupted run was recovered into " + home.File("RT.DAT") + " (" +
                       std::to_string(raw.size() / 2) + " samples)."), std::string::npos) << r.err;
  EXPECT_NE(r.err.find(home.File("RT.DAT") + " was just recovered"), std::string::npos);
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

TEST_F(LiveRun, CtrlCEndsTheRunEarlyWithItsOwnExitCodeAndSaysHowFarItGot) {
  ::kill(pid, SIGINT);
  const int code = WaitCli(pid);
  pid = -1;
  EXPECT_EQ(code, 3);
  const std::string err = ReadBytes(home.File("err"));
  const std::size_t samples = (FileSize(home.File("RT.DAT")) - 38) / 2;
  EXPECT_GE(samples, 60u);
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

TEST(RunCommandFiles, ARunThatCannotWriteAFileFailsNamingItAndItsReason) {
  struct Case {
    const char* what;
    const char* dataFile;
    const char* blocked;  // a directory put where a file of the run goes
    const char* named;
    const char* reason;
  };
  const Case cases[] = {
      {"data folder missing", "gone/X.DAT", "", "gone/X.DAT", "cannot be created"},
      {"directory at the map's path", "X.DAT", "X.MAP", "X.MAP", "Is a directory"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    WriteBytes(dir.File("X.EXP"), SetupText(dir.File("OTHER.DAT"), 5));
    if (*c.blocked) std::filesystem::create_directory(dir.File(c.blocked));
    const auto r = RunCli({"run", "--setup", dir.File("X.EXP"), "--data-file",
                           dir.File(c.dataFile), "--home", dir.Path()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find(dir.File(c.named)), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(c.reason), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("kept in ."), std::string::npos);
    // A map that could not be written leaves the recording in its data file.
    EXPECT_EQ(FileSize(dir.File("X.DAT")), *c.blocked ? 38u + 300u : 0u);
  }
}

}  // namespace
}  // namespace tlx::test
