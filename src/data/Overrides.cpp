#include "data/Overrides.h"

#include "common/Paths.h"
#include "common/Texts.h"
#include "common/TimeText.h"
#include "setup/ParameterRules.h"
#include "setup/Units.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <tuple>

namespace tlx {

const char* OverrideFieldName(OverrideField field) {
  switch (field) {
    case OverrideField::SessionLength: return SpecOf(Parameter::SessionLength).Name;
    case OverrideField::MaximumDistance: return SpecOf(Parameter::MaximumDistance).Name;
    case OverrideField::AmbulatoryThreshold: return SpecOf(Parameter::AmbulatoryThreshold).Name;
    case OverrideField::StereotypicThreshold: return SpecOf(Parameter::StereotypicThreshold).Name;
    case OverrideField::CalibrateScale: return SpecOf(Parameter::CalibrateScale).Name;
    case OverrideField::CalibrateReference: return SpecOf(Parameter::CalibrateReference).Name;
    case OverrideField::Units: return "Units";
    case OverrideField::None: break;
  }
  return "";
}

std::string OverrideProblem::Text() const {
  return Field == OverrideField::None ? std::string() : std::string(OverrideFieldName(Field)) + ": " + Why;
}

std::string NotAValueText(const std::string& typed, const char* what) {
  return "'" + typed + "' is not a " + what;
}

std::string DurationRefusal(const std::string& typed, DurationReading reading) {
  return NotAValueText(typed, reading == DurationReading::Fraction ? "whole number of seconds" : "duration");
}

bool ParseNumber(const std::string& typed, bool decimalComma, std::optional<double>& value) {
  std::string text = Trim(typed);
  if (text.empty()) return true;
  if (decimalComma && text.find(',') != std::string::npos && text.find('.') == std::string::npos) {
    text[text.find(',')] = '.';
  }
  const char* first = text.data();
  const char* last = first + text.size();
  if (*first == '+') ++first;
  double v = 0;
  const auto [ptr, ec] = std::from_chars(first, last, v);
  if (ec != std::errc() || ptr != last || !std::isfinite(v)) return false;
  value = v;
  return true;
}

bool ParseWholeNumber(const std::string& typed, std::optional<std::int64_t>& value) {
  std::optional<double> number;
  if (!ParseNumber(typed, false, number)) return false;
  if (!number) return true;
  if (*number != std::floor(*number) || std::fabs(*number) > 9e15) return false;
  value = static_cast<std::int64_t>(*number);
  return true;
}

DurationReading ParseDuration(const std::string& typed, std::optional<std::int32_t>& value) {
  const std::string text = Trim(typed);
  if (text.empty()) return DurationReading::Read;
  const bool plausible = std::isdigit(static_cast<unsigned char>(text[0])) != 0 &&
                         text.find_first_not_of("0123456789:.") == std::string::npos;
  if (!plausible) return DurationReading::NotDuration;
  // Plain seconds are a number like any other; the clock form is read as the clock's texts are.
  std::optional<double> number;
  double seconds = -1;
  if (text.find(':') != std::string::npos) {
    seconds = TimeTextToSeconds(text);
  } else if (ParseNumber(text, false, number) && number) {
    seconds = *number;
  }
  if (!(seconds >= 0) || seconds > 2147483647.0) return DurationReading::NotDuration;
  if (seconds != std::floor(seconds)) return DurationReading::Fraction;
  value = static_cast<std::int32_t>(seconds);
  return DurationReading::Read;
}

bool ParseUnits(const std::string& typed, std::optional<std::int32_t>& value) {
  const std::string text = Trim(typed);
  if (text.empty()) return true;
  for (std::int32_t code = kFirstUnitCode; code <= kLastUnitCode; ++code) {
    if (SameText(text, UnitListEntry(code))) {
      value = code;
      return true;
    }
  }
  return false;
}

OverrideProblem ParseOverrides(const OverrideTexts& t, AnalysisOverrides& out, bool decimalComma) {
  AnalysisOverrides v;
  if (const DurationReading reading = ParseDuration(t.SessionLength, v.SessionLength); reading != DurationReading::Read) {
    return {OverrideField::SessionLength, DurationRefusal(t.SessionLength, reading)};
  }
  const std::tuple<OverrideField, const std::string&, std::optional<double>&> numbers[] = {
      {OverrideField::MaximumDistance, t.MaximumDistance, v.MaximumDistance},
      {OverrideField::AmbulatoryThreshold, t.AmbulatoryThreshold, v.AmbulatoryThreshold},
      {OverrideField::StereotypicThreshold, t.StereotypicThreshold, v.StereotypicThreshold},
      {OverrideField::CalibrateScale, t.CalibrateScale, v.CalibrateScale},
      {OverrideField::CalibrateReference, t.CalibrateReference, v.CalibrateReference}};
  for (const auto& [field, text, value] : numbers) {
    if (!ParseNumber(text, decimalComma, value)) return {field, NotAValueText(text, "number")};
  }
  if (!ParseUnits(t.Units, v.UnitsCode)) return {OverrideField::Units, NotAValueText(t.Units, "unit name")};
  if (!Trim(t.MapFile).empty()) v.MapFile = AbsolutePath(Trim(t.MapFile));
  // The limits of the values themselves (a session length of 0 and the like) are checked here,
  // for every front end: a value no analysis can have is an error, never a table.
  if (v.SessionLength) {
    if (auto why = AnalysisSessionLengthProblem(*v.SessionLength); !why.empty()) return {OverrideField::SessionLength, why};
  }
  for (const auto& [field, text, value] : numbers) {
    if (!value) continue;
    std::string why = field == OverrideField::CalibrateScale       ? CalibrateScaleProblem(*value)
                      : field == OverrideField::CalibrateReference ? CalibrateReferenceProblem(*value)
                                                                   : PixelDistanceProblem(*value);
    if (!why.empty()) return {field, std::move(why)};
  }
  out = std::move(v);
  return {};
}

}  // namespace tlx
