#include "app/dialogs/StopExperimentWindow.h"

#include "app/panels/PanelKit.h"

#include <QKeyEvent>
#include <QStyle>
#include <QVBoxLayout>

#include <utility>

namespace tlx::gui {

StopExperimentWindow::StopExperimentWindow(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("frmStopExperiment"));
  setWindowModality(Qt::WindowModal);
  auto* layout = new QVBoxLayout(this);
  message_ = NamedLabel(this, "lblMessage");
  message_->setAlignment(Qt::AlignCenter);
  QFont f = message_->font();
  f.setPointSize(f.pointSize() + 2);
  message_->setFont(f);
  message_->setMinimumWidth(260);
  layout->addWidget(message_, 1);
  auto* row = new QHBoxLayout;
  row->addStretch(1);
  ok_ = NamedButton(this, "cmdOK", QStringLiteral("&OK"));
  cancel_ = NamedButton(this, "cmdCancel", QStringLiteral("&Cancel"));
  results_ = NamedButton(this, "cmdOpenResults", QStringLiteral("Open &Results"));
  results_->setToolTip(QStringLiteral("Close this window and open the recording on the data panel"));
  results_->hide();
  ok_->setDefault(true);
  row->addWidget(ok_);
  row->addWidget(results_);
  row->addWidget(cancel_);
  row->addStretch(1);
  layout->addLayout(row);
  connect(ok_, &QPushButton::clicked, this, [this] { Answer(MsgAnswer::Ok); });
  connect(cancel_, &QPushButton::clicked, this, [this] { Answer(MsgAnswer::Cancel); });
  connect(results_, &QPushButton::clicked, this, [this] { Answer(MsgAnswer::Ok, true); });
}

void StopExperimentWindow::Answer(MsgAnswer answer, bool results) {
  hide();
  if (!waiting_) {
    early_ = answer;
    earlyResults_ = results;
    return;
  }
  waiting_ = false;
  Deliver(answer, results);
}

// The core has the answer first; the recording opens after it (the window is home by then).
void StopExperimentWindow::Deliver(MsgAnswer answer, bool results) {
  emit Answered(answer);
  if (results) emit ResultsWanted();
}

void StopExperimentWindow::OfferResults(bool offer) { results_->setVisible(offer); }

void StopExperimentWindow::ShowForm(StopWindowForm form, const MessageRequest& content) {
  form_ = form;
  waiting_ = false;
  early_.reset();
  earlyResults_ = false;
  if (form == StopWindowForm::Confirm) results_->hide();
  setWindowTitle(ScreenText(content.caption));
  message_->setText(ScreenText(content.text));
  cancel_->setVisible(form == StopWindowForm::Confirm);
  adjustSize();
  show();
}

void StopExperimentWindow::AwaitAnswer() {
  if (early_) {
    const MsgAnswer answer = *std::exchange(early_, std::nullopt);
    Deliver(answer, std::exchange(earlyResults_, false));
    return;
  }
  waiting_ = true;
  show();
}

void StopExperimentWindow::reject() { Answer(MsgAnswer::Cancel); }

// In the status form Enter and Escape close the window without the OK button's overlay clearing.
void StopExperimentWindow::keyPressEvent(QKeyEvent* event) {
  const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
  if (form_ == StopWindowForm::Status && enter && event->modifiers() == Qt::NoModifier) {
    Answer(MsgAnswer::Cancel);
    return;
  }
  QDialog::keyPressEvent(event);
}

// A stopped run's status form closes with its end; "Open Results" pressed during the flashing
// still opens the recording.
void StopExperimentWindow::HideWindow() {
  const bool results = early_ && earlyResults_;
  waiting_ = false;
  early_.reset();
  earlyResults_ = false;
  hide();
  if (results) emit ResultsWanted();
}

}  // namespace tlx::gui
