// A rack of units driven by one process: every unit is brought up first, then all of them start
// their first session in the same second; each unit ends on its own (completed, ended early with
// its files written, or unable to record) and the rack's end is worked out from all of them. At
// the end one tidy table holds every unit's results, with the unit in its first column.
#pragma once

#include "data/Analysis.h"
#include "data/TidyBatch.h"

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace tlx {

// The moment every unit of a rack starts at. A unit that is up arrives and waits; a unit that
// failed before it was up leaves. Once every unit has arrived or left, all waiting units are let
// go at the start of the next whole second of the wall clock, so their first sessions (or their
// shared initial delay, or their wait for the time of day) begin in the same second.
class RackStart {
 public:
  explicit RackStart(std::size_t units) : pending_(units) {}

  // Blocks until every unit has arrived or left, then until the shared start second.
  void ArriveAndWait();
  void Leave();

 private:
  void Settle();  // with the lock held

  std::mutex mutex_;
  std::condition_variable settled_;
  std::size_t pending_;
  std::optional<std::chrono::system_clock::time_point> startAt_;
};

// How one unit of a rack ended.
enum class RackUnitEnd {
  Completed,   // every session recorded, every file written
  EndedEarly,  // stopped (signal, unplugged, silent, disk full) with its files written
  Failed,      // could not record, or a file could not be written
};

// 0 when every unit completed, 1 when any unit could not record, else 3 (some ended early).
int RackExitCode(const std::vector<RackUnitEnd>& ends);

// One unit's recording for the rack's table.
struct RackTableUnit {
  std::string Unit;      // the unit's device
  std::string DataPath;  // absolute; empty when the unit recorded nothing
};

// Writes the tidy CSV table of every unit's recording (the table of the batch analysis, each
// recording analysed with its own parameters) with a first column "unit". Recordings that cannot
// be analysed are reported in the returned report and left out of the table.
TidyBatchReport WriteRackTable(const std::vector<RackTableUnit>& units, const ResultsSink& out);

}  // namespace tlx
