#include "app/dialogs/SetupWindows.h"

#include "app/panels/LivePicture.h"
#include "app/panels/PanelKit.h"
#include "common/Texts.h"
#include "draw/QtColour.h"
#include "zonemap/ZoneCharacters.h"

#include <QColorDialog>
#include <QCloseEvent>
#include <QFrame>
#include <QGridLayout>
#include <QListWidget>

namespace tlx::gui {
namespace {

std::int32_t TableValue(const QColor& c) { return EncodeColourWord({c.red(), c.green(), c.blue()}); }

}  // namespace

// --- Colours ---------------------------------------------------------------------------------

ColorsWindow::ColorsWindow(ColourTable& table, std::function<void()> updateColors, QWidget* parent,
                           std::function<void()> applyToGrid)
    : QDialog(parent), table_(table), updateColors_(std::move(updateColors)),
      applyToGrid_(std::move(applyToGrid)) {
  setObjectName(QStringLiteral("frmColors"));
  setWindowTitle(QStringLiteral("Setup Colors"));
  chooser_ = [this](const QColor& start) -> std::optional<QColor> {
    const QColor c = QColorDialog::getColor(start, this);
    if (!c.isValid()) return std::nullopt;
    return c;
  };
  auto* grid = new QGridLayout(this);
  letters_ = new QListWidget(this);
  letters_->setObjectName(QStringLiteral("lstLetters"));
  // The blank (no zone), then every character a zone can be.
  letters_->addItem(QStringLiteral(" "));
  for (int code = 33; code <= 127; ++code) {
    if (IsAllowedZoneCharacter(static_cast<char>(code))) letters_->addItem(QString(QChar(code)));
  }
  grid->addWidget(letters_, 0, 0, 5, 1);
  swatch_ = new QFrame(this);
  swatch_->setObjectName(QStringLiteral("shpColor"));
  swatch_->setFrameShape(QFrame::Box);
  swatch_->setMinimumSize(80, 60);
  swatch_->setAutoFillBackground(true);
  grid->addWidget(swatch_, 0, 1);
  auto* select = NamedButton(this, "cmdSelect", QStringLiteral("&Select"));
  auto* deflt = NamedButton(this, "cmdDefault", QStringLiteral("&Default"));
  auto* ok = NamedButton(this, "cmdOK", QStringLiteral("&OK"));
  auto* cancel = NamedButton(this, "cmdCancel", QStringLiteral("&Cancel"));
  grid->addWidget(select, 1, 1);
  grid->addWidget(deflt, 2, 1);
  grid->addWidget(ok, 3, 1);
  grid->addWidget(cancel, 4, 1);
  connect(letters_, &QListWidget::currentRowChanged, this, [this] { ShowSwatch(); });
  connect(select, &QPushButton::clicked, this, &ColorsWindow::SelectClicked);
  connect(deflt, &QPushButton::clicked, this, &ColorsWindow::DefaultClicked);
  connect(ok, &QPushButton::clicked, this, [this] {
    if (applyToGrid_) applyToGrid_();
    if (updateColors_) updateColors_();
    accept();
  });
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

int ColorsWindow::SelectedCode() const {
  const QListWidgetItem* item = letters_->currentItem();
  if (!item || letters_->currentRow() < 0) return -1;
  return item->text().at(0).toLatin1();
}

void ColorsWindow::ShowSwatch() {
  const int code = SelectedCode();
  QPalette pal = swatch_->palette();
  pal.setColor(QPalette::Window, code >= 0 ? ToQColor(table_.Of(static_cast<unsigned char>(code)))
                                           : palette().color(QPalette::Window));
  swatch_->setPalette(pal);
}

void ColorsWindow::SelectClicked() {
  const int code = SelectedCode();
  const QColor start = code >= 0 ? ToQColor(table_.Of(static_cast<unsigned char>(code))) : Qt::white;
  const std::optional<QColor> chosen = chooser_ ? chooser_(start) : std::nullopt;
  if (!chosen) return;
  if (code >= 0 && code <= 255) table_.entries[static_cast<std::size_t>(code)] = TableValue(*chosen);
  ShowSwatch();
}

void ColorsWindow::DefaultClicked() {
  table_ = DefaultColourTable();
  ShowSwatch();
  if (updateColors_) updateColors_();
}

// --- Area ------------------------------------------------------------------------------------

CalcAreaWindow::CalcAreaWindow(AreaCalculator& calculator, QWidget* parent)
    : QDialog(parent), calc_(calculator) {
  setObjectName(QStringLiteral("frmCalcArea"));
  setWindowTitle(QStringLiteral("Calculate Area"));
  auto* grid = new QGridLayout(this);
  grid->addWidget(NamedLabel(this, "lblPixelsL", QStringLiteral("Pixels")), 0, 0);
  unitsHeading_ = NamedLabel(this, "lblUnits");
  grid->addWidget(unitsHeading_, 0, 1);
  values_ = new QListWidget(this);
  values_->setObjectName(QStringLiteral("lstValues"));
  units_ = new QListWidget(this);
  units_->setObjectName(QStringLiteral("lstUnits"));
  grid->addWidget(values_, 1, 0);
  grid->addWidget(units_, 1, 1);
  grid->addWidget(NamedLabel(this, "lblAverageL", QStringLiteral("Average:")), 2, 0, 1, 2);
  avgValue_ = NamedLabel(this, "lblAvgVal");
  avgUnit_ = NamedLabel(this, "lblAvgUnit");
  grid->addWidget(avgValue_, 3, 0);
  grid->addWidget(avgUnit_, 3, 1);
  auto* row = new QHBoxLayout;
  auto* calculate = NamedButton(this, "cmdCalculate", QStringLiteral("&Calculate"));
  auto* clear = NamedButton(this, "cmdClear", QStringLiteral("C&lear"));
  auto* done = NamedButton(this, "cmdDone", QStringLiteral("&Done"));
  row->addWidget(calculate);
  row->addWidget(clear);
  row->addWidget(done);
  grid->addLayout(row, 4, 0, 1, 2);
  connect(calculate, &QPushButton::clicked, this, &CalcAreaWindow::Calculate);
  connect(clear, &QPushButton::clicked, this, &CalcAreaWindow::Clear);
  connect(done, &QPushButton::clicked, this, &QDialog::accept);
  Refresh();
}

void CalcAreaWindow::Calculate() {
  calc_.DoCalculateArea();
  Refresh();
}

void CalcAreaWindow::Clear() {
  calc_.ClearAverages();
  Refresh();
}

void CalcAreaWindow::Refresh() {
  auto fill = [](QListWidget* list, const std::vector<std::string>& items, int selected) {
    list->clear();
    for (const auto& s : items) list->addItem(QString::fromStdString(s));
    if (selected >= 0 && selected < list->count()) list->setCurrentRow(selected);
  };
  fill(values_, calc_.Values(), calc_.SelectedIndex());
  fill(units_, calc_.Units(), calc_.SelectedIndex());
  unitsHeading_->setText(QString::fromStdString(calc_.UnitsHeading()));
  avgValue_->setText(QString::fromStdString(calc_.AverageValue()));
  avgUnit_->setText(QString::fromStdString(calc_.AverageUnit()));
}

// --- Live video ------------------------------------------------------------------------------

LiveVideoWindow::LiveVideoWindow(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("frmLiveVideo"));
  setWindowTitle(QStringLiteral("Live Video"));
  auto* layout = new QVBoxLayout(this);
  auto* text = new QLabel(ScreenText("Click 'Close' to return\r\nto normal viewing."), this);
  text->setAlignment(Qt::AlignCenter);
  layout->addWidget(text);
  auto* close = NamedButton(this, "cmdExitLiveVideo", QStringLiteral("&Close"));
  layout->addLayout(BottomRightRow(close));
  connect(close, &QPushButton::clicked, this, &QDialog::reject);
  // However the window goes (button, Escape, close box), the live view ends.
  connect(this, &QDialog::finished, this, &LiveVideoWindow::Closed);
}

// Any key ends the live view.
void LiveVideoWindow::keyPressEvent(QKeyEvent*) { reject(); }

}  // namespace tlx::gui
