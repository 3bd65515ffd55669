// Every byte format the program writes, produced through the core from the worked example (13
// samples, two sessions, built-in map) and compared byte for byte with files written by hand from
// the format descriptions in tests/data/golden; a difference means a reader of our files breaks.
// Then the data file's bytes in detail: sample words, the start-time encoding, the header, the
// checks that refuse anything but a version-3 file with a whole header, and building a data file
// from a run's raw file.
#include "data/AnalysisSetup.h"
#include "DataFileBuilder.h"
#include "data/DataFile.h"
#include "data/Export.h"
#include "data/ResultsTable.h"
#include "data/SampleReader.h"
#include "data/TidyBatch.h"
#include "buildinfo/BuildInfo.h"
#include "run/RunJournal.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tlx {
namespace {

using test::DataFileBuilder;

const std::string kExample = test::DataPath("worked_example.DAT");

std::string Golden(const std::string& name) { return test::ReadBytes(test::DataPath("golden/" + name)); }

void Replace(std::string& text, const std::string& what, const std::string& with) {
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + with.size())) {
    text.replace(at, what.size(), with);
  }
}

std::string Results(char decimal) {
  PreparedAnalysis prepared;
  EXPECT_EQ(PrepareAnalysis(kExample, {}, prepared), PrepareProblem::None);
  std::string text;
  EXPECT_TRUE(AnalyzeDataFileTo(kExample, [&text](std::string_view s) { text += s; return true; },
                                prepared.Params, prepared.Context, {.DecimalSeparator = decimal}).Ok());
  return text;
}

TEST(GoldenFormats, ResultsFileAndBothExportsOfTheWorkedExample) {
  EXPECT_EQ(Results('.'), Golden("worked_example.PRN"));
  const ResultsExportHeader header{.DataFilePath = kExample, .MapFile = "",
                                   .Start = {2026, 3, 2, 9, 30, 0, 0}, .SessionLength = 10, .UnitsCode = 1};
  for (const auto& [decimal, golden] : {std::pair{'.', "export_comma.CSV"}, {',', "export_semicolon.CSV"}}) {
    ResultsTable table;
    ParseResultsText(Results(decimal), table, nullptr);
    EXPECT_EQ(ResultsExportText(header, table, decimal), Golden(golden)) << golden;
  }
  // The same bytes read from memory go through the same readers to the same results.
  const std::string bytes = test::ReadBytes(kExample);
  SampleFile memory;
  memory.OpenBytes(bytes);
  DataFileInfo info;
  ASSERT_TRUE(ReadDataFileInfo(memory, info));
  info.Path = kExample;
  const PreparedAnalysis prepared = PrepareRecordedAnalysis(info, {}, ZoneMap::FourQuadrants(), "");
  std::string text;
  EXPECT_TRUE(AnalyzeDataFileTo(memory, [&text](std::string_view s) { text += s; return true; },
                                prepared.Params, prepared.Context, {}).Ok());
  EXPECT_EQ(text, Golden("worked_example.PRN"));
}

TEST(GoldenFormats, TidyTableOfTheWorkedExample) {
  test::TempDir dir;
  const std::string copy = dir.File("worked_example.DAT");
  test::WriteBytes(copy, test::ReadBytes(kExample));
  std::string text;
  ASSERT_TRUE(RunTidyBatch({.DataPaths = {copy}, .Overrides = {}, .Jobs = 1},
                           [&text](std::string_view s) { text += s; return true; }).Ok());
  // The folder and the program's version are the only bytes that vary from machine to machine.
  Replace(text, dir.Path() + "/", "@DIR@/");
  Replace(text, VersionWithBuild(), "@VERSION@");
  EXPECT_EQ(text, Golden("worked_example_tidy.csv"));
}

// The worked example's data file is itself the golden file of the written data file: the same run
// written again gives the same 38 header bytes and samples.
TEST(GoldenFormats, WrittenDataFileAndRunJournal) {
  test::TempDir dir;
  const std::string data = test::ReadBytes(kExample);
  test::WriteBytes(dir.File("RUN.RAW"), data.substr(38));
  const FinishedRun run{.DataFile = dir.File("RUN.DAT"), .Start = {2026, 3, 2, 9, 30, 0, 0},
                        .SessionLength = 10, .VideoType = kVideoNtsc, .SampleRate = 1};
  // Units 1 is mm (stored as 0); the calibration 100 pixels = 50 mm.
  const ExperimentParameters p{.SessionLength = 10, .NumberOfSessions = 2, .InitialDelay = 0, .MaximumDistance = 60,
                               .AmbulatoryThreshold = 10, .StereotypicThreshold = 3, .MeasurementUnits = 1,
                               .CalibrateScale = 100, .SampleRate = 1, .DataFile = {}, .SaveData = false,
                               .MapFile = {}, .CalibrateReference = 50, .UnitsPerPixel = {}};
  ASSERT_TRUE(WriteDataFile(run, p));
  EXPECT_EQ(test::ReadBytes(run.DataFile), data);

  RunJournal journal{.DataFile = "/data/RUN.DAT", .StartTime = {2026, 3, 2, 9, 30, 0, 250}, .Parameters = p,
                      .Map = ZoneMap::FourQuadrants()};
  ASSERT_TRUE(WriteRunJournal(dir.File("RUN.JOURNAL"), journal));
  EXPECT_EQ(test::ReadBytes(dir.File("RUN.JOURNAL")), Golden("run.JOURNAL"));
  RunJournal back;  // a journal an earlier run left is still recovered from
  ASSERT_TRUE(ReadRunJournal(test::DataPath("golden/run.JOURNAL"), back));
  EXPECT_EQ(back.Map, journal.Map);
}

TEST(DataFileEncoding, SampleWordsAndTheStartTimeOffsetWithoutTimeZones) {
  EXPECT_EQ(EncodeSample(10, 200), 51210);
  EXPECT_EQ(DecodeSample(-14326), (PositionSample{10, 200}));
  EXPECT_EQ(EncodeSample(300, -4), 255);       // X limited to 255, Y to 0
  EXPECT_EQ(DecodeSample(-1), (PositionSample{255, 255}));
  EXPECT_TRUE(IsLostSample(192) && !IsLostSample(191));
  EXPECT_EQ(DateToFileSeconds(LocalDateTime{2000, 1, 1, 0, 0, 0, 0}), 3155785200u);
  // Count 0 is 30 December 1899 17:00; times before it are stored as 0.
  EXPECT_EQ(FormatStartTime(FileSecondsToDate(0)), "Sat Dec 30 17:00:00 1899");
  EXPECT_EQ(DateToFileSeconds(LocalDateTime{1899, 12, 30, 16, 59, 59, 0}), 0u);
  // Half a second rounds up; a leap day and the largest count survive the trip.
  EXPECT_EQ(DateToFileSeconds(LocalDateTime{2000, 1, 1, 0, 0, 0, 500}), 3155785201u);
  const LocalDateTime leap{2024, 2, 29, 23, 59, 58, 0};
  EXPECT_EQ(FormatStartTime(FileSecondsToDate(DateToFileSeconds(leap))), "Thu Feb 29 23:59:58 2024");
  EXPECT_EQ(FormatIsoTime(FileSecondsToDate(4294967295u)), "2036-02-05 23:28:15");
}

TEST(DataFileChecks, OnlyWholeVersionThreeFilesPassAndTheVersionComesFromTheTag) {
  test::TempDir dir;
  const std::string path = dir.File("X.DAT");
  DataFileBuilder b;
  b.Add(1, 2);
  auto check = [&](const std::string& bytes) {
    test::WriteBytes(path, bytes);
    return CheckDataFile(path);
  };
  const struct { std::uint16_t tag; int version; DataFileProblem problem; } tags[] = {
      {0xAAFD, 3, DataFileProblem::None}, {0xAAFE, 2, DataFileProblem::WrongTag},
      {0xAAFC, 4, DataFileProblem::WrongTag}, {0x0000, 0, DataFileProblem::WrongTag}};
  for (const auto& t : tags) {
    DataFileBuilder other = b;
    other.tag = t.tag;
    EXPECT_EQ(check(other.Bytes()), t.problem) << t.tag;
    EXPECT_EQ(DataFileVersion(path), t.version) << t.tag;
  }
  EXPECT_EQ(check(b.Header().substr(0, 37)), DataFileProblem::TooShort);
  EXPECT_EQ(check("\xFD"), DataFileProblem::TooShort);
  EXPECT_EQ(DataFileVersion(path), 0);
  EXPECT_EQ(CheckDataFile(dir.File("NONE.DAT")), DataFileProblem::Missing);
  const std::string fifo = dir.File("PIPE.DAT");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(CheckDataFile(fifo), DataFileProblem::NotRegularFile);  // and does not hang
  EXPECT_EQ(DataFileVersion(fifo), 0);
}

TEST(DataFileWriting, RunBuildsHeaderAndSamplesThenDeletesTheRawFileButKeepsAnUnreadableOne) {
  test::TempDir dir;
  // The session length is stored as 12 (read back as 60), the delay that does not fit as 65535 and
  // the thresholds tied to even: 50 and 4.
  FinishedRun run{.DataFile = dir.File("RUN.DAT"), .Start = {2000, 1, 1, 0, 0, 0, 0}, .SessionLength = 62,
                  .VideoType = kVideoPal, .SampleRate = 25};
  const ExperimentParameters p{.NumberOfSessions = 3, .InitialDelay = 90000, .MaximumDistance = 50.5f,
                               .AmbulatoryThreshold = 3.5f, .StereotypicThreshold = 2.4f, .MeasurementUnits = 2,
                               .CalibrateScale = 200, .DataFile = {}, .MapFile = {}, .CalibrateReference = 12,
                               .UnitsPerPixel = {}};
  const std::string raw = std::string("\x0A\xC8\x01\x02", 4) + "x";  // two samples and half a one
  test::WriteBytes(dir.File("RUN.RAW"), raw);
  ASSERT_TRUE(WriteDataFile(run, p));
  EXPECT_FALSE(test::PathExists(dir.File("RUN.RAW")));
  const std::string bytes = test::ReadBytes(run.DataFile);
  DataFileHeader h;
  ASSERT_TRUE(ParseHeader(bytes, h));
  EXPECT_EQ(FormatStartTime(FileSecondsToDate(h.StartTime)), "Sat Jan 01 00:00:00 2000");
  EXPECT_EQ(h.SampleCount, 2u);
  const ParameterBlock& b = h.Block;
  EXPECT_EQ(std::vector<int>({b.SessionLength, b.NumberOfSessions, b.InitialDelay, b.MaximumDistance,
                              b.AmbulatoryThreshold, b.StereotypicThreshold, b.MeasurementUnits,
                              b.CalibrateScale, b.CalibrateReference, b.SampleRateCode}),
            std::vector<int>({12, 3, 65535, 50, 4, 2, 1, 200, 12, 2}));
  EXPECT_EQ(bytes.substr(38), raw.substr(0, 4));  // the half sample is left out
  DataFileInfo info;
  ASSERT_TRUE(LoadDataFileInfo(run.DataFile, info));
  EXPECT_FLOAT_EQ(info.UnitsPerPixel.Value, 0.06f);

  // SECAM runs at 25 per second like PAL, and its file must say so to be read back at 25. The raw
  // file went with the first run, so these runs are empty ones.
  for (const auto& [video, stored, rate] : {std::tuple{kVideoSecam, 1, 25}, {kVideoNtsc, 0, 30}}) {
    run.VideoType = video;
    ASSERT_TRUE(WriteDataFile(run, p));
    ASSERT_TRUE(LoadDataFileInfo(run.DataFile, info));
    EXPECT_EQ(info.VideoType, stored) << video;
    EXPECT_EQ(info.SampleRate, rate) << video;
  }
  EXPECT_EQ(test::ReadBytes(run.DataFile).size(), 38u);

  // A raw "file" that cannot be read as one: nothing replaces the old data file.
  run.DataFile = dir.File("BAD.DAT");
  test::WriteBytes(run.DataFile, "old");
  ASSERT_EQ(::mkdir(dir.File("BAD.RAW").c_str(), 0700), 0);
  EXPECT_FALSE(WriteDataFile(run, p));
  EXPECT_EQ(test::ReadBytes(run.DataFile), "old");
}

TEST(DataFileReading, BlockReaderCarriesOddBytesAcrossReads) {
  test::TempDir dir;
  std::string bytes;
  for (int i = 0; i < 1001; ++i) bytes += static_cast<char>(i * 7);
  test::WriteBytes(dir.File("S"), bytes);  // 500 words and half of one
  SampleFile file;
  ASSERT_TRUE(file.Open(dir.File("S")));
  SampleBlockReader reader(file, 7);  // odd piece sizes force carries
  std::vector<std::uint16_t> words;
  for (auto block = reader.Next(); !block.empty(); block = reader.Next()) words.insert(words.end(), block.begin(), block.end());
  ASSERT_EQ(words.size(), 500u);
  EXPECT_FALSE(reader.Failed());
  // Byte k is 7k (mod 256); word i is bytes 2i (low) and 2i + 1 (high).
  for (std::size_t i = 0; i < words.size(); ++i) {
    ASSERT_EQ(words[i], (14 * i % 256) | ((14 * i + 7) % 256) << 8) << i;
  }
  EXPECT_FALSE(file.Open(dir.Path()));  // directories are refused
}

}  // namespace
}  // namespace tlx
