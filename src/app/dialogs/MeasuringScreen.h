// The measuring screen (frmBlack): a black full-screen window with the instructions, the white
// line between the chosen points and the distance, while the unit's cursor follows the mouse.
#pragma once

#include "device/DistanceMeasuring.h"

#include <QWidget>

namespace tlx::gui {

class MeasuringScreen : public QWidget {
  Q_OBJECT

 public:
  MeasuringScreen(DistanceMeasuring& measuring, const ExperimentParameters& parameters,
                  QWidget* parent = nullptr);

  // Shows the screen and keeps the cursor moving until measuring ends (ESC, ENTER, right
  // button, or the screen closed).
  void Run();
  // One cursor step from the mouse's place on the screen.
  void Step();
  void SelectAt(QPoint windowPos);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  DistanceMeasuring& measuring_;
  const ExperimentParameters& parameters_;
  QString help_;
  QLine line_;
  bool lineShown_ = false;
};

}  // namespace tlx::gui
