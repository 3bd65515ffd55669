// Measurement units, the units-per-pixel calibration and the pixel/unit conversions.
// A unit is only a label: no number changes when another unit is chosen.
#pragma once

#include "setup/ExperimentParameters.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace tlx {

inline constexpr std::int32_t kFirstUnitCode = 1;
inline constexpr std::int32_t kLastUnitCode = 9;
inline constexpr std::int32_t kUserDefinedUnit = 9;

// "MM", "CM", ... "USER DEFINED" for codes 1..9; empty text for any other code.
std::string UnitCodeName(std::int32_t code);

// The code whose upper-case name equals the text (case and surrounding blanks ignored);
// 9 ("USER DEFINED") when none does, empty text included.
std::int32_t UnitCodeFromName(std::string_view text);

// "mm", "cm", "m", "km", "Inches", "Feet", "Yards", "Miles", "User defined"; empty text for a
// code outside 1..9. This is the name written to setup files.
std::string UnitName(std::int32_t code);

// The entry of the lower-case units list ("mm" ... "user defined") for a code; empty outside 1..9.
std::string UnitListEntry(std::int32_t code);

// Valid exactly when the scale is above 0; then Value = reference / scale, else Value = 0.
UnitsPerPixelValue UnitsPerPixel(float calibrateScale, float calibrateReference);
inline UnitsPerPixelValue ComputeUnitsPerPixel(float calibrateScale, float calibrateReference) {
  return UnitsPerPixel(calibrateScale, calibrateReference);
}

// Value x pixels with two decimals ("3.00").
std::string PixelsToUnits(double pixels, const UnitsPerPixelValue& pair);
// units / Value rounded to a whole number ("50"); "0" when the pair is not valid.
std::string UnitsToPixels(double units, const UnitsPerPixelValue& pair);

// The ambulatory distance must not be less than the stereotypic one (equal passes).
bool AmbulatoryBelowStereotypic(double ambulatoryUnits, double stereotypicUnits);
// The maximum distance must be at least twice the ambulatory one (exactly twice passes).
bool MaximumBelowTwiceAmbulatory(double ambulatoryUnits, double maximumUnits);

// The warnings shown when one of the two checks above fails (caption "Warning").
inline constexpr const char* kThresholdWarningCaption = "Warning";
inline constexpr const char* kAmbulatoryWarningText =
    "The ambulatory distance\r\nmust be greater than\r\nthe stereotypic distance.";
inline constexpr const char* kMaximumWarningText =
    "The maximum distance\r\nmust be at least twice\r\nthe ambulatory distance.";

// Sample rate stored in data files as a code: 1 -> 0, 5 -> 1, anything else -> 2.
std::int16_t RateToCode(std::int32_t rate);
// Code back to samples per second: 0 -> 1, 1 -> 5, 2 -> 30, anything else -> 30.
std::int16_t CodeToRate(std::int32_t code);

}  // namespace tlx
