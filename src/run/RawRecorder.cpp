#include "run/RawRecorder.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace tlx {

RawRecorder::RawRecorder() {
  write_ = [](int fd, const char* bytes, std::size_t count) {
    return static_cast<long>(::write(fd, bytes, count));
  };
}

RawRecorder::~RawRecorder() { Close(); }

bool RawRecorder::Open(const std::string& path) {
  Close();
  failed_ = false;
  buffer_.clear();
  bytesWritten_ = 0;
  path_ = path;
  openError_ = ENOENT;
  if (path.empty()) return false;
  fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  openError_ = fd_ < 0 ? errno : 0;
  lastSync_ = std::chrono::steady_clock::now();
  return fd_ >= 0;
}

bool RawRecorder::Append(int x, int y) {
  if (fd_ < 0 || failed_) return false;
  buffer_.push_back(static_cast<char>(std::clamp(x, 0, 255)));
  buffer_.push_back(static_cast<char>(std::clamp(y, 0, 255)));
  if (buffer_.size() >= kBufferLimit) return WriteOut();
  return true;
}

bool RawRecorder::WriteOut() {
  std::size_t done = 0;
  while (done < buffer_.size()) {
    const long n = write_(fd_, buffer_.data() + done, buffer_.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      failed_ = true;
      break;
    }
    done += static_cast<std::size_t>(n);
    bytesWritten_ += n;
  }
  buffer_.erase(0, done);
  if (failed_) {
    buffer_.clear();
    KeepWholeSamples();
  }
  return !failed_;
}

// After a failed write the file may end in half a sample; cut it so the file holds whole ones.
void RawRecorder::KeepWholeSamples() {
  if (bytesWritten_ % 2 != 0) {
    --bytesWritten_;
    if (::ftruncate(fd_, bytesWritten_) != 0) {
      // The odd byte stays; readers of raw files ignore a trailing odd byte.
    }
  }
}

bool RawRecorder::Flush(bool sync) {
  if (fd_ < 0) return false;
  if (failed_) return false;
  if (!buffer_.empty() && !WriteOut()) return false;
  const auto now = std::chrono::steady_clock::now();
  if (sync && now - lastSync_ >= std::chrono::seconds(1)) {
    lastSync_ = now;
    ::fdatasync(fd_);
  }
  return true;
}

bool RawRecorder::Close() {
  if (fd_ < 0) return !failed_;
  if (!failed_ && !buffer_.empty()) WriteOut();
  ::fdatasync(fd_);
  ::close(fd_);
  fd_ = -1;
  return !failed_;
}

}  // namespace tlx
