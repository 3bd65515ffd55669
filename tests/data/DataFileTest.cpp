// The data file's bytes: sample words, the start-time encoding, the header, the checks that refuse
// anything but a version-3 file with a whole header, and building a data file from a run's raw file.
#include "data/DataFile.h"
#include "data/SampleReader.h"
#include "DataFileBuilder.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace tlx {
namespace {

using test::DataFileBuilder;

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
