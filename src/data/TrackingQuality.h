// How well a session was tracked, as far as its data file can tell: the samples the session
// should hold, the ones recorded, the lost ones by kind, the longest gap and the artifacts. It
// travels with every set of results (tidy table, info, printed report, data panel) so that a
// difference between groups can be told from a difference in tracking.
#pragma once

#include "data/Analysis.h"
#include "data/AnalysisSetup.h"
#include "data/DataFile.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tlx {

struct TrackingQuality {
  std::int64_t Expected = 0;    // session length x sample rate
  std::int64_t Recorded = 0;    // samples the file holds for the session
  std::int64_t NoObject = 0;    // Y 255: no object seen, or a placeholder for a sample the line lost
  std::int64_t Impossible = 0;  // Y 192..254: a position below the picture
  std::int64_t Missing = 0;     // samples the recording promised but the file does not hold
  std::int64_t Artifacts = 0;   // moves beyond the maximum distance
  std::int64_t LongestGap = 0;  // consecutive lost samples, at most
  std::int64_t AnalysedSeconds = 0;
  std::int32_t SampleRate = 0;
  std::int64_t Lost() const { return NoObject + Impossible + Missing; }
  // Seconds of the longest gap (0 without a sample rate).
  double LongestGapSeconds() const { return SampleRate > 0 ? double(LongestGap) / SampleRate : 0.0; }
  // Lost samples as a share of the expected ones, in per cent (0 when none are expected).
  double LostPercent() const { return Expected > 0 ? 100.0 * double(Lost()) / double(Expected) : 0.0; }
};

// Samples the recording's header promises: recorded sessions x recorded session length x rate;
// 0 when the header records no sessions, no session length or no rate.
std::int64_t PromisedSamples(const DataFileInfo& recorded);

// The quality of one analysed session. Samples the header promises beyond the end of the file are
// missing from the session whose time they would have filled (a run stopped early looks the same:
// the file cannot tell the two apart).
TrackingQuality SessionQuality(const SessionTracking& tracking, const AnalysisParameters& params,
                               std::int64_t promisedSamples);

// The whole recording: the sum over its sessions, with samples promised after the last session
// (whole sessions that never came) counted as missing.
TrackingQuality RecordingQuality(const std::vector<TrackingQuality>& sessions, std::int64_t promisedSamples,
                                 std::int64_t recordedSamples, std::int32_t sampleRate);

// The tracking quality of every session of a prepared recording and of the recording as a whole,
// from one reading of the file (the same analysis the figures come from).
struct RecordingTracking {
  std::vector<TrackingQuality> Sessions;
  TrackingQuality Whole;
};
AnalysisOutcome TrackRecording(const PreparedAnalysis& prepared, RecordingTracking& out);

// One line for a reader: "1800 of 1800 samples; 12 lost (0.7%: 10 no object, 2 impossible,
// 0 missing); longest gap 0.20 s; 3 artifacts" ("1 artifact").
std::string QualityLine(const TrackingQuality& quality);

}  // namespace tlx
