#include "setup/ParameterScreen.h"

#include "common/FileChecks.h"
#include "common/Numbers.h"
#include "common/Paths.h"
#include "common/Texts.h"
#include "common/TimeText.h"
#include "setup/ParameterRules.h"
#include "setup/SetupFile.h"
#include "setup/Units.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tlx {
namespace {

std::int32_t BoxLong(ExperimentScreen& screen, ScreenBox box) {
  const double v = RoundHalfEven(screen.BoxValue(box));
  constexpr double lo = std::numeric_limits<std::int32_t>::min();
  constexpr double hi = std::numeric_limits<std::int32_t>::max();
  if (!(v >= lo)) return static_cast<std::int32_t>(lo);  // NaN reads as the lowest value
  return static_cast<std::int32_t>(std::min(v, hi));
}

// The extensions the load command accepts as they are; any other name is given "EXP".
std::string LoadName(const std::string& chosen) {
  const std::string ext = ExtensionPart(chosen);
  if (SameText(ext, "EXP") || SameText(ext, "CFG")) return chosen;
  return ChangeExtension(chosen, "EXP");
}

}  // namespace

MessageRequest CalibrateScaleZeroMessage() {
  return {"Invalid Value", "Calibrate Scale\r\ncannot be zero", MsgIcon::Exclamation,
          MsgButtons::Ok};
}

void ParametersToScreen(const ExperimentParameters& r, ExperimentScreen& screen) {
  screen.SetDataFileName(r.DataFile);
  screen.SetSaveChecked(CanCreateFile(r.DataFile));
  screen.SetBoxValue(ScreenBox::SessLen, r.SessionLength);
  screen.SetBoxValue(ScreenBox::NumSess, r.NumberOfSessions);
  screen.SetBoxValue(ScreenBox::InitDelay, r.InitialDelay);
  screen.SetBoxValue(ScreenBox::MaxDist, r.MaximumDistance);
  screen.SetBoxValue(ScreenBox::AmbulThresh, r.AmbulatoryThreshold);
  screen.SetBoxValue(ScreenBox::StereoThresh, r.StereotypicThreshold);
  screen.SetBoxValue(ScreenBox::CalibScale, r.CalibrateScale);
  screen.SetBoxValue(ScreenBox::CalibRef, r.CalibrateReference);

  const std::vector<std::string> units = screen.UnitEntries();
  const std::string name = UnitName(r.MeasurementUnits);
  int index = 0;
  for (std::size_t i = 0; i < units.size(); ++i) {
    if (SameText(units[i], name)) {
      index = static_cast<int>(i);
      break;
    }
  }
  if (!units.empty()) {
    screen.SetUnitIndex(index);
    screen.SetUnitLabel(units[static_cast<std::size_t>(index)]);
  }
  screen.SetRateIndex(r.SampleRate == 1 ? 0 : r.SampleRate == 5 ? 1 : 2);
}

bool ParametersFromScreen(ExperimentParameters& r, ExperimentScreen& screen, UserAnswers& answers,
                          int videoType) {
  r.DataFile = screen.DataFileName();
  r.SaveData = screen.SaveChecked();
  bool ok = true;
  // Every box is read even after a failed check, so the record takes all the corrected values.
  ok = screen.CheckBox(ScreenBox::SessLen, true) && ok;
  r.SessionLength = BoxLong(screen, ScreenBox::SessLen);
  // A run's sessions are as long as its data file can say: a length typed between the steps of
  // 5 s is rounded as a setup file's is, and shown so.
  if (const std::int32_t recordable = RecordableSessionLength(r.SessionLength); recordable != r.SessionLength) {
    r.SessionLength = recordable;
    screen.SetBoxValue(ScreenBox::SessLen, recordable);
  }
  ok = screen.CheckBox(ScreenBox::NumSess, true) && ok;
  r.NumberOfSessions = BoxLong(screen, ScreenBox::NumSess);
  ok = screen.CheckBox(ScreenBox::InitDelay, true) && ok;
  r.InitialDelay = BoxLong(screen, ScreenBox::InitDelay);
  ok = screen.CheckBox(ScreenBox::MaxDist, true) && ok;
  r.MaximumDistance = static_cast<float>(screen.BoxValue(ScreenBox::MaxDist));
  ok = screen.CheckBox(ScreenBox::AmbulThresh, true) && ok;
  r.AmbulatoryThreshold = static_cast<float>(screen.BoxValue(ScreenBox::AmbulThresh));
  ok = screen.CheckBox(ScreenBox::StereoThresh, true) && ok;
  r.StereotypicThreshold = static_cast<float>(screen.BoxValue(ScreenBox::StereoThresh));

  r.CalibrateScale = static_cast<float>(screen.BoxValue(ScreenBox::CalibScale));
  if (!(r.CalibrateScale > 0)) {
    r.CalibrateScale = 1;
    screen.SetBoxValue(ScreenBox::CalibScale, 1);
    ok = false;
    answers.ShowMessage(CalibrateScaleZeroMessage());
  }
  r.CalibrateReference = static_cast<float>(screen.BoxValue(ScreenBox::CalibRef));

  const std::vector<std::string> units = screen.UnitEntries();
  std::string unitText = "Undefined";
  if (!units.empty()) {
    const int last = static_cast<int>(units.size()) - 1;
    unitText = units[static_cast<std::size_t>(std::clamp(screen.UnitIndex(), 0, last))];
  }
  r.MeasurementUnits = UnitCodeFromName(unitText);
  // A calibration the data file cannot hold exactly would make a later reading of the file
  // compute other distances than the run did.
  if (r.CalibrateScale > 0) {
    if (const std::string problem = CalibrationProblem(r.CalibrateScale, r.CalibrateReference, r.MeasurementUnits);
        !problem.empty()) {
      ok = false;
      answers.ShowMessage({"Invalid Value", problem, MsgIcon::Exclamation, MsgButtons::Ok});
    }
  }

  const std::vector<std::string> rates = screen.RateEntries();
  const int rateIndex = screen.RateIndex();
  const std::string rateText = rateIndex >= 0 && rateIndex < static_cast<int>(rates.size())
                                   ? rates[static_cast<std::size_t>(rateIndex)]
                                   : std::string();
  const double rate = RoundHalfEven(TimeTextToSeconds(rateText));
  r.SampleRate = static_cast<std::int16_t>(rate >= -32768 && rate <= 32767 ? rate : 0);
  NormaliseSampleRate(r, videoType);
  r.UnitsPerPixel = UnitsPerPixel(r.CalibrateScale, r.CalibrateReference);
  // Thresholds that contradict each other are kept (the user may mean them) but said, as the
  // data panel says them.
  for (const char* warning : ThresholdWarnings(r.MaximumDistance, r.AmbulatoryThreshold, r.StereotypicThreshold)) {
    answers.ShowMessage({kThresholdWarningCaption, warning, MsgIcon::Exclamation, MsgButtons::Ok});
  }
  return ok;
}

bool SaveSetupCommand(ExperimentParameters& r, ExperimentScreen& screen, UserAnswers& answers,
                      int videoType, std::string& setupFolder, std::string* chosenFile) {
  if (!ParametersFromScreen(r, screen, answers, videoType)) return false;
  std::string name = ShowFileDialog(answers, setupFolder, "", "Save Experiment Setup", false, "EXP",
                                    true, false);
  if (name.empty()) return false;
  name = ChangeExtension(name, "EXP");
  if (!CanCreateFile(name) || !WriteSetupFile(name, r)) return false;
  setupFolder = DirectoryPart(name);
  if (chosenFile) *chosenFile = name;
  return true;
}

bool LoadSetupCommand(ExperimentParameters& r, ExperimentScreen& screen, UserAnswers& answers,
                      int videoType, std::string& setupFolder, std::string* chosenFile) {
  std::string name = ShowFileDialog(answers, setupFolder, "", "Load Experiment Setup", true,
                                    "EXP;*.CFG", true, false);
  if (name.empty()) return false;
  name = LoadName(name);
  if (!LoadSetupFile(r, screen, videoType, name)) return false;
  setupFolder = DirectoryPart(name);
  if (chosenFile) *chosenFile = name;
  return true;
}

bool LoadSetupFile(ExperimentParameters& r, ExperimentScreen& screen, int videoType,
                   const std::string& path) {
  if (!FileExists(path)) return false;
  const bool ok = LoadParameters(path, r);
  SanitiseParameters(r);
  NormaliseSampleRate(r, videoType);
  if (!ok) return false;
  ParametersToScreen(r, screen);
  return true;
}

std::string ExperimentSummary(const ExperimentParameters& r) {
  const std::int32_t n = r.NumberOfSessions;
  std::string text = std::to_string(n) + (n == 1 ? " session of " : " sessions of ") +
                     SecondsToDurationText(r.SessionLength) + " at " +
                     std::to_string(r.SampleRate) + (r.SampleRate == 1 ? " sample/s, " : " samples/s, ");
  if (!r.SaveData || r.DataFile.empty()) return text + "no data file chosen";
  return text + "recording to " + FileNamePart(r.DataFile);
}

}  // namespace tlx
