#include "data/RecordingService.h"

#include "setup/ParameterRules.h"

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

// The map saved beside the data file, and the one a "Map Filename" line of the run's results
// names when that file can be read.
void LoadMaps(OpenDataFile& r, const ResultsHeaderValues& header) {
  const std::string companion = FindCompanionFile(ChangeExtension(r.Info.Path, "MAP"));
  ZoneMap map;
  if (!companion.empty() && ReadMapFile(companion, map)) {
    r.MapFile = companion;
    r.Map = map;
  }
  if (header.HaveMapFile && !header.MapFile.empty() && ReadMapFile(header.MapFile, map)) {
    r.MapFile = header.MapFile;
    r.Map = map;
  }
}

std::string Quoted(const std::string& text) { return "'" + text + "'"; }

}  // namespace

bool ParseNumber(const std::string& typed, bool decimalComma, std::optional<double>& value) {
  std::string text = Trim(typed);
  if (text.empty()) return true;
  if (decimalComma && text.find(',') != std::string::npos && text.find('.') == std::string::npos) {
    text[text.find(',')] = '.';
  }
  const char* first = text.data();
  const char* last = first + text.size();
  if (*first == '+') ++first;
  double v = 0;
  const auto [ptr, ec] = std::from_chars(first, last, v);
  if (ec != std::errc() || ptr != last || !std::isfinite(v)) return false;
  value = v;
  return true;
}

bool ParseDuration(const std::string& typed, std::optional<std::int32_t>& value) {
  const std::string text = Trim(typed);
  if (text.empty()) return true;
  const bool plausible = std::isdigit(static_cast<unsigned char>(text[0])) != 0 &&
                         text.find_first_not_of("0123456789:.") == std::string::npos;
  const double seconds = plausible ? TimeTextToSeconds(text) : -1;
  if (!(seconds >= 0) || seconds > 2147483647.0) return false;
  value = static_cast<std::int32_t>(std::llround(seconds));
  return true;
}

bool ParseUnits(const std::string& typed, std::optional<std::int32_t>& value) {
  const std::string text = Trim(typed);
  if (text.empty()) return true;
  for (std::int32_t code = kFirstUnitCode; code <= kLastUnitCode; ++code) {
    if (SameText(text, UnitListEntry(code))) {
      value = code;
      return true;
    }
  }
  return false;
}

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
  LoadMaps(r, header);
  r.Sessions = SessionCount(info.SampleCount(), SamplesPerSession(r.SessionLength, info.SampleRate));
  open = std::move(r);
  return open.Sessions == 0 ? OpenResult::Empty : OpenResult::Opened;
}

OverrideProblem ParseOverrides(const OverrideTexts& t, AnalysisOverrides& out, bool decimalComma) {
  AnalysisOverrides v;
  const auto problem = [](OverrideField field, const std::string& text, const char* what) {
    return OverrideProblem{field, Quoted(text) + " is not a " + what};
  };
  if (!ParseDuration(t.SessionLength, v.SessionLength)) {
    return problem(OverrideField::SessionLength, t.SessionLength, "duration");
  }
  const std::tuple<OverrideField, const std::string&, std::optional<double>&> numbers[] = {
      {OverrideField::MaximumDistance, t.MaximumDistance, v.MaximumDistance},
      {OverrideField::AmbulatoryThreshold, t.AmbulatoryThreshold, v.AmbulatoryThreshold},
      {OverrideField::StereotypicThreshold, t.StereotypicThreshold, v.StereotypicThreshold},
      {OverrideField::CalibrateScale, t.CalibrateScale, v.CalibrateScale},
      {OverrideField::CalibrateReference, t.CalibrateReference, v.CalibrateReference}};
  for (const auto& [field, text, value] : numbers) {
    if (!ParseNumber(text, decimalComma, value)) return problem(field, text, "number");
  }
  if (!ParseUnits(t.Units, v.UnitsCode)) return problem(OverrideField::Units, t.Units, "unit name");
  if (!Trim(t.MapFile).empty()) v.MapFile = AbsolutePath(Trim(t.MapFile));
  // The limits of the values themselves (a session length of 0 and the like) are checked here,
  // once, for every front end: a value no analysis can have is an error, never a table.
  const auto limit = [](OverrideField field, std::string why) { return OverrideProblem{field, std::move(why)}; };
  if (v.SessionLength) {
    if (auto why = AnalysisSessionLengthProblem(*v.SessionLength); !why.empty()) return limit(OverrideField::SessionLength, why);
  }
  for (const auto& [field, text, value] : numbers) {
    if (!value) continue;
    std::string why = field == OverrideField::CalibrateScale       ? CalibrateScaleProblem(*value)
                      : field == OverrideField::CalibrateReference ? CalibrateReferenceProblem(*value)
                                                                   : PixelDistanceProblem(*value);
    if (!why.empty()) return limit(field, std::move(why));
  }
  out = std::move(v);
  return {};
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
