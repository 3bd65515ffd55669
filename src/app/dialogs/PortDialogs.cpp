#include "app/dialogs/PortDialogs.h"

#include "app/panels/PanelKit.h"

#include <QComboBox>
#include <QGridLayout>
#include <QRadioButton>

namespace tlx::gui {

PickComDialog::PickComDialog(const PortTable& ports, ProgramSettings& settings, TrackerLink& link,
                             QWidget* parent)
    : QDialog(parent), settings_(settings), link_(link) {
  setObjectName(QStringLiteral("frmPickCom"));
  setWindowTitle(QStringLiteral("Select COM Port"));
  auto* layout = new QVBoxLayout(this);
  list_ = new QComboBox(this);
  list_->setObjectName(QStringLiteral("cboComPort"));
  list_->setPlaceholderText(QStringLiteral("Select COM..."));
  list_->setMinimumWidth(260);
  layout->addWidget(list_);
  const std::vector<std::string> entries = PickComEntries(ports);
  for (const auto& e : entries) list_->addItem(QString::fromStdString(e));
  if (!entries.empty()) list_->setCurrentIndex(0);
  const int active = PickComActivate(entries, settings_.ComPort);
  if (active >= 0) list_->setCurrentIndex(active);

  auto* row = new QHBoxLayout;
  row->addStretch(1);
  auto* ok = NamedButton(this, "cmdOK", QStringLiteral("OK"));
  auto* cancel = NamedButton(this, "cmdCancel", QStringLiteral("Cancel"));
  ok->setDefault(true);
  row->addWidget(ok);
  row->addWidget(cancel);
  layout->addLayout(row);
  connect(ok, &QPushButton::clicked, this, &PickComDialog::Ok);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void PickComDialog::Ok() {
  PickComOk(list_->currentText().toStdString(), settings_, link_);
  accept();
}

ComSelectWidget::ComSelectWidget(std::function<bool(int)> portValid, QWidget* parent)
    : QGroupBox(parent), model_(std::move(portValid)) {
  setObjectName(QStringLiteral("fraComPort"));
  auto* grid = new QGridLayout(this);
  for (int i = 0; i < ComSelect::kPorts; ++i) {
    auto* option = new QRadioButton(QString::fromStdString(ComSelect::OptionCaption(i)), this);
    option->setObjectName(QStringLiteral("optPortNum_%1").arg(i));
    option->setAutoExclusive(false);
    options_[static_cast<std::size_t>(i)] = option;
    grid->addWidget(option, i % 4, i / 4);
    connect(option, &QRadioButton::clicked, this, [this, i] {
      const int before = model_.Value();
      model_.OptionClicked(i);
      Show();
      if (model_.Value() != before) emit Change();
    });
  }
  Show();
}

void ComSelectWidget::SetValue(int value) {
  model_.SetValue(value);
  Show();
}

void ComSelectWidget::Reset() {
  model_.Reset();
  Show();
}

void ComSelectWidget::Show() {
  for (int i = 0; i < ComSelect::kPorts; ++i) {
    options_[static_cast<std::size_t>(i)]->setEnabled(model_.OptionEnabled(i));
    options_[static_cast<std::size_t>(i)]->setChecked(model_.OptionChecked(i));
  }
}

}  // namespace tlx::gui
