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

// A calibration is stored exactly or not at all: the values themselves when whole, else both times
// one whole factor, else the ratio in lowest terms; the ratio is never changed.
TEST(Units, CalibrationIsStoredExactlyOrRefusedWithASuggestion) {
  struct Case { float scale, reference; int storedScale, storedReference; };
  for (const Case& c : {Case{200, 12, 200, 12}, Case{100, 12.25f, 400, 49}, Case{100, 0.5f, 200, 1},
                        Case{100, 1.5f, 200, 3}, Case{12.3f, 1, 123, 10}, Case{100, 100000, 1, 1000},
                        Case{70000, 0, 1, 0}, Case{1000, 0.01f, -1, -1}, Case{0, 12, -1, -1},
                        Case{100, -1, -1, -1}}) {
    const auto stored = StorableCalibration(c.scale, c.reference);
    ASSERT_EQ(stored.has_value(), c.storedScale >= 0) << c.scale << " = " << c.reference;
    if (!stored) continue;
    EXPECT_EQ(stored->Scale, c.storedScale) << c.reference;
    EXPECT_EQ(stored->Reference, c.storedReference) << c.reference;
  }
  EXPECT_EQ(CalibrationProblem(100, 12.25f, 2), "");
  EXPECT_NE(CalibrationProblem(1000, 0.0001f, 4).find("; give 0.1 m instead."), std::string::npos);
  EXPECT_NE(CalibrationProblem(999, 0.01f, 1).find("; give a larger reference length or fewer pixels."),
            std::string::npos);
  EXPECT_EQ(CalibrationProblem(0, 1, 1), "The calibrate scale must be more than 0 pixels.");
}

}  // namespace
}  // namespace tlx
