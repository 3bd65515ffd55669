#include "setup/Units.h"

#include <gtest/gtest.h>

namespace tlx {
namespace {

TEST(Units, NamesAndLookup) {
  const char* written[] = {"mm", "cm", "m", "km", "Inches", "Feet", "Yards", "Miles", "User defined"};
  for (int code = 1; code <= 9; ++code) {
    EXPECT_EQ(UnitName(code), written[code - 1]);
    EXPECT_EQ(UnitCodeFromName(UnitListEntry(code)), code);
  }
  EXPECT_EQ(UnitName(0) + UnitName(10), "");
  for (const char* other : {"Furlongs", "", "user"}) EXPECT_EQ(UnitCodeFromName(other), 9) << other;
}

TEST(Units, CalibrationConversionsChecksAndSampleRateCodes) {
  const UnitsPerPixelValue pair = UnitsPerPixel(200, 12);
  EXPECT_FLOAT_EQ(pair.Value, 0.06f);
  EXPECT_EQ(PixelsToUnits(50, pair) + UnitsToPixels(3.01, pair) + UnitsToPixels(3.03, pair), "3.005051");
  EXPECT_FALSE(UnitsPerPixel(0, 12).Valid || UnitsPerPixel(-5, 12).Valid);
  EXPECT_EQ(UnitsToPixels(3, UnitsPerPixel(0, 12)) + UnitsToPixels(3, UnitsPerPixel(200, 0)), "00");
  EXPECT_TRUE(AmbulatoryBelowStereotypic(1.5, 2.0) && !AmbulatoryBelowStereotypic(2.0, 2.0));
  EXPECT_TRUE(MaximumBelowTwiceAmbulatory(4.0, 7.99) && !MaximumBelowTwiceAmbulatory(4.0, 8.0));
  for (auto [rate, code] : {std::pair{1, 0}, {5, 1}, {25, 2}, {0, 2}}) EXPECT_EQ(RateToCode(rate), code);
  for (auto [code, rate] : {std::pair{0, 1}, {1, 5}, {2, 30}, {-1, 30}}) EXPECT_EQ(CodeToRate(code), rate);
}

}  // namespace
}  // namespace tlx
