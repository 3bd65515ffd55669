#include "FakeLink.h"

#include <gtest/gtest.h>

namespace tlx::test {
namespace {

TEST(TrackerLinkTest, OpensOnlyPortsOneToEightAndSendsNothingWhileClosed) {
  DeviceRig rig;
  EXPECT_FALSE(rig.link.OpenPort(0));
  EXPECT_FALSE(rig.link.OpenPort(9));
  EXPECT_TRUE(rig.fake.openedPorts.empty());
  rig.link.SendPort("abc");
  EXPECT_TRUE(rig.fake.writes.empty());

  EXPECT_TRUE(rig.link.OpenPort(8));
  EXPECT_TRUE(rig.state().PortIsOpen);
  rig.fake.openable = false;
  EXPECT_FALSE(rig.link.OpenPort(2));  // closes the open port first
  EXPECT_FALSE(rig.state().PortIsOpen);
  EXPECT_FALSE(rig.fake.IsOpen());
}

TEST(TrackerLinkTest, DispatchDiscardsUntilAwakeAndHandsTheStreamOver) {
  DeviceRig rig;
  int streamCalls = 0;
  int maskRefreshes = 0;
  rig.link.SetStreamHandlers([&] { ++streamCalls; }, nullptr);
  rig.link.SetMaskStatusHandler([&] { ++maskRefreshes; });
  rig.Open(/*awake=*/false);
  rig.state().StreamOn = true;
  rig.state().MaskSetupActive = true;
  rig.fake.DeliverAfter(1, "\x10\x20\x30");
  rig.Run(5);
  EXPECT_EQ(rig.fake.BufferedCount(), 0u);
  EXPECT_EQ(streamCalls, 0);
  EXPECT_FALSE(rig.state().MaskSetupActive);
  EXPECT_EQ(maskRefreshes, 1);

  rig.state().UnitAwake = true;
  rig.fake.DeliverAfter(1, "\x10\x20");
  rig.Run(5);
  EXPECT_GT(streamCalls, 0);
  EXPECT_EQ(rig.fake.BufferedCount(), 2u);  // the handler reads for itself

  rig.state().StreamOn = false;
  rig.Run(5);
  EXPECT_EQ(rig.fake.BufferedCount(), 0u);
}

TEST(TrackerLinkTest, ReceiveEventsInsideTheStreamHandlerAreDeferred) {
  DeviceRig rig;
  int depth = 0;
  int deepest = 0;
  rig.link.SetStreamHandlers([&] {
    ++depth;
    deepest = std::max(deepest, depth);
    rig.link.WaitMilliseconds(20);  // lets events run inside the handler
    rig.fake.Read(rig.fake.BufferedCount());
    --depth;
  }, nullptr);
  rig.Open();
  rig.state().StreamOn = true;
  for (int i = 1; i <= 5; ++i) rig.fake.DeliverAfter(i * 7, "ab");
  rig.Run(100);
  EXPECT_EQ(deepest, 1);
}

TEST(TrackerLinkTest, CountedReadEndsOnCountOrQuietAndNeverTakesMore) {
  DeviceRig rig;
  rig.Open();
  EXPECT_FALSE(DeviceRig().link.CountedRead(768, false));  // closed port

  rig.fake.DeliverAfter(10, std::string(500, 'x'));
  EXPECT_TRUE(rig.link.CountedRead(768, false));
  EXPECT_EQ(rig.state().LastReadCount, 500);
  EXPECT_NEAR(NowMs(rig.clock), 10 + 900, 5);

  const std::int64_t start = NowMs(rig.clock);
  for (int i = 0; i < 3; ++i) rig.fake.DeliverAfter(i * 500, std::string(100, 'y'));
  EXPECT_TRUE(rig.link.CountedRead(768, false));
  EXPECT_EQ(rig.state().LastReadText, std::string(300, 'y'));
  EXPECT_NEAR(NowMs(rig.clock) - start, 1000 + 900, 5);

  rig.fake.DeliverAfter(5, std::string(770, 'z'));
  EXPECT_TRUE(rig.link.CountedRead(768, false));
  EXPECT_EQ(rig.state().LastReadCount, 768);
  EXPECT_EQ(rig.fake.BufferedCount(), 2u);
  rig.fake.Read(2);

  const std::int64_t quietStart = NowMs(rig.clock);
  rig.fake.DeliverAfter(3, "q");
  EXPECT_TRUE(rig.link.CountedRead(768, true));
  EXPECT_NEAR(NowMs(rig.clock) - quietStart, 3 + 100, 5);
}

TEST(TrackerLinkTest, CountedReadIsBoundedWhenTheLineNeverGoesQuiet) {
  DeviceRig rig;
  rig.Open();
  for (int i = 0; i < 100; ++i) rig.fake.DeliverAfter(i * 50, "n");
  EXPECT_TRUE(rig.link.CountedRead(0, false));
  EXPECT_LE(NowMs(rig.clock), 2000);
  EXPECT_GT(rig.state().LastReadCount, 20);
}

TEST(TrackerLinkTest, TwoByteReadTakesLowByteFirstWithinHalfASecond) {
  DeviceRig rig;
  EXPECT_EQ(rig.link.TwoByteRead("Q"), -1);
  EXPECT_TRUE(rig.fake.writes.empty());
  rig.Open();
  rig.fake.DeliverAfter(0, "old");  // stale bytes are dropped before the query
  rig.Run(1);
  rig.fake.Answer("Q", "\xE8\x03\x07", 30);
  EXPECT_EQ(rig.link.TwoByteRead("Q"), 1000);
  EXPECT_EQ(rig.fake.BufferedCount(), 1u);

  rig.fake.Answer("Q", "\x01", 30);
  const std::int64_t start = NowMs(rig.clock);
  EXPECT_EQ(rig.link.TwoByteRead("Q"), -1);
  EXPECT_NEAR(NowMs(rig.clock) - start, 500, 5);
}

TEST(TrackerLinkTest, WaitMillisecondsLetsTheDispatchRun) {
  DeviceRig rig;
  rig.Open(/*awake=*/false);
  rig.fake.DeliverAfter(100, "garbage");
  const std::int64_t start = NowMs(rig.clock);
  rig.link.WaitMilliseconds(250);
  EXPECT_GE(NowMs(rig.clock) - start, 250);
  EXPECT_EQ(rig.fake.BufferedCount(), 0u);
}

TEST(TrackerLinkTest, AVanishedDeviceEndsWaitsAndClosesThePort) {
  DeviceRig rig;
  rig.Open();
  rig.fake.DisconnectAfter(50);
  EXPECT_TRUE(rig.link.CountedRead(768, false));
  EXPECT_LE(NowMs(rig.clock), 60);
  EXPECT_FALSE(rig.state().PortIsOpen);
  rig.link.SendPort("x");
  EXPECT_TRUE(rig.fake.writes.empty());
  EXPECT_EQ(rig.link.TwoByteRead("Q"), -1);
}

}  // namespace
}  // namespace tlx::test
