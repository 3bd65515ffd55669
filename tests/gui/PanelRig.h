// The program object over the simulated unit on a virtual clock, with scripted answers, for the
// zone editor and data panel tests; and data files made by runs of the command line.
#pragma once

#include "common/VirtualClock.h"
#include "run/Program.h"
#include "sim/SimulatedLink.h"
#include "sim/SimulatedUnit.h"
#include "support/TestSupport.h"

#include <QTest>

#include <string>

namespace tlx::test {

struct PanelRig {
  explicit PanelRig(const std::string& home)
      : clock(LocalDateTime{2026, 3, 2, 9, 0, 0, 0}), unit(3), serial(clock, unit),
        program(home, clock, answers, serial) {
    program.settings.ConfigDir = home;
    program.settings.DataDir = home;
    program.link.OpenPort(1);
  }
  // Lets the bytes sent so far cross the line to the unit.
  void Deliver() { clock.RunFor(2000); }

  VirtualClock clock;
  SimulatedUnit unit;
  SimulatedLink serial;
  ScriptedAnswers answers;
  Program program;
};

inline std::string SetupText(int sessionLength, int sessions, int rate) {
  return "Save Data = True\r\nData File = \"IGNORED.DAT\"\r\nSession Length = " + std::to_string(sessionLength) +
         "\r\nNumber of Sessions = " + std::to_string(sessions) +
         "\r\nInitial Delay = 0\r\nMaximum Distance = 60\r\nAmbulatory Threshold = 6\r\n"
         "Stereotypic Threshold = 3\r\nCalibrate Scale = 120\r\nCalibrate Reference = 36\r\n"
         "Measurement Units = \"cm\"\r\nSample Rate = " + std::to_string(rate) + "\r\n";
}

// A recorded run of the simulated unit: DIR/NAME.DAT with its ".MAP" and ".PRN"; `more` adds to
// the command line.
inline std::string RecordRun(const TempDir& dir, const std::string& name, int sessionLength, int sessions,
                             int rate, int seed = 4, const std::vector<std::string>& more = {}) {
  WriteBytes(dir.File(name + ".EXP"), SetupText(sessionLength, sessions, rate));
  std::vector<std::string> args = {"run", "--setup", dir.File(name + ".EXP"), "--data-file", dir.File(name + ".DAT"),
                                   "--seed", std::to_string(seed), "--sim-start", "2026-05-04 10:00:00", "--home",
                                   dir.Path(), "--yes"};
  args.insert(args.end(), more.begin(), more.end());
  const CliResult r = RunCli(args);
  if (r.exitCode != 0) QTest::qFail(("run failed: " + r.err).c_str(), __FILE__, __LINE__);
  return dir.File(name + ".DAT");
}

}  // namespace tlx::test
