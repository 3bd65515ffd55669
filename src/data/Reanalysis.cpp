#include "data/Reanalysis.h"

#include "data/SampleRange.h"
#include "data/SampleReader.h"

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
  SampleFile file;
  OpenSampleFile(dataPath, file);  // a file that cannot be opened is refused as it is read
  return ReadSessionSamples(file, session, samplesPerSession, samples);
}

bool ReadSessionSamples(SampleFile& data, std::int64_t session, std::int64_t samplesPerSession,
                        std::vector<PositionSample>& samples) {
  samples.clear();
  if (session == kWholeRecording) return false;
  const SampleRangeStatus status = ReadSampleRange(data, session, samplesPerSession,
                                                   [&samples](std::span<const std::uint16_t> words) {
    for (std::uint16_t word : words) samples.push_back(DecodeSample(static_cast<std::int16_t>(word)));
  });
  return status == SampleRangeStatus::Done && !samples.empty();
}

std::vector<PositionSample> TracePoints(const std::vector<PositionSample>& samples,
                                        double maxDistance, double ambulatoryThreshold) {
  return TimedTracePoints(samples, maxDistance, ambulatoryThreshold, 1).Points;
}

TracePath TimedTracePoints(const std::vector<PositionSample>& samples, double maxDistance,
                           double ambulatoryThreshold, std::int32_t rate) {
  TracePath path;
  path.SampleCount = std::int64_t(samples.size());
  path.SecondsPerSample = 1.0 / std::max<std::int32_t>(rate, 1);
  for (std::size_t i = 0; i < samples.size(); ++i) {
    const PositionSample& s = samples[i];
    if (IsLostSample(s.Y)) continue;
    if (!path.Points.empty()) {
      const PositionSample& last = path.Points.back();
      const double d = std::hypot(double(s.X - last.X), double(s.Y - last.Y));
      if (d > maxDistance || d < ambulatoryThreshold) continue;
    }
    path.Points.push_back(s);
    path.SampleIndex.push_back(std::int64_t(i));
  }
  return path;
}

}  // namespace tlx
