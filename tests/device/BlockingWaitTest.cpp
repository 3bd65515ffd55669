// Waits on a real line block instead of spinning: a wait with nothing to read lasts its bound
// having used little processor time, bytes that arrive end a block at once, and the waits that
// must not run program events do not run them. Processor time is only bounded generously (a
// fifth of the wait), never timed tightly.
#include "common/SystemClock.h"
#include "common/TimeText.h"
#include "device/TermiosLink.h"
#include "device/TrackerLink.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <thread>

namespace tlx::test {
namespace {

struct Usage {
  double wall = 0;
  double cpu = 0;  // of the calling thread only: helper threads do not count
};

double ThreadCpuSeconds() {
  timespec t{};
  ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

template <typename F>
Usage Measure(F&& wait) {
  const auto start = std::chrono::steady_clock::now();
  const double cpu = ThreadCpuSeconds();
  wait();
  return {std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
          ThreadCpuSeconds() - cpu};
}

class WaitOnPty : public ::testing::Test {
 protected:
  void SetUp() override {
    master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(master, 0);
    ASSERT_TRUE(::grantpt(master) == 0 && ::unlockpt(master) == 0);
    slave = ::ptsname(master);
    clock.AddEventSource([this] { serial.Poll(); });
    clock.WatchLine(&serial);
    ASSERT_TRUE(tracker.OpenPort(1));
  }
  void TearDown() override {
    if (writer.joinable()) writer.join();
    if (master >= 0) ::close(master);
  }
  // Writes the bytes one by one from another thread, the first after `firstMs`, then every 20 ms.
  void SendLater(std::string bytes, int firstMs) {
    writer = std::thread([this, bytes, firstMs] {
      std::this_thread::sleep_for(std::chrono::milliseconds(firstMs));
      for (char c : bytes) {
        (void)::write(master, &c, 1);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
      }
    });
  }
  void ExpectQuiet(const Usage& u) {
    EXPECT_LT(u.cpu, 0.2 * u.wall) << "cpu " << u.cpu << " s over " << u.wall << " s";
  }

  int master = -1;
  std::string slave;
  SystemClock clock;
  TermiosLink serial{[this](int) { return slave; }};
  IntervalPacer pacer;
  TrackerLink tracker{serial, clock, pacer};
  std::thread writer;
};

TEST_F(WaitOnPty, ReadsThatDoNotYieldBlockForTheirWholeBoundAndRunNoTimers) {
  int ticks = 0;
  clock.StartTimer(5, [&] { ++ticks; });
  Usage u = Measure([&] { EXPECT_TRUE(tracker.CountedRead(4, false)); });
  EXPECT_EQ(tracker.State().LastReadCount, 0);
  EXPECT_GE(u.wall, TrackerLink::kQuietLimit - 0.05);  // the quiet limit is kept, not cut short
  ExpectQuiet(u);
  u = Measure([&] { EXPECT_EQ(tracker.TwoByteRead("Q"), -1); });
  EXPECT_GE(u.wall, TrackerLink::kTwoByteLimit - 0.05);
  ExpectQuiet(u);
  u = Measure([&] { EXPECT_FALSE(tracker.SingleByteWait('!')); });
  ExpectQuiet(u);
  u = Measure([&] { PreciseDelay(clock, 0.3); });
  EXPECT_GE(u.wall, 0.3);
  ExpectQuiet(u);
  EXPECT_EQ(ticks, 0);  // the timer was due all along, but none of these waits runs events
}

TEST_F(WaitOnPty, AYieldingWaitRunsTimersAndReceivesBytesWhileItBlocks) {
  int ticks = 0;
  std::string received;
  clock.StartTimer(50, [&] { ++ticks; });
  tracker.State().UnitAwake = tracker.State().StreamOn = true;
  tracker.SetStreamHandlers([&] { received += serial.Read(); }, nullptr);
  SendLater("xy", 100);
  const Usage u = Measure([&] { tracker.WaitMilliseconds(500); });
  EXPECT_GE(u.wall, 0.49);  // the tick counts whole milliseconds
  EXPECT_GE(ticks, 3);
  EXPECT_EQ(received, "xy");
  ExpectQuiet(u);
}

TEST_F(WaitOnPty, AWaitInsideATimerTickBlocksThoughOtherTimersAreDue) {
  // Timers do not run inside a timer's own tick, so a due timer must not end every block at once.
  bool waited = false;
  clock.StartTimer(10, [] {});
  const Clock::TimerId once = clock.StartTimer(20, [&] {
    if (waited) return;
    tracker.WaitMilliseconds(300);
    waited = true;
  });
  const Usage u = Measure([&] { EXPECT_TRUE(clock.RunUntil([&] { return waited; }, 3000)); });
  clock.StopTimer(once);
  ExpectQuiet(u);
}

TEST(SystemClockWait, MainLoopSleepsWithoutALineAndStillEndsOnTime) {
  SystemClock clock;
  int ticks = 0;
  clock.StartTimer(40, [&] { ++ticks; });
  const Usage u = Measure([&] { EXPECT_FALSE(clock.RunUntil([] { return false; }, 400)); });
  EXPECT_GE(u.wall, 0.39);
  EXPECT_GE(ticks, 4);
  EXPECT_LT(u.cpu, 0.2 * u.wall);
}

}  // namespace
}  // namespace tlx::test
