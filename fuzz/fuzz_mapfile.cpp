// ReadMapFile on arbitrary bytes through a temporary file; the same bytes fed to the scanner in
// pieces must give the same answer and the same map.
#include "zonemap/MapFile.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = [] {
    char name[] = "/tmp/fuzz_mapfile-XXXXXX";
    const int fd = ::mkstemp(name);
    if (fd >= 0) ::close(fd);
    return std::string(name);
  }();
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return 0;
  std::fwrite(data, 1, size, file);
  std::fclose(file);

  tlx::ZoneMap fromFile, whole, pieces;
  const bool found = tlx::ReadMapFile(path, fromFile);
  if (tlx::ParseMapBytes(bytes, whole) != found || (found && !(whole == fromFile))) std::abort();

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
