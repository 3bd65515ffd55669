// Measurement units, the units-per-pixel calibration and the pixel/unit conversions.
// A unit is only a label: no number changes when another unit is chosen.
#pragma once

#include "setup/ExperimentParameters.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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

// --- Calibration as the data file stores it -------------------------------------------------------
// The data file holds the calibration as two whole numbers 0..65535 (pixels, units). A calibration
// is stored exactly, never rounded: a whole-number pair that fits is stored as it is; otherwise
// both numbers are multiplied by the smallest whole factor that makes both whole (100 pixels =
// 12.25 cm is stored as 400 = 49); when that does not fit, the ratio in lowest terms is stored
// (100 pixels = 100000 mm as 1 = 1000). Values are taken as the shortest decimal that reads back
// as the same single-precision number, so 12.3 counts as 123/10.
struct WholeCalibration {
  std::uint16_t Scale = 0;      // pixels, at least 1
  std::uint16_t Reference = 0;  // units
  bool operator==(const WholeCalibration&) const = default;
};
// Nothing when no such pair holds the ratio exactly, or the scale is not above 0, or the
// reference is negative or not a number.
std::optional<WholeCalibration> StorableCalibration(float scale, float reference);
// Empty when the calibration can be stored; else a message that says why and, when a smaller
// unit of the same system holds it, what to give instead ("... give 1 cm.").
std::string CalibrationProblem(float scale, float reference, std::int32_t unitsCode);
// The pair distances are converted with: the stored pair when there is one (so the end of a run
// and every later reading of its file compute with the same numbers), else the values as given.
void CalibrationInUse(float scale, float reference, double& usedScale, double& usedReference);

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
// The warnings a set of distances (all in one unit, or all in pixels) earns, in that order; none
// when they make sense together. Every panel that takes thresholds shows these.
std::vector<const char*> ThresholdWarnings(double maximum, double ambulatory, double stereotypic);

// Sample rate stored in data files as a code: 1 -> 0, 5 -> 1, anything else -> 2.
std::int16_t RateToCode(std::int32_t rate);
// Code back to samples per second: 0 -> 1, 1 -> 5, 2 -> 30, anything else -> 30.
std::int16_t CodeToRate(std::int32_t code);

}  // namespace tlx
