#include "data/TrackingQuality.h"

#include "common/Numbers.h"

#include <algorithm>

namespace tlx {

std::int64_t PromisedSamples(const DataFileInfo& recorded) {
  if (recorded.NumberOfSessions <= 0 || recorded.SessionLength <= 0 || recorded.SampleRate <= 0) return 0;
  return std::int64_t(recorded.NumberOfSessions) * recorded.SessionLength * recorded.SampleRate;
}

TrackingQuality SessionQuality(const SessionTracking& t, const AnalysisParameters& params,
                               std::int64_t promisedSamples) {
  TrackingQuality q;
  q.SampleRate = params.SampleRate;
  q.Expected = std::int64_t(std::max(params.SessionLength, 0)) * std::max<std::int32_t>(params.SampleRate, 1);
  q.Recorded = t.RecordedSamples;
  q.NoObject = t.NoObjectSamples;
  q.Impossible = t.ImpossibleSamples;
  q.Artifacts = t.Artifacts;
  q.LongestGap = t.LongestLostRun;
  q.AnalysedSeconds = t.AnalysedSeconds;
  // The promised samples that fall in this session's time but after the file's end.
  const std::int64_t end = std::min(t.FirstSample + q.Expected, promisedSamples);
  q.Missing = std::max<std::int64_t>(0, end - (t.FirstSample + t.RecordedSamples));
  return q;
}

TrackingQuality RecordingQuality(const std::vector<TrackingQuality>& sessions, std::int64_t promisedSamples,
                                 std::int64_t recordedSamples, std::int32_t sampleRate) {
  TrackingQuality all;
  all.SampleRate = sampleRate;
  for (const TrackingQuality& s : sessions) {
    all.Expected += s.Expected;
    all.Recorded += s.Recorded;
    all.NoObject += s.NoObject;
    all.Impossible += s.Impossible;
    all.Artifacts += s.Artifacts;
    all.AnalysedSeconds += s.AnalysedSeconds;
    all.LongestGap = std::max(all.LongestGap, s.LongestGap);
  }
  // The recording as a whole expects what its header promises, when it promises anything.
  if (promisedSamples > 0) all.Expected = promisedSamples;
  all.Missing = std::max<std::int64_t>(0, promisedSamples - recordedSamples);
  return all;
}

AnalysisOutcome TrackRecording(const PreparedAnalysis& prepared, RecordingTracking& out) {
  const std::int64_t promised = PromisedSamples(prepared.Info);
  out = {};
  const AnalysisOutcome outcome = AnalyzeSessions(
      prepared.Info.Path, prepared.Params, prepared.Context.Map, [&](const SessionResult& session) {
        out.Sessions.push_back(SessionQuality(session.Tracking, prepared.Params, promised));
      });
  out.Whole = RecordingQuality(out.Sessions, promised, prepared.Info.SampleCount(), prepared.Params.SampleRate);
  return outcome;
}

std::string QualityLine(const TrackingQuality& q) {
  return std::to_string(q.Recorded) + " of " + std::to_string(q.Expected) + " samples; " +
         std::to_string(q.Lost()) + " lost (" + FormatFixed(q.LostPercent(), 1) + "%: " +
         std::to_string(q.NoObject) + " no object, " + std::to_string(q.Impossible) + " impossible, " +
         std::to_string(q.Missing) + " missing); longest gap " + FormatFixed(q.LongestGapSeconds(), 2) +
         " s; " + std::to_string(q.Artifacts) + (q.Artifacts == 1 ? " artifact" : " artifacts");
}

}  // namespace tlx
