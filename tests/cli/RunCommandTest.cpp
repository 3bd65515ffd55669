#include "device/TermiosLink.h"
#include "sim/PtyServer.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <thread>

namespace tlx::test {
namespace {

std::string SetupText(const std::string& dataFile, int sessionLength, int sessions, int rate) {
  return "Save Data = True\r\nData File = \"" + dataFile + "\"\r\nSession Length = " +
         std::to_string(sessionLength) + "\r\nNumber of Sessions = " + std::to_string(sessions) +
         "\r\nInitial Delay = 0\r\nMaximum Distance = 60.4\r\nAmbulatory Threshold = 6.5\r\n"
         "Stereotypic Threshold = 3\r\nCalibrate Scale = 120\r\nCalibrate Reference = 35.25\r\n"
         "Sample Rate = " + std::to_string(rate) + "\r\n";  // no unit named: the first one
}

TEST(RunCommand, SimulatedRunWritesFilesThatAnalyzeReadsTheSameWay) {
  TempDir dir;
  WriteBytes(dir.File("EXP1.EXP"), SetupText(dir.File("IGNORED.DAT"), 20, 3, 30));
  const auto runSeed5 = [&](const std::string& dataFile) {
    return RunCli({"run", "--setup", "EXP1.EXP", "--data-file", dataFile, "--seed", "5",
                   "--sim-start", "2026-05-04 10:00:00", "--home", dir.Path()},
                  dir.Path());
  };
  const auto r = runSeed5("RAT1.DAT");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const std::string prn = ReadBytes(dir.File("RAT1.PRN"));
  EXPECT_EQ(r.out, prn);  // the results table is printed
  EXPECT_NE(prn.find("Expr. start time,Mon May 04 10:00:0"), std::string::npos);
  EXPECT_NE(prn.find("Map Filename," + dir.File("RAT1.MAP") + "\r\n"), std::string::npos);
  EXPECT_EQ(ReadBytes(dir.File("RAT1.DAT")).size(), 38u + 2u * 3 * 20 * 30);

  // A fractional calibration is stored exactly (120 = 35.25 as 480 = 141), so the analysis of the
  // file gives the run's own distances.
  EXPECT_EQ(ReadBytes(dir.File("RAT1.DAT")).substr(32, 4), std::string("\xE0\x01\x8D\x00", 4));
  const auto a = RunCli({"analyze", dir.File("RAT1.DAT")});
  ASSERT_EQ(a.exitCode, 0) << a.err;
  EXPECT_EQ(a.out, prn);

  // The same seed gives the same samples.
  const auto again = runSeed5("RAT2.DAT");
  ASSERT_EQ(again.exitCode, 0) << again.err;
  EXPECT_EQ(ReadBytes(dir.File("RAT2.DAT")), ReadBytes(dir.File("RAT1.DAT")));
}

TEST(RunCommand, UsedDataFileNeedsYesAndBadInputsFailCleanly) {
  TempDir dir;
  WriteBytes(dir.File("A.EXP"), SetupText(dir.File("A.DAT"), 5, 1, 5));
  WriteBytes(dir.File("A.DAT"), "earlier");
  auto r = RunCli({"run", "--setup", dir.File("A.EXP"), "--home", dir.Path()});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find(dir.File("A.DAT")), std::string::npos);
  EXPECT_EQ(ReadBytes(dir.File("A.DAT")), "earlier");

  r = RunCli({"run", "--setup", dir.File("A.EXP"), "--home", dir.Path(), "--yes"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(ReadBytes(dir.File("A.DAT")).size(), 38u + 2u * 25u);

  WriteBytes(dir.File("NOTMAP.MAP"), "nothing here");
  r = RunCli({"run", "--setup", dir.File("A.EXP"), "--yes", "--map", dir.File("NOTMAP.MAP"),
              "--home", dir.Path()});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("not a valid zone map"), std::string::npos);
  r = RunCli({"run", "--setup", dir.File("A.EXP"), "--yes", "--sim-start", "2026-01-01 24:00:00",
              "--home", dir.Path()});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_EQ(r.out, "");
}

// A unit another program holds is refused before a byte is sent, and a device that does not exist
// is named with the system's reason, not called "not responding".
TEST(RunCommand, AUnitInUseOrMissingIsRefusedWithTheReason) {
  SimulatedUnit unit(3);
  PtyServer server(unit);
  ASSERT_TRUE(server.Open()) << server.ErrorText();
  TermiosLink holder([&](int) { return server.SlavePath(); });
  ASSERT_TRUE(holder.Open(1));
  TempDir dir;
  WriteBytes(dir.File("U.EXP"), SetupText(dir.File("U.DAT"), 5, 1, 30));
  auto r = RunCli({"run", "--setup", dir.File("U.EXP"), "--unit", server.SlavePath(), "--home",
                   dir.Path()});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err, "The unit on COM1 (" + server.SlavePath() + ") is in use by process " +
                       std::to_string(::getpid()) + ".\n");
  EXPECT_EQ(unit.Resets(), 0);
  r = RunCli({"run", "--setup", dir.File("U.EXP"), "--unit", dir.File("ttyUSB9"), "--home",
              dir.Path()});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find(dir.File("ttyUSB9") + ") cannot be opened: No such file or directory."),
            std::string::npos) << r.err;
}

// Runs the command line with its standard error on a terminal; returns what the terminal showed.
std::string StderrOnTerminal(const std::vector<std::string>& args) {
  const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
  if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) return "no terminal";
  const std::string slave = ::ptsname(master);
  const pid_t pid = ::fork();
  if (pid == 0) {
    const int tty = ::open(slave.c_str(), O_RDWR | O_NOCTTY);
    const int null = ::open("/dev/null", O_WRONLY);
    if (tty < 0 || null < 0 || ::dup2(tty, 2) < 0 || ::dup2(null, 1) < 0) ::_exit(127);
    std::vector<char*> argv{const_cast<char*>(TLX_CLI_PATH)};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    ::execv(TLX_CLI_PATH, argv.data());
    ::_exit(127);
  }
  // Our own hold on the terminal keeps it open until everything the child wrote has been read.
  const int hold = ::open(slave.c_str(), O_RDWR | O_NOCTTY);
  std::string shown;
  char buffer[4096];
  int status = 0;
  bool exited = false;
  for (int round = 0; round < 6000; ++round) {  // at most about a minute
    exited = exited || ::waitpid(pid, &status, WNOHANG) == pid;
    pollfd p{master, POLLIN, 0};
    if (::poll(&p, 1, 10) > 0) {
      const ssize_t n = ::read(master, buffer, sizeof buffer);
      if (n > 0) shown.append(buffer, static_cast<std::size_t>(n));
    } else if (exited) {
      break;
    }
  }
  if (!exited) ::kill(pid, SIGKILL), ::waitpid(pid, &status, 0);
  ::close(hold);
  ::close(master);
  return shown;
}

TEST(RunCommand, StatusLineOnlyOnATerminalAndTheSummaryAlways) {
  TempDir dir;
  WriteBytes(dir.File("S.EXP"), SetupText(dir.File("S.DAT"), 5, 2, 30));
  const std::vector<std::string> args = {"run", "--setup", dir.File("S.EXP"), "--home", dir.Path(),
                                         "--yes"};
  const std::string summary = "Finished: 2 sessions, 300 samples, 0 missed. Data: " +
                              dir.File("S.DAT") + "  Results: " + dir.File("S.PRN") + "\n";
  // Standard error not on a terminal: the summary alone.
  auto r = RunCli(args);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.err, summary);

  // On a terminal the status line comes first, rewritten in place and erased before the summary.
  std::string shown = StderrOnTerminal(args);
  EXPECT_EQ(shown.rfind("\r", 0), 0u) << shown;
  EXPECT_NE(shown.find("session 1 of 2  00:00:00 elapsed  00:00:10 left  0 samples  0 missed  " +
                       dir.File("S.DAT")),
            std::string::npos)
      << shown;
  const std::string summaryOnTerminal = summary.substr(0, summary.size() - 1) + "\r\n";
  EXPECT_EQ(shown.substr(shown.size() - summaryOnTerminal.size() - 4),
            "\r\x1b[K" + summaryOnTerminal);

  std::vector<std::string> quiet = args;
  quiet.push_back("--quiet");
  EXPECT_EQ(StderrOnTerminal(quiet), summaryOnTerminal);
}

TEST(RunCommand, DemoRunsAndPrintsItsResults) {
  TempDir dir;
  const auto r = RunCli({"demo", "--dir", dir.File("demo"), "--sessions", "2", "--length", "10"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find("Recorded 600 samples"), std::string::npos);
  EXPECT_NE(r.out.find("Sess.#,Zone,Dist"), std::string::npos);
  EXPECT_EQ(ReadBytes(dir.File("demo/DEMO.DAT")).size(), 38u + 1200u);
  // A length the data file cannot describe is refused, not recorded as another one.
  const auto twelve = RunCli({"demo", "--dir", dir.File("d12"), "--length", "12"});
  EXPECT_EQ(twelve.exitCode, 2);
  EXPECT_NE(twelve.err.find("give 10 or 15 s"), std::string::npos) << twelve.err;
}

}  // namespace
}  // namespace tlx::test
