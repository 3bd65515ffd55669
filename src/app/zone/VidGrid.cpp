#include "app/zone/VidGrid.h"

#include "zonemap/ZoneCharacters.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace tlx::gui {

VidGrid::VidGrid(ZoneMapDocument& document, QWidget* parent) : QWidget(parent), document_(document) {
  setObjectName(QStringLiteral("vgZoneGrid"));
  setFocusPolicy(Qt::StrongFocus);
  setMouseTracking(true);
  setMinimumSize(cols * 8, rows * 8);
}

// The picture is the largest square cell of whole pixels of which 32 columns and 24 rows fit the
// control, centred in it: every cell is whole and inside the control, whatever its size.
int VidGrid::CellSize() const { return std::max(1, std::min(width() / cols, height() / rows)); }

QRect VidGrid::PictureRect() const {
  const int cell = CellSize();
  return QRect((width() - cell * cols) / 2, (height() - cell * rows) / 2, cell * cols, cell * rows);
}

void VidGrid::ResizeGraphWindow() { update(); }

void VidGrid::resizeEvent(QResizeEvent*) { ResizeGraphWindow(); }

QPoint VidGrid::CellAt(QPoint point) const {
  const QRect picture = PictureRect();
  const int x = std::clamp(point.x() - picture.left(), 0, picture.width());
  const int y = std::clamp(point.y() - picture.top(), 0, picture.height());
  // The right and bottom edges name a cell past the last one; they belong to the last column
  // or row.
  return QPoint(std::min(x / CellSize(), cols - 1), std::min(y / CellSize(), rows - 1));
}

QRect VidGrid::CellRect(int row, int column) const {
  const int cell = CellSize();
  return QRect(PictureRect().topLeft() + QPoint(column * cell, row * cell), QSize(cell, cell));
}

bool VidGrid::PutLetterInCell(int row, int column, int zone) {
  if (!document_.Set(row, column, ZoneLetter(zone))) return false;
  update(CellRect(row, column));
  return true;
}

void VidGrid::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(PictureRect(), Qt::black);
  QFont font = painter.font();
  font.setPixelSize(std::max(6, CellSize() * 2 / 3));
  font.setBold(true);
  painter.setFont(font);
  painter.setPen(Qt::black);
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < cols; ++c) {
      const char letter = GridZones().At(r, c);
      if (letter == ' ') continue;
      const QRect cell = CellRect(r, c);
      painter.fillRect(cell, ToQColor(table_.Of(letter)));
      painter.drawText(cell, Qt::AlignCenter, QString(QChar::fromLatin1(letter)));
    }
  }
  if (bandVisible_) {
    painter.setPen(bandColour_);
    painter.setBrush(bandColour_);
    painter.drawRect(band_.normalized());
  }
}

void VidGrid::PaintCell(QPoint cell) {
  const int zone = StrokeZone();
  if (leftButton_ && GridZones().At(cell.y(), cell.x()) == ZoneLetter(currentZone_)) return;
  bool changed = false;
  if (style_ == 1) {
    for (int c = 0; c < cols; ++c) changed |= PutLetterInCell(cell.y(), c, zone);
  } else if (style_ == 2) {
    for (int r = 0; r < rows; ++r) changed |= PutLetterInCell(r, cell.x(), zone);
  } else {
    changed = PutLetterInCell(cell.y(), cell.x(), zone);
  }
  if (changed) emit ZonesChanged();
}

void VidGrid::FillRectangle(QPoint from, QPoint to) {
  const int zone = StrokeZone();
  bool changed = false;
  for (int r = std::min(from.y(), to.y()); r <= std::max(from.y(), to.y()); ++r) {
    for (int c = std::min(from.x(), to.x()); c <= std::max(from.x(), to.x()); ++c) {
      changed |= PutLetterInCell(r, c, zone);
    }
  }
  if (changed) emit ZonesChanged();
}

void VidGrid::mousePressEvent(QMouseEvent* event) {
  if (!enabled_ || buttonDown_) return;
  if (event->button() != Qt::LeftButton && event->button() != Qt::RightButton) return;
  buttonDown_ = true;
  leftButton_ = event->button() == Qt::LeftButton;
  const QPoint point = event->position().toPoint();
  startCell_ = CellAt(point);
  if (dragGrid_ == 1) {
    band_ = QRect(point, QSize(0, 0));
    bandColour_ = (leftButton_ && currentZone_ >= 1) ? ToQColor(table_.Of(ZoneLetter(currentZone_)))
                                                      : QColor(Qt::black);
    bandVisible_ = true;
  }
  PaintCell(startCell_);
}

void VidGrid::mouseMoveEvent(QMouseEvent* event) {
  if (!enabled_) return;
  const QPoint point = event->position().toPoint();
  const QPoint cell = CellAt(point);
  if (cell != lastReported_) {
    lastReported_ = cell;
    emit CursorCellChanged(cell.x(), cell.y());
  }
  if (!buttonDown_) return;
  if (dragGrid_ == 1) {
    band_.setBottomRight(point);
    update();
  } else {
    PaintCell(cell);
  }
}

void VidGrid::mouseReleaseEvent(QMouseEvent* event) {
  if (!buttonDown_) return;
  const bool releasedStrokeButton =
      (leftButton_ && event->button() == Qt::LeftButton) || (!leftButton_ && event->button() == Qt::RightButton);
  if (!releasedStrokeButton) return;
  buttonDown_ = false;
  bandVisible_ = false;
  if (dragGrid_ == 1) FillRectangle(startCell_, CellAt(event->position().toPoint()));
  document_.FinishStep();
  update();
  emit EditFinished();
}

void VidGrid::keyPressEvent(QKeyEvent* event) {
  const QString text = event->text();
  if (text.size() == 1 && text[0].unicode() >= 32 && text[0].unicode() <= 127) {
    const char c = static_cast<char>(text[0].unicode());
    if (c != ' ' && !IsAllowedZoneCharacter(c)) {
      emit ZoneRefused(c);
      return;
    }
    currentZone_ = ZoneNumberOf(static_cast<unsigned char>(c));
    emit ZoneTyped();
    return;
  }
  QWidget::keyPressEvent(event);
}

}  // namespace tlx::gui
