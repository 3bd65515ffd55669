// The state of an experiment run and its counters, shared by the run controller and the live
// display. Session and second counters count samples, not wall time.
#pragma once

#include "common/Clock.h"

#include <cstdint>
#include <string>

namespace tlx {

struct RunState {
  bool Armed = false;                 // Start accepted; waiting for the initial delay
  std::int32_t DelayRemaining = 0;    // seconds still to wait while Armed; -1 once started
  bool Running = false;               // samples are being recorded and counted
  bool RunDisplayActive = false;      // between run start and run end
  bool StartConfirmed = false;        // the start checks passed for the current data file
  bool Finished = false;              // ended after its last session
  bool Stopped = false;               // stopped by the user (or by a recording failure)
  std::int32_t SampleInSecond = 0;    // samples counted in the current second
  std::int32_t SessionIndex = 0;      // current session, from 0 (up to 65535 sessions)
  std::int32_t SecondsInSession = 0;  // seconds counted in the current session
  std::int32_t MissedSamples = 0;     // samples with Y = 255 in the whole run
  std::int32_t LineNoiseSamples = 0;  // of those, samples lost to line noise (a slipped pairing)
  LocalDateTime StartTime;            // when the run started
};

// What every front end adds to a run's missed samples when some of them stand for pairs broken
// by line noise: " (5 lost to line noise)"; nothing when none did.
inline std::string LineNoiseNote(std::int32_t lineNoiseSamples) {
  if (lineNoiseSamples <= 0) return {};
  return " (" + std::to_string(lineNoiseSamples) + " lost to line noise)";
}

// "Running", "Finished", "Stopped" or "Idle"; Finished wins over Stopped.
inline std::string RunStatusText(const RunState& state) {
  if (state.Running) return "Running";
  if (state.Finished) return "Finished";
  if (state.Stopped) return "Stopped";
  return "Idle";
}

}  // namespace tlx
