// The simulated unit served on a pseudo-terminal in real time, reached through a plain file
// descriptor, and the command line that serves it.
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
  while (bytes.size() < want && std::chrono::steady_clock::now() < end) {
    pollfd p{fd, POLLIN, 0};
    char c;
    if (::poll(&p, 1, 10) == 1 && ::read(fd, &c, 1) == 1) bytes.push_back(c);
  }
  return bytes;
}

// Opens the terminal raw and asks the unit for its ping answer.
std::string PingThrough(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY);
  if (fd < 0) return "cannot open " + path;
  termios tio{};
  ::tcgetattr(fd, &tio);
  ::cfmakeraw(&tio);
  ::tcsetattr(fd, TCSANOW, &tio);
  const std::string reply = ::write(fd, " &!", 3) == 3 ? ReadFor(fd, 2, 500) : "write failed";
  ::close(fd);
  return reply;
}

TEST(PtyServerTest, AnswersAPingThroughAPlainDescriptorAndStopsWhenTold) {
  SimulatedUnit unit(3);
  PtyServer server(unit);
  ASSERT_TRUE(server.Open()) << server.ErrorText();
  bool stopped = false;
  std::thread serving([&] { stopped = server.Serve(); });
  EXPECT_EQ(PingThrough(server.SlavePath()), "!");
  server.RequestStop();
  serving.join();
  EXPECT_TRUE(stopped);
}

TEST(SimCommand, PrintsThePathFirstAndServesUntilTerminated) {
  if (::access(TLX_CLI_PATH, X_OK) != 0) GTEST_SKIP() << "tracelux-cli is not built";
  int out[2];
  ASSERT_EQ(::pipe(out), 0);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  const char* argv[] = {TLX_CLI_PATH, "sim", "--pty", "--seed", "4", nullptr};
  pid_t pid = 0;
  ASSERT_EQ(posix_spawn(&pid, TLX_CLI_PATH, &actions, nullptr, const_cast<char**>(argv), environ), 0);
  posix_spawn_file_actions_destroy(&actions);
  ::close(out[1]);
  std::string line;
  while (line.empty() || line.back() != '\n') {
    const std::string c = ReadFor(out[0], 1, 5000);
    if (c.empty()) break;
    line += c;
  }
  ::close(out[0]);
  EXPECT_EQ(line.rfind("/dev/pts/", 0), 0u) << line;
  if (!line.empty()) {
    EXPECT_EQ(PingThrough(line.substr(0, line.size() - 1)), "!");
  }

  ::kill(pid, SIGTERM);
  int status = -1;
  for (int i = 0; i < 500 && ::waitpid(pid, &status, WNOHANG) == 0; ++i) ::usleep(10000);
  if (status == -1) {
    ::kill(pid, SIGKILL);
    ::waitpid(pid, &status, 0);
    FAIL() << "still serving 5 s after SIGTERM";
  }
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

}  // namespace
}  // namespace tlx::test
