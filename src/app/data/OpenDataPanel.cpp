#include "app/data/OpenDataPanel.h"

#include "app/controls/QbxRangeBox.h"
#include "app/controls/SpinButtonBox.h"
#include "app/data/CalibrationBoxes.h"
#include "app/data/PictureViewSwitch.h"
#include "app/data/SessionView.h"
#include "app/panels/PanelKit.h"
#include "app/print/DataReport.h"
#include "app/print/PrintSupport.h"
#include "common/AtomicFile.h"
#include "common/FileChecks.h"
#include "common/Numbers.h"
#include "common/Paths.h"
#include "common/Texts.h"
#include "common/TimeText.h"
#include "data/OutputPlan.h"
#include "data/Reanalysis.h"
#include "data/TrackingQuality.h"
#include "data/RecordingService.h"
#include "data/SampleRange.h"
#include "data/ResultsFile.h"
#include "data/SummaryProgram.h"
#include "run/Program.h"
#include "setup/ParameterTable.h"
#include "setup/Units.h"
#include "zonemap/MapFile.h"

#include <QComboBox>
#include <QEvent>
#include <QLineEdit>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPrinter>
#include <QPushButton>
#include <QBuffer>
#include <QTableWidget>
#include <QVBoxLayout>

#include <cmath>

namespace tlx::gui {

namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

OpenDataPanel::OpenDataPanel(Program& program, SummaryProgram& summary, QWidget* parent)
    : QWidget(parent), program_(program), summary_(summary) {
  setObjectName(QStringLiteral("fraOpenData"));
  BuildControls();
  SetReanalysisMessage(1);
  SetEditable(false);
}

void OpenDataPanel::BuildControls() {
  sessionView_ = new SessionView(this);
  grOpenData_ = new QTableWidget(this);
  grOpenData_->setObjectName(QStringLiteral("grOpenData"));
  grOpenData_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grOpenData_->verticalHeader()->setVisible(false);
  grOpenData_->verticalHeader()->setDefaultSectionSize(20);
  grOpenData_->setSelectionMode(QAbstractItemView::NoSelection);

  auto* left = new QVBoxLayout;
  views_ = new PictureViewSwitch(sessionView_, this);
  left->addWidget(views_, 3);
  left->addWidget(grOpenData_, 2);
  lblAnalysisUsed_ = new QLabel(this);
  lblAnalysisUsed_->setObjectName(QStringLiteral("lblAnalysisUsed"));
  lblAnalysisUsed_->setWordWrap(true);
  lblAnalysisUsed_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  left->addWidget(lblAnalysisUsed_);
  auto* right = new QVBoxLayout;
  right->addWidget(BuildParameterBox());
  right->addWidget(BuildButtons());
  right->addStretch(1);
  // The panel's caption, in 10-point bold, as the frame's title.
  auto* caption = new QLabel(QStringLiteral("Open Data File"), this);
  caption->setObjectName(QStringLiteral("fraOpenDataCaption"));
  QFont captionFont = caption->font();
  captionFont.setPointSize(10);
  captionFont.setBold(true);
  caption->setFont(captionFont);
  setWindowTitle(caption->text());
  auto* outer = new QVBoxLayout(this);
  outer->addWidget(caption);
  auto* layout = new QHBoxLayout;
  outer->addLayout(layout, 1);
  layout->addLayout(left, 3);
  layout->addLayout(right, 1);
  connect(sessionView_, &SessionView::PictureReady, this, &OpenDataPanel::MarkSessionRows);
}

QWidget* OpenDataPanel::BuildParameterBox() {
  auto* box = new QWidget(this);
  auto* grid = new QGridLayout(box);
  grid->setContentsMargins(0, 0, 0, 0);
  int row = 0;
  AddRecordedLabels(grid, row);
  AddAnalysisEntries(grid, row);
  AddCalibrationRows(grid, row);
  return box;
}

void OpenDataPanel::AddRecordedLabels(QGridLayout* grid, int& row) {
  QWidget* box = grid->parentWidget();
  const char* captions[kParamLabels] = {"File", "Start", "Samples / s", "Duration", "Map file", "Sessions", "Samples"};
  for (int i = 0; i < kParamLabels; ++i, ++row) {
    QLabel*& label = lblDataParams_[static_cast<std::size_t>(i)];
    label = new QLabel(box);
    label->setObjectName(QStringLiteral("lblDataParams_%1").arg(i));
    label->setTextFormat(Qt::PlainText);  // file names and numbers, never markup
    grid->addWidget(new QLabel(QString::fromLatin1(captions[i]), box), row, 0);
    grid->addWidget(label, row, 1, 1, 2);
  }
  // A click on the map file's name chooses another map while the parameters are open.
  lblDataParams_[kMapFile]->installEventFilter(this);
  lblDataParams_[kMapFile]->setCursor(Qt::PointingHandCursor);
}

void OpenDataPanel::AddAnalysisEntries(QGridLayout* grid, int& row) {
  QWidget* box = grid->parentWidget();
  rbSessionLng_ = new QbxRangeBox(program_.answers, box);
  rbSessionLng_->setObjectName(QStringLiteral("rbSessionLng"));
  RangeBoxProperties duration;
  duration.style = RangeStyle::Duration;
  duration.time = true;
  const ValueRange& analysed = SpecOf(Parameter::SessionLength).Analysis;
  duration.min = analysed.Min;
  duration.max = analysed.Max;
  duration.showWarn = true;
  duration.varName = "Session Length";
  rbSessionLng_->SetProperties(duration);
  lblSessionLng_ = new QLabel(box);
  lblSessionLng_->setObjectName(QStringLiteral("lblSessionLng"));
  grid->addWidget(new QLabel(QStringLiteral("Session length"), box), row, 0);
  grid->addWidget(lblSessionLng_, row, 1, 1, 2);
  grid->addWidget(rbSessionLng_, row++, 1, 1, 2);

  cboUnitsPixels_ = new QComboBox(box);
  cboUnitsPixels_->setObjectName(QStringLiteral("cboUnitsPixels"));
  for (int code = kFirstUnitCode; code <= kLastUnitCode; ++code) cboUnitsPixels_->addItem(Q(UnitListEntry(code)));
  lblUnits_ = new QLabel(box);
  lblUnits_->setObjectName(QStringLiteral("lblUnits"));
  connect(cboUnitsPixels_, &QComboBox::currentIndexChanged, this,
          [this](int index) { lblUnits_->setText(Q(UnitName(index + 1))); });
  grid->addWidget(new QLabel(QStringLiteral("Units"), box), row, 0);
  grid->addWidget(cboUnitsPixels_, row++, 1, 1, 2);
}

void OpenDataPanel::AddCalibrationRows(QGridLayout* grid, int& row) {
  QWidget* box = grid->parentWidget();
  boxes_ = new CalibrationBoxes(program_.answers, box);
  connect(boxes_, &CalibrationBoxes::AmbulatoryChanged, this, [this] { DrawSelected(); });
  connect(boxes_, &CalibrationBoxes::Edited, this, &OpenDataPanel::ParametersEdited);
  connect(rbSessionLng_, &QbxRangeBox::Change, this, &OpenDataPanel::ParametersEdited);
  connect(cboUnitsPixels_, &QComboBox::activated, this, &OpenDataPanel::ParametersEdited);
  grid->addWidget(new QLabel(QStringLiteral("pixels"), box), row, 1);
  grid->addWidget(lblUnits_, row++, 2);
  const char* rows[CalibrationBoxes::kRows] = {"Calibration", "Ambulatory", "Stereotypic", "Max. distance"};
  for (int r = 0; r < CalibrationBoxes::kRows; ++r, ++row) {
    grid->addWidget(new QLabel(QString::fromLatin1(rows[r]), box), row, 0);
    grid->addWidget(boxes_->Pixels(r), row, 1);
    grid->addWidget(boxes_->Units(r), row, 2);
  }

  spDataSessNum_ = new SpinButtonBox(program_.answers, box);
  spDataSessNum_->setObjectName(QStringLiteral("spDataSessNum"));
  SpinButtonProperties spin;
  spin.min = 1;
  spin.max = 1;
  spDataSessNum_->SetProperties(spin);
  connect(spDataSessNum_, &SpinButtonBox::Change, this,
          [this] { ShowSession(static_cast<std::int64_t>(spDataSessNum_->Value())); });
  grid->addWidget(new QLabel(QStringLiteral("Session"), box), row, 0);
  grid->addWidget(spDataSessNum_, row++, 1, 1, 2);
  lblAnalWarning_ = new QLabel(box);
  lblAnalWarning_->setObjectName(QStringLiteral("lblAnalWarning"));
  lblAnalWarning_->setStyleSheet(
      QStringLiteral("color: %1; font-weight: bold").arg(WarningColour(box->palette()).name()));
  grid->addWidget(lblAnalWarning_, row++, 0, 1, 3);
}

QWidget* OpenDataPanel::BuildButtons() {
  auto* box = new QWidget(this);
  auto* grid = new QGridLayout(box);
  grid->setContentsMargins(0, 0, 0, 0);
  // No access key of the window's menus (File, Edit, Calculate, Setup, Tools, Run, Help).
  const char* captions[4] = {"Rea&nalyze", "E&xport Results", "Export &Samples", "Save &Image"};
  for (int i = 0; i < 4; ++i) {
    cmdRanal_[static_cast<std::size_t>(i)] = new QPushButton(QString::fromLatin1(captions[i]), box);
    cmdRanal_[static_cast<std::size_t>(i)]->setObjectName(QStringLiteral("cmdRanal_%1").arg(i));
  }
  lblRanalInstr_ = new QLabel(box);
  lblRanalInstr_->setObjectName(QStringLiteral("lblRanalInstr"));
  grid->addWidget(cmdRanal_[0], 0, 0);
  grid->addWidget(lblRanalInstr_, 0, 1, 2, 1, Qt::AlignBottom);
  for (int i = 1; i < 4; ++i) grid->addWidget(cmdRanal_[static_cast<std::size_t>(i)], 1 + i, 0);
  cmdExitData_ = new QPushButton(QStringLiteral("Ho&me"), box);
  cmdExitData_->setObjectName(QStringLiteral("cmdExitData"));
  grid->addWidget(cmdExitData_, 5, 1);
  connect(cmdRanal_[0], &QPushButton::clicked, this, &OpenDataPanel::ReanalyzeClicked);
  connect(cmdRanal_[1], &QPushButton::clicked, this, [this] { ExportResultsCommand(); });
  connect(cmdRanal_[2], &QPushButton::clicked, this, [this] { ExportSamplesCommand(); });
  connect(cmdRanal_[3], &QPushButton::clicked, this, [this] { SavePicture(); });
  connect(cmdExitData_, &QPushButton::clicked, this, &OpenDataPanel::ExitRequested);
  return box;
}

char OpenDataPanel::Decimal() const { return LocaleDecimalSeparator() == ',' ? ',' : '.'; }

void OpenDataPanel::SetReanalysisMessage(int stage) {
  lblRanalInstr_->setText(Q(ReanalysisMessage(stage)).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
}

// The parameters always take typing while a file is open: a box that looks editable is. Typing
// in one opens them for the next reanalysis (stage 1) with the values shown, and the session
// length stays a box in its place, so nothing on the panel moves.
void OpenDataPanel::SetEditable(bool /*editable*/) {
  boxes_->SetEditable(true);
  cboUnitsPixels_->setEnabled(true);
  rbSessionLng_->setVisible(true);
  lblSessionLng_->setVisible(false);
}

void OpenDataPanel::ParametersEdited() {
  if (!open_.Info.Loaded || stage_ != 0) return;
  stage_ = 1;
  SetReanalysisMessage(2);
}

// --- Opening ----------------------------------------------------------------------------------

void OpenDataPanel::OpenCommand() {
  const std::string& folder = program_.settings.OpenDir.empty() ? program_.settings.DataDir : program_.settings.OpenDir;
  const std::string path = ShowFileDialog(program_.answers, folder, "", "Load Data File", true,
                                          "DAT", true, false);
  if (!path.empty()) OpenDataFileForAnalysis(path);
}

bool OpenDataPanel::OpenDataFileForAnalysis(const std::string& path) {
  DataFileInfo info;
  const OpenResult read = ReadRecordingToOpen(path, program_.answers, &summary_, info);
  if (read != OpenResult::Missing) program_.settings.OpenDir = DirectoryPart(path);
  if (read != OpenResult::Opened) return false;
  // The panel is entered first, so that the questions of the panel being left never stand
  // behind the loading box.
  if (!enterPanel_()) return false;
  program_.answers.ShowStatus("Loading", -1);
  stage_ = 0;
  SetReanalysisMessage(1);
  SetEditable(false);
  lblAnalWarning_->clear();
  shortSession_ = false;
  LoadRecording(info, open_);
  map_ = open_.Map;
  FillGrid();
  ShowRecordedValues();
  ShowParametersUsed(AnalysisFromPanel().Params);  // the run's own results: the recorded values
  program_.dataFileInfo = open_.Info;
  samplesPerSession_ = SamplesPerSession(open_.SessionLength, open_.Info.SampleRate);
  SetUpSessions(open_.Sessions);
  // The loading is done: the box goes before any message, which must not stand behind it.
  program_.answers.ShowStatus("", -1);
  if (sessions_ == 0) {
    sessionView_->DrawMapOnly(map_, program_.colours);
    program_.answers.ShowMessage({kEmptyDataFileCaption, kEmptyDataFileText, MsgIcon::Exclamation, MsgButtons::Ok});
  } else {
    ShowSession(1);
  }
  emit ExportAvailable(true);
  emit TitleChanged(Q(FileNamePart(path)));
  emit DataFileOpened(Q(path));
  return true;
}

bool OpenDataPanel::LoadPanelMap(const std::string& path) {
  ZoneMap map;
  if (path.empty() || !ReadMapFile(path, map)) return false;
  map_ = map;
  open_.MapFile = path;
  ShowMapName();
  return true;
}

void OpenDataPanel::ShowMapName() {
  lblDataParams_[kMapFile]->setText(open_.MapFile.empty() ? QStringLiteral("(four quadrants)")
                                                          : Q(FileNamePart(open_.MapFile)));
}

void OpenDataPanel::ShowRecordedValues() {
  const DataFileInfo& info = open_.Info;
  lblDataParams_[kFileName]->setText(Q(FileNamePart(info.Path)));
  lblDataParams_[kStartTime]->setText(Q(FormatStartTime(info.Start)));
  lblDataParams_[kSampleRate]->setText(Q(FormatFixed(info.SampleRate, 0)));
  lblDataParams_[kDuration]->setText(Q(SecondsToDurationText(std::llround(info.Duration))));
  ShowMapName();
  lblDataParams_[kSamples]->setText(Q(FormatFixed(double(info.SampleCount()), 0)));
  lblSessionLng_->setText(Q(SecondsToDurationText(open_.SessionLength)));
  rbSessionLng_->SetValue(open_.SessionLength);
  cboUnitsPixels_->setCurrentIndex(std::clamp<int>(open_.UnitsCode, kFirstUnitCode, kLastUnitCode) - 1);
  lblUnits_->setText(Q(UnitName(open_.UnitsCode)));
  boxes_->SetPair(info.UnitsPerPixel);
  boxes_->SetFileOpen(true);
  boxes_->Fill(info.CalibrateScale, info.AmbulatoryThreshold, info.StereotypicThreshold, info.MaximumDistance);
}

// A paper quotes the thresholds and calibration its figures came from: the panel names them.
void OpenDataPanel::ShowParametersUsed(const AnalysisParameters& params) {
  QStringList lines;
  for (const std::string& line : AnalysisParameterLines(params)) lines << Q(line);
  // How well the recording was tracked, so that its figures are read with it.
  RecordingTracking tracking;
  if (TrackRecording(AnalysisFromPanel(), tracking).Ok()) lines << Q("Tracking: " + QualityLine(tracking.Whole));
  lblAnalysisUsed_->setText(lines.join(QStringLiteral("\n")));
}

void OpenDataPanel::SetUpSessions(std::int64_t sessions) {
  sessions_ = sessions;
  lblDataParams_[kSessions]->setText(QString::number(sessions));
  spDataSessNum_->blockSignals(true);
  spDataSessNum_->SetMax(double(std::max<std::int64_t>(1, sessions)));
  if (selected_ < 1 || selected_ > sessions) selected_ = 1;
  spDataSessNum_->SetValue(double(selected_));
  spDataSessNum_->blockSignals(false);
}

// --- The results table ------------------------------------------------------------------------

void OpenDataPanel::LoadReanalysisResults(const std::string& path) {
  // The results were worked out with the panel's own map, which stays in use.
  LoadResultsTable(path, open_.Table, nullptr);
  FillGrid();
}

void OpenDataPanel::FillGrid() {
  const ResultsTable& table = open_.Table;
  grOpenData_->clear();
  grOpenData_->setColumnCount(static_cast<int>(table.Columns.size()));
  grOpenData_->setRowCount(static_cast<int>(table.Rows.size()));
  QStringList labels;
  for (const std::string& c : table.Columns) labels << Q(c);
  grOpenData_->setHorizontalHeaderLabels(labels);
  for (std::size_t r = 0; r < table.Rows.size(); ++r) {
    for (std::size_t c = 0; c < table.Rows[r].size(); ++c) {
      grOpenData_->setItem(int(r), int(c), new QTableWidgetItem(Q(table.Rows[r][c])));
    }
  }
  grOpenData_->resizeColumnsToContents();
  MarkSessionRows();
}

void OpenDataPanel::MarkSessionRows() {
  const std::vector<std::size_t> rows = SessionRows(open_.Table, selected_);
  // A warm tint of the table's own background, pale on a light palette and deep on a dark one,
  // under the palette's own text colour.
  const bool dark = grOpenData_->palette().color(QPalette::Base).lightness() < 128;
  const QColor mark = dark ? QColor(92, 76, 24) : QColor(255, 244, 190);
  std::size_t next = 0;
  for (int r = 0; r < grOpenData_->rowCount(); ++r) {
    const bool marked = next < rows.size() && rows[next] == std::size_t(r);
    if (marked) ++next;
    for (int c = 0; c < grOpenData_->columnCount(); ++c) {
      if (QTableWidgetItem* item = grOpenData_->item(r, c)) {
        item->setBackground(marked ? QBrush(mark) : QBrush());
        item->setForeground(marked ? grOpenData_->palette().text() : QBrush());
      }
    }
  }
  if (!rows.empty()) grOpenData_->scrollToItem(grOpenData_->item(int(rows.front()), 0), QAbstractItemView::PositionAtTop);
}

// --- Sessions ---------------------------------------------------------------------------------

void OpenDataPanel::ShowSession(std::int64_t n) {
  if (!open_.Info.Loaded || samplesPerSession_ <= 0) return;
  if (n < 1 || (n - 1) * samplesPerSession_ >= open_.Info.SampleCount()) {
    program_.answers.ShowMessage({kEofCaption, kEofText, MsgIcon::Critical, MsgButtons::Ok});
    return;
  }
  selected_ = n;
  if (spDataSessNum_->Value() != double(n)) {
    spDataSessNum_->blockSignals(true);
    spDataSessNum_->SetValue(double(n));
    spDataSessNum_->blockSignals(false);
  }
  DrawSelected();
}

void OpenDataPanel::DrawSelected() {
  if (!open_.Info.Loaded || selected_ < 1 || samplesPerSession_ <= 0) return;
  draw::PictureRequest request;
  request.DataPath = open_.Info.Path;
  request.Session = selected_;
  request.Params = AnalysisFromPanel().Params;
  request.Map = map_;
  request.Colours = program_.colours;
  views_->SetSource(request);
  request.Params.AmbulatoryThreshold = static_cast<float>(boxes_->AmbulatoryPixels());  // the trace's own box
  sessionView_->Draw(request);
}

// --- Reanalysis -------------------------------------------------------------------------------

void OpenDataPanel::ReanalyzeClicked() {
  if (!open_.Info.Loaded) return;
  if (stage_ == 0) {
    // The map stays the one shown (and used by the last reanalysis): the results always come
    // from the map the panel shows.
    const DataFileInfo& info = open_.Info;
    boxes_->Fill(info.CalibrateScale, info.AmbulatoryThreshold, info.StereotypicThreshold, info.MaximumDistance);
    rbSessionLng_->SetValue(info.SessionLength);
    cboUnitsPixels_->setCurrentIndex(std::clamp<int>(open_.UnitsCode, kFirstUnitCode, kLastUnitCode) - 1);
    SetEditable(true);
    stage_ = 1;
    SetReanalysisMessage(2);
    return;
  }
  SetReanalysisMessage(4);
  lblRanalInstr_->repaint();  // seen before the work, which keeps the window busy until done
  // A reanalysis that could not be done (the data file gone, the results file not writable)
  // leaves the table and the sessions as they were, rather than showing an older results file.
  SetReanalysisMessage(RunReanalysis() ? 3 : 1);
  SetEditable(false);
  stage_ = 0;
}

OverrideTexts OpenDataPanel::TypedChanges() const {
  OverrideTexts t;
  const auto text = [](const QLineEdit* box) { return box->text().toStdString(); };
  t.CalibrateScale = text(boxes_->Pixels(CalibrationBoxes::kCalibration));
  t.AmbulatoryThreshold = text(boxes_->Pixels(CalibrationBoxes::kAmbulatory));
  t.StereotypicThreshold = text(boxes_->Pixels(CalibrationBoxes::kStereotypic));
  t.MaximumDistance = text(boxes_->Pixels(CalibrationBoxes::kMaximum));
  t.CalibrateReference = text(boxes_->Units(CalibrationBoxes::kCalibration));
  const double seconds = rbSessionLng_->Value();
  t.SessionLength = seconds == std::floor(seconds) ? FormatFixed(seconds, 0) : FormatFixed(seconds, 3);
  t.Units = UnitListEntry(cboUnitsPixels_->currentIndex() + 1);
  return t;
}

PreparedAnalysis OpenDataPanel::AnalysisFromPanel(OverrideProblem* problem) const {
  // The panel's values are read as every front end's typed changes are; a value an analysis
  // cannot have leaves the recorded values in use (and is named when the reanalysis is asked for).
  AnalysisOverrides changes;
  const OverrideProblem refused = ParseOverrides(TypedChanges(), changes, true);
  if (problem) *problem = refused;
  return PrepareRecordedAnalysis(open_.Info, changes, map_, open_.MapFile);
}

bool OpenDataPanel::RunReanalysis() {
  DataFileInfo& info = open_.Info;
  LoadPanelMap(open_.MapFile);  // the map file read afresh; the one shown when it is gone
  OverrideProblem refused;
  const PreparedAnalysis prepared = AnalysisFromPanel(&refused);
  if (refused.Field != OverrideField::None) {
    program_.answers.ShowMessage({"Invalid Value", refused.Text(), MsgIcon::Exclamation, MsgButtons::Ok});
    return false;
  }
  const AnalysisParameters& params = prepared.Params;
  AnalysisOptions options;
  options.DecimalSeparator = Decimal();
  options.Answers = &program_.answers;
  const std::string results = JoinPath(program_.home, kReanalysisFileName);
  if (!AnalyzeDataFile(info.Path, results, params, prepared.Context, options).Ok()) return false;

  // The calibration the results were worked out with is the open file's from now on.
  info.CalibrateScale = params.CalibrateScale;
  info.CalibrateReference = params.CalibrateReference;
  info.UnitsPerPixel = UnitsPerPixel(params.CalibrateScale, params.CalibrateReference);
  boxes_->SetPair(info.UnitsPerPixel);
  open_.SessionLength = params.SessionLength;
  open_.UnitsCode = params.UnitsCode;
  open_.Reanalysis = params;  // an export of this table says how it was worked out
  program_.dataFileInfo = info;

  const SessionSplit split = SplitIntoSessions(info.SampleCount(), info.SampleRate, params.SessionLength);
  shortSession_ = split.LastIsShort;
  samplesPerSession_ = SamplesPerSession(params.SessionLength, info.SampleRate);
  SetUpSessions(split.Sessions);
  lblSessionLng_->setText(Q(SecondsToDurationText(params.SessionLength)));
  LoadReanalysisResults(results);
  ShowParametersUsed(params);
  DrawSelected();
  lblAnalWarning_->setText(shortSession_ ? QString::fromLatin1(kShortSessionWarning) : QString());
  return true;
}

void OpenDataPanel::SelectMapFile() {
  if (stage_ != 1) return;
  const std::string path = ShowFileDialog(program_.answers, program_.settings.ConfigDir, "", "Select Current Map File",
                                          true, "MAP", true, false);
  // A file that is not a map leaves the map in use.
  if (path.empty() || !FileExists(path) || !LoadPanelMap(path)) return;
  DrawSelected();
}

// --- Exports, picture, report -----------------------------------------------------------------

std::string OpenDataPanel::ExportResultsCommand() {
  if (!open_.Info.Loaded) return {};
  const std::string written = ExportResults(program_.answers, open_, Decimal(), &summary_);
  if (!written.empty()) emit FileWritten(Q(written));
  return written;
}

std::string OpenDataPanel::ExportSamplesCommand() {
  if (!open_.Info.Loaded) return {};
  const std::string written = ExportSamples(program_.answers, open_, Decimal());
  if (!written.empty()) emit FileWritten(Q(written));
  return written;
}

bool OpenDataPanel::SavePicture() {
  const std::string path = ShowFileDialog(program_.answers, program_.settings.DataDir, "", "Save Image", false,
                                          "PNG;SVG;PDF", true, false);
  if (path.empty()) return false;
  OutputPlan plan;
  plan.Input(open_.Info.Path, "the data file that is open").Output(path);
  if (!open_.MapFile.empty()) plan.Input(open_.MapFile, "the zone map that is open");
  if (const OutputCheck check = plan.Check(); !check.Ready()) {
    program_.answers.ShowMessage(OutputRefusalMessage("Save Image", check));
    return false;
  }
  return views_->Save(path).value_or(false);
}

ReportContent OpenDataPanel::Report() const {
  ReportContent c;
  c.dataPath = open_.Info.Path;
  c.mapFile = open_.MapFile;
  c.start = open_.Info.Start;
  c.sessionLength = open_.SessionLength;
  c.duration = open_.Info.Duration;
  c.unitsCode = open_.UnitsCode;
  c.session = selected_;
  c.map = map_;
  c.colours = program_.colours;
  c.table = open_.Table;
  const PreparedAnalysis analysis = AnalysisFromPanel();
  c.params = analysis.Params;
  RecordingTracking tracking;
  if (TrackRecording(analysis, tracking).Ok() && selected_ >= 1 && std::size_t(selected_) <= tracking.Sessions.size()) {
    c.tracking = tracking.Sessions[std::size_t(selected_) - 1];
  }
  if (const auto& shown = views_->Canvas()->Picture()) c.picture = std::make_shared<const draw::Picture>(*shown);
  return c;
}

bool OpenDataPanel::PrintReport(QPrinter& printer) {
  sessionView_->WaitForPicture();
  ReportContent content = Report();
  // The points of the picture on screen, so the paper shows the same trace.
  std::vector<PositionSample> samples;
  if (ReadSessionSamples(open_.Info.Path, selected_, samplesPerSession_, samples)) {
    content.trace = std::make_shared<const TracePath>(TimedTracePoints(
        samples, boxes_->PixelValue(CalibrationBoxes::kMaximum), boxes_->AmbulatoryPixels(), open_.Info.SampleRate));
  }
  return PrintDataReport(printer, content);
}

void OpenDataPanel::PrintClicked() {
  if (!open_.Info.Loaded) return;
  QPrinter printer(QPrinter::HighResolution);
  if (!AskForPrinter(printer, this, ChangeExtension(open_.Info.Path, "PDF"))) return;
  program_.answers.ShowStatus("Printing", -1);
  PrintReport(printer);
  program_.answers.ShowStatus("", -1);
}

bool OpenDataPanel::eventFilter(QObject* watched, QEvent* event) {
  if (watched == lblDataParams_[kMapFile] && event->type() == QEvent::MouseButtonRelease) {
    SelectMapFile();
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

void OpenDataPanel::Leave() {
  boxes_->SetFileOpen(false);
  stage_ = 0;
  SetReanalysisMessage(1);
  SetEditable(false);
}

}  // namespace tlx::gui
