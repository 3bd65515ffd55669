// The "Setup Experiment" panel's transfer of values into and out of the experiment record, and
// the File menu's setup load and save while that panel is shown. The panel's widgets are reached
// through ExperimentScreen, which the desktop program implements and the tests fake.
#pragma once

#include "common/UserAnswers.h"
#include "setup/ExperimentParameters.h"

#include <string>
#include <vector>

namespace tlx {

// The panel's range boxes, in the order they are read back.
enum class ScreenBox {
  SessLen, NumSess, InitDelay, MaxDist, AmbulThresh, StereoThresh, CalibScale, CalibRef
};

class ExperimentScreen {
 public:
  virtual ~ExperimentScreen() = default;
  // pfExptData: the file name and its save check box.
  virtual std::string DataFileName() = 0;
  virtual void SetDataFileName(const std::string& path) = 0;
  virtual bool SaveChecked() = 0;
  virtual void SetSaveChecked(bool on) = 0;
  // The range boxes; CheckBox reports and corrects a value outside the box's limits.
  virtual double BoxValue(ScreenBox box) = 0;
  virtual void SetBoxValue(ScreenBox box, double value) = 0;
  virtual bool CheckBox(ScreenBox box, bool showWarn) = 0;
  // cboMeasUnits and lblCalibUnits.
  virtual std::vector<std::string> UnitEntries() = 0;
  virtual int UnitIndex() = 0;
  virtual void SetUnitIndex(int index) = 0;
  virtual void SetUnitLabel(const std::string& text) = 0;
  // cboSampleRate.
  virtual std::vector<std::string> RateEntries() = 0;
  virtual int RateIndex() = 0;
  virtual void SetRateIndex(int index) = 0;
};

// The "Invalid Value" message for a calibrate scale of zero or less.
MessageRequest CalibrateScaleZeroMessage();

void ParametersToScreen(const ExperimentParameters& record, ExperimentScreen& screen);
// True when every check passed; the record takes the screen's values either way.
bool ParametersFromScreen(ExperimentParameters& record, ExperimentScreen& screen,
                          UserAnswers& answers, int videoType);

// The File menu's "&Save ..." and "&Load ..." on the experiment panel. setupFolder is the
// directory the dialogs offer first; it follows each file loaded or saved. `chosenFile`, when
// given, receives the file loaded or saved.
bool SaveSetupCommand(ExperimentParameters& record, ExperimentScreen& screen, UserAnswers& answers,
                      int videoType, std::string& setupFolder, std::string* chosenFile = nullptr);
bool LoadSetupCommand(ExperimentParameters& record, ExperimentScreen& screen, UserAnswers& answers,
                      int videoType, std::string& setupFolder, std::string* chosenFile = nullptr);
// The load itself, for a file already chosen (the command, a file dropped on the window). False
// when the file cannot be read as a setup; the screen then keeps its values.
bool LoadSetupFile(ExperimentParameters& record, ExperimentScreen& screen, int videoType,
                   const std::string& path);

// The experiment in one line for the home page: "3 sessions of 00:10:00 at 30 samples/s,
// recording to RUN1.DAT".
std::string ExperimentSummary(const ExperimentParameters& record);

}  // namespace tlx
