#include "device/TermiosLink.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <thread>

namespace tlx {
namespace {

bool IsGoneError(int error) {
  return error == EIO || error == ENXIO || error == ENODEV || error == EBADF || error == EPIPE;
}

std::string MachineLockDirectory() {
  return ::access("/run/lock", W_OK | X_OK) == 0 ? "/run/lock" : "/tmp";
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

// The lock is named after the device number, which every path to the device shares.
bool TermiosLink::Lock(const std::string& path) {
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
  const std::string lockPath = lockDirectory_ + "/tracelux-unit-" +
                               std::to_string(major(st.st_rdev)) + "-" +
                               std::to_string(minor(st.st_rdev)) + ".lock";
  const HomeLock::Result locked = unitLock_.AcquireFile(lockPath);
  if (locked == HomeLock::Result::InUse) {
    lastOpen_.kind = PortOpenResult::Kind::InUse;
    lastOpen_.holder = unitLock_.Holder();
    return false;
  }
  // A lock directory we may not write to leaves TIOCEXCL as the only guard.
  return true;
}

bool TermiosLink::OpenDevice(const std::string& path) {
  Close();
  lost_ = false;
  lastOpen_ = {PortOpenResult::Kind::Opened, path};
  if (!Lock(path)) return false;
  fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd_ < 0) {
    // EBUSY: another program opened the device exclusively without our lock.
    lastOpen_.kind =
        errno == EBUSY ? PortOpenResult::Kind::InUse : PortOpenResult::Kind::CannotOpen;
    lastOpen_.error = errno;
    unitLock_.Release();
    return false;
  }
  if (!::isatty(fd_)) lastOpen_.kind = PortOpenResult::Kind::NotSerial;
  if (lastOpen_.kind != PortOpenResult::Kind::Opened || ::ioctl(fd_, TIOCEXCL) != 0 ||
      !Configure()) {
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
  unitLock_.Release();
  local_.clear();
}

void TermiosLink::Lose() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  unitLock_.Release();
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
