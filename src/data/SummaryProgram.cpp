#include "data/SummaryProgram.h"

#include "common/Paths.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace tlx {

namespace {

bool IsRegularFile(const std::string& path) {
  struct stat st{};
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string FindIn(const std::string& directory) {
  if (directory.empty()) return {};
  for (const char* name : kSummaryProgramNames) {
    const std::string candidate = JoinPath(directory, name);
    if (IsRegularFile(candidate)) return candidate;
  }
  return {};
}

}  // namespace

SpawnLauncher::~SpawnLauncher() { Reap(); }

void SpawnLauncher::Reap() {
  std::vector<long> running;
  for (long pid : children_) {
    int status = 0;
    if (::waitpid(static_cast<pid_t>(pid), &status, WNOHANG) == 0) running.push_back(pid);
  }
  children_.swap(running);
}

long SpawnLauncher::Start(const std::string& program, const std::vector<std::string>& arguments) {
  Reap();
  std::vector<char*> argv;
  argv.reserve(arguments.size() + 1);
  for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  if (posix_spawn_file_actions_init(&actions) != 0) return 0;
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  pid_t pid = 0;
  const int rc = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0 || pid <= 0) return 0;
  children_.push_back(pid);
  return pid;
}

bool SpawnLauncher::SendKey(long /*taskId*/, const std::string& /*key*/) {
  Reap();
  return false;
}

std::string FindSummaryProgram(const SummarySearch& where) {
  if (std::string found = FindIn(where.ProgramHome); !found.empty()) return found;
  if (std::string found = FindIn(where.ExecutableDirectory); !found.empty()) return found;
  std::size_t start = 0;
  const std::string& list = where.SearchPath;
  while (start <= list.size()) {
    std::size_t end = list.find(':', start);
    if (end == std::string::npos) end = list.size();
    if (std::string found = FindIn(list.substr(start, end - start)); !found.empty()) return found;
    start = end + 1;
  }
  return {};
}

bool SummaryProgram::Start(const std::string& filePath) {
  started_ = false;
  taskId_ = 0;
  const std::string program = FindSummaryProgram(where_);
  if (program.empty()) return false;
  taskId_ = launcher_.Start(program, {program, filePath, kSummaryOption});
  started_ = taskId_ != 0;
  return started_;
}

void SummaryProgram::SendClosingKey() {
  if (!started_) return;
  launcher_.SendKey(taskId_, kSummaryClosingKey);
}

}  // namespace tlx
