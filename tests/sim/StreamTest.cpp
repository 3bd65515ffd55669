// The simulated unit's position stream: its rate, its content, its repeatability and its speed.
#include "UnitOnLink.h"


namespace tlx::test {
namespace {

using Stream = UnitOnLink;

// Counts the bytes taken through the receive event during `ms` of the clock's main loop.
std::uint64_t ReceiveFor(VirtualClock& clock, SimulatedLink& link, std::int64_t ms) {
  std::uint64_t bytes = 0;
  link.SetReceiveHandler([&] { bytes += link.Read().size(); });
  clock.RunFor(ms);
  link.SetReceiveHandler(nullptr);
  return bytes;
}

TEST_F(Stream, OneVirtualMinuteCarriesExactlyOnePairPerVideoFrame) {
  Exchange(" 0.", 500);
  EXPECT_EQ(ReceiveFor(clock, link, 60000), 2u * 1800);
  unit.SetVideoStandard(VideoStandard::Pal, clock.NowUs());
  link.Refresh();
  Exchange("", 100);
  EXPECT_EQ(ReceiveFor(clock, link, 60000), 2u * 1500);
}

TEST_F(Stream, PairsAreTheAnimalsConsecutiveFramesFromTheNextFrameOn) {
  const std::string bytes = Exchange(" 0.", 5000);
  ASSERT_EQ(bytes.size(), 2u * 149) << "frames 1 to 149 began within the 5 s";
  SimulatedAnimal animal(kSeed);
  animal.Next();  // frame 0 was on screen when the command came
  for (std::size_t i = 0; i < bytes.size(); i += 2)
    ASSERT_EQ(bytes.substr(i, 2), Pair(animal.Next())) << "pair " << i / 2;
}

// An hour of streaming delivers exactly one pair per frame, with nothing lost or added over a
// long stretch of virtual time.
TEST_F(Stream, AnHourOfStreamingDeliversEveryFrame) {
  Exchange(" 0.", 500);
  const std::uint64_t bytes = ReceiveFor(clock, link, 3600LL * 1000);
  EXPECT_EQ(bytes, 2u * 30 * 3600);
}

}  // namespace
}  // namespace tlx::test
