#include "RunRig.h"

#include "run/RunRecovery.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/wait.h>
#include <unistd.h>

namespace tlx::test {
namespace {

constexpr std::uint32_t kSeed = 11;

void SetUpLongRun(RunRig& rig) {
  rig.params.SessionLength = 60;
  rig.params.NumberOfSessions = 1;
}

// Runs 7.5 s of a run in a child process that then dies without cleaning up anything, as a
// crash or a power cut would leave it. Returns the samples the recorder had written out.
long CrashMidRun(const std::string& dir) {
  const pid_t pid = fork();
  if (pid == 0) {
    RunRig rig(dir, kSeed);
    SetUpLongRun(rig);
    if (!rig.MenuAndStart()) _exit(2);
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

TEST(CrashRecovery, InterruptedRunBecomesADataFileWithNoRecordedSampleLost) {
  TempDir crashDir, referenceDir;
  const long written = CrashMidRun(crashDir.Path());
  ASSERT_GT(written, 150);
  EXPECT_EQ(static_cast<long>(ReadBytes(crashDir.File("RAT1.RAW")).size()), 2 * written);

  // The same run, not interrupted: the recovered file must be its beginning, sample for sample.
  RunRig reference(referenceDir.Path(), kSeed);
  SetUpLongRun(reference);
  ASSERT_TRUE(reference.MenuAndStart());
  ASSERT_TRUE(reference.RunUntilIdle(120000));
  const DataFileBytes whole(referenceDir.File("RAT1.DAT"));

  ScriptedAnswers answers;
  RunFilesOutcome outcome;
  ASSERT_EQ(OfferRunRecovery(RunJournalPath(crashDir.Path()), answers, &outcome),
            RecoveryResult::Recovered);
  const DataFileBytes recovered(crashDir.File("RAT1.DAT"));
  ASSERT_EQ(static_cast<long>(recovered.Samples()), written);
  EXPECT_EQ(recovered.SampleBytes(), whole.SampleBytes().substr(0, 2 * written));
  EXPECT_EQ(recovered.bytes.substr(0, 14), whole.bytes.substr(0, 14));  // tag .. start time, video
  EXPECT_EQ(recovered.Long(14), static_cast<std::uint32_t>(written));
  EXPECT_EQ(recovered.bytes.substr(18, 20), whole.bytes.substr(18, 20));  // the parameters
  EXPECT_TRUE(PathExists(crashDir.File("RAT1.PRN")));
  EXPECT_FALSE(PathExists(crashDir.File("RAT1.RAW")));
  EXPECT_FALSE(PathExists(RunJournalPath(crashDir.Path())));
  // Nothing is offered a second time.
  EXPECT_EQ(OfferRunRecovery(RunJournalPath(crashDir.Path()), answers), RecoveryResult::NoJournal);
}

TEST(CrashRecovery, DecliningKeepsTheRawFileAndForgetsTheJournal) {
  TempDir dir;
  ASSERT_GT(CrashMidRun(dir.Path()), 0);
  const std::string raw = ReadBytes(dir.File("RAT1.RAW"));
  ScriptedAnswers answers;
  answers.QueueAnswer(MsgAnswer::No);
  EXPECT_EQ(OfferRunRecovery(RunJournalPath(dir.Path()), answers), RecoveryResult::Declined);
  EXPECT_EQ(ReadBytes(dir.File("RAT1.RAW")), raw);
  EXPECT_FALSE(PathExists(RunJournalPath(dir.Path())));

  EXPECT_EQ(answers.Messages().size(), 1u);  // only the first question was asked
}

}  // namespace
}  // namespace tlx::test
