// tracelux-cli demo: a short experiment on the simulated unit in a directory of its own, showing
// what a headless run does and the results it produces.
#include "cli/Commands.h"
#include "cli/HelpText.h"
#include "cli/RunHeadless.h"

#include "common/AtomicFile.h"
#include "common/FileChecks.h"
#include "common/Paths.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>

namespace tlx::cli {
namespace {

struct DemoOptions {
  std::string dir;
  std::uint32_t seed = 1;
  std::int32_t sessions = 2;
  std::int32_t length = 30;
  int rate = 30;
};

std::string DemoDirectory(const std::string& given) {
  if (!given.empty()) {
    const std::string dir = AbsolutePath(given);
    if (!EnsureDirectory(dir)) throw CliFailure("The directory " + dir + " cannot be created.");
    return dir;
  }
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/tracelux-demo-XXXXXX";
  if (!mkdtemp(pattern.data())) throw CliFailure("No temporary directory can be created.");
  return pattern;
}

// The temporary folder a demonstration without --dir made, removed when the command ends, also
// when the run failed.
struct TemporaryFolder {
  std::string path;
  ~TemporaryFolder() {
    std::error_code ignored;
    if (!path.empty()) std::filesystem::remove_all(path, ignored);
  }
};

void DemoCommand(const DemoOptions& o) {
  HeadlessRunOptions h;
  h.home = DemoDirectory(o.dir);
  TemporaryFolder made;
  if (o.dir.empty()) made.path = h.home;
  ExperimentParameters& p = h.parameters;
  p.SessionLength = o.length;
  p.NumberOfSessions = o.sessions;
  p.SampleRate = static_cast<std::int16_t>(o.rate);
  p.MaximumDistance = 60;
  p.AmbulatoryThreshold = 6;
  p.StereotypicThreshold = 3;
  p.MeasurementUnits = 2;  // cm
  p.CalibrateScale = 100;
  p.CalibrateReference = 30;
  p.DataFile = JoinPath(h.home, "DEMO.DAT");
  p.SaveData = true;
  p.UnitsPerPixel = {true, 0.3f};
  h.seed = o.seed;
  h.videoType = o.rate == 25 ? 1 : 0;
  h.delayType = 0;

  const HeadlessRunResult r = RunHeadless(h);
  std::string out;
  out += "Demo run on the simulated unit in " + h.home + "\n";
  out += std::to_string(o.sessions) + " sessions of " + std::to_string(o.length) + " s at " +
         std::to_string(o.rate) + " samples per second, four-quadrant zone map A B C D\n";
  char line[200];
  std::snprintf(line, sizeof line, "Recorded %lld samples (%d without the animal) in %.2f s\n",
                static_cast<long long>(r.samples), r.missedSamples, r.elapsedSeconds);
  out += line;
  out += "Data file: " + r.dataPath + "\n";
  out += "Zone map:  " + r.mapPath + "\n";
  out += "Results:   " + r.resultsPath + "\n\n";
  std::string results;
  if (!ReadWholeFile(r.resultsPath, results))
    throw CliFailure("The results file " + r.resultsPath + " cannot be read.");
  for (char c : results)
    if (c != '\r') out.push_back(c);
  if (!made.path.empty())
    out += "\nThe temporary folder " + made.path + " is removed now; give --dir DIR to keep the files.\n";
  WriteStdout(out);
}

}  // namespace

void RegisterDemoCommand(CLI::App& app) {
  auto o = std::make_shared<DemoOptions>();
  CLI::App* cmd = app.add_subcommand("demo", "A short headless run on the simulated unit");
  cmd->add_option("--dir", o->dir,
                  "Folder for the run's files and its program home, kept (default: a temporary folder, removed at the end)")
      ->type_name("DIR");
  cmd->add_option("--seed", o->seed, "Seed of the simulated animal's path")->type_name("N")->capture_default_str();
  cmd->add_option("--sessions", o->sessions, "Number of sessions, 1 to 100")->type_name("N")->capture_default_str()
      ->check(Between(1, 100));
  // A length the data file cannot describe would be recorded as another one.
  const CLI::Validator recordable(
      [](std::string& text) {
        std::int64_t seconds = 0;
        if (!CLI::detail::lexical_cast(text, seconds)) return "'" + text + "' is not a whole number of seconds";
        if (seconds < 5 || seconds > 3600 || seconds % 5 != 0)
          return std::string("a demonstration's session lasts from 5 s to 3600 s, in steps of 5 s");
        return std::string();
      },
      "");
  cmd->add_option("--length", o->length, "Session length in seconds, 5 to 3600, a multiple of 5")
      ->type_name("SECONDS")->capture_default_str()->check(recordable);
  cmd->add_option("--rate", o->rate, "Samples per second: 1, 5, 25 or 30")->type_name("N")->capture_default_str()
      ->check(CLI::IsMember({1, 5, 25, 30}).description(""));
  cmd->footer("Example:\n  tracelux-cli demo --dir ~/demo --sessions 3 --length 60\n\n" + kExitStatusFooter);
  cmd->callback([o] { DemoCommand(*o); });
}

}  // namespace tlx::cli
