#include "app/controls/ProgressBox.h"

#include "app/controls/QtKeys.h"

#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

#include <cmath>

namespace tlx::gui {

ProgressBox::ProgressBox(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint),
      lblCaption_(new QLabel(this)),
      lblPercent_(new QLabel(this)),
      bar_(new ProgressBar(model_, this)) {
  setObjectName(QStringLiteral("frmQBXProgress"));
  lblCaption_->setObjectName(QStringLiteral("lblCaption"));
  lblPercent_->setObjectName(QStringLiteral("lblPercent"));
  lblCaption_->setAlignment(Qt::AlignCenter);
  lblPercent_->setAlignment(Qt::AlignCenter);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(lblCaption_);
  layout->addWidget(bar_);
  layout->addWidget(lblPercent_);
  setMinimumWidth(320);
  SetValue(0);
}

void ProgressBox::SetMessage(const QString& text) {
  model_.SetMessage(text.toStdString());
  lblCaption_->setText(FromProgramText(model_.CaptionText()));
  setWindowTitle(text);
}

void ProgressBox::SetValue(double percent) {
  model_.SetValue(percent);
  lblPercent_->setText(QString::fromStdString(model_.PercentText()));
  bar_->update();
}

QString ProgressBox::CaptionText() const { return lblCaption_->text(); }
QString ProgressBox::PercentText() const { return lblPercent_->text(); }
int ProgressBox::FillWidth() const { return bar_->FillWidth(); }

ProgressBar::ProgressBar(const ProgressModel& model, QWidget* parent)
    : QWidget(parent), model_(model) {
  setObjectName(QStringLiteral("shpOutline"));
  setMinimumHeight(18);
}

int ProgressBar::FillWidth() const {
  return static_cast<int>(std::lround(model_.FillWidth(width())));
}

void ProgressBar::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setPen(palette().color(QPalette::WindowText));
  painter.drawRect(0, 0, width() - 1, height() - 1);  // the outline spans the whole width
  painter.fillRect(1, 1, FillWidth(), height() - 2, palette().color(QPalette::Highlight));
}

}  // namespace tlx::gui
