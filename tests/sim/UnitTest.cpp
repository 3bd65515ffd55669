// The simulated unit behind the simulated link on a virtual clock: its animal, its answers to the
// program's commands byte for byte, its overlay, its position stream, and its faults (silence and
// noise are exercised by the run controller's tests that rely on them).
#include "common/VirtualClock.h"
#include "sim/SimulatedLink.h"
#include "sim/SimulatedUnit.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tlx::test {
namespace {

constexpr std::uint32_t kSeed = 7;

std::vector<SimSample> Path(std::uint32_t seed, int frames) {
  SimulatedAnimal animal(seed);
  std::vector<SimSample> path;
  for (int i = 0; i < frames; ++i) path.push_back(animal.Next());
  return path;
}

std::string Pair(const SimSample& s) { return {static_cast<char>(s.x), static_cast<char>(s.y)}; }

std::string Text(int column, int row, const std::string& chars) {
  return std::string(" 0&") + static_cast<char>(column) + static_cast<char>(row) + chars + '\0';
}

// The unit on port 1, with helpers that write bytes and collect what comes back.
class Unit : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(link.Open(1)); }
  // Lets virtual time pass without running program events.
  void Pass(int ms) { clock.AdvanceDevicesTo(clock.NowUs() + ms * 1000); }
  // Writes the bytes, lets `ms` pass and takes everything buffered.
  std::string Exchange(const std::string& bytes, int ms = 20) {
    link.Write(bytes);
    Pass(ms);
    return link.Read();
  }
  // Counts the bytes taken through the receive event during `ms` of the clock's main loop.
  std::uint64_t ReceiveFor(std::int64_t ms) {
    std::uint64_t bytes = 0;
    link.SetReceiveHandler([&] { bytes += link.Read().size(); });
    clock.RunFor(ms);
    link.SetReceiveHandler(nullptr);
    return bytes;
  }

  VirtualClock clock;
  SimulatedUnit unit{kSeed};
  SimulatedLink link{clock, unit};
};

TEST(SimulatedAnimalPath, RepeatsPerSeedStaysInThePictureRestsAndIsSometimesLost) {
  const auto path = Path(21, 30 * 3600);  // an hour
  EXPECT_EQ(path, Path(21, 30 * 3600));
  EXPECT_NE(Path(22, 20000), std::vector<SimSample>(path.begin(), path.begin() + 20000));
  SimulatedAnimal animal(21);
  EXPECT_EQ(animal.At(999), path[999]);
  int lost = 0, rests = 0, still = 0;
  for (std::size_t i = 0; i < path.size(); ++i) {
    const SimSample s = path[i];
    ASSERT_TRUE(s.x >= 0 && s.x <= 255 && ((s.y >= 0 && s.y <= 191) || s.y == 255));
    lost += s.y == 255;
    still = i > 0 && s.y != 255 && s == path[i - 1] ? still + 1 : 0;
    rests += still == 60;  // two seconds without any movement
  }
  EXPECT_GT(rests, 20);
  EXPECT_GT(lost, 20);
  EXPECT_LT(lost, static_cast<int>(path.size()) / 20);
}

TEST_F(Unit, PingAndOnlyTheWholeWakeUpProbeAreAnsweredEvenWhenSplitOrAfterGarbage) {
  EXPECT_EQ(Exchange(" &!", 5), "!");
  EXPECT_EQ(Exchange("", 200), "");
  link.Write(std::string("\x01\xFFQ 9 \x27 ,\xFF", 10));
  for (char c : std::string(" &")) Exchange(std::string(1, c), 3);
  EXPECT_EQ(Exchange("!", 10), "!");

  EXPECT_EQ(Exchange(" Turn OFF", 100), "");
  EXPECT_FALSE(unit.Awake());
  link.Write(" Turn");
  EXPECT_EQ(Exchange(" ON!", 100), SimulatedUnit::kWakeUpReply);
  EXPECT_TRUE(unit.Awake());
}

TEST_F(Unit, ResetStopsTheStreamAndLeavesTheUnitDeafWhileItRestarts) {
  Exchange(" Turn ON!", 100);
  Exchange(" 0.", 500);
  Exchange(" $+", 5);
  EXPECT_EQ(Exchange(" &!", 100), "") << "a ping during the restart is lost";
  EXPECT_FALSE(unit.Awake());
  EXPECT_EQ(Exchange("", 1000), "") << "no stream after a reset";
  EXPECT_EQ(Exchange(" &!", 10), "!");
}

TEST_F(Unit, PollAnswersThePairOfTheCurrentFrameAndStopsTheStream) {
  SimulatedAnimal animal(kSeed);
  EXPECT_EQ(Exchange(" 0+", 20), Pair(animal.At(0)));
  Pass(980);  // now exactly 1 s: the poll arrives during frame 30
  EXPECT_EQ(Exchange(" 0+", 20), Pair(animal.At(30)));
  Exchange(" 0.", 300);
  EXPECT_EQ(Exchange(" 0+", 10).size(), 2u);
  EXPECT_EQ(Exchange("", 1000), "");
}

TEST_F(Unit, MemoryBlockIsKeptOnlyWhenCommittedAndItsDataIsNeverReadAsCommands) {
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

TEST_F(Unit, FilterNeedsItsFifthByteAndSavedSettingsComeBackAfterAReset) {
  Exchange(std::string(" 52\x01X", 5));
  EXPECT_FALSE(unit.ObjectFilter());
  Exchange(std::string(" 52\x01.", 5));
  for (int i = 0; i < 3; ++i) Exchange(" 1(");
  EXPECT_EQ(unit.InversionToggles(), 3);
  Exchange(" 5.");
  Exchange(" 1(" + std::string(" 52\x00.", 5));
  EXPECT_FALSE(unit.Inverted() || unit.ObjectFilter());
  Exchange(" $+", 1000);
  EXPECT_TRUE(unit.Inverted() && unit.ObjectFilter());
}

TEST_F(Unit, OverlayKeepsTextLinesAndCursorUntilClearedOrAnAreaQuery) {
  Exchange(Text(30, 0, "ABCD"));  // wraps onto the next row
  EXPECT_EQ(unit.OverlayRow(0).substr(30), "AB");
  EXPECT_EQ(unit.OverlayRow(1).substr(0, 3), "CD ");
  // Cells outside the grid are clamped into it.
  Exchange(Text(40, 200, "Z") + Text(0, 255, "Q") + Text(255, 0, "R"));
  EXPECT_EQ(std::string() + unit.Overlay().Cell(31, 23) + unit.Overlay().Cell(0, 23) +
                unit.Overlay().Cell(31, 0), "ZQR");
  Exchange(std::string(" 0%\x0A\x14\x1E\xC8", 7) + std::string(" 0(\x05\x06", 5));
  EXPECT_EQ(unit.Overlay().Lines(), (std::vector<OverlayLine>{{10, 20, 30, 191}}));
  EXPECT_EQ(unit.Overlay().Cursor().x * 1000 + unit.Overlay().Cursor().y, 5006);
  Exchange(" 0\"");
  EXPECT_TRUE(unit.Overlay().IsBlank());

  // The area query answers two bytes, low first, and clears the overlay.
  unit.SetObjectArea(1000);
  link.Write(" 0\"");
  EXPECT_EQ(Exchange("'-"), "\xE8\x03");
  EXPECT_TRUE(unit.Overlay().IsBlank());

  // Text without its end byte stops at the overlay's size, and the unit listens again.
  link.Write(" 0&" + std::string(2, '\0') + std::string(768, 'x'));
  EXPECT_EQ(Exchange(" &!", 600), "!");
  EXPECT_EQ(unit.OverlayRow(23), std::string(32, 'x'));
}

TEST_F(Unit, TheStreamCarriesTheAnimalsConsecutiveFramesOnePairPerFrameForAnHour) {
  const std::string bytes = Exchange(" 0.", 5000);
  ASSERT_EQ(bytes.size(), 2u * 149) << "frames 1 to 149 began within the 5 s";
  SimulatedAnimal animal(kSeed);
  animal.Next();  // frame 0 was on screen when the command came
  for (std::size_t i = 0; i < bytes.size(); i += 2)
    ASSERT_EQ(bytes.substr(i, 2), Pair(animal.Next())) << "pair " << i / 2;
  // Nothing lost or added over a long stretch of virtual time.
  EXPECT_EQ(ReceiveFor(3600LL * 1000), 2u * 30 * 3600);
}

// The faults the sim command offers: every other byte dropped, and answers that come late but in
// order.
TEST_F(Unit, DroppedBytesAndALateUnitActingInOrderAfterItsDelay) {
  unit.Faults().dropEvery = 2;
  EXPECT_EQ(Exchange(" 3$", 1500).size(), 384u);
  unit.Faults().dropEvery = 0;
  unit.Faults().delayUs = 150000;
  link.Write(" 1(");
  EXPECT_EQ(Exchange(" &!", 100), "");
  EXPECT_EQ(unit.InversionToggles(), 0);
  EXPECT_EQ(Exchange("", 60), "!");
  EXPECT_EQ(unit.InversionToggles(), 1);
}

TEST_F(Unit, AnUnpluggedUnitClosesThePortAndHearsNothingUntilPluggedIn) {
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

}  // namespace
}  // namespace tlx::test
