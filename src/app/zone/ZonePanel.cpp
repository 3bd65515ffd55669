#include "app/zone/ZonePanel.h"

#include "app/print/PrintSupport.h"
#include "app/print/ZoneMapPrint.h"
#include "app/zone/VidGrid.h"
#include "common/Paths.h"
#include "run/Program.h"
#include "zonemap/MapCommands.h"
#include "zonemap/MapFile.h"
#include "zonemap/MapOverlay.h"
#include "zonemap/ZoneCharacters.h"

#include <QApplication>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace tlx::gui {

namespace {

QToolButton* ToolButton(const char* name, const QString& glyph, QWidget* parent) {
  auto* button = new QToolButton(parent);
  button->setObjectName(QString::fromLatin1(name));
  button->setText(glyph);
  button->setCheckable(true);
  button->setMinimumSize(36, 30);
  return button;
}

}  // namespace

ZonePanel::ZonePanel(Program& program, QWidget* parent) : QWidget(parent), program_(program) {
  setObjectName(QStringLiteral("fraSetupZone"));
  BuildControls();
}

void ZonePanel::BuildControls() {
  grid_ = new VidGrid(program_.zoneEditor, this);
  txtZoneChar_ = new QLineEdit(this);
  txtZoneChar_->setObjectName(QStringLiteral("txtZoneChar"));
  txtZoneChar_->setMaxLength(1);
  txtZoneChar_->setMaximumWidth(48);
  txtZoneChar_->setAlignment(Qt::AlignCenter);
  txtZoneChar_->installEventFilter(this);

  cmdPencil_ = ToolButton("cmdPencil", QStringLiteral("\u270E"), this);
  cmdRect_ = ToolButton("cmdRect", QStringLiteral("\u25AD"), this);
  cmdEraser_ = ToolButton("cmdEraser", QStringLiteral("\u232B"), this);
  cmdErase_ = ToolButton("cmdErase", QStringLiteral("\u2716"), this);
  cmdErase_->setCheckable(false);
  const char* captions[4] = {" Draw Point ", " Rectangle ", " Eraser \n(right mouse button)", " Clear "};
  for (int i = 0; i < 4; ++i) {
    lblCurrZoneL_[static_cast<std::size_t>(i)] = new QLabel(QString::fromLatin1(captions[i]), this);
    lblCurrZoneL_[static_cast<std::size_t>(i)]->setObjectName(QStringLiteral("lblCurrZoneL_%1").arg(i));
    lblCurrZoneL_[static_cast<std::size_t>(i)]->installEventFilter(this);
  }
  cmdUndo_ = new QPushButton(QStringLiteral("U&ndo"), this);
  cmdUndo_->setObjectName(QStringLiteral("cmdUndo"));
  cmdUndo_->setToolTip(QStringLiteral("Undo the last edit (Ctrl+Z)"));
  cmdRedo_ = new QPushButton(QStringLiteral("Re&do"), this);
  cmdRedo_->setObjectName(QStringLiteral("cmdRedo"));
  cmdRedo_->setToolTip(QStringLiteral("Redo the edit undone last (Ctrl+Shift+Z)"));
  cmdPrintZone_ = new QPushButton(QStringLiteral("&Print"), this);
  cmdPrintZone_->setObjectName(QStringLiteral("cmdPrintZone"));
  cmdExitZone_ = new QPushButton(QStringLiteral("E&xit"), this);
  cmdExitZone_->setObjectName(QStringLiteral("cmdExitZone"));
  lblCurPosCaption_ = new QLabel(QStringLiteral("Cursor position\nX : Y"), this);
  lblCurPos_ = new QLabel(QStringLiteral("0:0"), this);
  lblCurPos_->setObjectName(QStringLiteral("lblCurPos"));
  LayOut();
  Connect();
}

void ZonePanel::LayOut() {
  auto* side = new QGridLayout;
  side->addWidget(new QLabel(QStringLiteral("Current Zone"), this), 0, 0, 1, 2);
  side->addWidget(txtZoneChar_, 1, 0, 1, 2);
  QToolButton* buttons[4] = {cmdPencil_, cmdRect_, cmdEraser_, cmdErase_};
  for (int i = 0; i < 4; ++i) {
    side->addWidget(buttons[i], 2 + i, 0);
    side->addWidget(lblCurrZoneL_[static_cast<std::size_t>(i)], 2 + i, 1);
  }
  side->addWidget(cmdUndo_, 6, 0);
  side->addWidget(cmdRedo_, 6, 1);
  side->addWidget(cmdPrintZone_, 7, 0, 1, 2);
  side->addWidget(lblCurPosCaption_, 8, 0, 1, 2);
  side->addWidget(lblCurPos_, 9, 0, 1, 2);
  side->setRowStretch(10, 1);
  side->addWidget(cmdExitZone_, 11, 0, 1, 2);

  auto* layout = new QHBoxLayout(this);
  layout->addWidget(grid_, 1);
  layout->addLayout(side);
}

void ZonePanel::Connect() {
  connect(grid_, &VidGrid::CursorCellChanged, this, &ZonePanel::ShowCursorCell);
  connect(grid_, &VidGrid::ZoneTyped, this, &ZonePanel::OnZoneTyped);
  connect(grid_, &VidGrid::EditFinished, this, &ZonePanel::OnEditFinished);
  connect(grid_, &VidGrid::ZoneRefused, this, &ZonePanel::RefuseZone);
  connect(txtZoneChar_, &QLineEdit::textChanged, this, &ZonePanel::OnZoneCharChanged);
  connect(cmdPencil_, &QToolButton::clicked, this, [this] { SetZoneTool(kToolPoint); });
  connect(cmdRect_, &QToolButton::clicked, this, [this] { SetZoneTool(kToolRectangle); });
  connect(cmdEraser_, &QToolButton::clicked, this, [this] { SetZoneTool(kToolEraser); });
  connect(cmdErase_, &QToolButton::clicked, this, &ZonePanel::ClearAndSend);
  connect(cmdUndo_, &QPushButton::clicked, this, &ZonePanel::Undo);
  connect(cmdRedo_, &QPushButton::clicked, this, &ZonePanel::Redo);
  connect(cmdPrintZone_, &QPushButton::clicked, this, &ZonePanel::PrintClicked);
  connect(cmdExitZone_, &QPushButton::clicked, this, &ZonePanel::ExitRequested);
}

void ZonePanel::ApplyColours() {
  for (int code = kFirstSavedColourCode; code <= kLastSavedColourCode; ++code) {
    grid_->SetColor(static_cast<char>(code), program_.colours.Of(static_cast<unsigned char>(code)));
  }
  grid_->RedrawZones();
}

void ZonePanel::Enter() {
  cmdExitZone_->setText(QStringLiteral("Ho&me"));
  CommandSet& unit = program_.commands;
  unit.OverlayText(9, 10, "Redrawing ...");
  program_.answers.ShowStatus("Drawing Map", -1);
  // The editor opens the program's map as it is now (loaded at start-up, or from a file since).
  ZoneMapDocument& document = program_.zoneEditor;
  document.Open(program_.currentMap);
  grid_->RedrawZones();
  unit.ClearOverlay();
  const OverlayText whole = MapSpanOverlay(document.Map(), WholeMapSpan());
  unit.OverlayText(whole.column, whole.row, whole.text);
  program_.answers.ShowStatus("", -1);
  lblCurPosCaption_->setText(QStringLiteral("Cursor position\nX : Y"));
  SetZoneTool(kToolRectangle);
  txtZoneChar_->setText(QStringLiteral("A"));
  grid_->SetCurrentZone(ZoneNumber("A"));
  ShowDocument();
}

bool ZonePanel::Leave() {
  // The map drawn is the program's map whatever the answer: a run started from here (a leave
  // that cannot be refused) uses it, and so does the next start.
  program_.currentMap = program_.zoneEditor.Map();
  WriteMapFile(DefaultMapPath(program_.home), program_.currentMap);
  if (!ConfirmLeaveZoneMap(program_.settings.ConfigDir, program_.zoneEditor, program_.answers)) return false;
  program_.commands.ClearOverlay();
  program_.commands.EndOverlay();
  return true;
}

void ZonePanel::SetZoneTool(int tool) {
  if (tool < kToolPoint || tool > kToolClear) return;
  switch (tool) {
    case kToolPoint:
    case kToolRectangle:
      dragMode_ = tool == kToolPoint ? 0 : 1;
      grid_->SetDragGrid(dragMode_);
      grid_->SetCurrentZone(ZoneNumber(txtZoneChar_->text().toLatin1().toStdString()));
      break;
    case kToolEraser:
      grid_->SetCurrentZone(0);
      break;
    case kToolClear:
      // One step of the history, so that undo steps back over the clear like any edit.
      program_.zoneEditor.Replace(ZoneMap());
      grid_->RedrawZones();
      ShowHistory();
      // Clearing is a command, not a way of painting: the next stroke uses the tool shown.
      grid_->setFocus();
      return;
  }
  tool_ = tool;
  ShowTool();
  grid_->setFocus();
}

void ZonePanel::ShowTool() {
  cmdPencil_->setChecked(tool_ == kToolPoint);
  cmdRect_->setChecked(tool_ == kToolRectangle);
  cmdEraser_->setChecked(tool_ == kToolEraser);
  for (int i = 0; i < 4; ++i) {
    QFont font = lblCurrZoneL_[static_cast<std::size_t>(i)]->font();
    font.setBold(i + 1 == tool_);
    lblCurrZoneL_[static_cast<std::size_t>(i)]->setFont(font);
  }
}

void ZonePanel::ClearAndSend() {
  SetZoneTool(kToolClear);
  program_.commands.ClearOverlay();
  program_.commands.EndOverlay();
  program_.zoneEditor.MarkOverlayCleared();
}

void ZonePanel::SendMapChanges() {
  ZoneMapDocument& document = program_.zoneEditor;
  const MapSpan span = document.UnsentSpan();
  if (span.Empty()) return;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const OverlayText text = MapSpanOverlay(document.Map(), span);
  program_.commands.OverlayText(text.column, text.row, text.text);
  QApplication::restoreOverrideCursor();
  document.MarkSent();
}

void ZonePanel::ShowDocument() {
  grid_->RedrawZones();
  SendMapChanges();
  ShowHistory();
}

void ZonePanel::ShowHistory() {
  const ZoneMapDocument& document = program_.zoneEditor;
  cmdUndo_->setEnabled(document.CanUndo());
  cmdRedo_->setEnabled(document.CanRedo());
  emit UndoAvailable(document.CanUndo());
  emit RedoAvailable(document.CanRedo());
}

void ZonePanel::Undo() {
  if (program_.zoneEditor.Undo()) ShowDocument();
}

void ZonePanel::Redo() {
  if (program_.zoneEditor.Redo()) ShowDocument();
}

void ZonePanel::OnEditFinished() { ShowDocument(); }

void ZonePanel::RefuseZone(char c) {
  program_.answers.ShowMessage({"Zone Character", RefusedZoneCharacterText(c) + "\r\nChoose another character.",
                                MsgIcon::Exclamation, MsgButtons::Ok});
}

void ZonePanel::ShowCursorCell(int column, int row) {
  lblCurPos_->setText(QStringLiteral("%1:%2").arg(column + 1, 2, 10, QChar('0')).arg(row + 1, 2, 10, QChar('0')));
}

void ZonePanel::OnZoneTyped() {
  txtZoneChar_->blockSignals(true);
  txtZoneChar_->setText(QString(QChar::fromLatin1(ZoneLetter(grid_->CurrentZone()))));
  txtZoneChar_->blockSignals(false);
  if (tool_ == kToolEraser) SetZoneTool(kToolRectangle);
}

void ZonePanel::OnZoneCharChanged(const QString& text) {
  // A pasted character is refused like a typed one.
  if (text.size() == 1 && text[0] != QChar(' ') && !IsAllowedZoneCharacter(text[0].toLatin1())) {
    RefuseZone(text[0].toLatin1());
    txtZoneChar_->blockSignals(true);
    txtZoneChar_->setText(QString(QChar::fromLatin1(ZoneLetter(grid_->CurrentZone()))).trimmed());
    txtZoneChar_->blockSignals(false);
    return;
  }
  if (tool_ == kToolEraser) SetZoneTool(kToolRectangle);
  if (text.trimmed().isEmpty()) grid_->SetCurrentZone(ZoneNumber(" "));
}

bool ZonePanel::eventFilter(QObject* watched, QEvent* event) {
  if (watched == txtZoneChar_ && event->type() == QEvent::KeyPress) {
    const QString text = static_cast<QKeyEvent*>(event)->text();
    if (text.size() == 1 && text[0].unicode() >= 32 && text[0].unicode() <= 127) {
      const char c = static_cast<char>(text[0].unicode());
      if (c != ' ' && !IsAllowedZoneCharacter(c)) {
        RefuseZone(c);
        return true;
      }
      if (tool_ == kToolEraser) SetZoneTool(kToolRectangle);
      txtZoneChar_->clear();
      grid_->SetCurrentZone(ZoneNumberOf(static_cast<unsigned char>(text[0].unicode())));
    }
    return false;
  }
  if (event->type() == QEvent::MouseButtonPress) {
    for (int i = 0; i < 4; ++i) {
      if (watched == lblCurrZoneL_[static_cast<std::size_t>(i)]) {
        SetZoneTool(i + 1);
        return true;
      }
    }
  }
  return QWidget::eventFilter(watched, event);
}

bool ZonePanel::LoadMapCommand() {
  grid_->SetGridEnabled(false);
  const bool loaded = tlx::LoadMapCommand(program_.settings.ConfigDir, program_.zoneEditor, program_.answers);
  grid_->SetGridEnabled(true);
  if (!loaded) return false;
  // The loaded map is drawn at once; the unit gets it with the next edit, undo or redo.
  grid_->RedrawZones();
  ShowHistory();
  return true;
}

bool ZonePanel::SaveMapCommand() {
  return tlx::SaveMapCommand(program_.settings.ConfigDir, program_.zoneEditor, program_.answers);
}

bool ZonePanel::PrintZone(QPrinter& printer) {
  return PrintZoneMapPage(printer, grid_->GridZones(), {});  // the editor does not keep the map's file
}

void ZonePanel::PrintClicked() {
  QPrinter printer(QPrinter::HighResolution);
  if (!AskForPrinter(printer, this, JoinPath(program_.settings.ConfigDir, "ZONEMAP.PDF"))) return;
  program_.answers.ShowStatus("Printing", -1);
  PrintZone(printer);
  program_.answers.ShowStatus("", -1);
}

}  // namespace tlx::gui
