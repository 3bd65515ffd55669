#include "setup/ParameterRules.h"

#include "common/Numbers.h"
#include "setup/Units.h"

#include <cmath>

namespace tlx {

namespace {

std::string Whole(double value) { return std::to_string(static_cast<std::int64_t>(value)); }

}  // namespace

bool IsRecordableSessionLength(std::int64_t seconds) {
  return InRange(SpecOf(Parameter::SessionLength).Run, static_cast<double>(seconds));
}

std::int32_t RecordableSessionLength(double seconds) {
  return static_cast<std::int32_t>(CorrectedRunValue(Parameter::SessionLength, seconds));
}

std::string SessionLengthProblem(std::int64_t seconds) {
  if (IsRecordableSessionLength(seconds)) return {};
  const ValueRange& run = SpecOf(Parameter::SessionLength).Run;
  const auto step = static_cast<std::int64_t>(run.Step);
  std::string text = "A session length of " + std::to_string(seconds) +
                     " s cannot be recorded: a data file holds session lengths in steps of " + Whole(run.Step) +
                     " s, from " + Whole(run.Min) + " s to " + Whole(run.Max) + " s";
  if (seconds > run.Min && seconds < run.Max) {
    const std::int64_t below = seconds / step * step;
    text += "; give " + std::to_string(below) + " or " + std::to_string(below + step) + " s";
  }
  return text + ".";
}

std::string RecordingProblem(const ExperimentParameters& p) {
  if (std::string problem = SessionLengthProblem(p.SessionLength); !problem.empty()) return problem;
  if (!RunValueProblem(Parameter::NumberOfSessions, p.NumberOfSessions).empty()) {
    return "A run needs " + std::string(SpecOf(Parameter::NumberOfSessions).RunLimits) + " sessions.";
  }
  if (!RunValueProblem(Parameter::SampleRate, p.SampleRate).empty()) {
    return "A sample rate of " + std::to_string(p.SampleRate) + " per second cannot be recorded: give " +
           SpecOf(Parameter::SampleRate).RunLimits + ".";
  }
  return CalibrationProblem(p.CalibrateScale, p.CalibrateReference, p.MeasurementUnits);
}

std::string AnalysisSessionLengthProblem(std::int64_t seconds) {
  const ValueRange& analysis = SpecOf(Parameter::SessionLength).Analysis;
  const std::string text = "A session length of " + std::to_string(seconds) + " s cannot be analysed: give ";
  if (seconds < analysis.Min) return text + Whole(analysis.Min) + " s or more.";
  if (seconds > analysis.Max) return text + Whole(analysis.Max) + " s (24 hours) or less.";
  return {};
}

std::string PixelDistanceProblem(double pixels) {
  return InRange(SpecOf(Parameter::MaximumDistance).Analysis, pixels) ? std::string() : "a distance cannot be negative";
}

std::string CalibrateScaleProblem(double pixels) {
  return InRange(SpecOf(Parameter::CalibrateScale).Analysis, pixels) ? std::string()
                                                                     : "the calibrate scale must be more than 0 pixels";
}

std::string CalibrateReferenceProblem(double units) {
  return InRange(SpecOf(Parameter::CalibrateReference).Analysis, units) ? std::string()
                                                                        : "the calibrate reference must be more than 0 units";
}

}  // namespace tlx
