#include "RunRig.h"

#include "common/RecordingLock.h"
#include "run/RunTexts.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <unistd.h>

namespace tlx::test {
namespace {

using RunController = RunRigTest;

class RunAtEachRate : public RunRigTest, public ::testing::WithParamInterface<int> {};

// 25 a second is a PAL unit's stream rate.
TEST_P(RunAtEachRate, DataFileHoldsSessionsTimesLengthTimesRateSamples) {
  const int rate = GetParam();
  if (rate == 25) {
    rig.unit.SetVideoStandard(VideoStandard::Pal, rig.clock.NowUs());
    rig.serial.Refresh();
    rig.settings.VideoType = 1;
  }
  rig.params.SessionLength = 30;
  rig.params.SampleRate = static_cast<std::int16_t>(rate);
  ASSERT_TRUE(rig.MenuAndStart());
  ASSERT_TRUE(rig.RunUntilIdle(120000));

  const RunState& s = rig.Run().State();
  EXPECT_EQ(s.Ended, RunEnding::LastSession);
  const DataFileBytes dat(dir.File("RAT1.DAT"));
  ASSERT_EQ(dat.Samples(), 2u * 30u * static_cast<unsigned>(rate));
  EXPECT_EQ(dat.Word(12), rate == 25 ? 1u : 0u);  // video type
  EXPECT_FALSE(PathExists(rig.JournalPath()));  // a clean end forgets the journal
  // Missed samples are exactly the samples without an object in the file.
  EXPECT_EQ(s.MissedSamples, dat.Lost());
  EXPECT_TRUE(rate != 30 || dat.Lost() > 0) << "at 30 a second this animal is lost now and then";
}

INSTANTIATE_TEST_SUITE_P(Rates, RunAtEachRate, ::testing::Values(1, 25, 30));

// A unit silent for less than the limit only pauses the session clock; silent for the whole
// limit, the run is stopped with every sample kept, its files written and the port named.
TEST_F(RunController, AUnitSilentForThirtySecondsStopsTheRunAndKeepsItsSamples) {
  rig.params.SessionLength = 600;
  ASSERT_TRUE(rig.MenuAndStart());
  rig.clock.RunFor(6000);
  rig.unit.Faults().silent = true;
  rig.clock.RunFor(500);
  const std::int32_t seconds = rig.Run().State().SecondsInSession;
  rig.clock.RunFor(25000);
  EXPECT_TRUE(rig.Run().State().Running());
  EXPECT_EQ(rig.Run().State().SecondsInSession, seconds);  // samples, not wall time, count
  rig.unit.Faults().silent = false;  // back before the limit: the count starts again
  rig.clock.RunFor(2000);
  rig.unit.Faults().silent = true;
  rig.clock.RunFor(500);
  const std::int64_t counted = rig.Run().SamplesCounted();
  const std::int64_t silentFrom = rig.clock.TickMs();
  rig.clock.RunFor(29000);
  EXPECT_TRUE(rig.Run().State().Running());
  ASSERT_TRUE(rig.RunUntilIdle(2000));
  EXPECT_LE(rig.clock.TickMs() - silentFrom, 30200);

  const RunState& s = rig.Run().State();
  EXPECT_EQ(s.Ended, RunEnding::UnitSilent);
  EXPECT_TRUE(s.Stopped() && rig.Run().StoppedForSilence());
  ASSERT_EQ(rig.answers.Count("Unit Not Answering"), 1);
  EXPECT_NE(rig.answers.Messages().back().text.find("COM1"), std::string::npos);
  EXPECT_EQ(rig.answers.Count("Confirm Stop Experiment"), 0);
  EXPECT_EQ(static_cast<std::int64_t>(DataFileBytes(dir.File("RAT1.DAT")).Samples()), counted);
  EXPECT_GT(counted, 200);
  EXPECT_TRUE(PathExists(dir.File("RAT1.MAP")));
  EXPECT_TRUE(PathExists(dir.File("RAT1.PRN")));
  EXPECT_FALSE(PathExists(rig.JournalPath()));
  ASSERT_TRUE(rig.MenuAndStart());  // the next run starts clean
  EXPECT_FALSE(rig.Run().StoppedForSilence());
}

// At the polled rates a poll without an answer is a missed sample (Y 255), never the last
// position again; an unplugged unit is stopped after the limit like a silent one.
TEST_F(RunController, APolledUnitUnpluggedRecordsMissedSamplesUntilTheRunStops) {
  for (const int rate : {1, 5}) {
    SCOPED_TRACE(rate);
    TempDir runDir;
    RunRig r(runDir.Path());
    r.params.SessionLength = 600;
    r.params.SampleRate = static_cast<std::int16_t>(rate);
    r.Run().SetPortName([] { return std::string("COM3 (/dev/ttyUSB0)"); });
    ASSERT_TRUE(r.MenuAndStart());
    r.clock.RunFor(10000);
    const std::int32_t missedBefore = r.Run().State().MissedSamples;
    const std::int64_t heard = r.Run().SamplesCounted();
    r.serial.Unplug();
    r.clock.RunFor(20000);
    EXPECT_TRUE(r.Run().State().Running());
    EXPECT_NEAR(r.Run().State().MissedSamples - missedBefore, 20 * rate, 1);
    ASSERT_TRUE(r.RunUntilIdle(11000));
    EXPECT_TRUE(r.Run().StoppedForSilence());
    ASSERT_EQ(r.answers.Count("Unit Not Answering"), 1);
    EXPECT_NE(r.answers.Messages().back().text.find("COM3 (/dev/ttyUSB0)"), std::string::npos);

    const DataFileBytes dat(runDir.File("RAT1.DAT"));
    ASSERT_EQ(static_cast<std::int64_t>(dat.Samples()), r.Run().SamplesCounted());
    EXPECT_EQ(dat.Lost(static_cast<std::size_t>(heard)), std::int64_t(dat.Samples()) - heard);
    EXPECT_EQ(r.Run().State().MissedSamples, dat.Lost());
  }
}

TEST_F(RunController, AFullDiskStopsTheRunAndKeepsEverySampleWritten) {
  rig.params.SessionLength = 600;
  // The disk takes 3000 more bytes: 1500 samples, 50 s at 30 per second.
  rig.Run().Recorder().SetWriteFunction(DiskWithRoom(3000));
  ASSERT_TRUE(rig.MenuAndStart());
  ASSERT_TRUE(rig.RunUntilIdle(120000));
  const RunState& s = rig.Run().State();
  EXPECT_EQ(s.Ended, RunEnding::RecordingFailed);
  ASSERT_EQ(rig.answers.Count("Recording Error"), 1);
  EXPECT_NE(rig.answers.Messages().back().text.find("1500 of 36000 samples were recorded"),
            std::string::npos);
  EXPECT_EQ(DataFileBytes(dir.File("RAT1.DAT")).Samples(), 1500u);
  EXPECT_LE(rig.clock.TickMs(), 60000);  // stopped within about a second of the failure
}

TEST_F(RunController, StopWhileArmedKeepsTheOldFileAndTheDelayCountsDownOncePerSecond) {
  WriteBytes(dir.File("RAT1.DAT"), "an earlier run");
  rig.settings.DelayType = 1;  // a time of day; the clock starts at 09:00:00
  rig.params.InitialDelay = 9 * 3600 + 20;
  ASSERT_TRUE(rig.MenuAndStart());
  const RunState& s = rig.Run().State();
  EXPECT_TRUE(s.Armed() && s.DelayRemaining > 0 && s.DelayRemaining <= 20) << s.DelayRemaining;
  rig.clock.RunFor(3000);
  rig.Run().StopButton();
  ASSERT_TRUE(rig.RunUntilIdle(5000));
  EXPECT_EQ(s.Phase, RunPhase::Idle);
  EXPECT_EQ(s.Ended, RunEnding::StoppedByUser);
  EXPECT_EQ(ReadBytes(dir.File("RAT1.DAT")), "an earlier run");
  rig.params.InitialDelay = 8 * 3600;  // passed today: the next day's
  ASSERT_TRUE(rig.MenuAndStart());
  EXPECT_GT(s.DelayRemaining, 22 * 3600);
  rig.Run().StopButton();
  ASSERT_TRUE(rig.RunUntilIdle(5000));

  // While the delay counts down the labels show the run to come, never the last run's end.
  rig.settings.DelayType = 0;
  rig.params.InitialDelay = 0;
  ASSERT_TRUE(rig.MenuAndStart());
  ASSERT_TRUE(rig.RunUntilIdle(60000));
  EXPECT_EQ(rig.labels.last.CurrSess, " 2 of 2 ");
  rig.params.InitialDelay = 5;
  ASSERT_TRUE(rig.MenuAndStart());
  EXPECT_EQ(rig.labels.last.ExptStat, "Waiting ");
  EXPECT_EQ(rig.labels.last.CurrSess, " 1 of 2 ");
  EXPECT_EQ(rig.labels.last.TimeElap, "00:00:00 ");
  EXPECT_EQ(rig.labels.last.Countdown, "Starting in\r\n00:00:05\r\n\r\nClick Stop to cancel");
  const std::int64_t armedAt = rig.clock.TickMs();
  const std::size_t asked = rig.answers.Messages().size();
  rig.clock.RunFor(2500);
  rig.Run().StartButton();  // while armed: nothing happens
  EXPECT_TRUE(s.Armed());
  EXPECT_EQ(rig.answers.Messages().size(), asked);
  ASSERT_TRUE(rig.clock.RunUntil([&] { return s.Running(); }, 10000));
  EXPECT_NEAR(rig.clock.TickMs() - armedAt, 5000, 1000);
  EXPECT_EQ(rig.labels.last.ExptStat, "Running ");
  EXPECT_EQ(rig.labels.last.Countdown, "");
  const std::vector<std::string> expected = {"00:00:05 ", "00:00:04 ", "00:00:03 ", "00:00:02 ",
                                             "00:00:01 ", "00:00:00 ", " "};
  ASSERT_GE(rig.labels.delays.size(), expected.size());
  EXPECT_EQ(std::vector<std::string>(rig.labels.delays.end() - 7, rig.labels.delays.end()), expected);
}

TEST_F(RunController, NoSampleIsLostToExitStartAgainOrADataFileThatCannotBeBuilt) {
  rig.params.NumberOfSessions = 1;
  std::filesystem::create_directory(dir.File("RAT1.DAT"));  // nothing can be renamed over it
  ASSERT_TRUE(rig.Run().RunMenu());
  rig.Run().ExitButton();  // the panel alone leaves no (empty) raw file behind
  EXPECT_FALSE(PathExists(dir.File("RAT1.RAW")));
  EXPECT_FALSE(rig.decoder.State().RawRecording);
  EXPECT_EQ(rig.display.Panel(), DisplayPanel::Other);

  ASSERT_TRUE(rig.MenuAndStart());
  rig.clock.RunFor(3000);
  const std::int64_t counted = rig.Run().SamplesCounted();
  ASSERT_GT(counted, 60);
  rig.Run().StartButton();  // a second press must not reopen (and so empty) the raw file
  EXPECT_GE(rig.Run().SamplesCounted(), counted);
  ASSERT_TRUE(rig.RunUntilIdle(60000));
  ASSERT_EQ(rig.answers.Count("Data File Error"), 1);
  EXPECT_NE(rig.answers.Messages().back().text.find(dir.File("RAT1.DAT")), std::string::npos);
  EXPECT_EQ(rig.answers.Count("Experiment Status"), 0);  // a run that lost its file never "finished"
  EXPECT_EQ(ReadBytes(dir.File("RAT1.RAW")).size(), 2u * 10 * 30);  // kept, with its journal
  EXPECT_TRUE(PathExists(rig.JournalPath()));
}

// Every start goes through one sequence: a run without a data file asks before it records
// nothing, values a data file cannot hold are refused, and No picks a data file.
TEST_F(RunController, StartWithoutADataFileAsksAndNoLetsTheUserPickOne) {
  rig.params.SaveData = false;
  rig.params.DataFile.clear();
  rig.answers.QueueAnswer(MsgAnswer::Cancel);
  EXPECT_FALSE(rig.Run().RunMenu());
  ASSERT_EQ(rig.answers.Messages().size(), 1u);
  EXPECT_EQ(rig.answers.Messages()[0].caption, "No Output File");
  EXPECT_EQ(rig.answers.Messages()[0].text,
            "No data file has been selected.\r\n\r\nWould you like to start the\r\n"
            "experiment anyway?\r\n");
  EXPECT_EQ(rig.display.Panel(), DisplayPanel::Other);
  EXPECT_EQ(rig.Run().State().Phase, RunPhase::Idle);

  rig.answers.ClearRecord();
  rig.answers.QueueAnswer(MsgAnswer::No);
  rig.answers.QueueFile(dir.File("PICKED.DAT"));
  ASSERT_TRUE(rig.Run().RunMenu());
  ASSERT_EQ(rig.answers.Messages().size(), 2u);
  EXPECT_EQ(rig.answers.Messages()[1].caption, "Select Output File");
  EXPECT_EQ(rig.answers.Messages()[1].text, "Please select an\r\noutput file.");
  EXPECT_TRUE(rig.params.SaveData);
  EXPECT_EQ(rig.params.DataFile, dir.File("PICKED.DAT"));
  // Leaving the panel drops the agreement: the next run asks for its own data file.
  rig.Run().ExitButton();
  EXPECT_EQ(rig.Run().State().Phase, RunPhase::Idle);

  // No without a usable file refuses the start; so do values no data file can hold, before
  // anything is asked.
  rig.params.SaveData = false;
  rig.answers.ClearRecord();
  rig.answers.QueueAnswer(MsgAnswer::No);
  rig.answers.QueueFile(dir.File("no/such/dir/X.DAT"));
  EXPECT_FALSE(rig.Run().RunMenu());
  EXPECT_FALSE(rig.params.SaveData);
  rig.params.SessionLength = 7;
  rig.answers.ClearRecord();
  EXPECT_FALSE(rig.Run().RunMenu());
  ASSERT_EQ(rig.answers.Messages().size(), 1u);
  EXPECT_EQ(rig.answers.Messages()[0].caption, "Invalid Value");
  EXPECT_NE(rig.Run().Outcome().CannotStart.find("7 s cannot be recorded"), std::string::npos);

  // Yes runs and records nothing; Start on the panel asks nothing more.
  rig.params.SessionLength = 5;
  rig.params.NumberOfSessions = 1;
  rig.answers.ClearRecord();
  ASSERT_TRUE(rig.MenuAndStart());
  EXPECT_EQ(rig.answers.Count("No Output File"), 1);
  EXPECT_TRUE(rig.Run().State().Running());
  ASSERT_TRUE(rig.RunUntilIdle(60000));
  EXPECT_TRUE(rig.Run().State().Finished());
  EXPECT_EQ(rig.answers.Count("No Output File"), 1);
}

// A close asked during a run is the stop question; it falls due when the run ends, whether by
// the stop or by itself while the question is still open, and Cancel withdraws it.
TEST_F(RunController, ACloseDuringARunGoesAheadWhenTheRunEnds) {
  rig.params.NumberOfSessions = 1;
  ASSERT_TRUE(rig.MenuAndStart());
  rig.answers.QueueAnswer(MsgAnswer::Cancel);
  EXPECT_FALSE(rig.Run().CloseRequest());
  ASSERT_TRUE(rig.RunUntilIdle(60000));
  EXPECT_EQ(rig.view.closesDue, 0);

  ASSERT_TRUE(rig.MenuAndStart());
  EXPECT_FALSE(rig.Run().CloseRequest());  // OK: stopped
  EXPECT_TRUE(rig.Run().State().Stopped());
  EXPECT_EQ(rig.view.closesDue, 1);
  ASSERT_TRUE(rig.RunUntilIdle(60000));

  rig.view.keepStopWindowOpen = true;  // the question stays open while the run goes on
  ASSERT_TRUE(rig.MenuAndStart());
  EXPECT_FALSE(rig.Run().CloseRequest());
  ASSERT_TRUE(rig.clock.RunUntil([&] { return rig.Run().State().Ending(); }, 60000));
  EXPECT_TRUE(rig.Run().State().Finished());
  EXPECT_EQ(rig.view.closesDue, 2);
}

TEST(RunControllerAtMidnight, TimeOfDayStartNeedsNoStartPressButNeverOverwritesADeclinedFile) {
  TempDir dir;
  RunRig rig(dir.Path(), 7, {2026, 3, 2, 23, 59, 50, 0});
  rig.settings.DelayType = 1;
  rig.params.InitialDelay = 5;  // 00:00:05, after midnight
  rig.commands.ResetAndInitialize(1);
  rig.Run().ConfirmStart(true);  // the start-up question
  ASSERT_EQ(rig.answers.Count("Confirm Overwrite"), 1);
  EXPECT_EQ(rig.answers.Messages().back().text,
            "When the experiment starts\r\nat 12:00:05 AM, the file : RAT1.DAT\r\nwill be "
            "overwritten.\r\n\r\nAre you sure you want to do this?\r\n");
  const RunState& s = rig.Run().State();
  ASSERT_TRUE(rig.clock.RunUntil([&] { return s.Running(); }, 60000));
  EXPECT_EQ(DateTimeText(s.StartTime), "2026-03-03 00:00:05");
  EXPECT_EQ(rig.display.Panel(), DisplayPanel::Run);
  ASSERT_TRUE(rig.RunUntilIdle(60000));

  // The next day the file is used; declining both questions keeps it.
  const std::string kept = ReadBytes(dir.File("RAT1.DAT"));
  rig.answers.QueueAnswer(MsgAnswer::Cancel);
  rig.answers.QueueAnswer(MsgAnswer::Cancel);
  EXPECT_FALSE(rig.Run().ConfirmStart(true));
  rig.clock.RunFor(86400 * 1000);
  EXPECT_EQ(s.Phase, RunPhase::Idle);
  EXPECT_EQ(rig.answers.Count("Confirm Overwrite Existing Data"), 1);
  EXPECT_EQ(ReadBytes(dir.File("RAT1.DAT")), kept);
}

TEST_F(RunController, OverwriteQuestionIsAskedOnceAndAgainForTheNextRun) {
  WriteBytes(dir.File("RAT1.RAW"), "");  // an empty raw file does not count as used
  ASSERT_TRUE(rig.MenuAndStart());
  EXPECT_EQ(rig.answers.Messages().size(), 0u);
  ASSERT_TRUE(rig.RunUntilIdle(60000));
  rig.answers.ClearRecord();

  ASSERT_TRUE(rig.MenuAndStart());  // the file is used now
  ASSERT_EQ(rig.answers.Count("Confirm Overwrite Existing Data"), 1);
  EXPECT_EQ(rig.answers.Messages()[0].text,
            "The file \"RAT1.DAT\" has already\r\nbeen used in a previous experiment.\r\n\r\n"
            "Are you sure you want\r\nto overwrite it?");
  ASSERT_TRUE(rig.RunUntilIdle(60000));
  rig.answers.QueueAnswer(MsgAnswer::Cancel);
  EXPECT_FALSE(rig.Run().RunMenu());
  EXPECT_EQ(rig.Run().State().Phase, RunPhase::Idle);

  rig.params.SaveData = false;  // no output file: the run counts but writes nothing
  rig.params.DataFile = dir.File("OTHER.DAT");
  ASSERT_TRUE(rig.MenuAndStart());
  ASSERT_TRUE(rig.RunUntilIdle(60000));
  EXPECT_TRUE(rig.Run().State().Finished());
  EXPECT_FALSE(PathExists(dir.File("OTHER.DAT")));
  EXPECT_FALSE(PathExists(dir.File("OTHER.RAW")));
}

TEST_F(RunController, FinishBoxFlashesSixTimesAndOnlyOkOnTheStatusFormClearsIt) {
  rig.params.NumberOfSessions = 1;
  std::vector<std::string> rows;
  int togglesAtMessage = -1;
  rig.answers.onMessage = [&](const MessageRequest& m) {
    if (m.caption != "Experiment Status" || !rows.empty()) return;
    for (int r = 7; r <= 15; ++r) rows.push_back(rig.unit.OverlayRow(r).substr(7, 16));
    togglesAtMessage = rig.unit.InversionToggles();
  };
  ASSERT_TRUE(rig.MenuAndStart());
  const int togglesBefore = rig.unit.InversionToggles();
  // While the box flashes the run is ending: Start does nothing then.
  ASSERT_TRUE(rig.clock.RunUntil([&] { return rig.Run().State().Ending(); }, 60000));
  rig.Run().StartButton();
  EXPECT_TRUE(rig.Run().State().Ending());
  ASSERT_TRUE(rig.RunUntilIdle(60000));
  rig.clock.RunFor(100);  // let the last bytes reach the unit
  ASSERT_EQ(rows.size(), 9u);
  for (int i = 0; i < 9; ++i) EXPECT_EQ(rows[i], kFinishBox[i]) << "row " << i + 7;
  EXPECT_EQ(togglesAtMessage - togglesBefore, 6);
  EXPECT_FALSE(rig.unit.Inverted());
  EXPECT_TRUE(rig.unit.Overlay().IsBlank());  // OK on the status window clears it

  ASSERT_TRUE(rig.MenuAndStart());
  rig.answers.QueueAnswer(MsgAnswer::Cancel);  // Escape on the status form
  ASSERT_TRUE(rig.RunUntilIdle(60000));
  rig.clock.RunFor(100);
  EXPECT_EQ(rig.unit.OverlayRow(10).substr(7, 16), "*  EXPERIMENT  *");
}


// A run that cannot create its raw file or its journal records nothing, so it does not start:
// the user is told which file and why, and stays on the run panel with the run idle. A data file
// that cannot be locked (its folder missing), that another program records, or whose raw file
// holds an interrupted run is refused by the Run menu already, before the unit is touched.
TEST(RunStart, ARunThatCannotRecordDoesNotStart) {
  struct Case {
    const char* what;
    std::function<void(RunRig&, const TempDir&)> spoil;
    const char* file;
    std::string reason;
    bool atMenu = false;
  };
  RecordingLock other;  // another program's lock on the recording
  const std::vector<Case> cases = {
      {"data folder missing",
       [](RunRig& r, const TempDir& d) { r.params.DataFile = d.File("gone/RAT1.DAT"); },
       "gone/RAT1.DAT", "No such file or directory", true},
      {"recorded by another program",
       [&other](RunRig&, const TempDir& d) { other.Acquire(d.File("./RAT1.RAW")); },
       "RAT1.DAT", "is being recorded by process " + std::to_string(::getpid()) + ".", true},
      {"an interrupted run's raw file",
       [](RunRig&, const TempDir& d) { WriteBytes(d.File("RAT1.RAW"), "0123"); },
       "RAT1.RAW", "holds 2 samples of an interrupted run", true},
      {"directory at the raw file's path",
       [](RunRig&, const TempDir& d) { std::filesystem::create_directory(d.File("RAT1.RAW")); },
       "RAT1.RAW", "Is a directory"},
      {"a file where the journal's folder should be",
       [](RunRig& r, const TempDir& d) {
         WriteBytes(d.File("home"), "");
         r.journalDir = d.File("home");
       },
       "home/RUN-RAT1-", "Not a directory"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    RunRig rig(dir.Path());
    c.spoil(rig, dir);
    ASSERT_EQ(rig.Run().RunMenu(), !c.atMenu);
    if (!c.atMenu) rig.Run().StartButton();
    rig.clock.RunFor(3000);
    other.Release();
    const RunState& s = rig.Run().State();
    EXPECT_EQ(s.Phase, RunPhase::Idle);
    EXPECT_EQ(s.Ended, RunEnding::None);
    EXPECT_EQ(rig.display.Panel(), c.atMenu ? DisplayPanel::Other : DisplayPanel::Run);
    EXPECT_EQ(rig.Run().SamplesCounted(), 0);
    ASSERT_EQ(rig.answers.Count("Cannot Start Experiment"), 1);
    const std::string& text = rig.answers.Messages().back().text;
    EXPECT_NE(text.find(dir.File(c.file)), std::string::npos) << text;
    EXPECT_NE(text.find(c.reason), std::string::npos) << text;
    EXPECT_EQ(rig.answers.Count("Experiment Status"), 0);
    EXPECT_FALSE(PathExists(dir.File("RAT1.DAT")));
    if (!c.atMenu) EXPECT_FALSE(std::filesystem::is_regular_file(dir.File("RAT1.RAW")));
  }
}

// Every file the run end cannot write is named with its reason; "has finished" is said only
// when all were written, and what is missing is completed at the next start. While that is
// said the run is ending: Start and Stop pressed meanwhile do nothing.
TEST(RunEnd, AMapOrResultsFileThatCannotBeWrittenIsReportedAndTheRunDoesNotFinishQuietly) {
  for (const char* blocked : {"RAT1.MAP", "RAT1.PRN"}) {
    SCOPED_TRACE(blocked);
    TempDir dir;
    RunRig rig(dir.Path());
    rig.params.NumberOfSessions = 1;
    std::filesystem::create_directory(dir.File(blocked));
    RunPhase phaseAtMessage = RunPhase::Idle;
    rig.answers.onMessage = [&](const MessageRequest& m) {
      if (m.caption != "Files Not Written") return;
      phaseAtMessage = rig.Run().State().Phase;
      rig.Run().StartButton();
      rig.Run().StopButton();
    };
    ASSERT_TRUE(rig.MenuAndStart());
    ASSERT_TRUE(rig.RunUntilIdle(60000));
    EXPECT_EQ(phaseAtMessage, RunPhase::Ending);
    EXPECT_EQ(rig.Run().State().Phase, RunPhase::Idle);
    EXPECT_EQ(rig.Run().State().Ended, RunEnding::LastSession);
    EXPECT_EQ(rig.answers.Count("Experiment Status"), 0);
    ASSERT_EQ(rig.answers.Count("Files Not Written"), 1);
    const std::string& text = rig.answers.Messages().back().text;
    EXPECT_NE(text.find(dir.File(blocked) + " could not be written: Is a directory"),
              std::string::npos) << text;
    EXPECT_EQ(DataFileBytes(dir.File("RAT1.DAT")).Samples(), 300u);  // what was recorded stays
    EXPECT_TRUE(PathExists(rig.JournalPath()));
    EXPECT_EQ(rig.display.Panel(), DisplayPanel::Other);
  }
}

// A stray byte after every 500th on the line: the recording is the clean line's, sample for
// sample, except one lost sample per slip, and the run counts those as lost to line noise.
TEST(RunOnANoisyLine, RecordsTheCleanSamplesWithEachSlipAsOneLostSample) {
  TempDir cleanDir, noisyDir;
  RunRig clean(cleanDir.Path()), noisy(noisyDir.Path());
  noisy.unit.Faults().noiseEvery = 500;
  for (RunRig* rig : {&clean, &noisy}) {
    ASSERT_TRUE(rig->MenuAndStart());
    ASSERT_TRUE(rig->RunUntilIdle(120000));
  }
  const std::string a = DataFileBytes(cleanDir.File("RAT1.DAT")).SampleBytes();
  const std::string b = DataFileBytes(noisyDir.File("RAT1.DAT")).SampleBytes();
  ASSERT_EQ(a.size(), b.size());
  int differ = 0;
  for (std::size_t i = 0; i < a.size(); i += 2) {
    if (a.compare(i, 2, b, i, 2) == 0) continue;
    ++differ;
    EXPECT_EQ(b.substr(i, 2), std::string("\x00\xFF", 2)) << "sample " << i / 2;
  }
  const RunState& s = noisy.Run().State();
  EXPECT_GT(differ, 0);
  EXPECT_EQ(s.LineNoiseSamples, differ);
  EXPECT_EQ(s.MissedSamples, clean.Run().State().MissedSamples + differ);
  EXPECT_EQ(BuildRunLabels(s, noisy.params).MissedSamples,
            std::to_string(s.MissedSamples) + " (" + std::to_string(differ) +
                " lost to line noise) ");

  noisy.link.ClosePort();  // monitoring a closed port says so
  noisy.Run().EnterRunPanel();
  EXPECT_EQ(noisy.answers.Count("Port Error"), 1);
}

// The program stopped for 20 s (a suspend, heavy swapping) in the middle of a minute's session:
// polled, the sample times it cost are recorded as missed, in their place; streamed, the line
// kept the unit's pairs meanwhile. Either way the session is a minute of the clock and of samples.
class PausedRun : public RunRigTest, public ::testing::WithParamInterface<int> {};

TEST_P(PausedRun, APauseCostsItsSampleTimesAsMissedSamplesAtEveryRate) {
  const int rate = GetParam();
  rig.params.SessionLength = 60;
  rig.params.NumberOfSessions = 1;
  rig.params.SampleRate = static_cast<std::int16_t>(rate);
  ASSERT_TRUE(rig.MenuAndStart());
  const std::int64_t started = rig.clock.TickMs();
  rig.clock.RunFor(10000);
  const std::int32_t missedBefore = rig.Run().State().MissedSamples;
  rig.clock.AdvanceDevicesTo(rig.clock.NowUs() + 20'000'000);  // no program event meanwhile
  ASSERT_TRUE(rig.RunUntilIdle(120000));
  const RunState& s = rig.Run().State();
  EXPECT_EQ(s.Ended, RunEnding::LastSession);
  EXPECT_NEAR(static_cast<double>(rig.Run().Outcome().SamplesCounted), 60.0 * rate, 0);
  // Finished within the minute (the finish flashing aside), not 20 s late.
  EXPECT_LT(rig.clock.TickMs() - started, 60000 + 4000);
  const DataFileBytes dat(dir.File("RAT1.DAT"));
  ASSERT_EQ(dat.Samples(), 60u * static_cast<unsigned>(rate));
  EXPECT_EQ(s.MissedSamples, dat.Lost());
  if (rate < 25) {
    EXPECT_GE(s.MissedSamples - missedBefore, 19 * rate);
    // The missed samples are the paused ones: 11 s in, every sample for 18 s is lost.
    EXPECT_EQ(dat.Lost(static_cast<std::size_t>(11 * rate)) - dat.Lost(static_cast<std::size_t>(29 * rate)),
              18 * rate);
  }
}

INSTANTIATE_TEST_SUITE_P(Rates, PausedRun, ::testing::Values(1, 5, 30));

// The initial delay runs to the clock: stopped for 20 s of a 40-s delay, the run starts 40 s
// after Start, not 60.
TEST_F(RunController, TheInitialDelayRunsToTheClockThroughAPause) {
  rig.params.SampleRate = 1;
  rig.params.InitialDelay = 40;
  ASSERT_TRUE(rig.MenuAndStart());
  const std::int64_t armed = rig.clock.TickMs();
  rig.clock.RunFor(5000);
  rig.clock.AdvanceDevicesTo(rig.clock.NowUs() + 20'000'000);
  ASSERT_TRUE(rig.clock.RunUntil([&] { return rig.Run().State().Running(); }, 60000));
  EXPECT_NEAR(rig.clock.TickMs() - armed, 40000, 100);
}

}  // namespace
}  // namespace tlx::test
