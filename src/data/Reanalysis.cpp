#include "data/Reanalysis.h"

#include "data/SampleRange.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace tlx {

std::string ReanalysisMessage(int stage) {
  switch (stage) {
    case 1: return "Click 'Reanalyze' to\r\nchange the parameters.";
    case 2: return "Click 'Reanalyze' to\r\ndo the reanalysis with\r\nthe current parameters.";
    case 3: return "Reanalysis has\r\nbeen done.";
    case 4: return "Reanalyzing\r\nPlease wait.";
    default: return {};
  }
}

std::int64_t SessionCount(std::int64_t samples, std::int64_t samplesPerSession) {
  if (samples <= 0 || samplesPerSession <= 0) return 0;
  return samples / samplesPerSession + (samples % samplesPerSession != 0 ? 1 : 0);
}

SessionSplit SplitIntoSessions(std::int64_t samples, std::int32_t rate, std::int64_t sessionLength) {
  SessionSplit split;
  if (sessionLength <= 0 || sessionLength > INT32_MAX || samples <= 0) return split;
  const std::int64_t perSession = SamplesPerSession(static_cast<std::int32_t>(sessionLength), rate);
  split.Sessions = SessionCount(samples, perSession);
  split.LastIsShort = samples % perSession != 0;
  return split;
}

bool ReadSessionSamples(const std::string& dataPath, std::int64_t session,
                        std::int64_t samplesPerSession, std::vector<PositionSample>& samples) {
  samples.clear();
  if (session == kWholeRecording) return false;
  const SampleRangeStatus status = ReadSampleRange(dataPath, session, samplesPerSession,
                                                   [&samples](std::span<const std::uint16_t> words) {
    for (std::uint16_t word : words) samples.push_back(DecodeSample(static_cast<std::int16_t>(word)));
  });
  return status == SampleRangeStatus::Done && !samples.empty();
}

std::vector<PositionSample> TracePoints(const std::vector<PositionSample>& samples,
                                        double maxDistance, double ambulatoryThreshold) {
  std::vector<PositionSample> points;
  for (const PositionSample& s : samples) {
    if (IsLostSample(s.Y)) continue;
    if (points.empty()) {
      points.push_back(s);
      continue;
    }
    const PositionSample& last = points.back();
    const double d = std::hypot(double(s.X - last.X), double(s.Y - last.Y));
    if (d > maxDistance) continue;
    if (d >= ambulatoryThreshold) points.push_back(s);
  }
  return points;
}

}  // namespace tlx
