// The simulated unit's position stream: its rate, its content and its repeatability.
#include "UnitOnLink.h"

#include <chrono>
#include <cstdio>

namespace tlx::test {
namespace {

using Stream = UnitOnLink;

// Counts the bytes received through the receive event during `ms` of the clock's main loop.
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
  Pass(100);
  link.Read();
  EXPECT_EQ(ReceiveFor(clock, link, 60000), 2u * 1500);
}

TEST_F(Stream, PairsAreTheAnimalsConsecutiveFrames) {
  const std::string bytes = Exchange(" 0.", 5000);
  ASSERT_GE(bytes.size(), 2u * 140);
  // The stream starts at the frame after the command; find it, then every pair must follow.
  SimulatedAnimal animal(kSeed);
  std::vector<std::string> frames;
  for (int f = 0; f < 200; ++f) frames.push_back(Pair(animal.Next()));
  std::size_t first = 0;
  while (first < 5 && frames[first] != bytes.substr(0, 2)) ++first;
  ASSERT_LT(first, 5u);
  for (std::size_t i = 0; i + 1 < bytes.size() && first + i / 2 < frames.size(); i += 2) {
    ASSERT_EQ(bytes.substr(i, 2), frames[first + i / 2]) << "pair " << i / 2;
  }
}

std::string Script(std::uint32_t seed) {
  VirtualClock clock;
  SimulatedUnit unit(seed);
  SimulatedLink link(clock, unit);
  link.Open(2);
  std::string received;
  for (const char* command : {" 0+", " 0.", " 0+", " 0."}) {
    link.Write(command);
    clock.AdvanceDevicesTo(clock.NowUs() + 20000000);
    received += link.Read();
  }
  return received;
}

TEST(StreamSeeds, TheSameSeedGivesTheSameBytesAndAnotherSeedOthers) {
  const std::string a = Script(11);
  EXPECT_GT(a.size(), 2000u);
  EXPECT_EQ(a, Script(11));
  EXPECT_NE(a, Script(12));
}

// A day of streaming must simulate in seconds, so a headless 24-hour run stays practical.
TEST_F(Stream, ADayOfStreamingSimulatesQuickly) {
  Exchange(" 0.", 500);
  const auto started = std::chrono::steady_clock::now();
  const std::uint64_t bytes = ReceiveFor(clock, link, 24LL * 3600 * 1000);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  std::printf("24 h of stream (%llu pairs) simulated in %.2f s\n",
              static_cast<unsigned long long>(bytes / 2), seconds);
  EXPECT_EQ(bytes, 2u * 30 * 86400);
  EXPECT_LT(seconds, 30.0);
}

}  // namespace
}  // namespace tlx::test
