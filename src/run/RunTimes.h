// How far a run has come, in the seconds the run counts (a second is Sample Rate samples, not
// wall time): the run panel's time left and progress bar and the command line's status line.
#pragma once

#include "run/RunState.h"
#include "setup/ExperimentParameters.h"

#include <algorithm>
#include <cstdint>

namespace tlx {

struct RunTimes {
  std::int64_t elapsed = 0;    // seconds recorded so far, every session counted
  std::int64_t total = 0;      // seconds of the whole run
  std::int64_t remaining = 0;  // seconds still to record
};

inline RunTimes RunTimesOf(const RunState& state, const ExperimentParameters& parameters) {
  RunTimes t;
  t.total = std::int64_t{parameters.NumberOfSessions} * parameters.SessionLength;
  t.elapsed = std::clamp<std::int64_t>(
      std::int64_t{state.SessionIndex} * parameters.SessionLength + state.SecondsInSession, 0,
      t.total);
  t.remaining = t.total - t.elapsed;
  return t;
}

}  // namespace tlx
