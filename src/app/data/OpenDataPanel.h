// The "Open Data File" panel (fraOpenData): a recorded run's parameters, results table and session
// trace, reanalysis into "~RANAL.CSV", the two exports, the saved picture and the printed report.
#pragma once

#include "data/Analysis.h"
#include "data/Export.h"
#include "data/RecordingService.h"

#include <QWidget>

#include <array>
#include <functional>
#include <string>

class QComboBox;
class QGridLayout;
class QLabel;
class QPrinter;
class QPushButton;
class QTableWidget;

namespace tlx {
class Program;
class SummaryProgram;
}

namespace tlx::gui {

class CalibrationBoxes;
class QbxRangeBox;
class SpinButtonBox;
class PictureViewSwitch;
class SessionView;
struct ReportContent;

class OpenDataPanel : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kParamLabels = 7;
  enum ParamLabel { kFileName = 0, kStartTime, kSampleRate, kDuration, kMapFile, kSessions, kSamples };

  OpenDataPanel(Program& program, SummaryProgram& summary, QWidget* parent = nullptr);

  // How the panel asks the main window to show it; false keeps the file from being opened.
  void SetEnterPanel(std::function<bool()> enter) { enterPanel_ = std::move(enter); }

  // The File menu's open command: "Load Data File" in the last directory used.
  void OpenCommand();
  // Opens a data file (a "CSV" file goes to the summary program instead). True when loaded.
  bool OpenDataFileForAnalysis(const std::string& path);
  void ShowSession(std::int64_t n);
  void ReanalyzeClicked();
  void SelectMapFile();
  std::string ExportResultsCommand();
  std::string ExportSamplesCommand();
  bool SavePicture();
  // The printed report of the selected session.
  bool PrintReport(QPrinter& printer);
  void PrintClicked();
  // Leaving the panel returns to the locked stage.
  void Leave();

  bool Loaded() const { return open_.Info.Loaded; }
  int Stage() const { return stage_; }
  std::int64_t Sessions() const { return sessions_; }
  std::int64_t SelectedSession() const { return selected_; }
  const OpenDataFile& Open() const { return open_; }
  const ZoneMap& Map() const { return map_; }
  SessionView* View() const { return sessionView_; }
  PictureViewSwitch* Views() const { return views_; }
  CalibrationBoxes* Boxes() const { return boxes_; }
  QbxRangeBox* SessionLengthBox() const { return rbSessionLng_; }
  QComboBox* UnitsList() const { return cboUnitsPixels_; }
  ReportContent Report() const;

 signals:
  void ExportAvailable(bool available);
  void TitleChanged(const QString& suffix);
  // A data file was loaded onto the panel.
  void DataFileOpened(const QString& path);
  void ExitRequested();
  // A file the user asked for was written (an export, the saved picture).
  void FileWritten(const QString& path);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildControls();
  QWidget* BuildParameterBox();
  void AddRecordedLabels(QGridLayout* grid, int& row);
  void AddAnalysisEntries(QGridLayout* grid, int& row);
  void AddCalibrationRows(QGridLayout* grid, int& row);
  QWidget* BuildButtons();
  void SetReanalysisMessage(int stage);
  void SetEditable(bool editable);
  // The user changed a parameter: the next Reanalyze uses it.
  void ParametersEdited();
  void ShowRecordedValues();
  void ShowParametersUsed(const AnalysisParameters& params);
  void SetUpSessions(std::int64_t sessions);
  // The reanalysis the panel's entries ask for: the open file's record with the entries on top.
  // The panel's entries as typed changes, and the analysis they give (the recorded values where
  // a change is refused; `problem` then says why).
  OverrideTexts TypedChanges() const;
  PreparedAnalysis AnalysisFromPanel(OverrideProblem* problem = nullptr) const;
  // The reanalysis's own results into the table.
  void LoadReanalysisResults(const std::string& path);
  bool RunReanalysis();
  void FillGrid();
  void MarkSessionRows();
  // Loads the map file into the panel; the panel's map file is only ever a map it shows.
  bool LoadPanelMap(const std::string& path);
  void ShowMapName();
  void DrawSelected();
  char Decimal() const;

  Program& program_;
  SummaryProgram& summary_;
  std::function<bool()> enterPanel_ = [] { return true; };

  SessionView* sessionView_;
  PictureViewSwitch* views_;
  QTableWidget* grOpenData_;
  SpinButtonBox* spDataSessNum_;
  std::array<QPushButton*, 4> cmdRanal_{};
  QPushButton* cmdExitData_;
  QLabel* lblRanalInstr_;
  CalibrationBoxes* boxes_;
  QComboBox* cboUnitsPixels_;
  QLabel* lblUnits_;
  QbxRangeBox* rbSessionLng_;
  QLabel* lblSessionLng_;
  std::array<QLabel*, kParamLabels> lblDataParams_{};
  QLabel* lblAnalWarning_;
  QLabel* lblAnalysisUsed_ = nullptr;  // the parameters the table shown was worked out with

  OpenDataFile open_;
  ZoneMap map_ = ZoneMap::FourQuadrants();
  int stage_ = 0;
  bool shortSession_ = false;
  std::int64_t sessions_ = 0;
  std::int64_t selected_ = 0;
  std::int64_t samplesPerSession_ = 0;
};

}  // namespace tlx::gui
