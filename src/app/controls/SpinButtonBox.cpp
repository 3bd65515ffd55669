#include "app/controls/SpinButtonBox.h"

#include "app/controls/BoxFont.h"
#include "app/controls/QtKeys.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScrollBar>

namespace tlx::gui {

SpinButtonBox::SpinButtonBox(UserAnswers& answers, QWidget* parent)
    : QWidget(parent),
      model_(answers),
      edit_(new QLineEdit(this)),
      bar_(new QScrollBar(Qt::Vertical, this)) {
  edit_->setObjectName(QStringLiteral("txtValue"));
  bar_->setObjectName(QStringLiteral("vsbSpin"));
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(edit_, 1);
  layout->addWidget(bar_);
  bar_->setFixedHeight(edit_->sizeHint().height());  // the arrows sit beside the text box
  setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
  setFocusProxy(edit_);
  edit_->installEventFilter(this);
  model_.onChange = [this] { emit Change(); };
  model_.onScrollSetup = [this] { SetUpScrollBar(); };
  connect(bar_, &QScrollBar::valueChanged, this, &SpinButtonBox::BarMoved);
  SetProperties(model_.Props());
}

void SpinButtonBox::SetProperties(const SpinButtonProperties& props) {
  model_.SetProperties(props);
  ApplyBoxFont(edit_, props.fontName, props.fontSize, props.fontBold, props.fontItalic);
  bar_->setFixedHeight(edit_->sizeHint().height());
  setEnabled(props.enabled);
  ShowModel();
}

void SpinButtonBox::SetValue(double value) {
  model_.SetValue(value);
  ShowModel();
}

void SpinButtonBox::SetMax(double max) {
  model_.SetMax(max);
  ShowModel();
}

QString SpinButtonBox::Text() const { return edit_->text(); }

// The bar's value runs the other way round from the position, so that its up arrow (which
// lowers a vertical bar's value) raises the control's value.
void SpinButtonBox::SetUpScrollBar() {
  settingUp_ = true;
  const SpinScrollSetup& s = model_.Scroll();
  bar_->setRange(0, s.positions);
  bar_->setSingleStep(1);
  bar_->setPageStep(s.largeChange);
  bar_->setValue(s.positions - model_.Position());
  settingUp_ = false;
}

void SpinButtonBox::ShowModel() {
  settingUp_ = true;
  bar_->setValue(model_.Scroll().positions - model_.Position());
  settingUp_ = false;
  edit_->setText(FromEntryText(model_.Text()));
}

void SpinButtonBox::BarMoved(int barValue) {
  if (settingUp_) return;
  const int position = model_.Scroll().positions - barValue;
  model_.Step(position - model_.Position());
  edit_->setText(FromEntryText(model_.Text()));
}

bool SpinButtonBox::eventFilter(QObject* watched, QEvent* event) {
  if (watched != edit_ || event->type() != QEvent::KeyPress) {
    return QWidget::eventFilter(watched, event);
  }
  auto* key = static_cast<QKeyEvent*>(event);
  model_.SetEditText(ToEntryText(edit_->text()));
  const int code = KeyCodeOf(key);
  if (code != 0 && model_.KeyDown(code, ShiftMaskOf(key))) {
    ShowModel();
    return true;
  }
  const QString typed = key->text();
  if (typed.size() == 1 && typed[0].isPrint()) {
    const char c = typed[0].toLatin1();
    if (c == 0 || !model_.AcceptsCharacter(c)) return true;
  }
  return false;
}

}  // namespace tlx::gui
