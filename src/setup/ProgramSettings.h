// The program settings carried from one run of the program to the next in "TRACELUX.INI" and
// "TRACELUX.SET".
#pragma once

#include <cstdint>
#include <string>

namespace tlx {

struct ProgramSettings {
  std::string ConfigDir;
  std::string DataDir;
  std::int16_t ComPort = 0;     // 1..8 once read
  bool DrawTrace = false;
  bool ObjectFilter = false;
  std::int16_t DelayType = 0;   // 0 delay, 1 time of day
  std::int16_t VideoType = 0;   // 0 NTSC, 1 PAL (2 SECAM is read as PAL)
  std::string OpenDir;
};

}  // namespace tlx
