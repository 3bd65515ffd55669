// Experiment setup files: reading the text and the binary forms, the limits every record is held
// to, and the byte-exact file written.
#include "setup/SetupFile.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <tuple>

namespace tlx {
namespace {

using namespace std::string_literals;

class SetupRead : public testing::Test {
 protected:
  bool Load(const std::string& bytes, ExperimentParameters& record) {
    test::WriteBytes(dir.File("s.EXP"), bytes);
    return LoadParameters(dir.File("s.EXP"), record);
  }
  test::TempDir dir;
};

// Tag, ten little-endian words, flag byte, three 34-byte texts (data file, map file, unused).
std::string BinarySetup(const std::string& dataFile) {
  std::string bytes = "\xFE\xAA";
  for (int v : {120, 65535, 2, 40000, 40, 8, 4, 200, 12, 1}) bytes += {char(v), char(v >> 8)};
  return bytes + '\x01' + (dataFile + std::string(34, '\0')).substr(0, 34) +
         (std::string("/maps/A.MAP\0x", 13) + std::string(34, ' ')).substr(0, 34) + std::string(34, 'z');
}

TEST_F(SetupRead, TextLinesAnyCaseSpacingLineEndQuotesAndHugeNumbers) {
  const char junk[] = "\0\xFF\x01 = = junk\r\n";
  ExperimentParameters r;
  r.CalibrateScale = 33;  // no line for it: kept
  ASSERT_TRUE(Load("sample rate=5\nSESSION   LENGTH = 60\rSession Length = 90\r\n"
                   "number of sessions =\"7\"\r\nInitial Delay 600\r\nMaximum Distance = 6 00\r\n" +
                       std::string(junk, sizeof junk - 1) + "Data File = " + std::string(1 << 20, 'x') +
                       "\r\nData File = /runs/Rat1.dat\r\nMeasurement Units = Feet\r\nSave Data = None",
                   r));
  // The last duplicate wins, malformed lines are skipped, a name keeps its case without quotes,
  // and any text holding "ON" is true.
  EXPECT_EQ(std::tuple(r.SampleRate, r.SessionLength, r.NumberOfSessions, r.InitialDelay,
                       r.MaximumDistance), std::tuple(5, 90, 7, 0, 0.0f));
  EXPECT_EQ(std::tuple(r.CalibrateScale, r.DataFile, r.MeasurementUnits, r.SaveData),
            std::tuple(33.0f, "/runs/Rat1.dat"s, 6, true));

  ASSERT_TRUE(Load("Data File = \"/my runs/A.dat\"\r\nMeasurement Units = \"User defined\"\r\n"
                   "Session Length = 1e30\r\nSample Rate = 99999999\r\n", r));
  EXPECT_EQ(std::tuple(r.DataFile, r.MeasurementUnits, r.SessionLength, r.SampleRate),
            std::tuple("/my runs/A.dat"s, 9, 2147483647, 32767));
  // A bare name holding a blank does not match: the name read before stays.
  ASSERT_TRUE(Load("Data File = /my runs/B.dat\r\nMeasurement Units = Furlongs\r\n", r));
  EXPECT_EQ(r.DataFile + "|" + std::to_string(r.MeasurementUnits), "/my runs/A.dat|9");
}

TEST_F(SetupRead, UnreadableFilesLeaveTheRecordAlone) {
  ExperimentParameters r;
  r.SessionLength = 42;
  EXPECT_FALSE(LoadParameters(dir.File("none.EXP"), r) || LoadParameters(dir.Path(), r));
  EXPECT_FALSE(Load(std::string(kMaxSetupFileBytes + 1, ' '), r));
  const std::string full = BinarySetup("");
  for (std::size_t size : {std::size_t(2), std::size_t(23), full.size() - 1}) {
    EXPECT_FALSE(Load(full.substr(0, size), r)) << size;
  }
  EXPECT_TRUE(Load("\xFE", r));  // too short for a tag: an empty text file
  EXPECT_EQ(r.SessionLength, 42);
}

TEST_F(SetupRead, BinaryFileMapsItsUnsignedBlock) {
  ExperimentParameters r;
  ASSERT_TRUE(Load(BinarySetup("  " + dir.File("R.DAT") + std::string("\0tr", 3)), r));
  EXPECT_EQ((std::vector<double>{double(r.SessionLength), double(r.NumberOfSessions), double(r.InitialDelay),
                                 r.MaximumDistance, r.AmbulatoryThreshold, r.StereotypicThreshold,
                                 double(r.MeasurementUnits), r.CalibrateScale, r.CalibrateReference,
                                 double(r.SampleRate)}),
            (std::vector<double>{600, 65535, 10, 40000, 40, 8, 5, 200, 12, 5}));
  EXPECT_EQ(r.DataFile, dir.File("R.DAT"));
  EXPECT_TRUE(r.SaveData && r.MapFlag && r.MapFile == "/maps/A.MAP");
  ASSERT_TRUE(Load(BinarySetup("/no/such/dir/A.DAT"), r));
  EXPECT_FALSE(r.SaveData);  // a data file that cannot be made turns saving off
}

TEST(SetupSanitise, LimitsUntouchedFieldsSessionLengthAndSampleRate) {
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
