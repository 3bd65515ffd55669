// Batch Analyze: many data files (or a folder of them) into one tidy table. The parameters
// default to each file's own; the batch runs off the window's thread with a progress bar and
// Cancel, and a file that fails is listed with its reason while the others complete. The files,
// parameters and output are the program's batch choices: shown when the window opens, kept in
// the program home when a batch starts or the window closes.
#pragma once

#include "common/UserAnswers.h"
#include "data/RecordingService.h"

#include <QDialog>

#include <array>
#include <atomic>
#include <optional>
#include <string>
#include <thread>
#include <utility>

class QComboBox;
class QFormLayout;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;

namespace tlx::gui {

class BatchAnalyzeDialog : public QDialog {
  Q_OBJECT

 public:
  BatchAnalyzeDialog(BatchChoices& choices, std::string home, const std::string& startDirectory,
                     UserAnswers& answers, QWidget* parent = nullptr);
  ~BatchAnalyzeDialog() override;

  // The files of the table, in order; files already listed are not added again.
  void AddDataFiles(const QStringList& paths);
  // Every data file (extension DAT in any case) of the folder, in natural order.
  void AddFolder(const QString& folder);
  void SetOutputPath(const QString& path);
  // Starts the batch; false (with the reason in the status line) when the entries do not allow it
  // or the user keeps the table that is already there.
  bool Start();
  void Cancel();
  bool Running() const { return worker_.joinable(); }

  QListWidget* DataFiles() const { return files_; }
  QListWidget* Failures() const { return failures_; }
  QLabel* Status() const { return status_; }
  QProgressBar* Progress() const { return progress_; }

 signals:
  void Finished();

 public slots:
  void reject() override;

 private:
  QWidget* FilesBox();
  QWidget* ParametersBox();
  QWidget* OutputBox();
  QLineEdit* AddEntry(const char* name, const QString& caption, QFormLayout* form);
  // The request from the entries; nullopt with the reason shown when an entry is not valid.
  std::optional<TidyBatchRequest> Request();
  void ShowProgress(std::size_t done, std::size_t total);
  void ShowOutcome(const BatchFileOutcome& outcome);
  void ChooseFiles();
  void ChooseFolder();
  void ChooseMap();
  void ChooseOutput();
  void SetRunning(bool running);
  // The parameter entries, each with the text of OverrideTexts it holds.
  std::array<std::pair<QLineEdit*, std::string OverrideTexts::*>, 7> ParameterEntries() const;
  OverrideTexts TypedParameters() const;
  void ShowChoices();
  // The entries into the program's batch choices, and those into the program home.
  void Remember();

  BatchChoices& choices_;
  const std::string home_;
  UserAnswers& answers_;
  QString directory_;
  QListWidget* files_;
  QLineEdit* sessionLength_;
  QLineEdit* maxDistance_;
  QLineEdit* ambulatory_;
  QLineEdit* stereotypic_;
  QLineEdit* scale_;
  QLineEdit* reference_;
  QComboBox* units_;
  QLineEdit* map_;
  QLineEdit* output_;
  QComboBox* format_;
  QProgressBar* progress_;
  QLabel* status_;
  QListWidget* failures_;
  QPushButton* run_;
  QPushButton* cancel_;
  QPushButton* close_;
  std::thread worker_;
  std::atomic<bool> cancelFlag_{false};
  int batch_ = 0;  // news from an earlier batch (closed before it reported) is ignored
};

}  // namespace tlx::gui
