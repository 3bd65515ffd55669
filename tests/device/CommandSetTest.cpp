#include "FakeLink.h"

#include <gtest/gtest.h>

namespace tlx::test {
namespace {

std::string Bytes(std::initializer_list<int> values) {
  std::string s;
  for (int v : values) s += static_cast<char>(v);
  return s;
}

TEST(CommandBytesTest, EveryCommandGoesOutByteForByte) {
  namespace ub = unit_bytes;
  const std::vector<std::pair<std::string, std::string>> table = {
      {ub::Reset(), Bytes({0x20, 0x24, 0x2B})},
      {ub::WakeUpProbe(), Bytes({0x20, 0x54, 0x75, 0x72, 0x6E, 0x20, 0x4F, 0x4E, 0x21})},
      {ub::Ping(), Bytes({0x20, 0x26, 0x21})},
      {ub::StartStream(), Bytes({0x20, 0x30, 0x2E})},
      {ub::StopStream(), Bytes({0x20, 0x30, 0x2B})},
      {ub::ObjectFilter(true), Bytes({0x20, 0x35, 0x32, 0x01, 0x2E})},
      {ub::ObjectFilter(false), Bytes({0x20, 0x35, 0x32, 0x00, 0x2E})},
      {ub::ToggleInversion(), Bytes({0x20, 0x31, 0x28})},
      {ub::SaveSettings(), Bytes({0x20, 0x35, 0x2E})},
      {ub::LiveVideoOn(), Bytes({0x20, 0x31, 0x26})},
      {ub::LiveVideoOff(), Bytes({0x20, 0x31, 0x27})},
      {ub::CommitMemoryBlock(), Bytes({0x20, 0x33, 0x23})},
      {ub::ReadMemoryBlock(), Bytes({0x20, 0x33, 0x24})},
      {ub::ClearOverlay(), Bytes({0x20, 0x30, 0x22})},
      {ub::EndOverlay(), Bytes({0x20, 0x30, 0x27})},
      {ub::ObjectAreaQuery(), Bytes({0x20, 0x30, 0x22, 0x27, 0x2D})},
      {ub::MaskStart(), Bytes({0x2C, 0xFF, 0xFF, 0xFF, 0xFF})},
      {ub::MaskEnd(true), Bytes({0x20})},
      {ub::MaskEnd(false), Bytes({0x00})},
      {ub::OverlayText(40, -1, "Hi"), Bytes({0x20, 0x30, 0x26, 31, 0, 'H', 'i', 0})},
      {ub::OverlayText(3, 99, std::string("A\0", 2)), Bytes({0x20, 0x30, 0x26, 3, 23, 'A', 0})},
      {ub::OverlayText(0, 0, ""), Bytes({0x20, 0x30, 0x26, 0, 0, 0})},
      {ub::OverlayLine(-5, 300, 255, 191), Bytes({0x20, 0x30, 0x25, 0, 191, 255, 191})},
      {ub::OverlayCursor(128, 96), Bytes({0x20, 0x30, 0x28, 128, 96})},
  };
  for (std::size_t i = 0; i < table.size(); ++i) EXPECT_EQ(table[i].first, table[i].second) << i;

  const std::string block = ub::WriteMemoryBlock(true);
  ASSERT_EQ(block.size(), 771u);
  EXPECT_EQ(block, " 3%" + std::string(768, '1'));
  EXPECT_EQ(ub::WriteMemoryBlock(false).substr(3), std::string(768, '0'));
}

// A unit that answers the probe, the ping and nothing else.
void Responsive(FakeLink& fake, std::int64_t probeDelay = 20, std::string pingReply = "!",
                std::int64_t pingDelay = 3) {
  fake.Answer(unit_bytes::WakeUpProbe(), "OK", probeDelay);
  fake.Answer(unit_bytes::Ping(), pingReply, pingDelay);
}

TEST(ResetSequenceTest, WakesAndPingsAUnitThatAnswers) {
  DeviceRig rig;
  Responsive(rig.fake);
  int refreshes = 0;
  rig.commands.SetRefreshHandler([&] { ++refreshes; });
  EXPECT_TRUE(rig.commands.ResetAndInitialize(3));
  EXPECT_EQ(rig.fake.openedPorts, std::vector<int>{3});
  ASSERT_EQ(rig.fake.writes.size(), 3u);
  EXPECT_EQ(rig.fake.writes[0], std::make_pair(std::int64_t{0}, unit_bytes::Reset()));
  EXPECT_EQ(rig.fake.writes[1].first, 1000);
  EXPECT_EQ(rig.fake.writes[1].second, unit_bytes::WakeUpProbe());
  EXPECT_EQ(rig.fake.writes[2], std::make_pair(std::int64_t{2000}, unit_bytes::Ping()));
  EXPECT_TRUE(rig.state().UnitAwake);
  EXPECT_TRUE(rig.commands.State().UnitResponding);
  EXPECT_EQ(refreshes, 1);
  EXPECT_EQ(rig.answers.StatusTexts(), (std::vector<std::string>{"Resetting", "Initializing", ""}));
  EXPECT_TRUE(rig.answers.Messages().empty());
}

void ExpectNotResponding(DeviceRig& rig) {
  EXPECT_FALSE(rig.commands.State().UnitResponding);
  ASSERT_EQ(rig.answers.Messages().size(), 1u);
  const MessageRequest& m = rig.answers.Messages()[0];
  EXPECT_EQ(m.caption, "Error");
  EXPECT_EQ(m.text, "The Tracelux is\r\nnot responding.\r\n");
  EXPECT_EQ(m.icon, MsgIcon::Critical);
}

TEST(ResetSequenceTest, SilentLateOrGarbledUnitsAreNotResponding) {
  {
    DeviceRig rig;  // silent
    EXPECT_FALSE(rig.commands.ResetAndInitialize(1));
    EXPECT_FALSE(rig.state().UnitAwake);
    EXPECT_LT(NowMs(rig.clock), 2200);
    ExpectNotResponding(rig);
  }
  {
    DeviceRig rig;  // answers the probe after its 500 ms and the ping after 0.1 s
    Responsive(rig.fake, 600, "!", 150);
    EXPECT_FALSE(rig.commands.ResetAndInitialize(1));
    EXPECT_FALSE(rig.state().UnitAwake);
    ExpectNotResponding(rig);
  }
  for (const std::string reply : {"?", "!!", "x!"}) {
    DeviceRig rig;  // wrong byte, or "!" together with another byte
    Responsive(rig.fake, 20, reply);
    EXPECT_FALSE(rig.commands.ResetAndInitialize(1)) << reply;
    EXPECT_TRUE(rig.state().UnitAwake);
  }
  {
    DeviceRig rig;
    rig.fake.openable = false;
    EXPECT_FALSE(rig.commands.ResetAndInitialize(1));
    EXPECT_TRUE(rig.fake.writes.empty());
    ExpectNotResponding(rig);
  }
}

TEST(ResetSequenceTest, PingAcceptsABangThatFollowsALoneStrayByte) {
  DeviceRig rig;
  rig.Open();
  rig.fake.Answer(unit_bytes::Ping(), "x");
  rig.fake.DeliverAfter(40, "!");
  EXPECT_TRUE(rig.commands.Ping());
}

TEST(MemoryBlockTest, InvertedOnlyForAFullBlockStartingWithOne) {
  struct Case { std::string reply; bool inverted; };
  const Case cases[] = {{std::string(768, '1'), true},
                        {std::string(767, '1'), false},
                        {std::string(768, '0'), false},
                        {"1" + std::string(767, '0'), true}};
  for (const Case& c : cases) {
    DeviceRig rig;
    rig.Open();
    // Two stray bytes after the ping's "!" stay buffered: no event runs before the block read.
    rig.fake.Answer(unit_bytes::Ping(), "!");
    rig.fake.DeliverAfter(50, "\x05\x05");
    EXPECT_TRUE(rig.commands.Ping());
    rig.fake.Answer(unit_bytes::ReadMemoryBlock(), c.reply, 20);
    rig.commands.ReadVideoInverted();
    EXPECT_EQ(rig.commands.State().VideoInverted, c.inverted) << c.reply.size();
  }
  DeviceRig rig;
  rig.state().LastReadCount = 768;  // stale result of an earlier read
  rig.state().LastReadBytes = std::string(768, '1');
  rig.commands.State().VideoInverted = true;
  rig.commands.ReadVideoInverted();
  EXPECT_FALSE(rig.commands.State().VideoInverted);
}

TEST(MemoryBlockTest, StoreWritesTheBlockAndCommitsAfter100Ms) {
  DeviceRig rig;
  rig.Open();
  rig.commands.State().VideoInverted = true;
  rig.commands.StoreVideoInverted();
  ASSERT_EQ(rig.fake.writes.size(), 2u);
  EXPECT_EQ(rig.fake.writes[0].second, unit_bytes::WriteMemoryBlock(true));
  EXPECT_EQ(rig.fake.writes[1], std::make_pair(std::int64_t{100}, unit_bytes::CommitMemoryBlock()));
}

TEST(CommandSetTest, StreamStartAndStopSetTheLinkState) {
  DeviceRig rig;
  EXPECT_FALSE(rig.commands.StartStream());
  rig.Open();
  rig.fake.Answer(unit_bytes::StopStream(), "\x11\x22", 10);
  EXPECT_TRUE(rig.commands.StartStream());
  EXPECT_TRUE(rig.state().StreamOn);
  EXPECT_EQ(rig.state().SkipCount, 2);
  EXPECT_EQ(NowMs(rig.clock), 100);
  rig.commands.StopStream();
  EXPECT_FALSE(rig.state().StreamOn);
  EXPECT_EQ(rig.fake.BufferedCount(), 0u);
  EXPECT_EQ(rig.fake.Written(), unit_bytes::StartStream() + unit_bytes::StopStream());
}

TEST(CommandSetTest, InversionAndOverlayFollowThePort) {
  DeviceRig rig;
  rig.commands.SetInversion(true);
  EXPECT_FALSE(rig.commands.State().VideoInverted);  // port closed: nothing sent
  rig.Open();
  rig.commands.SetInversion(true);
  rig.commands.SetInversion(true);
  EXPECT_TRUE(rig.commands.State().VideoInverted);
  rig.commands.OverlayText(40, 5, "A");
  EXPECT_EQ(rig.fake.Written(),
            unit_bytes::ToggleInversion() + unit_bytes::OverlayText(31, 5, "A") +
                unit_bytes::EndOverlay());
  rig.fake.Answer(unit_bytes::ObjectAreaQuery(), "\x34\x12", 40);
  EXPECT_EQ(rig.commands.ObjectAreaQuery(), 0x1234);
}

}  // namespace
}  // namespace tlx::test
