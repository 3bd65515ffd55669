// The unit's position stream as a pure parser: bytes in, samples out. It keeps the bytes it has
// not decided yet for the next call, drops the pairs a new stream starts with, and notices and
// repairs a pairing that slipped by a byte lost or added on the line.
//
// The pairing check, in full (the manual's Methods chapter says the same):
//  - A pair is impossible when its Y is 192..254: the unit sends 0..191 for a tracked animal
//    and 255 when it sees none.
//  - A pair is a jump when it is a position more than kJump pixels (in X or in Y) from the last
//    position handed on.
//  - An impossible pair, or a jump, is decided once the kLookaheadBytes bytes from its first
//    one are there. It is a slip when the kCheckPairs pairs read from its fourth byte on (three
//    bytes later, leaving out the pair a stray byte broke) read better:
//      impossible: none of them is impossible;
//      jump: they are positions or lost samples, at least one a position, the first position
//        within kJump of the last position and each within kJump of the one before, and they
//        stray less, by more than kJump, from the last position than the kCheckPairs pairs
//        after the jump as read now (distances summed; a lost sample counts kJump, an impossible
//        pair 256), and none of the pairs after the jump as read now is a position within kJump
//        of the last one, or comes back as below (a tracking fault of a few frames comes back;
//        near the picture's diagonal the pairs read three bytes later look like a path as
//        well). A jump right after a lost sample is never a slip, nor one that comes back to
//        within kComeBack (2 kJump) of one of the last kRecent positions lying more than kJump
//        from the last one (a tracking fault ending; the animal walked on meanwhile).
//  - Every slip stands for one sample time and gives one lost sample (X 0, Y 255), counted as
//    lost to line noise, so the samples keep their times: the line lost a byte when the pair
//    read one byte on already continues from the last position and the slip's first byte is
//    within kJump of one of the last position's coordinates (the half of the pair whose other
//    byte was lost); pairing goes on from the next byte. Otherwise a stray byte came (between
//    two pairs or inside one): the slip costs three bytes, the stray byte and the pair it
//    broke, and pairing goes on from the fourth.
//  - A stream keeps its pace in pairs, not in time: every pair read and every slip is one
//    sample time. A lost byte that leaves a path (the animal near the diagonal) is found only
//    when the pairs stop reading as one; the run compares the stream's pace with the clock to
//    tell a line that loses more than the repair finds.
//  - A lost sample (Y 255, X anything) is never a jump and never impossible; it does not move the
//    last position.
#pragma once

#include "common/PositionSample.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace tlx {

struct StreamSample {
  PositionSample Sample;
  bool LineNoise = false;  // a lost sample standing for a pair broken by line noise
};

struct ParseResult {
  bool Skipped = false;  // a pair was dropped as one of a new stream's first pairs
};

class StreamParser {
 public:
  static constexpr int kJump = 8;  // pixels
  static constexpr int kCheckPairs = 4;
  static constexpr std::size_t kLookaheadBytes = 2 + 2 * kCheckPairs + 1;
  static constexpr int kStartSkipPairs = 2;
  // Positions handed on that a jump may come back to (a tracking fault ending) without a slip.
  static constexpr std::size_t kRecent = 8;
  // How near such a position a pair must come back: the animal may walk on meanwhile.
  static constexpr int kComeBack = 2 * kJump;

  // A new stream: pairing starts again from its own first byte, and its first `skipPairs`
  // pairs are dropped. Held bytes and the last position belong to the old stream and go.
  void Restart(int skipPairs);
  // Appends every sample the bytes decide to `out`; keeps the rest for the next call.
  ParseResult Feed(std::span<const std::uint8_t> bytes, std::vector<StreamSample>& out);

  // Bytes held for the next call (a lone byte of a pair, or the bytes of an undecided pair).
  std::size_t HeldBytes() const { return held_.size(); }
  int SkipPairs() const { return skip_; }
  std::int64_t Slips() const { return slips_; }
  // Bytes the slips took up: one for a lost byte's half pair, three for a stray byte and its pair.
  std::int64_t BytesOfSlips() const { return slipBytes_; }

 private:
  bool IsSlip(std::size_t at) const;
  bool JumpSlip(std::size_t at) const;
  std::size_t SlipBytes(std::size_t at) const;
  int Strays(std::size_t from) const;
  bool Jumps(int x, int y) const;
  bool ComesBack(int x, int y) const;
  void Remember(int x, int y);

  std::vector<std::uint8_t> held_;
  int skip_ = 0;
  bool hasPosition_ = false;
  int lastX_ = 0, lastY_ = 0;
  std::array<std::array<int, 2>, kRecent> recent_{};  // the last positions, oldest overwritten
  std::size_t recentCount_ = 0;
  bool lostSinceLast_ = false;  // a lost sample was handed on after the last position
  std::int64_t slips_ = 0;
  std::int64_t slipBytes_ = 0;
};

}  // namespace tlx
