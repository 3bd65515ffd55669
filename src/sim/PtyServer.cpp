#include "sim/PtyServer.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace tlx {
namespace {

// The longest pause between two looks at the clock while nothing is due.
constexpr int kMaxPollMs = 100;

void CloseFd(int& fd) {
  if (fd >= 0) ::close(fd);
  fd = -1;
}

std::string SystemError(const char* what) { return std::string(what) + ": " + std::strerror(errno); }

}  // namespace

PtyServer::PtyServer(SimulatedUnit& unit) : unit_(unit), start_(std::chrono::steady_clock::now()) {}

PtyServer::~PtyServer() {
  Close();
  CloseFd(stopPipe_[0]);
  CloseFd(stopPipe_[1]);
}

bool PtyServer::Open() {
  Close();
  if (stopPipe_[0] < 0 && ::pipe2(stopPipe_, O_CLOEXEC | O_NONBLOCK) != 0) {
    error_ = SystemError("pipe");
    return false;
  }
  master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) {
    error_ = SystemError("posix_openpt");
    Close();
    return false;
  }
  char name[128] = {};
  if (::ptsname_r(master_, name, sizeof name) != 0) {
    error_ = SystemError("ptsname");
    Close();
    return false;
  }
  slavePath_ = name;
  slave_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
  termios tio{};
  if (slave_ < 0 || ::tcgetattr(slave_, &tio) != 0) {
    error_ = SystemError("open terminal");
    Close();
    return false;
  }
  // Raw bytes both ways: no echo (the unit would hear its own answers), no line editing, no
  // character translation.
  ::cfmakeraw(&tio);
  ::cfsetispeed(&tio, B19200);
  ::cfsetospeed(&tio, B19200);
  tio.c_cflag |= CLOCAL | CREAD;
  ::tcsetattr(slave_, TCSANOW, &tio);
  ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
  start_ = std::chrono::steady_clock::now();
  return true;
}

void PtyServer::Close() {
  CloseFd(slave_);
  CloseFd(master_);
}

void PtyServer::RequestStop() {
  if (stopPipe_[1] >= 0) {
    const char byte = 1;
    [[maybe_unused]] const auto n = ::write(stopPipe_[1], &byte, 1);
  }
}

std::int64_t PtyServer::NowUs() const {
  return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() -
                                                               start_)
      .count();
}

// Writes what the unit has sent by now. Bytes the terminal cannot take at once are lost, as on
// a serial line nobody reads.
bool PtyServer::PassOutput() {
  const std::string bytes = unit_.TakeOutput(NowUs());
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
    if (n > 0) {
      done += static_cast<std::size_t>(n);
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      return true;
    } else {
      error_ = SystemError("write");
      return false;
    }
  }
  return true;
}

bool PtyServer::TakeInput() {
  char buffer[4096];
  while (true) {
    const ssize_t n = ::read(master_, buffer, sizeof buffer);
    if (n > 0) {
      // One read per pass, so a flood of input cannot hold back the unit's output.
      unit_.Receive(std::string_view(buffer, static_cast<std::size_t>(n)), NowUs());
      return true;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return true;
    error_ = n == 0 ? "terminal closed" : SystemError("read");
    return false;
  }
}

bool PtyServer::Serve(int stopFd) {
  if (master_ < 0) {
    error_ = "no terminal";
    return false;
  }
  while (true) {
    if (!PassOutput()) return false;
    const std::int64_t next = unit_.NextEventUs();
    const std::int64_t waitUs = next == SimulatedUnit::kNever ? kMaxPollMs * 1000 : next - NowUs();
    const int timeoutMs =
        static_cast<int>(std::clamp<std::int64_t>((waitUs + 999) / 1000, 0, kMaxPollMs));
    pollfd fds[3] = {{master_, POLLIN, 0}, {stopPipe_[0], POLLIN, 0}, {stopFd, POLLIN, 0}};
    const int count = ::poll(fds, stopFd >= 0 ? 3 : 2, timeoutMs);
    if (count < 0 && errno != EINTR) {
      error_ = SystemError("poll");
      return false;
    }
    if (count <= 0) continue;
    if (fds[1].revents != 0) {
      char byte;
      while (::read(stopPipe_[0], &byte, 1) > 0) {
      }
      return true;
    }
    if (stopFd >= 0 && fds[2].revents != 0) return true;
    if ((fds[0].revents & POLLIN) != 0) {
      if (!TakeInput()) return false;
    } else if ((fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
      error_ = "terminal closed";
      return false;
    }
  }
}

}  // namespace tlx
