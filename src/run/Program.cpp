#include "run/Program.h"

#include "common/FileChecks.h"
#include "common/Paths.h"
#include "common/RecordingLock.h"
#include "run/RunJournal.h"
#include "run/RunTexts.h"
#include "setup/ProgramSettingsFile.h"
#include "setup/SetupFile.h"
#include "zonemap/MapFile.h"

namespace tlx {
namespace {

// A directory setting that names no existing directory gets its default, created when missing.
void DefaultDirectory(std::string& field, const std::string& fallback) {
  if (!field.empty() && DirectoryExists(field)) return;
  field = fallback;
  if (!DirectoryExists(field) && !EnsureDirectory(field)) EnsureDirectory(field);
  if (!DirectoryExists(field)) field.clear();
}

}  // namespace

Program::Program(std::string programHome, Clock& clockRef, UserAnswers& answersRef,
                 SerialLink& serialRef, MainView* view)
    : home(std::move(programHome)),
      clock(clockRef),
      answers(answersRef),
      serial(serialRef),
      link(serial, clock, pacer),
      commands(link, answers),
      decoder(link, commands),
      view_(view ? *view : nullView_),
      run(RunContext{clock, answers, commands, decoder, display, view_, parameters, settings,
                     currentMap, home}) {
  commands.SetRefreshHandler([this] { view_.RefreshWindow(); });
}

Program::~Program() = default;

std::string Program::SettingsPath() const { return JoinPath(home, kSettingsFileName); }

int StartUpComPort(int settingsPort, int defaultPort) {
  return defaultPort > 0 && (settingsPort < 1 || settingsPort > 8) ? defaultPort : settingsPort;
}

StartUpEnd Program::StartUp(const StartUpOptions& o) {
  LoadFiles();
  // The port and the overrides are settled before anything shows or uses them.
  settings.ComPort = static_cast<std::int16_t>(StartUpComPort(o.comPort.value_or(settings.ComPort),
                                                              o.defaultComPort));
  if (o.videoType) settings.VideoType = static_cast<std::int16_t>(*o.videoType);
  if (o.delayType) settings.DelayType = static_cast<std::int16_t>(*o.delayType);
  if (o.parameters) {
    parameters = *o.parameters;
    NormaliseSampleRate(parameters, settings.VideoType);
  }
  if (o.map) currentMap = *o.map;
  view_.EnterHome();
  if (o.offerRecovery) OfferRecovery();
  if (o.claimRecording && !run.ClaimRecording()) return StartUpEnd::RecordingRefused;
  if (o.beforeUnit) o.beforeUnit();
  const bool responding = BringUpUnit();
  if (o.requireUnit && !responding) return StartUpEnd::UnitSilent;
  if (o.interrupted && o.interrupted()) return StartUpEnd::Interrupted;
  AskTimeOfDayStart();
  return responding ? StartUpEnd::Done : StartUpEnd::UnitSilent;
}

void Program::LoadFiles() {
  ReadProgramSettings(SettingsPath(), settings);
  // A new home starts from the values of a new setup; a setup file already there keeps its own.
  const std::string setupPath = DefaultSetupPath(home);
  if (!FileExists(setupPath)) parameters = NewSetupParameters();
  LoadParameters(setupPath, parameters);
  SanitiseParameters(parameters);
  NormaliseSampleRate(parameters, settings.VideoType);
  ReadColours(ColoursPath(home), colours);
  const std::string mapPath = DefaultMapPath(home);
  ZoneMap map;
  if (ReadMapFile(mapPath, map)) {
    currentMap = map;
  } else if (FileExists(mapPath)) {
    answers.ShowMessage({"Not a zone map file", "The file selected is\r\nnot a valid zone map.",
                         MsgIcon::Exclamation, MsgButtons::Ok});
  }
  DefaultDirectory(settings.ConfigDir, JoinPath(home, "CONFIG"));
  DefaultDirectory(settings.DataDir, DefaultDataDirectory(home));
  display.SetDrawTrace(settings.DrawTrace);
}

std::vector<RecoveryReport> Program::OfferRecovery() {
  std::vector<RecoveryReport> reports = OfferRunRecoveries(home, answers);
  // The setup's own data file beside a raw file that no journal recovered (nobody records it
  // now): said at every start, as it is never recorded over.
  const std::string& dataFile = parameters.DataFile;
  RecordingLock probe;
  if (parameters.SaveData && !dataFile.empty() && UnrecoveredSamples(dataFile) > 0 &&
      probe.Acquire(dataFile) == RecordingLock::Result::Locked) {
    probe.Release();
    answers.ShowMessage(
        RecoveryKeptMessage(UnrecoveredRecordingText(dataFile, UnrecoveredSamples(dataFile))));
  }
  return reports;
}

bool Program::BringUpUnit() {
  const bool responding = commands.ResetAndInitialize(settings.ComPort);
  commands.ReadVideoInverted();
  if (responding) commands.SendObjectFilter(settings.ObjectFilter);
  unitBroughtUp_ = true;
  return responding;
}

void Program::AskTimeOfDayStart() {
  if (settings.DelayType == 1) run.ConfirmStart(true);
}

void Program::Shutdown(bool writeFiles) {
  if (run.IsRunBusy()) run.ConfirmStop();  // never leave a recording without its data file
  run.CompleteEnding();  // the finish flashing is cut short: the unit is reset below
  display.SetPanel(DisplayPanel::Other);
  view_.EnterHome();
  commands.StopStream();
  commands.StoreVideoInverted();
  commands.Reset();
  link.WaitMilliseconds(kShutdownResetWaitMs);
  link.ClosePort();
  if (!writeFiles) return;
  WriteColours(ColoursPath(home), colours);
  WriteProgramSetFile(SettingsPath(), settings);
  WriteSetupFile(DefaultSetupPath(home), parameters);
  WriteProgramIniFile(SettingsPath(), settings);
  WriteMapFile(DefaultMapPath(home), currentMap);
  DeleteFile(JoinPath(home, kReanalysisFileName));
}

}  // namespace tlx
