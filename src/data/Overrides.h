// The changes a user types for an analysis (the data panel, the batch window, `analyze`, `plot`),
// and the one reading of typed numbers, durations and unit names behind them and behind
// `setup new`.
#pragma once

#include "data/AnalysisSetup.h"

#include <cstdint>
#include <optional>
#include <string>

namespace tlx {

// The parameter texts of an analysis, as typed; an empty text keeps the recording's own value.
struct OverrideTexts {
  std::string SessionLength;  // seconds or H:M:S
  std::string MaximumDistance, AmbulatoryThreshold, StereotypicThreshold;  // pixels
  std::string CalibrateScale, CalibrateReference;
  std::string Units;    // a unit's name as listed
  std::string MapFile;  // made absolute
};

enum class OverrideField {
  None, SessionLength, MaximumDistance, AmbulatoryThreshold, StereotypicThreshold,
  CalibrateScale, CalibrateReference, Units
};

// "Session Length", "Maximum Distance", ... "Units": the field's name as the windows label it.
const char* OverrideFieldName(OverrideField field);

struct OverrideProblem {
  OverrideField Field = OverrideField::None;
  std::string Why;  // "'TEXT' is not a number", "... is not a duration", a limit's reason
  // "Field: why", for a window that shows the reason in a line of its own.
  std::string Text() const;
};

// The one reading of typed parameters, with the limits of an analysis's values (ParameterTable.h).
// A number may carry a sign and has "." as its decimal mark (or "," where `decimalComma`: typed
// into the desktop, whose user may write decimals so); a duration is whole seconds or H:M:S;
// surrounding blanks are ignored. `out` is left alone when a text is refused.
OverrideProblem ParseOverrides(const OverrideTexts& texts, AnalysisOverrides& out, bool decimalComma = false);

// The readings of one typed value each. Empty text leaves the value unset and is no error.
bool ParseNumber(const std::string& typed, bool decimalComma, std::optional<double>& value);
// A whole number ("12", "+3"; not "1.5").
bool ParseWholeNumber(const std::string& typed, std::optional<std::int64_t>& value);
enum class DurationReading { Read, NotDuration, Fraction };
// Whole seconds ("600") or H:M:S ("0:10:00"); a fraction of a second ("6.5") is not rounded.
DurationReading ParseDuration(const std::string& typed, std::optional<std::int32_t>& value);
bool ParseUnits(const std::string& typed, std::optional<std::int32_t>& value);

// The refusal of a text: "'TEXT' is not a number", "... is not a whole number of seconds".
std::string NotAValueText(const std::string& typed, const char* what);
std::string DurationRefusal(const std::string& typed, DurationReading reading);

}  // namespace tlx
