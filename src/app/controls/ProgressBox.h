// The progress box (frmQBXProgress): a small topmost window with a caption, a percentage and a
// bar, shown while a long operation runs.
#pragma once

#include "controls/BusyBoxes.h"

#include <QWidget>

class QLabel;

namespace tlx::gui {

class ProgressBar;

class ProgressBox : public QWidget {
  Q_OBJECT

 public:
  explicit ProgressBox(QWidget* parent = nullptr);

  // The caption reads "<text> ... Please Wait".
  void SetMessage(const QString& text);
  void SetValue(double percent);
  double Value() const { return model_.Value(); }
  QString CaptionText() const;
  QString PercentText() const;
  // The width the bar's fill has now, in pixels.
  int FillWidth() const;

 private:
  ProgressModel model_;
  QLabel* lblCaption_;
  QLabel* lblPercent_;
  ProgressBar* bar_;
};

// The outline and fill of the progress box.
class ProgressBar : public QWidget {
  Q_OBJECT

 public:
  ProgressBar(const ProgressModel& model, QWidget* parent);
  int FillWidth() const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  const ProgressModel& model_;
};

}  // namespace tlx::gui
