#include "run/RawRecorder.h"
#include "run/RunJournal.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <unistd.h>

namespace tlx {
namespace {

using test::ReadBytes;
using test::TempDir;

TEST(RawRecorder, SamplesReachTheFileWhenFlushedAndCoordinatesAreLimited) {
  TempDir dir;
  RawRecorder r;
  ASSERT_TRUE(r.Open(dir.File("RUN.RAW")));
  r.Append(10, 200);
  r.Append(300, -4);
  EXPECT_EQ(ReadBytes(dir.File("RUN.RAW")), "");  // still buffered
  ASSERT_TRUE(r.Flush(true));
  EXPECT_EQ(ReadBytes(dir.File("RUN.RAW")), std::string("\x0A\xC8\xFF\x00", 4));
  EXPECT_EQ(r.SamplesWritten(), 2);
  EXPECT_TRUE(r.Close());
}

TEST(RawRecorder, ReopeningStartsANewFile) {
  TempDir dir;
  RawRecorder r;
  ASSERT_TRUE(r.Open(dir.File("RUN.RAW")));
  for (int i = 0; i < 5000; ++i) r.Append(i % 256, 1);  // more than the buffer holds
  EXPECT_GE(ReadBytes(dir.File("RUN.RAW")).size(), 4096u);
  ASSERT_TRUE(r.Open(dir.File("RUN.RAW")));
  r.Close();
  EXPECT_EQ(ReadBytes(dir.File("RUN.RAW")), "");
  EXPECT_FALSE(r.Open(dir.File("missing/RUN.RAW")));
}

TEST(RawRecorder, AFullDiskKeepsEveryWholeSampleWrittenBefore) {
  TempDir dir;
  RawRecorder r;
  ASSERT_TRUE(r.Open(dir.File("RUN.RAW")));
  long room = 7;  // the disk takes seven more bytes: three samples and half of one
  r.SetWriteFunction([&room](int fd, const char* bytes, std::size_t count) -> long {
    if (room <= 0) {
      errno = ENOSPC;
      return -1;
    }
    const long n = ::write(fd, bytes, std::min<long>(room, static_cast<long>(count)));
    room -= n;
    return n;
  });
  for (int i = 0; i < 5; ++i) r.Append(i, i);
  EXPECT_FALSE(r.Flush(false));
  EXPECT_TRUE(r.Failed());
  EXPECT_FALSE(r.Append(9, 9));  // nothing more is taken once writing failed
  EXPECT_FALSE(r.Close());
  EXPECT_EQ(ReadBytes(dir.File("RUN.RAW")), std::string("\0\0\1\1\2\2", 6));
}

RunJournal SampleJournal() {
  RunJournal j;
  j.DataFile = "/data/with blank/RAT 1.DAT";
  j.StartTime = {2026, 12, 6, 13, 5, 9, 0};
  j.Parameters.SessionLength = 600;
  j.Parameters.NumberOfSessions = 3;
  j.Parameters.InitialDelay = 70000;
  j.Parameters.MaximumDistance = 120.5f;
  j.Parameters.AmbulatoryThreshold = 40;
  j.Parameters.StereotypicThreshold = 8;
  j.Parameters.MeasurementUnits = 5;
  j.Parameters.CalibrateScale = 200;
  j.Parameters.CalibrateReference = 0.1f;
  j.Parameters.SampleRate = 25;
  j.VideoType = 1;
  j.DelayType = 1;
  j.Map = ZoneMap::FourQuadrants();
  j.Map.Set(0, 0, '"');
  j.Map.Set(23, 31, '\n');
  return j;
}

TEST(RunJournal, WrittenAndReadBackWithEveryHeaderValue) {
  TempDir dir;
  const std::string path = RunJournalPath(dir.Path());
  const RunJournal j = SampleJournal();
  ASSERT_TRUE(WriteRunJournal(path, j));
  RunJournal back;
  ASSERT_TRUE(ReadRunJournal(path, back));
  EXPECT_EQ(back.DataFile, j.DataFile);
  EXPECT_EQ(DateTimeText(back.StartTime), "2026-12-06 13:05:09");
  EXPECT_EQ(back.Parameters.InitialDelay, 70000);
  EXPECT_FLOAT_EQ(back.Parameters.MaximumDistance, 120.5f);
  EXPECT_FLOAT_EQ(back.Parameters.CalibrateReference, 0.1f);
  EXPECT_EQ(back.Parameters.MeasurementUnits, 5);
  EXPECT_EQ(back.Parameters.SampleRate, 25);
  EXPECT_TRUE(back.Parameters.SaveData);
  EXPECT_EQ(back.VideoType, 1);
  EXPECT_EQ(back.DelayType, 1);
  EXPECT_EQ(back.Map, j.Map);
  EXPECT_TRUE(RemoveRunJournal(path));
  EXPECT_FALSE(ReadRunJournal(path, back));
}

TEST(RunJournal, DamagedJournalsAreRefusedOrReadForWhatTheyHold) {
  TempDir dir;
  const std::string path = dir.File("RUN.JOURNAL");
  RunJournal j;
  test::WriteBytes(path, std::string("\0\xFF garbage = \r\n\n = \r", 19));
  EXPECT_FALSE(ReadRunJournal(path, j));  // no data file, no start time
  test::WriteBytes(path, "Data File = /d/A.DAT\r\nStart Time = 2026-02-30 10:00:00\r\n");
  EXPECT_FALSE(ReadRunJournal(path, j));  // impossible date
  test::WriteBytes(path,
                   "Data File = /d/A.DAT\nStart Time = 2026-02-28 10:00:00\nSample Rate = x5\n"
                   "Session Length = 20\nZone Map = 4G\n");
  ASSERT_TRUE(ReadRunJournal(path, j));
  EXPECT_EQ(j.Parameters.SessionLength, 20);
  EXPECT_EQ(j.Parameters.SampleRate, 0);          // damaged number: left at its default
  EXPECT_EQ(j.Map, ZoneMap::FourQuadrants());      // damaged map: the built-in one
  RunJournal withBreak = SampleJournal();
  withBreak.DataFile = "/d/A\n.DAT";
  EXPECT_FALSE(WriteRunJournal(path, withBreak));
}

}  // namespace
}  // namespace tlx
