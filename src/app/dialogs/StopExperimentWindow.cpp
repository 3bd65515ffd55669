#include "app/dialogs/StopExperimentWindow.h"

#include "app/panels/PanelKit.h"

#include <QKeyEvent>
#include <QStyle>
#include <QVBoxLayout>

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
  connect(results_, &QPushButton::clicked, this, [this] {
    Answer(MsgAnswer::Ok);
    emit ResultsWanted();
  });
}

void StopExperimentWindow::Answer(MsgAnswer answer) {
  if (!waiting_) {
    early_ = answer;
    hide();
    return;
  }
  done(static_cast<int>(answer));
}

void StopExperimentWindow::OfferResults(bool offer) {
  if (!waiting_) results_->setVisible(offer);
}

void StopExperimentWindow::ShowForm(StopWindowForm form, const MessageRequest& content) {
  // While a question waits, its text stays; anything else is asked in a message box of its own.
  if (waiting_) return;
  form_ = form;
  content_ = content;
  shown_ = true;
  early_.reset();
  if (form == StopWindowForm::Confirm) results_->hide();
  setWindowTitle(ScreenText(content.caption));
  message_->setText(ScreenText(content.text));
  cancel_->setVisible(form == StopWindowForm::Confirm);
  adjustSize();
  show();
}

bool StopExperimentWindow::Shows(const MessageRequest& request) const {
  return shown_ && !waiting_ && request.caption == content_.caption && request.text == content_.text;
}

MsgAnswer StopExperimentWindow::WaitForAnswer() {
  if (early_) {
    const MsgAnswer answer = *early_;
    early_.reset();
    shown_ = false;
    return answer;
  }
  waiting_ = true;
  const int result = exec();
  waiting_ = false;
  shown_ = false;  // exec has hidden the window, whichever way it ended
  return result == static_cast<int>(MsgAnswer::Ok) ? MsgAnswer::Ok : MsgAnswer::Cancel;
}

// In the status form Enter and Escape close the window without the OK button's overlay clearing.
void StopExperimentWindow::keyPressEvent(QKeyEvent* event) {
  const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
  if (form_ == StopWindowForm::Status && enter && event->modifiers() == Qt::NoModifier) {
    done(static_cast<int>(MsgAnswer::Cancel));
    return;
  }
  QDialog::keyPressEvent(event);
}

void StopExperimentWindow::HideWindow() {
  if (waiting_) return;
  shown_ = false;
  early_.reset();
  hide();
}

}  // namespace tlx::gui
