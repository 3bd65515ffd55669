// The "Setup Experiment" panel (fraSetupExpt): the experiment's values in range boxes, the
// output file picker, the units and sample-rate lists, and the buttons that measure distances on
// the unit's picture. It is the screen side of the parameter transfer.
#pragma once

#include "setup/ParameterScreen.h"

#include <QFrame>

#include <array>

class QComboBox;
class QLabel;
class QPushButton;

namespace tlx::gui {

class QbxPickFile2;
class QbxRangeBox;

class ExperimentPanel : public QFrame, public ExperimentScreen {
  Q_OBJECT

 public:
  explicit ExperimentPanel(UserAnswers& answers, QWidget* parent = nullptr);

  // The initial delay is a duration, or a time of day when the delay type says so.
  void SetDelayStyle(bool timeOfDay);
  // "1", "5" and "25" (PAL) or "30"; keeps the chosen position.
  void FillSampleRates(int videoType);
  void SetDataDirectory(const std::string& directory);

  QbxRangeBox* Box(ScreenBox box) const { return boxes_[static_cast<int>(box)]; }
  QbxPickFile2* Picker() const { return picker_; }
  QComboBox* UnitsList() const { return units_; }
  QComboBox* RatesList() const { return rates_; }
  QPushButton* HomeButton() const { return home_; }

  // ExperimentScreen
  std::string DataFileName() override;
  void SetDataFileName(const std::string& path) override;
  bool SaveChecked() override;
  void SetSaveChecked(bool on) override;
  double BoxValue(ScreenBox box) override;
  void SetBoxValue(ScreenBox box, double value) override;
  bool CheckBox(ScreenBox box, bool showWarn) override;
  std::vector<std::string> UnitEntries() override;
  int UnitIndex() override;
  void SetUnitIndex(int index) override;
  void SetUnitLabel(const std::string& text) override;
  std::vector<std::string> RateEntries() override;
  int RateIndex() override;
  void SetRateIndex(int index) override;

 signals:
  void HomeClicked();
  // A "&Setup" button: measure the quantity of the mode on the unit's picture.
  void MeasureClicked(int mode);

 private:
  void SetUpBoxes(UserAnswers& answers);

  std::array<QbxRangeBox*, 8> boxes_{};
  QbxPickFile2* picker_;
  QComboBox* units_;
  QComboBox* rates_;
  QLabel* unitLabel_;
  QPushButton* home_;
};

}  // namespace tlx::gui
