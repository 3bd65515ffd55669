#include "setup/SetupFile.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace tlx {
namespace {

TEST(SetupSanitise, LimitsAndUntouchedFields) {
  test::TempDir dir;
  ExperimentParameters r;
  r.NumberOfSessions = 70000, r.InitialDelay = 86400, r.MaximumDistance = -1;
  r.AmbulatoryThreshold = 2e6f, r.StereotypicThreshold = std::nanf(""), r.MeasurementUnits = 42;
  r.CalibrateScale = 5000, r.CalibrateReference = 12, r.SampleRate = -3;
  r.DataFile = dir.File("R.DAT"), r.SaveData = true;
  SanitiseParameters(r);
  EXPECT_EQ(SetupFileText(r),
            "Save Data = True\r\nData File = \"" + dir.File("R.DAT") + "\"\r\nSession Length = 5\r\n"
            "Number of Sessions = 65535\r\nInitial Delay = 86399\r\nMaximum Distance = 0\r\n"
            "Ambulatory Threshold = 1000000\r\nStereotypic Threshold = 0\r\nCalibrate Scale = 1000\r\n"
            "Calibrate Reference = 12\r\nMeasurement Units = \"mm\"\r\nSample Rate = 1\r\n");
  EXPECT_EQ(r.MeasurementUnits, 42);  // not limited: only written as the unit it is shown as
  EXPECT_FLOAT_EQ(r.UnitsPerPixel.Value, 0.012f);
  EXPECT_FALSE(test::PathExists(dir.File("R.DAT")));
  // A folder not there just now (a drive not mounted) keeps the name: the run's start says why
  // it cannot record. A name that cannot be written as one line is dropped.
  for (auto [name, kept] : {std::pair{std::string("/no/such/dir/R.DAT"), true},
                            {dir.File("R\r\nSample Rate = 5"), false}}) {
    r.DataFile = name;
    SanitiseParameters(r);
    EXPECT_EQ(r.DataFile, kept ? name : "") << name;
  }
}

TEST(SetupSanitise, SessionLengthAndSampleRate) {
  for (auto [in, out] : {std::pair{7, 5}, {8, 10}, {-40, 5}, {86403, 86400}}) {
    ExperimentParameters r;
    r.SessionLength = in;
    SanitiseParameters(r);
    EXPECT_EQ(r.SessionLength, out) << in;
  }
  const int rates[][3] = {{0, kVideoNtsc, 1}, {2, kVideoNtsc, 5}, {6, kVideoNtsc, 30},
                          {25, kVideoNtsc, 30}, {12, kVideoSecam, 25}};
  for (const auto& c : rates) {
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
  // A name that was never sanitised cannot smuggle lines of its own into the file.
  r.DataFile = "/runs/A.DAT\"\r\nSample Rate = 5\r\nX = \"";
  const std::string text = SetupFileText(r);
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 12);
  EXPECT_NE(text.find("\r\nData File = \"\"\r\n"), std::string::npos);
}

}  // namespace
}  // namespace tlx
