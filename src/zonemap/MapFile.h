// Zone map files: the 770-byte binary ".MAP" file (tag FC AA, then the 768 cells) and maps found
// in a "[ZONE MAP]" section of any other file; the default map in the program home.
#pragma once

#include "zonemap/MapOverlay.h"
#include "zonemap/ZoneMap.h"

#include <string>
#include <string_view>

namespace tlx {

constexpr int kMapFileSize = 2 + kMapCells;  // 770
constexpr unsigned char kMapTag0 = 0xFC;
constexpr unsigned char kMapTag1 = 0xAA;

// Finds a map in a stream of bytes fed in pieces of any size. A stream that starts with FC AA is a
// binary map; any other is read as lines (ended by CR LF, LF or CR) until a "[ZONE MAP]" section
// header, and the bytes after that line's end are the map. Cells the stream does not reach are
// blanks. Memory use is bounded whatever the input.
class MapByteScanner {
 public:
  void Feed(std::string_view bytes);
  // True once all 768 cells are known; further input changes nothing.
  bool Complete() const { return state_ == State::Map && collected_.size() == kMapCells; }
  // End of input: true, with the map, when a map was found.
  bool Finish(ZoneMap& map);

 private:
  enum class State { Tag, Line, AfterHeaderCr, Map };
  void FeedLineByte(char c);
  void EndLine(bool endedByCr);
  bool LineIsMapHeader() const;

  State state_ = State::Tag;
  std::string tag_;        // the first bytes, until two are known
  std::string line_;       // the current line, up to kMaxLine bytes
  bool lineTooLong_ = false;
  std::string collected_;  // map cells found so far
};

// A map from bytes held in memory, read exactly as ReadMapFile reads a file.
bool ParseMapBytes(std::string_view bytes, ZoneMap& map);

// Reads a map file or a map section of any file. False when the file does not exist, is not a
// regular file, cannot be read or holds no map; the map is then unchanged.
bool ReadMapFile(const std::string& path, ZoneMap& map);

// The 770 bytes of a map file.
std::string MapFileBytes(const ZoneMap& map);

// Replaces the file with the 770-byte map file (written under a temporary name and renamed into
// place). False when it cannot be written, or names an existing file that is read-only or not a
// regular file.
bool WriteMapFile(const std::string& path, const ZoneMap& map);

// "DEFAULT.MAP" in the program home.
std::string DefaultMapPath(const std::string& programHome);

}  // namespace tlx
