#include "data/Occupancy.h"

#include "data/DataFile.h"

#include <algorithm>

namespace tlx {

OccupancyGrid OccupancyGrid::Empty(int cellSize, std::int32_t rate) {
  OccupancyGrid grid;
  grid.CellSize = std::clamp(cellSize, 1, kPictureHeight);
  grid.Columns = (kPictureWidth + grid.CellSize - 1) / grid.CellSize;
  grid.Rows = (kPictureHeight + grid.CellSize - 1) / grid.CellSize;
  grid.SecondsPerSample = 1.0 / std::max<std::int32_t>(rate, 1);
  grid.Samples.assign(static_cast<std::size_t>(grid.Columns * grid.Rows), 0);
  return grid;
}

void OccupancyGrid::Add(std::span<const std::uint16_t> words) {
  for (std::uint16_t word : words) {
    const int x = word & 0xFF;
    const int y = word >> 8;
    if (IsLostSample(y)) {
      ++LostSamples;
      continue;
    }
    ++Samples[static_cast<std::size_t>((y / CellSize) * Columns + x / CellSize)];
    ++TrackedSamples;
  }
}

std::int64_t OccupancyGrid::MaximumSamples() const {
  return Samples.empty() ? 0 : *std::max_element(Samples.begin(), Samples.end());
}

SampleRangeStatus ComputeOccupancy(const std::string& dataPath, std::int64_t session,
                                   std::int32_t sessionLength, std::int32_t rate, int cellSize,
                                   OccupancyGrid& out) {
  OccupancyGrid grid = OccupancyGrid::Empty(cellSize, rate);
  const SampleRangeStatus status =
      ReadSampleRange(dataPath, session, SamplesPerSession(sessionLength, rate),
                      [&grid](std::span<const std::uint16_t> words) { grid.Add(words); });
  if (status == SampleRangeStatus::Done) out = std::move(grid);
  return status;
}

}  // namespace tlx
