// Random numbers for the simulated unit that come out the same on every standard library:
// std::mt19937's output sequence is fixed by the language, so only our own mapping of its
// 32-bit words onto ranges is used (never the library's distributions).
#pragma once

#include <cstdint>
#include <random>

namespace tlx {

class SimRandom {
 public:
  explicit SimRandom(std::uint32_t seed) : engine_(seed) {}

  // A whole number in 0..n-1 (0 when n <= 1), by scaling one 32-bit word.
  std::uint32_t Below(std::uint32_t n) {
    const std::uint64_t word = engine_();
    return n <= 1 ? 0 : static_cast<std::uint32_t>((word * n) >> 32);
  }
  // A whole number in lo..hi (inclusive; lo when hi < lo).
  std::int32_t Between(std::int32_t lo, std::int32_t hi) {
    if (hi <= lo) {
      engine_();
      return lo;
    }
    return lo + static_cast<std::int32_t>(Below(static_cast<std::uint32_t>(hi - lo) + 1));
  }
  // True with the chance num/den.
  bool Chance(std::uint32_t num, std::uint32_t den) { return Below(den) < num; }
  std::uint8_t Byte() { return static_cast<std::uint8_t>(engine_() >> 24); }

 private:
  std::mt19937 engine_;
};

}  // namespace tlx
