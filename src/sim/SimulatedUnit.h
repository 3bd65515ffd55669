// The simulated tracking unit, as pure logic without any I/O: it takes the bytes the program
// sends (with the time they arrived), acts on the commands, and puts its answers and its position
// stream on its line with the time each byte becomes available. Its overlay, inversion, memory
// block and other state can be looked at, and it can be told to misbehave.
#pragma once

#include "sim/SimRandom.h"
#include "sim/SimulatedAnimal.h"
#include "sim/UnitCommandParser.h"
#include "sim/UnitOverlay.h"

#include <cstdint>
#include <array>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tlx {

enum class VideoStandard { Ntsc, Pal };

// Ways the unit can be told to misbehave. They act on the bytes the unit sends.
struct UnitFaults {
  int dropEvery = 0;         // every n-th byte the unit sends is lost (0: none)
  int noiseEvery = 0;        // after every n-th byte the unit sends, one random byte follows (0: none)
  bool silent = false;       // the unit acts on commands but sends nothing
  std::int64_t delayUs = 0;  // the unit acts on every command this much later than it arrived
};

class SimulatedUnit {
 public:
  static constexpr std::int64_t kNever = std::numeric_limits<std::int64_t>::max();
  static constexpr std::int64_t kByteUs = 521;     // one byte on the line at 19200 baud
  static constexpr std::int64_t kAnswerUs = 1000;  // from a command's last byte to its answer
  static constexpr std::int64_t kResetUs = 250000; // deaf while restarting after a reset
  static constexpr std::size_t kMemoryBytes = 768;
  static constexpr std::string_view kWakeUpReply = "OK";

  // The animal is SimulatedAnimal(seed), one sample per video frame from time 0.
  explicit SimulatedUnit(std::uint32_t seed = 1);

  // Bytes that reached the unit at nowUs (microseconds). Times must not go backwards.
  void Receive(std::string_view bytes, std::int64_t nowUs);
  // Every byte the unit has put on its line up to nowUs and that was not taken yet.
  std::string TakeOutput(std::int64_t nowUs);
  // The next moment something happens inside the unit or on its line (kNever: nothing pending).
  std::int64_t NextEventUs() const;

  // 30 frames (and stream pairs) per second for NTSC, 25 for PAL.
  void SetVideoStandard(VideoStandard standard, std::int64_t nowUs = 0);
  void SetFrameRate(int perSecond, std::int64_t nowUs = 0);  // 1..60
  // The video frame shown at a moment.
  std::uint64_t FrameAt(std::int64_t us) const;

  UnitFaults& Faults() { return faults_; }
  // Replaces the kept memory block (768 bytes; shorter is padded with "0", longer is cut).
  void SetMemoryBlock(std::string block);
  // Fixes the area query's answer; -1 makes it follow the animal again.
  void SetObjectArea(int pixels) { fixedArea_ = pixels; }

  const UnitOverlay& Overlay() const { return overlay_; }
  std::string OverlayRow(int row) const { return overlay_.Row(row); }
  std::uint64_t PairsStreamed() const { return pairsStreamed_; }
  bool Inverted() const { return inverted_; }
  int InversionToggles() const { return toggles_; }
  bool ObjectFilter() const { return objectFilter_; }
  const std::string& MemoryBlock() const { return memory_; }
  int Resets() const { return resets_; }

 private:
  // Answers leave in pieces of this size, each when its last byte has crossed the line, so a long
  // answer trickles in as it does from a real unit.
  static constexpr std::size_t kChunkBytes = 16;

  struct Timed {
    std::int64_t atUs;
    std::string bytes;
  };
  // A piece of what the unit sends, held in place: a stream pair, or at most kChunkBytes of an
  // answer or of noise.
  struct Outgoing {
    std::int64_t atUs = 0;
    std::uint8_t size = 0;
    std::array<char, kChunkBytes> bytes{};
  };

  void AdvanceTo(std::int64_t nowUs);
  void Process(std::string_view bytes, std::int64_t atUs);
  void Execute(const UnitCommand& command, std::int64_t atUs);
  void ExecuteOverlay(const UnitCommand& command);
  void ExecuteSettings(const UnitCommand& command);
  void ResetUnit(std::int64_t atUs);
  void Answer(std::string_view bytes, std::int64_t atUs);
  void Queue(std::int64_t atUs, std::string_view bytes);
  void DropTakenOutput();
  SimRandom& Noise();
  void StreamNextPair();
  std::int64_t FrameTimeUs(std::uint64_t frame) const;
  std::int64_t NextPairUs() const;
  int ObjectArea(std::int64_t atUs);
  std::string ApplyFaults(std::string bytes);

  SimulatedAnimal animal_;
  std::uint32_t seed_;
  // The noise and the object area draw from generators of their own, made when first needed.
  std::optional<SimRandom> noise_;
  std::optional<SimRandom> area_;
  UnitCommandParser parser_;
  std::vector<UnitCommand> commands_;  // scratch for the parser's output
  UnitOverlay overlay_;
  UnitFaults faults_;

  std::int64_t nowUs_ = 0;
  std::int64_t busyUntilUs_ = 0;
  std::int64_t lineFreeUs_ = 0;
  std::vector<Timed> input_;     // bytes waiting for the unit to act on them (answer-late fault)
  std::vector<Outgoing> output_;  // bytes on their way, in time order, from outputTaken_ on
  std::size_t outputTaken_ = 0;   // pieces at the front already taken

  int rate_ = 30;
  std::int64_t originUs_ = 0;       // time of frame originFrame_
  std::uint64_t originFrame_ = 0;
  bool streaming_ = false;
  std::uint64_t nextFrame_ = 0;     // frame of the next stream pair
  std::uint64_t pairsStreamed_ = 0;

  bool inverted_ = false, savedInverted_ = false;
  bool objectFilter_ = false, savedFilter_ = false;
  int toggles_ = 0, resets_ = 0;
  std::string memory_;
  std::string written_;  // a written block waiting for its commit
  int areaBase_ = 0;
  int fixedArea_ = -1;
  std::uint64_t sentCount_ = 0;
};

}  // namespace tlx
