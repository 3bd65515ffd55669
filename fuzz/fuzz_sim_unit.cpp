// Feeds arbitrary bytes to the simulated unit, split into writes at arbitrary moments, and checks
// that it neither crashes nor lets its overlay or memory block grow past their sizes.
#include "sim/SimulatedUnit.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  tlx::SimulatedUnit unit(size > 0 ? data[0] : 0);
  std::int64_t now = 0;
  std::size_t i = 0;
  while (i < size) {
    // Each chunk: one byte of length, one byte of time step (ms), then that many bytes.
    const std::size_t length = data[i] % 64;
    const std::int64_t step = i + 1 < size ? data[i + 1] * 1000 : 0;
    const std::size_t begin = std::min(size, i + 2);
    const std::size_t end = std::min(size, begin + length);
    unit.Receive(std::string_view(reinterpret_cast<const char*>(data + begin), end - begin), now);
    now += step;
    unit.TakeOutput(now);
    i = end > i ? end : i + 1;
  }
  unit.TakeOutput(now + 2000000);
  if (unit.MemoryBlock().size() != tlx::SimulatedUnit::kMemoryBytes) std::abort();
  for (int row = 0; row < tlx::UnitOverlay::kRows; ++row) {
    if (unit.OverlayRow(row).size() != tlx::UnitOverlay::kColumns) std::abort();
  }
  return 0;
}
