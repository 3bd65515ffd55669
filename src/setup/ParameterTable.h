// Every experiment parameter described once: its name, the command line's option, its unit, the
// values a run records and the values an analysis takes, its step and rounding, and the words a
// refusal gives. The setup reader's corrections, the rules of ParameterRules.h, the experiment
// panel's boxes, the data panel's and batch window's entries, the reading of typed changes and
// `setup new` all take their limits from here.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace tlx {

enum class Parameter {
  SessionLength, NumberOfSessions, InitialDelay, MaximumDistance, AmbulatoryThreshold,
  StereotypicThreshold, CalibrateScale, CalibrateReference, SampleRate
};
inline constexpr std::size_t kParameterCount = 9;

struct ValueRange {
  double Min = 0;
  double Max = 0;
  bool MinAllowed = true;  // false: a value must be above Min
  double Step = 0;         // values are multiples of Step (0: any value)
  bool Whole = false;      // whole numbers only (durations: whole seconds)
};

struct ParameterSpec {
  Parameter Id;
  const char* Name;       // as setup files and the panels name it: "Session Length"
  const char* Option;     // the command line's option: "--session-length"
  const char* Unit;       // "s", "pixels", "units", "per second"; empty for a count
  bool Duration;          // typed as seconds or H:M:S
  ValueRange Run;         // a run's values (setup files, experiment panel, `setup new`, `run`)
  ValueRange Analysis;    // an analysis's values (reanalysis, `analyze`, `plot`, the batch)
  int Decimals;           // places the experiment panel's box shows
  const char* RunLimits;  // the run's range in words, for refusals: "1 to 65535"
};

const ParameterSpec& SpecOf(Parameter parameter);
const std::array<ParameterSpec, kParameterCount>& AllParameters();

// The sample rates a unit offers.
inline constexpr std::array<std::int16_t, 4> kSampleRates = {1, 5, 25, 30};
bool IsSampleRate(std::int64_t rate);

// True when the value lies in the range: within its limits, whole where it must be, on its step.
bool InRange(const ValueRange& range, double value);

// The setup reader's correction of a value into the run's range: the nearest step (halves to the
// even step), then the nearest limit. Not a number gives the lowest value. A sample rate is
// brought into 1..30 only; NormaliseSampleRate then picks the rate the unit offers.
double CorrectedRunValue(Parameter parameter, double value);

// Empty when a run can have the value; else why not, in the words `setup new` refuses with.
std::string RunValueProblem(Parameter parameter, double value);

}  // namespace tlx
