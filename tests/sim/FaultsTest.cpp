// The misbehaviours the simulated unit and its link can be told to show, and the link's own
// rules: which ports open and when the receive event is raised.
#include "UnitOnLink.h"

namespace tlx::test {
namespace {

using Faults = UnitOnLink;

TEST_F(Faults, DroppedBytesShortenAnswers) {
  unit.DropNextBytes(1);
  EXPECT_EQ(Exchange(" 3$", 1500).size(), 767u);
  unit.Faults().dropEvery = 2;
  EXPECT_EQ(Exchange(" 3$", 1500).size(), 384u);
}

TEST_F(Faults, NoiseAddsBytesToAnswersAndArrivesOnDemand) {
  unit.Faults().noiseEvery = 1;
  const std::string reply = Exchange(" &!");
  ASSERT_EQ(reply.size(), 2u);
  EXPECT_EQ(reply[0], '!');
  unit.Faults().noiseEvery = 0;
  unit.SendNoise(5, clock.NowUs());
  link.Refresh();
  EXPECT_EQ(Exchange("", 5).size(), 5u);
}

TEST_F(Faults, ASilentUnitStillActsOnCommandsButAnswersNothing) {
  unit.Faults().silent = true;
  EXPECT_EQ(Exchange(" Turn ON!" " &!" " 0.", 1000), "");
  EXPECT_TRUE(unit.Awake());
  EXPECT_TRUE(unit.Streaming());
}

TEST_F(Faults, ALateUnitActsOnCommandsInOrderAfterItsDelay) {
  unit.Faults().delayUs = 150000;
  link.Write(" 1(");
  EXPECT_EQ(Exchange(" &!", 100), "");
  EXPECT_EQ(unit.InversionToggles(), 0);
  EXPECT_EQ(Exchange("", 60), "!");
  EXPECT_EQ(unit.InversionToggles(), 1);
}

TEST_F(Faults, AnUnpluggedUnitClosesThePortAndCannotBeOpened) {
  Exchange(" 0.", 300);
  Pass(100);
  link.Unplug();
  EXPECT_FALSE(link.IsOpen());
  EXPECT_EQ(link.BufferedCount(), 0u);
  EXPECT_FALSE(link.Open(1));
  link.Write(" 1(");
  Pass(1000);
  EXPECT_EQ(unit.InversionToggles(), 0);
  link.Plug();
  ASSERT_TRUE(link.Open(1));
  EXPECT_EQ(Exchange(" 0+ &!").back(), '!');
}

TEST_F(Faults, OnlyPortsOneToEightOpen) {
  EXPECT_FALSE(link.Open(0));
  EXPECT_FALSE(link.IsOpen());
  EXPECT_FALSE(link.Open(9));
  EXPECT_TRUE(link.Open(8));
}

TEST_F(Faults, TheReceiveEventComesOncePerArrivalNotForBytesLeftUnread) {
  int events = 0;
  link.SetReceiveHandler([&] { ++events; });
  link.Write(" &!");
  clock.RunFor(250);
  EXPECT_EQ(events, 1);
  link.Write(" &!");
  clock.RunFor(50);
  EXPECT_EQ(events, 2);
  EXPECT_EQ(link.Read(), "!!");
}

}  // namespace
}  // namespace tlx::test
