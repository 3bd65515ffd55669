// Second-by-second account of sessions: how the activity analysis classified each completed second
// and the zone the animal was booked to, taken from the analysis itself so that the timeline and
// the results always agree.
#pragma once

#include "data/Analysis.h"
#include "data/SampleRange.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tlx {

// What a second is drawn as: the first that applies of ambulatory, stereotypic, resting; a second
// with none of them had a lost sample and no movement.
enum class SecondClass : std::uint8_t { Ambulatory, Stereotypic, Resting, Lost };

struct TimelineSecond {
  bool Ambulatory = false;
  bool Stereotypic = false;
  bool Resting = false;
  bool Lost = false;
  std::int8_t Zone = -1;  // zone code 0..95, -1 when not known
  SecondClass Class() const;
};

struct SessionTimeline {
  std::int64_t Number = 0;  // from 1
  std::vector<TimelineSecond> Seconds;
};

// The timelines of session n (from 1) or of every session (kWholeRecording), analysed with the
// given parameters and zone map.
SampleRangeStatus BuildActivityTimeline(const std::string& dataPath, std::int64_t session,
                                        const AnalysisParameters& params, const ZoneMap& map,
                                        std::vector<SessionTimeline>& out);

}  // namespace tlx
