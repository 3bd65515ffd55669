// The simulated animal's path: repeatable per seed, inside the picture, and showing walking,
// resting, small movements, tracking jumps and lost samples.
#include "sim/SimRandom.h"
#include "sim/SimulatedAnimal.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

namespace tlx::test {
namespace {

std::vector<SimSample> Path(std::uint32_t seed, int frames) {
  SimulatedAnimal animal(seed);
  std::vector<SimSample> path;
  for (int i = 0; i < frames; ++i) path.push_back(animal.Next());
  return path;
}

TEST(SimulatedAnimalPath, TheSameSeedGivesTheSamePathAndAnotherSeedAnother) {
  const auto a = Path(5, 20000);
  EXPECT_EQ(a, Path(5, 20000));
  EXPECT_NE(a, Path(6, 20000));
  SimulatedAnimal animal(5);
  EXPECT_EQ(animal.At(999), a[999]);
  EXPECT_EQ(animal.At(10), a[999]) << "frames never go back";
}

TEST(SimulatedAnimalPath, AnHourStaysInThePictureAndShowsEveryKindOfMovement) {
  const auto path = Path(21, 30 * 3600);
  int lost = 0, rests = 0, jumps = 0, walkSteps = 0, smallSteps = 0, still = 0;
  for (std::size_t i = 0; i < path.size(); ++i) {
    const SimSample s = path[i];
    ASSERT_LE(s.x, 255);
    ASSERT_GE(s.x, 0);
    ASSERT_TRUE((s.y >= 0 && s.y <= 191) || s.y == 255) << s.y;
    if (s.y == 255) {
      ++lost;
      continue;
    }
    if (i == 0 || path[i - 1].y == 255) continue;
    const int step = std::abs(s.x - path[i - 1].x) + std::abs(s.y - path[i - 1].y);
    still = step == 0 ? still + 1 : 0;
    if (still == 60) ++rests;  // two seconds without any movement
    if (step > 0 && step <= 2) ++smallSteps;
    if (step >= 1 && step <= 5) ++walkSteps;
    if (step > 60) ++jumps;
  }
  EXPECT_GT(rests, 20);
  EXPECT_GT(smallSteps, 1000);
  EXPECT_GT(walkSteps, 10000);
  EXPECT_GT(jumps, 5);
  EXPECT_GT(lost, 20);
  EXPECT_LT(lost, static_cast<int>(path.size()) / 20);
}

TEST(SimRandomMapping, StaysInRangeAndReachesEveryValue) {
  SimRandom rng(3);
  int counts[3] = {};
  for (int i = 0; i < 3000; ++i) ++counts[rng.Below(3)];
  for (int c : counts) EXPECT_NEAR(c, 1000, 150);
  for (int i = 0; i < 1000; ++i) {
    const int v = rng.Between(-2, 2);
    ASSERT_GE(v, -2);
    ASSERT_LE(v, 2);
  }
  EXPECT_EQ(rng.Below(1), 0u);
  EXPECT_EQ(rng.Between(4, 4), 4);
}

}  // namespace
}  // namespace tlx::test
