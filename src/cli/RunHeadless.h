// One whole experiment without a window, through the program object and its run controller:
// on the simulated unit with a virtual clock (as fast as the computer goes) or on a serial device
// in real time. Shared by "run" and "demo".
#pragma once

#include "common/Clock.h"
#include "run/RunRecovery.h"
#include "setup/ExperimentParameters.h"
#include "zonemap/ZoneMap.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tlx::cli {

// Where a run is, for a status line; times are counted in samples, as the run counts them.
struct RunProgress {
  std::int32_t session = 0;            // from 1
  std::int32_t sessions = 0;
  std::int64_t startsInSeconds = 0;    // initial delay still to wait
  std::int64_t elapsedSeconds = 0;     // recorded so far
  std::int64_t remainingSeconds = 0;   // still to record
  std::int64_t samples = 0;
  std::int32_t missed = 0;
  std::int32_t lineNoise = 0;          // of the missed, lost to line noise
  std::string dataFile;
};

struct HeadlessRunOptions {
  std::string home;                 // program home (journal, settings)
  ExperimentParameters parameters;  // sanitised, with an absolute data file and SaveData set
  std::optional<ZoneMap> map;       // none: the default map of the home, else the four quadrants
  std::string device;               // empty: the simulated unit
  std::uint32_t seed = 1;
  std::optional<LocalDateTime> simStart;
  std::optional<int> videoType;     // none: the program settings' video type
  std::optional<int> delayType;     // none: the program settings' delay type
  std::function<void(const RunProgress&)> progress;  // told often while the run waits
  // A rack: called once the unit is up, just before the run is started (every unit waits there
  // for the others), and asked instead of the process's own SIGINT/SIGTERM watch.
  std::function<void()> beforeStart;
  std::function<bool()> stopRequested;
};

struct HeadlessRunResult {
  bool finished = false;
  bool stopped = false;
  std::string dataPath, mapPath, resultsPath;
  std::int64_t samples = 0;
  std::int32_t sessions = 0;        // sessions begun
  std::int32_t missedSamples = 0;
  std::int32_t lineNoiseSamples = 0;  // of the missed, lost to line noise
  double elapsedSeconds = 0;        // time the computer took
  std::int64_t plannedSamples = 0;  // what a whole run records
  std::string earlyEnd;             // why the run ended before its last session; empty: it did not
};

// Throws CliFailure when the run cannot be made or did not end with every file written.
HeadlessRunResult RunHeadless(const HeadlessRunOptions& options);

// Recovers every interrupted run of the home (the caller holds its lock) and says on standard
// error what became of each.
std::vector<RecoveryReport> RecoverInterruptedRuns(const std::string& home);

// "YYYY-MM-DD HH:MM:SS"; throws CLI::ValidationError for anything else.
LocalDateTime ParseSimStart(const std::string& text);

}  // namespace tlx::cli
