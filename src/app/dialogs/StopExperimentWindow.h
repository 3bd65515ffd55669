// The stop window (frmStopExperiment): the stop question with OK and Cancel, or the run's status
// with OK only. It is window-modal over the main window, so the run and its display go on while
// it waits for the answer.
#pragma once

#include "common/UserAnswers.h"
#include "run/MainView.h"

#include <QDialog>

#include <optional>

class QLabel;
class QPushButton;

namespace tlx::gui {

class StopExperimentWindow : public QDialog {
  Q_OBJECT

 public:
  explicit StopExperimentWindow(QWidget* parent = nullptr);

  // Shows the form without waiting; it replaces whatever the window showed.
  void ShowForm(StopWindowForm form, const MessageRequest& content);
  // From now on the answer is brought by Answered: at once when a button was pressed before
  // (during the finish flashing), else when one is. Closing the window (Escape, the close box,
  // and Enter in the status form) answers Cancel, so the status form's close leaves the unit's
  // overlay as it is.
  void AwaitAnswer();
  void HideWindow();
  bool Waiting() const { return waiting_; }
  // The status form of a run whose files were all written offers its results.
  void OfferResults(bool offer);

  QLabel* Message() const { return message_; }
  QPushButton* OkButton() const { return ok_; }
  QPushButton* CancelButton() const { return cancel_; }
  QPushButton* ResultsButton() const { return results_; }

 signals:
  void Answered(MsgAnswer answer);
  // "Open Results": the window closes as OK does, then the recording is to be opened.
  void ResultsWanted();

 public slots:
  void reject() override;

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  // A button pressed before the answer is awaited is kept until it is.
  void Answer(MsgAnswer answer, bool results = false);
  void Deliver(MsgAnswer answer, bool results);

  QLabel* message_;
  QPushButton* ok_;
  QPushButton* cancel_;
  QPushButton* results_;
  std::optional<MsgAnswer> early_;
  bool earlyResults_ = false;
  StopWindowForm form_ = StopWindowForm::Confirm;
  bool waiting_ = false;
};

}  // namespace tlx::gui
