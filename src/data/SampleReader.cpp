#include "data/SampleReader.h"

#include "common/Sha256.h"

#include <algorithm>
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

void SampleFile::OpenBytes(std::string_view bytes) {
  Close();
  memory_ = bytes.data() != nullptr ? bytes.data() : "";
  size_ = static_cast<std::int64_t>(bytes.size());
}

void SampleFile::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  size_ = 0;
  memory_ = nullptr;
  at_ = 0;
}

bool SampleFile::Seek(std::int64_t offset) {
  if (memory_ != nullptr) {
    if (offset < 0) return false;
    at_ = offset;  // as on a file, a position past the end reads nothing
    return true;
  }
  return fd_ >= 0 && ::lseek(fd_, static_cast<off_t>(offset), SEEK_SET) == static_cast<off_t>(offset);
}

long SampleFile::Read(char* buffer, std::size_t count) {
  if (memory_ != nullptr) {
    const std::int64_t left = at_ < size_ ? size_ - at_ : 0;
    const std::size_t n = std::min(count, static_cast<std::size_t>(left));
    if (n > 0) std::memcpy(buffer, memory_ + at_, n);
    at_ += static_cast<std::int64_t>(n);
    return static_cast<long>(n);
  }
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
    : file_(file) {
  // No bigger than the file needs: small files are read in one piece without a large buffer.
  const std::size_t fileBytes = file.Size() > 0 ? static_cast<std::size_t>(file.Size()) : 0;
  const std::size_t bytes = std::min(blockBytes < 2 ? std::size_t(2) : blockBytes, fileBytes + 2);
  capacity_ = bytes / 2 + 1;
  words_.reset(new std::uint16_t[capacity_]);
}

std::span<const std::uint16_t> SampleBlockReader::Next() {
  // The words' own memory receives the bytes, after a byte carried over from the last read.
  char* const bytes = reinterpret_cast<char*>(words_.get());
  const std::size_t room = capacity_ * 2 - 1;
  count_ = 0;
  while (!ended_ && count_ == 0) {
    std::size_t have = 0;
    if (haveCarry_) bytes[have++] = carry_;
    const long n = file_.Read(bytes + have, room);
    if (n < 0) failed_ = true;
    if (n <= 0) {
      ended_ = true;  // a lone carried byte is half a sample: dropped
      break;
    }
    if (hash_ != nullptr) hash_->Update(std::string_view(bytes + have, static_cast<std::size_t>(n)));
    have += static_cast<std::size_t>(n);
    count_ = have / 2;
    haveCarry_ = (have % 2) != 0;
    if (haveCarry_) carry_ = bytes[have - 1];
  }
  if constexpr (std::endian::native != std::endian::little) {
    for (std::size_t i = 0; i < count_; ++i) words_[i] = static_cast<std::uint16_t>((words_[i] >> 8) | (words_[i] << 8));
  }
  return {words_.get(), count_};
}

}  // namespace tlx
