// The simulated unit behind a simulated link on a virtual clock, opened on port 1, with helpers
// that write bytes and collect what comes back after some virtual time.
#pragma once

#include "common/VirtualClock.h"
#include "sim/SimulatedLink.h"
#include "sim/SimulatedUnit.h"

#include <gtest/gtest.h>

#include <string>

namespace tlx::test {

inline constexpr std::uint32_t kSeed = 7;

class UnitOnLink : public ::testing::Test {
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

  VirtualClock clock;
  SimulatedUnit unit{kSeed};
  SimulatedLink link{clock, unit};
};

inline std::string Pair(const SimSample& s) {
  return {static_cast<char>(s.x), static_cast<char>(s.y)};
}

}  // namespace tlx::test
