// The hand-off to the separate summary program: finding it, starting it on a file with an
// argument list (never through a shell) and sending it the closing key at shutdown.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tlx {

inline constexpr const char* kSummaryProgramNames[] = {"SUMBRIX.EXE", "sumbrix"};
inline constexpr const char* kSummaryOption = "/NCE";
inline constexpr const char* kSummaryClosingKey = "{F12}";

// Starts programs and talks to their windows. The desktop program may add key sending; the
// command line and the tests use what they need.
class ProcessLauncher {
 public:
  virtual ~ProcessLauncher() = default;
  // Starts program with the arguments (argv[0] is the program path); a task identifier other
  // than 0 on success, 0 on failure.
  virtual long Start(const std::string& program, const std::vector<std::string>& arguments) = 0;
  // Activates the task's window and sends it the key; false when that is not possible here.
  virtual bool SendKey(long taskId, const std::string& key) = 0;
};

// posix_spawn with standard input from /dev/null; no key sending (there is no window system in
// the core). Finished children are reaped without waiting.
class SpawnLauncher : public ProcessLauncher {
 public:
  ~SpawnLauncher() override;
  long Start(const std::string& program, const std::vector<std::string>& arguments) override;
  bool SendKey(long taskId, const std::string& key) override;

 private:
  void Reap();
  std::vector<long> children_;
};

// Where to look, in order: the program home, the directory of the executable, then each
// directory of the search path (a PATH-style list separated by ":").
struct SummarySearch {
  std::string ProgramHome;
  std::string ExecutableDirectory;
  std::string SearchPath;
};
// The first existing regular file named "SUMBRIX.EXE" or "sumbrix" in those places; empty text
// when there is none.
std::string FindSummaryProgram(const SummarySearch& where);

class SummaryProgram {
 public:
  SummaryProgram(ProcessLauncher& launcher, SummarySearch where)
      : launcher_(launcher), where_(std::move(where)) {}
  // Starts the program on the file with the option "/NCE"; false without a message when there
  // is no program or it does not start.
  bool Start(const std::string& filePath);
  // At shutdown: the closing key, only after a start that succeeded. Failures are ignored.
  void SendClosingKey();

 private:
  ProcessLauncher& launcher_;
  SummarySearch where_;
  bool started_ = false;
  long taskId_ = 0;
};

}  // namespace tlx
