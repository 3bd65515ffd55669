#include "run/Rack.h"

#include "data/TidyTable.h"

#include <algorithm>
#include <thread>

namespace tlx {

void RackStart::Settle() {
  if (pending_ > 0 || startAt_) return;
  // The next whole second: every unit then has nearly a second to start inside it.
  startAt_ = std::chrono::ceil<std::chrono::seconds>(std::chrono::system_clock::now());
  settled_.notify_all();
}

void RackStart::ArriveAndWait() {
  std::unique_lock lock(mutex_);
  if (pending_ > 0) --pending_;
  Settle();
  settled_.wait(lock, [this] { return startAt_.has_value(); });
  const auto at = *startAt_;
  lock.unlock();
  std::this_thread::sleep_until(at);
}

void RackStart::Leave() {
  std::lock_guard lock(mutex_);
  if (pending_ > 0) --pending_;
  Settle();
}

int RackExitCode(const std::vector<RackUnitEnd>& ends) {
  if (std::find(ends.begin(), ends.end(), RackUnitEnd::Failed) != ends.end()) return 1;
  if (std::find(ends.begin(), ends.end(), RackUnitEnd::EndedEarly) != ends.end()) return 3;
  return 0;
}

namespace {

// Puts `field` (with its delimiter) before every row of a CSV text: at its start and after every
// line end that is not inside a quoted field (a quoted file name may hold a line break).
std::string PrefixRows(std::string_view csv, const std::string& field) {
  std::string out;
  out.reserve(csv.size() + field.size() * 64);
  bool quoted = false;
  bool rowStart = true;
  for (char c : csv) {
    if (rowStart) {
      out += field;
      rowStart = false;
    }
    out.push_back(c);
    if (c == '"') quoted = !quoted;
    if (c == '\n' && !quoted) rowStart = true;
  }
  return out;
}

}  // namespace

TidyBatchReport WriteRackTable(const std::vector<RackTableUnit>& units, const ResultsSink& out) {
  TidyBatchReport whole;
  std::string header, rows;
  for (const RackTableUnit& unit : units) {
    if (unit.DataPath.empty()) continue;
    TidyBatchRequest request;
    request.DataPaths = {unit.DataPath};
    request.Jobs = 1;
    std::string table;
    TidyBatchReport one = RunTidyBatch(request, [&table](std::string_view piece) {
      table.append(piece);
      return true;
    });
    whole.Failures.insert(whole.Failures.end(), one.Failures.begin(), one.Failures.end());
    if (one.Analysed == 0) continue;
    whole.Analysed += one.Analysed;
    // The header row is a line of plain column names; it names the distance after the
    // recording's unit, so recordings in different units share a plain "distance" column.
    const std::size_t end = table.find("\r\n");
    const std::size_t cut = end == std::string::npos ? table.size() : end + 2;
    const std::string own = table.substr(0, cut);
    if (header.empty()) {
      header = own;
    } else if (own != header) {
      header = TidyHeader(TidyFormat::Csv, DistanceColumn({}));  // no one unit for all
    }
    rows += PrefixRows(std::string_view(table).substr(cut), CsvField(unit.Unit) + ",");
  }
  if (whole.Analysed > 0 && !(out("unit," + header) && out(rows))) whole.OutputFailed = true;
  return whole;
}

}  // namespace tlx
