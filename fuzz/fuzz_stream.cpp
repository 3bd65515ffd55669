// The stream parser on any bytes, split anywhere: no crash, every sample a byte pair, and every
// byte accounted for (a sample's pair, a slip's one or three bytes, a skipped pair or a held byte).
#include "device/StreamParser.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  tlx::StreamParser parser;
  const int skip = data[0] % 4;
  parser.Restart(skip);
  std::vector<tlx::StreamSample> out;
  std::size_t pos = 1, fed = 0;
  bool skipped = false;
  while (pos < size) {
    const std::size_t length = data[pos++] % 16;
    const std::size_t n = length < size - pos ? length : size - pos;
    skipped = parser.Feed(std::span<const std::uint8_t>(data + pos, n), out).Skipped || skipped;
    pos += n;
    fed += n;
  }
  std::size_t noise = 0;
  for (const tlx::StreamSample& s : out) {
    const tlx::PositionSample p = s.Sample;
    if (p.X < 0 || p.X > 255 || p.Y < 0 || p.Y > 255) __builtin_trap();
    if (s.LineNoise && p.Y != 255) __builtin_trap();
    noise += s.LineNoise ? 1 : 0;
  }
  if (static_cast<std::int64_t>(noise) != parser.Slips()) __builtin_trap();
  const std::size_t skippedPairs = static_cast<std::size_t>(skip - parser.SkipPairs());
  if (skipped != (skippedPairs > 0)) __builtin_trap();
  // A slip takes a lost byte's half pair (one byte) or a stray byte with the pair it broke (three).
  const std::size_t slipBytes = static_cast<std::size_t>(parser.BytesOfSlips());
  if (slipBytes < noise || slipBytes > 3 * noise) __builtin_trap();
  const std::size_t accounted =
      2 * (out.size() - noise) + slipBytes + 2 * skippedPairs + parser.HeldBytes();
  if (accounted != fed) __builtin_trap();
  // Held bytes wait only for a decision: never more than one undecided pair's look ahead.
  if (parser.HeldBytes() >= tlx::StreamParser::kLookaheadBytes) __builtin_trap();
  return 0;
}
