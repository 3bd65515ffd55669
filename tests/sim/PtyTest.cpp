// The simulated unit served on a pseudo-terminal in real time: reached through a plain file
// descriptor and by the program's own serial link, receive dispatch and command set. The command
// line that serves it ("sim --pty") is driven by the rack test.
#include "common/SystemClock.h"
#include "common/UserAnswers.h"
#include "device/CommandSet.h"
#include "device/TermiosLink.h"
#include "device/TrackerLink.h"
#include "sim/PtyServer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace tlx::test {
namespace {

// Reads from fd until `want` bytes came or `ms` passed.
std::string ReadFor(int fd, std::size_t want, int ms) {
  std::string bytes;
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (bytes.size() < want && std::chrono::steady_clock::now() < end) {
    pollfd p{fd, POLLIN, 0};
    char c;
    if (::poll(&p, 1, 10) == 1 && ::read(fd, &c, 1) == 1) bytes.push_back(c);
  }
  return bytes;
}

// Opens the terminal raw and asks the unit for its ping answer.
std::string PingThrough(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY);
  if (fd < 0) return "cannot open " + path;
  termios tio{};
  ::tcgetattr(fd, &tio);
  ::cfmakeraw(&tio);
  ::tcsetattr(fd, TCSANOW, &tio);
  const std::string reply = ::write(fd, " &!", 3) == 3 ? ReadFor(fd, 2, 500) : "write failed";
  ::close(fd);
  return reply;
}

class ProgramOnPty : public ::testing::Test {
 protected:
  void SetUp() override {
    unit.SetMemoryBlock(std::string(768, '1'));
    unit.SetObjectArea(1234);
    ASSERT_TRUE(server.Open()) << server.ErrorText();
    serving = std::thread([this] { served = server.Serve(); });
    clock.AddEventSource([this] { serial.Poll(); });
  }
  void TearDown() override { StopServing(); }
  void StopServing() {
    if (!serving.joinable()) return;
    server.RequestStop();
    serving.join();
    EXPECT_TRUE(served) << "the server stops when told";
  }

  SimulatedUnit unit{5};
  PtyServer server{unit};
  std::thread serving;
  bool served = false;
  SystemClock clock;
  TermiosLink serial{[this](int port) { return port == 3 ? server.SlavePath() : std::string(); }};
  IntervalPacer pacer;
  TrackerLink tracker{serial, clock, pacer};
  ScriptedAnswers answers;
  CommandSet commands{tracker, answers};
};

// The stream through a pseudo-terminal is covered by the real-time run of the command line; this
// covers the counted and two-byte reads and the timed command sequences in real time.
TEST_F(ProgramOnPty, PlainPingResetQueriesOverlayAndMemoryBlockWork) {
  EXPECT_EQ(PingThrough(server.SlavePath()), "!");  // any raw client, opened and closed again
  ASSERT_TRUE(commands.ResetAndInitialize(3));
  EXPECT_TRUE(tracker.State().UnitAwake);
  EXPECT_TRUE(answers.Messages().empty());
  commands.ReadVideoInverted();
  EXPECT_TRUE(commands.State().VideoInverted);
  EXPECT_EQ(commands.ObjectAreaQuery(), 1234);

  commands.OverlayText(40, -1, "Z");
  commands.SetInversion(false);
  commands.StoreVideoInverted();
  tracker.WaitMilliseconds(700);
  StopServing();
  EXPECT_EQ(unit.Overlay().Cell(31, 0), 'Z');
  EXPECT_EQ(unit.MemoryBlock(), std::string(768, '0'));
}

}  // namespace
}  // namespace tlx::test
