#include "setup/ParameterTable.h"

#include "common/Numbers.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tlx {

namespace {

constexpr double kNoLimit = std::numeric_limits<double>::infinity();
constexpr double kLargestDistance = 1000000;

// A data file holds a session length in steps of 5 s; a run's sessions last 5 s to 24 hours. An
// analysis may split a recording into sessions of any whole number of seconds up to 24 hours.
// Distances are pixels of the unit's picture; a calibration says that Scale pixels are Reference
// units, so neither can be 0. The setup reader keeps a reference of 0 (a first start's record
// holds it, and every distance then reads 0; it has no value to put in its place), but nothing
// typed can set it so.
const std::array<ParameterSpec, kParameterCount> kParameters = {{
    {Parameter::SessionLength, "Session Length", "--session-length", "s", true,
     {5, 86400, true, 5, true}, {1, 86400, true, 0, true}, 0,
     "5 seconds to 24 hours, a multiple of 5 seconds"},
    {Parameter::NumberOfSessions, "Number of Sessions", "--sessions", "", false,
     {1, 65535, true, 0, true}, {1, 65535, true, 0, true}, 0, "1 to 65535"},
    {Parameter::InitialDelay, "Initial Delay", "--delay", "s", true,
     {0, 86399, true, 0, true}, {0, 86399, true, 0, true}, 0, "0 to 23:59:59"},
    {Parameter::MaximumDistance, "Maximum Distance", "--max-distance", "pixels", false,
     {0, kLargestDistance, true, 0, false}, {0, kNoLimit, true, 0, false}, 0, "0 to 1000000 pixels"},
    {Parameter::AmbulatoryThreshold, "Ambulatory Threshold", "--ambulatory", "pixels", false,
     {0, kLargestDistance, true, 0, false}, {0, kNoLimit, true, 0, false}, 0, "0 to 1000000 pixels"},
    {Parameter::StereotypicThreshold, "Stereotypic Threshold", "--stereotypic", "pixels", false,
     {0, kLargestDistance, true, 0, false}, {0, kNoLimit, true, 0, false}, 0, "0 to 1000000 pixels"},
    {Parameter::CalibrateScale, "Calibrate Scale", "--scale", "pixels", false,
     {1, 1000, true, 0, false}, {0, kNoLimit, false, 0, false}, 2, "1 to 1000 pixels"},
    {Parameter::CalibrateReference, "Calibrate Reference", "--reference", "units", false,
     {0, kLargestDistance, false, 0, false}, {0, kNoLimit, false, 0, false}, 2, "more than 0, up to 1000000 units"},
    {Parameter::SampleRate, "Sample Rate", "--rate", "per second", false,
     {1, 30, true, 0, true}, {1, 30, true, 0, true}, 0, "1, 5, 25 or 30"},
}};

}  // namespace

const ParameterSpec& SpecOf(Parameter parameter) { return kParameters[static_cast<std::size_t>(parameter)]; }

const std::array<ParameterSpec, kParameterCount>& AllParameters() { return kParameters; }

bool IsSampleRate(std::int64_t rate) {
  return std::find(kSampleRates.begin(), kSampleRates.end(), rate) != kSampleRates.end();
}

bool InRange(const ValueRange& range, double value) {
  if (!std::isfinite(value)) return false;
  if (range.MinAllowed ? value < range.Min : value <= range.Min) return false;
  if (value > range.Max) return false;
  if (range.Whole && value != std::floor(value)) return false;
  return !(range.Step > 0) || std::fmod(value, range.Step) == 0;
}

double CorrectedRunValue(Parameter parameter, double value) {
  const ValueRange& range = SpecOf(parameter).Run;
  if (std::isnan(value)) return range.Min;
  double v = value;
  if (range.Step > 0) v = RoundToMultiple(std::clamp(v, -1e12, 1e12), range.Step);
  return std::clamp(v, range.Min, range.Max);
}

std::string RunValueProblem(Parameter parameter, double value) {
  const ParameterSpec& spec = SpecOf(parameter);
  const bool possible = parameter == Parameter::SampleRate
                            ? InRange(spec.Run, value) && IsSampleRate(static_cast<std::int64_t>(value))
                            : InRange(spec.Run, value);
  return possible ? std::string() : spec.RunLimits;
}

}  // namespace tlx
