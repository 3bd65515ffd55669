#include "common/SystemClock.h"
#include "device/CommandSet.h"
#include "device/TermiosLink.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cstdlib>

namespace tlx::test {
namespace {

// A pseudo-terminal whose controlling side the test holds.
struct Pty {
  int master = -1;
  std::string slave;
  Pty() {
    master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (master >= 0 && ::grantpt(master) == 0 && ::unlockpt(master) == 0) slave = ::ptsname(master);
  }
  ~Pty() { CloseMaster(); }
  void CloseMaster() {
    if (master >= 0) ::close(master);
    master = -1;
  }
  void Send(const std::string& bytes) {
    ASSERT_EQ(::write(master, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  }
  std::string Receive(SystemClock& clock, std::size_t count) {
    std::string got;
    clock.RunUntil([&] {
      char buffer[256];
      const ssize_t n = ::read(master, buffer, sizeof buffer);
      if (n > 0) got.append(buffer, static_cast<std::size_t>(n));
      return got.size() >= count;
    }, 2000);
    return got;
  }
};

TEST(TermiosLinkTest, TalksRawToAPseudoTerminalAndNoticesItsEnd) {
  Pty pty;
  ASSERT_FALSE(pty.slave.empty());
  SystemClock clock;
  TermiosLink link([&](int n) { return n == 2 ? pty.slave : std::string(); });
  EXPECT_FALSE(link.Open(1));
  ASSERT_TRUE(link.Open(2));

  termios tio{};
  ASSERT_EQ(::tcgetattr(link.FileDescriptor(), &tio), 0);
  EXPECT_EQ(::cfgetispeed(&tio), static_cast<speed_t>(B19200));
  EXPECT_EQ(tio.c_cflag & (CSIZE | PARENB | CSTOPB | CRTSCTS), static_cast<tcflag_t>(CS8));
  EXPECT_EQ(tio.c_iflag & (IXON | IXOFF), 0u);

  const std::string block = unit_bytes::WriteMemoryBlock(true);  // every byte value kept as is
  const std::string sent = block + std::string("\r\n\x00\xff\x11", 5);
  link.Write(sent);
  EXPECT_EQ(pty.Receive(clock, sent.size()), sent);

  int events = 0;
  link.SetReceiveHandler([&] { ++events; });
  pty.Send(std::string("\x11\r\n\x13\x00\xff", 6));
  ASSERT_TRUE(clock.RunUntil([&] { return link.BufferedCount() == 6; }, 2000));
  link.Poll();
  EXPECT_EQ(events, 1);
  EXPECT_EQ(link.Read(4), "\x11\r\n\x13");
  EXPECT_EQ(link.BufferedCount(), 2u);
  EXPECT_EQ(link.Read(), std::string("\x00\xff", 2));

  pty.CloseMaster();
  // A wait that only counts buffered bytes (as the counted read does) notices it too.
  ASSERT_TRUE(clock.RunUntil([&] { return link.BufferedCount() == 0 && !link.IsOpen(); }, 2000));
  EXPECT_TRUE(link.DeviceLost());
  link.Write("ignored");
  EXPECT_EQ(link.BufferedCount(), 0u);
}

TEST(TermiosLinkTest, RefusesWhatIsNotASerialDevice) {
  TermiosLink link([](int) { return std::string("/dev/null"); });
  EXPECT_FALSE(link.Open(1));
  EXPECT_FALSE(link.IsOpen());
  EXPECT_FALSE(link.OpenDevice("/nonexistent/ttyUSB9"));
}

}  // namespace
}  // namespace tlx::test
