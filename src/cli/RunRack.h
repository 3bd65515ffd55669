// tracelux-cli run with several --setup/--unit pairs: every unit driven by the single-unit run
// path (its own program object and run controller) in a thread of its own, all brought up first
// and started in the same second; one status line per unit, a summary naming every unit's files,
// and at the end one tidy table of every unit's results.
#pragma once

#include "cli/RunHeadless.h"

#include <string>
#include <vector>

namespace tlx::cli {

struct RackUnit {
  std::string name;            // the device as given
  HeadlessRunOptions options;  // as a single run of this unit would be given them
  std::string setupFile;       // the setup file it was given (absolute)
};

// Refuses (CliFailure, exit 1) two units on the same device or recording into the same data file.
void CheckRackUnits(const std::vector<RackUnit>& units);

// Runs every unit to its end. SIGINT or SIGTERM stops every unit (each writes its files). Writes
// the summary to standard error and the table to `tablePath` (when not empty). Throws CliFailure
// with exit code 3 (some units ended early, files written) or 1 (a unit could not record, or the
// table cannot be written); returns when every unit completed.
void RunRack(std::vector<RackUnit> units, const std::string& tablePath, bool quiet);

// "/dev/pts/3  session 2 of 3  00:10:05 elapsed  18150 samples  0 missed  0 noise  recording"
std::string RackStatusText(const std::string& unit, const RunProgress& p, const std::string& state);

}  // namespace tlx::cli
