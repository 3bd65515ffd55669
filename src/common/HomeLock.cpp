#include "common/HomeLock.h"

#include "common/Paths.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace tlx {
namespace {

// The process id the holder wrote; 0 when the file does not hold one (yet).
long ReadHolder(int fd) {
  char text[32] = {};
  const ssize_t n = ::pread(fd, text, sizeof text - 1, 0);
  if (n <= 0) return 0;
  char* end = nullptr;
  const long pid = std::strtol(text, &end, 10);
  return end != text && pid > 0 ? pid : 0;
}

}  // namespace

int TryExclusiveLock(int fd, long& holder) {
  holder = 0;
  int rc;
  do {
    rc = ::flock(fd, LOCK_EX | LOCK_NB);
  } while (rc != 0 && errno == EINTR);
  if (rc == 0) return 0;
  const int error = errno;
  if (error == EWOULDBLOCK) holder = ReadHolder(fd);
  return error;
}

void WriteLockHolder(int fd) {
  const std::string pid = std::to_string(static_cast<long>(::getpid())) + "\n";
  // The id is for the message of a refused start only; the lock holds without it.
  [[maybe_unused]] const bool written = ::ftruncate(fd, 0) == 0 && ::pwrite(fd, pid.data(), pid.size(), 0) > 0;
}

HomeLock::~HomeLock() { Release(); }

HomeLock::Result HomeLock::Acquire(const std::string& home) {
  return AcquireFile(JoinPath(home, kHomeLockName));
}

HomeLock::Result HomeLock::AcquireFile(const std::string& path) {
  Release();
  holder_ = 0;
  reason_.clear();
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
  if (fd < 0) {
    reason_ = std::strerror(errno);
    return Result::Failed;
  }
  if (const int error = TryExclusiveLock(fd, holder_); error != 0) {
    ::close(fd);
    if (error == EWOULDBLOCK) return Result::InUse;
    reason_ = std::strerror(error);
    return Result::Failed;
  }
  fd_ = fd;
  WriteLockHolder(fd_);
  return Result::Locked;
}

void HomeLock::Release() {
  if (fd_ < 0) return;
  ::close(fd_);  // closing the only descriptor drops the lock
  fd_ = -1;
}

std::string HomeLock::RefusalText(const std::string& home) const {
  if (Held()) return {};
  if (!reason_.empty())
    return "The program home " + home + " cannot be locked (" + reason_ + ").";
  const std::string who = holder_ > 0 ? "process " + std::to_string(holder_) : "another process";
  return "The program home " + home + " is already in use by " + who +
         ". To run a second unit at the same time, give it its own home with --home DIR.";
}

}  // namespace tlx
