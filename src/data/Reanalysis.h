// What the data panel computes around a reanalysis, without widgets: the number of sessions and
// the short-session warning, the stage messages, the samples of one session and the points of its
// drawn trace.
#pragma once

#include "data/DataFile.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tlx {

inline constexpr const char* kShortSessionWarning = "-Last Session is short-";
inline constexpr const char* kEofCaption = "EOF Reached";
inline constexpr const char* kEofText = "Attempt to read past\r\nend of file.";

// Messages of the reanalysis button, by moment: 1 locked, 2 editing, 3 done, 4 running.
std::string ReanalysisMessage(int stage);

// Sessions in a file: samples / samples per session, rounded up; 0 when either is 0 or less.
std::int64_t SessionCount(std::int64_t samples, std::int64_t samplesPerSession);

struct SessionSplit {
  std::int64_t Sessions = 0;
  bool LastIsShort = false;  // shows kShortSessionWarning
};
// The sessions a reanalysis with session length L (seconds) at the given rate produces: exactly
// the sessions the analysis writes (SamplesPerSession), the last one short when the samples do not
// fill it.
SessionSplit SplitIntoSessions(std::int64_t samples, std::int32_t rate, std::int64_t sessionLength);

// The samples of session n (from 1) as ReadSampleRange reads them, decoded. False (samples
// empty) when the session starts at or beyond the end of the file, or the file cannot be read.
bool ReadSessionSamples(const std::string& dataPath, std::int64_t session,
                        std::int64_t samplesPerSession, std::vector<PositionSample>& samples);
// The same from a data file's bytes already opened (a file, or bytes in memory).
bool ReadSessionSamples(SampleFile& data, std::int64_t session, std::int64_t samplesPerSession,
                        std::vector<PositionSample>& samples);

// The points of the trace drawn for a session: samples without a position are skipped; a sample
// further than maxDistance from the last drawn point is an artifact and ignored; one at least
// ambulatoryThreshold away is joined to it and becomes the last drawn point. The first point is
// the first sample with a position.
std::vector<PositionSample> TracePoints(const std::vector<PositionSample>& samples,
                                        double maxDistance, double ambulatoryThreshold);

// The same points with the time each was reached, so that a drawing can colour the path by time:
// a walk early in a session and the same walk late in it are told apart.
struct TracePath {
  std::vector<PositionSample> Points;
  std::vector<std::int64_t> SampleIndex;  // of each point, from the first sample given
  std::int64_t SampleCount = 0;           // the samples the path was taken from
  double SecondsPerSample = 1.0;
  double Seconds() const { return double(SampleCount) * SecondsPerSample; }
};
TracePath TimedTracePoints(const std::vector<PositionSample>& samples, double maxDistance,
                           double ambulatoryThreshold, std::int32_t rate);

}  // namespace tlx
