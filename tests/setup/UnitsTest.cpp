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
  EXPECT_EQ(UnitCodeFromName(" inches "), 5);
  for (const char* other : {"Furlongs", "", "user"}) EXPECT_EQ(UnitCodeFromName(other), 9) << other;
}

TEST(Units, CalibrationConversions) {
  const UnitsPerPixelValue pair = UnitsPerPixel(200, 12);
  EXPECT_TRUE(pair.Valid);
  EXPECT_FLOAT_EQ(pair.Value, 0.06f);
  EXPECT_EQ(PixelsToUnits(50, pair) + UnitsToPixels(3, pair) + UnitsToPixels(3.01, pair), "3.005050");
  EXPECT_EQ(UnitsToPixels(3.03, pair), "51");  // 50.5 rounds away from zero
  const UnitsPerPixelValue none = UnitsPerPixel(0, 12);
  EXPECT_FALSE(none.Valid || UnitsPerPixel(-5, 12).Valid);
  EXPECT_EQ(none.Value, 0.0f);
  EXPECT_EQ(UnitsToPixels(3, none), "0");
  EXPECT_EQ(UnitsToPixels(3, UnitsPerPixel(200, 0)), "0");  // valid but 0: no division by zero
}

TEST(Units, ThresholdChecksAndRateCodes) {
  EXPECT_FALSE(AmbulatoryBelowStereotypic(2.0, 2.0));
  EXPECT_TRUE(AmbulatoryBelowStereotypic(1.5, 2.0));
  EXPECT_TRUE(MaximumBelowTwiceAmbulatory(4.0, 7.99));
  EXPECT_FALSE(MaximumBelowTwiceAmbulatory(4.0, 8.0));
  const int rates[][2] = {{1, 0}, {5, 1}, {30, 2}, {25, 2}, {0, 2}};
  for (const auto& r : rates) EXPECT_EQ(RateToCode(r[0]), r[1]) << r[0];
  const int codes[][2] = {{0, 1}, {1, 5}, {2, 30}, {3, 30}, {-1, 30}};
  for (const auto& c : codes) EXPECT_EQ(CodeToRate(c[0]), c[1]) << c[0];
}

}  // namespace
}  // namespace tlx
