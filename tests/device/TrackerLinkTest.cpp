// The link to the unit: which ports open, how received bytes are dispatched, and the bounded
// reads the commands wait on.
#include "FakeLink.h"

namespace tlx::test {
namespace {

TEST(TrackerLinkTest, OpensOnlyPortsOneToEightAndNothingOutlivesAClosedPort) {
  DeviceRig rig;
  EXPECT_FALSE(rig.link.OpenPort(0));
  EXPECT_FALSE(rig.link.OpenPort(9));
  EXPECT_TRUE(rig.fake.openedPorts.empty());
  rig.link.SendPort("abc");
  EXPECT_FALSE(rig.link.CountedRead(768, false));
  EXPECT_EQ(rig.link.TwoByteRead("Q"), -1);
  EXPECT_TRUE(rig.link.OpenPort(8));
  rig.fake.openable = false;
  EXPECT_FALSE(rig.link.OpenPort(2));  // closes the open port first
  EXPECT_FALSE(rig.state().PortIsOpen || rig.fake.IsOpen());

  // A device that vanishes ends the wait at once and closes the port.
  rig.fake.openable = true;
  rig.Open();
  rig.fake.DisconnectAfter(50);
  EXPECT_TRUE(rig.link.CountedRead(768, false));
  EXPECT_LE(rig.Ms(), 60);
  EXPECT_FALSE(rig.state().PortIsOpen);
  EXPECT_EQ(rig.link.TwoByteRead("Q"), -1);
  EXPECT_TRUE(rig.fake.writes.empty());
}

TEST(TrackerLinkTest, DispatchDiscardsUntilAwakeAndHandsTheStreamOver) {
  DeviceRig rig;
  int streamCalls = 0, maskRefreshes = 0;
  rig.link.SetStreamHandlers([&] { ++streamCalls; }, nullptr);
  rig.link.SetMaskStatusHandler([&] { ++maskRefreshes; });
  rig.Open(/*awake=*/false);
  rig.state().StreamOn = rig.state().MaskSetupActive = true;
  rig.fake.DeliverAfter(1, "abc");
  rig.Run(5);
  EXPECT_EQ(rig.fake.BufferedCount() + streamCalls, 0u);
  EXPECT_FALSE(rig.state().MaskSetupActive);
  EXPECT_EQ(maskRefreshes, 1);

  rig.state().UnitAwake = true;
  rig.fake.DeliverAfter(1, "de");
  rig.Run(5);
  EXPECT_GT(streamCalls, 0);
  EXPECT_EQ(rig.fake.BufferedCount(), 2u);  // the decoder reads for itself
  rig.state().StreamOn = false;
  rig.Run(5);
  EXPECT_EQ(rig.fake.BufferedCount(), 0u);
}

TEST(TrackerLinkTest, ReceiveEventsInsideTheStreamHandlerWaitForTheNextEvent) {
  DeviceRig rig;
  int depth = 0, deepest = 0;
  rig.link.SetStreamHandlers([&] {
    deepest = std::max(deepest, ++depth);
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

TEST(TrackerLinkTest, ReadsEndOnTheirCountOrQuietAndTakeAllThatIsBuffered) {
  // Bytes arriving (ms from now), the count asked for, a short quiet ends it, and the time taken.
  struct Case { std::vector<std::pair<int, std::string>> arrivals; bool shortQuiet; std::int64_t tookMs; };
  const Case cases[] = {{{{10, std::string(500, 'x')}}, false, 10 + 900},
                        {{{0, "yy"}, {500, "yy"}, {1000, "yy"}}, false, 1000 + 900},
                        {{{5, std::string(770, 'z')}}, false, 5}, {{{3, "q"}}, true, 3 + 100}};
  for (const Case& c : cases) {
    DeviceRig rig;
    rig.Open();
    std::string all;
    for (const auto& [ms, bytes] : c.arrivals) { rig.fake.DeliverAfter(ms, bytes); all += bytes; }
    EXPECT_TRUE(rig.link.CountedRead(768, c.shortQuiet));
    EXPECT_EQ(rig.state().LastReadCount, static_cast<int>(all.size()));
    EXPECT_EQ(rig.state().LastReadBytes, all);  // more than expected: all of it is taken
    EXPECT_EQ(rig.fake.BufferedCount(), 0u);
    EXPECT_NEAR(rig.Ms(), c.tookMs, 3) << all.size();
  }
  DeviceRig rig;
  rig.Open();
  for (int i = 0; i < 100; ++i) rig.fake.DeliverAfter(i * 50, "n");  // never quiet
  EXPECT_TRUE(rig.link.CountedRead(0, false));
  EXPECT_LE(rig.Ms(), 2200);
}

TEST(TrackerLinkTest, TwoByteReadTakesLowByteFirstWithinHalfASecond) {
  DeviceRig rig;
  rig.Open();
  rig.fake.Answer("Q", "\xE8\x03\x07", 30);
  EXPECT_EQ(rig.link.TwoByteRead("Q"), 1000);
  EXPECT_EQ(rig.fake.BufferedCount(), 0u);  // the whole answer is taken
  rig.fake.Answer("Q", "\x01", 30);
  EXPECT_EQ(rig.link.TwoByteRead("Q"), -1);
  EXPECT_NEAR(rig.Ms(), 30 + 500, 3);
}

}  // namespace
}  // namespace tlx::test
