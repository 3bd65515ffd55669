#include "app/MainWindow.h"

#include "app/dialogs/BatchAnalyzeDialog.h"
#include "app/WindowPlace.h"
#include "app/dialogs/AboutBox.h"
#include "app/AppLinks.h"
#include "app/dialogs/MeasuringScreen.h"
#include "app/dialogs/PortDialogs.h"
#include "app/dialogs/SetupWindows.h"
#include "app/dialogs/StopExperimentWindow.h"
#include "app/panels/ExperimentPanel.h"
#include "app/panels/HomePanel.h"
#include "app/panels/LivePicture.h"
#include "app/panels/PanelKit.h"
#include "app/panels/RunPanel.h"
#include "app/panels/SystemPanel.h"
#include "buildinfo/BuildInfo.h"
#include "common/Paths.h"
#include "data/FileKind.h"
#include "device/AreaCalculator.h"
#include "device/DistanceMeasuring.h"
#include "run/RunTimes.h"
#include "setup/ParameterScreen.h"
#include "setup/SetupFile.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QScrollArea>
#include <QSettings>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <utility>

namespace tlx::gui {
namespace {

// The window's smallest size: 10500 by 7500 twips at 15 twips a pixel.
constexpr int kMinWidth = 700;
constexpr int kMinHeight = 500;
// How often a resize under way looks whether the mouse button is released.
constexpr int kResizeWatchMs = 55;
// What a window manager's frame and title bar take around the window, at most.
constexpr int kFrameWidth = 16;
constexpr int kFrameHeight = 48;
// How long a window manager takes to frame a window just shown.
constexpr int kFrameSettleMs = 300;
constexpr int kStatusMs = 15000;

QString Q(const std::string& text) { return QString::fromStdString(text); }

// A page in a scroll area: a screen too small for it (a laptop at 150% scale) scrolls the page
// instead of cutting off its lower buttons.
QWidget* Scrolled(QWidget* page, QWidget* parent) {
  auto* area = new QScrollArea(parent);
  area->setObjectName(page->objectName() + QStringLiteral("Scroll"));
  area->setWidgetResizable(true);
  area->setFrameShape(QFrame::NoFrame);
  area->setWidget(page);
  return area;
}

}  // namespace

// The core's questions go to message boxes (the stop window brings its own answers).
class MainWindow::Answerer : public UserAnswers {
 public:
  Answerer(MainWindow& window, BusyWindows& busy) : qt_(&window, &busy) {}
  MsgAnswer ShowMessage(const MessageRequest& request) override {
    // With nobody to ask (the session is ending), every question takes its first button.
    if (unattended_) return FirstButton(request.buttons);
    return qt_.ShowMessage(request);
  }
  void Inform(const MessageRequest& request) override {
    if (!unattended_) qt_.Inform(request);
  }
  std::string ChooseFile(const FileDialogRequest& request) override {
    if (!nextFile_.empty()) return std::exchange(nextFile_, std::string());
    return unattended_ ? std::string() : qt_.ChooseFile(request);
  }
  // The next file dialog is answered with this file without being shown (a dropped file).
  void ChooseNextFile(std::string path) { nextFile_ = std::move(path); }
  void SetUnattended(bool on) { unattended_ = on; }
  bool Unattended() const { return unattended_; }
  void ShowStatus(const std::string& text, int percent) override { qt_.ShowStatus(text, percent); }

 private:
  QtUserAnswers qt_;
  bool unattended_ = false;
  std::string nextFile_;
};

MainWindow::MainWindow(AppServices services, QWidget* parent)
    : QMainWindow(parent), services_(std::move(services)), busy_(services_.clock) {
  setObjectName(QStringLiteral("frmMain"));
  // The file dialogs' history and last folders are kept in the program home, with its other files.
  if (!services_.home.empty())
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QString::fromStdString(services_.home));
  answers_ = std::make_unique<Answerer>(*this, busy_);
  program_ = std::make_unique<Program>(services_.home, services_.clock, *answers_,
                                       services_.serial, &viewGate_);
  video_ = std::make_unique<VideoSettings>(program_->commands, program_->settings,
                                           program_->parameters, *answers_);
  BuildPanels();
  BuildMenus();
  program_->display.SetView(this);
  program_->run.SetPortName([this] { return UnitPortName(program_->settings.ComPort); });
  setMinimumSize(kMinWidth, kMinHeight);
  resize(960, 680);
  statusBar()->setObjectName(QStringLiteral("sbStatus"));
  setAcceptDrops(true);
  FitToScreen();
  RestoreWindowPlace(*this, services_.home);
  FitToScreen();
  SetTitleSuffix({});
  qApp->installEventFilter(this);
}

MainWindow::~MainWindow() {
  qApp->removeEventFilter(this);
  if (resizeWatch_) services_.clock.StopTimer(resizeWatch_);
  program_->display.SetView(nullptr);
  video_->SetView(nullptr);
}

UserAnswers& MainWindow::Answers() { return *answers_; }

void MainWindow::RelistPorts() {
  if (listDevices_) services_.ports = AddNewDevices(services_.ports, listDevices_());
}

std::string MainWindow::DeviceForPort(int comPort) {
  if (!services_.forcedDevice.empty()) return services_.forcedDevice;
  RelistPorts();
  return DevicePathFor(services_.ports, comPort);
}

std::string MainWindow::UnitPortName(int comPort) const {
  const std::string com = "COM" + std::to_string(comPort);
  const std::string device = services_.forcedDevice.empty()
                                 ? DevicePathFor(services_.ports, comPort)
                                 : services_.forcedDevice;
  if (device.empty()) return com;
  return com + (device.front() == '(' ? " " + device : " (" + device + ")");
}

// --- Building ----------------------------------------------------------------------------------

void MainWindow::BuildPanels() {
  stack_ = new QStackedWidget(this);
  setCentralWidget(stack_);
  blank_ = new QWidget(stack_);
  stack_->addWidget(blank_);

  homePanel_ = new HomePanel(stack_);
  experiment_ = new ExperimentPanel(*answers_, stack_);
  system_ = new SystemPanel(*video_, stack_);
  video_->SetView(system_);
  Program& p = *program_;
  run_ = new LivePanel("fraRunExpt", "cmdExitRunExpt", true, p.display, p.currentMap, p.colours,
                       stack_);
  monitor_ = new LivePanel("fraMonitor", "cmdExitMonitor", false, p.display, p.currentMap,
                           p.colours, stack_);
  pages_ = {{kModeHome, homePanel_}, {kModeExpt, experiment_}, {kModeSystem, system_},
            {kModeRun, run_}, {kModeMonitor, monitor_}};
  for (auto& [mode, page] : pages_) stack_->addWidget(Scrolled(page, stack_));

  connect(experiment_, &ExperimentPanel::HomeClicked, this, &MainWindow::EnterHome);
  connect(experiment_, &ExperimentPanel::MeasureClicked, this, &MainWindow::StartMeasuring);
  connect(system_, &SystemPanel::HomeClicked, this, &MainWindow::EnterHome);
  connect(system_, &SystemPanel::LiveVideoRequested, this, &MainWindow::OpenLiveVideo);
  connect(monitor_, &LivePanel::HomeClicked, this, &MainWindow::EnterHome);
  connect(run_, &LivePanel::HomeClicked, this, [this] { program_->run.ExitButton(); });
  connect(run_, &LivePanel::StartClicked, this, [this] { program_->run.StartButton(); });
  connect(run_, &LivePanel::StopClicked, this, [this] { program_->run.StopButton(); });
  for (LivePanel* panel : {run_, monitor_}) {
    connect(panel, &LivePanel::TraceClicked, this, [this](bool on) {
      program_->settings.DrawTrace = on;
      program_->display.SetDrawTrace(on);
    });
    connect(panel, &LivePanel::ClearClicked, this, [this] { program_->display.BeginSession(); });
  }
  stopWindow_ = new StopExperimentWindow(this);
  connect(stopWindow_, &StopExperimentWindow::Answered, this,
          [this](MsgAnswer answer) { program_->run.StopWindowAnswer(answer); });
  // After the core has had the finish window's answer, the recording opens on the data panel.
  connect(stopWindow_, &StopExperimentWindow::ResultsWanted, this, [this] {
    const QString path = Q(program_->run.LastRunFiles().DataPath);
    QTimer::singleShot(0, this, [this, path] { OpenRecording(path); });
  });
  connect(homePanel_, &HomePanel::CommandChosen, this, [this](const QString& name) {
    if (QAction* a = Menu(name)) a->trigger();
  });
  connect(homePanel_, &HomePanel::RecordingChosen, this, &MainWindow::OpenRecording);
  ShowPage(blank_);
}

QAction* MainWindow::AddAction(QMenu* menu, const char* name, const QString& caption,
                               std::function<void()> command) {
  QAction* a = menu->addAction(caption);
  a->setObjectName(QLatin1String(name));
  const QString key = QLatin1String(name);
  actions_[key] = a;
  if (command) commands_[key] = std::move(command);
  connect(a, &QAction::triggered, this, [this, key] {
    if (!CommandAllowed(key)) return;
    auto it = commands_.find(key);
    if (it != commands_.end() && it->second) it->second();
  });
  return a;
}

void MainWindow::BuildMenus() {
  QMenuBar* bar = menuBar();
  auto top = [&](const char* name, const QString& caption) {
    QMenu* m = bar->addMenu(caption);
    m->setObjectName(QLatin1String(name));
    m->menuAction()->setObjectName(QLatin1String(name));
    m->setToolTipsVisible(true);
    actions_[QLatin1String(name)] = m->menuAction();
    topMenus_.push_back(m);
    return m;
  };
  // Each item's shortcut is shown beside it in its menu. Within a menu no two items share an
  // access key: Export takes "E", Exit keeps the usual "x".
  auto add = [&](QMenu* menu, const char* name, const QString& caption, const QKeySequence& keys,
                 std::function<void()> command) {
    QAction* a = AddAction(menu, name, caption, std::move(command));
    a->setShortcut(keys);
    return a;
  };
  QMenu* file = top("mnuFile", QStringLiteral("&File"));
  add(file, "mnuFileOpen", QStringLiteral("&Open ..."), QKeySequence::Open, {});
  add(file, "mnuLoad", QStringLiteral("&Load ..."), QKeySequence(Qt::CTRL | Qt::Key_L),
      [this] { FileLoad(); });
  add(file, "mnuSave", QStringLiteral("&Save ..."), QKeySequence::Save, [this] { FileSave(); });
  add(file, "mnuExport", QStringLiteral("&Export"), QKeySequence(Qt::CTRL | Qt::Key_E), {});
  add(file, "mnuBatchAnalyze", QStringLiteral("&Batch Analyze..."),
      QKeySequence(Qt::CTRL | Qt::Key_B),
      [this] {
        BatchAnalyzeDialog(program_->batchChoices, program_->home, program_->settings.DataDir,
                           program_->answers, this).exec();
      });
  add(file, "mnuPrint", QStringLiteral("&Print"), QKeySequence::Print, {});
  file->addSeparator();
  add(file, "mnuExit", QStringLiteral("E&xit"), QKeySequence(Qt::CTRL | Qt::Key_Q),
      [this] { close(); });
  QMenu* edit = top("mnuEdit", QStringLiteral("&Edit"));
  add(edit, "mnuUndo", QStringLiteral("&Undo"), QKeySequence::Undo, {});
  add(edit, "mnuRedo", QStringLiteral("&Redo"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), {});
  QMenu* calc = top("mnuCalculate", QStringLiteral("&Calculate"));
  AddAction(calc, "mnuProcessData", QStringLiteral("&Process Data"), {});
  AddAction(calc, "mnuCalcArea", QStringLiteral("&Area"), [this] { CalcAreaCommand(); });
  add(calc, "mnuReanalyze", QStringLiteral("&Reanalyze"), QKeySequence(Qt::Key_F5), {});
  setupMenu_ = top("mnuSetup", QStringLiteral("Set&up"));
  add(setupMenu_, "mnuSetupExpt", QStringLiteral("&Experiment"), QKeySequence(Qt::CTRL | Qt::Key_1),
      [this] { EnterExperimentSetup(); });
  add(setupMenu_, "mnuSetupMap", QStringLiteral("&Map"), QKeySequence(Qt::CTRL | Qt::Key_2), {});
  add(setupMenu_, "mnuSetupSystem", QStringLiteral("S&ystem"), QKeySequence(Qt::CTRL | Qt::Key_3),
      [this] { EnterSystemSetup(); });
  AddAction(setupMenu_, "mnuSetupCom", QStringLiteral("Com &Port"), [this] { PickComCommand(); });
  AddAction(setupMenu_, "mnuColors", QStringLiteral("&Colors"), [this] { ColorsCommand(); });
  QMenu* tools = top("mnuTools", QStringLiteral("&Tools"));
  AddAction(tools, "mnuReset", QStringLiteral("&Reset"), [this] { ResetCommand(); });
  add(tools, "mnuMonitor", QStringLiteral("&Monitor"), QKeySequence(Qt::CTRL | Qt::Key_M),
      [this] { MonitorCommand(); });
  QMenu* run = top("mnuRun", QStringLiteral("&Run"));
  add(run, "mnuRunExpt", QStringLiteral("Run &Experiment"), QKeySequence(Qt::CTRL | Qt::Key_R),
      [this] { RunExperimentCommand(); });
  QMenu* help = top("mnuHelp", QStringLiteral("&Help"));
  AddAction(help, "mnuManual", QStringLiteral("&Manual\tF1"), [this] { OpenManual(); });
  AddAction(help, "mnuAbout", QStringLiteral("&About Tracelux-One"), [this] { ShowAbout(); });
  for (const char* n : {"mnuExport", "mnuRedo", "mnuReanalyze"}) Menu(QLatin1String(n))->setEnabled(false);
  SetMenus(true);
}

// While a run is armed or running the run panel is in charge and the menus are off. A command
// reached another way (its key) is refused then, unless it leaves the run panel, which asks the
// stop question first, closes the window, which asks it too, or only shows help. While a run's
// end flashes its finish box (a second or two), only closing and help are taken: the window goes
// home when the flashing ends.
bool MainWindow::CommandAllowed(const QString& name) const {
  static const QStringList kWhileEnding = {QStringLiteral("mnuExit"), QStringLiteral("mnuManual"),
                                           QStringLiteral("mnuAbout")};
  if (program_->run.State().Ending()) return kWhileEnding.contains(name);
  static const QStringList kWhileRunBusy = {
      QStringLiteral("mnuSetupExpt"), QStringLiteral("mnuSetupMap"), QStringLiteral("mnuReset"),
      QStringLiteral("mnuSetupSystem"), QStringLiteral("mnuMonitor"), QStringLiteral("mnuRunExpt"),
      QStringLiteral("mnuExit"), QStringLiteral("mnuManual"), QStringLiteral("mnuAbout")};
  return !program_->run.IsRunBusy() || kWhileRunBusy.contains(name);
}

QAction* MainWindow::Menu(const QString& name) const {
  auto it = actions_.find(name);
  return it == actions_.end() ? nullptr : it->second;
}

void MainWindow::SetCommand(const QString& actionName, std::function<void()> command) {
  commands_[actionName] = std::move(command);
}

void MainWindow::SetFileCommands(int mode, std::function<void()> load, std::function<void()> save) {
  fileCommands_[mode] = {std::move(load), std::move(save)};
}

void MainWindow::RegisterPanel(int mode, QWidget* page, std::function<bool(int)> leave) {
  stack_->addWidget(Scrolled(page, stack_));
  pages_[mode] = page;
  leaves_[mode] = std::move(leave);
}

// --- Menus and title -----------------------------------------------------------------------------

void MainWindow::SetMenus(bool enabled) {
  static const char* const kAll[] = {
      "mnuEdit", "mnuCalculate", "mnuSetup", "mnuTools", "mnuRun", "mnuFileOpen", "mnuLoad",
      "mnuSave", "mnuPrint", "mnuUndo", "mnuRedo", "mnuProcessData", "mnuCalcArea", "mnuSetupExpt",
      "mnuSetupMap", "mnuSetupSystem", "mnuColors", "mnuSetupCom", "mnuReset", "mnuMonitor",
      "mnuRunExpt"};
  for (const char* n : kAll) Menu(QLatin1String(n))->setVisible(false);
  SetTitleSuffix({});
  for (const char* n : kAll) {
    const QString name = QLatin1String(n);
    if (name != QLatin1String("mnuPrint") && name != QLatin1String("mnuProcessData"))
      Menu(name)->setVisible(true);
  }
  // An armed run keeps the menus of a running one until it ends.
  const bool on = enabled && !program_->run.IsRunBusy();
  for (QMenu* m : topMenus_) m->menuAction()->setEnabled(on);
  Menu(QStringLiteral("mnuHelp"))->setEnabled(on);
  // Start does nothing while a run is armed or running; it looks so.
  if (QPushButton* start = run_->StartButton()) start->setEnabled(on);
  if (!on) runRecorded_ = false;
}

void MainWindow::Say(const QString& text) { statusBar()->showMessage(text, kStatusMs); }

QString MainWindow::StatusText() const { return statusBar()->currentMessage(); }

void MainWindow::SetTitleSuffix(const QString& suffix) {
  QString title = QStringLiteral("%1 %2").arg(QLatin1String(kProductName), QLatin1String(kVersionText));
  if (!suffix.isEmpty()) title += QStringLiteral(" : ") + suffix;
  setWindowTitle(title);
}

// --- Modes ---------------------------------------------------------------------------------------

void MainWindow::ShowPage(QWidget* page) {
  // Every page but the blank one sits in its scroll area.
  QWidget* holder = page;
  if (auto* area = qobject_cast<QScrollArea*>(page->parentWidget() ? page->parentWidget()->parentWidget() : nullptr))
    holder = area;
  stack_->setCurrentWidget(holder);
}

bool MainWindow::LeaveMode(int target, bool forced) {
  Program& p = *program_;
  setupMenu_->menuAction()->setText(QStringLiteral("Set&up"));
  switch (mode_) {
    case kModeExpt: {
      // A forced leave (the run is starting) keeps the record the run was checked with; the
      // panel was read before the checks, or filled from the record when a file was chosen.
      if (!forced) {
        const bool ok = ParametersFromScreen(p.parameters, *experiment_, *answers_,
                                             p.settings.VideoType);
        if (target == kModeRun && !ok) return false;
        if (!KeepSetupChanges()) return false;
      }
      // What the user set up survives a crash or a power cut, not only a clean exit.
      SaveDefaultSetup();
      break;
    }
    case kModeSystem:
      system_->StoreControls();
      if (!systemChecked_ && !video_->LeavePanel() && !forced) return false;
      systemChecked_ = false;
      // The live view ends only once the panel may be left: a Cancel keeps it on.
      if (liveVideo_) CloseLiveVideo();
      break;
    case kModeMonitor:
      p.settings.DrawTrace = monitor_->TraceBox()->isChecked();
      p.commands.StopStream();
      break;
    case kModeRun:
      // An armed or running experiment keeps the run panel: leaving asks the stop question
      // (without waiting for it); a confirmed stop ends the run and goes home.
      if (!forced && p.run.IsRunBusy()) {
        p.run.StopButton();
        if (p.run.IsRunBusy()) return false;
      }
      p.settings.DrawTrace = run_->TraceBox()->isChecked();
      p.commands.ClearOverlay();
      p.commands.EndOverlay();
      break;
    default: {
      auto it = leaves_.find(mode_);
      if (it != leaves_.end() && it->second && !it->second(target) && !forced) return false;
    }
  }
  if (measuring_) measuring_->close();
  if (target != kModeRun) p.display.SetPanel(DisplayPanel::Other);
  ShowPage(blank_);
  for (const char* n : {"mnuLoad", "mnuSave", "mnuPrint", "mnuExport", "mnuUndo", "mnuRedo", "mnuReanalyze"})
    Menu(QLatin1String(n))->setEnabled(false);
  SetTitleSuffix({});
  mode_ = kModeNone;
  return true;
}

bool MainWindow::EnterMode(int mode, const std::function<void()>& enter) {
  auto it = pages_.find(mode);
  if (it == pages_.end() || !LeaveMode(mode)) return false;
  mode_ = mode;
  ShowPage(it->second);
  if (enter) enter();
  return true;
}

void MainWindow::EnterHome() {
  if (!LeaveMode()) return;
  mode_ = kModeHome;
  RefreshHome();
  ShowPage(homePanel_);
}

// A setup loaded from (or saved to) a file of its own and changed since: the user is asked
// whether that file takes the changes. The changes stay in the default setup whatever the answer;
// Cancel keeps the panel.
bool MainWindow::KeepSetupChanges() {
  if (setupFile_.empty() || SetupFileText(program_->parameters) == setupText_) return true;
  const std::string name = FileNamePart(setupFile_);
  MessageRequest question{"Save Setup Changes",
                          "The experiment setup has changed since\r\n" + name +
                              " was loaded or saved.\r\n\r\nSave the changes to " + name + "?",
                          MsgIcon::Question, MsgButtons::YesNoCancel};
  switch (answers_->ShowMessage(question)) {
    case MsgAnswer::Yes:
      if (!WriteSetupFile(setupFile_, program_->parameters)) {
        Say(QStringLiteral("The setup could not be saved to %1").arg(Q(setupFile_)));
        return false;
      }
      Say(QStringLiteral("Setup saved to %1").arg(Q(setupFile_)));
      break;
    case MsgAnswer::No: break;
    default: return false;
  }
  setupText_ = SetupFileText(program_->parameters);
  return true;
}

void MainWindow::RememberSetupFile(const std::string& path) {
  setupFile_ = path;
  // The setup as the panel gives it back, so that only the user's own changes count later.
  ExperimentParameters shown = program_->parameters;
  ScriptedAnswers quiet;
  ParametersFromScreen(shown, *experiment_, quiet, program_->settings.VideoType);
  setupText_ = SetupFileText(shown);
  Say(QStringLiteral("Setup file %1").arg(Q(path)));
}

void MainWindow::SaveDefaultSetup() {
  const std::string path = DefaultSetupPath(program_->home);
  if (WriteSetupFile(path, program_->parameters)) return;
  Say(QStringLiteral("The experiment setup could not be saved to %1").arg(Q(path)));
}

void MainWindow::EnterExperimentSetup() {
  if (!LeaveMode()) return;
  Program& p = *program_;
  mode_ = kModeExpt;
  experiment_->HomeButton()->setText(QStringLiteral("Ho&me"));
  experiment_->SetDelayStyle(p.settings.DelayType == 1);
  experiment_->FillSampleRates(p.settings.VideoType);
  experiment_->SetDataDirectory(p.settings.DataDir);
  Menu(QStringLiteral("mnuLoad"))->setEnabled(true);
  Menu(QStringLiteral("mnuSave"))->setEnabled(true);
  ParametersToScreen(p.parameters, *experiment_);
  ShowPage(experiment_);
}

void MainWindow::EnterSystemSetup() {
  if (!LeaveMode()) return;
  mode_ = kModeSystem;
  systemChecked_ = false;
  system_->HomeButton()->setText(QStringLiteral("Ho&me"));
  system_->Enter();
  system_->ShowPanelFrame(true);
  ShowPage(system_);
}

void MainWindow::EnterMonitor() {
  if (!LeaveMode()) return;
  Program& p = *program_;
  mode_ = kModeMonitor;
  monitor_->TraceBox()->setChecked(p.settings.DrawTrace);
  p.display.SetDrawTrace(p.settings.DrawTrace);
  p.display.SetPanel(DisplayPanel::Monitor);
  ShowPage(monitor_);
  monitor_->Picture()->ApplyLayout();
  p.display.BeginSession();
  // Watching records nothing and says nothing: without an awake unit the picture stays empty
  // (the unit check before entering has told the user already).
  p.decoder.State().LastSample.Y = kNoObjectY;
  p.decoder.StartStreamIfAwake();
}

// The core enters the run panel once its checks have passed.
void MainWindow::EnterRun() {
  Program& p = *program_;
  // The refusable checks were made before the run was asked for (or the run starts by itself
  // at its time of day): leaving the current panel cannot be refused now.
  if (mode_ != kModeRun) LeaveMode(kModeRun, true);
  mode_ = kModeRun;
  p.display.SetPanel(DisplayPanel::Run);
  run_->TraceBox()->setChecked(p.settings.DrawTrace);
  p.display.SetDrawTrace(p.settings.DrawTrace);
  ShowPage(run_);
  run_->Picture()->ApplyLayout();
  run_->Picture()->Redraw();
  run_->setFocus();
}

// --- Commands ------------------------------------------------------------------------------------

void MainWindow::RunExperimentCommand() {
  Program& p = *program_;
  if (mode_ == kModeRun) return;
  // The checks that may keep the user on the current panel come first.
  if (mode_ == kModeExpt &&
      !ParametersFromScreen(p.parameters, *experiment_, *answers_, p.settings.VideoType))
    return;
  if (mode_ == kModeSystem) {
    system_->StoreControls();
    if (!video_->LeavePanel()) return;
    systemChecked_ = true;
  }
  if (!p.run.RunMenu()) systemChecked_ = false;
}

void MainWindow::ResetCommand() {
  EnterHome();
  if (mode_ != kModeHome) return;  // a run that goes on keeps its unit
  RefreshWindow();
  program_->commands.ResetAndInitialize(program_->settings.ComPort);
  RefreshHome();
}

void MainWindow::MonitorCommand() {
  Program& p = *program_;
  if (mode_ == kModeRun && !LeaveMode()) return;  // a run that goes on keeps its unit
  if (!p.commands.State().UnitResponding) p.commands.ResetAndInitialize(p.settings.ComPort);
  EnterMonitor();
  busy_.HideProgress();
}

void MainWindow::PickComCommand() {
  RelistPorts();
  PickComDialog dialog(services_.ports, program_->settings, program_->link, this);
  dialog.exec();
}

void MainWindow::ColorsCommand() {
  ColorsWindow window(program_->colours, [this] { BackgroundRedrawn(); }, this, coloursToGrid_);
  window.exec();
}

void MainWindow::CalcAreaCommand() {
  Program& p = *program_;
  AreaCalculator calculator(p.commands, p.parameters, *answers_);
  CalcAreaWindow window(calculator, this);
  calculator.Open();
  window.Refresh();
  window.exec();
  calculator.Close(mode_ == kModeMonitor, p.decoder);
}

void MainWindow::StartMeasuring(int mode) {
  Program& p = *program_;
  DistanceMeasuring measuring(p.commands, p.parameters);
  if (!measuring.Prepare(p.settings.ComPort)) return;
  ParametersFromScreen(p.parameters, *experiment_, *answers_, p.settings.VideoType);
  if (!measuring.Begin(mode)) return;
  MeasuringScreen screen(measuring, p.parameters);
  if (dynamic_cast<const SimulatedPort*>(&services_.serial)) screen.ShowMapAsPicture(p.currentMap, p.colours);
  measuring_ = &screen;
  screen.Run();
  measuring_ = nullptr;
  const ScreenBox boxes[4] = {ScreenBox::MaxDist, ScreenBox::AmbulThresh, ScreenBox::StereoThresh,
                              ScreenBox::CalibScale};
  if (mode >= 1 && mode <= 4) experiment_->SetBoxValue(boxes[mode - 1], measuring.StoredValue());
}

void MainWindow::FileLoad() {
  if (mode_ == kModeExpt) {
    std::string chosen;
    if (LoadSetupCommand(program_->parameters, *experiment_, *answers_, program_->settings.VideoType,
                         setupFolder_, &chosen))
      RememberSetupFile(chosen);
    return;
  }
  auto it = fileCommands_.find(mode_);
  if (it != fileCommands_.end() && it->second.first) it->second.first();
}

void MainWindow::FileSave() {
  if (mode_ == kModeExpt) {
    std::string chosen;
    if (SaveSetupCommand(program_->parameters, *experiment_, *answers_, program_->settings.VideoType,
                         setupFolder_, &chosen))
      RememberSetupFile(chosen);
    return;
  }
  auto it = fileCommands_.find(mode_);
  if (it != fileCommands_.end() && it->second.second) it->second.second();
}

void MainWindow::OpenLiveVideo() {
  if (liveVideo_) return;
  liveVideo_ = new LiveVideoWindow(this);
  liveVideo_->setAttribute(Qt::WA_DeleteOnClose);
  connect(liveVideo_, &LiveVideoWindow::Closed, this, [this] {
    // Leaving the panel has already switched the live video off on the unit.
    if (program_->commands.State().LiveVideoOn) video_->CloseLiveVideo(mode_ == kModeSystem);
    else if (mode_ == kModeSystem) system_->ShowPanelFrame(true);
  });
  liveVideo_->show();
}

void MainWindow::CloseLiveVideo() {
  if (liveVideo_) liveVideo_->reject();
}

void MainWindow::ShowBuild() {
  answers_->ShowMessage({"Build", std::string(kProductName) + " " + VersionWithBuild(), MsgIcon::Information,
                         MsgButtons::Ok});
}

void MainWindow::ShowAbout() { answers_->ShowMessage(AboutMessage()); }

// Opening the manual can fail (the file removed, no program to show it): the user is told so,
// with the file's name, so it can be opened by hand.
void MainWindow::OpenManual() {
  const std::string& path = services_.manualPath;
  if (!QFileInfo(QString::fromStdString(path)).isFile()) {
    answers_->ShowMessage({"Manual Not Found",
                           "The manual is not installed: " + path +
                               " does not exist.\n\nInstalling the program's package again puts it back.",
                           MsgIcon::Exclamation, MsgButtons::Ok});
    return;
  }
  if (!QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path)))) {
    answers_->ShowMessage({"Cannot Open Manual",
                           "No program could show the manual " + path +
                               ".\n\nOpen that file in a web browser.",
                           MsgIcon::Exclamation, MsgButtons::Ok});
  }
}

// --- What the core asks of the window --------------------------------------------------------------

void MainWindow::ShowStopWindow(StopWindowForm form, const MessageRequest& content) {
  // A run that has written every file of its recording ends with a way to its results.
  const RunFilesOutcome& files = program_->run.LastRunFiles();
  const bool results = form == StopWindowForm::Status && runRecorded_ && files.Complete();
  stopWindow_->OfferResults(results);
  if (results) {
    Say(QStringLiteral("Recording written to %1").arg(Q(files.DataPath)));
    if (recordingAdded_) recordingAdded_(Q(files.DataPath));
  }
  stopWindow_->ShowForm(form, content);
}

void MainWindow::HideStopWindow() { stopWindow_->HideWindow(); }

// With nobody to answer, the core takes the first button through the answers instead.
bool MainWindow::AwaitStopWindowAnswer() {
  if (answers_->Unattended()) return false;
  stopWindow_->AwaitAnswer();
  return true;
}

void MainWindow::ShowSetupFrame() {
  if (mode_ != kModeExpt) EnterExperimentSetup();
}

void MainWindow::CloseDue() {
  QTimer::singleShot(0, this, [this] { close(); });
}

void MainWindow::RefreshWindow() {
  if (mode_ == kModeHome) RefreshHome();
  update();
}

LivePanel* MainWindow::LiveShown() const {
  switch (program_->display.Panel()) {
    case DisplayPanel::Run: return run_;
    case DisplayPanel::Monitor: return monitor_;
    default: return nullptr;
  }
}

void MainWindow::LabelsChanged(const RunLabels& labels) {
  const RunState& state = program_->run.State();
  if (state.Running() && program_->parameters.SaveData) runRecorded_ = true;
  run_->ShowLabels(labels);
  const RunTimes times = RunTimesOf(state, program_->parameters);
  run_->ShowProgress(times.elapsed, times.total, state.Running() || state.Armed());
}

void MainWindow::MarkerMoved(bool visible, double left, double top) {
  if (LivePanel* panel = LiveShown()) panel->Picture()->MoveMarker(visible, left, top);
}

void MainWindow::TraceTo(const TracePoint& point) {
  if (LivePanel* panel = LiveShown()) panel->Picture()->AddTracePoint(point);
}

void MainWindow::BackgroundRedrawn() {
  run_->Picture()->Redraw();
  monitor_->Picture()->Redraw();
}

void MainWindow::ReadyTextShown(bool shown) { run_->ShowReadyText(shown); }

// --- Start-up, shutdown, events --------------------------------------------------------------------

void MainWindow::StartUp() {
  if (startedUp_) return;
  startedUp_ = true;
  // The core's start-up: a unit given on the command line (a device or the simulated one) is
  // used when the settings name no port.
  StartUpOptions options;
  options.defaultComPort = services_.defaultComPort;
  program_->StartUp(options);
  setupFolder_ = program_->settings.ConfigDir;
  experiment_->SetDataDirectory(program_->settings.DataDir);
  ParametersToScreen(program_->parameters, *experiment_);
  RefreshHome();  // the unit is up (or not) by now
}

void MainWindow::Shutdown() {
  if (shutDown_) return;
  shutDown_ = true;
  if (!displayGone_) SaveWindowPlace(*this, services_.home);
  if (mode_ == kModeExpt) {
    // Values typed on the panel are kept as they would be when leaving it.
    ParametersFromScreen(program_->parameters, *experiment_, *answers_, program_->settings.VideoType);
  }
  program_->Shutdown(true);
  if (liveVideo_ && !displayGone_) liveVideo_->close();
}

void MainWindow::SetUnattended(bool on) { answers_->SetUnattended(on); }

void MainWindow::ShutdownUnattended() {
  // Ended by a signal: a logout may take the display away while the files are written, and the
  // windowing system would then end the process from inside its event processing, so no window
  // events run from here on.
  services_.clock.EndEventPumping();
  SetUnattended(true);
  Shutdown();
}

void MainWindow::ShutdownWithoutDisplay() {
  displayGone_ = true;
  services_.clock.EndEventPumping();
  SetUnattended(true);
  viewGate_.Close();
  program_->display.SetView(nullptr);
  Shutdown();
}

void MainWindow::closeEvent(QCloseEvent* event) {
  // The zone editor is left first: its map is kept as the current one, and with unsaved changes
  // the user is asked and may stay.
  if (!shutDown_ && mode_ == kModeZone && !LeaveMode()) {
    event->ignore();
    return;
  }
  if (!shutDown_ && !program_->CloseRequest()) {
    event->ignore();
    return;
  }
  // The window goes at once; the unit is put to rest and the files written behind it.
  hide();
  Shutdown();
  event->accept();
}

void MainWindow::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  if (QGuiApplication::mouseButtons() & Qt::LeftButton) {
    // Timer1 looks for the button's release; it runs only while a resize waits for it.
    resizePending_ = true;
    if (!resizeWatch_) resizeWatch_ = services_.clock.StartTimer(kResizeWatchMs, [this] { CheckResizeEnded(); });
  } else {
    LayOutForNewSize();
  }
}

void MainWindow::LayOutForNewSize() {
  resizePending_ = false;
  // A window manager that ignores the size hints may make the window smaller than its minimum:
  // it snaps back.
  if (width() < minimumWidth() || height() < minimumHeight())
    resize(std::max(width(), minimumWidth()), std::max(height(), minimumHeight()));
  if (LivePanel* panel = LiveShown()) panel->Picture()->ApplyLayout();
}

// The window never opens larger than the screen it is on (at 150% scale a 1366 by 768 screen
// is 910 by 512 of the window's own units), and its smallest size shrinks with the screen.
// The window manager's frame is known once the window is shown: the title bar is then brought
// onto the screen when the place (saved at another scale, or the first start's) left it off.
void MainWindow::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  QTimer::singleShot(kFrameSettleMs, this, [this] { KeepOnScreen(*this); });
}

void MainWindow::FitToScreen() {
  QScreen* shown = screen() ? screen() : QGuiApplication::primaryScreen();
  if (!shown) return;
  const QRect available = UsableArea(shown->availableGeometry(), shown->devicePixelRatio());
  const int roomWidth = std::max(1, available.width() - kFrameWidth);
  const int roomHeight = std::max(1, available.height() - kFrameHeight);
  setMinimumSize(std::min(kMinWidth, roomWidth), std::min(kMinHeight, roomHeight));
  if (width() > roomWidth || height() > roomHeight)
    resize(std::min(width(), roomWidth), std::min(height(), roomHeight));
  if (!available.contains(geometry().topLeft())) move(available.topLeft());
}

// --- Recordings, dropped files, the home page ----------------------------------------------------

void MainWindow::SetRecordings(std::function<QStringList()> list,
                               std::function<void(const QString&)> open,
                               std::function<void(const QString&)> remember) {
  recordings_ = std::move(list);
  openRecording_ = std::move(open);
  recordingAdded_ = std::move(remember);
  RefreshHome();
}

void MainWindow::OpenRecording(const QString& path) {
  if (openRecording_ && !path.isEmpty()) openRecording_(path);
}

bool MainWindow::OpenDroppedFile(const QString& path) {
  if (program_->run.IsRunBusy()) {
    Say(QStringLiteral("A run is under way: %1 was not opened").arg(path));
    return false;
  }
  switch (DetectFileKind(path.toStdString())) {
    case FileKind::Data:
      OpenRecording(path);
      return true;
    case FileKind::Map:
      if (!loadMap_) return false;
      answers_->ChooseNextFile(path.toStdString());
      loadMap_();
      answers_->ChooseNextFile({});
      return true;
    case FileKind::Setup:
      if (mode_ != kModeExpt) EnterExperimentSetup();
      if (mode_ != kModeExpt) return false;
      if (!LoadSetupFile(program_->parameters, *experiment_, program_->settings.VideoType,
                         path.toStdString())) {
        Say(QStringLiteral("%1 could not be read as an experiment setup").arg(path));
        return false;
      }
      setupFolder_ = DirectoryPart(path.toStdString());
      RememberSetupFile(path.toStdString());
      return true;
    case FileKind::Unknown: break;
  }
  Say(QStringLiteral("%1 is not a data, map or setup file").arg(path));
  return false;
}

void MainWindow::RefreshHome() {
  Program& p = *program_;
  HomeFacts facts;
  // Before the start-up has settled the port, the one it will use.
  const std::string port = UnitPortName(
      p.UnitBroughtUp() ? p.settings.ComPort
                        : StartUpComPort(p.settings.ComPort, services_.defaultComPort));
  const bool simulated = port.find("(simulated") != std::string::npos;
  if (!p.UnitBroughtUp()) facts.unit = QStringLiteral("Unit: starting on %1").arg(Q(port));
  else if (!p.commands.State().UnitResponding)
    facts.unit = QStringLiteral("Unit: not responding on %1 (Tools > Reset tries again; Setup > Com Port chooses another port)").arg(Q(port));
  else if (simulated) facts.unit = QStringLiteral("Unit: simulated, ready on %1").arg(Q(port).replace(QStringLiteral(" (simulated unit)"), QString()));
  else facts.unit = QStringLiteral("Unit: connected on %1").arg(Q(port));
  facts.unitReady = p.UnitBroughtUp() && p.commands.State().UnitResponding;
  facts.experiment = QStringLiteral("Experiment: ") + Q(ExperimentSummary(p.parameters));
  if (recordings_) facts.recordings = recordings_();
  homePanel_->Show(facts);
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
  const QList<QUrl> urls = event->mimeData()->urls();
  if (urls.size() == 1 && urls.front().isLocalFile()) event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
  const QList<QUrl> urls = event->mimeData()->urls();
  if (urls.size() != 1 || !urls.front().isLocalFile()) return;
  event->acceptProposedAction();
  const QString path = urls.front().toLocalFile();
  // Opened once the drop has finished, so no question stands inside the drag.
  QTimer::singleShot(0, this, [this, path] { OpenDroppedFile(path); });
}

void MainWindow::CheckResizeEnded() {
  if (QGuiApplication::mouseButtons() & Qt::LeftButton) return;
  if (resizePending_) LayOutForNewSize();
  services_.clock.StopTimer(resizeWatch_);
  resizeWatch_ = 0;
}

// A key that a text box keeps for itself even when a menu command has it too: the editing keys.
static bool IsTextEditingKey(const QKeyEvent& key) {
  for (const QKeySequence::StandardKey k :
       {QKeySequence::Copy, QKeySequence::Cut, QKeySequence::Paste, QKeySequence::Undo, QKeySequence::Redo,
        QKeySequence::SelectAll, QKeySequence::Delete, QKeySequence::DeleteStartOfWord,
        QKeySequence::DeleteEndOfWord, QKeySequence::MoveToPreviousWord, QKeySequence::MoveToNextWord,
        QKeySequence::SelectPreviousWord, QKeySequence::SelectNextWord}) {
    if (key.matches(k)) return true;
  }
  return false;
}

bool MainWindow::HasMenuShortcut(const QKeyEvent& key) const {
  const QKeySequence pressed(key.keyCombination());
  const QList<QAction*> actions = findChildren<QAction*>();
  return std::any_of(actions.begin(), actions.end(), [&](const QAction* a) {
    return a->isEnabled() && a->shortcut() == pressed;
  });
}

// The window sees keys before its controls: Alt+F10, F1, Enter on buttons, the menus' keys in
// text boxes, and the space bar on the run panel.
bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (type != QEvent::KeyPress && type != QEvent::ShortcutOverride) return QMainWindow::eventFilter(watched, event);
  auto* w = qobject_cast<QWidget*>(watched);
  if (!w || w->window() != this) return QMainWindow::eventFilter(watched, event);
  auto* key = static_cast<QKeyEvent*>(event);
  // The menu commands' keys (Ctrl+E) work from a focused box too; a box would otherwise take
  // them for its own line editing.
  if (type == QEvent::ShortcutOverride) {
    const bool command = (key->modifiers() & Qt::ControlModifier) && !IsTextEditingKey(*key);
    if (command && qobject_cast<QLineEdit*>(w) && HasMenuShortcut(*key)) return true;
    return QMainWindow::eventFilter(watched, event);
  }
  // Enter on a focused button presses it, as Space does.
  if (auto* button = qobject_cast<QPushButton*>(w);
      button && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
      (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
    if (button->isEnabled()) button->click();
    return true;
  }
  if (key->key() == Qt::Key_F10 && key->modifiers() == Qt::AltModifier) {
    ShowBuild();
    return true;
  }
  if (mode_ == kModeSystem && liveVideo_) {
    CloseLiveVideo();  // any key ends the live view
    return true;
  }
  if (key->key() == Qt::Key_F1) {
    OpenManual();
    return true;
  }
  if (mode_ == kModeRun && key->key() == Qt::Key_Space && key->modifiers() == Qt::NoModifier &&
      !key->isAutoRepeat()) {
    program_->run.StartButton();
    return true;
  }
  return QMainWindow::eventFilter(watched, event);
}

}  // namespace tlx::gui
