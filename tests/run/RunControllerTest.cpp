#include "RunRig.h"

#include "run/RunTexts.h"

#include <gtest/gtest.h>

namespace tlx {
namespace {

using test::DataFileBytes;
using test::PathExists;
using test::RunRig;
using test::TempDir;

struct RateCase {
  int rate;
  bool pal;
  unsigned rateCode;
};

class RunAtEachRate : public ::testing::TestWithParam<RateCase> {};

TEST_P(RunAtEachRate, DataFileHoldsSessionsTimesLengthTimesRateSamples) {
  const RateCase c = GetParam();
  TempDir dir;
  RunRig rig(dir.Path());
  if (c.pal) rig.UsePal();
  rig.params.SampleRate = static_cast<std::int16_t>(c.rate);
  ASSERT_TRUE(rig.MenuAndStart());
  EXPECT_TRUE(rig.Run().State().Running);
  ASSERT_TRUE(rig.RunUntilIdle(60000));

  const RunState& s = rig.Run().State();
  EXPECT_TRUE(s.Finished);
  EXPECT_FALSE(s.Stopped);
  EXPECT_FALSE(s.StartConfirmed);
  EXPECT_EQ(RunStatusText(s), "Finished");
  EXPECT_EQ(rig.display.Labels().CurrSess, " 2 of 2 ");

  const DataFileBytes dat(dir.File("RAT1.DAT"));
  const std::size_t expected = 2u * 10u * static_cast<unsigned>(c.rate);
  ASSERT_EQ(dat.Samples(), expected);
  EXPECT_EQ(dat.Word(0), 0xAAFDu);
  EXPECT_EQ(dat.Word(12), c.pal ? 1u : 0u);  // video type
  EXPECT_EQ(dat.Long(14), expected);         // sample count
  EXPECT_EQ(dat.Word(18), 2u);               // session length / 5
  EXPECT_EQ(dat.Word(20), 2u);               // sessions
  EXPECT_EQ(dat.Word(30), 1u);               // units code - 1
  EXPECT_EQ(dat.Word(36), c.rateCode);
  EXPECT_FALSE(PathExists(dir.File("RAT1.RAW")));
  EXPECT_TRUE(PathExists(dir.File("RAT1.MAP")));
  EXPECT_TRUE(PathExists(dir.File("RAT1.PRN")));
  EXPECT_FALSE(PathExists(rig.journalPath));  // a clean end forgets the journal

  // Missed samples are exactly the samples without an object in the file.
  std::int32_t lost = 0;
  for (std::size_t i = 0; i < dat.Samples(); ++i) lost += dat.SampleY(i) == 255;
  EXPECT_EQ(s.MissedSamples, lost);
  EXPECT_EQ(rig.display.Labels().MissedSamples, std::to_string(lost) + " ");

  ASSERT_EQ(rig.answers.Count("Experiment Status"), 1);
  EXPECT_EQ(rig.answers.Messages().back().text, "The experiment\r\nhas finished.");
}

INSTANTIATE_TEST_SUITE_P(Rates, RunAtEachRate,
                         ::testing::Values(RateCase{1, false, 0}, RateCase{5, false, 1},
                                           RateCase{25, true, 2}, RateCase{30, false, 2}));

TEST(RunController, MissedSamplesAreCountedAndTheSessionClockCountsThemToo) {
  TempDir dir;
  RunRig rig(dir.Path(), 3);
  rig.params.SessionLength = 300;
  rig.params.NumberOfSessions = 1;
  ASSERT_TRUE(rig.MenuAndStart());
  ASSERT_TRUE(rig.RunUntilIdle(400000));
  const DataFileBytes dat(dir.File("RAT1.DAT"));
  EXPECT_EQ(dat.Samples(), 9000u);
  EXPECT_GT(rig.Run().State().MissedSamples, 0);  // the simulated animal is lost now and then
}

TEST(RunController, StopConfirmedByTheUserWritesTheDataFileAndResults) {
  TempDir dir;
  RunRig rig(dir.Path());
  rig.params.SessionLength = 600;
  ASSERT_TRUE(rig.MenuAndStart());
  rig.clock.RunFor(4000);
  rig.answers.QueueAnswer(MsgAnswer::Cancel);  // first thoughts: carry on
  rig.Run().StopButton();
  EXPECT_TRUE(rig.Run().State().Running);
  rig.clock.RunFor(2000);
  rig.answers.QueueAnswer(MsgAnswer::Ok);
  rig.Run().StopButton();

  const RunState& s = rig.Run().State();
  EXPECT_FALSE(rig.Run().IsRunBusy());
  EXPECT_TRUE(s.Stopped);
  EXPECT_EQ(rig.display.Labels().ExptStat, "Stopped ");
  EXPECT_EQ(rig.answers.Count("Confirm Stop Experiment"), 2);
  EXPECT_EQ(rig.answers.Messages().back().text, "The experiment has\r\nbeen stopped.");
  const DataFileBytes dat(dir.File("RAT1.DAT"));
  EXPECT_EQ(static_cast<std::int64_t>(dat.Samples()), rig.Run().SamplesCounted());
  EXPECT_GT(dat.Samples(), 150u);
  EXPECT_LT(dat.Samples(), 190u);
  EXPECT_TRUE(PathExists(dir.File("RAT1.PRN")));

  // A new run clears Stopped again.
  ASSERT_TRUE(rig.MenuAndStart());
  EXPECT_EQ(RunStatusText(rig.Run().State()), "Running");
}

TEST(RunController, DelayCountsDownOncePerSecondThenStarts) {
  TempDir dir;
  RunRig rig(dir.Path());
  rig.params.InitialDelay = 5;
  ASSERT_TRUE(rig.MenuAndStart());
  const RunState& s = rig.Run().State();
  EXPECT_TRUE(s.Armed);
  EXPECT_FALSE(s.Running);
  const std::int64_t armedAt = rig.clock.TickMs();
  ASSERT_TRUE(rig.clock.RunUntil([&] { return s.Running; }, 10000));
  const std::int64_t waited = rig.clock.TickMs() - armedAt;
  EXPECT_GE(waited, 4000);
  EXPECT_LE(waited, 6000);
  EXPECT_EQ(s.DelayRemaining, -1);
  const std::vector<std::string> expected = {"00:00:05 ", "00:00:04 ", "00:00:03 ",
                                             "00:00:02 ", "00:00:01 ", "00:00:00 ", " "};
  std::vector<std::string> seen(rig.labels.delays.end() - 7, rig.labels.delays.end());
  EXPECT_EQ(seen, expected);

  // Start while armed does nothing: no question, the countdown goes on.
  rig.Run().StopButton();  // (answered OK by the script's fallback)
  rig.params.InitialDelay = 5;
  rig.answers.ClearRecord();
  rig.Run().StartButton();
  ASSERT_TRUE(s.Armed);
  rig.clock.RunFor(2000);
  const std::int32_t remaining = s.DelayRemaining;
  rig.Run().StartButton();
  EXPECT_TRUE(s.Armed);
  EXPECT_EQ(s.DelayRemaining, remaining);
  EXPECT_EQ(rig.answers.Count("Confirm Overwrite Existing Data"), 1);  // asked by the first Start only
}

TEST(RunController, StoppedWhileArmedWritesNothing) {
  TempDir dir;
  RunRig rig(dir.Path());
  rig.params.InitialDelay = 30;
  test::WriteBytes(dir.File("RAT1.DAT"), "an earlier run");
  ASSERT_TRUE(rig.MenuAndStart());
  rig.clock.RunFor(3000);
  rig.Run().StopButton();
  EXPECT_TRUE(rig.Run().State().Stopped);
  EXPECT_FALSE(rig.Run().IsRunBusy());
  EXPECT_EQ(test::ReadBytes(dir.File("RAT1.DAT")), "an earlier run");
}

TEST(RunController, TimeOfDayStartWaitsForTheClockNotForADelay) {
  TempDir dir;
  RunRig rig(dir.Path(), 7, {2026, 3, 2, 9, 0, 0, 0});
  rig.settings.DelayType = 1;
  rig.params.InitialDelay = 9 * 3600 + 20;  // 09:00:20
  ASSERT_TRUE(rig.MenuAndStart());
  const RunState& s = rig.Run().State();
  EXPECT_TRUE(s.Armed);
  EXPECT_LE(s.DelayRemaining, 20);  // seconds to wait, not the time of day
  ASSERT_TRUE(rig.clock.RunUntil([&] { return s.Running; }, 60000));
  EXPECT_EQ(s.StartTime.hour, 9);
  EXPECT_EQ(s.StartTime.minute, 0);
  EXPECT_EQ(s.StartTime.second, 20);
  EXPECT_TRUE(rig.RunUntilIdle(60000));
  EXPECT_EQ(DataFileBytes(dir.File("RAT1.DAT")).Samples(), 600u);

  // A time already passed today is the next day's.
  rig.params.InitialDelay = 8 * 3600;
  rig.Run().StartButton();
  EXPECT_TRUE(s.Armed);
  EXPECT_GT(s.DelayRemaining, 22 * 3600);
  rig.Run().StopButton();
}

TEST(RunController, TimeOfDayStartNeedsNoStartPressOnceConfirmed) {
  TempDir dir;
  RunRig rig(dir.Path(), 7, {2026, 3, 2, 23, 59, 50, 0});
  rig.settings.DelayType = 1;
  rig.params.InitialDelay = 5;  // 00:00:05, after midnight
  rig.commands.ResetAndInitialize(1);
  rig.Run().State().StartConfirmed = rig.Run().StartChecks(true);  // the start-up question
  ASSERT_EQ(rig.answers.Count("Confirm Overwrite"), 1);
  EXPECT_EQ(rig.answers.Messages().back().text,
            "When the experiment starts\r\nat 12:00:05 AM, the file : RAT1.DAT\r\nwill be "
            "overwritten.\r\n\r\nAre you sure you want to do this?\r\n");
  const RunState& s = rig.Run().State();
  ASSERT_TRUE(rig.clock.RunUntil([&] { return s.Running; }, 60000));
  EXPECT_EQ(s.StartTime.day, 3);
  EXPECT_EQ(s.StartTime.second, 5);
  EXPECT_EQ(rig.display.Panel(), DisplayPanel::Run);
}

TEST(RunController, TimeOfDayDeclinedForAUsedFileDoesNotOverwriteIt) {
  TempDir dir;
  RunRig rig(dir.Path(), 7, {2026, 3, 2, 9, 0, 0, 0});
  rig.settings.DelayType = 1;
  rig.params.InitialDelay = 9 * 3600 + 3;
  test::WriteBytes(dir.File("RAT1.DAT"), "kept");
  rig.answers.QueueAnswer(MsgAnswer::Cancel);  // the start-up question
  rig.answers.QueueAnswer(MsgAnswer::Cancel);  // the overwrite question when the time comes
  rig.Run().State().StartConfirmed = rig.Run().StartChecks(true);
  rig.clock.RunFor(10000);
  EXPECT_FALSE(rig.Run().State().Running);
  EXPECT_EQ(test::ReadBytes(dir.File("RAT1.DAT")), "kept");
}

TEST(RunController, OverwriteQuestionIsAskedOnceAndAgainForTheNextRun) {
  TempDir dir;
  RunRig rig(dir.Path());
  test::WriteBytes(dir.File("RAT1.RAW"), "");  // an empty raw file does not count as used
  ASSERT_TRUE(rig.MenuAndStart());
  EXPECT_EQ(rig.answers.Count("Confirm Overwrite Existing Data"), 0);
  ASSERT_TRUE(rig.RunUntilIdle(60000));
  rig.answers.ClearRecord();

  ASSERT_TRUE(rig.MenuAndStart());  // the file is used now
  ASSERT_EQ(rig.answers.Count("Confirm Overwrite Existing Data"), 1);
  EXPECT_EQ(rig.answers.Messages()[0].text,
            "The file \"RAT1.DAT\" has already\r\nbeen used in a previous experiment.\r\n\r\n"
            "Are you sure you want\r\nto overwrite it?");
  EXPECT_EQ(rig.answers.Count("Confirm Overwrite"), 0);
  ASSERT_TRUE(rig.RunUntilIdle(60000));

  rig.answers.ClearRecord();
  rig.answers.QueueAnswer(MsgAnswer::Cancel);
  EXPECT_FALSE(rig.Run().RunMenu());
  EXPECT_FALSE(rig.Run().State().StartConfirmed);
  EXPECT_EQ(rig.answers.Messages().size(), 1u);
}

TEST(RunController, WithoutSaveDataNoFileIsAskedForOrWritten) {
  TempDir dir;
  RunRig rig(dir.Path());
  rig.params.SaveData = false;
  ASSERT_TRUE(rig.MenuAndStart());
  EXPECT_EQ(rig.answers.Count("No Output File"), 0);  // the passed overwrite check confirmed
  ASSERT_TRUE(rig.RunUntilIdle(60000));
  EXPECT_TRUE(rig.Run().State().Finished);
  EXPECT_FALSE(PathExists(dir.File("RAT1.DAT")));
  EXPECT_FALSE(PathExists(dir.File("RAT1.RAW")));
}

TEST(RunController, FinishBoxAndSixFlashesOnTheUnitsOverlay) {
  TempDir dir;
  RunRig rig(dir.Path());
  rig.params.NumberOfSessions = 1;
  std::vector<std::string> rows;
  int togglesAtMessage = -1;
  rig.answers.onMessage = [&](const MessageRequest& m) {
    if (m.caption != "Experiment Status") return;
    for (int r = 7; r <= 15; ++r) rows.push_back(rig.unit.OverlayRow(r).substr(7, 16));
    togglesAtMessage = rig.unit.InversionToggles();
  };
  ASSERT_TRUE(rig.MenuAndStart());
  const int togglesBefore = rig.unit.InversionToggles();
  ASSERT_TRUE(rig.RunUntilIdle(60000));
  rig.clock.RunFor(100);  // let the last bytes reach the unit
  ASSERT_EQ(rows.size(), 9u);
  for (int i = 0; i < 9; ++i) EXPECT_EQ(rows[i], kFinishBox[i]) << "row " << i + 7;
  EXPECT_EQ(togglesAtMessage - togglesBefore, 6);
  EXPECT_FALSE(rig.unit.Inverted());
  EXPECT_TRUE(rig.unit.Overlay().IsBlank());  // OK on the status window clears it
  EXPECT_FALSE(rig.commands.State().VideoInverted);
}

TEST(RunController, AUnitThatStopsStreamingFreezesTheSessionClock) {
  TempDir dir;
  RunRig rig(dir.Path());
  rig.params.SessionLength = 60;
  ASSERT_TRUE(rig.MenuAndStart());
  rig.clock.RunFor(3000);
  rig.unit.Faults().silent = true;
  rig.clock.RunFor(500);
  const std::int64_t counted = rig.Run().SamplesCounted();
  const std::int32_t seconds = rig.Run().State().SecondsInSession;
  rig.clock.RunFor(20000);
  EXPECT_TRUE(rig.Run().State().Running);
  EXPECT_EQ(rig.Run().SamplesCounted(), counted);
  EXPECT_EQ(rig.Run().State().SecondsInSession, seconds);
  rig.Run().StopButton();
  EXPECT_EQ(static_cast<std::int64_t>(DataFileBytes(dir.File("RAT1.DAT")).Samples()), counted);
}

TEST(RunController, ClosingTheWindowDuringARunAsksTheStopQuestion) {
  TempDir dir;
  RunRig rig(dir.Path());
  rig.params.SessionLength = 60;
  ASSERT_TRUE(rig.MenuAndStart());
  rig.clock.RunFor(1000);
  rig.answers.QueueAnswer(MsgAnswer::Cancel);
  EXPECT_FALSE(rig.Run().CloseRequest());
  EXPECT_TRUE(rig.Run().State().Running);
  EXPECT_EQ(rig.answers.Count("Confirm Stop Experiment"), 1);
  rig.Run().StopButton();
  EXPECT_TRUE(rig.Run().CloseRequest());
}

}  // namespace
}  // namespace tlx
