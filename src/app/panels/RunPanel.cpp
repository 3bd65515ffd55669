#include "app/panels/RunPanel.h"

#include "app/panels/LivePicture.h"
#include "app/panels/PanelKit.h"
#include "common/TimeText.h"
#include "run/RunTexts.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QPainter>
#include <QProgressBar>

#include <algorithm>

namespace tlx::gui {
namespace {

const char* const kLabelNames[7] = {"lblTimeElap",      "lblCurrSess",   "lblExptStat",
                                    "lblMissedSamples", "lblInitDelay",  "lblSessionDuration",
                                    "lblOutFile"};
const char* const kCaptions[7] = {"Session Time Elapsed:", "Current Session:",
                                  "Experiment Status:",    "Missed Samples:",
                                  "Initial Delay:",        "Session Duration:",
                                  "Output Filename:"};

// A value that may be longer than the panel is wide (the output file's name): it asks for room for
// about 24 letters, which the picture beside it gives up, and a longer name is shown shortened in
// the middle, so that its start and its extension stay in sight.
class ElidedLabel : public QLabel {
 public:
  using QLabel::QLabel;
  QSize minimumSizeHint() const override {
    const int whole = fontMetrics().horizontalAdvance(text()) + contentsMargins().left() + contentsMargins().right();
    return {std::min(whole, fontMetrics().averageCharWidth() * 24), QLabel::minimumSizeHint().height()};
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    const QRect r = contentsRect();
    p.setPen(palette().color(foregroundRole()));
    p.drawText(r, int(alignment()), fontMetrics().elidedText(text(), Qt::ElideMiddle, r.width()));
  }
};

}  // namespace

LivePanel::LivePanel(const char* frameName, const char* homeName, bool runPanel,
                     RunDisplay& display, const ZoneMap& map, const ColourTable& colours,
                     QWidget* parent)
    : QFrame(parent) {
  setObjectName(QLatin1String(frameName));
  auto* outer = new QHBoxLayout(this);
  picture_ = new LivePicture(display, map, colours);
  outer->addWidget(new AspectBox(picture_, this), 3);

  auto* side = new QVBoxLayout;
  outer->addLayout(side, 2);
  if (runPanel) side->addWidget(BuildStatus(), 1);
  else side->addStretch(1);

  auto* traceRow = new QHBoxLayout;
  trace_ = new QCheckBox(QStringLiteral("Tr&ace"), this);
  trace_->setObjectName(QStringLiteral("chkTrace"));
  clear_ = NamedButton(this, "cmdClear", QStringLiteral("C&lear"));
  traceRow->addWidget(trace_);
  traceRow->addWidget(clear_);
  traceRow->addStretch(1);
  side->addLayout(traceRow);
  connect(trace_, &QCheckBox::clicked, this, &LivePanel::TraceClicked);
  connect(clear_, &QPushButton::clicked, this, &LivePanel::ClearClicked);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  if (runPanel) {
    start_ = NamedButton(this, "cmdRunExpt", QStringLiteral("&Start"));
    stop_ = NamedButton(this, "cmdStopExpt", QStringLiteral("St&op"));
    buttons->addWidget(start_);
    buttons->addWidget(stop_);
    connect(start_, &QPushButton::clicked, this, &LivePanel::StartClicked);
    connect(stop_, &QPushButton::clicked, this, &LivePanel::StopClicked);
  }
  home_ = NamedButton(this, homeName, QStringLiteral("Ho&me"));
  buttons->addWidget(home_);
  side->addLayout(buttons);
  connect(home_, &QPushButton::clicked, this, &LivePanel::HomeClicked);
  if (runPanel) {
    setTabOrder(trace_, clear_);
    setTabOrder(clear_, start_);
    setTabOrder(start_, stop_);
    setTabOrder(stop_, home_);
  }
}

QWidget* LivePanel::BuildStatus() {
  auto* status = new QFrame(this);
  status->setObjectName(QStringLiteral("fraExptStatusC"));
  status->setFrameShape(QFrame::StyledPanel);
  auto* grid = new QGridLayout(status);
  grid->setHorizontalSpacing(8);
  grid->setVerticalSpacing(6);
  QFont labelFont = status->font();
  labelFont.setPointSize(labelFont.pointSize() + 1);
  status->setFont(labelFont);
  for (int i = 0; i < 7; ++i) {
    auto* caption = new QLabel(QString::fromLatin1(kCaptions[i]), status);
    caption->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    grid->addWidget(caption, i, 0);
    values_[i] = i == 6 ? new ElidedLabel(status) : new QLabel(status);
    values_[i]->setObjectName(QLatin1String(kLabelNames[i]));
    values_[i]->setTextFormat(Qt::PlainText);
    values_[i]->setContentsMargins(4, 0, 0, 0);
    if (i != 6) values_[i]->setTextInteractionFlags(Qt::TextSelectableByMouse);
    if (i != 6) values_[i]->setMinimumWidth(values_[i]->fontMetrics().horizontalAdvance(QStringLiteral("00:00:00 W")));
    grid->addWidget(values_[i], i, 1);
  }
  auto* leftCaption = new QLabel(QStringLiteral("Time Left:"), status);
  leftCaption->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  grid->addWidget(leftCaption, 7, 0);
  timeLeft_ = NamedLabel(status, "lblTimeLeft");
  timeLeft_->setContentsMargins(4, 0, 0, 0);
  timeLeft_->setToolTip(QStringLiteral("Recording time still to come over every session"));
  grid->addWidget(timeLeft_, 7, 1);
  progress_ = new QProgressBar(status);
  progress_->setObjectName(QStringLiteral("pbRunProgress"));
  progress_->setToolTip(QStringLiteral("How much of the whole run (every session) has been recorded"));
  progress_->setRange(0, 1000);
  progress_->setValue(0);
  grid->addWidget(progress_, 8, 0, 1, 2);
  grid->setColumnStretch(1, 1);
  grid->setRowStretch(9, 1);
  ready_ = NamedLabel(status, "lblReadyToBegin");
  ready_->setAlignment(Qt::AlignCenter);
  ready_->setAutoFillBackground(true);
  QFont f = ready_->font();
  f.setPointSize(f.pointSize() + 4);
  f.setBold(true);
  ready_->setFont(f);
  ready_->hide();
  // The text covers the whole status frame while it is shown.
  grid->addWidget(ready_, 0, 0, 10, 2);
  return status;
}

void LivePanel::ShowLabels(const RunLabels& l) {
  if (!values_[0]) return;
  const std::string* texts[7] = {&l.TimeElap,     &l.CurrSess,        &l.ExptStat, &l.MissedSamples,
                                 &l.InitDelay,    &l.SessionDuration, &l.OutFile};
  for (int i = 0; i < 7; ++i) values_[i]->setText(QString::fromStdString(*texts[i]));
  values_[6]->setToolTip(values_[6]->text());  // the whole path, when the label shows it shortened
  countdown_ = ScreenText(l.Countdown);
  ShowOverStatus();
}

void LivePanel::ShowProgress(std::int64_t elapsed, std::int64_t total, bool active) {
  if (!progress_) return;
  timeLeft_->setText(QString::fromStdString(SecondsToDurationText(total - elapsed)) + QStringLiteral(" "));
  progress_->setValue(total > 0 ? static_cast<int>(elapsed * 1000 / total) : 0);
  progress_->setFormat(active || elapsed > 0 ? QStringLiteral("%p%") : QString());
}

void LivePanel::ShowReadyText(bool shown) {
  readyShown_ = shown;
  ShowOverStatus();
}

void LivePanel::ShowOverStatus() {
  if (!ready_) return;
  ready_->setText(countdown_.isEmpty() ? ScreenText(kReadyToBeginText) : countdown_);
  ready_->setVisible(readyShown_ || !countdown_.isEmpty());
}

}  // namespace tlx::gui
