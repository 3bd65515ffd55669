#include "common/SystemClock.h"
#include "device/CommandSet.h"
#include "device/TermiosLink.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cstdlib>

namespace tlx::test {

TEST(TermiosLinkTest, TalksRawToAPseudoTerminalAndNoticesItsEnd) {
  const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
  ASSERT_GE(master, 0);
  ASSERT_TRUE(::grantpt(master) == 0 && ::unlockpt(master) == 0);
  const std::string slave = ::ptsname(master);
  SystemClock clock;
  TermiosLink link([&](int n) { return n == 2 ? slave : std::string(); });
  EXPECT_FALSE(link.Open(1));
  EXPECT_FALSE(link.OpenDevice("/dev/null"));  // not a terminal
  ASSERT_TRUE(link.Open(2));
  termios tio{};
  ASSERT_EQ(::tcgetattr(link.FileDescriptor(), &tio), 0);
  EXPECT_EQ(::cfgetispeed(&tio), static_cast<speed_t>(B19200));
  EXPECT_EQ(tio.c_cflag & (CSIZE | PARENB | CSTOPB | CRTSCTS), static_cast<tcflag_t>(CS8));
  EXPECT_EQ(tio.c_iflag & (IXON | IXOFF), 0u);

  // Every byte value goes through unchanged, both ways.
  const std::string sent = unit_bytes::WriteMemoryBlock(true) + std::string("\r\n\x00\xff\x11", 5);
  link.Write(sent);
  std::string got;
  clock.RunUntil([&] {
    char buffer[256];
    const ssize_t n = ::read(master, buffer, sizeof buffer);
    if (n > 0) got.append(buffer, static_cast<std::size_t>(n));
    return got.size() >= sent.size();
  }, 2000);
  EXPECT_EQ(got, sent);

  int events = 0;
  link.SetReceiveHandler([&] { ++events; });
  ASSERT_EQ(::write(master, "\x11\r\n\x13\x00\xff", 6), 6);
  ASSERT_TRUE(clock.RunUntil([&] { return link.BufferedCount() == 6; }, 2000));
  link.Poll();
  EXPECT_EQ(events, 1);
  EXPECT_EQ(link.Read(4), "\x11\r\n\x13");
  EXPECT_EQ(link.BufferedCount(), 2u);
  EXPECT_EQ(link.Read(), std::string("\x00\xff", 2));
  link.Poll();  // an empty line is not a device that went away
  EXPECT_TRUE(link.IsOpen() && events == 1);

  ::close(master);
  // A wait that only counts buffered bytes (as the counted read does) notices the end.
  ASSERT_TRUE(clock.RunUntil([&] { return link.BufferedCount() == 0 && !link.IsOpen(); }, 2000));
  EXPECT_TRUE(link.DeviceLost());
  link.Write("ignored");
}

}  // namespace tlx::test
