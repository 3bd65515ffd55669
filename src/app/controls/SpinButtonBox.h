// The spin button box: a text box with a vertical scroll bar whose up arrow raises the value,
// over the spin button model. The session picker of the data panel is one (spDataSessNum).
#pragma once

#include "controls/SpinButton.h"

#include <QWidget>

class QLineEdit;
class QScrollBar;

namespace tlx::gui {

class SpinButtonBox : public QWidget {
  Q_OBJECT

 public:
  explicit SpinButtonBox(UserAnswers& answers, QWidget* parent = nullptr);

  SpinButtonModel& Model() { return model_; }
  void SetProperties(const SpinButtonProperties& props);
  double Value() const { return model_.Value(); }
  void SetValue(double value);
  void SetMax(double max);
  QString Text() const;
  QLineEdit* TextBox() const { return edit_; }
  QScrollBar* ScrollBar() const { return bar_; }

 signals:
  void Change();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void SetUpScrollBar();
  void ShowModel();
  void BarMoved(int barValue);

  SpinButtonModel model_;
  QLineEdit* edit_;
  QScrollBar* bar_;
  bool settingUp_ = false;
};

}  // namespace tlx::gui
