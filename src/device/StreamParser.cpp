#include "device/StreamParser.h"

#include <algorithm>
#include <cstdlib>

namespace tlx {
namespace {

constexpr int kNoObject = 255;
constexpr int kPictureRows = 192;

bool Impossible(int y) { return y >= kPictureRows && y < kNoObject; }
bool IsPosition(int y) { return y < kPictureRows; }

constexpr int kFar = 256;

int Distance(int x0, int y0, int x1, int y1) {
  return std::max(std::abs(x0 - x1), std::abs(y0 - y1));
}

}  // namespace

void StreamParser::Restart(int skipPairs) {
  held_.clear();
  skip_ = skipPairs > 0 ? skipPairs : 0;
  hasPosition_ = false;
  recentCount_ = 0;
}

void StreamParser::Remember(int x, int y) {
  hasPosition_ = true;
  lostSinceLast_ = false;
  lastX_ = x;
  lastY_ = y;
  recent_[recentCount_++ % kRecent] = {x, y};
}

// A position the animal left by a jump shortly before (one more than kJump from the last
// position) that this pair comes back to, within kComeBack (the animal walks on while the
// tracker follows something else for a few frames): a tracking fault ends.
bool StreamParser::ComesBack(int x, int y) const {
  for (std::size_t k = 0; k < std::min(recentCount_, kRecent); ++k) {
    const int rx = recent_[k][0], ry = recent_[k][1];
    if (Distance(rx, ry, lastX_, lastY_) > kJump && Distance(x, y, rx, ry) <= kComeBack)
      return true;
  }
  return false;
}

bool StreamParser::Jumps(int x, int y) const {
  return hasPosition_ && IsPosition(y) && Distance(x, y, lastX_, lastY_) > kJump;
}

// The pair at `at` against the pairs read from its fourth byte on; the caller made sure the
// bytes are there.
bool StreamParser::IsSlip(std::size_t at) const {
  const std::size_t other = at + 3;
  if (Impossible(held_[at + 1])) {
    for (int k = 0; k < kCheckPairs; ++k)
      if (Impossible(held_[other + 2 * k + 1])) return false;
    return true;
  }
  return JumpSlip(at);
}

// How far four pairs from `from` stray from the last position: each position's distance, a lost
// sample kJump (it cannot tell), an impossible pair as far as a pair can be.
int StreamParser::Strays(std::size_t from) const {
  int total = 0;
  for (int k = 0; k < kCheckPairs; ++k) {
    const int x = held_[from + 2 * k], y = held_[from + 2 * k + 1];
    total += IsPosition(y) ? Distance(x, y, lastX_, lastY_) : y == kNoObject ? kJump : kFar;
  }
  return total;
}

// The pairs read three bytes later continue from the last position (lost samples aside) and fit
// it better than the pairs after the jump as they are read now, and the pairs as read now never
// come back to the last position or to one the animal left by a jump (a tracking fault of a few
// frames does, whatever the pairs read three bytes later look like: near the picture's
// diagonal, where X and Y are alike, they read as a path too).
bool StreamParser::JumpSlip(std::size_t at) const {
  if (lostSinceLast_ || ComesBack(held_[at], held_[at + 1])) return false;
  for (int k = 1; k <= kCheckPairs; ++k) {
    const int x = held_[at + 2 * k], y = held_[at + 2 * k + 1];
    if (IsPosition(y) && (Distance(x, y, lastX_, lastY_) <= kJump || ComesBack(x, y))) return false;
  }
  int px = lastX_, py = lastY_;
  bool positions = false;
  for (int k = 0; k < kCheckPairs; ++k) {
    const int x = held_[at + 3 + 2 * k], y = held_[at + 4 + 2 * k];
    if (y == kNoObject) continue;
    if (!IsPosition(y) || Distance(x, y, px, py) > kJump) return false;
    positions = true;
    px = x;
    py = y;
  }
  return positions && Strays(at + 3) + kJump < Strays(at + 2);
}

// A slip whose pair read one byte later already continues from the last position, and whose
// first byte is a coordinate of the last position (a half of a pair the line broke), lost one
// byte: pairing goes on from the next byte, and the broken pair is the one sample time lost. Any
// other slip (a stray byte between or inside pairs) costs the pair after it too.
std::size_t StreamParser::SlipBytes(std::size_t at) const {
  const int orphan = held_[at];
  const int x = held_[at + 1], y = held_[at + 2];
  const bool nextFits = y == kNoObject || (IsPosition(y) && (!hasPosition_ ||
                                                             Distance(x, y, lastX_, lastY_) <= kJump));
  const bool half = hasPosition_ && (std::abs(orphan - lastX_) <= kJump ||
                                     std::abs(orphan - lastY_) <= kJump);
  return nextFits && half ? 1 : 3;
}

ParseResult StreamParser::Feed(std::span<const std::uint8_t> bytes, std::vector<StreamSample>& out) {
  ParseResult result;
  held_.insert(held_.end(), bytes.begin(), bytes.end());
  std::size_t at = 0;
  while (held_.size() - at >= 2) {
    if (skip_ > 0) {
      --skip_;
      at += 2;
      result.Skipped = true;
      continue;
    }
    const int x = held_[at], y = held_[at + 1];
    if (Impossible(y) || Jumps(x, y)) {
      if (held_.size() - at < kLookaheadBytes) break;  // decided when more bytes are here
      if (IsSlip(at)) {
        ++slips_;
        out.push_back({PositionSample{0, kNoObject}, true});
        const std::size_t taken = SlipBytes(at);
        slipBytes_ += static_cast<std::int64_t>(taken);
        at += taken;
        continue;
      }
    }
    out.push_back({PositionSample{static_cast<std::int16_t>(x), static_cast<std::int16_t>(y)}, false});
    if (IsPosition(y)) Remember(x, y);
    if (y == kNoObject) lostSinceLast_ = true;
    at += 2;
  }
  held_.erase(held_.begin(), held_.begin() + static_cast<std::ptrdiff_t>(at));
  return result;
}

}  // namespace tlx
