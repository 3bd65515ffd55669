#include "app/dialogs/BatchAnalyzeDialog.h"

#include "app/controls/QtKeys.h"
#include "common/FileChecks.h"
#include "common/Paths.h"
#include "data/DataFile.h"
#include "setup/Units.h"

#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace tlx::gui {

namespace {

QPushButton* Button(const char* name, const QString& caption, QWidget* parent) {
  auto* b = new QPushButton(caption, parent);
  b->setObjectName(QLatin1String(name));
  return b;
}

QString Q(const std::string& text) { return FromPathText(text); }

}  // namespace

BatchAnalyzeDialog::BatchAnalyzeDialog(BatchChoices& choices, std::string home, const std::string& startDirectory,
                                       UserAnswers& answers, QWidget* parent)
    : QDialog(parent), choices_(choices), home_(std::move(home)), answers_(answers),
      directory_(FromPathText(startDirectory)) {
  setObjectName(QStringLiteral("frmBatchAnalyze"));
  setWindowTitle(QStringLiteral("Batch Analyze"));
  auto* layout = new QVBoxLayout(this);
  // The files beside their parameters: the window stays within the screen's height at 150%.
  auto* top = new QHBoxLayout;
  top->addWidget(FilesBox(), 3);
  top->addWidget(ParametersBox(), 2);
  layout->addLayout(top);
  layout->addWidget(OutputBox());

  progress_ = new QProgressBar(this);
  progress_->setObjectName(QStringLiteral("prgBatch"));
  progress_->setValue(0);
  status_ = new QLabel(this);
  status_->setObjectName(QStringLiteral("lblBatchStatus"));
  // However long its text, the status line never widens the window: the buttons below stay
  // where the pointer found them.
  status_->setWordWrap(true);
  status_->setTextFormat(Qt::PlainText);
  status_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
  status_->setFixedHeight(status_->fontMetrics().lineSpacing() * 3);
  failures_ = new QListWidget(this);
  failures_->setObjectName(QStringLiteral("lstFailures"));
  failures_->setFixedHeight(failures_->fontMetrics().lineSpacing() * 5 + 2 * failures_->frameWidth());
  for (QWidget* w : std::initializer_list<QWidget*>{progress_, status_, failures_}) layout->addWidget(w);

  auto* buttons = new QHBoxLayout;
  run_ = Button("cmdRun", QStringLiteral("R&un"), this);
  cancel_ = Button("cmdCancel", QStringLiteral("&Cancel"), this);
  close_ = Button("cmdClose", QStringLiteral("C&lose"), this);
  buttons->addStretch();
  for (QPushButton* b : {run_, cancel_, close_}) buttons->addWidget(b);
  layout->addLayout(buttons);
  connect(run_, &QPushButton::clicked, this, &BatchAnalyzeDialog::Start);
  connect(cancel_, &QPushButton::clicked, this, &BatchAnalyzeDialog::Cancel);
  connect(close_, &QPushButton::clicked, this, &BatchAnalyzeDialog::reject);
  SetRunning(false);
  if (!choices_.Loaded) choices_ = LoadBatchChoices(home_);
  ShowChoices();
}

std::array<std::pair<QLineEdit*, std::string OverrideTexts::*>, 7> BatchAnalyzeDialog::ParameterEntries() const {
  return {{{sessionLength_, &OverrideTexts::SessionLength}, {maxDistance_, &OverrideTexts::MaximumDistance},
           {ambulatory_, &OverrideTexts::AmbulatoryThreshold}, {stereotypic_, &OverrideTexts::StereotypicThreshold},
           {scale_, &OverrideTexts::CalibrateScale}, {reference_, &OverrideTexts::CalibrateReference},
           {map_, &OverrideTexts::MapFile}}};
}

OverrideTexts BatchAnalyzeDialog::TypedParameters() const {
  OverrideTexts typed;
  for (const auto& [entry, text] : ParameterEntries()) typed.*text = ToPathText(entry->text().trimmed());
  if (units_->currentIndex() > 0) typed.Units = UnitListEntry(units_->currentData().toInt());
  return typed;
}

void BatchAnalyzeDialog::ShowChoices() {
  files_->clear();
  for (const std::string& path : choices_.DataFiles) files_->addItem(Q(path));
  for (const auto& [entry, text] : ParameterEntries()) entry->setText(Q(choices_.Parameters.*text));
  const std::string& units = choices_.Parameters.Units;
  units_->setCurrentIndex(units.empty() ? 0 : std::max(0, units_->findText(Q(units), Qt::MatchFixedString)));
  output_->setText(Q(choices_.Output));
  format_->setCurrentIndex(choices_.JsonLines ? 1 : 0);
}

void BatchAnalyzeDialog::Remember() {
  BatchChoices c;
  c.Loaded = true;
  for (int i = 0; i < files_->count(); ++i) c.DataFiles.push_back(ToPathText(files_->item(i)->text()));
  c.Parameters = TypedParameters();
  c.Output = ToPathText(output_->text().trimmed());
  c.JsonLines = format_->currentIndex() == 1;
  choices_ = c;
  SaveBatchChoices(home_, choices_);
}

QWidget* BatchAnalyzeDialog::FilesBox() {
  auto* filesBox = new QGroupBox(QStringLiteral("Data files"), this);
  auto* filesLayout = new QVBoxLayout(filesBox);
  files_ = new QListWidget(filesBox);
  files_->setObjectName(QStringLiteral("lstDataFiles"));
  files_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  // A dozen files in sight at once, at any text size.
  files_->setMinimumHeight(files_->fontMetrics().lineSpacing() * 12 + 2 * files_->frameWidth());
  files_->setMinimumWidth(files_->fontMetrics().averageCharWidth() * 48);
  filesLayout->addWidget(files_);
  auto* fileButtons = new QHBoxLayout;
  QPushButton* addFiles = Button("cmdAddFiles", QStringLiteral("Add &Files..."), filesBox);
  QPushButton* addFolder = Button("cmdAddFolder", QStringLiteral("Add F&older..."), filesBox);
  QPushButton* remove = Button("cmdRemoveFiles", QStringLiteral("&Remove"), filesBox);
  for (QPushButton* b : {addFiles, addFolder, remove}) fileButtons->addWidget(b);
  filesLayout->addLayout(fileButtons);
  connect(addFiles, &QPushButton::clicked, this, &BatchAnalyzeDialog::ChooseFiles);
  connect(addFolder, &QPushButton::clicked, this, &BatchAnalyzeDialog::ChooseFolder);
  connect(remove, &QPushButton::clicked, this, [this] { qDeleteAll(files_->selectedItems()); });
  return filesBox;
}

QWidget* BatchAnalyzeDialog::ParametersBox() {
  auto* paramBox = new QGroupBox(QStringLiteral("Parameters (empty: each file's own)"), this);
  auto* form = new QFormLayout(paramBox);
  sessionLength_ = AddEntry("txtSessionLength", QStringLiteral("Session length"), form);
  maxDistance_ = AddEntry("txtMaxDistance", QStringLiteral("Maximum distance (pixels)"), form);
  ambulatory_ = AddEntry("txtAmbulatory", QStringLiteral("Ambulatory threshold (pixels)"), form);
  stereotypic_ = AddEntry("txtStereotypic", QStringLiteral("Stereotypic threshold (pixels)"), form);
  scale_ = AddEntry("txtScale", QStringLiteral("Calibrate scale (pixels)"), form);
  reference_ = AddEntry("txtReference", QStringLiteral("Calibrate reference (units)"), form);
  units_ = new QComboBox(paramBox);
  units_->setObjectName(QStringLiteral("cboUnits"));
  units_->addItem(QStringLiteral("Each file's own"), 0);
  for (std::int32_t code = kFirstUnitCode; code <= kLastUnitCode; ++code) {
    units_->addItem(QString::fromStdString(UnitListEntry(code)), code);
  }
  form->addRow(QStringLiteral("Units"), units_);
  map_ = AddEntry("txtMapFile", QStringLiteral("Zone map file"), form);
  map_->setPlaceholderText(QStringLiteral("each file's own map"));
  QPushButton* browseMap = Button("cmdBrowseMap", QStringLiteral("&Map..."), paramBox);
  form->addRow(QString(), browseMap);
  connect(browseMap, &QPushButton::clicked, this, &BatchAnalyzeDialog::ChooseMap);
  return paramBox;
}

QWidget* BatchAnalyzeDialog::OutputBox() {
  auto* outBox = new QGroupBox(QStringLiteral("Output table"), this);
  auto* outForm = new QFormLayout(outBox);
  output_ = AddEntry("txtOutputFile", QStringLiteral("File"), outForm);
  output_->setPlaceholderText(QString());
  QPushButton* browseOut = Button("cmdBrowseOutput", QStringLiteral("&Table..."), outBox);
  outForm->addRow(QString(), browseOut);
  connect(browseOut, &QPushButton::clicked, this, &BatchAnalyzeDialog::ChooseOutput);
  format_ = new QComboBox(outBox);
  format_->setObjectName(QStringLiteral("cboFormat"));
  format_->addItem(QStringLiteral("CSV table"));
  format_->addItem(QStringLiteral("JSON lines"));
  outForm->addRow(QStringLiteral("Format"), format_);
  return outBox;
}

BatchAnalyzeDialog::~BatchAnalyzeDialog() {
  cancelFlag_ = true;
  if (worker_.joinable()) worker_.join();
}

QLineEdit* BatchAnalyzeDialog::AddEntry(const char* name, const QString& caption, QFormLayout* form) {
  auto* entry = new QLineEdit(this);
  entry->setObjectName(QLatin1String(name));
  entry->setPlaceholderText(QStringLiteral("file's own"));
  form->addRow(caption, entry);
  return entry;
}

void BatchAnalyzeDialog::AddDataFiles(const QStringList& paths) {
  for (const QString& path : paths) {
    if (files_->findItems(path, Qt::MatchExactly).isEmpty()) files_->addItem(path);
  }
}

void BatchAnalyzeDialog::AddFolder(const QString& folder) {
  QStringList paths;
  for (const std::string& path : RecordingsInFolder(AbsolutePath(ToPathText(folder)))) paths << Q(path);
  AddDataFiles(paths);
}

void BatchAnalyzeDialog::SetOutputPath(const QString& path) { output_->setText(path); }

std::optional<TidyBatchRequest> BatchAnalyzeDialog::Request() {
  TidyBatchRequest request;
  for (int i = 0; i < files_->count(); ++i) request.DataPaths.push_back(AbsolutePath(ToPathText(files_->item(i)->text())));
  const auto refuse = [this](const QString& why) {
    status_->setText(why);
    return std::nullopt;
  };
  if (request.DataPaths.empty()) return refuse(QStringLiteral("Add the data files to analyse."));
  const std::string output = ToPathText(output_->text().trimmed());
  if (output.empty()) return refuse(QStringLiteral("Choose the output table."));
  // Checked again with the map once the batch starts.
  if (const OutputCheck check = CheckBatchOutput(request, AbsolutePath(output)); !check.Ready()) {
    return refuse(FromProgramText(check.Text()));
  }
  const OverrideProblem problem = ParseOverrides(TypedParameters(), request.Overrides, true);
  // The reading's own reason ("Ambulatory Threshold: a distance cannot be negative"); an empty
  // entry keeps each file's own value.
  if (problem.Field != OverrideField::None) return refuse(Q(problem.Text()));
  request.Format = format_->currentIndex() == 1 ? TidyFormat::JsonLines : TidyFormat::Csv;
  return request;
}

bool BatchAnalyzeDialog::Start() {
  if (Running()) return false;
  std::optional<TidyBatchRequest> request = Request();
  if (!request) return false;
  const std::string output = AbsolutePath(ToPathText(output_->text().trimmed()));
  Remember();
  if (FileExists(output) &&
      answers_.ShowMessage({"Batch Analyze", "The table " + output + " already exists.\r\nReplace it?",
                            MsgIcon::Question, MsgButtons::YesNo}) != MsgAnswer::Yes) {
    status_->setText(QStringLiteral("The table that was there is kept."));
    return false;
  }
  failures_->clear();
  progress_->setRange(0, static_cast<int>(request->DataPaths.size()));
  progress_->setValue(0);
  status_->setText(QStringLiteral("Analysing %1 files...").arg(request->DataPaths.size()));
  cancelFlag_ = false;
  SetRunning(true);
  const int batch = ++batch_;
  worker_ = std::thread([this, request = std::move(*request), output, batch] {
    const auto progress = [this, batch](std::size_t done, std::size_t total) {
      QMetaObject::invokeMethod(
          this, [this, done, total, batch] { if (batch == batch_) ShowProgress(done, total); }, Qt::QueuedConnection);
    };
    // The table is kept with the rows of the files that succeeded; a cancelled batch leaves none.
    BatchFileOutcome outcome = RunTidyBatchToFile(request, output, progress, &cancelFlag_);
    QMetaObject::invokeMethod(
        this, [this, outcome = std::move(outcome), batch] { if (batch == batch_) ShowOutcome(outcome); },
        Qt::QueuedConnection);
  });
  return true;
}

void BatchAnalyzeDialog::Cancel() { cancelFlag_ = true; }

void BatchAnalyzeDialog::reject() {
  if (Running()) {
    // Escape, the close box or Close while files are analysed: the batch stops only when the
    // user says so.
    if (answers_.ShowMessage({"Batch Analyze", "A batch is running.\r\nStop it? No table will be written.",
                              MsgIcon::Question, MsgButtons::YesNo}) != MsgAnswer::Yes) {
      return;
    }
    if (!Running()) {  // it ended while the question was open: its outcome stands
      Remember();
      QDialog::reject();
      return;
    }
    Cancel();
    worker_.join();
    ++batch_;  // its outcome, still on its way, no longer applies
    SetRunning(false);
    status_->setText(QStringLiteral("Cancelled: no table was written."));
  }
  Remember();
  QDialog::reject();
}

void BatchAnalyzeDialog::ShowProgress(std::size_t done, std::size_t total) {
  progress_->setMaximum(static_cast<int>(total));
  progress_->setValue(static_cast<int>(done));
}

void BatchAnalyzeDialog::ShowOutcome(const BatchFileOutcome& outcome) {
  if (worker_.joinable()) worker_.join();
  SetRunning(false);
  const TidyBatchReport& report = outcome.Report;
  for (const TidyBatchFailure& f : report.Failures) failures_->addItem(FromProgramText(f.Reason));
  switch (outcome.Status) {
    case BatchFileStatus::Cancelled: status_->setText(QStringLiteral("Cancelled: no table was written.")); break;
    case BatchFileStatus::Refused:
    case BatchFileStatus::NotWritable: status_->setText(FromProgramText(outcome.Refusal)); break;
    case BatchFileStatus::Written:
      status_->setText(QStringLiteral("%1 files analysed into %2; %3 failed.")
                           .arg(report.Analysed)
                           .arg(output_->text())
                           .arg(report.Failures.size()));
      break;
  }
  emit Finished();
}

void BatchAnalyzeDialog::SetRunning(bool running) {
  run_->setEnabled(!running);
  cancel_->setEnabled(running);
  close_->setEnabled(true);
}

void BatchAnalyzeDialog::ChooseFiles() {
  AddDataFiles(QFileDialog::getOpenFileNames(this, QStringLiteral("Select Data Files"), directory_,
                                             QStringLiteral("Data files (*.DAT *.dat);;All files (*)")));
}

void BatchAnalyzeDialog::ChooseFolder() {
  const QString folder = QFileDialog::getExistingDirectory(this, QStringLiteral("Select Data Folder"), directory_);
  if (!folder.isEmpty()) AddFolder(folder);
}

void BatchAnalyzeDialog::ChooseMap() {
  const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("Select Zone Map File"), directory_,
                                                    QStringLiteral("Zone maps (*.MAP *.map);;All files (*)"));
  if (!path.isEmpty()) map_->setText(path);
}

void BatchAnalyzeDialog::ChooseOutput() {
  const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Save Table"), directory_,
                                                    QStringLiteral("CSV table (*.CSV *.csv);;JSON lines (*.jsonl)"));
  if (!path.isEmpty()) output_->setText(path);
}

}  // namespace tlx::gui
