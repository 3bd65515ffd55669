#include "run/Program.h"
#include "run/RunJournal.h"
#include "sim/SimulatedLink.h"
#include "sim/SimulatedUnit.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace tlx::test {
namespace {

// The program in a home directory that holds settings from an earlier session.
class ProgramTest : public ::testing::Test {
 protected:
  ProgramTest() {
    WriteBytes(home.File("TRACELUX.INI"), "Com Port = 2\r\nDraw Trace = Enabled\r\n");
    WriteBytes(home.File("TRACELUX.SET"),
               "Object Filter = Enabled\r\nDelay Type = TIMEOFDAY\r\nVideo Type = PAL\r\n");
    const std::string setup = "Save Data = True\r\nData File = \"" + home.File("R.DAT") + "\"\r\n";
    WriteBytes(home.File("TLUXEXPT.EXP"), setup + "Initial Delay = 36000\r\nSample Rate = 30\r\n");
    WriteBytes(home.File("~RANAL.CSV"), "old reanalysis");
  }
  TempDir home;
  VirtualClock clock{{2026, 6, 1, 8, 0, 0, 0}};
  SimulatedUnit unit{9};
  SimulatedLink serial{clock, unit};
  ScriptedAnswers answers;
  Program program{home.Path(), clock, answers, serial};
};

TEST_F(ProgramTest, StartUpLoadsTheFilesBringsUpTheUnitAndAsksTheTimeOfDayQuestion) {
  // A run interrupted earlier: its journal and its raw file, which ends in half a sample.
  RunJournal journal;
  journal.DataFile = home.File("LOST.DAT");
  journal.StartTime = {2026, 5, 31, 22, 0, 0, 0};
  journal.Parameters.SessionLength = 10;
  journal.Parameters.NumberOfSessions = 1;
  journal.Parameters.SampleRate = 1;
  journal.Parameters.CalibrateScale = 100;
  WriteRunJournal(RunJournalPath(home.Path(), journal.DataFile), journal);
  WriteBytes(home.File("LOST.RAW"), std::string("\x10\x20\x30\x40\x50", 5));
  program.StartUp();
  clock.RunFor(100);  // let the last command reach the unit
  Program& p = program;
  EXPECT_EQ(p.settings.ComPort, 2);
  EXPECT_EQ(p.parameters.SampleRate, 25);  // normalised for PAL
  EXPECT_TRUE(p.commands.State().UnitResponding);
  EXPECT_TRUE(unit.ObjectFilter());
  // The interrupted run is offered first, before the unit is reset, and recovered whole.
  ASSERT_EQ(answers.Messages().size(), 3u);
  EXPECT_EQ(answers.Messages()[0].caption, "Recover Experiment Data");
  EXPECT_EQ(ReadBytes(home.File("LOST.DAT")).substr(38), "\x10\x20\x30\x40");
  EXPECT_EQ(answers.Messages()[2].caption, "Confirm Overwrite");
  EXPECT_NE(answers.Messages()[2].text.find("at 10:00:00 AM, the file : R.DAT"),
            std::string::npos);
  EXPECT_TRUE(p.run.State().StartConfirmed());
}

TEST_F(ProgramTest, ShutdownPutsTheUnitToRestAndWritesEverySettingsFileBack) {
  program.StartUp();
  program.commands.State().VideoInverted = true;
  serial.ClearSent();
  program.Shutdown();
  clock.RunFor(100);

  const std::string& sent = serial.Sent();
  const std::size_t stop = sent.find(" 0+"), write = sent.find(" 3%"), commit = sent.find(" 3#"),
                    reset = sent.find(" $+");
  ASSERT_NE(reset, std::string::npos);
  EXPECT_LT(stop, write);
  EXPECT_EQ(commit, write + 3 + 768);
  EXPECT_LT(commit, reset);
  EXPECT_EQ(sent.substr(write + 3, 768), std::string(768, '1'));
  EXPECT_FALSE(serial.IsOpen());

  EXPECT_TRUE(PathExists(home.File("COLORS.INI")));
  EXPECT_NE(ReadBytes(home.File("TRACELUX.SET")).find("Delay Type = TIMEOFDAY\r\n"), std::string::npos);
  EXPECT_NE(ReadBytes(home.File("TLUXEXPT.EXP")).find("Sample Rate = 25\r\n"), std::string::npos);
  EXPECT_EQ(ReadBytes(home.File("DEFAULT.MAP")).size(), 770u);
  EXPECT_FALSE(PathExists(home.File("~RANAL.CSV")));
}

// A new home measures something from its first run: the values of a new setup file. The home
// above keeps its own file's values (no distances given there: none).
TEST_F(ProgramTest, ANewHomeStartsFromTheValuesOfANewSetup) {
  TempDir fresh;
  Program first{fresh.Path(), clock, answers, serial};
  first.LoadFiles();
  const ExperimentParameters& p = first.parameters;
  EXPECT_EQ(p.SessionLength, 600);
  EXPECT_EQ(p.NumberOfSessions, 1);
  EXPECT_EQ(p.SampleRate, 30);
  EXPECT_EQ(p.MaximumDistance, 60.0f);
  EXPECT_EQ(p.AmbulatoryThreshold, 6.0f);
  EXPECT_EQ(p.StereotypicThreshold, 3.0f);
  EXPECT_EQ(p.MeasurementUnits, 2);
  EXPECT_EQ(p.CalibrateScale, 100.0f);
  EXPECT_EQ(p.CalibrateReference, 30.0f);
  EXPECT_FALSE(p.SaveData);
  program.LoadFiles();
  EXPECT_EQ(program.parameters.MaximumDistance, 0.0f);
  EXPECT_EQ(program.parameters.InitialDelay, 36000);
}

}  // namespace
TEST_F(ProgramTest, TheDataFolderTheSettingsNameIsKeptAndOneThatIsGoneGetsTheDefault) {
  const std::string mine = home.File("recordings of mine");
  ASSERT_EQ(::mkdir(mine.c_str(), 0755), 0);
  WriteBytes(home.File("TRACELUX.INI"), "Data Dir = \"" + mine + "\"\r\n");
  program.LoadFiles();
  EXPECT_EQ(program.settings.DataDir, mine);
  WriteBytes(home.File("TRACELUX.INI"), "Data Dir = \"" + home.File("unplugged") + "\"\r\n");
  program.LoadFiles();
  EXPECT_EQ(program.settings.DataDir, home.File("DATA"));  // a chosen home keeps data inside
  EXPECT_TRUE(PathExists(home.File("DATA")));
}

}  // namespace tlx::test
