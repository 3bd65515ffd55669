// The simulated unit behind the simulated link on a virtual clock: its overlay, its position
// stream and its faults. Its reset, wake-up probe, ping, memory block and object filter are checked
// through the program's start-up and shutdown; its poll, silence, noise and unplugging by the run
// controller's tests; its animal through the seeded runs of the command line.
#include "common/VirtualClock.h"
#include "sim/SimulatedLink.h"
#include "sim/SimulatedUnit.h"

#include <gtest/gtest.h>

#include <string>

namespace tlx::test {
namespace {

constexpr std::uint32_t kSeed = 7;

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

TEST_F(Unit, OverlayKeepsTextUntilClearedOrAnAreaQuery) {
  Exchange(Text(30, 0, "ABCD"));  // wraps onto the next row
  EXPECT_EQ(unit.OverlayRow(0).substr(30), "AB");
  EXPECT_EQ(unit.OverlayRow(1).substr(0, 3), "CD ");

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

}  // namespace
}  // namespace tlx::test
