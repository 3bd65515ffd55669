// The home page (fraTitle): the product name and version, then where the user stands (the unit's
// state and port, the current experiment in one line, the recordings opened last) and buttons to
// the next steps: set up, draw zones, run, open.
#pragma once

#include <QFrame>
#include <QStringList>

class QLabel;
class QListWidget;
class QPushButton;

namespace tlx::gui {

// What the home page shows; the main window fills it from the program's records.
struct HomeFacts {
  QString unit;        // "Unit: connected on COM1 (/dev/ttyUSB0)", "... not responding ..."
  bool unitReady = false;
  QString experiment;  // "Experiment: 3 sessions of 00:10:00 at 30 samples/s, ..."
  QStringList recordings;  // full paths, newest first
};

class HomePanel : public QFrame {
  Q_OBJECT

 public:
  explicit HomePanel(QWidget* parent = nullptr);
  QLabel* TitleLabel(int index) const { return labels_[index]; }
  QLabel* UnitLabel() const { return unit_; }
  QLabel* ExperimentLabel() const { return experiment_; }
  QListWidget* Recordings() const { return recordings_; }

  void Show(const HomeFacts& facts);

 signals:
  // A button for a menu command, by the command's name ("mnuSetupExpt", "mnuRunExpt", ...).
  void CommandChosen(const QString& name);
  void RecordingChosen(const QString& path);

 private:
  QPushButton* CommandButton(const char* name, const QString& caption, const char* command,
                             const QString& tip);

  QLabel* labels_[3];
  QLabel* unit_;
  QLabel* experiment_;
  QListWidget* recordings_;
};

}  // namespace tlx::gui
