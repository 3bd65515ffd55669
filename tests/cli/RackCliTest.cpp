// A rack of units on pseudo-terminals, through the real command line: setup files written by
// "setup new", units served by "sim --pty --count" (and one in-process terminal that can be
// unplugged), and "run" with several --setup/--unit pairs: every unit completes; one unplugged
// (and one absent) while the others finish; Ctrl-C stops them all with every file written.
#include "sim/PtyServer.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <signal.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <set>
#include <sstream>
#include <thread>

namespace tlx::test {
namespace {


constexpr std::size_t kWholeRun = 38 + 2 * 5 * 30;  // header, then one 5 s session at 30/s

class Rack : public ::testing::Test {
 protected:
  void SetUp() override {
    simPid = StartCli({"sim", "--pty", "--count", "2", "--seed", "5"}, dir.File("paths"), dir.File("sim.err"));
    ASSERT_TRUE(WaitUntil([&] { return Lines(ReadBytes(dir.File("paths"))).size() == 2; }, 10000));
    devices = Lines(ReadBytes(dir.File("paths")));
    ASSERT_TRUE(server.Open()) << server.ErrorText();
    serving = std::thread([this] { server.Serve(); });
    devices.push_back(server.SlavePath());
    for (int i = 0; i < 4; ++i) {
      const auto r = RunCli({"setup", "new", Exp(i), "--data-file", Dat(i), "--session-length", "5",
                             "--sessions", "1", "--rate", "30"});
      ASSERT_EQ(r.exitCode, 0) << r.err;
    }
  }
  void TearDown() override {
    server.RequestStop();
    if (serving.joinable()) serving.join();
    ::kill(simPid, SIGTERM);
    EXPECT_EQ(WaitCli(simPid), 0) << "sim --pty ends cleanly when terminated";
  }
  static std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }
  std::string Exp(int i) { return dir.File("U" + std::to_string(i) + ".EXP"); }
  std::string Dat(int i) { return dir.File("U" + std::to_string(i) + ".DAT"); }
  std::vector<std::string> RunArgs(const std::vector<std::string>& units) {
    std::vector<std::string> args{"run", "--home", dir.File("home"), "--yes", "--table", dir.File("T.CSV")};
    for (std::size_t i = 0; i < units.size(); ++i)
      args.insert(args.end(), {"--setup", Exp(static_cast<int>(i)), "--unit", units[i]});
    return args;
  }
  int Start(const std::vector<std::string>& units) {
    return StartCli(RunArgs(units), dir.File("out"), dir.File("err"));
  }

  TempDir dir;
  int simPid = -1;
  std::vector<std::string> devices;
  SimulatedUnit unit{9};
  PtyServer server{unit};
  std::thread serving;
};

TEST_F(Rack, EveryUnitCompletesStartingInTheSameSecondWithOneTable) {
  const auto r = RunCli(RunArgs(devices));
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "");
  std::set<std::string> starts, units;
  const auto rows = Lines(ReadBytes(dir.File("T.CSV")));
  ASSERT_GT(rows.size(), 3u);
  EXPECT_EQ(rows[0].rfind("unit,file,path,start,session,", 0), 0u) << rows[0];
  for (std::size_t i = 1; i < rows.size(); ++i) {
    std::vector<std::string> cells;
    std::istringstream row(rows[i]);
    for (std::string cell; std::getline(row, cell, ',');) cells.push_back(cell);
    ASSERT_GT(cells.size(), 4u);
    units.insert(cells[0]);
    starts.insert(cells[3]);
  }
  EXPECT_EQ(units, std::set<std::string>(devices.begin(), devices.end()));
  EXPECT_EQ(starts.size(), 1u) << "the units did not start in the same second";
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(FileSize(Dat(i)), kWholeRun) << Dat(i);
    EXPECT_NE(r.err.find(devices[i] + ": Finished: 1 session, 150 samples, "),
              std::string::npos) << r.err;
  }
}

TEST_F(Rack, AnUnpluggedUnitIsStoppedWhileTheOthersFinish) {
  // A fourth unit that is not there cannot record: the run ends with 1, the others still finish.
  std::vector<std::string> units = devices;
  units.push_back(dir.File("no-such-unit"));
  const int pid = Start(units);
  ASSERT_TRUE(WaitUntil([&] { return FileSize(dir.File("U2.RAW")) > 60; }, 20000));
  // Unit 3 unplugged mid-run. Its server thread is stopped first: closing the terminal under it
  // would let it read whatever file later takes the same descriptor number.
  server.RequestStop();
  serving.join();
  server.Close();
  const auto unplugged = std::chrono::steady_clock::now();
  const int code = WaitCli(pid);
  // Its device gone, the unit is stopped at once, not after 30 seconds without samples.
  EXPECT_LT(std::chrono::steady_clock::now() - unplugged, std::chrono::seconds(20));
  const std::string err = ReadBytes(dir.File("err"));
  EXPECT_EQ(code, 1) << err;
  EXPECT_EQ(FileSize(Dat(0)), kWholeRun);
  EXPECT_EQ(FileSize(Dat(1)), kWholeRun);
  EXPECT_GT(FileSize(Dat(2)), 38u);
  EXPECT_LT(FileSize(Dat(2)), kWholeRun);
  EXPECT_NE(err.find(devices[2] + ": Stopped: "), std::string::npos) << err;
  EXPECT_NE(err.find(units[3] + ": Could not record: "), std::string::npos) << err;
  EXPECT_NE(ReadBytes(dir.File("T.CSV")).find(devices[2] + ","), std::string::npos);
}

TEST_F(Rack, CtrlCStopsEveryUnitAndWritesEveryUnitsFiles) {
  const int pid = Start(devices);
  ASSERT_TRUE(WaitUntil([&] { return FileSize(dir.File("U2.RAW")) > 60; }, 20000));
  ::kill(pid, SIGINT);
  const int code = WaitCli(pid);
  const std::string err = ReadBytes(dir.File("err"));
  EXPECT_EQ(code, 3) << err;
  for (int i = 0; i < 3; ++i) {
    EXPECT_GT(FileSize(Dat(i)), 38u);
    EXPECT_LT(FileSize(Dat(i)), kWholeRun);
    EXPECT_NE(err.find(devices[i] + ": Stopped: "), std::string::npos) << err;
  }
  EXPECT_NE(err.find("0 of 3 units completed their run."), std::string::npos) << err;
}

}  // namespace
}  // namespace tlx::test
