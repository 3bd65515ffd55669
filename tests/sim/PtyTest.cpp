// The simulated unit served on a pseudo-terminal in real time, reached through plain file
// descriptors, and the command line that serves it.
#include "sim/PtyServer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace tlx::test {
namespace {

// Reads from fd until `want` bytes came or `ms` passed.
std::string ReadFor(int fd, std::size_t want, int ms) {
  std::string bytes;
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (bytes.size() < want) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        end - std::chrono::steady_clock::now()).count();
    if (left <= 0) break;
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, static_cast<int>(left)) <= 0) continue;
    char buffer[256];
    const ssize_t n = ::read(fd, buffer, std::min(sizeof buffer, want - bytes.size()));
    if (n <= 0) break;
    bytes.append(buffer, static_cast<std::size_t>(n));
  }
  return bytes;
}

int OpenRaw(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY);
  if (fd >= 0) {
    termios tio{};
    ::tcgetattr(fd, &tio);
    ::cfmakeraw(&tio);
    ::tcsetattr(fd, TCSANOW, &tio);
  }
  return fd;
}

void Send(int fd, const std::string& bytes) {
  ASSERT_EQ(::write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
}

class PtyServing : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server.Open()) << server.ErrorText();
    serving = std::thread([this] { served = server.Serve(); });
    fd = OpenRaw(server.SlavePath());
    ASSERT_GE(fd, 0);
  }
  void TearDown() override {
    StopServing();
    if (fd >= 0) ::close(fd);
  }
  void StopServing() {
    server.RequestStop();
    if (serving.joinable()) serving.join();
  }

  SimulatedUnit unit{3};
  PtyServer server{unit};
  std::thread serving;
  bool served = false;
  int fd = -1;
};

TEST_F(PtyServing, PingAndStreamThroughAPlainDescriptor) {
  Send(fd, " &!");
  EXPECT_EQ(ReadFor(fd, 1, 2000), "!");
  Send(fd, " 0.");
  EXPECT_EQ(ReadFor(fd, 20, 3000).size(), 20u) << "ten pairs in about a third of a second";
  Send(fd, " 0+");
  ::usleep(100000);
  ::tcflush(fd, TCIFLUSH);
  EXPECT_EQ(ReadFor(fd, 1, 300), "") << "the poll stopped the stream";
  StopServing();
  EXPECT_TRUE(served);
  EXPECT_FALSE(unit.Streaming());
}

TEST_F(PtyServing, ClosingTheServerTakesTheTerminalAway) {
  StopServing();
  server.Close();
  pollfd p{fd, POLLIN, 0};
  ASSERT_EQ(::poll(&p, 1, 2000), 1);
  EXPECT_NE(p.revents & (POLLHUP | POLLERR), 0);
  char byte;
  EXPECT_LE(::read(fd, &byte, 1), 0);
}

TEST(SimCommand, ServesOnAPtyUntilTerminated) {
  if (::access(TLX_CLI_PATH, X_OK) != 0) GTEST_SKIP() << "tracelux-cli is not built";
  int out[2];
  ASSERT_EQ(::pipe(out), 0);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  posix_spawn_file_actions_addclose(&actions, out[0]);
  const char* argv[] = {TLX_CLI_PATH, "sim", "--pty", "--seed", "4", nullptr};
  pid_t pid = 0;
  ASSERT_EQ(posix_spawn(&pid, TLX_CLI_PATH, &actions, nullptr, const_cast<char**>(argv), environ), 0);
  posix_spawn_file_actions_destroy(&actions);
  ::close(out[1]);

  std::string line;
  for (std::string c; line.empty() || line.back() != '\n'; line += c) {
    c = ReadFor(out[0], 1, 5000);
    if (c.empty()) break;
  }
  ASSERT_FALSE(line.empty());
  EXPECT_EQ(line.rfind("/dev/pts/", 0), 0u) << line;
  const int fd = OpenRaw(line.substr(0, line.size() - 1));
  ASSERT_GE(fd, 0);
  Send(fd, " &!");
  EXPECT_EQ(ReadFor(fd, 1, 2000), "!");
  ::close(fd);

  ::kill(pid, SIGTERM);
  int status = 0;
  for (int i = 0; i < 500 && ::waitpid(pid, &status, WNOHANG) == 0; ++i) ::usleep(10000);
  ::close(out[0]);
  ASSERT_TRUE(WIFEXITED(status)) << "still running or killed";
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

}  // namespace
}  // namespace tlx::test
