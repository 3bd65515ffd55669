#include "setup/ParameterRules.h"

#include "common/Numbers.h"
#include "setup/Units.h"

#include <cmath>

namespace tlx {

bool IsRecordableSessionLength(std::int64_t seconds) {
  return seconds >= kMinSessionLength && seconds <= kMaxSessionLength && seconds % kSessionLengthStep == 0;
}

std::int32_t RecordableSessionLength(double seconds) {
  if (std::isnan(seconds)) return kMinSessionLength;
  const double rounded = RoundToMultiple(seconds, kSessionLengthStep);
  return ClampLong(static_cast<std::int64_t>(std::fmax(std::fmin(rounded, 1e12), -1e12)), kMinSessionLength,
                   kMaxSessionLength);
}

std::string SessionLengthProblem(std::int64_t seconds) {
  if (IsRecordableSessionLength(seconds)) return {};
  std::string text = "A session length of " + std::to_string(seconds) +
                     " s cannot be recorded: a data file holds session lengths in steps of 5 s, from 5 s to 86400 s";
  if (seconds > kMinSessionLength && seconds < kMaxSessionLength) {
    const std::int64_t below = seconds / kSessionLengthStep * kSessionLengthStep;
    text += "; give " + std::to_string(below) + " or " + std::to_string(below + kSessionLengthStep) + " s";
  }
  return text + ".";
}

std::string RecordingProblem(const ExperimentParameters& p) {
  if (std::string problem = SessionLengthProblem(p.SessionLength); !problem.empty()) return problem;
  if (p.NumberOfSessions < 1 || p.NumberOfSessions > 65535) return "A run needs 1 to 65535 sessions.";
  if (p.SampleRate != 1 && p.SampleRate != 5 && p.SampleRate != 25 && p.SampleRate != 30) {
    return "A sample rate of " + std::to_string(p.SampleRate) + " per second cannot be recorded: give 1, 5, 25 or 30.";
  }
  return CalibrationProblem(p.CalibrateScale, p.CalibrateReference, p.MeasurementUnits);
}

std::string AnalysisSessionLengthProblem(std::int64_t seconds) {
  if (seconds >= 1) return {};
  return "A session length of " + std::to_string(seconds) + " s cannot be analysed: give 1 s or more.";
}

std::string PixelDistanceProblem(double pixels) {
  return pixels >= 0 ? std::string() : "a distance cannot be negative";
}

std::string CalibrateScaleProblem(double pixels) {
  return pixels > 0 ? std::string() : "the calibrate scale must be more than 0 pixels";
}

std::string CalibrateReferenceProblem(double units) {
  return units >= 0 ? std::string() : "the calibrate reference cannot be negative";
}

}  // namespace tlx
