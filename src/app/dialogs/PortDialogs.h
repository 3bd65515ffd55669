// Choosing the unit's serial port: the port dialog (frmPickCom) and the port selector control
// (QBXCOMSELECT), both over the core's port logic.
#pragma once

#include "device/Ports.h"

#include <QDialog>
#include <QGroupBox>

#include <array>

class QComboBox;
class QPushButton;
class QRadioButton;

namespace tlx::gui {

class PickComDialog : public QDialog {
  Q_OBJECT

 public:
  PickComDialog(const PortTable& ports, ProgramSettings& settings, TrackerLink& link,
                QWidget* parent = nullptr);

  QComboBox* List() const { return list_; }
  void Ok();

 private:
  ProgramSettings& settings_;
  TrackerLink& link_;
  QComboBox* list_;
};

class ComSelectWidget : public QGroupBox {
  Q_OBJECT

 public:
  explicit ComSelectWidget(std::function<bool(int)> portValid, QWidget* parent = nullptr);

  ComSelect& Model() { return model_; }
  void SetValue(int value);
  // Tests the ports again and shows the result.
  void Reset();
  QRadioButton* Option(int index) const { return options_[static_cast<std::size_t>(index)]; }

 signals:
  void Change();

 private:
  void Show();

  ComSelect model_;
  std::array<QRadioButton*, ComSelect::kPorts> options_{};
};

}  // namespace tlx::gui
