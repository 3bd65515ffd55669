// tracelux-cli run and demo as separate processes: the files a run writes and the analysis reads
// back, a used data file, a unit in use or missing, and bad inputs.
#include "device/TermiosLink.h"
#include "sim/PtyServer.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <string>
#include <thread>

namespace tlx::test {
namespace {

TEST(RunCommand, SimulatedRunWritesFilesThatAnalyzeReadsTheSameWay) {
  TempDir dir;
  WriteBytes(dir.File("EXP1.EXP"), RunSetupText(dir.File("IGNORED.DAT"), 20, 3, 30));
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
  WriteBytes(dir.File("A.EXP"), RunSetupText(dir.File("A.DAT"), 5, 1, 5));
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
  WriteBytes(dir.File("U.EXP"), RunSetupText(dir.File("U.DAT"), 5, 1, 30));
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
  EXPECT_NE(twelve.err.find("in steps of 5 s"), std::string::npos) << twelve.err;
}

}  // namespace
}  // namespace tlx::test
