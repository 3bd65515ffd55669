#include "run/RunRecovery.h"

#include "common/FileChecks.h"
#include "common/Paths.h"
#include "common/RecordingLock.h"
#include "data/DataFile.h"
#include "data/OutputPlan.h"
#include "data/SampleReader.h"
#include "run/RunJournal.h"
#include "run/RunTexts.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

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

// The header and the number of samples of a data file; false when the file is not one.
bool ReadDataFileHeader(const std::string& path, DataFileHeader& header, std::int64_t& samples) {
  SampleFile file;
  if (OpenSampleFile(path, file) != DataFileProblem::None || CheckDataFile(file, &header) != DataFileProblem::None)
    return false;
  samples = (file.Size() - static_cast<std::int64_t>(kDataHeaderSize)) / 2;
  return true;
}

// True when the data file is a data file whose header holds this start time: the run built it
// before it was interrupted.
bool DataFileOfRun(const std::string& dataPath, const LocalDateTime& start) {
  DataFileHeader header;
  std::int64_t samples = 0;
  return ReadDataFileHeader(dataPath, header, samples) && header.StartTime == DateToFileSeconds(start);
}

// The raw file a hand recovery is given: a name with the extension RAW in any case, or a name
// without extension whose raw file exists. Empty `refusal` when it is one that holds samples.
std::string RawFileToRecover(const std::string& given, std::string& refusal) {
  const bool hasExtension = FileNamePart(given).find('.') != std::string::npos;
  std::string raw = given;
  if (!hasExtension) {
    struct stat st{};
    if (::stat(given.c_str(), &st) == 0) {
      refusal = "The file " + given + " is not a raw file: recover takes the raw file (extension RAW) of an interrupted run.";
      return {};
    }
    raw = FindCompanionFile(given + ".RAW");
    if (raw.empty()) raw = given + ".RAW";
  } else if (ExtensionPart(given) != "RAW") {
    DataFileHeader header;
    std::int64_t samples = 0;
    refusal = "The file " + given +
              (ReadDataFileHeader(given, header, samples) ? " is a data file, not a raw file" : " is not a raw file") +
              ": recover takes the raw file (extension RAW) of an interrupted run.";
    return {};
  }
  struct stat st{};
  const int error = ::stat(raw.c_str(), &st) != 0 ? errno : S_ISREG(st.st_mode) ? 0 : EISDIR;
  if (error != 0) {
    refusal = "The raw file " + raw + " cannot be read: " + SystemReasonText(error) + ".";
    return {};
  }
  if (st.st_size < 2) {
    refusal = "The raw file " + raw + " holds no samples: there is nothing to recover.";
    return {};
  }
  return raw;
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

HandRecovery RecoverRawFile(const std::string& givenPath, ExperimentParameters p,
                            std::int16_t videoType, const ZoneMap& map, bool replaceDataFile,
                            const std::vector<std::string>& inputs) {
  HandRecovery out;
  std::string rawPath = RawFileToRecover(givenPath, out.Refusal);
  if (rawPath.empty()) return out;
  const std::string dataPath = RunDataPath(rawPath);
  OutputPlan plan;
  plan.OwnRecording(dataPath).Input(rawPath, "the raw file being recovered").Inputs(inputs, "a file being read");
  for (const char* extension : {"DAT", "MAP", "PRN"}) plan.Output(ChangeExtension(dataPath, extension));
  if (const OutputCheck check = plan.Check(); !check.Ready()) {
    out.Refusal = check.Text();
    return out;
  }
  RecordingLock lock;
  if (lock.Acquire(dataPath) != RecordingLock::Result::Locked) {
    out.Refusal = lock.RefusalText();
    return out;
  }
  // A data file with samples is a recording: it is never written over, whatever the case of its
  // extension.
  for (const std::string& existing : {dataPath, FindCompanionFile(dataPath)}) {
    DataFileHeader header;
    std::int64_t samples = 0;
    if (!existing.empty() && ReadDataFileHeader(existing, header, samples) && samples > 0) {
      out.Refusal = "The data file " + existing + " holds " + std::to_string(samples) +
                    " samples; it is never written over. Move it away to recover " + rawPath + ".";
      return out;
    }
  }
  if (FileExists(dataPath) && !replaceDataFile) {
    out.Refusal = "The data file " + dataPath + " exists; give --yes to replace it.";
    return out;
  }
  // The run's files are named from the data file, its raw file with the extension "RAW": a raw
  // file whose extension is written in another case is given that name first.
  if (rawPath != RunRawPath(dataPath)) {
    if (::link(rawPath.c_str(), RunRawPath(dataPath).c_str()) != 0) {
      out.Refusal = "The raw file " + rawPath + " cannot be renamed to " + RunRawPath(dataPath) + ": " +
                    SystemReasonText(errno) + ".";
      return out;
    }
    ::unlink(rawPath.c_str());
    rawPath = RunRawPath(dataPath);
  }
  out.RawPath = rawPath;
  struct stat st{};
  ::stat(rawPath.c_str(), &st);
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
