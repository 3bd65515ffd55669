#include "support/TestSupport.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <thread>
#include <sys/wait.h>
#include <unistd.h>

namespace tlx::test {

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "tlxtest-XXXXXX").string();
  if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::add, ec);
  std::filesystem::remove_all(path_, ec);
}

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

bool PathExists(const std::string& path) {
  std::error_code ec;
  return std::filesystem::exists(path, ec);
}

std::string DataPath(const std::string& name) { return std::string(TLX_TEST_DATA) + "/" + name; }

std::string RunSetupText(const std::string& dataFile, int sessionLength, int sessions, int rate, int delay) {
  return "Save Data = True\r\nData File = \"" + dataFile + "\"\r\nSession Length = " + std::to_string(sessionLength) +
         "\r\nNumber of Sessions = " + std::to_string(sessions) + "\r\nInitial Delay = " + std::to_string(delay) +
         "\r\nMaximum Distance = 60.4\r\nAmbulatory Threshold = 6.5\r\nStereotypic Threshold = 3\r\n"
         "Calibrate Scale = 120\r\nCalibrate Reference = 35.25\r\nSample Rate = " + std::to_string(rate) + "\r\n";
}


int StartCli(const std::vector<std::string>& args, const std::string& outPath,
             const std::string& errPath, const std::string& workDir) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (!workDir.empty() && ::chdir(workDir.c_str()) != 0) ::_exit(127);
    std::FILE* out = std::freopen(outPath.c_str(), "wb", stdout);
    std::FILE* err = std::freopen(errPath.c_str(), "wb", stderr);
    if (!out || !err) ::_exit(127);
    std::vector<char*> argv;
    std::string program = TLX_CLI_PATH;
    argv.push_back(program.data());
    std::vector<std::string> copy = args;
    for (auto& a : copy) argv.push_back(a.data());
    argv.push_back(nullptr);
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
  }
  return pid;
}

int WaitCli(int pid) {
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

CliResult RunCli(const std::vector<std::string>& args, const std::string& workDir) {
  // Output goes to temporary files so that large outputs cannot fill a pipe and stall the child.
  TempDir scratch;
  const std::string outPath = scratch.File("out"), errPath = scratch.File("err");
  const int exitCode = WaitCli(StartCli(args, outPath, errPath, workDir));
  return {exitCode, ReadBytes(outPath), ReadBytes(errPath)};
}

std::size_t FileSize(const std::string& path) {
  std::error_code ec;
  const auto size = std::filesystem::file_size(path, ec);
  return ec ? 0 : static_cast<std::size_t>(size);
}

bool WaitUntil(const std::function<bool()>& done, int limitMs) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return true;
}

}  // namespace tlx::test
