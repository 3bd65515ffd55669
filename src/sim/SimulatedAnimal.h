// The animal the simulated unit watches: a seeded, repeatable path over the unit's 256 x 192
// picture, one position per video frame, with walking, resting, small movements on the spot,
// occasional tracking jumps and lost samples (Y = 255).
#pragma once

#include "common/PositionSample.h"
#include "sim/SimRandom.h"

#include <cstdint>

namespace tlx {

struct SimSample {
  int x = 0;  // 0..255
  int y = 0;  // 0..191, or 255 when the unit sees no object
  bool operator==(const SimSample&) const = default;
};

class SimulatedAnimal {
 public:
  static constexpr int kLostY = kNoObjectY;

  explicit SimulatedAnimal(std::uint32_t seed);

  // The reported position of frame `frame` (frames count from 0). Frames are generated in order;
  // asking for an earlier frame than the last one asked gives the last one again.
  SimSample At(std::uint64_t frame);
  // The reported position of the next frame.
  SimSample Next();
  // Frames generated so far.
  std::uint64_t Frames() const { return frames_; }

 private:
  enum class Mode { Walk, Rest, Fidget };

  void Step();
  void StartMode(Mode mode);
  void Walk();
  void Fidget();
  void Reflect();
  SimSample Report();

  SimRandom rng_;
  Mode mode_ = Mode::Rest;
  int modeLeft_ = 0;      // frames left in the current mode
  std::int32_t x_ = 0;    // true position, 1/256 pixel
  std::int32_t y_ = 0;
  std::int32_t anchorX_ = 0, anchorY_ = 0;  // spot of the small movements
  int heading_ = 0;       // 0..15, steps of 22.5 degrees
  std::int32_t speed_ = 0;  // 1/256 pixel per frame
  int jumpLeft_ = 0;      // frames the tracker still reports a wrong object
  SimSample jumpAt_;
  int lostLeft_ = 0;      // frames the tracker still sees no object
  std::uint64_t frames_ = 0;
  SimSample last_;
};

}  // namespace tlx
