// The simulated unit's answers to the program's commands, byte for byte, through the simulated
// link on a virtual clock.
#include "UnitOnLink.h"

namespace tlx::test {
namespace {

using UnitCommands = UnitOnLink;

TEST_F(UnitCommands, PingIsAnsweredOnceEvenWhenSplitAndAfterGarbage) {
  EXPECT_EQ(Exchange(" &!", 5), "!");
  EXPECT_EQ(Exchange("", 200), "");
  link.Write(std::string("\x01\xFFQ 9 \x27 ,\xFF", 10));
  for (char c : std::string(" &")) Exchange(std::string(1, c), 3);
  EXPECT_EQ(Exchange("!", 10), "!");
}

TEST_F(UnitCommands, OnlyTheWholeWakeUpProbeIsAnsweredAndWakesTheUnit) {
  EXPECT_EQ(Exchange(" Turn OFF", 100), "");
  EXPECT_FALSE(unit.Awake());
  link.Write(" Turn");
  EXPECT_EQ(Exchange(" ON!", 100), SimulatedUnit::kWakeUpReply);
  EXPECT_TRUE(unit.Awake());
}

TEST_F(UnitCommands, ResetStopsTheStreamAndLeavesTheUnitDeafWhileItRestarts) {
  Exchange(" Turn ON!", 100);
  Exchange(" 0.", 500);
  Exchange(" $+", 5);
  EXPECT_EQ(Exchange(" &!", 100), "") << "a ping during the restart is lost";
  EXPECT_FALSE(unit.Awake());
  EXPECT_EQ(Exchange("", 1000), "") << "no stream after a reset";
  EXPECT_EQ(Exchange(" &!", 10), "!");
}

TEST_F(UnitCommands, PollAnswersThePairOfTheCurrentFrameAndStopsTheStream) {
  SimulatedAnimal animal(kSeed);
  EXPECT_EQ(Exchange(" 0+", 20), Pair(animal.At(0)));
  Pass(980);  // now exactly 1 s: the poll arrives during frame 30
  EXPECT_EQ(Exchange(" 0+", 20), Pair(animal.At(30)));
  Exchange(" 0.", 300);
  EXPECT_EQ(Exchange(" 0+", 10).size(), 2u);
  EXPECT_EQ(Exchange("", 1000), "");
}

TEST_F(UnitCommands, MemoryBlockIsKeptOnlyWhenCommittedAndItsDataIsNeverReadAsCommands) {
  EXPECT_EQ(Exchange(" 3$", 1000), std::string(768, '0'));
  std::string block(768, '1');
  block.replace(100, 3, " &!");
  block.replace(200, 3, " $+");
  EXPECT_EQ(Exchange(" 3%" + block, 600), "");
  EXPECT_EQ(Exchange(" 3#"), "");
  EXPECT_EQ(Exchange(" 3$", 1000), block);
  // A write that a reset interrupts before its commit changes nothing.
  Exchange(" 3%" + std::string(768, '0'), 600);
  Exchange(" $+", 1000);
  EXPECT_EQ(Exchange(" 3$", 1000), block);
}

TEST_F(UnitCommands, AreaQueryAnswersTwoBytesLowFirstAndClearsTheOverlay) {
  Exchange(std::string(" 0&\x01\x01" "AREA\0", 10));
  unit.SetObjectArea(1000);
  link.Write(" 0\"");
  EXPECT_EQ(Exchange("'-"), "\xE8\x03");
  EXPECT_TRUE(unit.Overlay().IsBlank());
}

TEST_F(UnitCommands, FilterNeedsItsFifthByteAndSavedSettingsComeBackAfterAReset) {
  Exchange(std::string(" 52\x01X", 5));
  EXPECT_FALSE(unit.ObjectFilter());
  Exchange(std::string(" 52\x01.", 5));
  for (int i = 0; i < 3; ++i) Exchange(" 1(");
  EXPECT_EQ(unit.InversionToggles(), 3);
  Exchange(" 5.");
  Exchange(" 1(" + std::string(" 52\x00.", 5));
  EXPECT_FALSE(unit.Inverted());
  EXPECT_FALSE(unit.ObjectFilter());
  Exchange(" $+", 1000);
  EXPECT_TRUE(unit.Inverted());
  EXPECT_TRUE(unit.ObjectFilter());
}

TEST_F(UnitCommands, MaskSetUpEndsWithTheNextByte) {
  Exchange(" 0\"" ",\xFF\xFF" "A\xFF\xFF");
  EXPECT_FALSE(unit.MaskActive()) << "four FF bytes must follow the comma";
  Exchange(",\xFF\xFF\xFF\xFF");
  EXPECT_TRUE(unit.MaskActive());
  Exchange(" ");
  Exchange(",\xFF\xFF\xFF\xFF" + std::string(1, '\0'));
  EXPECT_FALSE(unit.MaskActive());
  EXPECT_EQ(unit.MasksKept(), 1);
  EXPECT_EQ(unit.MasksCancelled(), 1);
  EXPECT_EQ(Exchange(" &!", 10), "!");
}

}  // namespace
}  // namespace tlx::test
