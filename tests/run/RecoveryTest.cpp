#include "RunRig.h"

#include "data/DataFile.h"
#include "run/RunRecovery.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sys/wait.h>
#include <unistd.h>

namespace tlx::test {
namespace {

constexpr std::uint32_t kSeed = 11;
// The clock starts past the middle of a second, so that a start time that lost its milliseconds
// would be stored one second early.
constexpr LocalDateTime kStart{2026, 3, 2, 9, 0, 0, 700};

void SetUpLongRun(RunRig& rig, const std::string& name) {
  rig.params.SessionLength = 60;
  rig.params.NumberOfSessions = 1;
  rig.params.DataFile = rig.settings.DataDir + "/" + name;
}

// Runs 7.5 s of a run into `name` in a child process that then dies without cleaning up
// anything, as a crash or a power cut would leave it. Returns the samples the recorder had
// written out.
long CrashMidRun(const std::string& dir, const std::string& name = "RAT1.DAT") {
  const pid_t pid = fork();
  if (pid == 0) {
    RunRig rig(dir, kSeed, kStart);
    SetUpLongRun(rig, name);
    if (!rig.MenuAndStart()) _exit(2);
    if (rig.Run().State().StartTime.millisecond < 500) _exit(4);
    rig.clock.RunFor(7500);
    const std::int64_t written = rig.Run().Recorder().SamplesWritten();
    // At most the last second of samples may still have been on its way to the file.
    if (rig.Run().SamplesCounted() - written > 30) _exit(3);
    WriteBytes(dir + "/written", std::to_string(written));
    _exit(0);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
  return std::atol(ReadBytes(dir + "/written").c_str());
}

// The id of a process that has ended.
long EndedProcess() {
  const pid_t pid = fork();
  if (pid == 0) _exit(0);
  waitpid(pid, nullptr, 0);
  return pid;
}

TEST(CrashRecovery, InterruptedRunBecomesTheDataFileAnUninterruptedRunWouldHaveBegun) {
  TempDir crashDir, referenceDir;
  const long written = CrashMidRun(crashDir.Path());
  ASSERT_GT(written, 150);
  EXPECT_EQ(static_cast<long>(ReadBytes(crashDir.File("RAT1.RAW")).size()), 2 * written);

  // The same run, not interrupted: the recovered file must be its beginning, sample for sample,
  // with the same start time to the second.
  RunRig reference(referenceDir.Path(), kSeed, kStart);
  SetUpLongRun(reference, "RAT1.DAT");
  ASSERT_TRUE(reference.MenuAndStart());
  ASSERT_TRUE(reference.RunUntilIdle(120000));
  const DataFileBytes whole(referenceDir.File("RAT1.DAT"));

  ScriptedAnswers answers;
  const std::vector<RecoveryReport> reports = OfferRunRecoveries(crashDir.Path(), answers);
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].Result, RecoveryResult::Recovered);
  EXPECT_EQ(reports[0].DataFile, crashDir.File("RAT1.DAT"));
  const DataFileBytes recovered(crashDir.File("RAT1.DAT"));
  ASSERT_EQ(static_cast<long>(recovered.Samples()), written);
  EXPECT_EQ(recovered.SampleBytes(), whole.SampleBytes().substr(0, 2 * written));
  EXPECT_EQ(recovered.Long(8), whole.Long(8));                   // start time
  EXPECT_EQ(recovered.bytes.substr(0, 14), whole.bytes.substr(0, 14));
  EXPECT_EQ(recovered.Long(14), static_cast<std::uint32_t>(written));
  EXPECT_EQ(recovered.bytes.substr(18, 20), whole.bytes.substr(18, 20));  // the parameters
  EXPECT_TRUE(PathExists(crashDir.File("RAT1.PRN")));
  EXPECT_TRUE(PathExists(crashDir.File("RAT1.MAP")));
  EXPECT_FALSE(PathExists(crashDir.File("RAT1.RAW")));
  EXPECT_TRUE(FindRunJournals(crashDir.Path()).empty());
  // Nothing is offered a second time.
  EXPECT_TRUE(OfferRunRecoveries(crashDir.Path(), answers).empty());
}

TEST(CrashRecovery, EveryInterruptedRecordingWaitsForItsOwnOffer) {
  TempDir dir;
  ASSERT_GT(CrashMidRun(dir.Path(), "RAT1.DAT"), 0);
  ASSERT_GT(CrashMidRun(dir.Path(), "RAT2.DAT"), 0);
  ASSERT_EQ(FindRunJournals(dir.Path()).size(), 2u);
  const std::string raw2 = ReadBytes(dir.File("RAT2.RAW"));

  // The first is declined: its raw file stays, its journal goes; the second is still offered.
  WatchingAnswers answers;
  answers.QueueAnswer(MsgAnswer::No);
  const std::vector<RecoveryReport> reports = OfferRunRecoveries(dir.Path(), answers);
  ASSERT_EQ(reports.size(), 2u);
  EXPECT_EQ(reports[0].Result, RecoveryResult::Declined);
  EXPECT_EQ(reports[1].Result, RecoveryResult::Recovered);
  EXPECT_TRUE(PathExists(dir.File("RAT1.RAW")));
  EXPECT_FALSE(PathExists(dir.File("RAT1.DAT")));
  EXPECT_EQ(DataFileBytes(dir.File("RAT2.DAT")).SampleBytes(), raw2);
  EXPECT_EQ(answers.Count("Recover Experiment Data"), 3);  // two offers, one result
  EXPECT_TRUE(FindRunJournals(dir.Path()).empty());
}

TEST(CrashRecovery, ACrashAfterTheDataFileWasBuiltGetsItsMapAndResultsAndLosesItsTemporaries) {
  TempDir dir;
  ASSERT_GT(CrashMidRun(dir.Path()), 0);
  RunJournal journal;
  ASSERT_TRUE(ReadRunJournal(FindRunJournals(dir.Path()).at(0), journal));
  // The run ended as far as its data file (the raw file is gone) and died writing its map; the
  // map and results of an earlier run of that name are still there.
  FinishedRun run{journal.DataFile, journal.StartTime, journal.Parameters.SessionLength,
                  journal.VideoType, journal.Parameters.SampleRate};
  ASSERT_TRUE(WriteDataFile(run, journal.Parameters));
  ASSERT_FALSE(PathExists(dir.File("RAT1.RAW")));
  const std::string data = ReadBytes(dir.File("RAT1.DAT"));
  WriteBytes(dir.File("RAT1.PRN"), "results of an earlier run");
  const std::string deadTemp = dir.File("RAT1.MAP.tmp~" + std::to_string(EndedProcess()) + "-1f");
  const std::string liveTemp = dir.File("RAT1.DAT.tmp~" + std::to_string(getpid()) + "-2e");
  WriteBytes(deadTemp, "half a map");
  WriteBytes(liveTemp, "a writer still at work");

  ScriptedAnswers answers;
  RunFilesOutcome outcome;
  ASSERT_EQ(OfferRunRecovery(FindRunJournals(dir.Path()).at(0), answers, &outcome),
            RecoveryResult::Recovered);
  EXPECT_EQ(answers.Messages().size(), 1u);  // nothing to ask: only the result is told
  EXPECT_EQ(ReadBytes(dir.File("RAT1.DAT")), data);
  EXPECT_EQ(ReadBytes(dir.File("RAT1.MAP")).size(), 770u);
  const std::string prn = ReadBytes(dir.File("RAT1.PRN"));
  EXPECT_NE(prn.find(dir.File("RAT1.MAP")), std::string::npos);
  EXPECT_FALSE(PathExists(deadTemp));
  EXPECT_TRUE(PathExists(liveTemp));
  EXPECT_TRUE(FindRunJournals(dir.Path()).empty());
}

TEST(CrashRecovery, AMapThatCannotBeWrittenKeepsTheJournalUntilItCan) {
  TempDir dir;
  ASSERT_GT(CrashMidRun(dir.Path()), 0);
  std::filesystem::create_directory(dir.File("RAT1.MAP"));
  ScriptedAnswers answers;
  std::vector<RecoveryReport> reports = OfferRunRecoveries(dir.Path(), answers);
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].Result, RecoveryResult::Failed);
  EXPECT_TRUE(PathExists(dir.File("RAT1.DAT")));
  EXPECT_NE(answers.Messages().back().text.find(dir.File("RAT1.MAP") + " could not be written"),
            std::string::npos);
  EXPECT_NE(RecoveryReportText(reports[0]).find("its data file is kept"), std::string::npos);

  std::filesystem::remove(dir.File("RAT1.MAP"));
  reports = OfferRunRecoveries(dir.Path(), answers);
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].Result, RecoveryResult::Recovered);
  EXPECT_EQ(ReadBytes(dir.File("RAT1.MAP")).size(), 770u);
}

}  // namespace
}  // namespace tlx::test
