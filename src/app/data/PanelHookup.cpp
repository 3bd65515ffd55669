#include "app/data/PanelHookup.h"

#include "app/MainWindow.h"
#include "app/RecentFiles.h"
#include "app/data/OpenDataPanel.h"
#include "app/zone/ZonePanel.h"

#include "app/data/SessionView.h"
#include "app/zone/VidGrid.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPrinter>
#include <QEventLoop>
#include <QTimer>

namespace tlx::gui {

namespace {

SummarySearch WhereToLook(const Program& program) {
  SummarySearch where;
  where.ProgramHome = program.home;
  where.ExecutableDirectory = QCoreApplication::applicationDirPath().toStdString();
  where.SearchPath = qEnvironmentVariable("PATH").toStdString();
  return where;
}

void Enable(MainWindow& window, const char* name, bool on) {
  if (QAction* action = window.Menu(QLatin1String(name))) action->setEnabled(on);
}

void Drag(VidGrid* grid, QPoint fromCell, QPoint toCell, Qt::MouseButton button = Qt::LeftButton) {
  auto send = [grid](QEvent::Type type, QPoint cell, Qt::MouseButton b, Qt::MouseButtons held) {
    const QPoint at = grid->CellRect(cell.y(), cell.x()).center();
    QMouseEvent event(type, QPointF(at), QPointF(grid->mapToGlobal(at)), b, held, Qt::NoModifier);
    QApplication::sendEvent(grid, &event);
  };
  send(QEvent::MouseButtonPress, fromCell, button, button);
  send(QEvent::MouseMove, toCell, Qt::NoButton, button);
  send(QEvent::MouseButtonRelease, toCell, button, Qt::NoButton);
}

QString NewestDataFile(const std::string& directory) {
  const QFileInfoList files = QDir(QString::fromStdString(directory))
                                  .entryInfoList({QStringLiteral("*.DAT")}, QDir::Files, QDir::Time);
  return files.isEmpty() ? QString() : files.front().absoluteFilePath();
}

// Lets the window paint before it is photographed.
void Settle(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

}  // namespace

DataZonePanels::DataZonePanels(MainWindow& window)
    : QObject(&window), window_(window), summary_(launcher_, WhereToLook(window.GetProgram())) {
  Program& program = window.GetProgram();
  zone_ = new ZonePanel(program);
  data_ = new OpenDataPanel(program, summary_);
  window.RegisterPanel(kModeZone, zone_, [this](int) { return zone_->Leave(); });
  window.RegisterPanel(kModeOpenData, data_, [this](int) {
    data_->Leave();
    return true;
  });
  data_->SetEnterPanel([this] {
    return window_.EnterMode(kModeOpenData, [this] {
      if (QAction* print = window_.Menu(QStringLiteral("mnuPrint"))) {
        print->setVisible(true);
        print->setEnabled(true);
      }
    });
  });
  connect(zone_, &ZonePanel::UndoAvailable, this, [this](bool on) { Enable(window_, "mnuUndo", on); });
  connect(zone_, &ZonePanel::RedoAvailable, this, [this](bool on) { Enable(window_, "mnuRedo", on); });
  connect(zone_, &ZonePanel::ExitRequested, this, [this] { window_.EnterHome(); });
  connect(data_, &OpenDataPanel::ExitRequested, this, [this] { window_.EnterHome(); });
  connect(data_, &OpenDataPanel::ExportAvailable, this, [this](bool on) { Enable(window_, "mnuExport", on); });
  connect(data_, &OpenDataPanel::TitleChanged, this, [this](const QString& name) { window_.SetTitleSuffix(name); });
  // File menu entries for the data files opened last; choosing one opens it on this panel.
  recent_ = new RecentFilesMenu(window, [this](const std::string& path) { data_->OpenDataFileForAnalysis(path); });
  connect(data_, &OpenDataPanel::DataFileOpened, recent_, &RecentFilesMenu::Opened);
  connect(data_, &OpenDataPanel::DataFileOpened, this, [this](const QString& path) {
    Enable(window_, "mnuReanalyze", true);
    window_.Say(QStringLiteral("Opened %1").arg(path));
  });
  connect(data_, &OpenDataPanel::FileWritten, this,
          [this](const QString& path) { window_.Say(QStringLiteral("Export written to %1").arg(path)); });
  window.SetRecordings([this] { return recent_->List().Files(); },
                       [this](const QString& path) { data_->OpenDataFileForAnalysis(path.toStdString()); },
                       [this](const QString& path) { recent_->Opened(path); });
  window.SetMapLoader([this] {
    EnterZone();
    if (window_.Mode() == kModeZone) zone_->LoadMapCommand();
  });
  BindMenus();
}

DataZonePanels::~DataZonePanels() { summary_.SendClosingKey(); }

void DataZonePanels::EnterZone() {
  window_.EnterMode(kModeZone, [this] {
    zone_->ApplyColours();
    zone_->Enter();
    Enable(window_, "mnuLoad", true);
    Enable(window_, "mnuSave", true);
    if (QAction* print = window_.Menu(QStringLiteral("mnuPrint"))) {
      print->setVisible(true);
      print->setEnabled(true);
    }
  });
}

void DataZonePanels::BindMenus() {
  window_.SetCommand(QStringLiteral("mnuSetupMap"), [this] { EnterZone(); });
  // The colour window's OK: the grid takes the table's colours and is drawn again.
  window_.SetColoursToGrid([this] { zone_->ApplyColours(); });
  window_.SetFileCommands(kModeZone, [this] { zone_->LoadMapCommand(); }, [this] { zone_->SaveMapCommand(); });
  // File > Open loads a map while the zone editor is shown, and opens a data file elsewhere.
  window_.SetCommand(QStringLiteral("mnuFileOpen"), [this] {
    if (window_.Mode() == kModeZone) {
      zone_->LoadMapCommand();
    } else {
      data_->OpenCommand();
    }
  });
  window_.SetCommand(QStringLiteral("mnuExport"), [this] {
    if (window_.Mode() == kModeOpenData) data_->ExportResultsCommand();
  });
  window_.SetCommand(QStringLiteral("mnuReanalyze"), [this] {
    if (window_.Mode() == kModeOpenData) data_->ReanalyzeClicked();
  });
  window_.SetCommand(QStringLiteral("mnuPrint"), [this] {
    if (window_.Mode() == kModeZone) zone_->PrintClicked();
    if (window_.Mode() == kModeOpenData) data_->PrintClicked();
  });
  window_.SetCommand(QStringLiteral("mnuUndo"), [this] {
    if (window_.Mode() == kModeZone) zone_->Undo();
  });
  window_.SetCommand(QStringLiteral("mnuRedo"), [this] {
    if (window_.Mode() == kModeZone) zone_->Redo();
  });
}

}  // namespace tlx::gui

namespace tlx::gui {

void DataZonePanels::SaveScreenshots(const QString& directory) {
  QDir().mkpath(directory);
  EnterZone();
  VidGrid* grid = zone_->Grid();
  const std::pair<const char*, std::pair<QPoint, QPoint>> strokes[] = {
      {"E", {QPoint(11, 8), QPoint(20, 15)}}, {"S", {QPoint(2, 2), QPoint(6, 5)}}, {"n", {QPoint(26, 18), QPoint(30, 21)}}};
  for (const auto& [zone, cells] : strokes) {
    zone_->ZoneCharBox()->setText(QString::fromLatin1(zone));
    zone_->SetZoneTool(kToolRectangle);
    Drag(grid, cells.first, cells.second);
  }
  Settle(300);
  window_.grab().save(directory + QStringLiteral("/zone-editor.png"));
  // The strokes were for the picture only: the program's map stays as it was.
  for (std::size_t i = 0; i < std::size(strokes); ++i) zone_->Undo();

  const QString data = NewestDataFile(window_.GetProgram().settings.DataDir);
  if (!data.isEmpty() && data_->OpenDataFileForAnalysis(data.toStdString())) {
    if (data_->Sessions() >= 2) data_->ShowSession(2);
    data_->View()->WaitForPicture();
    Settle(300);
    window_.grab().save(directory + QStringLiteral("/data-panel.png"));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(directory + QStringLiteral("/report.pdf"));
    printer.setPageSize(QPageSize(QPageSize::A4));
    data_->PrintReport(printer);
  }
  window_.EnterHome();
}

}  // namespace tlx::gui
