// The simulated animal's path: repeatable per seed, inside the picture, and showing walking,
// resting, small movements, tracking jumps and lost samples.
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
}

TEST(SimulatedAnimalPath, AnHourStaysInThePictureAndShowsEveryKindOfMovement) {
  const auto path = Path(21, 30 * 3600);
  int lost = 0, rests = 0, jumps = 0, walkSteps = 0, smallSteps = 0, still = 0;
  for (std::size_t i = 0; i < path.size(); ++i) {
    const SimSample s = path[i];
    ASSERT_TRUE(s.x >= 0 && s.x <= 255 && ((s.y >= 0 && s.y <= 191) || s.y == 255));
    lost += s.y == 255;
    if (i == 0 || s.y == 255 || path[i - 1].y == 255) continue;
    const int step = std::abs(s.x - path[i - 1].x) + std::abs(s.y - path[i - 1].y);
    still = step == 0 ? still + 1 : 0;
    rests += still == 60;  // two seconds without any movement
    smallSteps += step > 0 && step <= 2;
    walkSteps += step >= 1 && step <= 5;
    jumps += step > 60;
  }
  EXPECT_GT(rests, 20);
  EXPECT_GT(smallSteps, 1000);
  EXPECT_GT(walkSteps, 10000);
  EXPECT_GT(jumps, 5);
  EXPECT_GT(lost, 20);
  EXPECT_LT(lost, static_cast<int>(path.size()) / 20);
}

}  // namespace
}  // namespace tlx::test
