// The range box widget: a text box over the range box model, for numbers, durations and times
// of day within limits. The panels name it (rbSessLen, ...) with setObjectName.
#pragma once

#include "controls/RangeBox.h"

#include <QWidget>

class QLineEdit;

namespace tlx::gui {

class QbxRangeBox : public QWidget {
  Q_OBJECT

 public:
  explicit QbxRangeBox(UserAnswers& answers, QWidget* parent = nullptr);

  RangeBoxModel& Model() { return model_; }
  const RangeBoxProperties& Properties() const { return model_.Props(); }
  // Applies properties (limits, style, font, enabled state) and redisplays.
  void SetProperties(const RangeBoxProperties& props);

  double Value() const { return model_.Value(); }
  void SetValue(double value);
  // Checks the typed text (see the model); the box always ends with a valid value.
  bool CheckRange(bool showWarn);
  // The typed text as a number, not limited (see the model); none when it is not a number.
  std::optional<double> TypedNumber();
  QString Text() const;
  QLineEdit* TextBox() const { return edit_; }

 signals:
  void Change();
  void Enter();
  void KeyDown(int keyCode, int shift);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void SyncToModel();
  void SyncFromModel();
  bool HandleKey(class QKeyEvent* event);

  RangeBoxModel model_;
  QLineEdit* edit_;
  bool inModel_ = false;  // a model call is running (it may show a modal message)
};

}  // namespace tlx::gui
