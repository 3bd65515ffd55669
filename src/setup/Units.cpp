#include "setup/Units.h"

#include "common/Numbers.h"
#include "common/Texts.h"

#include <array>
#include <cmath>
#include <limits>
#include <numeric>

namespace tlx {

namespace {

constexpr std::array<const char*, 9> kCodeNames = {
    "MM", "CM", "M", "KM", "INCHES", "FEET", "YARDS", "MILES", "USER DEFINED"};

bool IsUnitCode(std::int32_t code) { return code >= kFirstUnitCode && code <= kLastUnitCode; }

constexpr std::uint64_t kWordMax = 65535;

// A value as a whole number over a power of ten: the fewest decimals (up to 9) whose value reads
// back as the same single-precision number. Nothing for values that have none.
struct Decimal {
  std::uint64_t Digits = 0;
  std::uint64_t Denominator = 1;  // 10^decimals
};
std::optional<Decimal> AsDecimal(float value) {
  if (!(value >= 0.0f) || value >= 1e15f) return std::nullopt;
  std::uint64_t power = 1;
  for (int decimals = 0; decimals <= 9; ++decimals, power *= 10) {
    const double scaled = std::round(static_cast<double>(value) * static_cast<double>(power));
    if (scaled >= 1e18) return std::nullopt;
    if (static_cast<float>(scaled / static_cast<double>(power)) == value) {
      return Decimal{static_cast<std::uint64_t>(scaled), power};
    }
  }
  return std::nullopt;
}

// a x b, or nothing when it would not fit 64 bits.
std::optional<std::uint64_t> Times(std::uint64_t a, std::uint64_t b) {
  if (a != 0 && b > std::numeric_limits<std::uint64_t>::max() / a) return std::nullopt;
  return a * b;
}

// The next smaller unit of the same system and how many of it make one of the given unit.
struct SmallerUnit {
  std::int32_t Code = 0;
  std::uint64_t Factor = 1;
};
std::optional<SmallerUnit> NextSmallerUnit(std::int32_t code) {
  switch (code) {
    case 4: return SmallerUnit{3, 1000};  // km -> m
    case 3: return SmallerUnit{2, 100};   // m -> cm
    case 2: return SmallerUnit{1, 10};    // cm -> mm
    case 8: return SmallerUnit{7, 1760};  // miles -> yards
    case 7: return SmallerUnit{6, 3};     // yards -> feet
    case 6: return SmallerUnit{5, 12};    // feet -> inches
    default: return std::nullopt;
  }
}

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

std::optional<WholeCalibration> StorableCalibration(float scale, float reference) {
  if (!(scale > 0.0f)) return std::nullopt;
  const std::optional<Decimal> s = AsDecimal(scale);
  const std::optional<Decimal> r = AsDecimal(reference);
  if (!s || !r) return std::nullopt;
  // Each value as a fraction in lowest terms; the smallest factor making both whole is the least
  // common multiple of their denominators.
  const std::uint64_t gs = std::gcd(s->Digits, s->Denominator);
  const std::uint64_t gr = r->Digits == 0 ? r->Denominator : std::gcd(r->Digits, r->Denominator);
  const std::uint64_t sNum = s->Digits / gs, sDen = s->Denominator / gs;
  const std::uint64_t rNum = r->Digits / gr, rDen = r->Denominator / gr;
  const std::uint64_t factor = std::lcm(sDen, rDen);
  if (sNum <= kWordMax && rNum <= kWordMax && factor <= kWordMax) {
    const std::uint64_t wholeScale = sNum * (factor / sDen);
    const std::uint64_t wholeReference = rNum * (factor / rDen);
    if (wholeScale <= kWordMax && wholeReference <= kWordMax) {
      return WholeCalibration{static_cast<std::uint16_t>(wholeScale), static_cast<std::uint16_t>(wholeReference)};
    }
  }
  // The ratio reference / scale = (rNum x sDen) / (rDen x sNum), in lowest terms.
  const std::optional<std::uint64_t> num = Times(rNum, sDen);
  const std::optional<std::uint64_t> den = Times(rDen, sNum);
  if (!num || !den || *den == 0) return std::nullopt;
  const std::uint64_t g = *num == 0 ? *den : std::gcd(*num, *den);
  if (*num / g > kWordMax || *den / g > kWordMax) return std::nullopt;
  return WholeCalibration{static_cast<std::uint16_t>(*den / g), static_cast<std::uint16_t>(*num / g)};
}

std::string CalibrationProblem(float scale, float reference, std::int32_t unitsCode) {
  if (!(scale > 0.0f)) return "The calibrate scale must be more than 0 pixels.";
  if (!(reference >= 0.0f)) return "The calibrate reference cannot be negative.";
  if (StorableCalibration(scale, reference)) return {};
  const std::string unit = IsUnitCode(unitsCode) ? " " + UnitListEntry(unitsCode) : std::string();
  std::string text = "The calibration " + ShortestSingleText(scale) + " pixels = " +
                     ShortestSingleText(reference) + unit +
                     " cannot be stored exactly in a data file (it holds whole numbers up to 65535); give ";
  // The same length in smaller units, worked out on its decimal digits so that 0.0001 km reads 0.1 m.
  std::optional<Decimal> length = AsDecimal(reference);
  for (auto smaller = NextSmallerUnit(unitsCode); smaller && length; smaller = NextSmallerUnit(smaller->Code)) {
    const std::optional<std::uint64_t> digits = Times(length->Digits, smaller->Factor);
    if (!digits) break;
    length->Digits = *digits;
    const auto value = static_cast<float>(static_cast<double>(length->Digits) / static_cast<double>(length->Denominator));
    if (StorableCalibration(scale, value)) {
      return text + ShortestSingleText(value) + " " + UnitListEntry(smaller->Code) + " instead.";
    }
  }
  return text + "a larger reference length or fewer pixels.";
}

void CalibrationInUse(float scale, float reference, double& usedScale, double& usedReference) {
  if (const std::optional<WholeCalibration> stored = StorableCalibration(scale, reference)) {
    usedScale = stored->Scale;
    usedReference = stored->Reference;
    return;
  }
  usedScale = scale;
  usedReference = reference;
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

std::vector<const char*> ThresholdWarnings(double maximum, double ambulatory, double stereotypic) {
  std::vector<const char*> warnings;
  if (AmbulatoryBelowStereotypic(ambulatory, stereotypic)) warnings.push_back(kAmbulatoryWarningText);
  if (MaximumBelowTwiceAmbulatory(ambulatory, maximum)) warnings.push_back(kMaximumWarningText);
  return warnings;
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
