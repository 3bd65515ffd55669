// SHA-256 (FIPS 180-4) of bytes and of files, so that every figure can be traced to the exact
// recording it was computed from.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace tlx {

class Sha256 {
 public:
  Sha256();
  void Update(std::string_view bytes);
  // The digest; the object must not be updated afterwards.
  std::array<std::uint8_t, 32> Finish();
  // 64 lower-case hexadecimal digits.
  std::string FinishHex();

 private:
  void Block(const std::uint8_t* p);

  std::array<std::uint32_t, 8> state_;
  std::array<std::uint8_t, 64> buffer_{};
  std::size_t buffered_ = 0;
  std::uint64_t length_ = 0;  // bytes
};

// The digest of a whole file; empty text when it cannot be read.
std::string FileSha256Hex(const std::string& path);

}  // namespace tlx
