#include "cli/RunHeadless.h"

#include "cli/Commands.h"
#include "common/SystemClock.h"
#include "common/VirtualClock.h"
#include "data/DataFile.h"
#include "device/TermiosLink.h"
#include "run/Program.h"
#include "run/RunJournal.h"
#include "run/RunTimes.h"
#include "setup/SetupFile.h"
#include "sim/SimulatedLink.h"
#include "sim/SimulatedUnit.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <functional>
#include <limits>
#include <sys/signalfd.h>
#include <unistd.h>

namespace tlx::cli {
namespace {

// Slack on top of the run's own length before a run is given up.
constexpr std::int64_t kSlackMs = 120000;
// How often (clock time) the caller is told where the run is.
constexpr std::int64_t kProgressEveryMs = 250;

using RunLoop = std::function<bool(const std::function<bool()>& done, std::int64_t limitMs)>;

std::int64_t RunLimitMs(const Program& program) {
  const ExperimentParameters& p = program.parameters;
  const std::int64_t wait = program.settings.DelayType == 1 ? 86400 : p.InitialDelay;
  return (wait + static_cast<std::int64_t>(p.SessionLength) * p.NumberOfSessions) * 1000 + kSlackMs;
}

constexpr const char* kNothingRecorded =
    "The run was stopped before it started; nothing was recorded.";

std::string Joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += (text.empty() ? "" : " ") + line;
  return text;
}

RunProgress ProgressOf(const Program& program, RunController& run, const std::string& dataFile) {
  const RunState& state = run.State();
  const ExperimentParameters& p = program.parameters;
  RunProgress progress;
  progress.sessions = p.NumberOfSessions;
  progress.session = std::min(state.SessionIndex + 1, progress.sessions);
  progress.startsInSeconds = state.Armed() ? std::max(state.DelayRemaining, 0) : 0;
  const RunTimes times = RunTimesOf(state, p);
  progress.elapsedSeconds = times.elapsed;
  progress.remainingSeconds = times.remaining;
  progress.samples = run.SamplesCounted();
  progress.missed = state.MissedSamples;
  progress.lineNoise = state.LineNoiseSamples;
  progress.dataFile = dataFile;
  return progress;
}

// SIGINT, SIGTERM and SIGHUP (a closed terminal, a logout) become readable events, so a real-time
// run can be stopped cleanly (its data file written) without a signal handler.
class StopSignals {
 public:
  StopSignals() {
    sigemptyset(&set_);
    sigaddset(&set_, SIGINT);
    sigaddset(&set_, SIGTERM);
    sigaddset(&set_, SIGHUP);
    if (sigprocmask(SIG_BLOCK, &set_, &old_) == 0) fd_ = signalfd(-1, &set_, SFD_NONBLOCK | SFD_CLOEXEC);
  }
  ~StopSignals() {
    if (fd_ >= 0) ::close(fd_);
    sigprocmask(SIG_SETMASK, &old_, nullptr);
  }
  bool Raised() {
    signalfd_siginfo info;
    return fd_ >= 0 && ::read(fd_, &info, sizeof info) == static_cast<ssize_t>(sizeof info);
  }

 private:
  sigset_t set_{}, old_{};
  int fd_ = -1;
};

HeadlessRunResult Drive(const HeadlessRunOptions& o, Clock& clock, SerialLink& serial,
                        const RunLoop& loop, const std::function<void(int)>& setVideo,
                        const std::function<bool()>& interrupted, const std::string& unitName) {
  HeadlessRunResult result;
  ScriptedAnswers answers;  // every question gets its first button: OK, Yes
  Program program(o.home, clock, answers, serial);
  RunController& run = program.run;
  // The core's start-up with the caller's values; recovery was done by the caller, under the
  // home's lock. Another program recording the data file, whatever its home, refuses this run
  // before the unit is touched; a stop during the unit's reset records nothing.
  StartUpOptions start;
  start.comPort = 1;
  start.videoType = o.videoType;
  start.delayType = o.delayType;
  start.parameters = o.parameters;
  start.map = o.map;
  start.offerRecovery = false;
  start.claimRecording = true;
  start.requireUnit = true;
  start.beforeUnit = [&] { setVideo(program.settings.VideoType); };
  start.interrupted = interrupted;
  switch (program.StartUp(start)) {
    case StartUpEnd::Done: break;
    case StartUpEnd::RecordingRefused: throw CliFailure(run.Outcome().CannotStart);
    case StartUpEnd::UnitSilent: {
      const std::string why = program.commands.OpenFailureText(program.settings.ComPort);
      throw CliFailure(why.empty() ? "The unit on " + unitName + " is not responding." : why);
    }
    case StartUpEnd::Interrupted: throw CliFailure(kNothingRecorded, kExitEndedEarly);
  }
  run.SetPortName([&unitName] { return unitName; });  // a silent unit stops the run by itself
  if (!run.RunMenu()) {
    const std::string why = run.Outcome().CannotStart;
    throw CliFailure(why.empty() ? "The run could not be started." : why);
  }
  if (o.beforeStart) o.beforeStart();
  run.StartButton();

  bool stoppedByUser = false;
  const std::string dataPath = RunDataPath(o.parameters.DataFile);
  std::int64_t lastProgressMs = std::numeric_limits<std::int64_t>::min() / 2;
  const bool ended = loop(
      [&] {
        if (o.progress && clock.TickMs() - lastProgressMs >= kProgressEveryMs) {
          lastProgressMs = clock.TickMs();
          o.progress(ProgressOf(program, run, dataPath));
        }
        if (!run.IsRunBusy()) return true;
        if (interrupted()) return stoppedByUser = true;
        return false;
      },
      RunLimitMs(program));
  const bool stalled = run.StoppedForSilence();
  if (!ended || stoppedByUser) run.ConfirmStop();

  const RunOutcome& outcome = run.Outcome();
  const RunFilesOutcome& files = outcome.Files;
  result.finished = run.State().Finished();
  result.stopped = run.State().Stopped();
  result.missedSamples = run.State().MissedSamples;
  result.lineNoiseSamples = run.State().LineNoiseSamples;
  result.sessions = std::min(run.State().SessionIndex + 1, program.parameters.NumberOfSessions);
  result.dataPath = files.DataPath;
  result.mapPath = files.MapWritten ? files.MapPath : std::string();
  result.resultsPath = files.ResultsPath;
  result.samples = files.Samples;
  result.plannedSamples = run.PlannedSamples();
  const bool recordingFailed = run.Recorder().Failed();
  program.Shutdown(false);

  if (outcome.Ending == RunEnding::CannotStart) throw CliFailure(outcome.CannotStart);
  if (outcome.Reached != RunPhase::Running) throw CliFailure(kNothingRecorded, kExitEndedEarly);
  if (!files.DataWritten)
    throw CliFailure(Joined(files.Failures) + " The recorded samples are kept in " +
                     files.RawPath + ".");
  if (outcome.Shortfall())
    throw CliFailure("The data file " + files.DataPath + " holds " +
                     std::to_string(std::max<std::int64_t>(outcome.SamplesInFile, 0)) + " of the " +
                     std::to_string(outcome.SamplesCounted) +
                     " samples the run counted; its raw file was changed or removed during the "
                     "run.");
  if (!files.Complete())
    throw CliFailure(Joined(files.Failures) + " The data file " + files.DataPath + " is kept.");
  const std::string howFar = std::to_string(result.samples) + " of " +
                             std::to_string(result.plannedSamples) + " samples were recorded";
  if (!ended || stalled)
    result.earlyEnd = "The unit on " + unitName + " stopped sending samples; the run was stopped: " +
                     howFar + ".";
  else if (recordingFailed)
    result.earlyEnd = "The samples could not be written to " + files.RawPath +
                      " (the disk may be full); the run was stopped: " + howFar + ".";
  else if (!result.finished)
    result.earlyEnd = "The run was stopped before its end: " + howFar + ".";
  return result;
}

}  // namespace

std::vector<RecoveryReport> RecoverInterruptedRuns(const std::string& home) {
  ScriptedAnswers answers;  // every offer is taken
  std::vector<RecoveryReport> reports = OfferRunRecoveries(home, answers);
  for (const RecoveryReport& r : reports) std::fprintf(stderr, "%s\n", RecoveryReportText(r).c_str());
  std::fflush(stderr);
  return reports;
}

LocalDateTime ParseSimStart(const std::string& text) {
  // An impossible date (31 February) is refused rather than carried into the next month.
  LocalDateTime t;
  if (!ParseDateTimeText(text, t))
    throw CLI::ValidationError("--sim-start", "'" + text + "' is not \"YYYY-MM-DD HH:MM:SS\"");
  // A start the data file cannot hold is refused, never recorded as another date.
  if (const std::string problem = StartTimeProblem(t); !problem.empty())
    throw CLI::ValidationError("--sim-start", "'" + text + "' is not possible: " + problem);
  return t;
}

HeadlessRunResult RunHeadless(const HeadlessRunOptions& o) {
  const auto began = std::chrono::steady_clock::now();
  HeadlessRunResult result;
  if (o.device.empty()) {
    SystemClock wall;
    VirtualClock clock(o.simStart.value_or(wall.Now()));
    SimulatedUnit unit(o.seed);
    SimulatedLink serial(clock, unit);
    result = Drive(
        o, clock, serial,
        [&clock](const std::function<bool()>& done, std::int64_t ms) { return clock.RunUntil(done, ms); },
        [&](int video) {
          unit.SetVideoStandard(video == 1 ? VideoStandard::Pal : VideoStandard::Ntsc, clock.NowUs());
          serial.Refresh();
        },
        [] { return false; }, "the simulated unit");
  } else {
    SystemClock clock;
    const std::string device = o.device;
    TermiosLink serial([device](int) { return device; });
    const int source = clock.AddEventSource([&serial] { serial.Poll(); });
    clock.WatchLine(&serial);
    StopSignals signals;
    try {
      result = Drive(
          o, clock, serial,
          [&clock](const std::function<bool()>& done, std::int64_t ms) { return clock.RunUntil(done, ms); },
          [](int) {},
          [&signals, &o] { return o.stopRequested ? o.stopRequested() : signals.Raised(); }, device);
    } catch (...) {
      clock.RemoveEventSource(source);
      throw;
    }
    clock.RemoveEventSource(source);
  }
  result.elapsedSeconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
  return result;
}

}  // namespace tlx::cli
