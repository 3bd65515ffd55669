#include "data/Analysis.h"

#include "common/AtomicFile.h"
#include "common/FileChecks.h"
#include "common/FileIdentity.h"
#include "common/Numbers.h"
#include "common/Paths.h"
#include "data/DataFile.h"
#include "data/ResultsFile.h"
#include "data/SampleReader.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace tlx {

namespace {

// Squared limit for "distance > threshold" on whole-number distances; -1 when every distance,
// zero included, exceeds a negative threshold.
std::int64_t SquaredLimit(std::int32_t threshold) {
  if (threshold < 0) return -1;
  const std::int64_t t = threshold;
  return std::min<std::int64_t>(t * t, std::int64_t(1) << 40);
}

// The square roots of 0..largest, made once per thread and grown only when a larger maximum
// distance needs more: a batch of files reuses them instead of making them for every file. The
// room for the largest squared distance on the grid is reserved at once, so growing never moves
// the table under an analyzer that still reads it.
const double* SquareRootsUpTo(std::size_t largest) {
  constexpr std::size_t kGridLargest = 2 * 255 * 255;
  thread_local std::vector<double> roots = [] {
    std::vector<double> table;
    table.reserve(kGridLargest + 1);
    return table;
  }();
  largest = std::min(largest, kGridLargest);
  for (std::size_t i = roots.size(); i <= largest; ++i) roots.push_back(std::sqrt(static_cast<double>(i)));
  return roots.data();
}

}  // namespace

int ZoneAt(const ZoneMap& map, int x, int y) {
  const int column = x / 8;
  const int row = y / 8;
  if (column < 0 || column >= kMapColumns || row < 0 || row >= kMapRows) return -1000;
  return static_cast<unsigned char>(map.At(row, column)) - 32;
}

std::vector<int> BuildZoneList(const ZoneMap& map) {
  std::array<bool, kZoneCount> present{};
  for (char c : map.cells) {
    const int code = static_cast<unsigned char>(c) - 32;
    if (code >= 0 && code < kZoneCount) present[static_cast<std::size_t>(code)] = true;
  }
  std::vector<int> list;
  for (int code = 0; code < kZoneCount; ++code) {
    if (present[static_cast<std::size_t>(code)] && code != kLetterG) list.push_back(code);
  }
  return list;
}

std::int32_t WorkingThreshold(double value) {
  if (std::isnan(value)) return 0;
  const double r = RoundHalfEven(value);
  if (r >= static_cast<double>(std::numeric_limits<std::int32_t>::max())) return std::numeric_limits<std::int32_t>::max();
  if (r <= static_cast<double>(std::numeric_limits<std::int32_t>::min())) return std::numeric_limits<std::int32_t>::min();
  return static_cast<std::int32_t>(r);
}

std::shared_ptr<const ActivityAnalyzer::ZoneLookup> ActivityAnalyzer::LookupFor(const ZoneMap& map) {
  thread_local std::shared_ptr<const ZoneLookup> last;
  if (last && last->map == map) return last;
  auto table = std::make_shared<ZoneLookup>();
  table->map = map;
  // One table lookup per sample word gives its zone slot, or marks it as carrying no position.
  // The zones the map holds are noted on the way (each map cell covers eight words of a row).
  std::array<bool, kZoneCount> present{};
  for (int y = 0; y < 256; ++y) {
    std::uint8_t* row = table->slotOfWord.data() + y * 256;
    if (IsLostSample(y)) {
      std::memset(row, kLost, 256);
      continue;
    }
    for (int column = 0; column < kMapColumns; ++column) {
      const int code = ZoneAt(map, column * 8, y);
      const bool tallied = code >= 0 && code < kZoneCount;
      if (tallied) present[static_cast<std::size_t>(code)] = true;
      std::memset(row + column * 8, tallied ? code : kUntallied, 8);
    }
  }
  table->zones = static_cast<std::int32_t>(std::count(present.begin(), present.end(), true));
  last = table;
  return table;
}

ActivityAnalyzer::ActivityAnalyzer(const AnalysisParameters& params, const ZoneMap& map,
                                   SessionCallback onSession)
    : lookup_(LookupFor(map)),
      slots_(lookup_->slotOfWord.data()),
      maxLimit_(SquaredLimit(WorkingThreshold(params.MaximumDistance))),
      ambLimit_(SquaredLimit(WorkingThreshold(params.AmbulatoryThreshold))),
      sterLimit_(SquaredLimit(WorkingThreshold(params.StereotypicThreshold))),
      sessionLength_(params.SessionLength),
      rate_(params.SampleRate),
      secondSamples_(params.SampleRate > 0 ? params.SampleRate : 1),
      onSession_(std::move(onSession)) {
  // The roots of every squared distance a counted move can have (none beyond the maximum).
  const std::int64_t largest = std::min<std::int64_t>(maxLimit_, 2 * 255 * 255);
  roots_ = SquareRootsUpTo(static_cast<std::size_t>(std::max<std::int64_t>(largest, 0)));
  zonesInMap_ = lookup_->zones;
  entriesPending_ = zonesInMap_;
  firstEntry_.fill(-1.0);
  firstEntry_[kUntallied] = firstEntry_[kUnknown] = firstEntry_[kLost] = 1.0;  // never taken
}

void ActivityAnalyzer::StartSession() {
  zones_.fill(ZoneTally{});
  seconds_ = 0;
  inSecond_ = 0;
  baseX_ = baseY_ = anchorX_ = anchorY_ = 0;
  zone_ = kUnknown;
  totalDistance_ = 0;
  ambSeconds_ = sterSeconds_ = restSeconds_ = 0;
  ambulatory_ = stereotypic_ = lost_ = false;
  atSessionStart_ = false;
  tracking_ = SessionTracking{};
  tracking_.FirstSample = nextFirstSample_;
  lastLost_ = -2;
  lostRun_ = 0;
}

void ActivityAnalyzer::FirstSample(std::uint16_t word) {
  StartSession();
  inSecond_ = 1;
  const std::uint8_t slot = slots_[word];
  if (slot == kLost) {
    lost_ = true;
    NoteLost(word, 0);
  } else {
    baseX_ = anchorX_ = word & 0xFF;
    baseY_ = anchorY_ = word >> 8;
    zone_ = slot;
    ++zones_[slot].Visits;
  }
  if (inSecond_ >= secondSamples_) CompleteSecond();
  if (seconds_ >= sessionLength_) EndSession();
}

void ActivityAnalyzer::CompleteSecond() {
  inSecond_ = 0;
  ++seconds_;
  ZoneTally& z = zones_[zone_];  // slots past 95 are never reported
  if (ambulatory_) {
    ++ambSeconds_;
    ++z.AmbulatorySeconds;
    anchorX_ = baseX_;
    anchorY_ = baseY_;
  }
  if (stereotypic_) {
    ++sterSeconds_;
    ++z.StereotypicSeconds;
    anchorX_ = baseX_;
    anchorY_ = baseY_;
  }
  const bool resting = !ambulatory_ && !stereotypic_ && !lost_;
  if (resting) {
    ++restSeconds_;
    ++z.RestingSeconds;
  }
  ++z.VisitSeconds;
  if (onSecond_) ReportSecond(resting);
  ambulatory_ = stereotypic_ = lost_ = false;
}

void ActivityAnalyzer::ReportSecond(bool resting) const {
  SecondRecord r;
  r.Session = sessionNumber_ + 1;
  r.Second = seconds_ - 1;
  r.Ambulatory = ambulatory_;
  r.Stereotypic = stereotypic_;
  r.Resting = resting;
  r.Lost = lost_;
  r.Zone = zone_ < kZoneCount ? zone_ : -1;
  onSecond_(r);
}

void ActivityAnalyzer::EndSession() {
  ++sessionNumber_;
  SessionResult r;
  r.Number = sessionNumber_;
  r.TotalDistance = totalDistance_;
  r.AmbulatorySeconds = ambSeconds_;
  r.StereotypicSeconds = sterSeconds_;
  r.RestingSeconds = restSeconds_;
  r.Zones = std::span<const ZoneTally>(zones_.data(), kZoneCount);
  r.FirstEntry = std::span<const double>(firstEntry_.data(), kZoneCount);
  tracking_.RecordedSamples = seconds_ * secondSamples_ + inSecond_;
  tracking_.AnalysedSeconds = seconds_;
  r.Tracking = tracking_;
  nextFirstSample_ += tracking_.RecordedSamples;
  if (onSession_) onSession_(r);
  std::fill(firstEntry_.begin(), firstEntry_.begin() + kZoneCount, -1.0);
  entriesPending_ = zonesInMap_;
  atSessionStart_ = true;
}

void ActivityAnalyzer::Feed(std::span<const std::uint16_t> words) {
  const std::uint16_t* p = words.data();
  const std::uint16_t* const end = p + words.size();
  while (p < end) {
    if (atSessionStart_) {
      FirstSample(*p++);
      continue;
    }
    // The samples that remain in the current second, processed without the second check.
    const std::int32_t room = static_cast<std::int32_t>(
        std::min<std::int64_t>(secondSamples_ - inSecond_, end - p));
    StepRun(p, room);
    p += room;
    inSecond_ += room;
    if (inSecond_ >= secondSamples_) {
      CompleteSecond();
      if (seconds_ >= sessionLength_) EndSession();
    }
  }
}

// The per-sample step over the samples of one second, on local copies of the track state so that
// the loop runs in registers. Distances are compared squared, in whole numbers, and their roots
// come from a table. An active animal makes the kind of each move (small, counted, artifact)
// unpredictable, so the step does not branch on it: every quantity is computed and the kind
// selects which one counts (a move that is not counted adds the root of 0). Only branches that
// settle early in a second or are rare remain.
void ActivityAnalyzer::StepRun(const std::uint16_t* words, std::int32_t count) {
  if (entriesPending_ > 0 || zone_ == kUnknown) {
    Step<true>(words, count);
  } else {
    Step<false>(words, count);
  }
}

template <bool kWatchEntries>
void ActivityAnalyzer::Step(const std::uint16_t* words, std::int32_t count) {
  const std::uint8_t* const lookup = slots_;
  double* const firstEntry = firstEntry_.data();
  ZoneTally* const zones = zones_.data();
  // Squared distances of the 256 x 192 grid stay below 2^17, so the limits fit an int as well.
  const auto limit = [](std::int64_t squared) { return static_cast<int>(std::min<std::int64_t>(squared, 1 << 20)); };
  const int sterLimit = limit(sterLimit_);
  // Not beyond the maximum (else an artifact) and not beyond the ambulatory threshold.
  const int smallLimit = limit(std::min(ambLimit_, maxLimit_));
  // A counted move lies in countedFrom..countedFrom + countedSpan: beyond the small movements, not
  // beyond the maximum. One unsigned comparison tests both ends.
  const int maxLimit = limit(maxLimit_);
  const bool anyCounted = maxLimit > smallLimit;
  const int countedFrom = anyCounted ? smallLimit + 1 : 1 << 21;
  const unsigned countedSpan = anyCounted ? static_cast<unsigned>(maxLimit - countedFrom) : 0u;
  const double* const roots = roots_;
  const bool timed = rate_ > 0;
  const double secondStart = static_cast<double>(seconds_);
  int bx = baseX_, by = baseY_, ax = anchorX_, ay = anchorY_;
  std::uint8_t zone = zone_;
  // The flags as 0 or 1, combined with bit operations: the compiler turns logical operators on them
  // back into branches.
  unsigned ambulatory = ambulatory_, stereotypic = stereotypic_;
  bool lost = lost_;
  double total = totalDistance_;
  ZoneTally* current = &zones[zone];
  double zoneDistance = current->Distance;
  const std::int64_t firstIndex = seconds_ * secondSamples_ + inSecond_;  // of words[0] in the session
  std::int64_t artifacts = 0;
  for (std::int32_t k = 0; k < count; ++k) {
    const std::uint16_t word = words[k];
    const std::uint8_t slot = lookup[word];
    if (slot == kLost) {  // counts as time, does not move
      lost = true;
      NoteLost(word, firstIndex + k);
      continue;
    }
    if (kWatchEntries && firstEntry[slot] < 0 && timed) {
      firstEntry[slot] = secondStart + static_cast<double>(inSecond_ + k) / rate_;
      --entriesPending_;
    }
    const int x = word & 0xFF;
    const int y = word >> 8;
    if (kWatchEntries && zone == kUnknown) [[unlikely]] {  // the session's first position
      bx = ax = x;
      by = ay = y;
      zone = slot;
      current = &zones[slot];
      current->Visits = 1;
      zoneDistance = current->Distance;
      continue;
    }
    const int dx = x - bx, dy = y - by;
    const int d2 = dx * dx + dy * dy;  // at most 2 x 255 x 255
    // A small movement leaves the base position; it is stereotypic when it strays from the anchor.
    // Once the second is ambulatory or stereotypic the test no longer matters: that branch
    // settles early in each second and is well predicted.
    const unsigned small = d2 <= smallLimit;
    if ((ambulatory | stereotypic) == 0) {
      const int sx = x - ax, sy = y - ay;
      stereotypic = small & static_cast<unsigned>(sx * sx + sy * sy > sterLimit);
    }
    // Any other movement moves the base; unless it is an artifact it counts as distance.
    const unsigned counted = static_cast<unsigned>(d2 - countedFrom) <= countedSpan;
    artifacts += d2 > maxLimit;  // neither small nor counted
    ambulatory |= counted;
    bx = small ? bx : x;
    by = small ? by : y;
    const double d = roots[d2 & -static_cast<int>(counted)];  // the root of 0 unless counted
    total += d;
    zoneDistance += d;  // booked to the zone in which the move started
    if (counted & static_cast<unsigned>(slot != zone)) [[unlikely]] {
      current->Distance = zoneDistance;
      zone = slot;
      current = &zones[slot];
      ++current->Visits;
      zoneDistance = current->Distance;
    }
  }
  current->Distance = zoneDistance;
  baseX_ = bx;
  baseY_ = by;
  anchorX_ = ax;
  anchorY_ = ay;
  zone_ = zone;
  ambulatory_ = ambulatory != 0;
  stereotypic_ = stereotypic != 0;
  lost_ = lost;
  totalDistance_ = total;
  tracking_.Artifacts += artifacts;
}

void ActivityAnalyzer::Finish() {
  // A shortened last session: its incomplete second is not classified.
  if (!atSessionStart_ && (seconds_ > 0 || inSecond_ > 0)) EndSession();
}

AnalysisOutcome AnalyzeSessions(const std::string& dataPath, const AnalysisParameters& params,
                                const ZoneMap& map, const ActivityAnalyzer::SessionCallback& onSession,
                                const std::atomic<bool>* cancel) {
  SampleFile file;
  if (OpenSampleFile(dataPath, file) == DataFileProblem::Missing) return {AnalysisStatus::DataFileMissing, 0};
  return AnalyzeSessions(file, params, map, onSession, cancel);
}

AnalysisOutcome AnalyzeSessions(SampleFile& file, const AnalysisParameters& params, const ZoneMap& map,
                                const ActivityAnalyzer::SessionCallback& onSession,
                                const std::atomic<bool>* cancel) {
  return AnalyzeSessions(file, params, map, onSession, AnalysisPassExtras{}, cancel);
}

AnalysisOutcome AnalyzeSessions(SampleFile& file, const AnalysisParameters& params, const ZoneMap& map,
                                const ActivityAnalyzer::SessionCallback& onSession,
                                const AnalysisPassExtras& extras, const std::atomic<bool>* cancel) {
  if (CheckDataFile(file) != DataFileProblem::None) return {AnalysisStatus::NotDataFile, 0};
  // Without a session length every sample would be a session of its own.
  if (params.SessionLength <= 0) return {AnalysisStatus::NoSessionLength, 0};
  // A hash reads the header with the samples, so the reading starts at the file's first byte and
  // the header's words are passed over (the header is a whole number of words).
  const bool hashed = extras.Hash != nullptr;
  if (!file.Seek(hashed ? 0 : static_cast<std::int64_t>(kDataHeaderSize))) return {AnalysisStatus::ReadFailed, 0};
  std::size_t headerWords = hashed ? kDataHeaderSize / 2 : 0;
  ActivityAnalyzer analyzer(params, map, onSession);
  SampleBlockReader reader(file);
  reader.HashInto(extras.Hash);
  for (auto block = reader.Next(); !block.empty(); block = reader.Next()) {
    if (cancel != nullptr && cancel->load(std::memory_order_relaxed)) return {AnalysisStatus::Cancelled, 0};
    const std::size_t skip = std::min(headerWords, block.size());
    headerWords -= skip;
    analyzer.Feed(block.subspan(skip));
  }
  if (reader.Failed()) return {AnalysisStatus::ReadFailed, 0};
  analyzer.Finish();
  return {AnalysisStatus::Done, analyzer.SessionsWritten()};
}

namespace {

// The results text of the sessions `analyze` hands over, into a sink.
template <typename Analyze>
AnalysisOutcome RunAnalysis(const Analyze& analyze, const ResultsSink& sink, const AnalysisParameters& params,
                            const AnalysisContext& context, const AnalysisOptions& options) {
  if (params.SessionLength <= 0) return {AnalysisStatus::NoSessionLength, 0};
  ResultsWriter writer(params, context.Map, options.DecimalSeparator, sink);
  if (options.WriteHeader) writer.Write(ResultsHeaderText(params, context, options.DecimalSeparator));
  AnalysisOutcome outcome = analyze([&writer](const SessionResult& s) { writer.WriteSession(s); });
  if (outcome.Ok() && !writer.Flush()) return {AnalysisStatus::WriteFailed, 0};
  return outcome;
}

}  // namespace

AnalysisOutcome AnalyzeDataFileTo(const std::string& dataPath, const ResultsSink& sink,
                                  const AnalysisParameters& params, const AnalysisContext& context,
                                  const AnalysisOptions& options) {
  return RunAnalysis([&](const ActivityAnalyzer::SessionCallback& onSession) {
    return AnalyzeSessions(dataPath, params, context.Map, onSession);
  }, sink, params, context, options);
}

AnalysisOutcome AnalyzeDataFileTo(SampleFile& data, const ResultsSink& sink, const AnalysisParameters& params,
                                  const AnalysisContext& context, const AnalysisOptions& options) {
  return RunAnalysis([&](const ActivityAnalyzer::SessionCallback& onSession) {
    return AnalyzeSessions(data, params, context.Map, onSession);
  }, sink, params, context, options);
}

AnalysisOutcome AnalyzeDataFile(const std::string& dataPath, const std::string& resultsPath,
                                const AnalysisParameters& params, const AnalysisContext& context,
                                const AnalysisOptions& options) {
  if (!FileExists(dataPath)) return {AnalysisStatus::DataFileMissing, 0};
  // Results written over the data file itself would lose the recording.
  if (!CanCreateFile(resultsPath) || SameFile(dataPath, resultsPath)) {
    return {AnalysisStatus::ResultsNotWritable, 0};
  }
  if (IsFileLocked(resultsPath, options.Answers)) return {AnalysisStatus::ResultsLocked, 0};
  AtomicFileWriter out(resultsPath);
  if (!out.IsOpen()) return {AnalysisStatus::ResultsNotWritable, 0};
  const ResultsSink sink = [&out](std::string_view text) { return out.Write(text); };
  AnalysisOutcome outcome = AnalyzeDataFileTo(dataPath, sink, params, context, options);
  if (!outcome.Ok()) return outcome;  // the writer's destructor drops the temporary file
  if (!out.Commit()) return {AnalysisStatus::WriteFailed, 0};
  return outcome;
}

std::string AnalysisFailureText(const AnalysisOutcome& outcome, const std::string& dataPath,
                                const std::string& resultsPath) {
  switch (outcome.Status) {
    case AnalysisStatus::Done: return {};
    case AnalysisStatus::DataFileMissing: return "The file " + dataPath + " does not exist.";
    case AnalysisStatus::NotDataFile: return InvalidDataFileMessage(dataPath);
    case AnalysisStatus::ResultsNotWritable:
    case AnalysisStatus::ResultsLocked:
    case AnalysisStatus::WriteFailed: return "The file " + resultsPath + " cannot be written.";
    case AnalysisStatus::ReadFailed: return "The file " + dataPath + " cannot be read.";
    case AnalysisStatus::Cancelled: return "The analysis of " + dataPath + " was cancelled.";
    case AnalysisStatus::NoSessionLength:
      return "The file " + dataPath + " cannot be analysed: its session length is 0 s, so it has no sessions; give a session length.";
  }
  return {};
}

}  // namespace tlx
