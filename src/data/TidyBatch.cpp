#include "data/TidyBatch.h"

#include "common/Spool.h"
#include "data/DataFile.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

namespace tlx {

namespace {

constexpr std::size_t kSlotsPerWorker = 4;  // files a worker may run ahead of the writer
constexpr std::size_t kRowsInMemory = std::size_t(256) << 10;  // per waiting file, then a temporary file

// One file's outcome, waiting for its turn.
struct Slot {
  Spool Rows{kRowsInMemory};
  std::string Failure;
  bool Done = false;
};

// Rows of the one file: prepared, analysed, formatted into the slot's spool.
void AnalyseInto(const std::string& path, const TidyBatchRequest& request, const std::string& distanceColumn,
                 const std::atomic<bool>* cancel, Slot& slot) {
  PreparedAnalysis prepared;
  const PrepareProblem problem = PrepareAnalysis(path, request.Overrides, prepared);
  if (problem != PrepareProblem::None) {
    slot.Failure = PrepareFailureText(problem, path, request.Overrides);
    return;
  }
  TidyRowWriter writer(request.Format, prepared, distanceColumn);
  std::string rows;
  const auto onSession = [&](const SessionResult& session) {
    writer.AppendSession(session, rows);
    if (rows.size() >= kRowsInMemory / 4) {
      slot.Rows.Write(rows);
      rows.clear();
    }
  };
  const AnalysisOutcome outcome = AnalyzeSessions(path, prepared.Params, prepared.Context.Map, onSession, cancel);
  if (outcome.Ok() && !slot.Rows.Write(rows)) {
    slot.Failure = "No room to hold the rows of " + path + ".";
  } else if (!outcome.Ok()) {
    slot.Failure = AnalysisFailureText(outcome, path, {});
  }
}

// The distance column's name from the units the recordings are analysed in.
std::string DistanceColumnFor(const TidyBatchRequest& request) {
  if (request.Overrides.UnitsCode) return DistanceColumn({*request.Overrides.UnitsCode});
  std::vector<std::int32_t> codes;
  for (const std::string& path : request.DataPaths) {
    DataFileHeader header;
    if (CheckDataFile(path, &header) != DataFileProblem::None) continue;  // reported by its worker
    const std::int32_t code = header.Block.MeasurementUnits + 1;
    if (codes.empty() || codes.front() != code) codes.push_back(code);
    if (codes.size() > 1) break;
  }
  return DistanceColumn(codes);
}

}  // namespace

std::string DataFileRefusalText(const std::string& dataPath) {
  if (CheckDataFile(dataPath) == DataFileProblem::Missing) return "The file " + dataPath + " does not exist.";
  return InvalidDataFileMessage(dataPath);
}

std::string PrepareFailureText(PrepareProblem problem, const std::string& dataPath,
                               const AnalysisOverrides& overrides) {
  if (problem == PrepareProblem::MapNotValid) {
    return "The file " + overrides.MapFile.value_or(std::string()) + " is not a valid zone map.";
  }
  return DataFileRefusalText(dataPath);
}

TidyBatchReport RunTidyBatch(const TidyBatchRequest& request, const ResultsSink& out,
                             const std::function<void(std::size_t, std::size_t)>& progress,
                             const std::atomic<bool>* cancel) {
  TidyBatchReport report;
  const std::size_t total = request.DataPaths.size();
  const std::string distanceColumn = DistanceColumnFor(request);
  const std::string header = request.Header ? TidyHeader(request.Format, distanceColumn) : std::string();
  if (!header.empty() && !out(header)) {
    report.OutputFailed = true;
    return report;
  }
  const std::size_t workers = std::max<std::size_t>(
      1, std::min<std::size_t>(total, request.Jobs > 0 ? request.Jobs : std::thread::hardware_concurrency()));
  std::vector<std::unique_ptr<Slot>> slots(workers * kSlotsPerWorker);
  for (auto& slot : slots) slot = std::make_unique<Slot>();
  std::mutex mutex;
  std::condition_variable changed;
  std::size_t next = 0, written = 0;
  bool stop = false;
  const auto cancelled = [cancel] { return cancel != nullptr && cancel->load(); };
  // Waits are bounded so that a cancel raised from outside is seen without a notification.
  const auto waitFor = [&](std::unique_lock<std::mutex>& lock, const auto& ready) {
    while (!changed.wait_for(lock, std::chrono::milliseconds(100), ready)) {}
  };

  const auto worker = [&] {
    for (;;) {
      std::size_t i;
      {
        std::unique_lock lock(mutex);
        waitFor(lock, [&] { return stop || cancelled() || next >= total || next < written + slots.size(); });
        if (stop || cancelled() || next >= total) return;
        i = next++;
      }
      Slot& slot = *slots[i % slots.size()];
      AnalyseInto(request.DataPaths[i], request, distanceColumn, cancel, slot);
      const std::lock_guard lock(mutex);
      slot.Done = true;
      changed.notify_all();
    }
  };
  std::vector<std::thread> pool;
  for (std::size_t t = 0; t < workers; ++t) pool.emplace_back(worker);

  // The writer: each file's rows in turn, on this thread.
  for (std::size_t i = 0; i < total; ++i) {
    Slot& slot = *slots[i % slots.size()];
    {
      std::unique_lock lock(mutex);
      // A file that was claimed always ends (a cancelled one quickly); one that was not never starts.
      waitFor(lock, [&] { return slot.Done || (cancelled() && next <= i); });
    }
    if (cancelled()) break;
    if (!slot.Failure.empty()) {
      report.Failures.push_back({request.DataPaths[i], slot.Failure});
    } else if (!slot.Rows.CopyTo(out)) {
      report.OutputFailed = true;
      break;
    } else {
      ++report.Analysed;
    }
    {
      const std::lock_guard lock(mutex);
      slot.Rows.Clear();
      slot.Failure.clear();
      slot.Done = false;
      ++written;
      changed.notify_all();
    }
    if (progress) progress(i + 1, total);
  }
  {
    const std::lock_guard lock(mutex);
    stop = true;
    changed.notify_all();
  }
  for (std::thread& t : pool) t.join();
  report.Cancelled = cancel != nullptr && cancel->load();
  return report;
}

}  // namespace tlx
