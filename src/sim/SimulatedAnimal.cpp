#include "sim/SimulatedAnimal.h"

#include <algorithm>

namespace tlx {
namespace {

// Unit steps for the 16 headings (22.5 degrees apart), in 1/256 pixel: integer constants, so the
// path never depends on a math library's rounding.
struct Direction {
  std::int32_t dx, dy;
};
constexpr Direction kDirections[16] = {
    {256, 0},    {237, 98},    {181, 181},  {98, 237},  {0, 256},   {-98, 237},
    {-181, 181}, {-237, 98},   {-256, 0},   {-237, -98}, {-181, -181}, {-98, -237},
    {0, -256},   {98, -237},   {181, -181}, {237, -98}};

// The animal stays a few pixels inside the picture; only tracking jumps report positions at
// the very edges.
constexpr std::int32_t kMinX = 6 * 256, kMaxX = 249 * 256;
constexpr std::int32_t kMinY = 6 * 256, kMaxY = 185 * 256;

}  // namespace

SimulatedAnimal::SimulatedAnimal(std::uint32_t seed) : rng_(seed) {
  x_ = rng_.Between(64, 191) * 256;
  y_ = rng_.Between(48, 143) * 256;
  heading_ = static_cast<int>(rng_.Below(16));
  StartMode(Mode::Walk);
}

SimSample SimulatedAnimal::At(std::uint64_t frame) {
  while (frames_ <= frame) Next();
  return last_;
}

SimSample SimulatedAnimal::Next() {
  Step();
  ++frames_;
  last_ = Report();
  return last_;
}

void SimulatedAnimal::StartMode(Mode mode) {
  mode_ = mode;
  switch (mode) {
    case Mode::Walk:
      modeLeft_ = rng_.Between(20, 240);
      heading_ = (heading_ + rng_.Between(-3, 3)) & 15;
      speed_ = rng_.Between(64, 640);
      break;
    case Mode::Rest:
      modeLeft_ = rng_.Between(60, 600);
      break;
    case Mode::Fidget:
      modeLeft_ = rng_.Between(30, 180);
      anchorX_ = x_;
      anchorY_ = y_;
      break;
  }
}

void SimulatedAnimal::Step() {
  if (modeLeft_ <= 0) {
    const std::uint32_t roll = rng_.Below(10);
    switch (mode_) {
      case Mode::Walk:
        StartMode(roll < 4 ? Mode::Rest : roll < 8 ? Mode::Fidget : Mode::Walk);
        break;
      case Mode::Rest:
        StartMode(roll < 6 ? Mode::Walk : Mode::Fidget);
        break;
      case Mode::Fidget:
        StartMode(roll < 6 ? Mode::Walk : Mode::Rest);
        break;
    }
  }
  --modeLeft_;
  if (mode_ == Mode::Walk) Walk();
  if (mode_ == Mode::Fidget) Fidget();

  // Tracking faults: the unit locks onto something else for a few frames, or loses the animal.
  if (jumpLeft_ > 0) --jumpLeft_;
  if (lostLeft_ > 0) --lostLeft_;
  if (jumpLeft_ == 0 && lostLeft_ == 0) {
    if (rng_.Chance(1, 2400)) {
      jumpLeft_ = rng_.Between(1, 3);
      jumpAt_ = {rng_.Between(0, 255), rng_.Between(0, 191)};
    } else if (rng_.Chance(1, 900)) {
      lostLeft_ = rng_.Between(1, 20);
    }
  }
}

void SimulatedAnimal::Walk() {
  if (rng_.Chance(1, 8)) heading_ = (heading_ + rng_.Between(-1, 1)) & 15;
  x_ += kDirections[heading_].dx * speed_ / 256;
  y_ += kDirections[heading_].dy * speed_ / 256;
  Reflect();
}

void SimulatedAnimal::Fidget() {
  x_ = std::clamp(anchorX_ + rng_.Between(-2, 2) * 256, kMinX, kMaxX);
  y_ = std::clamp(anchorY_ + rng_.Between(-2, 2) * 256, kMinY, kMaxY);
}

// Bounces off the picture's edges: the position is mirrored and the heading turned.
void SimulatedAnimal::Reflect() {
  if (x_ < kMinX || x_ > kMaxX) {
    x_ = x_ < kMinX ? 2 * kMinX - x_ : 2 * kMaxX - x_;
    heading_ = (8 - heading_) & 15;
  }
  if (y_ < kMinY || y_ > kMaxY) {
    y_ = y_ < kMinY ? 2 * kMinY - y_ : 2 * kMaxY - y_;
    heading_ = (16 - heading_) & 15;
  }
  x_ = std::clamp(x_, kMinX, kMaxX);
  y_ = std::clamp(y_, kMinY, kMaxY);
}

SimSample SimulatedAnimal::Report() {
  if (lostLeft_ > 0) return {0, kLostY};
  if (jumpLeft_ > 0) return jumpAt_;
  return {x_ / 256, y_ / 256};
}

}  // namespace tlx
