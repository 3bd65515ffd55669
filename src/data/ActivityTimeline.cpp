#include "data/ActivityTimeline.h"

namespace tlx {

SecondClass TimelineSecond::Class() const {
  if (Ambulatory) return SecondClass::Ambulatory;
  if (Stereotypic) return SecondClass::Stereotypic;
  if (Resting) return SecondClass::Resting;
  return SecondClass::Lost;
}

SampleRangeStatus BuildActivityTimeline(const std::string& dataPath, std::int64_t session,
                                        const AnalysisParameters& params, const ZoneMap& map,
                                        std::vector<SessionTimeline>& out) {
  // Sessions are analysed independently, so one session's samples alone give its seconds; the
  // analyser then counts it as session 1.
  const std::int64_t offset = session == kWholeRecording ? 0 : session - 1;
  std::vector<SessionTimeline> timelines;
  auto timelineOf = [&timelines, offset](std::int64_t number) -> SessionTimeline& {
    if (timelines.empty() || timelines.back().Number != number + offset) {
      timelines.push_back(SessionTimeline{number + offset, {}});
    }
    return timelines.back();
  };
  ActivityAnalyzer analyzer(params, map, [&timelineOf](const SessionResult& r) { timelineOf(r.Number); });
  analyzer.SetSecondObserver([&timelineOf](const SecondRecord& r) {
    timelineOf(r.Session).Seconds.push_back(
        {r.Ambulatory, r.Stereotypic, r.Resting, r.Lost, static_cast<std::int8_t>(r.Zone)});
  });
  const SampleRangeStatus status =
      ReadSampleRange(dataPath, session, SamplesPerSession(params.SessionLength, params.SampleRate),
                      [&analyzer](std::span<const std::uint16_t> words) { analyzer.Feed(words); });
  if (status != SampleRangeStatus::Done) return status;
  analyzer.Finish();
  out = std::move(timelines);
  return status;
}

}  // namespace tlx
