#include "app/panels/HomePanel.h"

#include "app/panels/PanelKit.h"
#include "run/Program.h"

#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace tlx::gui {

HomePanel::HomePanel(QWidget* parent) : QFrame(parent) {
  setObjectName(QStringLiteral("fraTitle"));
  auto* layout = new QVBoxLayout(this);
  layout->addStretch(1);
  const QString texts[3] = {
      QString::fromLatin1(kProductName),
      QStringLiteral("Version ") + QString::fromLatin1(kVersionText),
      QStringLiteral("Video tracking for the behavioural laboratory. "
                     "Help > Manual (F1) explains every step.")};
  const int growth[3] = {14, 3, 0};
  for (int i = 0; i < 3; ++i) {
    labels_[i] = NamedLabel(this, "", texts[i]);
    labels_[i]->setObjectName(QStringLiteral("lblTitle_%1").arg(i));
    labels_[i]->setAlignment(Qt::AlignCenter);
    labels_[i]->setWordWrap(true);
    QFont f = labels_[i]->font();
    f.setPointSize(f.pointSize() + growth[i]);
    f.setBold(i == 0);
    labels_[i]->setFont(f);
    layout->addWidget(labels_[i]);
  }
  layout->addSpacing(12);

  // Where the user stands.
  auto* facts = new QFrame(this);
  facts->setObjectName(QStringLiteral("fraHomeFacts"));
  facts->setFrameShape(QFrame::StyledPanel);
  auto* grid = new QGridLayout(facts);
  unit_ = NamedLabel(facts, "lblUnitState");
  unit_->setWordWrap(true);
  experiment_ = NamedLabel(facts, "lblExperimentLine");
  experiment_->setWordWrap(true);
  grid->addWidget(unit_, 0, 0, 1, 2);
  grid->addWidget(experiment_, 1, 0, 1, 2);
  recordings_ = new QListWidget(facts);
  recordings_->setObjectName(QStringLiteral("lstRecordings"));
  recordings_->setToolTip(QStringLiteral("The data files opened last; double-click one (or press Enter) to open it"));
  recordings_->setMaximumHeight(recordings_->fontMetrics().height() * 7);
  auto* recordingsLabel = NamedLabel(facts, "lblRecordings", QStringLiteral("Recent recor&dings:"));
  recordingsLabel->setTextFormat(Qt::AutoText);
  recordingsLabel->setBuddy(recordings_);
  grid->addWidget(recordingsLabel, 2, 0, 1, 2);
  grid->addWidget(recordings_, 3, 0, 1, 2);
  connect(recordings_, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
    emit RecordingChosen(item->data(Qt::UserRole).toString());
  });
  layout->addWidget(facts);

  // The next steps, in the order of a day at the bench.
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(CommandButton("cmdHomeSetup", QStringLiteral("Set Up E&xperiment"), "mnuSetupExpt",
                                   QStringLiteral("Session length, sessions, thresholds, calibration and the data file (Ctrl+1)")));
  buttons->addWidget(CommandButton("cmdHomeZones", QStringLiteral("Draw &Zones"), "mnuSetupMap",
                                   QStringLiteral("Draw the zones over the camera's field (Ctrl+2)")));
  buttons->addWidget(CommandButton("cmdHomeRun", QStringLiteral("&Start a Run"), "mnuRunExpt",
                                   QStringLiteral("Record the experiment as set up (Ctrl+R)")));
  buttons->addWidget(CommandButton("cmdHomeOpen", QStringLiteral("&Open Data File..."), "mnuFileOpen",
                                   QStringLiteral("Look at a recorded run, reanalyse, export or print it (Ctrl+O)")));
  buttons->addStretch(1);
  layout->addLayout(buttons);
  layout->addStretch(1);
}

QPushButton* HomePanel::CommandButton(const char* name, const QString& caption, const char* command,
                                      const QString& tip) {
  QPushButton* b = NamedButton(this, name, caption);
  b->setToolTip(tip);
  const QString commandName = QLatin1String(command);
  connect(b, &QPushButton::clicked, this, [this, commandName] { emit CommandChosen(commandName); });
  return b;
}

void HomePanel::Show(const HomeFacts& facts) {
  unit_->setText(facts.unit);
  // A unit that does not answer is the first thing to put right: it stands out in bold.
  QFont f = unit_->font();
  f.setBold(!facts.unitReady);
  unit_->setFont(f);
  experiment_->setText(facts.experiment);
  recordings_->clear();
  for (const QString& path : facts.recordings) {
    const QFileInfo info(path);
    auto* item = new QListWidgetItem(QStringLiteral("%1    %2").arg(info.fileName(), QDir::toNativeSeparators(info.path())),
                                     recordings_);
    item->setData(Qt::UserRole, path);
    item->setToolTip(path);
  }
  if (facts.recordings.isEmpty()) {
    auto* none = new QListWidgetItem(QStringLiteral("(none yet: File > Open, or drop a data file on this window)"), recordings_);
    // A hint, not a choice: it cannot be selected, yet keeps the list's own text colour (a disabled
    // item's grey is close to unreadable under some dark palettes).
    none->setFlags(Qt::ItemIsEnabled);
    QFont italic = none->font();
    italic.setItalic(true);
    none->setFont(italic);
  }
}

}  // namespace tlx::gui
