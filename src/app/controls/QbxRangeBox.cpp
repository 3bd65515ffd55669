#include "app/controls/QbxRangeBox.h"

#include "app/controls/BoxFont.h"
#include "app/controls/QtKeys.h"

#include <QFocusEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>

namespace tlx::gui {

QbxRangeBox::QbxRangeBox(UserAnswers& answers, QWidget* parent)
    : QWidget(parent), model_(answers), edit_(new QLineEdit(this)) {
  edit_->setObjectName(QStringLiteral("txtValue"));
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(edit_);
  setFocusProxy(edit_);
  edit_->installEventFilter(this);
  model_.onChange = [this] { emit Change(); };
  model_.onEnter = [this] { emit Enter(); };
  model_.onKeyDown = [this](int keyCode, int shift) { emit KeyDown(keyCode, shift); };
  // Selecting right away would be undone by the mouse click that gave the focus.
  model_.onDisplay = [this] { SyncFromModel(); };
  model_.onSelectAll = [this] { QTimer::singleShot(0, edit_, &QLineEdit::selectAll); };
  SetProperties(model_.Props());
}

void QbxRangeBox::SetProperties(const RangeBoxProperties& props) {
  model_.SetProperties(props);
  ApplyBoxFont(edit_, props.fontName, props.fontSize, props.fontBold, props.fontItalic);
  setEnabled(props.enabled);
  SyncFromModel();
}

void QbxRangeBox::SetValue(double value) {
  model_.SetValue(value);
  SyncFromModel();
}

bool QbxRangeBox::CheckRange(bool showWarn) {
  SyncToModel();
  const bool ok = model_.CheckRange(showWarn);
  SyncFromModel();
  return ok;
}

std::optional<double> QbxRangeBox::TypedNumber() {
  SyncToModel();
  return model_.TypedNumber();
}

QString QbxRangeBox::Text() const { return edit_->text(); }

void QbxRangeBox::SyncToModel() {
  const bool selected = edit_->hasSelectedText();
  model_.SetEditState(ToEntryText(edit_->text()),
                      selected ? edit_->selectionStart() : edit_->cursorPosition(),
                      selected ? static_cast<int>(edit_->selectedText().size()) : 0);
}

void QbxRangeBox::SyncFromModel() {
  const QString text = FromEntryText(model_.Text());
  if (edit_->text() != text) edit_->setText(text);
  edit_->setCursorPosition(model_.Caret());
}

bool QbxRangeBox::HandleKey(QKeyEvent* event) {
  if (inModel_) return true;
  SyncToModel();
  const int code = KeyCodeOf(event);
  inModel_ = true;
  const bool handled = code != 0 && model_.KeyDown(code, ShiftMaskOf(event));
  inModel_ = false;
  if (handled) {
    SyncFromModel();
    return true;
  }
  const QString typed = event->text();
  if (typed.size() == 1 && typed[0].isPrint()) {
    const char c = typed[0].toLatin1();
    if (c == 0 || !model_.AcceptsCharacter(c)) return true;
  }
  return false;
}

bool QbxRangeBox::eventFilter(QObject* watched, QEvent* event) {
  if (watched != edit_) return QWidget::eventFilter(watched, event);
  switch (event->type()) {
    case QEvent::KeyPress: return HandleKey(static_cast<QKeyEvent*>(event));
    case QEvent::FocusIn: model_.FocusIn(); break;
    case QEvent::FocusOut: {
      // Focus taken by another window (the range message itself, a menu) is not a leave.
      const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
      if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason && !inModel_) {
        inModel_ = true;
        SyncToModel();
        model_.FocusOut();
        SyncFromModel();
        inModel_ = false;
      }
      break;
    }
    default: break;
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace tlx::gui
