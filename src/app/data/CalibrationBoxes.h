// The data panel's paired pixel and unit boxes (txtPixels, txtUnits), rows calibration, ambulatory,
// stereotypic and maximum distance, converting into each other as typed and checking the thresholds.
#pragma once

#include "setup/ExperimentParameters.h"

#include <QObject>
#include <QString>

#include <array>
#include <cstdint>

class QLineEdit;
class QWidget;

namespace tlx {
class UserAnswers;
}

namespace tlx::gui {

class CalibrationBoxes : public QObject {
  Q_OBJECT

 public:
  static constexpr int kRows = 4;
  enum Row { kCalibration = 0, kAmbulatory = 1, kStereotypic = 2, kMaximum = 3 };

  CalibrationBoxes(UserAnswers& answers, QWidget* parent);

  QLineEdit* Pixels(int row) const { return pixels_[static_cast<std::size_t>(row)]; }
  QLineEdit* Units(int row) const { return units_[static_cast<std::size_t>(row)]; }

  void SetPair(const UnitsPerPixelValue& pair) { pair_ = pair; }
  // The threshold checks run only while a data file is open.
  void SetFileOpen(bool open) { fileOpen_ = open; }
  // Places recorded pixel values in the four rows and converts every row to units.
  void Fill(double scale, double ambulatory, double stereotypic, double maximum);
  void SetEditable(bool editable);

  double PixelValue(int row) const;
  double UnitValue(int row) const;
  // The ambulatory pixel value the trace is drawn with.
  std::int32_t AmbulatoryPixels() const { return ambulatoryPixels_; }

  // What ENTER and leaving a box do (also called by the key and focus handling).
  void PixelEnter(int row);
  void PixelLeft(int row);
  void UnitEnter(int row);
  void UnitLeft(int row);

 signals:
  // ENTER or leaving a box with an ambulatory pixel value other than the one last drawn with.
  void AmbulatoryChanged(std::int32_t pixels);
  // The user typed in one of the boxes.
  void Edited();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void PixelChanged(int row);
  void UnitChanged(int row);
  void ConvertPixels(int row);
  void ConvertUnits(int row);
  void RewriteUnits(int row);
  void CheckThresholds(int row);
  void SetRow(int row, const QString& pixels, const QString& units);
  void CheckRedraw();

  UserAnswers& answers_;
  std::array<QLineEdit*, kRows> pixels_{};
  std::array<QLineEdit*, kRows> units_{};
  std::array<QString, kRows> pixelTags_;
  std::array<QString, kRows> unitTags_;
  UnitsPerPixelValue pair_;
  bool fileOpen_ = false;
  bool filling_ = false;
  bool inPixels_ = false;
  bool inUnits_ = false;
  bool checking_ = false;
  std::int32_t ambulatoryPixels_ = 0;
  std::int32_t drawnAmbulatory_ = 0;
};

}  // namespace tlx::gui
