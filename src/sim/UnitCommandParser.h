// Reads the program's commands out of the byte stream the simulated unit receives, one byte at
// a time, so commands may arrive split across any number of writes. Bytes that start no known
// command are ignored.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tlx {

enum class UnitOp {
  Reset,            // " $+"
  WakeUp,           // " Turn ON!"
  Ping,             // " &!"
  StartStream,      // " 0."
  StopStream,       // " 0+" (also polls one position)
  ObjectFilter,     // " 52", on/off byte, "."
  ToggleInversion,  // " 1("
  SaveSettings,     // " 5."
  LiveVideoOn,      // " 1&"
  LiveVideoOff,     // " 1'"
  WriteMemory,      // " 3%" and 768 data bytes
  CommitMemory,     // " 3#"
  ReadMemory,       // " 3$"
  ClearOverlay,     // " 0\""
  EndOverlay,       // " 0'"
  OverlayText,      // " 0&", column, row, characters, 00
  OverlayLine,      // " 0%", x0, y0, x1, y1
  OverlayCursor,    // " 0(", x, y
  AreaQuery,        // 27 2D (sent right after the clear overlay command)
  MaskStart,        // 2C FF FF FF FF
  MaskEnd,          // the one byte that follows a mask start: 20 keeps, anything else cancels
};

struct UnitCommand {
  UnitOp op = UnitOp::Ping;
  std::array<int, 4> args{};  // column,row | x0,y0,x1,y1 | x,y | filter byte | mask end byte
  std::string data;           // overlay text characters, memory block bytes
};

class UnitCommandParser {
 public:
  static constexpr std::size_t kMemoryBytes = 768;
  // Overlay text longer than the overlay without its 00 byte ends here; the next byte is read
  // as the start of a new command.
  static constexpr std::size_t kMaxText = 768;

  // Takes bytes and appends every command they complete to `out`.
  void Feed(std::string_view bytes, std::vector<UnitCommand>& out);
  void Feed(unsigned char byte, std::vector<UnitCommand>& out);
  // Forgets any half-read command and leaves mask mode.
  void Reset();

 private:
  enum class State { Idle, Blank, Group, WakeUp, Args, Text, FilterArg, FilterEnd, Memory,
                     Quote, MaskStart, Mask };

  void FeedIdle(unsigned char byte);
  void FeedOp(unsigned char byte, std::vector<UnitCommand>& out);
  void Expect(UnitOp op, int argCount);
  void Emit(std::vector<UnitCommand>& out);

  State state_ = State::Idle;
  unsigned char group_ = 0;
  std::size_t matched_ = 0;  // bytes of the wake-up text or of the mask start matched
  int argsWanted_ = 0;
  int argsHave_ = 0;
  UnitCommand pending_;
};

}  // namespace tlx
