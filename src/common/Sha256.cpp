#include "common/Sha256.h"

#include <openssl/evp.h>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace tlx {

// The digest context; a context that cannot be made (no memory) is a fault the program cannot
// carry on from, as for any other allocation.
struct Sha256::Context {
  EVP_MD_CTX* ctx = EVP_MD_CTX_new();
  Context() {
    if (ctx == nullptr || EVP_DigestInit_ex(ctx, EVP_sha256(), nullptr) != 1) std::abort();
  }
  ~Context() { EVP_MD_CTX_free(ctx); }
};

Sha256::Sha256() : context_(std::make_unique<Context>()) {}
Sha256::~Sha256() = default;

void Sha256::Update(std::string_view bytes) {
  if (!bytes.empty() && EVP_DigestUpdate(context_->ctx, bytes.data(), bytes.size()) != 1) std::abort();
}

std::array<std::uint8_t, 32> Sha256::Finish() {
  std::array<std::uint8_t, 32> digest{};
  unsigned int length = 0;
  if (EVP_DigestFinal_ex(context_->ctx, digest.data(), &length) != 1 || length != digest.size()) std::abort();
  return digest;
}

std::string HexDigest(const std::array<std::uint8_t, 32>& digest) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out;
  out.reserve(64);
  for (std::uint8_t b : digest) {
    out += kHex[b >> 4];
    out += kHex[b & 15];
  }
  return out;
}

std::string Sha256::FinishHex() { return HexDigest(Finish()); }

std::string FileSha256Hex(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return {};
  Sha256 h;
  std::string block(std::size_t(1) << 16, '\0');
  for (;;) {
    const ssize_t got = ::read(fd, block.data(), block.size());
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      ::close(fd);
      return {};
    }
    if (got == 0) break;
    h.Update(std::string_view(block.data(), static_cast<std::size_t>(got)));
  }
  ::close(fd);
  return h.FinishHex();
}

}  // namespace tlx
