#include "common/RecordingLock.h"

#include "common/FileIdentity.h"
#include "common/HomeLock.h"
#include "common/Paths.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tlx {
namespace {

// The folder and the name of the recording's data file.
void SplitDataPath(const std::string& dataFile, std::string& folder, std::string& name) {
  const std::string dat = ChangeExtension(dataFile, "DAT");
  const std::size_t slash = dat.rfind('/');
  folder = slash == std::string::npos ? "." : slash == 0 ? "/" : dat.substr(0, slash);
  name = slash == std::string::npos ? dat : dat.substr(slash + 1);
}

// A lock file that was removed (or replaced) between our open and our lock belongs to a holder
// that has let go; the lock must be taken on the file that is now in its place.
bool StillInPlace(int fd, const std::string& path) {
  struct stat held{}, now{};
  return ::fstat(fd, &held) == 0 && ::stat(path.c_str(), &now) == 0 && held.st_dev == now.st_dev &&
         held.st_ino == now.st_ino;
}

}  // namespace

bool IdentifyRecording(const std::string& dataFile, RecordingId& id, int* error) {
  std::string folder;
  SplitDataPath(dataFile, folder, id.name);
  struct stat st{};
  if (::stat(folder.c_str(), &st) != 0) {
    if (error) *error = errno;
    return false;
  }
  if (!S_ISDIR(st.st_mode)) {
    if (error) *error = ENOTDIR;
    return false;
  }
  id.device = st.st_dev;
  id.inode = st.st_ino;
  return true;
}

bool SameRecording(const std::string& a, const std::string& b) {
  return SameFile(ChangeExtension(a, "DAT"), ChangeExtension(b, "DAT"));
}

std::string RecordingLockPath(const std::string& dataFile) {
  std::string folder, name;
  SplitDataPath(dataFile, folder, name);
  return JoinPath(folder, "." + name + ".lock");
}

RecordingLock::~RecordingLock() { Release(); }

RecordingLock::Result RecordingLock::Acquire(const std::string& dataFile) {
  Release();
  holder_ = 0;
  error_ = 0;
  dataPath_ = ChangeExtension(dataFile, "DAT");
  lockPath_ = RecordingLockPath(dataFile);
  for (int attempt = 0; attempt < 20; ++attempt) {
    int fd = ::open(lockPath_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0666);
    // Another user's lock file can still be locked through a descriptor opened for reading.
    if (fd < 0 && errno == EACCES) fd = ::open(lockPath_.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) {
      error_ = errno;
      return Result::Failed;
    }
    if (const int error = TryExclusiveLock(fd, holder_); error != 0) {
      ::close(fd);
      if (error == EWOULDBLOCK) return Result::InUse;
      error_ = error;
      return Result::Failed;
    }
    if (!StillInPlace(fd, lockPath_)) {
      ::close(fd);
      continue;
    }
    fd_ = fd;
    WriteLockHolder(fd_);
    return Result::Locked;
  }
  error_ = EAGAIN;
  return Result::Failed;
}

void RecordingLock::Release() {
  if (fd_ < 0) return;
  // Removed while still held, so that nobody locks a file that is about to go.
  ::unlink(lockPath_.c_str());
  ::close(fd_);
  fd_ = -1;
}

bool RecordingLock::Holds(const std::string& dataFile) const {
  return Held() && SameRecording(dataPath_, dataFile);
}

std::string RecordingLock::RefusalText() const {
  if (Held()) return {};
  if (error_ != 0)
    return "The data file " + dataPath_ + " cannot be created: " + std::strerror(error_) + ".";
  const std::string who = holder_ > 0 ? "process " + std::to_string(holder_) : "another process";
  return "The data file " + dataPath_ + " is being recorded by " + who + ".";
}

}  // namespace tlx
