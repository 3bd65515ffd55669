#include "app/data/CalibrationBoxes.h"

#include "common/Numbers.h"
#include "common/TimeText.h"
#include "common/UserAnswers.h"
#include "setup/Units.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRegularExpressionValidator>

#include <cmath>

namespace tlx::gui {

namespace {

double Number(const QLineEdit* box) { return TimeTextToSeconds(box->text().toStdString()); }

QString Text(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

CalibrationBoxes::CalibrationBoxes(UserAnswers& answers, QWidget* parent) : QObject(parent), answers_(answers) {
  for (int row = 0; row < kRows; ++row) {
    auto* pixels = new QLineEdit(parent);
    pixels->setObjectName(QStringLiteral("txtPixels_%1").arg(row));
    auto* units = new QLineEdit(parent);
    units->setObjectName(QStringLiteral("txtUnits_%1").arg(row));
    // Digits only: whole pixels, and distances in the unit with one decimal point or comma.
    pixels->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), pixels));
    units->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*([.,][0-9]*)?")), units));
    for (QLineEdit* box : {pixels, units}) {
      box->setMaximumWidth(90);
      box->installEventFilter(this);
    }
    pixels_[static_cast<std::size_t>(row)] = pixels;
    units_[static_cast<std::size_t>(row)] = units;
    connect(pixels, &QLineEdit::textChanged, this, [this, row] { PixelChanged(row); });
    connect(units, &QLineEdit::textChanged, this, [this, row] { UnitChanged(row); });
    for (QLineEdit* box : {pixels, units}) connect(box, &QLineEdit::textEdited, this, &CalibrationBoxes::Edited);
  }
}

double CalibrationBoxes::PixelValue(int row) const { return Number(Pixels(row)); }
double CalibrationBoxes::UnitValue(int row) const { return Number(Units(row)); }

void CalibrationBoxes::Fill(double scale, double ambulatory, double stereotypic, double maximum) {
  filling_ = true;
  const double values[kRows] = {scale, ambulatory, stereotypic, maximum};
  for (int row = 0; row < kRows; ++row) Pixels(row)->setText(Text(FormatFixed(values[row], 0)));
  for (int row = 0; row < kRows; ++row) {
    pixelTags_[static_cast<std::size_t>(row)].clear();
    unitTags_[static_cast<std::size_t>(row)].clear();
    ConvertPixels(row);
  }
  filling_ = false;
  ambulatoryPixels_ = static_cast<std::int32_t>(std::lround(PixelValue(kAmbulatory)));
  drawnAmbulatory_ = ambulatoryPixels_;
}

void CalibrationBoxes::SetEditable(bool editable) {
  for (int row = 0; row < kRows; ++row) {
    Pixels(row)->setReadOnly(!editable);
    Units(row)->setReadOnly(!editable);
  }
}

void CalibrationBoxes::ConvertPixels(int row) {
  QLineEdit* pixels = Pixels(row);
  if (pixels->text() == pixelTags_[static_cast<std::size_t>(row)]) return;
  const QString units = Text(PixelsToUnits(Number(pixels), pair_));
  unitTags_[static_cast<std::size_t>(row)] = units;
  const bool was = inPixels_;
  inPixels_ = true;
  Units(row)->setText(units);
  inPixels_ = was;
}

void CalibrationBoxes::ConvertUnits(int row) {
  QLineEdit* units = Units(row);
  if (units->text() == unitTags_[static_cast<std::size_t>(row)]) return;
  const QString pixels = Text(UnitsToPixels(Number(units), pair_));
  pixelTags_[static_cast<std::size_t>(row)] = pixels;
  const bool was = inUnits_;
  inUnits_ = true;
  Pixels(row)->setText(pixels);
  inUnits_ = was;
}

void CalibrationBoxes::PixelChanged(int row) {
  if (inUnits_) return;
  inPixels_ = true;
  ConvertPixels(row);
  if (row == kAmbulatory && !filling_) {
    ambulatoryPixels_ = static_cast<std::int32_t>(std::lround(PixelValue(kAmbulatory)));
  }
  inPixels_ = false;
}

void CalibrationBoxes::UnitChanged(int row) {
  if (inPixels_) return;
  inUnits_ = true;
  ConvertUnits(row);
  inUnits_ = false;
  // A unit box that moved the ambulatory pixel box moves the value the trace is drawn with.
  if (row == kAmbulatory && !filling_) {
    ambulatoryPixels_ = static_cast<std::int32_t>(std::lround(PixelValue(kAmbulatory)));
  }
}

void CalibrationBoxes::RewriteUnits(int row) {
  const QString text = Text(FormatFixed(UnitValue(row), 2));
  unitTags_[static_cast<std::size_t>(row)] = text;
  Units(row)->setText(text);
}

void CalibrationBoxes::PixelEnter(int row) {
  inPixels_ = true;
  ConvertPixels(row);
  inPixels_ = false;
  CheckRedraw();
}

void CalibrationBoxes::PixelLeft(int row) {
  inPixels_ = true;
  ConvertPixels(row);
  inPixels_ = false;
  CheckThresholds(row);
  CheckRedraw();
}

void CalibrationBoxes::UnitEnter(int row) {
  inUnits_ = true;
  ConvertUnits(row);
  RewriteUnits(row);
  inUnits_ = false;
  CheckRedraw();
}

void CalibrationBoxes::UnitLeft(int row) {
  inUnits_ = true;
  ConvertUnits(row);
  RewriteUnits(row);
  inUnits_ = false;
  CheckThresholds(row);
  CheckRedraw();
}

void CalibrationBoxes::SetRow(int row, const QString& pixels, const QString& units) {
  inPixels_ = inUnits_ = true;
  Pixels(row)->setText(pixels);
  Units(row)->setText(units);
  pixelTags_[static_cast<std::size_t>(row)] = pixels;
  unitTags_[static_cast<std::size_t>(row)] = units;
  inPixels_ = inUnits_ = false;
  if (row == kAmbulatory) ambulatoryPixels_ = static_cast<std::int32_t>(std::lround(PixelValue(kAmbulatory)));
}

void CalibrationBoxes::CheckThresholds(int row) {
  if (!fileOpen_ || checking_) return;
  checking_ = true;
  if (row == kAmbulatory || row == kStereotypic) {
    if (AmbulatoryBelowStereotypic(UnitValue(kAmbulatory), UnitValue(kStereotypic))) {
      const int other = row == kAmbulatory ? kStereotypic : kAmbulatory;
      SetRow(row, Pixels(other)->text(), Units(other)->text());
      answers_.ShowMessage({kThresholdWarningCaption, kAmbulatoryWarningText, MsgIcon::Exclamation, MsgButtons::Ok});
    }
  } else if (row == kMaximum) {
    const double ambulatory = UnitValue(kAmbulatory);
    if (MaximumBelowTwiceAmbulatory(ambulatory, UnitValue(kMaximum))) {
      // The change of the unit box converts it to pixels.
      Units(kMaximum)->setText(Text(FormatFixed(2 * ambulatory, 2)));
      answers_.ShowMessage({kThresholdWarningCaption, kMaximumWarningText, MsgIcon::Exclamation, MsgButtons::Ok});
    }
  }
  checking_ = false;
}

void CalibrationBoxes::CheckRedraw() {
  if (ambulatoryPixels_ == drawnAmbulatory_) return;
  drawnAmbulatory_ = ambulatoryPixels_;
  emit AmbulatoryChanged(ambulatoryPixels_);
}

bool CalibrationBoxes::eventFilter(QObject* watched, QEvent* event) {
  const bool enter = event->type() == QEvent::KeyPress &&
                     (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Return ||
                      static_cast<QKeyEvent*>(event)->key() == Qt::Key_Enter);
  const bool left = event->type() == QEvent::FocusOut;
  if (!enter && !left) return false;
  for (int row = 0; row < kRows; ++row) {
    if (watched == Pixels(row)) {
      enter ? PixelEnter(row) : PixelLeft(row);
      return enter;
    }
    if (watched == Units(row)) {
      enter ? UnitEnter(row) : UnitLeft(row);
      return enter;
    }
  }
  return false;
}

}  // namespace tlx::gui
