#include "RunRig.h"
#include "common/AtomicFile.h"

#include <gtest/gtest.h>

namespace tlx::test {
namespace {

TEST(RawRecorder, SamplesReachTheFileWhenFlushedAndAFullDiskKeepsEveryWholeSample) {
  TempDir dir;
  RawRecorder r;
  EXPECT_FALSE(r.Open(dir.File("missing/RUN.RAW")));
  ASSERT_TRUE(r.Open(dir.File("RUN.RAW")));
  r.Append(10, 200);
  r.Append(300, -4);  // coordinates are limited to a byte each
  EXPECT_EQ(ReadBytes(dir.File("RUN.RAW")), "");  // still buffered
  ASSERT_TRUE(r.Flush(true));
  const std::string flushed("\x0A\xC8\xFF\x00", 4);
  EXPECT_EQ(ReadBytes(dir.File("RUN.RAW")), flushed);
  EXPECT_TRUE(r.Close());

  ASSERT_TRUE(r.Open(dir.File("MORE.RAW")));
  r.SetWriteFunction(DiskWithRoom(7));  // three samples and half of one
  for (int i = 0; i < 5; ++i) r.Append(i, i);
  EXPECT_FALSE(r.Flush(false));
  EXPECT_FALSE(r.Append(9, 9));  // nothing more is taken once writing failed
  EXPECT_FALSE(r.Close());
  EXPECT_EQ(ReadBytes(dir.File("MORE.RAW")), std::string("\0\0\1\1\2\2", 6));
}

TEST(RunJournal, EveryHeaderValueComesBackAndDamageIsSurvived) {
  TempDir dir;
  const std::string path = dir.File("RUN.JOURNAL");
  RunJournal j;
  j.DataFile = "/data/with blank/RAT 1.DAT";
  j.StartTime = {2026, 12, 6, 13, 5, 9, 0};
  j.Parameters.SessionLength = 600;
  j.Parameters.NumberOfSessions = 2;
  j.Parameters.CalibrateScale = 100;
  j.Parameters.CalibrateReference = 30;
  j.Parameters.InitialDelay = 70000;
  j.Parameters.MaximumDistance = 120.5f;
  j.Parameters.SampleRate = 25;
  j.VideoType = 1;
  j.Map.Set(0, 0, '"');
  j.Map.Set(23, 31, '\n');
  ASSERT_TRUE(WriteRunJournal(path, j));
  RunJournal back;
  ASSERT_TRUE(ReadRunJournal(path, back));
  EXPECT_EQ(back.DataFile, j.DataFile);
  EXPECT_EQ(DateTimeText(back.StartTime), "2026-12-06 13:05:09");
  EXPECT_EQ(back.Parameters.InitialDelay, 70000);
  EXPECT_FLOAT_EQ(back.Parameters.MaximumDistance, 120.5f);
  EXPECT_EQ(back.Parameters.SampleRate, 25);
  EXPECT_EQ(back.VideoType, 1);
  EXPECT_EQ(back.Map, j.Map);

  EXPECT_FALSE(ParseRunJournal(std::string("\0\xFF garbage = \r\n\n = \r", 19), back));
  EXPECT_FALSE(ParseRunJournal("Data File = /d/A.DAT\nStart Time = 2026-02-30 10:00:00\n", back));
  // Cut short anywhere before its end, or with a damaged number, a journal is not recovered
  // from (with guessed values it would describe another run).
  std::string whole;
  ASSERT_TRUE(ReadWholeFile(path, whole, 1 << 16));
  for (std::size_t cut = 0; cut + 2 < whole.size(); cut += 5)
    EXPECT_FALSE(ParseRunJournal(whole.substr(0, cut), back)) << cut;
  std::string damaged = whole;
  damaged.replace(damaged.find("Sample Rate = 25"), 16, "Sample Rate = x5");
  EXPECT_FALSE(ParseRunJournal(damaged, back));
  j.DataFile = "/d/A\n.DAT";
  EXPECT_FALSE(WriteRunJournal(path, j));
}

}  // namespace
}  // namespace tlx::test
