#include "app/panels/SystemPanel.h"

#include "app/panels/PanelKit.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>

namespace tlx::gui {

SystemPanel::SystemPanel(VideoSettings& settings, QWidget* parent)
    : QFrame(parent), settings_(settings) {
  setObjectName(QStringLiteral("fraSetupSystem"));
  auto* outer = new QVBoxLayout(this);
  body_ = new QWidget(this);
  auto* grid = new QGridLayout(body_);
  grid->setVerticalSpacing(12);
  int row = 0;
  auto addLabel = [&](const QString& text, QWidget* buddy) {
    auto* l = new QLabel(text, body_);
    l->setBuddy(buddy);
    grid->addWidget(l, row, 0, Qt::AlignRight);
  };

  auto* start = NamedButton(body_, "cmdSetupBkGnd", QStringLiteral("&Start"));
  auto* done = NamedButton(body_, "cmdDoneSetupBkGnd", QStringLiteral("&Done"));
  auto* cancel = NamedButton(body_, "cmdCancelBkGnd", QStringLiteral("Ca&ncel"));
  addLabel(QStringLiteral("Setup Background:"), start);
  auto* maskRow = new QHBoxLayout;
  maskRow->setSpacing(8);
  maskRow->addWidget(start);
  maskRow->addWidget(done);
  maskRow->addWidget(cancel);
  maskRow->addStretch(1);
  grid->addLayout(maskRow, row++, 1);
  maskStatus_ = NamedLabel(body_, "lblBackMaskStatus");
  maskStatus_->hide();
  grid->addWidget(maskStatus_, row++, 1);
  connect(start, &QPushButton::clicked, this, [this] { settings_.MaskStart(); });
  connect(done, &QPushButton::clicked, this, [this] { settings_.MaskEnd(true); });
  connect(cancel, &QPushButton::clicked, this, [this] { settings_.MaskEnd(false); });

  auto* live = NamedButton(body_, "cmdViewLive", QStringLiteral("View"));
  addLabel(QStringLiteral("View &Live Video:"), live);
  grid->addWidget(live, row++, 1, Qt::AlignLeft);
  connect(live, &QPushButton::clicked, this, [this] { settings_.ViewLiveVideo(); });

  videoMode_ = new QComboBox(body_);
  videoMode_->setObjectName(QStringLiteral("cboVideoMode"));
  videoMode_->addItems({QStringLiteral("NTSC"), QStringLiteral("PAL")});
  addLabel(QStringLiteral("Video Mode:"), videoMode_);
  grid->addWidget(videoMode_, row++, 1, Qt::AlignLeft);

  delayType_ = new QComboBox(body_);
  delayType_->setObjectName(QStringLiteral("cboDelayType"));
  delayType_->addItems({QStringLiteral("Delay"), QStringLiteral("Time of Day")});
  addLabel(QStringLiteral("Delay Type:"), delayType_);
  grid->addWidget(delayType_, row++, 1, Qt::AlignLeft);

  objectFilter_ = new QCheckBox(body_);
  objectFilter_->setObjectName(QStringLiteral("chkObjectFilter"));
  addLabel(QStringLiteral("&Object Filter:"), objectFilter_);
  grid->addWidget(objectFilter_, row++, 1);
  connect(objectFilter_, &QCheckBox::clicked, this,
          [this](bool on) { settings_.ObjectFilterClicked(on); });

  auto* invert = NamedButton(body_, "cmdInvertVideo", QStringLiteral("&Invert"));
  addLabel(QStringLiteral("Invert Video:"), invert);
  grid->addWidget(invert, row++, 1, Qt::AlignLeft);
  connect(invert, &QPushButton::clicked, this, [this] { settings_.InvertClicked(); });
  grid->setColumnStretch(1, 1);

  outer->addWidget(body_);
  outer->addStretch(1);
  home_ = NamedButton(this, "cmdExitSetupSystem", QStringLiteral("Ho&me"));
  connect(home_, &QPushButton::clicked, this, &SystemPanel::HomeClicked);
  outer->addLayout(BottomRightRow(home_));
  setTabOrder(start, done);
  setTabOrder(done, cancel);
  setTabOrder(cancel, live);
  setTabOrder(live, videoMode_);
  setTabOrder(videoMode_, delayType_);
  setTabOrder(delayType_, objectFilter_);
  setTabOrder(objectFilter_, invert);
  setTabOrder(invert, home_);
}

void SystemPanel::Enter() {
  settings_.EnterPanel();
  const SetupSystemControls& c = settings_.Controls();
  objectFilter_->setChecked(c.ObjectFilterChecked);
  delayType_->setCurrentIndex(c.DelayTypeIndex);
  videoMode_->setCurrentIndex(c.VideoModeIndex);
  settings_.RefreshMaskStatus();
}

void SystemPanel::StoreControls() {
  SetupSystemControls& c = settings_.Controls();
  c.ObjectFilterChecked = objectFilter_->isChecked();
  c.DelayTypeIndex = delayType_->currentIndex();
  c.VideoModeIndex = videoMode_->currentIndex();
}

void SystemPanel::ShowMaskStatus(const std::string& caption, bool visible) {
  maskStatus_->setText(ScreenText(caption));
  maskStatus_->setVisible(visible);
}

void SystemPanel::SetBusyPointer(bool busy) {
  if (busy) QApplication::setOverrideCursor(Qt::WaitCursor);
  else QApplication::restoreOverrideCursor();
}

void SystemPanel::ShowLiveVideoWindow() { emit LiveVideoRequested(); }

void SystemPanel::ShowPanelFrame(bool visible) { body_->setVisible(visible); }

}  // namespace tlx::gui
