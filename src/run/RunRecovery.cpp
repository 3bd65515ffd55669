#include "run/RunRecovery.h"

#include "common/FileChecks.h"
#include "common/Paths.h"
#include "data/DataFile.h"
#include "run/RunJournal.h"
#include "run/RunTexts.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sys/types.h>

namespace tlx {
namespace {

// Temporary files of "path" are named "path.tmp~<pid>-<writer>"; those of processes that have
// ended are left-overs of an interrupted write.
void RemoveAbandonedTemporaries(const std::string& path) {
  const std::string prefix = FileNamePart(path) + ".tmp~";
  std::error_code ec;
  for (std::filesystem::directory_iterator it(DirectoryPart(path), ec), end; !ec && it != end;
       it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (name.rfind(prefix, 0) != 0) continue;
    const long pid = std::strtol(name.c_str() + prefix.size(), nullptr, 10);
    if (pid > 0 && ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH)
      std::filesystem::remove(it->path(), ec);
  }
}

// True when the data file is a data file whose header holds this start time: the run built it
// before it was interrupted.
bool DataFileOfRun(const std::string& dataPath, const LocalDateTime& start) {
  std::ifstream in(dataPath, std::ios::binary);
  unsigned char h[12] = {};
  if (!in.read(reinterpret_cast<char*>(h), sizeof h)) return false;
  const std::uint32_t seconds = h[8] | h[9] << 8 | h[10] << 16 | static_cast<std::uint32_t>(h[11]) << 24;
  return h[0] == 0xFD && h[1] == 0xAA && seconds == DateToFileSeconds(start);
}

}  // namespace

RecoveryResult OfferRunRecovery(const std::string& journalPath, UserAnswers& answers,
                                RunFilesOutcome* outcome) {
  if (!FileExists(journalPath)) return RecoveryResult::NoJournal;
  RunJournal journal;
  if (!ReadRunJournal(journalPath, journal)) {
    RemoveRunJournal(journalPath);
    return RecoveryResult::NoJournal;
  }
  RunFilesRequest request{journal.DataFile, journal.StartTime, journal.Parameters,
                          journal.VideoType, journal.Map};
  RunFilesOutcome result = PlannedRunFiles(journal.DataFile);
  for (const std::string* path : {&result.DataPath, &result.MapPath, &result.ResultsPath})
    RemoveAbandonedTemporaries(*path);

  if (FileExists(result.RawPath)) {
    if (answers.ShowMessage(RecoveryQuestion(journal.DataFile)) != MsgAnswer::Yes) {
      RemoveRunJournal(journalPath);
      return RecoveryResult::Declined;
    }
    result = WriteRunFiles(request, &answers);
  } else if (DataFileOfRun(result.DataPath, journal.StartTime)) {
    // The data file was built and the raw file removed; what came after it may be missing.
    result.DataWritten = true;
    WriteMapAndResults(request, result, &answers);
  } else {
    // The run ended just before its journal was removed: nothing is left to do.
    RemoveRunJournal(journalPath);
    return RecoveryResult::NoJournal;
  }
  if (outcome) *outcome = result;
  if (!result.Complete()) {
    answers.ShowMessage(RecoveryFailedMessage(journal.DataFile, result.Failures));
    return RecoveryResult::Failed;
  }
  RemoveRunJournal(journalPath);
  answers.ShowMessage(RecoveryDoneMessage(result.DataPath, result.Samples));
  return RecoveryResult::Recovered;
}

std::vector<RecoveryReport> OfferRunRecoveries(const std::string& programHome,
                                               UserAnswers& answers) {
  std::vector<RecoveryReport> reports;
  for (const std::string& journalPath : FindRunJournals(programHome)) {
    RecoveryReport report;
    RunJournal journal;
    if (ReadRunJournal(journalPath, journal)) report.DataFile = RunDataPath(journal.DataFile);
    report.Result = OfferRunRecovery(journalPath, answers, &report.Files);
    if (report.Result != RecoveryResult::NoJournal) reports.push_back(std::move(report));
  }
  return reports;
}

std::string RecoveryReportText(const RecoveryReport& r) {
  switch (r.Result) {
    case RecoveryResult::Recovered:
      return "An interrupted run was recovered into " + r.DataFile + " (" +
             std::to_string(r.Files.Samples) + " samples).";
    case RecoveryResult::Declined:
      return "An interrupted run into " + r.DataFile + " was not recovered; its raw file is kept.";
    case RecoveryResult::Failed: {
      std::string text = "An interrupted run into " + r.DataFile + " could not be recovered;";
      text += r.Files.DataWritten ? " its data file is kept." : " its raw file is kept.";
      for (const std::string& failure : r.Files.Failures) text += " " + failure;
      return text;
    }
    case RecoveryResult::NoJournal: break;
  }
  return {};
}

}  // namespace tlx
