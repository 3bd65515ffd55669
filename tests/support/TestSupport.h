// Fixtures shared by the tests: a temporary directory per test, whole-file helpers and a way to
// run the command line and capture what it prints.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace tlx::test {

// A fresh directory under the system's temporary directory, removed with its contents.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& Path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

std::string ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::string& bytes);
bool PathExists(const std::string& path);
// The size of a file; 0 when it is not there.
std::size_t FileSize(const std::string& path);
// Looks every 100 ms until `done` says yes (true) or `limitMs` has passed (false).
bool WaitUntil(const std::function<bool()>& done, int limitMs);
// A file of the tests' data folder (tests/data).
std::string DataPath(const std::string& name);
// A setup file saving into `dataFile`: `sessions` sessions of `sessionLength` s at `rate` samples per
// second after `delay` s, with fractional thresholds and calibration; it names no unit.
std::string RunSetupText(const std::string& dataFile, int sessionLength, int sessions = 1, int rate = 30,
                         int delay = 0);

struct CliResult {
  int exitCode = -1;
  std::string out;
  std::string err;
};
// Runs tracelux-cli with the arguments (no shell involved), optionally in a working directory.
CliResult RunCli(const std::vector<std::string>& args, const std::string& workDir = {});
// Starts tracelux-cli without waiting, its outputs going to the two files; its process id.
int StartCli(const std::vector<std::string>& args, const std::string& outPath,
             const std::string& errPath, const std::string& workDir = {});
// Waits for a started tracelux-cli: its exit code, or -1 when a signal ended it.
int WaitCli(int pid);

}  // namespace tlx::test
