// The link to the unit: which ports open, how received bytes are dispatched, and the bounded
// reads the commands wait on; the unit's commands byte for byte, the reset and wake-up sequence,
// and the command sequences with their pauses.
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

TEST(CommandBytesTest, EveryCommandGoesOutByteForByte) {
  const std::pair<std::string, std::string> table[] = {
      {ub::Reset(), "20 24 2B"}, {ub::WakeUpProbe(), "20 54 75 72 6E 20 4F 4E 21"},
      {ub::Ping(), "20 26 21"}, {ub::StartStream(), "20 30 2E"}, {ub::StopStream(), "20 30 2B"},
      {ub::ObjectFilter(true), "20 35 32 01 2E"}, {ub::ObjectFilter(false), "20 35 32 00 2E"},
      {ub::ToggleInversion(), "20 31 28"}, {ub::SaveSettings(), "20 35 2E"},
      {ub::LiveVideoOn(), "20 31 26"}, {ub::LiveVideoOff(), "20 31 27"},
      {ub::CommitMemoryBlock(), "20 33 23"}, {ub::ReadMemoryBlock(), "20 33 24"},
      {ub::ClearOverlay(), "20 30 22"}, {ub::EndOverlay(), "20 30 27"},
      {ub::ObjectAreaQuery(), "20 30 22 27 2D"}, {ub::MaskStart(), "2C FF FF FF FF"},
      {ub::MaskEnd(true), "20"}, {ub::MaskEnd(false), "00"},
      {ub::OverlayText(40, -1, "Hi"), "20 30 26 1F 00 48 69 00"},
      {ub::OverlayText(3, 99, std::string("A\0", 2)), "20 30 26 03 17 41 00"},
      {ub::OverlayText(0, 0, ""), "20 30 26 00 00 00"},
      {ub::OverlayLine(-5, 300, 255, 191), "20 30 25 00 BF FF BF"},
      {ub::OverlayCursor(128, 96), "20 30 28 80 60"}};
  for (const auto& [bytes, hex] : table) EXPECT_EQ(bytes, Hex(hex)) << hex;
  EXPECT_EQ(ub::WriteMemoryBlock(true), Hex("20 33 25") + std::string(768, '1'));  // 771 bytes
  EXPECT_EQ(ub::WriteMemoryBlock(false), Hex("20 33 25") + std::string(768, '0'));
}

TEST(ResetSequenceTest, WakesAndPingsOnlyAUnitThatAnswersInTime) {
  // A unit that answers the probe and the ping; a negative probe delay: silent or no port.
  struct Case { const char* what; std::int64_t probeDelay; std::string ping; std::int64_t pingDelay;
                bool awake; };
  const Case cases[] = {{"answers", 20, "!", 3, true}, {"silent", -1, "", 0, false},
                        {"late", 600, "!", 150, false}, {"garbled", 20, "?", 3, true},
                        {"two bytes at once", 20, "!!", 3, true}, {"no port", -2, "", 0, false}};
  for (const Case& c : cases) {
    DeviceRig rig;
    if (c.probeDelay >= 0) rig.fake.Answer(ub::WakeUpProbe(), "OK", c.probeDelay);
    if (c.probeDelay >= 0) rig.fake.Answer(ub::Ping(), c.ping, c.pingDelay);
    rig.fake.openable = c.probeDelay != -2;
    const bool good = c.what == cases[0].what;
    EXPECT_EQ(rig.commands.ResetAndInitialize(3), good) << c.what;
    EXPECT_EQ(rig.state().UnitAwake, c.awake) << c.what;
    EXPECT_EQ(rig.commands.State().UnitResponding, good) << c.what;
    EXPECT_EQ(rig.fake.openedPorts, std::vector<int>{3});
    EXPECT_LE(rig.Ms(), 2100) << c.what;
    if (good) {
      EXPECT_EQ(rig.fake.writes, (Writes{{0, ub::Reset()}, {1000, ub::WakeUpProbe()},
                                         {2000, ub::Ping()}}));
      EXPECT_EQ(rig.answers.StatusTexts(), (Texts{"Resetting", "Initializing", ""}));
      EXPECT_EQ(rig.Shown(), Texts{});
      continue;
    }
    EXPECT_EQ(rig.Shown(), Texts{"Error|The Tracelux is\r\nnot responding.\r\n"}) << c.what;
    EXPECT_EQ(rig.answers.Messages()[0].icon, MsgIcon::Critical);
  }
}

TEST(MemoryBlockTest, InvertedOnlyForAFullBlockStartingWithOne) {
  const std::pair<std::string, bool> cases[] = {
      {std::string(768, '1'), true}, {std::string(767, '1'), false},
      {std::string(769, '1'), false}, {"1" + std::string(767, '0'), true}};
  for (const auto& [reply, inverted] : cases) {
    DeviceRig rig;
    rig.Open();
    // Two stray bytes after the ping's "!" stay buffered: no event runs before the block read.
    rig.fake.Answer(ub::Ping(), "!");
    rig.fake.DeliverAfter(50, "\x05\x05");
    EXPECT_TRUE(rig.commands.Ping());
    rig.fake.Answer(ub::ReadMemoryBlock(), reply, 20);
    rig.commands.ReadVideoInverted();
    EXPECT_EQ(rig.commands.State().VideoInverted, inverted) << reply.size();
  }
  DeviceRig rig;  // closed port: an earlier read's result does not count
  rig.state().LastReadCount = 768;
  rig.state().LastReadBytes = std::string(768, '1');
  rig.commands.ReadVideoInverted();
  EXPECT_FALSE(rig.commands.State().VideoInverted);
}

TEST(CommandSetTest, StreamBlockInversionAndOverlaySequences) {
  DeviceRig rig;
  EXPECT_FALSE(rig.commands.StartStream());
  rig.commands.SetInversion(true);
  EXPECT_FALSE(rig.commands.State().VideoInverted);  // port closed: nothing sent
  rig.Open();
  rig.fake.Answer(ub::StopStream(), "\x11\x22", 10);
  EXPECT_TRUE(rig.commands.StartStream());
  EXPECT_TRUE(rig.state().StreamOn && rig.decoder.Parser().SkipPairs() == 2 && rig.Ms() == 100);
  rig.commands.StopStream();
  EXPECT_FALSE(rig.state().StreamOn || rig.fake.BufferedCount() > 0);

  rig.fake.writes.clear();
  rig.commands.SetInversion(true);
  rig.commands.SetInversion(true);
  EXPECT_TRUE(rig.commands.State().VideoInverted);
  rig.commands.StoreVideoInverted();
  rig.commands.OverlayText(40, 5, "A");
  const std::int64_t t = rig.fake.writes[0].first;
  EXPECT_EQ(rig.fake.writes, (Writes{{t, ub::ToggleInversion()}, {t, ub::WriteMemoryBlock(true)},
                                     {t + 100, ub::CommitMemoryBlock()},
                                     {t + 100, Hex("20 30 26 1F 05 41 00")},
                                     {t + 100, ub::EndOverlay()}}));
}

}  // namespace
}  // namespace tlx::test
