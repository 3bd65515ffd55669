// The object area calculator without its window: asks the unit for the size of the object it
// follows, keeps every measurement in pixels and in square units, and their running averages.
#pragma once

#include "common/UserAnswers.h"
#include "device/CommandSet.h"
#include "device/StreamDecoder.h"
#include "setup/ExperimentParameters.h"

#include <string>
#include <vector>

namespace tlx {

class AreaCalculator {
 public:
  AreaCalculator(CommandSet& commands, const ExperimentParameters& parameters,
                 UserAnswers& answers);

  // Opening: stops a running stream, initialises and takes the first measurement.
  void Open();
  // Closing: resumes the monitor's position stream when the monitor panel is shown.
  void Close(bool monitorPanelShown, StreamDecoder& decoder);

  // Unit heading "Sq. <unit name>", then ClearAverages.
  void DoAllCalcInit();
  void ClearAverages();
  // One measurement; the error message and nothing added when the unit does not answer.
  void DoCalculateArea();
  void AddValueToListBox(double pixels, double units);
  void RecalculateAverage();

  const std::vector<std::string>& Values() const { return values_; }
  const std::vector<std::string>& Units() const { return units_; }
  const std::string& UnitsHeading() const { return unitsHeading_; }
  const std::string& AverageValue() const { return averageValue_; }
  const std::string& AverageUnit() const { return averageUnit_; }
  // The selected (last) entry of each list, -1 when empty.
  int SelectedIndex() const { return selected_; }

 private:
  CommandSet& commands_;
  const ExperimentParameters& parameters_;
  UserAnswers& answers_;
  std::vector<std::string> values_;
  std::vector<std::string> units_;
  std::string unitsHeading_;
  std::string averageValue_;
  std::string averageUnit_;
  int selected_ = -1;
};

}  // namespace tlx
