// Time spent per location: the unit's 256 x 192 picture binned into square cells of a chosen size,
// each cell holding the samples found in it. Samples without a position are counted apart and
// never land in a cell.
#pragma once

#include "data/SampleRange.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tlx {

inline constexpr int kPictureWidth = 256;
inline constexpr int kPictureHeight = 192;

struct OccupancyGrid {
  int CellSize = 8;  // unit positions per side of a cell
  int Columns = 0;
  int Rows = 0;
  double SecondsPerSample = 1.0;
  std::vector<std::int64_t> Samples;  // row after row from the top left
  std::int64_t TrackedSamples = 0;    // samples with a position (the sum of the cells)
  std::int64_t LostSamples = 0;

  // An empty grid over the picture; the cell size is held to 1..192.
  static OccupancyGrid Empty(int cellSize, std::int32_t rate);
  void Add(std::span<const std::uint16_t> words);
  std::int64_t SamplesAt(int row, int column) const {
    return Samples[static_cast<std::size_t>(row * Columns + column)];
  }
  double TrackedSeconds() const { return double(TrackedSamples) * SecondsPerSample; }
  std::int64_t MaximumSamples() const;
};

// The grid of session n (from 1) or of the whole recording (kWholeRecording).
SampleRangeStatus ComputeOccupancy(const std::string& dataPath, std::int64_t session,
                                   std::int32_t sessionLength, std::int32_t rate, int cellSize,
                                   OccupancyGrid& out);

}  // namespace tlx
