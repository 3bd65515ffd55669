#include "data/RecordingService.h"

#include "common/AtomicFile.h"
#include "common/Paths.h"
#include "common/SettingsLine.h"
#include "common/Texts.h"
#include "common/TimeText.h"
#include "data/Reanalysis.h"
#include "data/SampleRange.h"
#include "data/SummaryProgram.h"
#include "setup/ParameterRules.h"
#include "setup/Units.h"
#include "zonemap/MapFile.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <dirent.h>
#include <sys/stat.h>

namespace tlx {

namespace {

bool PathExists(const std::string& path) {
  struct stat st{};
  return ::stat(path.c_str(), &st) == 0;
}

}  // namespace


OpenResult ReadRecordingToOpen(const std::string& path, UserAnswers& answers, SummaryProgram* summary,
                               DataFileInfo& info) {
  if (!PathExists(path)) return OpenResult::Missing;
  DataFileInfo read;
  if (DataFileVersion(path) != 3 || !LoadDataFileInfo(path, read)) {
    if (SameText(ExtensionPart(path), "CSV")) {
      if (summary) summary->Start(path);
      return OpenResult::HandedToSummaryProgram;
    }
    answers.ShowMessage({kInvalidFormatCaption, InvalidFormatText(path), MsgIcon::Exclamation, MsgButtons::Ok});
    return OpenResult::Refused;
  }
  info = read;
  return OpenResult::Opened;
}

OpenResult LoadRecording(const DataFileInfo& info, OpenDataFile& open) {
  OpenDataFile r;
  r.Info = info;
  r.SessionLength = info.SessionLength;
  r.UnitsCode = info.UnitsCode;
  // The results the run wrote, and the session length and unit they were analysed with: the
  // table and the sessions shown beside it agree. The record itself stays as recorded.
  ResultsHeaderValues header;
  LoadResultsTable(RunResultsPath(info.Path), r.Table, &header);
  if (header.HaveSessionLength && header.SessionLength > 0) r.SessionLength = header.SessionLength;
  if (header.HaveUnits) r.UnitsCode = header.UnitsCode;
  RecordingMap map = MapOfRecording(info.Path);
  r.Map = std::move(map.Map);
  r.MapFile = std::move(map.File);
  r.Sessions = SplitIntoSessions(info.SampleCount(), info.SampleRate, r.SessionLength).Sessions;
  open = std::move(r);
  return open.Sessions == 0 ? OpenResult::Empty : OpenResult::Opened;
}

bool NaturalLess(const std::string& a, const std::string& b) {
  std::size_t i = 0, j = 0;
  const auto digit = [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; };
  while (i < a.size() && j < b.size()) {
    if (digit(a[i]) && digit(b[j])) {
      std::size_t ei = i, ej = j;
      while (ei < a.size() && digit(a[ei])) ++ei;
      while (ej < b.size() && digit(b[ej])) ++ej;
      // Leading zeros do not count: the longer run of significant digits is the larger number.
      std::size_t si = i, sj = j;
      while (si + 1 < ei && a[si] == '0') ++si;
      while (sj + 1 < ej && b[sj] == '0') ++sj;
      if (ei - si != ej - sj) return ei - si < ej - sj;
      const int c = a.compare(si, ei - si, b, sj, ej - sj);
      if (c != 0) return c < 0;
      i = ei;
      j = ej;
      continue;
    }
    const int ca = std::tolower(static_cast<unsigned char>(a[i]));
    const int cb = std::tolower(static_cast<unsigned char>(b[j]));
    if (ca != cb) return ca < cb;
    ++i;
    ++j;
  }
  if (a.size() - i != b.size() - j) return a.size() - i < b.size() - j;
  return a < b;  // equal but for case or zeros: a fixed order all the same
}

std::vector<std::string> RecordingsInFolder(const std::string& folder) {
  std::vector<std::string> names;
  if (DIR* dir = ::opendir(folder.c_str())) {
    while (const dirent* entry = ::readdir(dir)) {
      const std::string name = entry->d_name;
      if (!SameText(ExtensionPart(name), "DAT")) continue;
      struct stat st{};
      if (::stat(JoinPath(folder, name).c_str(), &st) == 0 && S_ISREG(st.st_mode)) names.push_back(name);
    }
    ::closedir(dir);
  }
  std::sort(names.begin(), names.end(), NaturalLess);
  for (std::string& name : names) name = JoinPath(folder, name);
  return names;
}

OutputCheck CheckBatchOutput(const TidyBatchRequest& request, const std::string& outputPath) {
  OutputPlan plan;
  plan.Inputs(request.DataPaths, "a data file being analysed").Output(outputPath);
  if (request.Overrides.MapFile && !request.Overrides.MapFile->empty())
    plan.Input(*request.Overrides.MapFile, "the zone map being read");
  return plan.Check();
}

BatchFileOutcome RunTidyBatchToFile(const TidyBatchRequest& request, const std::string& outputPath,
                                    const std::function<void(std::size_t, std::size_t)>& progress,
                                    const std::atomic<bool>* cancel) {
  BatchFileOutcome outcome;
  if (const OutputCheck check = CheckBatchOutput(request, outputPath); !check.Ready()) {
    outcome.Status = BatchFileStatus::Refused;
    outcome.Refusal = check.Text();
    return outcome;
  }
  AtomicFileWriter file(outputPath);
  if (!file.IsOpen()) {
    outcome.Status = BatchFileStatus::NotWritable;
    outcome.Refusal = OutputFailureText(outputPath, file.Error());
    outcome.Report.OutputFailed = true;
    return outcome;
  }
  outcome.Report = RunTidyBatch(request, [&file](std::string_view piece) { return file.Write(piece); }, progress, cancel);
  if (outcome.Report.Cancelled) {
    outcome.Status = BatchFileStatus::Cancelled;
  } else if (outcome.Report.OutputFailed || !file.Commit()) {
    outcome.Report.OutputFailed = true;
    outcome.Status = BatchFileStatus::NotWritable;
    outcome.Refusal = OutputFailureText(outputPath, file.Error());
  }
  return outcome;
}

namespace {

// The keys of the batch choices file, each with its text in the record.
template <class Choices, class Texts>
auto ChoiceTexts(Choices& c, Texts& t) {
  return std::array{std::pair{"Session Length", &t.SessionLength}, std::pair{"Maximum Distance", &t.MaximumDistance},
                    std::pair{"Ambulatory Threshold", &t.AmbulatoryThreshold},
                    std::pair{"Stereotypic Threshold", &t.StereotypicThreshold},
                    std::pair{"Calibrate Scale", &t.CalibrateScale}, std::pair{"Calibrate Reference", &t.CalibrateReference},
                    std::pair{"Units", &t.Units}, std::pair{"Map File", &t.MapFile}, std::pair{"Output", &c.Output}};
}

}  // namespace

BatchChoices LoadBatchChoices(const std::string& home) {
  BatchChoices c;
  c.Loaded = true;
  std::string text;
  if (!ReadWholeFile(JoinPath(home, kBatchChoicesFileName), text, std::size_t(16) << 20)) return c;
  const auto texts = ChoiceTexts(c, c.Parameters);
  for (const std::string& line : SplitLines(text)) {
    const std::size_t equals = line.find('=');
    if (equals == std::string::npos) continue;
    const std::string key = Trim(line.substr(0, equals));
    const std::string value = Unquote(Trim(line.substr(equals + 1)));
    if (SameText(key, "Data File")) {
      if (!value.empty()) c.DataFiles.push_back(value);
    } else if (SameText(key, "Format")) {
      c.JsonLines = SameText(value, "JSON");
    } else {
      for (const auto& [name, field] : texts) {
        if (SameText(key, name)) *field = value;
      }
    }
  }
  return c;
}

bool SaveBatchChoices(const std::string& home, const BatchChoices& choices) {
  BatchChoices c = choices;
  std::string text;
  for (const std::string& path : c.DataFiles) text += "Data File = " + Quote(path) + "\n";
  for (const auto& [name, field] : ChoiceTexts(c, c.Parameters)) {
    // Line breaks cannot be stored; such a text is not a value anyway.
    if (field->find_first_of("\r\n") == std::string::npos) text += std::string(name) + " = " + Quote(*field) + "\n";
  }
  text += std::string("Format = ") + (c.JsonLines ? "JSON" : "CSV") + "\n";
  return WriteFileAtomically(JoinPath(home, kBatchChoicesFileName), text);
}

}  // namespace tlx
