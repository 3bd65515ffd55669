// The main window (frmMain): one page per mode in a stacked widget, the mode switch with its
// leaving checks, the menu bar, the title and the keyboard, over the one program object.
//
// Hook for panels built elsewhere (the zone map editor, mode 2, and the data panel, mode 10):
//   window.RegisterPanel(mode, page, leave)   adds the page to the host; `leave(target)` runs
//                                             that mode's leaving actions (false refuses);
//   window.EnterMode(mode, enter)             runs LeaveMode, shows the page, then `enter()`;
//   window.SetCommand("mnuSetupMap", fn)      binds a menu item (mnuFileOpen, mnuSetupMap,
//                                             mnuExport, mnuPrint, mnuUndo, mnuRedo) to a command;
//   window.SetFileCommands(mode, load, save)  what File > Load and Save do in that mode;
//   window.Menu("mnuPrint")                   any menu action by its name (enable, show);
//   window.GetProgram(), window.Answers(), window.SetTitleSuffix(text), window.Mode().
#pragma once

#include "app/QtUserAnswers.h"
#include "app/controls/BusyWindows.h"
#include "device/Ports.h"
#include "device/VideoSettings.h"
#include "run/Program.h"

#include <QMainWindow>
#include <QPointer>

#include <functional>
#include <map>
#include <memory>

class QAction;
class QDragEnterEvent;
class QKeyEvent;
class QDropEvent;
class QMenu;
class QStackedWidget;

namespace tlx::gui {

class ExperimentPanel;
class HomePanel;
class LivePanel;
class StopExperimentWindow;
class SystemPanel;
class LiveVideoWindow;
class MeasuringScreen;

// What the main window shows: its panels, each a mode of its own (nothing before the start-up).
enum Mode { kModeNone, kModeHome, kModeZone, kModeExpt, kModeSystem, kModeRun, kModeMonitor, kModeOpenData };

struct AppServices {
  std::string home;
  Clock& clock;
  SerialLink& serial;
  PortTable ports;
  // The manual opened by F1 and the Help menu.
  std::string manualPath;
  // The port used when the settings name none (the simulated unit, --port); 0: none.
  int defaultComPort = 0;
  // The device used whatever the port number (--port); empty: the port table decides.
  std::string forcedDevice;
};

class MainWindow : public QMainWindow, public MainView, public RunDisplayView {
  Q_OBJECT

 public:
  explicit MainWindow(AppServices services, QWidget* parent = nullptr);
  ~MainWindow() override;

  // The start-up sequence from the window's lists on (the window is shown by then).
  void StartUp();
  // The shutdown sequence; safe to call more than once.
  void Shutdown();
  // The shutdown with nobody to answer (a signal, the session ending): a run is stopped and its
  // files written, every question takes its first button.
  void ShutdownUnattended();
  // The display went away (a logout, the X server gone): the run ends and every file is written
  // without drawing, laying out or showing anything.
  void ShutdownWithoutDisplay();
  // Questions answered by their first button without showing them (also the screenshot tour).
  void SetUnattended(bool on);

  // --- Modes ---
  int Mode() const { return mode_; }
  // Runs the leaving actions of the current mode; false when a check refuses. A forced leave
  // (the run panel taking over) runs them but cannot be refused.
  bool LeaveMode(int target = kModeNone, bool forced = false);
  void EnterHome() override;
  void EnterExperimentSetup();
  void EnterSystemSetup();
  void EnterMonitor();
  bool EnterMode(int mode, const std::function<void()>& enter = {});
  void RegisterPanel(int mode, QWidget* page, std::function<bool(int target)> leave);
  void SetCommand(const QString& actionName, std::function<void()> command);
  void SetFileCommands(int mode, std::function<void()> load, std::function<void()> save);
  // What the colour window's OK does to the zone grid (take the table and redraw).
  void SetColoursToGrid(std::function<void()> apply) { coloursToGrid_ = std::move(apply); }

  // --- Menus and title ---
  QAction* Menu(const QString& name) const;
  void SetMenus(bool enabled) override;
  void SetTitleSuffix(const QString& suffix);
  // The panels laid out for the window's new size (once the mouse lets the frame go).
  void LayOutForNewSize();
  // One line in the status bar saying what just happened ("Export written to ...").
  void Say(const QString& text);
  QString StatusText() const;

  // --- Commands ---
  void RunExperimentCommand();
  void ResetCommand();
  void MonitorCommand();
  void PickComCommand();
  void ColorsCommand();
  void CalcAreaCommand();
  void StartMeasuring(int mode);
  // Alt+F10: the version and the commit the program was built from.
  void ShowBuild();
  void ShowAbout();
  void OpenManual();

  Program& GetProgram() { return *program_; }
  UserAnswers& Answers();
  BusyWindows& Busy() { return busy_; }
  ExperimentPanel* Experiment() const { return experiment_; }
  SystemPanel* System() const { return system_; }
  LivePanel* RunPage() const { return run_; }
  LivePanel* MonitorPage() const { return monitor_; }
  HomePanel* Home() const { return homePanel_; }
  StopExperimentWindow* StopWindow() const { return stopWindow_; }
  VideoSettings& Video() { return *video_; }
  const PortTable& Ports() const { return services_.ports; }
  // How the system's serial devices are listed again, so an adapter plugged in after start-up is
  // offered; unset, the port table stays as it was given.
  void SetDeviceLister(std::function<std::vector<std::string>()> list) {
    listDevices_ = std::move(list);
  }
  // New devices join the port table; every number already given out keeps its device.
  void RelistPorts();
  // The device a port number opens now, the devices listed again first.
  std::string DeviceForPort(int comPort);
  bool ShutdownDone() const { return shutDown_; }
  // "COM1 (/dev/ttyUSB0)": the port number with the device it stands for.
  std::string UnitPortName(int comPort) const;
  // The setup folder offered by the experiment panel's load and save.
  std::string& SetupFolder() { return setupFolder_; }
  // The recordings opened last (newest first) and how one is opened, for the home page and for
  // the run's end; set by the data panel's hookup.
  void SetRecordings(std::function<QStringList()> list, std::function<void(const QString&)> open,
                     std::function<void(const QString&)> remember);
  void OpenRecording(const QString& path);
  // Files dropped on the window: a data file opens on the data panel, a map file in the zone
  // editor (its own File > Load, which takes the dropped file instead of asking for one), a
  // setup file on the experiment panel. False: not one of those.
  bool OpenDroppedFile(const QString& path);
  void SetMapLoader(std::function<void()> loadMap) { loadMap_ = std::move(loadMap); }
  // The home page told again where the program stands (unit, experiment, recordings).
  void RefreshHome();

  // --- MainView (what the core asks of the window) ---
  void EnterRun() override;
  void ShowStopWindow(StopWindowForm form, const MessageRequest& content) override;
  void HideStopWindow() override;
  bool AwaitStopWindowAnswer() override;
  void ShowSetupFrame() override;
  void RefreshWindow() override;
  void CloseDue() override;

  // --- RunDisplayView ---
  void LabelsChanged(const RunLabels& labels) override;
  void MarkerMoved(bool visible, double left, double top) override;
  void TraceTo(const TracePoint& point) override;
  void BackgroundRedrawn() override;
  void ReadyTextShown(bool shown) override;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;
  // An enabled menu command has this key as its shortcut.
  bool HasMenuShortcut(const QKeyEvent& key) const;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  class Answerer;

  void BuildMenus();
  void BuildPanels();
  void ShowPage(QWidget* page);
  LivePanel* LiveShown() const;
  void FileLoad();
  void FileSave();
  // While a resize waits for the mouse button's release: lays out once it is released.
  void CheckResizeEnded();
  void OpenLiveVideo();
  void CloseLiveVideo();
  QAction* AddAction(QMenu* menu, const char* name, const QString& caption,
                     std::function<void()> command);
  bool CommandAllowed(const QString& name) const;
  void SaveDefaultSetup();
  bool KeepSetupChanges();
  void RememberSetupFile(const std::string& path);
  void FitToScreen();
  void OfferResults();

  AppServices services_;
  BusyWindows busy_;
  std::unique_ptr<Answerer> answers_;
  MainViewGate viewGate_{*this};  // the core's way to the window, closed when the display is gone
  std::unique_ptr<Program> program_;
  std::unique_ptr<VideoSettings> video_;
  QStackedWidget* stack_ = nullptr;
  HomePanel* homePanel_ = nullptr;
  ExperimentPanel* experiment_ = nullptr;
  SystemPanel* system_ = nullptr;
  LivePanel* run_ = nullptr;
  LivePanel* monitor_ = nullptr;
  StopExperimentWindow* stopWindow_ = nullptr;
  QPointer<LiveVideoWindow> liveVideo_;
  QPointer<MeasuringScreen> measuring_;
  QWidget* blank_ = nullptr;
  std::map<int, QWidget*> pages_;
  std::map<int, std::function<bool(int)>> leaves_;
  std::map<QString, QAction*> actions_;
  std::map<QString, std::function<void()>> commands_;
  std::map<int, std::pair<std::function<void()>, std::function<void()>>> fileCommands_;
  std::function<void()> coloursToGrid_;
  std::function<std::vector<std::string>()> listDevices_;
  std::function<QStringList()> recordings_;
  std::function<void(const QString&)> openRecording_;
  std::function<void(const QString&)> recordingAdded_;
  std::function<void()> loadMap_;
  QMenu* setupMenu_ = nullptr;
  std::vector<QMenu*> topMenus_;
  int mode_ = kModeNone;
  bool systemChecked_ = false;   // the system panel's leaving question was already answered
  bool resizePending_ = false;
  bool shutDown_ = false;
  bool displayGone_ = false;
  bool startedUp_ = false;
  bool runRecorded_ = false;  // the run under way (or just ended) has recorded samples
  std::string setupFolder_;
  std::string setupFile_;  // the setup file last loaded or saved; empty: none
  std::string setupText_;  // the setup as that file holds it
  Clock::TimerId resizeWatch_ = 0;
};

}  // namespace tlx::gui
