// The delay box (frmQBXDelayBox): a topmost message window that closes itself after a time
// measured on the program's clock, or when the user presses OK or Escape.
#pragma once

#include "common/Clock.h"
#include "controls/BusyBoxes.h"

#include <QWidget>

class QLabel;
class QPushButton;

namespace tlx::gui {

class DelayBox : public QWidget {
  Q_OBJECT

 public:
  DelayBox(DelayBoxModel& model, Clock& clock, QWidget* parent = nullptr);

  // Shows the text; with seconds above 0 the box closes itself after that long.
  void ShowDisp(const QString& text, bool showOK, double seconds);
  // Shows the model's state (closed by its timer, or dismissed elsewhere).
  void SyncWithModel();
  QString MessageText() const;
  QPushButton* OkButton() const { return cmdOK_; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void SizeAround();

  DelayBoxModel& model_;
  Clock& clock_;
  QLabel* lblMsg_;
  QPushButton* cmdOK_;
};

}  // namespace tlx::gui
