// The activity analysis: turns the samples of a data file into per-session, per-zone results
// (distance, ambulatory, stereotypic, resting and visit seconds, visits, latency) and writes the
// results file. The file is streamed once; only per-session tallies are held.
#pragma once

#include "common/Clock.h"
#include "common/UserAnswers.h"
#include "zonemap/ZoneMap.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tlx {

class SampleFile;
class Sha256;

inline constexpr int kZoneCount = 96;  // zone codes 0..95 take part in tallies
inline constexpr int kLetterG = 'G' - 32;  // never reported

// The parameters an analysis runs with (the experiment's, or those typed for a reanalysis).
struct AnalysisParameters {
  std::int32_t SessionLength = 0;  // seconds
  std::int32_t NumberOfSessions = 0;
  std::int32_t InitialDelay = 0;
  float MaximumDistance = 0.0f;  // pixels
  float AmbulatoryThreshold = 0.0f;
  float StereotypicThreshold = 0.0f;
  std::int32_t UnitsCode = 0;
  float CalibrateScale = 0.0f;  // pixels
  std::int16_t SampleRate = 0;  // samples per second
  std::string DataFile;
  std::string MapFile;
  float CalibrateReference = 0.0f;  // measurement units
};

// What the results header and the zone lookup need besides the parameters.
struct AnalysisContext {
  std::int32_t RecordedSessionLength = 0;
  std::int16_t SampleRate = 0;
  std::int32_t UnitsCode = 0;
  std::string DataFilePath;
  std::string MapFileName;  // written on the "Map Filename" line
  ZoneMap Map = ZoneMap::FourQuadrants();
  LocalDateTime Start;
};

// The tallies of one zone in one session.
struct ZoneTally {
  double Distance = 0;  // pixels
  std::int64_t AmbulatorySeconds = 0;
  std::int64_t StereotypicSeconds = 0;
  std::int64_t RestingSeconds = 0;
  std::int64_t VisitSeconds = 0;
  std::int64_t Visits = 0;
};

// What the analysis saw of the tracking in one session, counted in the same step as the figures.
// A lost sample is one with Y 192 and above: Y 255 (no object) or a row below the picture.
struct SessionTracking {
  std::int64_t FirstSample = 0;        // index in the file of the session's first sample, from 0
  std::int64_t RecordedSamples = 0;    // samples of the session the file holds
  std::int64_t AnalysedSeconds = 0;    // completed seconds, the ones the figures classify
  std::int64_t NoObjectSamples = 0;    // Y 255 (also the line's placeholders for lost sample times)
  std::int64_t ImpossibleSamples = 0;  // Y 192..254
  std::int64_t LongestLostRun = 0;     // consecutive lost samples, at most
  std::int64_t Artifacts = 0;          // moves beyond the maximum distance (they move the base)
};

// One finished session as handed to the results writer.
struct SessionResult {
  std::int64_t Number = 0;
  double TotalDistance = 0;  // pixels
  std::int64_t AmbulatorySeconds = 0;  // session counters (all zones, listed or not)
  std::int64_t StereotypicSeconds = 0;
  std::int64_t RestingSeconds = 0;
  std::span<const ZoneTally> Zones;        // indexed by zone code 0..95
  std::span<const double> FirstEntry;      // seconds, or -1 when never entered
  SessionTracking Tracking;
};

// Zone codes the results list, in increasing order: every code 0..95 present in the map but "G".
std::vector<int> BuildZoneList(const ZoneMap& map);
// Zone code of a sample (character code - 32), as the map holds it; may lie outside 0..95.
int ZoneAt(const ZoneMap& map, int x, int y);

// Rounded working thresholds (ties to even), kept within the range of a Long.
std::int32_t WorkingThreshold(double value);

// How one completed second was classified, as the session counters book it.
struct SecondRecord {
  std::int64_t Session = 0;  // from 1
  std::int64_t Second = 0;   // from 0 within the session
  bool Ambulatory = false;
  bool Stereotypic = false;
  bool Resting = false;
  bool Lost = false;         // a sample of the second carried no position
  int Zone = -1;             // zone code 0..95 of the base position, -1 when not known or untallied
};

// The per-sample state machine, fed with sample words in file order. Calls onSession for every
// completed session and, from Finish(), for a shortened last one.
class ActivityAnalyzer {
 public:
  using SessionCallback = std::function<void(const SessionResult&)>;
  using SecondCallback = std::function<void(const SecondRecord&)>;
  ActivityAnalyzer(const AnalysisParameters& params, const ZoneMap& map, SessionCallback onSession);
  // Called for every classified second, before its flags are cleared; checked once per second,
  // so an analysis without an observer pays nothing per sample.
  void SetSecondObserver(SecondCallback onSecond) { onSecond_ = std::move(onSecond); }

  void Feed(std::span<const std::uint16_t> words);
  void Finish();
  std::int64_t SessionsWritten() const { return sessionNumber_; }

 private:
  static constexpr std::uint8_t kUntallied = kZoneCount;  // a zone code outside 0..95
  static constexpr std::uint8_t kUnknown = kZoneCount + 1;  // no position yet this session
  static constexpr std::uint8_t kLost = kZoneCount + 2;  // Y of 192 and above: no position
  static constexpr std::size_t kSlots = kZoneCount + 3;

  void StartSession();
  void FirstSample(std::uint16_t word);
  void StepRun(const std::uint16_t* words, std::int32_t count);
  // The step itself; without kWatchEntries it skips the first-entry check, for when every zone of
  // the map has been entered this session and the session's first position is known.
  template <bool kWatchEntries>
  void Step(const std::uint16_t* words, std::int32_t count);
  void CompleteSecond();
  // A lost sample at `index` in the session: counted by kind and into the run of lost samples.
  void NoteLost(std::uint16_t word, std::int64_t index) {
    ++((word >> 8) == kNoObjectRow ? tracking_.NoObjectSamples : tracking_.ImpossibleSamples);
    lostRun_ = index == lastLost_ + 1 ? lostRun_ + 1 : 1;
    lastLost_ = index;
    tracking_.LongestLostRun = std::max(tracking_.LongestLostRun, lostRun_);
  }
  void ReportSecond(bool resting) const;
  void EndSession();

  // The zone slot of every sample word for one map, and how many zones the map holds; built once
  // and shared by the analyses of that map on one thread (a batch's files share their map).
  struct ZoneLookup {
    ZoneMap map;
    std::array<std::uint8_t, 65536> slotOfWord;
    std::int32_t zones = 0;
  };
  static std::shared_ptr<const ZoneLookup> LookupFor(const ZoneMap& map);

  std::shared_ptr<const ZoneLookup> lookup_;
  const std::uint8_t* slots_;  // lookup_->slotOfWord
  std::int64_t maxLimit_, ambLimit_, sterLimit_;  // squared thresholds (-1: everything exceeds)
  std::int64_t sessionLength_;
  std::int32_t rate_;
  std::int32_t secondSamples_;  // samples that complete a second (at least 1)
  SessionCallback onSession_;
  SecondCallback onSecond_;

  std::array<ZoneTally, kSlots> zones_{};
  std::array<double, kSlots> firstEntry_{};
  const double* roots_ = nullptr;    // square roots of the squared distances 0..maximum
  std::int32_t zonesInMap_ = 0;      // zone codes 0..95 the map holds
  std::int32_t entriesPending_ = 0;  // of those, the ones not yet entered this session
  std::int64_t sessionNumber_ = 0;
  std::int64_t seconds_ = 0;
  std::int32_t inSecond_ = 0;
  bool atSessionStart_ = true;
  int baseX_ = 0, baseY_ = 0, anchorX_ = 0, anchorY_ = 0;
  std::uint8_t zone_ = kUnknown;
  double totalDistance_ = 0;
  std::int64_t ambSeconds_ = 0, sterSeconds_ = 0, restSeconds_ = 0;
  bool ambulatory_ = false, stereotypic_ = false, lost_ = false;
  static constexpr int kNoObjectRow = 255;  // the Y of a sample without an object
  SessionTracking tracking_;
  std::int64_t nextFirstSample_ = 0;  // index in the file of the next session's first sample
  std::int64_t lastLost_ = -2, lostRun_ = 0;
};

// Where results text goes: a file being written, a string, standard output.
using ResultsSink = std::function<bool(std::string_view)>;

// NoSessionLength: the session length is 0 s or less (a header that records none), so the samples
// cannot be split into sessions; nothing is written.
enum class AnalysisStatus { Done, DataFileMissing, NotDataFile, ResultsNotWritable, ResultsLocked, ReadFailed, WriteFailed, Cancelled, NoSessionLength };

struct AnalysisOutcome {
  AnalysisStatus Status = AnalysisStatus::Done;
  std::int64_t Sessions = 0;
  bool Ok() const { return Status == AnalysisStatus::Done; }
};

struct AnalysisOptions {
  bool WriteHeader = true;
  char DecimalSeparator = '.';  // "," makes the delimiter ";"
  UserAnswers* Answers = nullptr;  // shows the open-error message for a locked results file
};

// Reads the samples of the data file through the analysis and hands each finished session to
// onSession. With a cancel flag, a raised flag ends the reading between blocks (Cancelled).
AnalysisOutcome AnalyzeSessions(const std::string& dataPath, const AnalysisParameters& params,
                                const ZoneMap& map, const ActivityAnalyzer::SessionCallback& onSession,
                                const std::atomic<bool>* cancel = nullptr);
// The same from a data file's bytes already opened (a file, or bytes in memory).
AnalysisOutcome AnalyzeSessions(SampleFile& data, const AnalysisParameters& params, const ZoneMap& map,
                                const ActivityAnalyzer::SessionCallback& onSession,
                                const std::atomic<bool>* cancel = nullptr);

// What the one reading of a data file can give besides its sessions.
struct AnalysisPassExtras {
  Sha256* Hash = nullptr;  // fed every byte of the file, header first, as the analysis reads it
};
// The same with extras: a hash taken here names exactly the bytes the figures came from.
AnalysisOutcome AnalyzeSessions(SampleFile& data, const AnalysisParameters& params, const ZoneMap& map,
                                const ActivityAnalyzer::SessionCallback& onSession,
                                const AnalysisPassExtras& extras, const std::atomic<bool>* cancel = nullptr);

// Analyses the data file into the results file, which is written under a temporary name and
// renamed into place only when complete; on any failure an existing results file is untouched.
// A results path that names the data file itself is refused (ResultsNotWritable).
AnalysisOutcome AnalyzeDataFile(const std::string& dataPath, const std::string& resultsPath,
                                const AnalysisParameters& params, const AnalysisContext& context,
                                const AnalysisOptions& options);
// The same analysis with the results text handed to a sink, from the path or from opened bytes.
AnalysisOutcome AnalyzeDataFileTo(const std::string& dataPath, const ResultsSink& sink,
                                  const AnalysisParameters& params, const AnalysisContext& context,
                                  const AnalysisOptions& options);
AnalysisOutcome AnalyzeDataFileTo(SampleFile& data, const ResultsSink& sink, const AnalysisParameters& params,
                                  const AnalysisContext& context, const AnalysisOptions& options);

// A one-line reason for a failed outcome, naming the file.
std::string AnalysisFailureText(const AnalysisOutcome& outcome, const std::string& dataPath,
                                const std::string& resultsPath);

}  // namespace tlx
