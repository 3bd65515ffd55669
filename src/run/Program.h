// The one program object: it owns every program-wide record (settings, link state, experiment
// parameters, zone maps, colours, run state, the open data file's record, the program home) and
// the parts built on them, and runs the core of the start-up and shutdown sequences. The desktop
// program and the command line each create one.
#pragma once

#include "common/Clock.h"
#include "common/TimeText.h"
#include "common/UserAnswers.h"
#include "data/DataFile.h"
#include "data/RecordingService.h"
#include "device/CommandSet.h"
#include "device/SerialLink.h"
#include "device/StreamDecoder.h"
#include "device/TrackerLink.h"
#include "run/MainView.h"
#include "run/RunController.h"
#include "run/RunDisplay.h"
#include "run/RunRecovery.h"
#include "setup/Colours.h"
#include "setup/ExperimentParameters.h"
#include "setup/ProgramSettings.h"
#include "zonemap/ZoneMap.h"
#include "zonemap/ZoneMapDocument.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tlx {

inline constexpr const char* kProductName = "Tracelux-One";
inline constexpr const char* kVersionText = "3.20";
inline constexpr const char* kSettingsFileName = "TRACELUX.INI";
inline constexpr const char* kReanalysisFileName = "~RANAL.CSV";
// The wait after the unit's reset at shutdown: long enough for the command to leave the serial
// adapter (closing the device drains what is left) but not two seconds, through which the
// program used to linger with its home locked after its window had closed.
inline constexpr int kShutdownResetWaitMs = 100;

// What differs between the front ends' start-ups; the defaults are a plain desktop start.
struct StartUpOptions {
  // The port used when the settings name none (the unit given on the desktop's command line).
  int defaultComPort = 0;
  // Headless use: values given by the caller replace what the home holds.
  std::optional<int> comPort, videoType, delayType;
  std::optional<ExperimentParameters> parameters;
  std::optional<ZoneMap> map;
  // False when the caller has recovered the home's interrupted runs itself.
  bool offerRecovery = true;
  // Take the lock of the setup's recording first, so a second program is refused before it
  // touches the unit.
  bool claimRecording = false;
  // End the start-up when the unit does not respond (a headless run needs its unit).
  bool requireUnit = false;
  // Called once the settings are final, just before the unit is reset.
  std::function<void()> beforeUnit;
  // Asked after the unit's reset: true ends the start-up there (a stop was asked for meanwhile).
  std::function<bool()> interrupted;
};

// How the start-up ended.
enum class StartUpEnd { Done, RecordingRefused, UnitSilent, Interrupted };

// The port a start-up uses: the settings' own when they name one (1..8), else the default.
int StartUpComPort(int settingsPort, int defaultPort);

class Program {
 public:
  // The view may be null (headless use).
  Program(std::string programHome, Clock& clock, UserAnswers& answers, SerialLink& serial,
          MainView* view = nullptr);
  ~Program();
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  // The whole core start-up, used by both front ends: LoadFiles and the options' port and
  // overrides, the home view, the offer to recover each interrupted run, the recording's lock
  // when asked, BringUpUnit and, with a time-of-day start, its question.
  StartUpEnd StartUp(const StartUpOptions& options = {});
  // Program settings, the default setup, colours and the default map; the directories.
  void LoadFiles();
  // Every interrupted run of this home in turn; the caller holds the home's lock.
  std::vector<RecoveryReport> OfferRecovery();
  // Reset and initialize; the Video Inverted state; the object filter. True when the unit responds.
  bool BringUpUnit();
  // The start-up's first reset and initialisation of the unit is done (answered or not).
  bool UnitBroughtUp() const { return unitBroughtUp_; }
  // With Delay Type time of day: the time-of-day form of the start checks.
  void AskTimeOfDayStart();

  // Asks the stop question instead when a run is busy; true when the program may close.
  bool CloseRequest() { return run.CloseRequest(); }
  // The core shutdown: the unit put to rest, the port closed and, with writeFiles, every
  // settings file written back and the reanalysis file removed.
  void Shutdown(bool writeFiles = true);

  std::string SettingsPath() const;

  // --- Program-wide records ---
  const std::string home;
  ProgramSettings settings;
  ExperimentParameters parameters;
  ZoneMap currentMap = ZoneMap::FourQuadrants();
  ZoneMapDocument zoneEditor;  // the map being edited, its history and what the overlay holds
  ColourTable colours = DefaultColourTable();
  DataFileInfo dataFileInfo;
  BatchChoices batchChoices;  // read from the home when the batch window first opens

  // --- Services and the parts built on them ---
  Clock& clock;
  UserAnswers& answers;
  SerialLink& serial;
  IntervalPacer pacer;
  TrackerLink link;
  CommandSet commands;
  StreamDecoder decoder;
  RunDisplay display;

 private:
  MainView nullView_;
  MainView& view_;
  bool unitBroughtUp_ = false;

 public:
  RunController run;
};

}  // namespace tlx
