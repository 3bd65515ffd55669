// Puts the zone map editor (mode 2) and the data panel (mode 10) into the main window and binds
// the menu commands that reach them; the summary program started by an export lives here too.
#pragma once

#include "data/SummaryProgram.h"

#include <QObject>

namespace tlx::gui {

class MainWindow;
class OpenDataPanel;
class RecentFilesMenu;
class ZonePanel;

class DataZonePanels : public QObject {
  Q_OBJECT

 public:
  // The panels become pages of the window; this object is the window's child.
  explicit DataZonePanels(MainWindow& window);
  // At shutdown: the closing key for the summary program, when it was started.
  ~DataZonePanels() override;

  // Pictures for the manual: the zone editor with a few zones drawn, the data panel showing the
  // newest data file of the data directory, and that file's printed report as a PDF.
  void SaveScreenshots(const QString& directory);

  ZonePanel* Zone() const { return zone_; }
  OpenDataPanel* Data() const { return data_; }
  SummaryProgram& Summary() { return summary_; }

 private:
  void EnterZone();
  void BindMenus();

  MainWindow& window_;
  SpawnLauncher launcher_;
  SummaryProgram summary_;
  ZonePanel* zone_;
  OpenDataPanel* data_;
  RecentFilesMenu* recent_;
};

}  // namespace tlx::gui
