#include "setup/SetupFile.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

namespace tlx {
namespace {

TEST(SetupSanitise, FirstStartRecordIsWrittenWithItsDefaults) {
  ExperimentParameters r;
  SanitiseParameters(r);
  NormaliseSampleRate(r, kVideoNtsc);
  EXPECT_TRUE(r.UnitsPerPixel.Valid);
  EXPECT_EQ(SetupFileText(r),
            "Save Data = False\r\nData File = \"\"\r\nSession Length = 5\r\nNumber of Sessions = 1\r\n"
            "Initial Delay = 0\r\nMaximum Distance = 0\r\nAmbulatory Threshold = 0\r\n"
            "Stereotypic Threshold = 0\r\nCalibrate Scale = 1\r\nCalibrate Reference = 0\r\n"
            "Measurement Units = \"mm\"\r\nSample Rate = 1\r\n");
}

TEST(SetupSanitise, SessionLengthIsAMultipleOfFiveInRange) {
  const int cases[][2] = {{7, 5}, {8, 10}, {12, 10}, {13, 15}, {0, 5}, {-40, 5}, {100000, 86400},
                          {86403, 86400}, {2147483647, 86400}};
  for (const auto& c : cases) {
    ExperimentParameters r;
    r.SessionLength = c[0];
    SanitiseParameters(r);
    EXPECT_EQ(r.SessionLength, c[1]) << c[0];
  }
}

TEST(SetupSanitise, OtherLimitsAndUntouchedFields) {
  test::TempDir dir;
  ExperimentParameters r;
  r.NumberOfSessions = 70000, r.InitialDelay = 86400, r.MaximumDistance = -1;
  r.AmbulatoryThreshold = 2e6f, r.StereotypicThreshold = std::nanf(""), r.MeasurementUnits = 42;
  r.CalibrateScale = 5000, r.CalibrateReference = 12, r.SampleRate = -3;
  r.DataFile = dir.File("R.DAT"), r.SaveData = true;
  SanitiseParameters(r);
  const double got[] = {double(r.NumberOfSessions), double(r.InitialDelay), r.MaximumDistance,
                        r.AmbulatoryThreshold, r.StereotypicThreshold, double(r.MeasurementUnits),
                        r.CalibrateScale, double(r.SampleRate)};
  const double want[] = {65535, 86399, 0, 1000000, 0, 42, 1000, 1};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(got[i], want[i]) << "value " << i;
  EXPECT_FLOAT_EQ(r.UnitsPerPixel.Value, 0.012f);
  EXPECT_TRUE(r.SaveData);
  EXPECT_EQ(r.DataFile, dir.File("R.DAT"));  // usable: kept, and not left behind on disk
  EXPECT_FALSE(test::PathExists(dir.File("R.DAT")));
  for (const std::string& bad : {std::string("/no/such/dir/R.DAT"), dir.File("R.DAT\r\nSample Rate = 5")}) {
    r.DataFile = bad;
    SanitiseParameters(r);
    EXPECT_EQ(r.DataFile, "") << bad;
  }
}

TEST(SetupSanitise, SampleRateFollowsTheVideoStandard) {
  const int cases[][3] = {{0, kVideoNtsc, 1},  {1, kVideoNtsc, 1},  {2, kVideoNtsc, 5},
                          {5, kVideoPal, 5},   {6, kVideoNtsc, 30}, {12, kVideoPal, 25},
                          {25, kVideoNtsc, 30}, {30, kVideoPal, 25}, {12, kVideoSecam, 25}};
  for (const auto& c : cases) {
    ExperimentParameters r;
    r.SampleRate = static_cast<std::int16_t>(c[0]);
    NormaliseSampleRate(r, c[1]);
    EXPECT_EQ(r.SampleRate, c[2]) << c[0] << " video " << c[1];
  }
}

TEST(SetupWrite, ByteExactFileThatReadsBackTheSame) {
  ExperimentParameters r;
  r.SessionLength = 600, r.NumberOfSessions = 3, r.MaximumDistance = 1e6f;
  r.AmbulatoryThreshold = 40.5f, r.StereotypicThreshold = 0.1f, r.MeasurementUnits = 5;
  r.CalibrateScale = 200, r.CalibrateReference = 12.25f, r.SampleRate = 30;
  r.DataFile = "/runs/Rat 1.DAT", r.SaveData = true;
  test::TempDir dir;
  ASSERT_TRUE(WriteSetupFile(dir.File("out.EXP"), r));
  const std::string golden = test::ReadBytes(TLX_TEST_DATA "/setup/written.EXP");
  EXPECT_EQ(test::ReadBytes(dir.File("out.EXP")), golden);
  ExperimentParameters back;
  ASSERT_TRUE(LoadParameters(dir.File("out.EXP"), back));
  EXPECT_EQ(SetupFileText(back), golden);
  EXPECT_FALSE(WriteSetupFile(dir.File("missing/out.EXP"), r));
  EXPECT_EQ(DefaultSetupPath("/home/u/tlx"), "/home/u/tlx/TLUXEXPT.EXP");
}

}  // namespace
}  // namespace tlx
