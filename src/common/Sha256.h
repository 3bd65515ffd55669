// SHA-256 (FIPS 180-4) of bytes and of files, so that every figure can be traced to the exact
// recording it was computed from. The digest is OpenSSL's libcrypto: it uses the processor's SHA
// instructions where there are any, so hashing keeps up with reading a file from the page cache.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace tlx {

class Sha256 {
 public:
  Sha256();
  ~Sha256();
  Sha256(const Sha256&) = delete;
  Sha256& operator=(const Sha256&) = delete;
  void Update(std::string_view bytes);
  // The digest; the object must not be updated afterwards.
  std::array<std::uint8_t, 32> Finish();
  // 64 lower-case hexadecimal digits.
  std::string FinishHex();

 private:
  struct Context;
  std::unique_ptr<Context> context_;
};

// 64 lower-case hexadecimal digits of a digest.
std::string HexDigest(const std::array<std::uint8_t, 32>& digest);

// The digest of a whole file; empty text when it cannot be read.
std::string FileSha256Hex(const std::string& path);

}  // namespace tlx
