// The values a recording or an analysis can have, decided once for every front end (the
// experiment panel, setup files, `run`, `demo`, `analyze` and the data panel): a run's session
// length is what its data file can describe, and values no recording can have are errors, not
// tables of results.
#pragma once

#include "setup/ExperimentParameters.h"

#include <cstdint>
#include <string>

namespace tlx {

// The data file stores a session length in steps of 5 seconds; a run's sessions last 5 s to 24 h.
inline constexpr std::int32_t kSessionLengthStep = 5;
inline constexpr std::int32_t kMinSessionLength = 5;
inline constexpr std::int32_t kMaxSessionLength = 86400;

bool IsRecordableSessionLength(std::int64_t seconds);
// The nearest recordable length, as a setup file's value is read (7 -> 5, 8 -> 10, 0 -> 5).
std::int32_t RecordableSessionLength(double seconds);
// Empty when the length can be recorded; else why not and the nearest lengths that can.
std::string SessionLengthProblem(std::int64_t seconds);

// Empty when a run with these parameters records what its data file describes: a recordable
// session length, at least one session, a sample rate the unit offers and a calibration the
// data file holds exactly.
std::string RecordingProblem(const ExperimentParameters& parameters);

// The values of an analysis (a reanalysis, `analyze`): a session length of at least 1 s,
// distances of 0 pixels or more, a scale above 0 and a reference of 0 or more. Each returns
// empty text when the value is possible.
std::string AnalysisSessionLengthProblem(std::int64_t seconds);
std::string PixelDistanceProblem(double pixels);
std::string CalibrateScaleProblem(double pixels);
std::string CalibrateReferenceProblem(double units);

}  // namespace tlx
