#include "app/controls/QbxPickFile2.h"

#include "app/controls/QtKeys.h"

#include "draw/QtColour.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>

namespace tlx::gui {

QbxPickFile2::QbxPickFile2(UserAnswers& answers, QWidget* parent, FileAccessProbe* probe)
    : QFrame(parent),
      model_(answers, probe),
      chkSave_(new QCheckBox(this)),
      lblSaveDataL_(new QLabel(this)),
      lblFilenameL_(new QLabel(this)),
      cmdBrowse_(new QPushButton(tr("Browse..."), this)) {
  setObjectName(QStringLiteral("fraPickFile"));
  chkSave_->setObjectName(QStringLiteral("chkSave"));
  lblSaveDataL_->setObjectName(QStringLiteral("lblSaveDataL"));
  lblFilenameL_->setObjectName(QStringLiteral("lblFilenameL"));
  cmdBrowse_->setObjectName(QStringLiteral("cmdBrowse"));
  lblSaveDataL_->setBuddy(chkSave_);  // its "&" key toggles the box
  lblFilenameL_->setTextFormat(Qt::PlainText);  // a file name, never markup
  lblFilenameL_->setFrameShape(QFrame::StyledPanel);
  lblFilenameL_->setFrameShadow(QFrame::Sunken);
  lblFilenameL_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  lblFilenameL_->setMinimumWidth(120);

  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(2, 2, 2, 2);
  layout->addWidget(chkSave_);
  layout->addWidget(lblSaveDataL_);
  layout->addWidget(lblFilenameL_, 1);
  layout->addWidget(cmdBrowse_);

  lblSaveDataL_->installEventFilter(this);
  connect(chkSave_, &QCheckBox::clicked, this, &QbxPickFile2::CheckBoxClicked);
  connect(cmdBrowse_, &QPushButton::clicked, this, &QbxPickFile2::DoBrowse);
  model_.onChange = [this] {
    Refresh();
    emit Change();
  };
  model_.onClick = [this] { emit Click(); };
  ApplyProperties();
}

void QbxPickFile2::ApplyProperties() {
  const PickFileProperties& p = model_.Props();
  chkSave_->setVisible(p.checkBox);
  lblSaveDataL_->setText(FromProgramText(p.saveTitle));
  QFont font = lblSaveDataL_->font();
  font.setFamily(QString::fromStdString(p.fontType));
  if (p.fontHeight > 0) font.setPointSizeF(p.fontHeight);
  lblSaveDataL_->setFont(font);
  lblFilenameL_->setFont(font);
  // The default colours (black on white) stand for the desktop's own, so a dark palette is
  // followed; only colours set on purpose are painted.
  if (p.backColor == PickFileProperties{}.backColor && p.foreColor == PickFileProperties{}.foreColor) {
    setPalette(QPalette());
  } else {
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, ToQColor(p.backColor));
    palette.setColor(QPalette::WindowText, ToQColor(p.foreColor));
    setPalette(palette);
  }
  setEnabled(p.enabled);
  Refresh();
}

void QbxPickFile2::SetSaveTitle(const QString& caption) {
  model_.Props().saveTitle = caption.toStdString();
  ApplyProperties();
}

void QbxPickFile2::SetExtension(const QString& extension) {
  model_.Props().extension = extension.toStdString();
}

void QbxPickFile2::SetFilename(const QString& path) {
  model_.SetFilename(ToPathText(path));
  Refresh();
}

QString QbxPickFile2::Filename() const { return FromPathText(model_.Filename()); }

void QbxPickFile2::SetSaveFile(bool on) {
  model_.SetSaveFile(on);
  Refresh();
}

void QbxPickFile2::DoBrowse() {
  model_.DoBrowse();
  Refresh();
}

void QbxPickFile2::Refresh() {
  chkSave_->setChecked(model_.SaveFile());
  lblFilenameL_->setText(FromProgramText(model_.LabelText()));
  lblFilenameL_->setToolTip(FromPathText(model_.Filename()));
}

void QbxPickFile2::CheckBoxClicked(bool ticked) {
  model_.UserToggledCheckBox(ticked);
  Refresh();
}

bool QbxPickFile2::eventFilter(QObject* watched, QEvent* event) {
  if (watched == lblSaveDataL_ && event->type() == QEvent::MouseButtonRelease &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton && chkSave_->isVisible() &&
      isEnabled()) {
    chkSave_->click();  // the caption toggles its box as a click on the box would
    return true;
  }
  return QFrame::eventFilter(watched, event);
}

}  // namespace tlx::gui
