// Small windows of the set-up menus: the colour window (frmColors), the object area calculator
// (frmCalcArea) and the live video window (frmLiveVideo).
#pragma once

#include "device/AreaCalculator.h"
#include "setup/Colours.h"

#include <QDialog>

#include <functional>
#include <optional>

class QFrame;
class QLabel;
class QListWidget;

namespace tlx::gui {

class ColorsWindow : public QDialog {
  Q_OBJECT

 public:
  // Asks the user for a colour, starting from the given one; none when cancelled.
  using ColourChooser = std::function<std::optional<QColor>(const QColor&)>;

  // `updateColors` redraws whatever shows the map (OK and Default); `applyToGrid` hands the
  // table to the zone grid (OK only).
  ColorsWindow(ColourTable& table, std::function<void()> updateColors, QWidget* parent = nullptr,
               std::function<void()> applyToGrid = {});

  void SetChooser(ColourChooser chooser) { chooser_ = std::move(chooser); }
  // The code of the selected entry's character (32 for the blank), -1 with none selected.
  int SelectedCode() const;
  void SelectClicked();
  void DefaultClicked();
  QListWidget* Letters() const { return letters_; }
  QFrame* Swatch() const { return swatch_; }

 private:
  void ShowSwatch();

  ColourTable& table_;
  std::function<void()> updateColors_;
  std::function<void()> applyToGrid_;
  ColourChooser chooser_;
  QListWidget* letters_;
  QFrame* swatch_;
};

class CalcAreaWindow : public QDialog {
  Q_OBJECT

 public:
  CalcAreaWindow(AreaCalculator& calculator, QWidget* parent = nullptr);
  void Calculate();
  void Clear();
  void Refresh();

 private:
  AreaCalculator& calc_;
  QListWidget* values_;
  QListWidget* units_;
  QLabel* unitsHeading_;
  QLabel* avgValue_;
  QLabel* avgUnit_;
};

class LiveVideoWindow : public QDialog {
  Q_OBJECT

 public:
  explicit LiveVideoWindow(QWidget* parent = nullptr);

 signals:
  void Closed();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace tlx::gui
