// The state of an experiment run and its counters, shared by the run controller and the live
// display. Session and second counters count samples, not wall time.
#pragma once

#include "common/Clock.h"

#include <cstdint>
#include <string>

namespace tlx {

// Where a run is; one phase at a time. Idle: nothing prepared. Confirmed: the start checks
// passed for the current data file (the run panel, or a time-of-day start, waits for it).
// Armed: Start was accepted and the initial delay counts down. Running: samples are recorded
// and counted. Ending: the run is over and its files are being written (nothing starts, stops
// or ends again meanwhile); then Idle.
enum class RunPhase { Idle, Confirmed, Armed, Running, Ending };
// Why a run ended.
enum class RunEnding { None, LastSession, StoppedByUser, UnitSilent, RecordingFailed, CannotStart };

struct RunState {
  RunPhase Phase = RunPhase::Idle;
  RunEnding Ended = RunEnding::None;  // how the last run ended; None again when one starts
  std::int32_t DelayRemaining = 0;    // seconds still to wait while Armed; -1 once started
  std::int32_t SampleInSecond = 0;    // samples counted in the current second
  std::int32_t SessionIndex = 0;      // current session, from 0 (up to 65535 sessions)
  std::int32_t SecondsInSession = 0;  // seconds counted in the current session
  std::int32_t MissedSamples = 0;     // samples with Y = 255 in the whole run
  std::int32_t LineNoiseSamples = 0;  // of those, samples lost to line noise (a slipped pairing)
  LocalDateTime StartTime;            // when the run started

  bool Armed() const { return Phase == RunPhase::Armed; }
  bool Running() const { return Phase == RunPhase::Running; }
  bool Ending() const { return Phase == RunPhase::Ending; }
  // The user agreed to the start for the current data file; it holds until the run ends.
  bool StartConfirmed() const {
    return Phase == RunPhase::Confirmed || Phase == RunPhase::Armed || Phase == RunPhase::Running;
  }
  bool Finished() const { return Ended == RunEnding::LastSession; }
  bool Stopped() const {
    return Ended == RunEnding::StoppedByUser || Ended == RunEnding::UnitSilent ||
           Ended == RunEnding::RecordingFailed;
  }
};

// What every front end adds to a run's missed samples when some of them stand for pairs broken
// by line noise: " (5 lost to line noise)"; nothing when none did.
inline std::string LineNoiseNote(std::int32_t lineNoiseSamples) {
  if (lineNoiseSamples <= 0) return {};
  return " (" + std::to_string(lineNoiseSamples) + " lost to line noise)";
}

// "Running", "Finished", "Stopped" or "Idle".
inline std::string RunStatusText(const RunState& state) {
  if (state.Running()) return "Running";
  if (state.Finished()) return "Finished";
  if (state.Stopped()) return "Stopped";
  return "Idle";
}

}  // namespace tlx
