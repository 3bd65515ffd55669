// The values a recording or an analysis can have, decided once for every front end (the
// experiment panel, setup files, `run`, `demo`, `analyze` and the data panel): a run's session
// length is what its data file can describe, and values no recording can have are errors, not
// tables of results.
#pragma once

#include "setup/ExperimentParameters.h"
#include "setup/ParameterTable.h"

#include <cstdint>
#include <string>

namespace tlx {

bool IsRecordableSessionLength(std::int64_t seconds);
// The nearest recordable length, as a setup file's value is read (7 -> 5, 8 -> 10, 0 -> 5).
std::int32_t RecordableSessionLength(double seconds);
// Empty when the length can be recorded; else why not and the nearest lengths that can.
std::string SessionLengthProblem(std::int64_t seconds);

// Empty when a run with these parameters records what its data file describes: a recordable
// session length, at least one session, a sample rate the unit offers and a calibration the
// data file holds exactly.
std::string RecordingProblem(const ExperimentParameters& parameters);

// The values of an analysis (a reanalysis, `analyze`): a session length of whole seconds from
// 1 s to 24 hours, distances of 0 pixels or more, a scale and a reference above 0. Each returns
// empty text when the value is possible.
std::string AnalysisSessionLengthProblem(std::int64_t seconds);
std::string PixelDistanceProblem(double pixels);
std::string CalibrateScaleProblem(double pixels);
std::string CalibrateReferenceProblem(double units);

}  // namespace tlx
