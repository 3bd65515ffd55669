#include "run/RunRecovery.h"

#include "common/FileChecks.h"
#include "common/Paths.h"
#include "common/RecordingLock.h"
#include "data/DataFile.h"
#include "run/RunJournal.h"
#include "run/RunTexts.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
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

std::int64_t StartKey(const RunJournal& j) {
  return static_cast<std::int64_t>(DateToFileSeconds(j.StartTime)) * 1000 + j.StartTime.millisecond;
}

}  // namespace

RecoveryResult OfferRunRecovery(const std::string& journalPath, UserAnswers& answers,
                                RunFilesOutcome* outcome, std::string* why) {
  if (!FileExists(journalPath)) return RecoveryResult::NoJournal;
  // A journal that cannot be used now is kept, and said so at every start, until it can.
  auto keep = [&](const std::string& text) {
    if (why) *why = text;
    answers.ShowMessage(RecoveryKeptMessage(text));
    return RecoveryResult::Kept;
  };
  RunJournal journal;
  if (!ReadRunJournal(journalPath, journal))
    return keep("The journal " + journalPath +
                " of an interrupted run cannot be read; it is kept. Recover its raw file with "
                "\"tracelux-cli recover\", then remove the journal.");
  const std::string dataPath = RunDataPath(journal.DataFile);
  RecordingId id;
  int error = 0;
  if (!IdentifyRecording(dataPath, id, &error))
    return keep("An interrupted run into " + dataPath +
                " waits for recovery: its folder cannot be reached (" + SystemReasonText(error) +
                "); its journal is kept.");
  RecordingLock lock;
  if (lock.Acquire(dataPath) != RecordingLock::Result::Locked)
    return keep(lock.RefusalText() + " Its journal " + journalPath + " is kept.");
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
  struct Found {
    std::string path;
    RunJournal journal;
    RecordingId id;
    bool known = false;
  };
  std::vector<Found> found;
  for (const std::string& journalPath : FindRunJournals(programHome)) {
    Found f{journalPath, {}, {}, false};
    f.known = ReadRunJournal(journalPath, f.journal) && IdentifyRecording(f.journal.DataFile, f.id);
    found.push_back(std::move(f));
  }
  std::vector<RecoveryReport> reports;
  for (const Found& f : found) {
    RecoveryReport report;
    if (!f.journal.DataFile.empty()) report.DataFile = RunDataPath(f.journal.DataFile);
    // The raw file holds the latest run that started recording into it; an older journal of
    // the same recording describes a run whose samples are no longer there.
    const auto newer = std::find_if(found.begin(), found.end(), [&f](const Found& other) {
      return f.known && other.known && &other != &f && other.id == f.id &&
             std::pair(StartKey(other.journal), other.path) > std::pair(StartKey(f.journal), f.path);
    });
    if (newer != found.end()) {
      RemoveRunJournal(f.path);
      report.Result = RecoveryResult::Superseded;
      report.Why = "The journal " + f.path + " of an older run into " + report.DataFile +
                   " was removed: the journal " + newer->path + " names the run its raw file holds.";
      answers.ShowMessage(RecoveryKeptMessage(report.Why));
    } else {
      report.Result = OfferRunRecovery(f.path, answers, &report.Files, &report.Why);
    }
    if (report.Result != RecoveryResult::NoJournal) reports.push_back(std::move(report));
  }
  return reports;
}

std::int64_t UnrecoveredSamples(const std::string& dataFile) {
  std::error_code ec;
  const auto bytes = std::filesystem::file_size(RunRawPath(dataFile), ec);
  return ec ? 0 : static_cast<std::int64_t>(bytes / 2);
}

std::string UnrecoveredRecordingText(const std::string& dataFile, std::int64_t samples) {
  const std::string raw = RunRawPath(dataFile);
  return raw + " holds " + std::to_string(samples) +
         " samples of an interrupted run that cannot be recovered automatically; it is never "
         "recorded over. Its journal is in another program home (a start with that home "
         "recovers it), damaged or lost: recover it by hand with \"tracelux-cli recover " + raw +
         " --setup SETUP.EXP\" (the setup of that run), or move it away.";
}

HandRecovery RecoverRawFile(const std::string& rawPath, ExperimentParameters p,
                            std::int16_t videoType, const ZoneMap& map, bool replaceDataFile) {
  HandRecovery out;
  const std::string dataPath = RunDataPath(rawPath);
  RecordingLock lock;
  if (lock.Acquire(dataPath) != RecordingLock::Result::Locked) {
    out.Refusal = lock.RefusalText();
    return out;
  }
  struct stat st{};
  const int error = ::stat(rawPath.c_str(), &st) != 0 ? errno : S_ISREG(st.st_mode) ? 0 : EISDIR;
  if (error != 0) {
    out.Refusal = "The raw file " + rawPath + " cannot be read: " + SystemReasonText(error) + ".";
    return out;
  }
  if (FileExists(dataPath) && !replaceDataFile) {
    out.Refusal = "The data file " + dataPath + " exists; give --yes to replace it.";
    return out;
  }
  if (p.SampleRate < 1) p.SampleRate = 1;
  p.DataFile = dataPath;
  p.SaveData = true;
  const std::time_t start = st.st_mtime - static_cast<std::time_t>(st.st_size / 2 / p.SampleRate);
  std::tm local{};
  localtime_r(&start, &local);
  out.Start = LocalDateTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                            local.tm_min, local.tm_sec, 0};
  for (const char* extension : {"DAT", "MAP", "PRN"})
    RemoveAbandonedTemporaries(ChangeExtension(dataPath, extension));
  out.Files = WriteRunFiles(RunFilesRequest{dataPath, out.Start, p, videoType, map}, nullptr);
  return out;
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
    case RecoveryResult::Kept:
    case RecoveryResult::Superseded: return r.Why;
    case RecoveryResult::NoJournal: break;
  }
  return {};
}

}  // namespace tlx
