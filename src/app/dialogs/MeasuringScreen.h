// The measuring screen (frmBlack): a black full-screen window with the instructions, the white
// line between the chosen points and the distance, while the unit's cursor follows the mouse. The
// simulated unit has no camera and no monitor: the zone map stands in for its picture and the
// screen draws the cross hairs the unit's monitor would show.
#pragma once

#include "device/DistanceMeasuring.h"
#include "setup/Colours.h"
#include "zonemap/ZoneMap.h"

#include <QImage>
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
  // Shows the map, over the whole screen as the unit's picture, in place of the black field.
  void ShowMapAsPicture(const ZoneMap& map, const ColourTable& colours);
  const QString& HelpText() const { return help_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void PaintHelp(QPainter& p);
  void PaintCrossHairs(QPainter& p);

  DistanceMeasuring& measuring_;
  const ExperimentParameters& parameters_;
  QString help_;
  QLine line_;
  bool lineShown_ = false;
  ZoneMap map_;
  ColourTable colours_;
  bool mapShown_ = false;
  QImage picture_;  // the map at the screen's size, drawn again when that changes
};

}  // namespace tlx::gui
