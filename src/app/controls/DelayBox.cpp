#include "app/controls/DelayBox.h"

#include "app/controls/QtKeys.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

#include <algorithm>
#include <cmath>

namespace tlx::gui {

DelayBox::DelayBox(DelayBoxModel& model, Clock& clock, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint),
      model_(model),
      clock_(clock),
      lblMsg_(new QLabel(this)),
      cmdOK_(new QPushButton(tr("OK"), this)) {
  setObjectName(QStringLiteral("frmQBXDelayBox"));
  lblMsg_->setObjectName(QStringLiteral("lblMsg"));
  cmdOK_->setObjectName(QStringLiteral("cmdOK"));
  lblMsg_->setAlignment(Qt::AlignCenter);
  connect(cmdOK_, &QPushButton::clicked, this, &QWidget::close);
}

void DelayBox::ShowDisp(const QString& text, bool showOK, double seconds) {
  model_.ShowDisp(text.toStdString(), showOK, seconds, clock_.TickMs());
  lblMsg_->setText(text);
  cmdOK_->setVisible(showOK);
  SizeAround();
  show();
  raise();
}

// The box is sized in twips around its message, as its layout rules are written.
void DelayBox::SizeAround() {
  lblMsg_->adjustSize();
  const double twips = 1440.0 / std::max(logicalDpiX(), 1);
  auto tw = [twips](int px) { return static_cast<int>(std::lround(px * twips)); };
  auto px = [twips](int t) { return static_cast<int>(std::lround(t / twips)); };
  const int titleBar = style()->pixelMetric(QStyle::PM_TitleBarHeight);
  const QSize button = cmdOK_->sizeHint();
  const DelayBoxLayout l = ComputeDelayBoxLayout(tw(lblMsg_->width()), tw(lblMsg_->height()),
                                                 tw(titleBar), tw(button.width()),
                                                 tw(button.height()), model_.ShowOK());
  // The client area excludes the title bar the window manager draws.
  setFixedSize(px(l.width), std::max(px(l.height) - titleBar, 1));
  lblMsg_->move(px(l.labelLeft), px(l.labelTop));
  cmdOK_->resize(button);
  cmdOK_->move(px(l.buttonLeft), px(l.buttonTop));
}

void DelayBox::SyncWithModel() {
  if (!model_.Visible() && isVisible()) hide();
}

QString DelayBox::MessageText() const { return lblMsg_->text(); }

void DelayBox::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    close();
    return;
  }
  QWidget::keyPressEvent(event);
}

void DelayBox::closeEvent(QCloseEvent* event) {
  model_.Unload();
  QWidget::closeEvent(event);
}

}  // namespace tlx::gui
