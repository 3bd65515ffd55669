// Experiment setups: the setup file (reading its text and binary forms, the limits every record
// is held to, the byte-exact file written), the experiment panel's transfer of values and the setup
// load and save commands, against a screen made of plain values; the unit names and the
// calibration the panel converts with.
#include "support/TestSupport.h"
#include "setup/ParameterScreen.h"
#include "setup/SetupFile.h"
#include "setup/Units.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <tuple>

namespace tlx::test {
namespace {

using namespace std::string_literals;

// A screen whose range boxes clamp to limits, as the real boxes do.
struct FakeScreen : ExperimentScreen {
  std::string file;
  bool save = false;
  std::array<double, 8> values{};
  std::vector<std::string> units = {"mm", "cm", "m", "km", "inches", "feet", "yards", "miles",
                                    "user defined"};
  int unitIndex = -1;
  std::vector<std::string> rates = {"1", "5", "30"};
  int rateIndex = -1;
  std::vector<ScreenBox> checked;

  std::string DataFileName() override { return file; }
  void SetDataFileName(const std::string& p) override { file = p; }
  bool SaveChecked() override { return save; }
  void SetSaveChecked(bool on) override { save = on; }
  double& V(ScreenBox b) { return values[static_cast<std::size_t>(b)]; }
  double BoxValue(ScreenBox b) override { return V(b); }
  void SetBoxValue(ScreenBox b, double v) override { V(b) = v; }
  bool CheckBox(ScreenBox b, bool) override {
    checked.push_back(b);
    const double v = V(b);
    V(b) = std::clamp(v, b == ScreenBox::SessLen ? 5.0 : 0.0, 1e6);
    return v == V(b);
  }
  std::vector<std::string> UnitEntries() override { return units; }
  int UnitIndex() override { return unitIndex; }
  void SetUnitIndex(int i) override { unitIndex = i; }
  void SetUnitLabel(const std::string&) override {}
  std::vector<std::string> RateEntries() override { return rates; }
  int RateIndex() override { return rateIndex; }
  void SetRateIndex(int i) override { rateIndex = i; }
};

ExperimentParameters Sample(const std::string& dataFile) {
  return {.SessionLength = 600, .NumberOfSessions = 3, .InitialDelay = 30, .MaximumDistance = 120,
          .AmbulatoryThreshold = 40, .StereotypicThreshold = 8, .MeasurementUnits = 5, .CalibrateScale = 200,
          .SampleRate = 5, .DataFile = dataFile, .SaveData = false, .MapFile = "", .CalibrateReference = 12,
          .UnitsPerPixel = {}};
}

// A panel showing the sample record, with what the commands need.
class ParameterScreenTest : public ::testing::Test {
 protected:
  void SetUp() override { ParametersToScreen(Sample(""), screen); }
  TempDir dir;
  FakeScreen screen;
  ExperimentParameters r;
  ScriptedAnswers answers;
};

TEST_F(ParameterScreenTest, RecordRoundTripsThroughTheScreen) {
  EXPECT_FALSE(screen.save);
  ParametersToScreen(Sample(dir.File("RAT1.DAT")), screen);
  EXPECT_TRUE(screen.save);  // ticked for a usable name, whatever Save Data held
  EXPECT_TRUE(ParametersFromScreen(r, screen, answers, kVideoNtsc));
  EXPECT_TRUE(r.SaveData);
  EXPECT_EQ(r.DataFile, dir.File("RAT1.DAT"));
  EXPECT_FLOAT_EQ(r.UnitsPerPixel.Value, 0.06f);
  EXPECT_TRUE(answers.Messages().empty());
}

TEST_F(ParameterScreenTest, FailedBoxesAreAllReadAndCorrectedAndListPositionsAreBounded) {
  screen.V(ScreenBox::SessLen) = 2;          // below its limit
  screen.V(ScreenBox::StereoThresh) = 2e6;   // above its limit
  screen.V(ScreenBox::NumSess) = 2.5;        // ties round to even
  screen.V(ScreenBox::CalibScale) = 0;
  screen.unitIndex = 42;  // past the end: the last entry
  screen.rateIndex = 2;   // "30" on a PAL camera reads as 25
  EXPECT_FALSE(ParametersFromScreen(r, screen, answers, kVideoPal));
  EXPECT_EQ(screen.checked.size(), 6u);  // a failure does not stop the later boxes
  EXPECT_EQ(r.SessionLength, 5);
  EXPECT_EQ(r.NumberOfSessions, 2);
  EXPECT_FLOAT_EQ(r.StereotypicThreshold, 1e6f);
  EXPECT_EQ(answers.Messages().at(0).text, "Calibrate Scale\r\ncannot be zero");
  EXPECT_EQ(r.MeasurementUnits, 9);
  EXPECT_EQ(r.SampleRate, 25);
  screen.units.clear();
  ParametersFromScreen(r, screen, answers, kVideoNtsc);
  EXPECT_EQ(r.MeasurementUnits, 9);  // an empty list reads "Undefined"
  EXPECT_EQ(r.SampleRate, 30);
}

// A run records only what its data file can describe: a session length between the steps of 5 s
// is rounded (and shown so); a calibration the file cannot hold exactly is refused.
TEST_F(ParameterScreenTest, SessionLengthIsRecordableAndCalibrationStorable) {
  screen.V(ScreenBox::SessLen) = 7;
  screen.V(ScreenBox::CalibScale) = 1000;
  screen.V(ScreenBox::CalibRef) = 0.5;  // m: stored as 2000 = 1
  screen.unitIndex = 2;
  EXPECT_TRUE(ParametersFromScreen(r, screen, answers, kVideoNtsc));
  EXPECT_EQ(r.SessionLength, 5);
  EXPECT_EQ(screen.V(ScreenBox::SessLen), 5);
  screen.V(ScreenBox::CalibRef) = 0.01;
  EXPECT_FALSE(ParametersFromScreen(r, screen, answers, kVideoNtsc));
  EXPECT_EQ(answers.Messages().at(0).text,
            "The calibration 1000 pixels = 0.01 m cannot be stored exactly in a data file (it holds whole "
            "numbers up to 65535); give 1 cm instead.");
}

// Thresholds that contradict each other are kept but warned about, with the data panel's words.
TEST_F(ParameterScreenTest, ContradictingThresholdsAreWarnedAbout) {
  screen.V(ScreenBox::MaxDist) = 0;
  screen.V(ScreenBox::AmbulThresh) = 10;
  screen.V(ScreenBox::StereoThresh) = 12;
  EXPECT_TRUE(ParametersFromScreen(r, screen, answers, kVideoNtsc));
  EXPECT_FLOAT_EQ(r.MaximumDistance, 0);
  ASSERT_EQ(answers.Messages().size(), 2u);
  EXPECT_EQ(answers.Messages()[0].caption, kThresholdWarningCaption);
  EXPECT_EQ(answers.Messages()[0].text, kAmbulatoryWarningText);
  EXPECT_EQ(answers.Messages()[1].text, kMaximumWarningText);
  screen.V(ScreenBox::MaxDist) = 24;
  screen.V(ScreenBox::StereoThresh) = 10;  // equal, and exactly twice: sensible
  EXPECT_TRUE(ParametersFromScreen(r, screen, answers, kVideoNtsc));
  EXPECT_EQ(answers.Messages().size(), 2u);
}

TEST_F(ParameterScreenTest, SaveAndLoadFollowTheSetupFolder) {
  std::string folder = "/nonexistent";
  answers.QueueFile(dir.File("mine.txt"));  // the saved name gets the extension "EXP"
  ASSERT_TRUE(SaveSetupCommand(r, screen, answers, kVideoNtsc, folder));
  EXPECT_TRUE(PathExists(dir.File("mine.EXP")));
  EXPECT_EQ(folder, dir.Path());
  EXPECT_EQ(answers.FileRequests().at(0).title, "Save Experiment Setup");

  FakeScreen other;
  ExperimentParameters loaded;
  answers.QueueFile(dir.File("mine.EXP"));
  std::string loadFolder = "/";
  ASSERT_TRUE(LoadSetupCommand(loaded, other, answers, kVideoNtsc, loadFolder));
  EXPECT_EQ(other.V(ScreenBox::SessLen), 600);  // shown on the panel
  EXPECT_EQ(loadFolder, dir.Path());
  answers.QueueFile(dir.File("missing.EXP"));
  EXPECT_FALSE(LoadSetupCommand(loaded, other, answers, kVideoNtsc, loadFolder));
  answers.QueueFile("");  // cancelled
  EXPECT_FALSE(LoadSetupCommand(loaded, other, answers, kVideoNtsc, loadFolder));
}

TEST(Units, NamesLookupConversionsChecksAndSampleRateCodes) {
  const char* written[] = {"mm", "cm", "m", "km", "Inches", "Feet", "Yards", "Miles", "User defined"};
  for (int code = 1; code <= 9; ++code) {
    EXPECT_EQ(UnitName(code), written[code - 1]);
    EXPECT_EQ(UnitCodeFromName(UnitListEntry(code)), code);
  }
  EXPECT_EQ(UnitName(0) + UnitName(10), "");
  for (const char* other : {"Furlongs", "", "user"}) EXPECT_EQ(UnitCodeFromName(other), 9) << other;
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
}  // namespace tlx::test
