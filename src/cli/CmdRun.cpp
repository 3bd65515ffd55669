// tracelux-cli run: one whole experiment without a window, on the simulated unit (virtual clock)
// or on a serial device (real time); prints the results table when the run has ended.
#include "cli/Commands.h"
#include "cli/HelpText.h"
#include "cli/RunHeadless.h"
#include "cli/RunRack.h"
#include "cli/RunStatus.h"

#include "common/AtomicFile.h"
#include "common/FileChecks.h"
#include "common/HomeLock.h"
#include "common/Paths.h"
#include "common/RecordingLock.h"
#include "run/RunFiles.h"
#include "setup/ProgramSettingsFile.h"
#include "setup/SetupFile.h"
#include "setup/Units.h"
#include "zonemap/MapFile.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <memory>
#include <unistd.h>

namespace tlx::cli {
namespace {

struct RunOptions {
  std::vector<std::string> setups, units;  // as given; the pairs of a rack
  std::string table;                       // a rack's tidy table
  std::string setup;
  std::string dataFile;
  std::string map;
  std::string unit = "sim";
  std::uint32_t seed = 1;
  std::string simStart;
  bool yes = false;
  std::string home;
  std::string video;
  std::string delayType;
  bool quiet = false;
};

ExperimentParameters LoadSetup(const RunOptions& o) {
  ExperimentParameters p;  // the all-zero record of a first start
  const std::string path = AbsolutePath(o.setup);
  if (!FileExists(path)) throw CliFailure("The setup file " + path + " does not exist.");
  if (!LoadParameters(path, p)) throw CliFailure("The setup file " + path + " cannot be read.");
  SanitiseParameters(p);
  // The sample rate is settled with the video standard later; the rest must be recordable now.
  if (const std::string problem = CalibrationProblem(p.CalibrateScale, p.CalibrateReference, p.MeasurementUnits);
      !problem.empty()) {
    throw CliFailure("The setup file " + path + " cannot be run: " + problem);
  }
  if (!o.dataFile.empty()) {
    p.DataFile = AbsolutePath(o.dataFile);
    p.SaveData = true;
  }
  if (!p.SaveData || p.DataFile.empty())
    throw CliFailure("The setup file " + path + " names no data file to record into; give --data-file.");
  p.DataFile = AbsolutePath(p.DataFile);
  return p;
}

// A recording just recovered by this command, or kept because it could not be, is never
// overwritten by the same command: the user gets to see it first.
void RefuseRecovered(const std::vector<RecoveryReport>& reports, const std::string& dataFile) {
  const std::string dataPath = RunDataPath(dataFile);
  for (const RecoveryReport& r : reports) {
    if (!SameRecording(r.DataFile, dataPath)) continue;
    throw CliFailure("The data file " + dataPath +
                     (r.Result == RecoveryResult::Recovered
                          ? " was just recovered from an interrupted run"
                          : " holds an interrupted run that could not be recovered") +
                     "; it is not overwritten by the same command.");
  }
}

// Everything one unit's run is given, checked before any unit is touched.
HeadlessRunOptions PrepareRun(const RunOptions& o, const std::string& home,
                              const std::vector<RecoveryReport>& recovered) {
  HeadlessRunOptions h;
  if (!o.simStart.empty()) h.simStart = ParseSimStart(o.simStart);
  h.home = home;
  h.parameters = LoadSetup(o);
  // A data file another program records (whatever its home) is refused first; the run takes
  // the lock for good before it touches the unit.
  {
    RecordingLock probe;
    if (probe.Acquire(h.parameters.DataFile) != RecordingLock::Result::Locked)
      throw CliFailure(probe.RefusalText());
  }
  RefuseRecovered(recovered, h.parameters.DataFile);
  if (const std::int64_t samples = UnrecoveredSamples(h.parameters.DataFile); samples > 0)
    throw CliFailure(UnrecoveredRecordingText(h.parameters.DataFile, samples));
  if (DataFileIsUsed(h.parameters.DataFile) && !o.yes)
    throw CliFailure("The data file " + RunDataPath(h.parameters.DataFile) +
                     " has already been used by an earlier run; give --yes to overwrite it.");
  if (!o.map.empty()) {
    ZoneMap map;
    const std::string path = AbsolutePath(o.map);
    if (!ReadMapFile(path, map)) throw CliFailure("The file " + path + " is not a valid zone map.");
    h.map = map;
  }
  if (!o.unit.empty() && o.unit != "sim") h.device = o.unit;
  h.seed = o.seed;
  if (!o.video.empty()) h.videoType = o.video == "pal" ? 1 : 0;
  if (!o.delayType.empty()) h.delayType = o.delayType == "timeofday" ? 1 : 0;
  return h;
}

void RunCommand(const RunOptions& o) {
  const std::string home = ResolveProgramHome(o.home);
  // One program per home: a second one would take the first one's live recording for an
  // interrupted one. Nothing is read or written before the lock is held.
  HomeLock lock;
  if (lock.Acquire(home) != HomeLock::Result::Locked) throw CliFailure(lock.RefusalText(home));
  const std::vector<RecoveryReport> recovered = RecoverInterruptedRuns(home);
  if (o.setups.size() > 1) {  // a rack: the Nth setup file drives the Nth unit
    std::vector<RackUnit> units;
    for (std::size_t i = 0; i < o.setups.size(); ++i) {
      RunOptions one = o;
      one.setup = o.setups[i];
      one.unit = o.units[i];
      one.seed = o.seed + static_cast<std::uint32_t>(i);
      units.push_back({one.unit, PrepareRun(one, home, recovered), AbsolutePath(one.setup)});
    }
    return RunRack(std::move(units), o.table.empty() ? std::string() : AbsolutePath(o.table), o.quiet);
  }
  HeadlessRunOptions h = PrepareRun(o, home, recovered);

  // The status line and the summary go to standard error, so the results on standard output stay
  // clean when they are redirected into a file.
  HeadlessRunResult r;
  {
    const bool show = !o.quiet && ::isatty(STDERR_FILENO) == 1;
    StatusLine status(stderr, show);
    if (show) h.progress = [&status](const RunProgress& p) { status.Show(p); };
    r = RunHeadless(h);
  }
  std::fputs(RunSummaryText(r).c_str(), stderr);
  std::string results;
  if (!ReadWholeFile(r.resultsPath, results))
    throw CliFailure("The results file " + r.resultsPath + " cannot be read.");
  // A run that ended early still prints what it recorded, and says how far it got.
  WriteStdout(results);
  if (!r.earlyEnd.empty()) throw CliFailure(r.earlyEnd, kExitEndedEarly);
}

}  // namespace

void RegisterRunCommands(CLI::App& app) {
  auto o = std::make_shared<RunOptions>();
  CLI::App* cmd = app.add_subcommand("run", "Run one whole experiment without a window");
  cmd->add_option("--setup", o->setups, "Experiment setup file (.EXP); once per unit for a rack")
      ->required()->type_name("FILE");
  cmd->add_option("--data-file", o->dataFile, "Data file to record into (turns saving on)")->type_name("FILE");
  cmd->add_option("--map", o->map, "Zone map file (.MAP or a file with a [ZONE MAP] section)")->type_name("FILE");
  cmd->add_option("--unit", o->units, "\"sim\" (the default) or a serial device path; once per --setup for a rack")
      ->type_name("DEVICE");
  cmd->add_option("--table", o->table, "A rack: one tidy table of every unit's results, written at the end")->type_name("FILE");
  cmd->add_option("--seed", o->seed, "Seed of the simulated animal's path")->type_name("N")->capture_default_str();
  cmd->add_option("--sim-start", o->simStart, "Start of the virtual clock, \"YYYY-MM-DD HH:MM:SS\"")->type_name("TIME");
  cmd->add_flag("--yes", o->yes, "Overwrite a data file used by an earlier run");
  cmd->add_option("--home", o->home, "Program home directory (default: $TRACELUX_HOME, else $XDG_CONFIG_HOME/tracelux)")
      ->type_name("DIR");
  cmd->add_option("--video", o->video, "Video standard of the unit: ntsc or pal (default: the program home's)")
      ->type_name("STANDARD")->check(OneOf({"ntsc", "pal"}));
  cmd->add_option("--delay-type", o->delayType, "The initial delay is a delay or a timeofday (default: the program home's)")
      ->type_name("TYPE")->check(OneOf({"delay", "timeofday"}));
  cmd->add_flag("--quiet", o->quiet, "No status line while the run goes; only the summary");
  cmd->callback([o] {
    if (o->setups.size() > 1 && o->units.size() != o->setups.size())
      throw CLI::ValidationError("--unit", "a rack needs one --unit for every --setup");
    if (o->setups.size() > 1 && !o->dataFile.empty())
      throw CLI::ValidationError("--data-file", "in a rack each setup file names its own data file");
    if (o->setups.size() == 1 && !o->table.empty())
      throw CLI::ValidationError("--table", "is for a rack of several units");
    if (o->units.size() > o->setups.size())
      throw CLI::ValidationError("--unit", "more units than setup files");
    o->setup = o->setups.front();
    if (!o->units.empty()) o->unit = o->units.front();
    RunCommand(*o);
  });
}

}  // namespace tlx::cli
