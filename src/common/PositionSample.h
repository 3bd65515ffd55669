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

}  // namespace tlx
