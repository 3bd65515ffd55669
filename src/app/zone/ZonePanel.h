// The "Setup Zone Map" panel (fraSetupZone): the zone grid, its tools, undo and redo, print and
// the cursor read-out; every finished edit goes to the unit at once as the span of cells that
// changed. The map, its history and what the unit holds are the program's zone map document.
#pragma once

#include <QWidget>

#include <array>

class QLabel;
class QLineEdit;
class QPrinter;
class QPushButton;
class QToolButton;

namespace tlx {
class Program;
}

namespace tlx::gui {

class VidGrid;

enum ZoneTool { kToolPoint = 1, kToolRectangle = 2, kToolEraser = 3, kToolClear = 4 };

class ZonePanel : public QWidget {
  Q_OBJECT

 public:
  explicit ZonePanel(Program& program, QWidget* parent = nullptr);

  // Entering the panel (after the main window has shown it): the document opens the current map
  // with no history and the unit is sent all of it; the tool becomes the rectangle with zone "A".
  void Enter();
  // Leaving (or closing the program): the map becomes the current map and is saved as the
  // default map; with unsaved changes the user is asked whether to save it in a map file and may
  // stay (false); otherwise the unit's overlay is cleared.
  bool Leave();

  // Draw point, rectangle and eraser become the tool of the next stroke; Clear blanks the grid
  // and keeps that tool.
  void SetZoneTool(int tool);
  int ZoneToolInUse() const { return tool_; }
  // Sends the span of cells in which the grid differs from what the unit holds.
  void SendMapChanges();
  void Undo();
  void Redo();
  // The File menu's "&Load ..." and "&Save ..." while this panel is shown.
  bool LoadMapCommand();
  bool SaveMapCommand();
  // The grid's map into the box at (W / 12, H / 8), 2W / 3 wide and high, on the printer's page.
  bool PrintZone(QPrinter& printer);
  // "&Print": the print dialog, then the map.
  void PrintClicked();
  // Takes the colours of the program's table for codes 32..127 and redraws.
  void ApplyColours();

  VidGrid* Grid() const { return grid_; }
  QLineEdit* ZoneCharBox() const { return txtZoneChar_; }

 signals:
  // mnuUndo and mnuRedo follow these: enabled while an edit can be undone or redone.
  void UndoAvailable(bool available);
  void RedoAvailable(bool available);
  void ExitRequested();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildControls();
  void LayOut();
  void Connect();
  void ShowCursorCell(int column, int row);
  void OnZoneTyped();
  void OnEditFinished();
  void OnZoneCharChanged(const QString& text);
  void ClearAndSend();
  void ShowTool();
  // The grid drawn again, the changes sent, and the undo and redo buttons and menu entries set.
  void ShowDocument();
  void ShowHistory();
  void RefuseZone(char c);

  Program& program_;
  VidGrid* grid_;
  QLineEdit* txtZoneChar_;
  QToolButton* cmdPencil_;
  QToolButton* cmdRect_;
  QToolButton* cmdEraser_;
  QToolButton* cmdErase_;
  std::array<QLabel*, 4> lblCurrZoneL_{};
  QPushButton* cmdUndo_;
  QPushButton* cmdRedo_;
  QPushButton* cmdPrintZone_;
  QPushButton* cmdExitZone_;
  QLabel* lblCurPosCaption_;
  QLabel* lblCurPos_;
  int tool_ = kToolRectangle;
  int dragMode_ = 1;
};

}  // namespace tlx::gui
