// One program per program home: a kernel lock (flock) on a lock file in the home, held for the
// life of the program and released by the kernel when the process ends, however it ends. The
// holder writes its process id into the file so that a refused start can name it.
#pragma once

#include <string>

namespace tlx {

// Takes an exclusive lock on an open lock file without waiting: 0 when it is ours, else the
// system's error (EWOULDBLOCK while another process holds it, whose id goes to `holder`, 0 when
// the file does not name one).
int TryExclusiveLock(int fd, long& holder);
// Writes this process's id into the lock file it holds, for the message of a refused start.
void WriteLockHolder(int fd);

inline constexpr const char* kHomeLockName = "TRACELUX.LOCK";

class HomeLock {
 public:
  enum class Result { Locked, InUse, Failed };

  HomeLock() = default;
  ~HomeLock();
  HomeLock(const HomeLock&) = delete;
  HomeLock& operator=(const HomeLock&) = delete;

  // Takes the lock without waiting. InUse: another process holds it (Holder() names it when
  // known). Failed: the lock file cannot be opened (Reason() says why).
  Result Acquire(const std::string& home);
  // The same on any lock file (created when missing), for things other than a home.
  Result AcquireFile(const std::string& path);
  void Release();

  bool Held() const { return fd_ >= 0; }
  long Holder() const { return holder_; }
  const std::string& Reason() const { return reason_; }
  // What the user is told when Acquire did not give the lock; empty after Locked.
  std::string RefusalText(const std::string& home) const;

 private:
  int fd_ = -1;
  long holder_ = 0;
  std::string reason_;
};

}  // namespace tlx
