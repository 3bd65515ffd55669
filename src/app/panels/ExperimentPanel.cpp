#include "app/panels/ExperimentPanel.h"

#include "app/controls/QbxPickFile2.h"
#include "app/controls/QbxRangeBox.h"
#include "app/panels/PanelKit.h"
#include "common/Numbers.h"
#include "setup/Units.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLineEdit>

#include <cmath>
#include <vector>

namespace tlx::gui {
namespace {

struct BoxSpec {
  const char* name;
  const char* caption;
  RangeStyle style;
  double min, max;
  int places;
  int increment;
  bool numOnly;
};

// The limits and styles of the panel's boxes, in ScreenBox order.
const BoxSpec kBoxes[8] = {
    {"rbSessLen", "Session Length :", RangeStyle::Duration, 5, 86400, 0, 5, true},
    {"rbNumSess", "Number of Sessions :", RangeStyle::Number, 1, 65535, 0, 0, true},
    {"rbInitDelay", "Initial Delay :", RangeStyle::Duration, 0, 86399, 0, 0, true},
    {"rbMaxDist", "Maximum Distance :", RangeStyle::Number, 0, 1000000, 0, 0, true},
    {"rbAmbulThresh", "Ambulatory Threshold :", RangeStyle::Number, 0, 1000000, 0, 0, true},
    {"rbStereoThresh", "Stereotypic Threshold :", RangeStyle::Number, 0, 1000000, 0, 0, true},
    {"rbCalibScale", "Calibrate Scale :", RangeStyle::Number, 1, 1000, 2, 0, false},
    {"rbCalibRef", "", RangeStyle::Number, 0, 1000000, 2, 0, false},
};

std::vector<std::string> Entries(const QComboBox* list) {
  std::vector<std::string> out;
  for (int i = 0; i < list->count(); ++i) out.push_back(list->itemText(i).toStdString());
  return out;
}

}  // namespace

ExperimentPanel::ExperimentPanel(UserAnswers& answers, QWidget* parent) : QFrame(parent) {
  setObjectName(QStringLiteral("fraSetupExpt"));
  auto* outer = new QVBoxLayout(this);
  auto* grid = new QGridLayout;
  outer->addLayout(grid);
  grid->setHorizontalSpacing(10);
  grid->setVerticalSpacing(8);

  auto* intro = NamedLabel(this, "lblSetupExptL",
                           QStringLiteral("Click setup to enter values and view on-screen with mouse"));
  QFont bold = intro->font();
  bold.setBold(true);
  intro->setFont(bold);
  grid->addWidget(intro, 0, 0, 1, 5);

  picker_ = new QbxPickFile2(answers, this);
  picker_->setObjectName(QStringLiteral("pfExptData"));
  picker_->Model().Props().extension = "DAT";
  picker_->Model().Props().openOrSave = false;
  picker_->Model().Props().saveTitle = "Sa&ve Data:";
  picker_->Model().Props().title = "Select Output File";
  picker_->ApplyProperties();
  grid->addWidget(picker_, 1, 0, 1, 6);

  SetUpBoxes(answers);
  int row = 2;
  const char* setupButtons[4] = {"cmdSetupMaxDist", "cmdSetupAmbulThresh", "cmdSetupStereoThresh",
                                 "cmdSetupCalScale"};
  const char* setupTips[4] = {"maximum distance", "ambulatory threshold", "stereotypic threshold",
                              "scale calibration"};
  std::vector<QWidget*> tabOrder = {picker_};
  for (int i = 0; i < 7; ++i, ++row) {
    tabOrder.push_back(boxes_[static_cast<std::size_t>(i)]);
    if (i == 6) tabOrder.push_back(boxes_[7]);
    grid->addWidget(new QLabel(FieldCaption(kBoxes[i].caption), this), row, 0);
    grid->addWidget(boxes_[static_cast<std::size_t>(i)], row, 1);
    if (i >= 3 && i <= 5) grid->addWidget(new QLabel(QStringLiteral("pixels"), this), row, 2);
    if (i == 6) {
      grid->addWidget(new QLabel(QStringLiteral(" pixels   ="), this), row, 2);
      grid->addWidget(boxes_[7], row, 3);
    }
    if (i >= 3) {
      const int mode = i - 2;  // the measuring modes run in the boxes' order
      // Four buttons of one caption share no access key: Tab reaches them.
      auto* b = NamedButton(this, setupButtons[mode - 1], QStringLiteral("Setup"));
      b->setToolTip(QStringLiteral("Measure the %1 on the unit's picture with the mouse")
                        .arg(QLatin1String(setupTips[mode - 1])));
      connect(b, &QPushButton::clicked, this, [this, mode] { emit MeasureClicked(mode); });
      grid->addWidget(b, row, 4);
      tabOrder.push_back(b);
    }
  }
  unitLabel_ = NamedLabel(this, "lblCalibUnits");
  grid->addWidget(unitLabel_, row - 1, 5);

  units_ = new QComboBox(this);
  units_->setObjectName(QStringLiteral("cboMeasUnits"));
  for (int code = 1; code <= 9; ++code)
    units_->addItem(QString::fromStdString(UnitListEntry(code)));
  connect(units_, &QComboBox::activated, this,
          [this](int) { unitLabel_->setText(units_->currentText()); });
  grid->addWidget(new QLabel(QStringLiteral("Measurement Units:"), this), row, 0);
  grid->addWidget(units_, row++, 1);

  rates_ = new QComboBox(this);
  rates_->setObjectName(QStringLiteral("cboSampleRate"));
  FillSampleRates(0);
  grid->addWidget(new QLabel(QStringLiteral("Sample Rate:"), this), row, 0);
  grid->addWidget(rates_, row, 1);
  grid->addWidget(new QLabel(QStringLiteral("samples/s"), this), row++, 2);

  grid->setColumnStretch(6, 1);
  outer->addStretch(1);
  home_ = NamedButton(this, "cmdExitSetupExpt", QStringLiteral("Ho&me"));
  connect(home_, &QPushButton::clicked, this, &ExperimentPanel::HomeClicked);
  outer->addLayout(BottomRightRow(home_));
  // Tab goes as the eye reads: the data file first, then each row from left to right.
  for (QWidget* w : {static_cast<QWidget*>(units_), static_cast<QWidget*>(rates_), static_cast<QWidget*>(home_)})
    tabOrder.push_back(w);
  for (std::size_t i = 1; i < tabOrder.size(); ++i) setTabOrder(tabOrder[i - 1], tabOrder[i]);
}

void ExperimentPanel::SetUpBoxes(UserAnswers& answers) {
  for (int i = 0; i < 8; ++i) {
    const BoxSpec& s = kBoxes[i];
    auto* box = new QbxRangeBox(answers, this);
    box->setObjectName(QLatin1String(s.name));
    RangeBoxProperties p;
    p.style = s.style;
    p.time = s.style == RangeStyle::Duration;
    p.min = s.min;
    p.max = s.max;
    p.places = s.places;
    p.increment = s.increment;
    p.numOnly = s.numOnly;
    p.showWarn = true;
    std::string var = s.caption;
    if (var.size() > 2) var.resize(var.size() - 2);  // the caption without " :"
    p.varName = i == 7 ? "Calibrate Reference" : var;
    box->SetProperties(p);
    box->setMinimumWidth(110);
    boxes_[static_cast<std::size_t>(i)] = box;
  }
}

void ExperimentPanel::SetDelayStyle(bool timeOfDay) {
  QbxRangeBox* box = Box(ScreenBox::InitDelay);
  RangeBoxProperties p = box->Properties();
  p.style = timeOfDay ? RangeStyle::TimeOfDay : RangeStyle::Duration;
  box->SetProperties(p);
}

void ExperimentPanel::FillSampleRates(int videoType) {
  const int index = rates_->currentIndex();
  rates_->clear();
  rates_->addItems({QStringLiteral("1"), QStringLiteral("5"),
                    videoType == 1 ? QStringLiteral("25") : QStringLiteral("30")});
  rates_->setCurrentIndex(index < 0 ? 0 : index);
}

void ExperimentPanel::SetDataDirectory(const std::string& directory) {
  picker_->Model().Props().initDir = directory;
}

std::string ExperimentPanel::DataFileName() { return picker_->Model().Filename(); }
void ExperimentPanel::SetDataFileName(const std::string& path) {
  picker_->SetFilename(QString::fromStdString(path));
}
bool ExperimentPanel::SaveChecked() { return picker_->SaveFile(); }
void ExperimentPanel::SetSaveChecked(bool on) { picker_->SetSaveFile(on); }

double ExperimentPanel::BoxValue(ScreenBox box) {
  // The calibration boxes get no range check before they are read, so a value typed and not yet
  // taken is read as the box reads numbers ("2,5", "240/2"), but not limited: a scale of 0 must
  // reach the record's own check.
  if (box == ScreenBox::CalibScale || box == ScreenBox::CalibRef) {
    if (const std::optional<double> typed = Box(box)->TypedNumber()) return *typed;
  }
  return Box(box)->Value();
}
void ExperimentPanel::SetBoxValue(ScreenBox box, double value) { Box(box)->SetValue(value); }
bool ExperimentPanel::CheckBox(ScreenBox box, bool showWarn) {
  return Box(box)->CheckRange(showWarn);
}

std::vector<std::string> ExperimentPanel::UnitEntries() { return Entries(units_); }
int ExperimentPanel::UnitIndex() { return units_->currentIndex(); }
void ExperimentPanel::SetUnitIndex(int index) { units_->setCurrentIndex(index); }
void ExperimentPanel::SetUnitLabel(const std::string& text) {
  unitLabel_->setText(QString::fromStdString(text));
}
std::vector<std::string> ExperimentPanel::RateEntries() { return Entries(rates_); }
int ExperimentPanel::RateIndex() { return rates_->currentIndex(); }
void ExperimentPanel::SetRateIndex(int index) { rates_->setCurrentIndex(index); }

}  // namespace tlx::gui
