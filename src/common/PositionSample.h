// One position the unit reported: X and Y in the unit's 256 x 192 picture, each a byte value.
// Y = 255 means the unit saw no object in that sample.
#pragma once

#include <cstdint>

namespace tlx {

struct PositionSample {
  std::int16_t X = 0;
  std::int16_t Y = 0;
  bool operator==(const PositionSample&) const = default;
};

// The Y the unit sends when it sees no object.
inline constexpr std::int16_t kNoObjectY = 255;

// A sample without a position: no object (Y 255), or a Y below the 192-row picture. Every reader
// of samples (analysis, export, the run's count of missed samples, the live marker) asks this.
inline constexpr bool IsLostSample(int y) { return y >= 192; }

}  // namespace tlx
