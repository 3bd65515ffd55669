// The map reader on arbitrary bytes, from memory: the whole bytes at once and the same bytes fed
// to the scanner in pieces must give the same answer and the same map. (ReadMapFile feeds a
// file's bytes to the same scanner.)
#include "zonemap/MapFile.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  tlx::ZoneMap whole, pieces;
  const bool found = tlx::ParseMapBytes(bytes, whole);
  // Piece sizes taken from the data itself, so every split point gets tried.
  tlx::MapByteScanner scanner;
  std::size_t at = 0;
  while (at < size) {
    const std::size_t step = 1 + data[at] % 7;
    scanner.Feed(bytes.substr(at, step));
    at += step;
  }
  if (scanner.Finish(pieces) != found || (found && !(pieces == whole))) std::abort();
  return 0;
}
