#include "data/TidyBatch.h"

#include "common/Sha256.h"
#include "common/Spool.h"
#include "data/DataFile.h"
#include "data/SampleReader.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

namespace tlx {

namespace {

// The distance column of the table and, when the recordings are in several units, the units that
// have columns of their own.
struct TidyDistance {
  std::string Column;
  std::vector<std::int32_t> PerUnit;
};

constexpr std::size_t kSlotsPerWorker = 4;  // files a worker may run ahead of the writer
constexpr std::size_t kRowsInMemory = std::size_t(256) << 10;  // per waiting file, then a temporary file

// The rows of a file are made while its bytes are read, before their digest is known: each row
// holds this stand-in, which no row can hold otherwise (0xFF is never part of UTF-8 text, and
// every text of the table is made valid UTF-8), and the digest replaces it when the rows are
// copied out.
const std::string kDigestStandIn(64, '\xFF');

// One file's outcome, waiting for its turn.
struct Slot {
  Spool Rows{kRowsInMemory};
  std::string Digest;  // of the bytes the rows were computed from
  std::string Failure;
  bool Done = false;
};

// Rows of the one file, from one opening and one reading: the parameters, the figures, the
// tracking quality and the digest all come from the same bytes.
void AnalyseInto(const std::string& path, const TidyBatchRequest& request, const TidyDistance& distance,
                 const std::atomic<bool>* cancel, Slot& slot) {
  SampleFile file;
  PreparedAnalysis prepared;
  const PrepareProblem problem = OpenSampleFile(path, file) == DataFileProblem::None
                                     ? PrepareAnalysis(file, path, request.Overrides, prepared)
                                     : PrepareProblem::NotDataFile;
  if (problem != PrepareProblem::None) {
    slot.Failure = PrepareFailureText(problem, path, request.Overrides);
    return;
  }
  TidyRowWriter writer(request.Format, prepared, distance.Column, distance.PerUnit, &kDigestStandIn);
  std::string rows;
  const auto onSession = [&](const SessionResult& session) {
    writer.AppendSession(session, rows);
    if (rows.size() >= kRowsInMemory / 4) {
      slot.Rows.Write(rows);
      rows.clear();
    }
  };
  Sha256 hash;
  const AnalysisOutcome outcome =
      AnalyzeSessions(file, prepared.Params, prepared.Context.Map, onSession, AnalysisPassExtras{&hash}, cancel);
  if (outcome.Ok() && !slot.Rows.Write(rows)) {
    slot.Failure = "No room to hold the rows of " + path + ".";
  } else if (!outcome.Ok()) {
    slot.Failure = AnalysisFailureText(outcome, path, {});
  } else {
    slot.Digest = hash.FinishHex();
  }
}

// The rows to `out` with the digest in place of every stand-in. Stand-ins may be cut between
// pieces: the n-th 0xFF byte of the stream is the (n mod 64)-th digit.
bool CopyRows(Slot& slot, const ResultsSink& out) {
  std::size_t digit = 0;
  std::string piece;
  return slot.Rows.CopyTo([&](std::string_view text) {
    piece.assign(text);
    for (std::size_t at = piece.find('\xFF'); at != std::string::npos; at = piece.find('\xFF', at + 1)) {
      piece[at] = slot.Digest[digit];
      digit = (digit + 1) % slot.Digest.size();
    }
    return out(piece);
  });
}

// The distance columns from the units the recordings are analysed in, each unit once.
TidyDistance DistanceColumnsFor(const TidyBatchRequest& request) {
  std::vector<std::int32_t> codes;
  if (request.Overrides.UnitsCode) codes.push_back(*request.Overrides.UnitsCode);
  for (std::size_t i = 0; i < request.DataPaths.size() && !request.Overrides.UnitsCode; ++i) {
    DataFileHeader header;
    if (CheckDataFile(request.DataPaths[i], &header) != DataFileProblem::None) continue;  // reported by its worker
    const std::int32_t code = header.Block.MeasurementUnits + 1;
    if (std::find(codes.begin(), codes.end(), code) == codes.end()) codes.push_back(code);
  }
  TidyDistance d;
  d.Column = DistanceColumn(codes);
  if (codes.size() > 1) d.PerUnit = codes;
  return d;
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
  const TidyDistance distance = DistanceColumnsFor(request);
  const std::string header = request.Header ? TidyHeader(request.Format, distance.Column, distance.PerUnit) : std::string();
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
      AnalyseInto(request.DataPaths[i], request, distance, cancel, slot);
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
    } else if (!CopyRows(slot, out)) {
      report.OutputFailed = true;
      break;
    } else {
      ++report.Analysed;
    }
    {
      const std::lock_guard lock(mutex);
      slot.Rows.Clear();
      slot.Failure.clear();
      slot.Digest.clear();
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
