// The zone grid control (VIDGRID): draws the zone map document's 24 x 32 cells in their zone
// colours with their letters, paints strokes into the document with the mouse (left paints, right
// erases; each stroke one undoable step) and is told the zone by typed keys.
#pragma once

#include "setup/Colours.h"
#include "zonemap/ZoneMapDocument.h"

#include <QColor>
#include <QPoint>
#include <QRect>
#include <QWidget>

#include <cstdint>

namespace tlx::gui {

QColor ToQColor(std::int32_t colour);  // defined with the drawing library

class VidGrid : public QWidget {
  Q_OBJECT

 public:
  explicit VidGrid(ZoneMapDocument& document, QWidget* parent = nullptr);

  static constexpr int rows = kMapRows;
  static constexpr int cols = kMapColumns;

  // The document's 768 characters, as drawn.
  const ZoneMap& GridZones() const { return document_.Map(); }
  // Every cell drawn again (after the document changed other than by a stroke, or the colours).
  void RedrawZones() { update(); }

  std::int32_t Color(char c) const { return table_.Of(c); }
  void SetColor(char c, std::int32_t colour) { table_.entries[static_cast<unsigned char>(c)] = colour; }

  bool GridEnabled() const { return enabled_; }
  void SetGridEnabled(bool on) { enabled_ = on; }
  int DragGrid() const { return dragGrid_; }
  void SetDragGrid(int mode) { dragGrid_ = mode; }
  int Style() const { return style_; }
  void SetStyle(int style) { style_ = style; }
  int CurrentZone() const { return currentZone_; }
  void SetCurrentZone(int zone) { currentZone_ = zone; }

  // Cell of a point in widget coordinates (limited to the grid).
  QPoint CellAt(QPoint point) const;
  // The rectangle a cell covers on the widget.
  QRect CellRect(int row, int column) const;
  // Where the 32 x 24 whole cells lie on the widget.
  QRect PictureRect() const;
  // Fits the picture to the control and lays out the cells (on every resize).
  void ResizeGraphWindow();
  bool RubberBandVisible() const { return bandVisible_; }
  QRect RubberBand() const { return band_.normalized(); }

 signals:
  void CursorCellChanged(int column, int row);
  void ZoneTyped();
  void ZonesChanged();
  // A stroke ended; what it painted is one step of the document's history.
  void EditFinished();
  // A character that cannot be a zone (`,` `;` `"`) was typed; the zone painted is unchanged.
  void ZoneRefused(char c);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  int CellSize() const;
  int StrokeZone() const { return leftButton_ ? currentZone_ : 0; }
  // Stores the zone's letter in the cell of the document; true when it changed.
  bool PutLetterInCell(int row, int column, int zone);
  void PaintCell(QPoint cell);
  void FillRectangle(QPoint from, QPoint to);

  ZoneMapDocument& document_;
  ColourTable table_ = DefaultColourTable();
  bool enabled_ = true;
  int dragGrid_ = 0;
  int style_ = 0;
  int currentZone_ = 0;
  bool buttonDown_ = false;
  bool leftButton_ = true;
  QPoint startCell_;
  QPoint lastReported_{-1, -1};
  QRect band_;
  bool bandVisible_ = false;
  QColor bandColour_;
};

}  // namespace tlx::gui
