#include "setup/Units.h"

#include "common/Numbers.h"
#include "common/Texts.h"

#include <array>
#include <cmath>

namespace tlx {

namespace {

constexpr std::array<const char*, 9> kCodeNames = {
    "MM", "CM", "M", "KM", "INCHES", "FEET", "YARDS", "MILES", "USER DEFINED"};

bool IsUnitCode(std::int32_t code) { return code >= kFirstUnitCode && code <= kLastUnitCode; }

}  // namespace

std::string UnitCodeName(std::int32_t code) {
  return IsUnitCode(code) ? std::string(kCodeNames[code - 1]) : std::string();
}

std::int32_t UnitCodeFromName(std::string_view text) {
  for (std::int32_t code = kFirstUnitCode; code <= kLastUnitCode; ++code) {
    if (SameText(text, kCodeNames[code - 1])) return code;
  }
  return kUserDefinedUnit;
}

std::string UnitName(std::int32_t code) {
  std::string name = ToLower(UnitCodeName(code));
  return name.size() > 2 ? ProperCase(name) : name;
}

std::string UnitListEntry(std::int32_t code) { return ToLower(UnitCodeName(code)); }

UnitsPerPixelValue UnitsPerPixel(float calibrateScale, float calibrateReference) {
  UnitsPerPixelValue pair;
  if (calibrateScale > 0.0f) {
    pair.Valid = true;
    pair.Value = calibrateReference / calibrateScale;
  }
  return pair;
}

std::string PixelsToUnits(double pixels, const UnitsPerPixelValue& pair) {
  const double units = static_cast<double>(pair.Value) * pixels;
  return FormatFixed(std::isfinite(units) ? units : 0.0, 2);
}

std::string UnitsToPixels(double units, const UnitsPerPixelValue& pair) {
  // A valid pair may still hold 0 (reference 0): no length in units maps back to pixels then.
  if (!pair.Valid || pair.Value == 0.0f) return "0";
  const double pixels = units / static_cast<double>(pair.Value);
  return FormatFixed(std::isfinite(pixels) ? pixels : 0.0, 0);
}

bool AmbulatoryBelowStereotypic(double ambulatoryUnits, double stereotypicUnits) {
  return ambulatoryUnits < stereotypicUnits;
}

bool MaximumBelowTwiceAmbulatory(double ambulatoryUnits, double maximumUnits) {
  return 2.0 * ambulatoryUnits > maximumUnits;
}

std::int16_t RateToCode(std::int32_t rate) {
  if (rate == 1) return 0;
  if (rate == 5) return 1;
  return 2;
}

std::int16_t CodeToRate(std::int32_t code) {
  if (code == 0) return 1;
  if (code == 1) return 5;
  return 30;
}

}  // namespace tlx
