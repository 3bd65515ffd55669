// The simulated unit's answers to the program's commands, byte for byte, through the simulated
// link on a virtual clock.
#include "UnitOnLink.h"

namespace tlx::test {
namespace {

using UnitCommands = UnitOnLink;

TEST_F(UnitCommands, PingIsAnsweredWithOneExclamationMarkWithinAFewMilliseconds) {
  EXPECT_EQ(Exchange(" &!", 5), "!");
  EXPECT_EQ(Exchange("", 200), "");
}

TEST_F(UnitCommands, CommandsSplitAcrossWritesAfterGarbageAreUnderstood) {
  link.Write(std::string("\x01\xFFQ 9 \x27 ,\xFF", 10));
  for (char c : std::string(" &!")) {
    link.Write(std::string(1, c));
    Pass(3);
  }
  Pass(10);
  EXPECT_EQ(link.Read(), "!");
}

TEST_F(UnitCommands, WakeUpProbeIsAnsweredAndWakesTheUnit) {
  EXPECT_EQ(Exchange(" Turn OFF", 100), "");
  EXPECT_FALSE(unit.Awake());
  link.Write(" Turn");
  EXPECT_EQ(Exchange(" ON!", 100), SimulatedUnit::kWakeUpReply);
  EXPECT_TRUE(unit.Awake());
}

TEST_F(UnitCommands, ResetStopsTheStreamAndLeavesTheUnitDeafWhileItRestarts) {
  Exchange(" Turn ON!", 100);
  Exchange(" 0.", 500);
  ASSERT_TRUE(unit.Streaming());
  link.Write(" $+");
  Pass(5);
  link.Read();
  EXPECT_EQ(Exchange(" &!", 100), "") << "a ping during the restart is lost";
  EXPECT_FALSE(unit.Streaming());
  EXPECT_FALSE(unit.Awake());
  Pass(1000);
  EXPECT_EQ(link.Read(), "") << "no stream after a reset";
  EXPECT_EQ(Exchange(" &!", 10), "!");
  EXPECT_EQ(unit.Resets(), 1);
}

TEST_F(UnitCommands, PollAnswersThePairOfTheCurrentFrameAndStopsTheStream) {
  SimulatedAnimal animal(kSeed);
  EXPECT_EQ(Exchange(" 0+", 20), Pair(animal.At(0)));
  Pass(980);  // now exactly 1 s: the poll arrives during frame 30
  EXPECT_EQ(Exchange(" 0+", 20), Pair(animal.At(30)));

  Exchange(" 0.", 300);
  const std::string pair = Exchange(" 0+", 10);
  EXPECT_EQ(pair.size(), 2u);
  EXPECT_FALSE(unit.Streaming());
  EXPECT_EQ(Exchange("", 1000), "");
}

TEST_F(UnitCommands, MemoryBlockIsKeptOnlyWhenCommittedAndItsDataIsNeverReadAsCommands) {
  EXPECT_EQ(Exchange(" 3$", 1000), std::string(768, '0'));

  std::string block(768, '1');
  block.replace(100, 3, " &!");
  block.replace(200, 3, " $+");
  const std::string write = " 3%" + block;
  ASSERT_EQ(write.size(), 771u);
  EXPECT_EQ(Exchange(write, 600), "");
  EXPECT_EQ(Exchange(" 3#", 20), "");
  EXPECT_EQ(Exchange(" 3$", 1000), block);
  EXPECT_EQ(unit.Resets(), 0);

  // A write that a reset interrupts before its commit changes nothing.
  Exchange(" 3%" + std::string(768, '0'), 600);
  Exchange(" $+", 1000);
  EXPECT_EQ(Exchange(" 3$", 1000), block);
}

TEST_F(UnitCommands, AreaQueryAnswersTwoBytesLowFirstAndClearsTheOverlay) {
  Exchange(std::string(" 0&\x01\x01" "AREA\0", 10), 20);
  unit.SetObjectArea(1000);
  EXPECT_EQ(Exchange("\x20\x30\x22\x27\x2D", 20), "\xE8\x03");
  EXPECT_TRUE(unit.Overlay().IsBlank());
  unit.SetObjectArea(-1);
  link.Write(" 0\"");
  EXPECT_EQ(Exchange("'-", 20).size(), 2u) << "also when split between writes";
}

TEST_F(UnitCommands, ObjectFilterTakesEffectOnlyWithItsFifthByte) {
  Exchange(std::string(" 52\x01.", 5));
  EXPECT_TRUE(unit.ObjectFilter());
  Exchange(std::string(" 52\x00.", 5));
  EXPECT_FALSE(unit.ObjectFilter());
  Exchange(std::string(" 52\x01X", 5));
  EXPECT_FALSE(unit.ObjectFilter());
}

TEST_F(UnitCommands, InversionTogglesAreCountedAndSavedSettingsComeBackAfterAReset) {
  for (int i = 0; i < 3; ++i) Exchange(" 1(");
  EXPECT_TRUE(unit.Inverted());
  EXPECT_EQ(unit.InversionToggles(), 3);
  Exchange(std::string(" 52\x01.", 5));
  Exchange(" 5.");
  Exchange(" 1(");
  Exchange(std::string(" 52\x00.", 5));
  EXPECT_FALSE(unit.Inverted());
  Exchange(" $+", 1000);
  EXPECT_TRUE(unit.Inverted());
  EXPECT_TRUE(unit.ObjectFilter());
  EXPECT_EQ(unit.SettingsSaves(), 1);
}

TEST_F(UnitCommands, LiveVideoAndMaskSetUp) {
  Exchange(" 1&");
  EXPECT_TRUE(unit.LiveVideo());
  Exchange(" 1'");
  EXPECT_FALSE(unit.LiveVideo());

  Exchange(" 0\"");
  Exchange(",\xFF\xFF" "A\xFF\xFF");
  EXPECT_FALSE(unit.MaskActive()) << "four FF bytes must follow the comma";
  Exchange(",\xFF\xFF\xFF\xFF");
  EXPECT_TRUE(unit.MaskActive());
  Exchange(" ");
  EXPECT_FALSE(unit.MaskActive());
  Exchange(",\xFF\xFF\xFF\xFF");
  Exchange(std::string(1, '\0'));
  EXPECT_EQ(unit.MasksKept(), 1);
  EXPECT_EQ(unit.MasksCancelled(), 1);
  EXPECT_EQ(Exchange(" &!", 10), "!") << "commands work again after the mask set-up";
}

}  // namespace
}  // namespace tlx::test
