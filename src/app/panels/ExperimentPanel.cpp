#include "app/panels/ExperimentPanel.h"

#include "app/controls/QbxPickFile2.h"
#include "app/controls/QbxRangeBox.h"
#include "app/panels/PanelKit.h"
#include "common/Numbers.h"
#include "setup/ParameterTable.h"
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
  Parameter parameter;  // the limits, step and places come from the parameter table
  bool numOnly;
};

// The panel's boxes, in ScreenBox order.
const BoxSpec kBoxes[8] = {
    {"rbSessLen", "Session Length :", Parameter::SessionLength, true},
    {"rbNumSess", "Number of Sessions :", Parameter::NumberOfSessions, true},
    {"rbInitDelay", "Initial Delay :", Parameter::InitialDelay, true},
    {"rbMaxDist", "Maximum Distance :", Parameter::MaximumDistance, true},
    {"rbAmbulThresh", "Ambulatory Threshold :", Parameter::AmbulatoryThreshold, true},
    {"rbStereoThresh", "Stereotypic Threshold :", Parameter::StereotypicThreshold, true},
    {"rbCalibScale", "Calibrate Scale :", Parameter::CalibrateScale, false},
    {"rbCalibRef", "", Parameter::CalibrateReference, false},
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
    const ParameterSpec& spec = SpecOf(s.parameter);
    auto* box = new QbxRangeBox(answers, this);
    box->setObjectName(QLatin1String(s.name));
    RangeBoxProperties p;
    p.style = spec.Duration ? RangeStyle::Duration : RangeStyle::Number;
    p.time = spec.Duration;
    p.min = spec.Run.Min;
    p.max = spec.Run.Max;
    p.places = spec.Decimals;
    p.increment = static_cast<int>(spec.Run.Step);
    p.numOnly = s.numOnly;
    p.showWarn = true;
    p.varName = spec.Name;
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
  // 1, 5, and the full rate of the video standard (25 for PAL, 30 for NTSC).
  rates_->addItems({QString::number(kSampleRates[0]), QString::number(kSampleRates[1]),
                    QString::number(kSampleRates[videoType == 1 ? 2 : 3])});
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
