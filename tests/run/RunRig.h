// A whole run on the simulated unit and a virtual clock: the unit, its line, the link, the
// command set, the decoder, the display model and the run controller, with scripted answers.
#pragma once

#include "common/VirtualClock.h"
#include "device/TrackerLink.h"
#include "run/RunController.h"
#include "run/RunJournal.h"
#include "sim/SimulatedLink.h"
#include "sim/SimulatedUnit.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace tlx::test {

// Scripted answers that also let a test look at the world when a given caption is asked.
class WatchingAnswers : public ScriptedAnswers {
 public:
  MsgAnswer ShowMessage(const MessageRequest& request) override {
    if (onMessage) onMessage(request);
    return ScriptedAnswers::ShowMessage(request);
  }
  int Count(const std::string& caption) const {
    return static_cast<int>(std::count_if(Messages().begin(), Messages().end(),
                                           [&](const auto& m) { return m.caption == caption; }));
  }
  std::function<void(const MessageRequest&)> onMessage;
};

// The window's side of a run: a stop window that keeps its question open when asked to, and the
// closes that fell due.
struct ViewLog : MainView {
  bool AwaitStopWindowAnswer() override { return keepStopWindowOpen; }
  void CloseDue() override { ++closesDue; }
  bool keepStopWindowOpen = false;
  int closesDue = 0;
};

class LabelLog : public RunDisplayView {
 public:
  void LabelsChanged(const RunLabels& labels) override {
    if (delays.empty() || delays.back() != labels.InitDelay) delays.push_back(labels.InitDelay);
    last = labels;
  }
  RunLabels last;
  std::vector<std::string> delays;  // each new text of the initial delay label
};

// A disk that takes `room` more bytes and then reports itself full.
inline RawRecorder::WriteFunction DiskWithRoom(long room) {
  return [room](int fd, const char* bytes, std::size_t count) mutable -> long {
    if (room <= 0) {
      errno = ENOSPC;
      return -1;
    }
    const long n = ::write(fd, bytes, std::min<long>(room, static_cast<long>(count)));
    room -= n;
    return n;
  };
}

struct RunRig {
  explicit RunRig(const std::string& dir, std::uint32_t seed = 7,
                  LocalDateTime start = {2026, 3, 2, 9, 0, 0, 0})
      : clock(start), unit(seed), serial(clock, unit), link(serial, clock, pacer),
        commands(link, answers), decoder(link, commands), display(&labels) {
    settings.ComPort = 1;
    settings.DataDir = dir;
    params.SessionLength = 10;
    params.NumberOfSessions = 2;
    params.SampleRate = 30;
    params.MaximumDistance = 100;
    params.AmbulatoryThreshold = 10;
    params.StereotypicThreshold = 3;
    params.MeasurementUnits = 2;
    params.CalibrateScale = 100;
    params.CalibrateReference = 10;
    params.DataFile = dir + "/RAT1.DAT";
    params.SaveData = true;
    map = ZoneMap::FourQuadrants();
    journalDir = dir;
  }

  RunController& Run() {
    if (!run)
      run = std::make_unique<RunController>(RunContext{clock, answers, commands, decoder, display,
                                                       view, params, settings, map, journalDir});
    return *run;
  }
  // Run menu, then Start.
  bool MenuAndStart() {
    if (!Run().RunMenu()) return false;
    Run().StartButton();
    return true;
  }
  // Until the run is over, its end sequence (the finish flashing) included.
  bool RunUntilIdle(std::int64_t limitMs) {
    return clock.RunUntil([this] { return !run->IsRunBusy() && !run->State().Ending(); }, limitMs);
  }

  VirtualClock clock;
  SimulatedUnit unit;
  SimulatedLink serial;
  WatchingAnswers answers;
  IntervalPacer pacer;
  TrackerLink link;
  CommandSet commands;
  StreamDecoder decoder;
  LabelLog labels;
  RunDisplay display;
  ViewLog view;
  ExperimentParameters params;
  ProgramSettings settings;
  ZoneMap map;
  std::string journalDir;
  // The journal of the run into the current data file.
  std::string JournalPath() const { return RunJournalPath(journalDir, params.DataFile); }
  std::unique_ptr<RunController> run;
};

// The parts of a data file a test looks at, read byte by byte.
struct DataFileBytes {
  explicit DataFileBytes(const std::string& path) : bytes(ReadBytes(path)) {}
  unsigned Word(std::size_t offset) const {
    return static_cast<unsigned char>(bytes[offset]) |
           static_cast<unsigned>(static_cast<unsigned char>(bytes[offset + 1])) << 8;
  }
  std::uint32_t Long(std::size_t offset) const { return Word(offset) | Word(offset + 2) << 16; }
  std::size_t Samples() const { return bytes.size() < 38 ? 0 : (bytes.size() - 38) / 2; }
  int SampleY(std::size_t i) const { return static_cast<unsigned char>(bytes[38 + 2 * i + 1]); }
  // The samples without an object (Y 255) from sample `from` on.
  std::int32_t Lost(std::size_t from = 0) const {
    std::int32_t lost = 0;
    for (std::size_t i = from; i < Samples(); ++i) lost += SampleY(i) == 255;
    return lost;
  }
  std::string SampleBytes() const { return bytes.size() < 38 ? "" : bytes.substr(38); }
  std::string bytes;
};

// One rig with the default run (two sessions of 10 s at 30 samples a second) in a fresh directory.
class RunRigTest : public ::testing::Test {
 protected:
  TempDir dir;
  RunRig rig{dir.Path()};
};

}  // namespace tlx::test
