#include "app/dialogs/BatchAnalyzeDialog.h"

#include "app/controls/QtKeys.h"
#include "common/AtomicFile.h"
#include "common/Paths.h"
#include "common/TimeText.h"
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

#include <cmath>

namespace tlx::gui {

namespace {

QPushButton* Button(const char* name, const QString& caption, QWidget* parent) {
  auto* b = new QPushButton(caption, parent);
  b->setObjectName(QLatin1String(name));
  return b;
}

// A number typed with "." or ","; nullopt when the entry is empty.
bool ReadNumber(const QLineEdit* entry, std::optional<double>& value) {
  QString text = entry->text().trimmed();
  if (text.isEmpty()) return true;
  bool ok = false;
  const double v = text.replace(QLatin1Char(','), QLatin1Char('.')).toDouble(&ok);
  if (!ok || !std::isfinite(v)) return false;
  value = v;
  return true;
}

}  // namespace

BatchAnalyzeDialog::BatchAnalyzeDialog(const std::string& startDirectory, QWidget* parent)
    : QDialog(parent), directory_(FromPathText(startDirectory)) {
  setObjectName(QStringLiteral("frmBatchAnalyze"));
  setWindowTitle(QStringLiteral("Batch Analyze"));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(FilesBox());
  layout->addWidget(ParametersBox());
  layout->addWidget(OutputBox());

  progress_ = new QProgressBar(this);
  progress_->setObjectName(QStringLiteral("prgBatch"));
  progress_->setValue(0);
  status_ = new QLabel(this);
  status_->setObjectName(QStringLiteral("lblBatchStatus"));
  failures_ = new QListWidget(this);
  failures_->setObjectName(QStringLiteral("lstFailures"));
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
}

QWidget* BatchAnalyzeDialog::FilesBox() {
  auto* filesBox = new QGroupBox(QStringLiteral("Data files"), this);
  auto* filesLayout = new QVBoxLayout(filesBox);
  files_ = new QListWidget(filesBox);
  files_->setObjectName(QStringLiteral("lstDataFiles"));
  files_->setSelectionMode(QAbstractItemView::ExtendedSelection);
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
  const QDir dir(folder);
  QStringList paths;
  for (const QString& name : dir.entryList({QStringLiteral("*.dat")}, QDir::Files, QDir::Name)) {
    paths << dir.absoluteFilePath(name);
  }
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
  for (const std::string& data : request.DataPaths) {
    if (IsSameFile(data, AbsolutePath(output))) return refuse(QStringLiteral("The output table would replace a data file."));
  }
  AnalysisOverrides& o = request.Overrides;
  const QString session = sessionLength_->text().trimmed();
  if (!session.isEmpty()) {
    const double seconds = TimeTextToSeconds(ToPathText(session));
    if (!(seconds >= 0) || seconds > 2147483647.0) return refuse(QStringLiteral("The session length is not a duration."));
    o.SessionLength = static_cast<std::int32_t>(std::llround(seconds));
  }
  const std::pair<QLineEdit*, std::optional<double>*> numbers[] = {
      {maxDistance_, &o.MaximumDistance}, {ambulatory_, &o.AmbulatoryThreshold}, {stereotypic_, &o.StereotypicThreshold},
      {scale_, &o.CalibrateScale}, {reference_, &o.CalibrateReference}};
  for (const auto& [entry, value] : numbers) {
    if (!ReadNumber(entry, *value)) return refuse(QStringLiteral("Enter a number, or nothing for each file's own."));
  }
  if (units_->currentData().toInt() != 0) o.UnitsCode = units_->currentData().toInt();
  if (!map_->text().trimmed().isEmpty()) o.MapFile = AbsolutePath(ToPathText(map_->text().trimmed()));
  request.Format = format_->currentIndex() == 1 ? TidyFormat::JsonLines : TidyFormat::Csv;
  return request;
}

bool BatchAnalyzeDialog::Start() {
  if (Running()) return false;
  std::optional<TidyBatchRequest> request = Request();
  if (!request) return false;
  const std::string output = AbsolutePath(ToPathText(output_->text().trimmed()));
  failures_->clear();
  progress_->setRange(0, static_cast<int>(request->DataPaths.size()));
  progress_->setValue(0);
  status_->setText(QStringLiteral("Analysing %1 files...").arg(request->DataPaths.size()));
  cancelFlag_ = false;
  SetRunning(true);
  const int batch = ++batch_;
  worker_ = std::thread([this, request = std::move(*request), output, batch] {
    AtomicFileWriter out(output);
    TidyBatchReport report;
    report.OutputFailed = !out.IsOpen();
    if (out.IsOpen()) {
      const auto progress = [this, batch](std::size_t done, std::size_t total) {
        QMetaObject::invokeMethod(
            this, [this, done, total, batch] { if (batch == batch_) ShowProgress(done, total); }, Qt::QueuedConnection);
      };
      report = RunTidyBatch(request, [&out](std::string_view s) { return out.Write(s); }, progress, &cancelFlag_);
    }
    // The table is kept with the rows of the files that succeeded; a cancelled batch leaves none.
    const bool written = !report.Cancelled && !report.OutputFailed && out.Commit();
    if (!report.Cancelled && !written) report.OutputFailed = true;
    QMetaObject::invokeMethod(
        this, [this, report, written, batch] { if (batch == batch_) ShowOutcome(report, written); }, Qt::QueuedConnection);
  });
  return true;
}

void BatchAnalyzeDialog::Cancel() { cancelFlag_ = true; }

void BatchAnalyzeDialog::reject() {
  if (Running()) {
    Cancel();
    worker_.join();
    ++batch_;  // its outcome, still on its way, no longer applies
    SetRunning(false);
    status_->setText(QStringLiteral("Cancelled: no table was written."));
  }
  QDialog::reject();
}

void BatchAnalyzeDialog::ShowProgress(std::size_t done, std::size_t total) {
  progress_->setMaximum(static_cast<int>(total));
  progress_->setValue(static_cast<int>(done));
}

void BatchAnalyzeDialog::ShowOutcome(const TidyBatchReport& report, bool written) {
  if (worker_.joinable()) worker_.join();
  SetRunning(false);
  for (const TidyBatchFailure& f : report.Failures) failures_->addItem(FromProgramText(f.Reason));
  if (report.Cancelled) {
    status_->setText(QStringLiteral("Cancelled: no table was written."));
  } else if (!written) {
    status_->setText(QStringLiteral("The table %1 cannot be written.").arg(output_->text()));
  } else {
    status_->setText(QStringLiteral("%1 files analysed into %2; %3 failed.")
                         .arg(report.Analysed)
                         .arg(output_->text())
                         .arg(report.Failures.size()));
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
