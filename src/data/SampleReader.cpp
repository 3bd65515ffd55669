#include "data/SampleReader.h"

#include <bit>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tlx {

bool SampleFile::Open(const std::string& path) {
  Close();
  // Non-blocking open so that a FIFO cannot hold us; refused below anyway.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return false;
  struct stat st{};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return false;
  }
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
  fd_ = fd;
  size_ = static_cast<std::int64_t>(st.st_size);
  return true;
}

void SampleFile::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  size_ = 0;
}

bool SampleFile::Seek(std::int64_t offset) {
  return fd_ >= 0 && ::lseek(fd_, static_cast<off_t>(offset), SEEK_SET) == static_cast<off_t>(offset);
}

long SampleFile::Read(char* buffer, std::size_t count) {
  if (fd_ < 0) return -1;
  for (;;) {
    const ssize_t n = ::read(fd_, buffer, count);
    if (n >= 0) return static_cast<long>(n);
    if (errno != EINTR) return -1;
  }
}

bool SampleFile::ReadExact(char* buffer, std::size_t count) {
  std::size_t done = 0;
  while (done < count) {
    const long n = Read(buffer + done, count - done);
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

SampleBlockReader::SampleBlockReader(SampleFile& file, std::size_t blockBytes)
    : file_(file),
      bytes_((blockBytes < 2 ? 2 : blockBytes) + 1),
      words_(bytes_.size() / 2) {}

std::span<const std::uint16_t> SampleBlockReader::Next() {
  count_ = 0;
  while (!ended_ && count_ == 0) {
    std::size_t have = 0;
    if (haveCarry_) bytes_[have++] = carry_;
    const long n = file_.Read(bytes_.data() + have, bytes_.size() - 1);
    if (n < 0) failed_ = true;
    if (n <= 0) {
      ended_ = true;  // a lone carried byte is half a sample: dropped
      break;
    }
    have += static_cast<std::size_t>(n);
    const std::size_t whole = have / 2;
    count_ = whole;
    if constexpr (std::endian::native == std::endian::little) {
      std::memcpy(words_.data(), bytes_.data(), whole * 2);
    } else {
      const auto* b = reinterpret_cast<const unsigned char*>(bytes_.data());
      for (std::size_t i = 0; i < whole; ++i) {
        words_[i] = static_cast<std::uint16_t>(b[2 * i] | (b[2 * i + 1] << 8));
      }
    }
    haveCarry_ = (have % 2) != 0;
    if (haveCarry_) carry_ = bytes_[have - 1];
  }
  return {words_.data(), count_};
}

}  // namespace tlx
