#include "app/data/PanelHookup.h"

#include "app/MainWindow.h"
#include "app/data/OpenDataPanel.h"
#include "app/zone/ZonePanel.h"

#include <QAction>
#include <QCoreApplication>

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

}  // namespace

DataZonePanels::DataZonePanels(MainWindow& window)
    : QObject(&window), window_(window), summary_(launcher_, WhereToLook(window.GetProgram())) {
  Program& program = window.GetProgram();
  zone_ = new ZonePanel(program);
  data_ = new OpenDataPanel(program, summary_);
  window.RegisterPanel(kModeZone, zone_, [this](int) {
    zone_->Leave();
    return true;
  });
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
  connect(zone_, &ZonePanel::ExitRequested, this, [this] { window_.EnterHome(); });
  connect(data_, &OpenDataPanel::ExitRequested, this, [this] { window_.EnterHome(); });
  connect(data_, &OpenDataPanel::ExportAvailable, this, [this](bool on) { Enable(window_, "mnuExport", on); });
  connect(data_, &OpenDataPanel::TitleChanged, this, [this](const QString& name) { window_.SetTitleSuffix(name); });
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
  window_.SetFileCommands(kModeZone, [this] { zone_->LoadMapCommand(); }, [this] { zone_->SaveMapCommand(); });
  window_.SetCommand(QStringLiteral("mnuFileOpen"), [this] { data_->OpenCommand(); });
  window_.SetCommand(QStringLiteral("mnuExport"), [this] {
    if (window_.Mode() == kModeOpenData) data_->ExportResultsCommand();
  });
  window_.SetCommand(QStringLiteral("mnuPrint"), [this] {
    if (window_.Mode() == kModeZone) zone_->PrintClicked();
    if (window_.Mode() == kModeOpenData) data_->PrintClicked();
  });
  window_.SetCommand(QStringLiteral("mnuUndo"), [this] {
    if (window_.Mode() == kModeZone) zone_->Undo();
  });
}

}  // namespace tlx::gui
