#include "app/MainWindow.h"

#include "app/dialogs/BatchAnalyzeDialog.h"
#include "app/WindowPlace.h"
#include "app/dialogs/AboutBox.h"
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
#include "device/AreaCalculator.h"
#include "device/DistanceMeasuring.h"
#include "setup/ParameterScreen.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenuBar>
#include <QStackedWidget>
#include <QUrl>

#include <algorithm>

namespace tlx::gui {
namespace {

// The window's smallest size: 10500 by 7500 twips at 15 twips a pixel.
constexpr int kMinWidth = 700;
constexpr int kMinHeight = 500;
constexpr int kTimer1Ms = 55;

}  // namespace

// The core's questions go to message boxes, except the stop question and the finish message,
// which the stop window asks while it is shown.
class MainWindow::Answerer : public UserAnswers {
 public:
  Answerer(MainWindow& window, BusyWindows& busy) : window_(window), qt_(&window, &busy) {}
  MsgAnswer ShowMessage(const MessageRequest& request) override {
    // With nobody to ask (the session is ending), every question takes its first button.
    if (unattended_) return FirstButton(request.buttons);
    StopExperimentWindow* stop = window_.stopWindow_;
    if (stop && stop->Shows(request)) return stop->WaitForAnswer();
    return qt_.ShowMessage(request);
  }
  std::string ChooseFile(const FileDialogRequest& request) override {
    return unattended_ ? std::string() : qt_.ChooseFile(request);
  }
  void SetUnattended(bool on) { unattended_ = on; }
  bool Unattended() const { return unattended_; }
  void ShowStatus(const std::string& text, int percent) override { qt_.ShowStatus(text, percent); }

 private:
  MainWindow& window_;
  QtUserAnswers qt_;
  bool unattended_ = false;
};

MainWindow::MainWindow(AppServices services, QWidget* parent)
    : QMainWindow(parent), services_(std::move(services)), busy_(services_.clock) {
  setObjectName(QStringLiteral("frmMain"));
  answers_ = std::make_unique<Answerer>(*this, busy_);
  program_ = std::make_unique<Program>(services_.home, services_.clock, *answers_,
                                       services_.serial, this);
  video_ = std::make_unique<VideoSettings>(program_->commands, program_->settings,
                                           program_->parameters, *answers_);
  BuildPanels();
  BuildMenus();
  program_->display.SetView(this);
  program_->run.SetPortName([this] { return UnitPortName(program_->settings.ComPort); });
  setMinimumSize(kMinWidth, kMinHeight);
  resize(960, 680);
  RestoreWindowPlace(*this, services_.home);
  SetTitleSuffix({});
  qApp->installEventFilter(this);
  timer1_ = services_.clock.StartTimer(kTimer1Ms, [this] { OnTimer1(); });
}

MainWindow::~MainWindow() {
  qApp->removeEventFilter(this);
  services_.clock.StopTimer(timer1_);
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
  for (auto& [mode, page] : pages_) stack_->addWidget(page);

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
    actions_[QLatin1String(name)] = m->menuAction();
    topMenus_.push_back(m);
    return m;
  };
  QMenu* file = top("mnuFile", QStringLiteral("&File"));
  AddAction(file, "mnuFileOpen", QStringLiteral("&Open ..."), {});
  AddAction(file, "mnuLoad", QStringLiteral("&Load ..."), [this] { FileLoad(); });
  AddAction(file, "mnuSave", QStringLiteral("&Save ..."), [this] { FileSave(); });
  AddAction(file, "mnuExport", QStringLiteral("E&xport"), {});
  AddAction(file, "mnuBatchAnalyze", QStringLiteral("&Batch Analyze..."), [this] {
    BatchAnalyzeDialog(program_->settings.DataDir, this).exec();
  });
  AddAction(file, "mnuPrint", QStringLiteral("&Print"), {});
  file->addSeparator();
  AddAction(file, "mnuExit", QStringLiteral("E&xit"), [this] { close(); });
  QMenu* edit = top("mnuEdit", QStringLiteral("&Edit"));
  AddAction(edit, "mnuUndo", QStringLiteral("&Undo"), {});
  QMenu* calc = top("mnuCalculate", QStringLiteral("&Calculate"));
  AddAction(calc, "mnuProcessData", QStringLiteral("&Process Data"), {});
  AddAction(calc, "mnuCalcArea", QStringLiteral("&Area"), [this] { CalcAreaCommand(); });
  setupMenu_ = top("mnuSetup", QStringLiteral("Set&up"));
  AddAction(setupMenu_, "mnuSetupExpt", QStringLiteral("&Experiment"),
            [this] { EnterExperimentSetup(); });
  AddAction(setupMenu_, "mnuSetupMap", QStringLiteral("&Map"), {});
  AddAction(setupMenu_, "mnuSetupSystem", QStringLiteral("S&ystem"), [this] { EnterSystemSetup(); });
  AddAction(setupMenu_, "mnuSetupCom", QStringLiteral("Com &Port"), [this] { PickComCommand(); });
  AddAction(setupMenu_, "mnuColors", QStringLiteral("&Colors"), [this] { ColorsCommand(); });
  QMenu* tools = top("mnuTools", QStringLiteral("&Tools"));
  AddAction(tools, "mnuReset", QStringLiteral("&Reset"), [this] { ResetCommand(); });
  AddAction(tools, "mnuMonitor", QStringLiteral("&Monitor"), [this] { MonitorCommand(); });
  QMenu* run = top("mnuRun", QStringLiteral("&Run"));
  AddAction(run, "mnuRunExpt", QStringLiteral("Run &Experiment"), [this] { RunExperimentCommand(); });
  QMenu* help = top("mnuHelp", QStringLiteral("&Help"));
  AddAction(help, "mnuManual", QStringLiteral("&Manual\tF1"), [this] { OpenManual(); });
  AddAction(help, "mnuAbout", QStringLiteral("&About Tracelux-One"), [this] { ShowAbout(); });
  Menu(QStringLiteral("mnuExport"))->setEnabled(false);
  SetMenus(true);
}

// While a run is armed or running the run panel is in charge and the menus are off. A command
// reached another way (its key) is refused then, unless it leaves the run panel, which asks the
// stop question first, closes the window, which asks it too, or only shows help.
bool MainWindow::CommandAllowed(const QString& name) const {
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
  page->setParent(stack_);
  stack_->addWidget(page);
  pages_[mode] = page;
  leaves_[mode] = std::move(leave);
}

// --- Menus and title -----------------------------------------------------------------------------

void MainWindow::SetMenus(bool enabled) {
  static const char* const kAll[] = {
      "mnuEdit", "mnuCalculate", "mnuSetup", "mnuTools", "mnuRun", "mnuFileOpen", "mnuLoad",
      "mnuSave", "mnuPrint", "mnuUndo", "mnuProcessData", "mnuCalcArea", "mnuSetupExpt",
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
}

void MainWindow::SetTitleSuffix(const QString& suffix) {
  QString title = QStringLiteral("%1 %2").arg(QLatin1String(kProductName), QLatin1String(kVersionText));
  if (!suffix.isEmpty()) title += QStringLiteral(" : ") + suffix;
  setWindowTitle(title);
}

// --- Modes ---------------------------------------------------------------------------------------

void MainWindow::ShowPage(QWidget* page) { stack_->setCurrentWidget(page); }

bool MainWindow::LeaveMode(int target, bool forced) {
  Program& p = *program_;
  setupMenu_->menuAction()->setText(QStringLiteral("Set&up"));
  switch (mode_) {
    case kModeExpt: {
      // A forced leave (the run is starting) keeps the record the run was checked with; the
      // panel was read before the checks, or filled from the record when a file was chosen.
      if (forced) break;
      const bool ok = ParametersFromScreen(p.parameters, *experiment_, *answers_,
                                           p.settings.VideoType);
      if (target == kModeRun && !ok) return false;
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
      // An armed or running experiment keeps the run panel: leaving asks the stop question,
      // and declining it keeps the panel and the run.
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
  for (const char* n : {"mnuLoad", "mnuSave", "mnuPrint", "mnuExport", "mnuUndo"})
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
  ShowPage(homePanel_);
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
  measuring_ = &screen;
  screen.Run();
  measuring_ = nullptr;
  const ScreenBox boxes[4] = {ScreenBox::MaxDist, ScreenBox::AmbulThresh, ScreenBox::StereoThresh,
                              ScreenBox::CalibScale};
  if (mode >= 1 && mode <= 4) experiment_->SetBoxValue(boxes[mode - 1], measuring.StoredValue());
}

void MainWindow::FileLoad() {
  if (mode_ == kModeExpt) {
    LoadSetupCommand(program_->parameters, *experiment_, *answers_, program_->settings.VideoType,
                     setupFolder_);
    return;
  }
  auto it = fileCommands_.find(mode_);
  if (it != fileCommands_.end() && it->second.first) it->second.first();
}

void MainWindow::FileSave() {
  if (mode_ == kModeExpt) {
    SaveSetupCommand(program_->parameters, *experiment_, *answers_, program_->settings.VideoType,
                     setupFolder_);
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

void MainWindow::ShowBuildDate() {
  answers_->ShowMessage({"Build Date", "Last Build : Thursday, February 16, 2011",
                         MsgIcon::Information, MsgButtons::Ok});
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
  stopWindow_->ShowForm(form, content);
}

void MainWindow::HideStopWindow() { stopWindow_->HideWindow(); }

void MainWindow::ShowSetupFrame() {
  if (mode_ != kModeExpt) EnterExperimentSetup();
}

void MainWindow::RefreshWindow() { update(); }

LivePanel* MainWindow::LiveShown() const {
  switch (program_->display.Panel()) {
    case DisplayPanel::Run: return run_;
    case DisplayPanel::Monitor: return monitor_;
    default: return nullptr;
  }
}

void MainWindow::LabelsChanged(const RunLabels& labels) { run_->ShowLabels(labels); }

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
  // The core's start-up, with the port fixed in between: a unit given on the command line (a
  // device or the simulated one) is used even when the settings name no port yet.
  Program& p = *program_;
  p.LoadFiles();
  EnterHome();
  p.OfferRecovery();
  if (services_.defaultComPort > 0 && (p.settings.ComPort < 1 || p.settings.ComPort > 8))
    p.settings.ComPort = static_cast<std::int16_t>(services_.defaultComPort);
  p.BringUpUnit();
  p.AskTimeOfDayStart();
  setupFolder_ = program_->settings.ConfigDir;
  experiment_->SetDataDirectory(program_->settings.DataDir);
  ParametersToScreen(program_->parameters, *experiment_);
}

void MainWindow::Shutdown() {
  if (shutDown_) return;
  shutDown_ = true;
  SaveWindowPlace(*this, services_.home);
  if (mode_ == kModeExpt) {
    // Values typed on the panel are kept as they would be when leaving it.
    ParametersFromScreen(program_->parameters, *experiment_, *answers_, program_->settings.VideoType);
  }
  program_->Shutdown(true);
  if (liveVideo_) liveVideo_->close();
}

void MainWindow::SetUnattended(bool on) { answers_->SetUnattended(on); }

void MainWindow::ShutdownUnattended() {
  SetUnattended(true);
  stopWindow_->done(static_cast<int>(MsgAnswer::Cancel));
  Shutdown();
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (!shutDown_ && !program_->CloseRequest()) {
    event->ignore();
    return;
  }
  Shutdown();
  event->accept();
}

void MainWindow::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  if (QGuiApplication::mouseButtons() & Qt::LeftButton) resizePending_ = true;
  else DoAllResizeWindowStuff();
}

void MainWindow::DoAllResizeWindowStuff() {
  resizePending_ = false;
  // A window manager that ignores the size hints may make the window smaller than its minimum:
  // it snaps back.
  if (width() < kMinWidth || height() < kMinHeight)
    resize(std::max(width(), kMinWidth), std::max(height(), kMinHeight));
  if (LivePanel* panel = LiveShown()) panel->Picture()->ApplyLayout();
}

void MainWindow::OnTimer1() {
  if (resizePending_ && !(QGuiApplication::mouseButtons() & Qt::LeftButton))
    DoAllResizeWindowStuff();
}

// The window sees keys before its controls: Alt+F10, F1, and the space bar on the run panel.
bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return QMainWindow::eventFilter(watched, event);
  auto* w = qobject_cast<QWidget*>(watched);
  if (!w || w->window() != this) return QMainWindow::eventFilter(watched, event);
  auto* key = static_cast<QKeyEvent*>(event);
  if (key->key() == Qt::Key_F10 && key->modifiers() == Qt::AltModifier) {
    ShowBuildDate();
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
