#include "run/Program.h"
#include "run/RunJournal.h"
#include "sim/SimulatedLink.h"
#include "sim/SimulatedUnit.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

namespace tlx::test {
namespace {

struct ProgramRig {
  explicit ProgramRig(const std::string& home)
      : clock({2026, 6, 1, 8, 0, 0, 0}), serial(clock, unit), program(home, clock, answers, serial) {}
  VirtualClock clock;
  SimulatedUnit unit{9};
  SimulatedLink serial;
  ScriptedAnswers answers;
  Program program;
};

void WriteHomeFiles(const TempDir& home) {
  WriteBytes(home.File("TRACELUX.INI"), "Com Port = 2\r\nDraw Trace = Enabled\r\n");
  WriteBytes(home.File("TRACELUX.SET"),
             "Object Filter = Enabled\r\nDelay Type = TIMEOFDAY\r\nVideo Type = PAL\r\n");
  WriteBytes(home.File("TLUXEXPT.EXP"), "Save Data = True\r\nData File = \"" + home.File("R.DAT") +
                                            "\"\r\nInitial Delay = 36000\r\nSample Rate = 30\r\n");
  WriteBytes(home.File("~RANAL.CSV"), "old reanalysis");
}

TEST(Program, StartUpLoadsTheFilesBringsUpTheUnitAndAsksTheTimeOfDayQuestion) {
  TempDir home;
  WriteHomeFiles(home);
  // A run interrupted earlier: its journal and its raw file, which ends in half a sample.
  RunJournal journal;
  journal.DataFile = home.File("LOST.DAT");
  journal.StartTime = {2026, 5, 31, 22, 0, 0, 0};
  journal.Parameters.SessionLength = 10;
  journal.Parameters.SampleRate = 1;
  WriteRunJournal(RunJournalPath(home.Path()), journal);
  WriteBytes(home.File("LOST.RAW"), std::string("\x10\x20\x30\x40\x50", 5));
  ProgramRig rig(home.Path());
  rig.program.StartUp();
  rig.clock.RunFor(100);  // let the last command reach the unit
  Program& p = rig.program;
  EXPECT_EQ(p.settings.ComPort, 2);
  EXPECT_EQ(p.parameters.SampleRate, 25);  // normalised for PAL
  EXPECT_EQ(p.parameters.DataFile, home.File("R.DAT"));
  EXPECT_TRUE(p.display.DrawTrace());
  EXPECT_EQ(p.settings.ConfigDir, home.File("CONFIG"));
  EXPECT_TRUE(PathExists(home.File("DATA")));
  EXPECT_EQ(p.currentMap, ZoneMap::FourQuadrants());
  EXPECT_TRUE(p.commands.State().UnitResponding);
  EXPECT_TRUE(rig.unit.ObjectFilter());
  // The interrupted run is offered first, before the unit is reset, and recovered whole.
  ASSERT_EQ(rig.answers.Messages().size(), 3u);
  EXPECT_EQ(rig.answers.Messages()[0].caption, "Recover Experiment Data");
  EXPECT_EQ(ReadBytes(home.File("LOST.DAT")).substr(38), "\x10\x20\x30\x40");
  EXPECT_FALSE(PathExists(RunJournalPath(home.Path())));
  EXPECT_EQ(rig.answers.Messages()[2].caption, "Confirm Overwrite");
  EXPECT_NE(rig.answers.Messages()[2].text.find("at 10:00:00 AM, the file : R.DAT"),
            std::string::npos);
  EXPECT_TRUE(p.run.State().StartConfirmed);
}

// The names of the files put in place in the watched directory, in the order they first arrived.
std::vector<std::string> Arrivals(int watch) {
  std::vector<std::string> names;
  alignas(inotify_event) char buffer[1 << 16];
  for (long n; (n = ::read(watch, buffer, sizeof buffer)) > 0;) {
    for (long at = 0; at < n;) {
      const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
      const std::string name = event->len ? event->name : "";
      if (std::find(names.begin(), names.end(), name) == names.end()) names.push_back(name);
      at += static_cast<long>(sizeof(inotify_event) + event->len);
    }
  }
  return names;
}

TEST(Program, ShutdownPutsTheUnitToRestAndWritesEverySettingsFileBackInOrder) {
  TempDir home;
  WriteHomeFiles(home);
  ProgramRig rig(home.Path());
  rig.program.StartUp();
  rig.program.commands.State().VideoInverted = true;
  rig.serial.ClearSent();
  const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  ASSERT_GE(watch, 0);
  inotify_add_watch(watch, home.Path().c_str(), IN_MOVED_TO | IN_CLOSE_WRITE);
  rig.program.Shutdown();
  rig.clock.RunFor(100);

  const std::string& sent = rig.serial.Sent();
  const std::size_t stop = sent.find(" 0+"), write = sent.find(" 3%"), commit = sent.find(" 3#"),
                    reset = sent.find(" $+");
  ASSERT_NE(stop, std::string::npos);
  ASSERT_NE(reset, std::string::npos);
  EXPECT_LT(stop, write);
  EXPECT_EQ(commit, write + 3 + 768);
  EXPECT_LT(commit, reset);
  EXPECT_EQ(sent.substr(write + 3, 768), std::string(768, '1'));
  EXPECT_FALSE(rig.serial.IsOpen());
  EXPECT_EQ(rig.unit.MemoryBlock(), std::string(768, '1'));

  const std::vector<std::string> expected = {"COLORS.INI", "TRACELUX.SET", "TLUXEXPT.EXP",
                                             "TRACELUX.INI", "DEFAULT.MAP"};
  std::vector<std::string> order = Arrivals(watch);
  ::close(watch);
  std::erase_if(order, [&](const std::string& name) {
    return std::find(expected.begin(), expected.end(), name) == expected.end();
  });
  EXPECT_EQ(order, expected);
  EXPECT_NE(ReadBytes(home.File("TRACELUX.SET")).find("Delay Type = TIMEOFDAY\r\n"), std::string::npos);
  EXPECT_NE(ReadBytes(home.File("TRACELUX.INI")).find("Com Port = 2\r\n"), std::string::npos);
  EXPECT_NE(ReadBytes(home.File("TLUXEXPT.EXP")).find("Sample Rate = 25\r\n"), std::string::npos);
  EXPECT_EQ(ReadBytes(home.File("DEFAULT.MAP")).size(), 770u);
  EXPECT_FALSE(PathExists(home.File("~RANAL.CSV")));
}

}  // namespace
}  // namespace tlx::test
