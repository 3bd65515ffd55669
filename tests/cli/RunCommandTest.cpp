#include "sim/PtyServer.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

namespace tlx::test {
namespace {

std::string SetupText(const std::string& dataFile, int sessionLength, int sessions, int rate) {
  return "Save Data = True\r\nData File = \"" + dataFile + "\"\r\nSession Length = " +
         std::to_string(sessionLength) + "\r\nNumber of Sessions = " + std::to_string(sessions) +
         "\r\nInitial Delay = 0\r\nMaximum Distance = 60.4\r\nAmbulatory Threshold = 6.5\r\n"
         "Stereotypic Threshold = 3\r\nCalibrate Scale = 120\r\nCalibrate Reference = 35\r\n"
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

// A whole run in real time on a serial device (the simulated unit on a pseudo-terminal): the
// files it writes are read by the analysis exactly as the run's own results say.
TEST(RunCommand, RealTimeRunOnAPseudoTerminalUnit) {
  SimulatedUnit unit(3);
  PtyServer server(unit);
  ASSERT_TRUE(server.Open()) << server.ErrorText();
  std::thread serving([&] { server.Serve(); });
  TempDir dir;
  WriteBytes(dir.File("RT.EXP"), SetupText(dir.File("RT.DAT"), 5, 1, 30));
  const auto began = std::chrono::steady_clock::now();
  const auto r = RunCli({"run", "--setup", dir.File("RT.EXP"), "--unit", server.SlavePath(),
                         "--home", dir.Path()});
  const double took =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
  server.RequestStop();
  serving.join();
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_GE(took, 5.0);  // real time: at least the session itself
  EXPECT_EQ(ReadBytes(dir.File("RT.DAT")).size(), 38u + 2u * 5 * 30);
  const auto a = RunCli({"analyze", dir.File("RT.DAT")});
  ASSERT_EQ(a.exitCode, 0) << a.err;
  EXPECT_EQ(a.out, ReadBytes(dir.File("RT.PRN")));
  EXPECT_EQ(r.out, a.out);
}

TEST(RunCommand, DemoRunsAndPrintsItsResults) {
  TempDir dir;
  const auto r = RunCli({"demo", "--dir", dir.File("demo"), "--sessions", "2", "--length", "10"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find("Recorded 600 samples"), std::string::npos);
  EXPECT_NE(r.out.find("Sess.#,Zone,Dist"), std::string::npos);
  EXPECT_EQ(ReadBytes(dir.File("demo/DEMO.DAT")).size(), 38u + 1200u);
}

}  // namespace
}  // namespace tlx::test
