// The program's own serial link, receive dispatch, command set and stream decoder talking to the
// simulated unit through a real pseudo-terminal, in real time.
#include "common/SystemClock.h"
#include "common/UserAnswers.h"
#include "device/CommandSet.h"
#include "device/StreamDecoder.h"
#include "device/TermiosLink.h"
#include "device/TrackerLink.h"
#include "sim/PtyServer.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace tlx::test {
namespace {

// A run that is always running and counts every decoded sample once.
struct Collector : RunSampleSink {
  bool RunIsRunning() override { return true; }
  bool OpenRecordedSampleFile() override { return true; }
  void AppendRecordedSample(const PositionSample&) override {}
  void AccountSample(const PositionSample& sample) override { samples.push_back(sample); }
  std::vector<PositionSample> samples;
};

class ProgramOnPty : public ::testing::Test {
 protected:
  void SetUp() override {
    unit.SetMemoryBlock(std::string(768, '1'));
    unit.SetObjectArea(1234);
    ASSERT_TRUE(server.Open()) << server.ErrorText();
    serving = std::thread([this] { server.Serve(); });
    clock.AddEventSource([this] { serial.Poll(); });
    decoder.SetRunSink(&run);
  }
  void TearDown() override { StopServing(); }
  void StopServing() {
    server.RequestStop();
    if (serving.joinable()) serving.join();
  }

  SimulatedUnit unit{5};
  PtyServer server{unit};
  std::thread serving;
  SystemClock clock;
  TermiosLink serial{[this](int port) { return port == 3 ? server.SlavePath() : std::string(); }};
  IntervalPacer pacer;
  TrackerLink tracker{serial, clock, pacer};
  ScriptedAnswers answers;
  CommandSet commands{tracker, answers};
  StreamDecoder decoder{tracker, commands, answers};
  Collector run;
};

// True when the samples are consecutive frames of the animal's path.
bool FollowPath(const std::vector<PositionSample>& samples, std::uint32_t seed) {
  SimulatedAnimal animal(seed);
  std::vector<SimSample> path;
  for (std::size_t i = 0; i < 3000 + samples.size(); ++i) path.push_back(animal.Next());
  for (std::size_t first = 0; first + samples.size() <= path.size(); ++first) {
    std::size_t i = 0;
    while (i < samples.size() && samples[i].X == path[first + i].x &&
           samples[i].Y == path[first + i].y)
      ++i;
    if (i == samples.size()) return true;
  }
  return false;
}

TEST_F(ProgramOnPty, ResetQueriesStreamOverlayAndMemoryBlockWork) {
  ASSERT_TRUE(commands.ResetAndInitialize(3));
  EXPECT_TRUE(tracker.State().UnitAwake);
  EXPECT_TRUE(answers.Messages().empty());
  commands.ReadVideoInverted();
  EXPECT_TRUE(commands.State().VideoInverted);
  EXPECT_EQ(commands.ObjectAreaQuery(), 1234);

  ASSERT_TRUE(commands.StartStream());
  tracker.WaitMilliseconds(1000);
  commands.StopStream();
  EXPECT_TRUE(run.samples.size() >= 20 && run.samples.size() <= 40) << run.samples.size();
  // The stop command's own answer is decoded too (the stream is still on while it comes).
  ASSERT_FALSE(run.samples.empty());
  run.samples.pop_back();
  EXPECT_TRUE(FollowPath(run.samples, 5)) << "samples are consecutive frames of the path";

  commands.OverlayText(40, -1, "Z");
  commands.SetInversion(false);
  commands.StoreVideoInverted();
  tracker.WaitMilliseconds(700);
  StopServing();
  EXPECT_EQ(unit.Overlay().Cell(31, 0), 'Z');
  EXPECT_EQ(unit.MemoryBlock(), std::string(768, '0'));
}

TEST_F(ProgramOnPty, ATerminalThatDisappearsMidStreamClosesThePort) {
  ASSERT_TRUE(commands.ResetAndInitialize(3));
  ASSERT_TRUE(commands.StartStream());
  tracker.WaitMilliseconds(200);
  StopServing();
  server.Close();
  tracker.WaitMilliseconds(200);
  EXPECT_FALSE(tracker.PortOpen());
  commands.StopStream();  // must not hang or fail on the lost port
  EXPECT_EQ(commands.ObjectAreaQuery(), -1);
}

}  // namespace
}  // namespace tlx::test
