#include "device/TermiosLink.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <string_view>
#include <cstdlib>
#include <string>
#include <thread>

namespace tlx {
namespace {

bool IsGoneError(int error) {
  return error == EIO || error == ENXIO || error == ENODEV || error == EBADF || error == EPIPE;
}

std::string MachineLockDirectory() {
  return ::access("/run/lock", W_OK | X_OK) == 0 ? "/run/lock" : "/tmp";
}

long HolderSeen(long pid) {
  return pid == static_cast<long>(::getpid()) ? PortOpenResult::kHolderIsThisProgram : pid;
}

// The process holding the kernel lock on a file, as the kernel lists its locks (0: none found).
long LockHolder(const struct stat& file) {
  FILE* locks = std::fopen("/proc/locks", "re");
  if (locks == nullptr) return 0;
  char line[256];
  long holder = 0;
  while (holder == 0 && std::fgets(line, sizeof line, locks) != nullptr) {
    char kind[16] = {};
    long pid = 0;
    unsigned maj = 0, min = 0;
    unsigned long inode = 0;
    // "1: FLOCK  ADVISORY  WRITE 4242 00:05:87 0 EOF"
    if (std::sscanf(line, "%*d: %15s %*s %*s %ld %x:%x:%lu", kind, &pid, &maj, &min, &inode) == 5 &&
        std::string_view(kind) == "FLOCK" && inode == file.st_ino && maj == major(file.st_dev) &&
        min == minor(file.st_dev))
      holder = pid;
  }
  std::fclose(locks);
  return HolderSeen(holder);
}

// The one process that has the device open, found among the open files under /proc (a process
// of another user is not shown to us); 0 when none or several are seen.
long DeviceHolder(dev_t device) {
  DIR* proc = ::opendir("/proc");
  if (proc == nullptr) return 0;
  long found = 0;
  int holders = 0;
  while (const dirent* entry = ::readdir(proc)) {
    char* end = nullptr;
    const long pid = std::strtol(entry->d_name, &end, 10);
    if (pid <= 0 || *end != '\0') continue;
    const std::string fds = "/proc/" + std::string(entry->d_name) + "/fd";
    DIR* dir = ::opendir(fds.c_str());
    if (dir == nullptr) continue;
    while (const dirent* fd = ::readdir(dir)) {
      struct stat st{};
      if (fd->d_name[0] != '.' && ::stat((fds + "/" + fd->d_name).c_str(), &st) == 0 &&
          S_ISCHR(st.st_mode) && st.st_rdev == device) {
        found = pid;
        ++holders;
        break;
      }
    }
    ::closedir(dir);
  }
  ::closedir(proc);
  return holders == 1 ? HolderSeen(found) : 0;
}

}  // namespace

TermiosLink::TermiosLink(std::function<std::string(int)> devicePathFor, std::string lockDirectory)
    : devicePathFor_(std::move(devicePathFor)),
      lockDirectory_(lockDirectory.empty() ? MachineLockDirectory() : std::move(lockDirectory)) {}

TermiosLink::~TermiosLink() { Close(); }

bool TermiosLink::Open(int portNumber) {
  Close();
  const std::string path = devicePathFor_ ? devicePathFor_(portNumber) : std::string();
  if (path.empty()) {
    lastOpen_ = {PortOpenResult::Kind::NoDevice, {}};
    return false;
  }
  return OpenDevice(path);
}

// Every program that records from a unit holds an exclusive kernel lock on the device's own file
// (every path to it, its stable name included, leads to that one file) for as long as it is
// open; the kernel drops it when the program ends, however it ends. No shared lock folder is
// involved, so nobody can block a unit with a file of their own, and root, whom TIOCEXCL does
// not stop, is refused like everyone else.
bool TermiosLink::Lock() {
  int rc;
  do {
    rc = ::flock(fd_, LOCK_EX | LOCK_NB);
  } while (rc != 0 && errno == EINTR);
  if (rc == 0) return true;
  const int error = errno;
  struct stat st{};
  if (error == EWOULDBLOCK) {
    lastOpen_.kind = PortOpenResult::Kind::InUse;
    if (::fstat(fd_, &st) == 0) lastOpen_.holder = LockHolder(st);
  } else {
    // A device that cannot be locked is not used unguarded.
    lastOpen_.kind = PortOpenResult::Kind::CannotLock;
    lastOpen_.error = error;
  }
  return false;
}

// Earlier versions kept a lock file per unit in the machine's lock folder. One of ours that no
// process holds is removed; one of another user's is left alone (it is no longer consulted).
// The file is opened without following links and only a regular file is touched.
void TermiosLink::RemoveStaleLockFile() const {
  struct stat st{};
  if (::fstat(fd_, &st) != 0) return;
  const std::string path = lockDirectory_ + "/tracelux-unit-" + std::to_string(major(st.st_rdev)) +
                           "-" + std::to_string(minor(st.st_rdev)) + ".lock";
  const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return;
  struct stat file{};
  if (::fstat(fd, &file) == 0 && S_ISREG(file.st_mode) && file.st_uid == ::geteuid() &&
      ::flock(fd, LOCK_EX | LOCK_NB) == 0)
    ::unlink(path.c_str());
  ::close(fd);
}

bool TermiosLink::OpenDevice(const std::string& path) {
  Close();
  lost_ = false;
  lastOpen_ = {PortOpenResult::Kind::Opened, path};
  struct stat st{};
  if (::stat(path.c_str(), &st) != 0) {
    lastOpen_.kind = PortOpenResult::Kind::CannotOpen;
    lastOpen_.error = errno;
    return false;
  }
  if (!S_ISCHR(st.st_mode)) {
    lastOpen_.kind = PortOpenResult::Kind::NotSerial;
    return false;
  }
  fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd_ < 0) {
    // EBUSY: another program holds the device exclusively (TIOCEXCL).
    const int error = errno;
    lastOpen_.kind = error == EBUSY ? PortOpenResult::Kind::InUse : PortOpenResult::Kind::CannotOpen;
    lastOpen_.error = error;
    if (error == EBUSY) lastOpen_.holder = DeviceHolder(st.st_rdev);
    return false;
  }
  if (!::isatty(fd_)) {
    lastOpen_.kind = PortOpenResult::Kind::NotSerial;
    Close();
    return false;
  }
  if (!Lock()) {
    ::close(fd_);
    fd_ = -1;
    return false;
  }
  RemoveStaleLockFile();
  if (::ioctl(fd_, TIOCEXCL) != 0 || !Configure()) {
    if (lastOpen_.kind == PortOpenResult::Kind::Opened) {
      lastOpen_.kind = PortOpenResult::Kind::CannotOpen;
      lastOpen_.error = errno;
    }
    Close();
    return false;
  }
  return true;
}

bool TermiosLink::Configure() {
  termios tio{};
  if (::tcgetattr(fd_, &tio) != 0) return false;
  ::cfmakeraw(&tio);
  tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CRTSCTS);
  tio.c_cflag |= CS8 | CREAD | CLOCAL;
  tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
  tio.c_cc[VMIN] = 0;
  tio.c_cc[VTIME] = 0;
  if (::cfsetispeed(&tio, B19200) != 0 || ::cfsetospeed(&tio, B19200) != 0) return false;
  if (::tcsetattr(fd_, TCSANOW, &tio) != 0) return false;
  ::tcflush(fd_, TCIFLUSH);
  // A pseudo-terminal has no modem lines; the unit's adapter needs them raised.
  int lines = TIOCM_DTR | TIOCM_RTS;
  (void)::ioctl(fd_, TIOCMBIS, &lines);
  return true;
}

void TermiosLink::Close() {
  if (fd_ >= 0) {
    (void)::ioctl(fd_, TIOCNXCL);
    ::close(fd_);
  }
  fd_ = -1;
  local_.clear();
}

void TermiosLink::Lose() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  lost_ = true;
}

bool TermiosLink::HungUp() const {
  pollfd p{fd_, POLLIN, 0};
  return ::poll(&p, 1, 0) > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
}

void TermiosLink::Fill(std::size_t limit) {
  char buffer[1024];
  while (fd_ >= 0 && local_.size() < limit) {
    const std::size_t want = std::min(sizeof buffer, limit - local_.size());
    const ssize_t n = ::read(fd_, buffer, want);
    if (n > 0) {
      local_.append(buffer, static_cast<std::size_t>(n));
    } else if (n == 0) {
      // A raw terminal answers 0 both for "nothing yet" and for a device that hung up.
      if (HungUp()) Lose();
      return;
    } else if (errno == EINTR) {
      continue;
    } else {
      if (IsGoneError(errno)) Lose();
      return;
    }
  }
}

std::size_t TermiosLink::BufferedCount() {
  // A device that went away is hung up: its requests fail with EIO and its reads return 0.
  int waiting = 0;
  if (fd_ >= 0 && ::ioctl(fd_, FIONREAD, &waiting) != 0) {
    if (IsGoneError(errno)) Lose();
    waiting = 0;
  }
  return local_.size() + static_cast<std::size_t>(std::max(waiting, 0));
}

std::string TermiosLink::Read(std::size_t maxBytes) {
  if (maxBytes == 0) return {};
  if (local_.size() < maxBytes && fd_ >= 0) {
    int waiting = 0;
    if (::ioctl(fd_, FIONREAD, &waiting) != 0) waiting = 0;
    const std::size_t available = local_.size() + static_cast<std::size_t>(std::max(waiting, 0));
    Fill(std::min(maxBytes, available));
  }
  const std::size_t take = std::min(maxBytes, local_.size());
  std::string out = local_.substr(0, take);
  local_.erase(0, take);
  return out;
}

void TermiosLink::Write(std::string_view bytes) {
  using Steady = std::chrono::steady_clock;
  const auto deadline = Steady::now() + std::chrono::milliseconds(kWriteTimeoutMs);
  while (fd_ >= 0 && !bytes.empty()) {
    const ssize_t n = ::write(fd_, bytes.data(), bytes.size());
    if (n > 0) {
      bytes.remove_prefix(static_cast<std::size_t>(n));
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
      if (IsGoneError(errno)) Lose();
      return;
    }
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Steady::now()).count();
    if (left <= 0) return;  // the device takes nothing: drop the rest rather than hang
    pollfd p{fd_, POLLOUT, 0};
    if (::poll(&p, 1, static_cast<int>(left)) > 0 &&
        (p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
      Lose();
      return;
    }
  }
}

void TermiosLink::Poll() {
  Fill(kLocalBufferLimit);
  if (BufferedCount() > 0) RaiseReceive();
}

void TermiosLink::WaitReadable(int timeoutMs) {
  if (timeoutMs <= 0) return;
  // Bytes that came since the last look end the wait at once: the caller has news to handle.
  const std::size_t before = local_.size();
  Fill(kLocalBufferLimit);
  if (local_.size() > before) return;
  // With our side full the device stays readable; a short sleep then stands in for the wait.
  if (fd_ < 0 || local_.size() >= kLocalBufferLimit) {
    std::this_thread::sleep_for(std::chrono::milliseconds(fd_ < 0 ? timeoutMs : 1));
    return;
  }
  pollfd p{fd_, POLLIN, 0};
  const int ready = ::poll(&p, 1, timeoutMs);
  if (ready > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) Lose();
}

}  // namespace tlx
