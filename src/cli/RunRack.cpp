#include "cli/RunRack.h"

#include "cli/Commands.h"
#include "cli/RunStatus.h"
#include "common/AtomicFile.h"
#include "common/FileIdentity.h"
#include "common/TimeText.h"
#include "data/DataFile.h"
#include "data/OutputPlan.h"
#include "run/Rack.h"
#include "run/RunFiles.h"

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <mutex>
#include <poll.h>
#include <pthread.h>
#include <sys/ioctl.h>
#include <sys/signalfd.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace tlx::cli {
namespace {

// What the status lines and the summary know of one unit; written by the unit's thread.
struct UnitSlot {
  std::mutex mutex;
  RunProgress progress;
  std::string state = "bringing up";
  bool done = false;
  RackUnitEnd end = RackUnitEnd::Failed;
  HeadlessRunResult result;
  std::string message;  // why it failed or ended early
};

bool SameDevice(const std::string& a, const std::string& b) {
  struct stat sa {}, sb {};
  if (::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0)
    return S_ISCHR(sa.st_mode) ? sa.st_rdev == sb.st_rdev : sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
  return a == b;
}

void DriveUnit(const RackUnit& unit, UnitSlot& slot, RackStart& start, const std::atomic<bool>& stop) {
  HeadlessRunOptions h = unit.options;
  bool arrived = false;
  h.beforeStart = [&] {
    arrived = true;
    {
      std::lock_guard lock(slot.mutex);
      slot.state = "waiting for the others";
    }
    start.ArriveAndWait();
  };
  h.stopRequested = [&stop] { return stop.load(); };
  h.progress = [&slot](const RunProgress& p) {
    std::lock_guard lock(slot.mutex);
    slot.progress = p;
    slot.state = p.startsInSeconds > 0 ? "waiting" : "recording";
  };
  HeadlessRunResult result;
  RackUnitEnd end = RackUnitEnd::Failed;
  std::string message;
  try {
    result = RunHeadless(h);
    end = result.earlyEnd.empty() ? RackUnitEnd::Completed : RackUnitEnd::EndedEarly;
    message = result.earlyEnd;
  } catch (const std::exception& e) {
    message = e.what();
  }
  if (!arrived) start.Leave();
  std::lock_guard lock(slot.mutex);
  slot.result = result;
  slot.end = end;
  slot.message = message;
  slot.state = end == RackUnitEnd::Completed ? "completed" : end == RackUnitEnd::EndedEarly ? "ended early" : "failed";
  slot.done = true;
}

// The unit lines on a terminal: written below each other, then rewritten in place.
class RackStatus {
 public:
  RackStatus(std::FILE* out, bool show) : out_(out), show_(show) {}
  void Show(const std::vector<std::string>& lines) {
    if (!show_) return;
    std::string text;
    if (shown_ > 0) text += "\x1b[" + std::to_string(shown_) + "A";
    // A line wider than the terminal would wrap and the cursor would no longer go back far enough.
    winsize size{};
    const std::size_t width =
        ::ioctl(::fileno(out_), TIOCGWINSZ, &size) == 0 && size.ws_col > 1 ? size.ws_col - 1u : 4096u;
    for (const std::string& line : lines) text += "\r" + line.substr(0, width) + "\x1b[K\n";
    std::fputs(text.c_str(), out_);
    std::fflush(out_);
    shown_ = lines.size();
  }
  void Clear() {
    if (!show_ || shown_ == 0) return;
    std::fprintf(out_, "\x1b[%zuA\r\x1b[J", shown_);
    std::fflush(out_);
    shown_ = 0;
  }

 private:
  std::FILE* out_;
  bool show_;
  std::size_t shown_ = 0;
};

std::string EndText(const UnitSlot& slot) {
  switch (slot.end) {
    case RackUnitEnd::Completed: return RunSummaryText(slot.result);
    case RackUnitEnd::EndedEarly: return RunSummaryText(slot.result) + "  " + slot.message + "\n";
    case RackUnitEnd::Failed: break;
  }
  return "Could not record: " + slot.message + "\n";
}

// The table's output plan: never one of the rack's setup files, devices or recordings (their data,
// raw, map and results files, before and after they exist), nor any other recording.
void CheckTable(const std::vector<RackUnit>& units, const std::string& path) {
  OutputPlan plan;
  for (const RackUnit& unit : units) {
    if (!unit.setupFile.empty()) plan.Input(unit.setupFile, "a setup file of the rack");
    if (!unit.options.device.empty()) plan.Input(unit.options.device, "a unit of the rack");
    plan.Records(RunDataPath(unit.options.parameters.DataFile));
  }
  if (const OutputCheck check = plan.Output(path).Check(); !check.Ready()) throw CliFailure(check.Text());
}

void WriteTable(const std::vector<RackUnit>& units, const std::vector<std::unique_ptr<UnitSlot>>& slots,
                const std::string& path) {
  CheckTable(units, path);  // again: the recordings stand now
  std::vector<RackTableUnit> table;
  for (std::size_t i = 0; i < units.size(); ++i)
    if (slots[i]->end != RackUnitEnd::Failed) table.push_back({units[i].name, slots[i]->result.dataPath});
  AtomicFileWriter file(path);
  if (!file.IsOpen()) throw CliFailure(OutputFailureText(path, file.Error()));
  const TidyBatchReport report =
      WriteRackTable(table, [&file](std::string_view piece) { return file.Write(piece); });
  if (report.OutputFailed || !file.Commit()) throw CliFailure(OutputFailureText(path, file.Error()));
  for (const TidyBatchFailure& f : report.Failures) std::fprintf(stderr, "%s\n", f.Reason.c_str());
  if (!report.Failures.empty()) throw CliFailure("The table " + path + " lacks the recordings above.");
}

}  // namespace

std::string RackStatusText(const std::string& unit, const RunProgress& p, const std::string& state) {
  std::string text = unit + "  ";
  text += p.startsInSeconds > 0 ? "starts in " + SecondsToDurationText(p.startsInSeconds)
                                : "session " + std::to_string(p.session) + " of " + std::to_string(p.sessions);
  // Once the last session is over the run's count has moved past it: the whole run is recorded.
  const std::int64_t elapsed = std::min(p.elapsedSeconds, p.elapsedSeconds + p.remainingSeconds);
  text += "  " + SecondsToDurationText(std::max<std::int64_t>(elapsed, 0)) + " elapsed  " +
          std::to_string(p.samples) + " samples  " + std::to_string(p.missed) + " missed  " +
          std::to_string(p.lineNoise) + " noise  " + state;
  return text;
}

void CheckRackUnits(const std::vector<RackUnit>& units) {
  for (std::size_t i = 0; i < units.size(); ++i) {
    for (std::size_t j = 0; j < i; ++j) {
      const RackUnit& a = units[j];
      const RackUnit& b = units[i];
      if (!a.options.device.empty() && !b.options.device.empty() && SameDevice(a.name, b.name))
        throw CliFailure("The unit " + b.name + " is given twice (as " + a.name + ").");
      const std::string da = RunDataPath(a.options.parameters.DataFile);
      const std::string db = RunDataPath(b.options.parameters.DataFile);
      if (SameFile(da, db))
        throw CliFailure("The data file " + db + " is named by two setup files; each unit needs its own.");
    }
  }
}

void RunRack(std::vector<RackUnit> units, const std::string& tablePath, bool quiet) {
  CheckRackUnits(units);
  if (!tablePath.empty()) CheckTable(units, tablePath);  // refused before anything is recorded
  // SIGINT and SIGTERM are blocked in every unit's thread (they inherit this mask) and read here,
  // so one signal stops every unit.
  sigset_t signals, old;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &signals, &old);
  const int signalFd = signalfd(-1, &signals, SFD_NONBLOCK | SFD_CLOEXEC);

  std::vector<std::unique_ptr<UnitSlot>> slots;
  for (std::size_t i = 0; i < units.size(); ++i) slots.push_back(std::make_unique<UnitSlot>());
  RackStart start(units.size());
  std::atomic<bool> stop{false};
  std::vector<std::thread> threads;
  for (std::size_t i = 0; i < units.size(); ++i)
    threads.emplace_back([&, i] { DriveUnit(units[i], *slots[i], start, stop); });

  RackStatus status(stderr, !quiet && ::isatty(STDERR_FILENO) == 1);
  for (bool allDone = false; !allDone;) {
    pollfd pfd{signalFd, POLLIN, 0};
    if (::poll(&pfd, signalFd >= 0 ? 1 : 0, 250) > 0) {
      signalfd_siginfo info;
      if (::read(signalFd, &info, sizeof info) == static_cast<ssize_t>(sizeof info)) stop = true;
    }
    allDone = true;
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < units.size(); ++i) {
      std::lock_guard lock(slots[i]->mutex);
      allDone = allDone && slots[i]->done;
      lines.push_back(RackStatusText(units[i].name, slots[i]->progress, slots[i]->state));
    }
    status.Show(lines);
  }
  for (std::thread& t : threads) t.join();
  status.Clear();
  if (signalFd >= 0) ::close(signalFd);
  pthread_sigmask(SIG_SETMASK, &old, nullptr);

  std::vector<RackUnitEnd> ends;
  for (std::size_t i = 0; i < units.size(); ++i) {
    ends.push_back(slots[i]->end);
    std::fprintf(stderr, "%s: %s", units[i].name.c_str(), EndText(*slots[i]).c_str());
  }
  std::fflush(stderr);
  if (!tablePath.empty()) WriteTable(units, slots, tablePath);
  const int code = RackExitCode(ends);
  if (code == 0) return;
  const auto completed = std::count(ends.begin(), ends.end(), RackUnitEnd::Completed);
  throw CliFailure(std::to_string(completed) + " of " + std::to_string(ends.size()) +
                       " units completed their run.",
                   code);
}

}  // namespace tlx::cli
