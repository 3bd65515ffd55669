// tracelux-cli analyze: the activity analysis of one or many data files (results file or results
// export); export-samples: the sample export; info: a data file's recorded header and tracking quality.
#include "cli/Commands.h"
#include "cli/HelpText.h"

#include "common/AtomicFile.h"
#include "common/FileChecks.h"
#include "common/Numbers.h"
#include "common/Paths.h"
#include "common/Spool.h"
#include "common/Texts.h"
#include "common/TimeText.h"
#include "data/Export.h"
#include "data/OutputPlan.h"
#include "data/Reanalysis.h"
#include "data/ResultsFile.h"
#include "data/ResultsTable.h"
#include "data/RecordingService.h"
#include "data/SampleRange.h"
#include "data/TidyBatch.h"
#include "data/TidyTable.h"
#include "data/TrackingQuality.h"
#include "setup/Units.h"

#include <CLI/CLI.hpp>

#include <atomic>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <memory>
#include <set>
#include <thread>

namespace tlx::cli {
namespace {

constexpr const char* kStdoutFailure = "The standard output cannot be written.";

// Standard output that fails (a full disk, a closed descriptor) fails the command instead of
// reporting success over a cut-short output.
bool WriteOut(std::string_view bytes) {
  WriteStdout(std::string(bytes));
  return std::ferror(stdout) == 0;
}

void WriteOutOrFail(std::string_view bytes) {
  if (!WriteOut(bytes)) throw CliFailure(kStdoutFailure);
}

// What waited in the spool, to standard output; `readFailure` when it cannot be read back.
void SpoolToStdout(Spool& spool, const std::string& readFailure) {
  bool outputFailed = false;
  const bool copied = spool.CopyTo([&outputFailed](std::string_view piece) {
    outputFailed = !WriteOut(piece);
    return !outputFailed;
  });
  if (outputFailed) throw CliFailure(kStdoutFailure);
  if (!copied) throw CliFailure(readFailure);
}

struct DecimalChoice {
  bool comma = false;
  bool point = false;
  char Separator() const {
    if (comma) return ',';
    if (point) return '.';
    return LocaleDecimalSeparator() == ',' ? ',' : '.';
  }
};

struct AnalyzeOptions {
  std::vector<std::string> data;
  std::string output;
  std::string outputDir;
  int jobs = 0;
  std::string format = "results";
  bool noHeader = false;
  std::string sessionLength, maxDistance, ambulatory, stereotypic, scale, reference, units, map;
  DecimalChoice decimal;
};

const char* OptionOf(OverrideField field) {
  switch (field) {
    case OverrideField::SessionLength: return "--session-length";
    case OverrideField::MaximumDistance: return "--max-distance";
    case OverrideField::AmbulatoryThreshold: return "--ambulatory";
    case OverrideField::StereotypicThreshold: return "--stereotypic";
    case OverrideField::CalibrateScale: return "--scale";
    case OverrideField::CalibrateReference: return "--reference";
    case OverrideField::Units: return "--units";
    case OverrideField::None: break;
  }
  return "";
}

}  // namespace

// The option parsers shared with "setup new" (declared in Commands.h), over the core's readings.
double ParseNumber(const std::string& text, const char* option) {
  std::optional<double> value;
  if (!tlx::ParseNumber(text, false, value) || !value) throw CLI::ValidationError(option, NotAValueText(text, "number"));
  return *value;
}

std::int64_t ParseWholeNumber(const std::string& text, const char* option) {
  std::optional<std::int64_t> value;
  if (!tlx::ParseWholeNumber(text, value) || !value) throw CLI::ValidationError(option, NotAValueText(text, "whole number"));
  return *value;
}

std::int32_t ParseDuration(const std::string& text, const char* option) {
  std::optional<std::int32_t> value;
  const DurationReading reading = tlx::ParseDuration(text, value);
  if (reading != DurationReading::Read || !value) throw CLI::ValidationError(option, DurationRefusal(text, reading));
  return *value;
}

std::int32_t ParseUnits(const std::string& text) {
  std::optional<std::int32_t> value;
  if (!tlx::ParseUnits(text, value) || !value) throw CLI::ValidationError("--units", NotAValueText(text, "unit name"));
  return *value;
}

namespace {

AnalysisOverrides OverridesFrom(const AnalyzeOptions& o) {
  AnalysisOverrides v;
  const OverrideProblem problem = ParseOverrides(
      {o.sessionLength, o.maxDistance, o.ambulatory, o.stereotypic, o.scale, o.reference, o.units, o.map}, v);
  if (problem.Field != OverrideField::None) throw CLI::ValidationError(OptionOf(problem.Field), problem.Why);
  return v;
}

// The outcome of one data file: its output text (when it goes to standard output) or a failure.
struct FileJob {
  std::string dataPath;
  std::string outputPath;  // empty: standard output
  std::string text;
  // Results bound for standard output wait in a spool, so that nothing is printed for a file that
  // fails and memory does not grow with the output.
  std::unique_ptr<Spool> spool;
  std::string failure;
};

void PrepareOrFail(FileJob& job, const AnalysisOverrides& overrides, PreparedAnalysis& prepared) {
  const PrepareProblem problem = PrepareAnalysis(job.dataPath, overrides, prepared);
  switch (problem) {
    case PrepareProblem::None: return;
    case PrepareProblem::NotDataFile:
    case PrepareProblem::MapNotValid:
      throw CliFailure(PrepareFailureText(problem, job.dataPath, overrides));
  }
}

std::string ExportFromResults(const PreparedAnalysis& prepared, const std::string& resultsText,
                              char decimal, bool withHeader) {
  ResultsTable table;
  ParseResultsText(resultsText, table, nullptr);
  ResultsExportHeader header;
  header.DataFilePath = prepared.Context.DataFilePath;
  header.MapFile = prepared.Context.MapFileName;
  header.Start = prepared.Context.Start;
  header.SessionLength = prepared.Params.SessionLength;
  header.UnitsCode = prepared.Params.UnitsCode;
  std::string text = ResultsExportText(header, table, decimal);
  if (!withHeader) {
    // Drop the five header lines.
    std::size_t at = 0;
    for (int i = 0; i < 5 && at != std::string::npos; ++i) {
      at = text.find("\r\n", at);
      if (at != std::string::npos) at += 2;
    }
    text.erase(0, at == std::string::npos ? text.size() : at);
  }
  return text;
}

void AnalyzeOne(FileJob& job, const AnalyzeOptions& o, const AnalysisOverrides& overrides, char decimal) {
  PreparedAnalysis prepared;
  PrepareOrFail(job, overrides, prepared);
  AnalysisOptions options;
  options.DecimalSeparator = decimal;
  options.WriteHeader = o.format == "export" || !o.noHeader;
  if (o.format == "results" && !job.outputPath.empty()) {
    const AnalysisOutcome outcome =
        AnalyzeDataFile(job.dataPath, job.outputPath, prepared.Params, prepared.Context, options);
    if (!outcome.Ok()) throw CliFailure(AnalysisFailureText(outcome, job.dataPath, job.outputPath));
    return;
  }
  if (o.format == "results") {
    job.spool = std::make_unique<Spool>();
    Spool* spool = job.spool.get();
    const ResultsSink toSpool = [spool](std::string_view piece) { return spool->Write(piece); };
    const AnalysisOutcome outcome =
        AnalyzeDataFileTo(job.dataPath, toSpool, prepared.Params, prepared.Context, options);
    if (!outcome.Ok()) throw CliFailure(AnalysisFailureText(outcome, job.dataPath, "(temporary file)"));
    return;
  }
  std::string text;
  const ResultsSink sink = [&text](std::string_view piece) {
    text += piece;
    return true;
  };
  const AnalysisOutcome outcome =
      AnalyzeDataFileTo(job.dataPath, sink, prepared.Params, prepared.Context, options);
  if (!outcome.Ok()) throw CliFailure(AnalysisFailureText(outcome, job.dataPath, job.outputPath));
  if (o.format == "export") text = ExportFromResults(prepared, text, decimal, !o.noHeader);
  if (job.outputPath.empty()) {
    job.text = std::move(text);
  } else if (int error = 0; !WriteFileAtomically(job.outputPath, text, &error)) {
    throw CliFailure(OutputFailureText(job.outputPath, error));
  }
}

void RunJobs(std::vector<FileJob>& jobs, const AnalyzeOptions& o, const AnalysisOverrides& overrides) {
  // The locale is asked once, before the workers start: its answer lives in shared static storage.
  const char decimal = o.decimal.Separator();
  const unsigned hardware = std::max(1u, std::thread::hardware_concurrency());
  const std::size_t threads =
      std::min<std::size_t>(jobs.size(), o.jobs > 0 ? static_cast<std::size_t>(o.jobs) : hardware);
  std::atomic<std::size_t> next{0};
  auto worker = [&]() {
    for (std::size_t i = next++; i < jobs.size(); i = next++) {
      if (!jobs[i].failure.empty()) continue;
      try {
        AnalyzeOne(jobs[i], o, overrides, decimal);
      } catch (const CliFailure& e) {
        jobs[i].failure = e.what();
      } catch (const std::exception& e) {
        jobs[i].failure = "The file " + jobs[i].dataPath + " could not be analysed: " + e.what();
      }
    }
  };
  std::vector<std::thread> pool;
  for (std::size_t t = 1; t < threads; ++t) pool.emplace_back(worker);
  worker();
  for (std::thread& t : pool) t.join();
}

bool IsTidy(const AnalyzeOptions& o) { return o.format == "tidy" || o.format == "tidy-json"; }

// Every file's rows in one table, to -o FILE or standard output. With -o the rows of the files that
// did succeed are kept even when others fail; standard output receives nothing when any file fails.
void RunTidy(const AnalyzeOptions& o, const AnalysisOverrides& overrides) {
  if (!o.outputDir.empty()) throw CLI::ValidationError("--output-dir", "the tidy formats write one table: use -o");
  TidyBatchRequest request;
  request.Overrides = overrides;
  request.Format = o.format == "tidy" ? TidyFormat::Csv : TidyFormat::JsonLines;
  request.Header = !o.noHeader;
  request.Jobs = static_cast<unsigned>(o.jobs);
  for (const std::string& d : o.data) request.DataPaths.push_back(AbsolutePath(d));
  const std::string outputPath = o.output.empty() ? std::string() : AbsolutePath(o.output);
  TidyBatchReport report;
  Spool spool;
  if (outputPath.empty()) {
    report = RunTidyBatch(request, [&spool](std::string_view piece) { return spool.Write(piece); });
    if (report.OutputFailed) throw CliFailure("The file (temporary file) cannot be written.");
  } else {
    const BatchFileOutcome outcome = RunTidyBatchToFile(request, outputPath);
    if (outcome.Status == BatchFileStatus::Cancelled) throw CliFailure("The analysis was cancelled.");
    if (outcome.Status != BatchFileStatus::Written) throw CliFailure(outcome.Refusal);
    report = outcome.Report;
  }
  std::string failures;
  for (const TidyBatchFailure& f : report.Failures) failures += (failures.empty() ? "" : "\n") + f.Reason;
  if (!failures.empty()) throw CliFailure(failures);
  if (outputPath.empty()) SpoolToStdout(spool, "The table cannot be read back from its temporary file.");
}

void RunAnalyze(const AnalyzeOptions& o) {
  if (o.format != "results" && o.format != "export" && !IsTidy(o)) {
    throw CLI::ValidationError("--format", "must be results, export, tidy or tidy-json");
  }
  if (IsTidy(o)) {
    RunTidy(o, OverridesFrom(o));
    return;
  }
  if (o.data.size() > 1 && !o.output.empty()) throw CLI::ValidationError("-o", "takes one DATA only");
  if (o.data.size() > 1 && o.outputDir.empty()) {
    throw CLI::ValidationError("DATA", "several data files need --output-dir");
  }
  const AnalysisOverrides overrides = OverridesFrom(o);
  std::vector<FileJob> jobs;
  std::set<std::string> outputs;
  for (const std::string& d : o.data) {
    FileJob job;
    job.dataPath = AbsolutePath(d);
    if (!o.output.empty()) job.outputPath = AbsolutePath(o.output);
    if (!o.outputDir.empty()) {
      job.outputPath = JoinPath(AbsolutePath(o.outputDir), ChangeExtension(FileNamePart(job.dataPath), "CSV"));
      if (!outputs.insert(job.outputPath).second) {
        throw CLI::ValidationError("--output-dir", "two data files would both be written to " + job.outputPath);
      }
    }
    jobs.push_back(std::move(job));
  }
  if (!o.outputDir.empty() && !EnsureDirectory(AbsolutePath(o.outputDir))) {
    throw CliFailure("The directory " + AbsolutePath(o.outputDir) + " cannot be created.");
  }
  // Each output is checked against every file read: no output replaces a data file, a map being
  // read or any recording.
  OutputPlan inputs;
  for (const FileJob& job : jobs) inputs.Input(job.dataPath, "a data file being analysed");
  if (!o.map.empty()) inputs.Input(AbsolutePath(o.map), "the zone map being read");
  for (FileJob& job : jobs) {
    if (job.outputPath.empty()) continue;
    OutputPlan plan = inputs;
    if (const OutputCheck check = plan.Output(job.outputPath).Check(); !check.Ready()) job.failure = check.Text();
  }
  RunJobs(jobs, o, overrides);
  std::string failures;
  for (const FileJob& job : jobs) {
    if (!job.failure.empty()) failures += (failures.empty() ? "" : "\n") + job.failure;
  }
  if (!failures.empty()) throw CliFailure(failures);
  if (jobs.size() == 1 && jobs[0].outputPath.empty()) {
    if (Spool* spool = jobs[0].spool.get()) {
      SpoolToStdout(*spool, "The results of " + jobs[0].dataPath + " cannot be read back.");
    } else {
      WriteOutOrFail(jobs[0].text);
    }
  }
}

void AddDecimalOptions(CLI::App* cmd, DecimalChoice& decimal) {
  auto* comma = cmd->add_flag("--decimal-comma", decimal.comma, "\";\" between fields, \",\" decimals (default: as the language settings say)");
  auto* point = cmd->add_flag("--decimal-point", decimal.point, "\",\" between fields, \".\" decimals");
  comma->excludes(point);
}

void RegisterAnalyze(CLI::App& app) {
  auto o = std::make_shared<AnalyzeOptions>();
  CLI::App* cmd = app.add_subcommand(
      "analyze", "Analyse data files into per-session, per-zone results (every parameter defaults to the recorded one)");
  cmd->add_option("DATA", o->data, "Data files (.DAT)")->required()->type_name("FILE");
  auto* out = cmd->add_option("-o,--output", o->output, "Output file (one DATA, or the whole table of the tidy formats); default: standard output")
                  ->type_name("FILE")->group("Outputs");
  auto* dir = cmd->add_option("--output-dir", o->outputDir, "One output file per DATA, named after it with the extension CSV")
                  ->type_name("DIR")->group("Outputs");
  out->excludes(dir);
  cmd->add_option("-j", o->jobs, "Files analysed at once, 1 to 256 (default: the number of processors)")
      ->type_name("N")->check(Between(1, 256));
  cmd->add_option("--format", o->format, "results (the default), export, tidy (one CSV table) or tidy-json (JSON lines)")
      ->type_name("FORMAT")->group("Outputs");
  cmd->add_flag("--no-header", o->noHeader, "Leave the header lines out")->group("Outputs");
  const char* parameters = "Analysis parameters (default: as recorded)";
  cmd->add_option("--session-length", o->sessionLength, "Session length: seconds or H:MM:SS")->type_name("SECONDS")->group(parameters);
  cmd->add_option("--max-distance", o->maxDistance, "Maximum distance, pixels: longer jumps are artifacts")->type_name("PIXELS")->group(parameters);
  cmd->add_option("--ambulatory", o->ambulatory, "Ambulatory threshold, pixels")->type_name("PIXELS")->group(parameters);
  cmd->add_option("--stereotypic", o->stereotypic, "Stereotypic threshold, pixels")->type_name("PIXELS")->group(parameters);
  cmd->add_option("--scale", o->scale, "Calibration: PIXELS pixels are --reference units")->type_name("PIXELS")->group(parameters);
  cmd->add_option("--reference", o->reference, "Calibration: the units that --scale pixels are")->type_name("UNITS")->group(parameters);
  cmd->add_option("--units", o->units, "Unit name: mm, cm, m, km, inches, feet, yards, miles or \"user defined\"")->type_name("NAME")->group(parameters);
  cmd->add_option("--map", o->map, "Zone map file (default: the data file's .MAP, else four quadrants)")->type_name("FILE")->group(parameters);
  AddDecimalOptions(cmd, o->decimal);
  cmd->callback([o]() { RunAnalyze(*o); });
}

struct ExportSamplesOptions {
  std::string data;
  std::string output;
  DecimalChoice decimal;
};

void RunExportSamples(const ExportSamplesOptions& o) {
  const std::string dataPath = AbsolutePath(o.data);
  if (CheckDataFile(dataPath) != DataFileProblem::None) {
    throw CliFailure(DataFileRefusalText(dataPath));
  }
  const char decimal = o.decimal.Separator();
  if (!o.output.empty()) {
    const std::string path = AbsolutePath(o.output);
    if (const OutputCheck check = CheckOutput(path, {dataPath}, "the data file being exported"); !check.Ready())
      throw CliFailure(check.Text());
    if (!WriteSampleExport(dataPath, path, kDataStart, -1, decimal)) throw CliFailure(OutputFailureText(path, 0));
    return;
  }
  bool outputFailed = false;
  const ResultsSink toStdout = [&outputFailed](std::string_view piece) {
    outputFailed = !WriteOut(piece);
    return !outputFailed;
  };
  if (!SampleExportTo(dataPath, toStdout, kDataStart, -1, decimal)) {
    throw CliFailure(outputFailed ? kStdoutFailure : "The file " + dataPath + " cannot be read.");
  }
}

void RegisterExportSamples(CLI::App& app) {
  auto o = std::make_shared<ExportSamplesOptions>();
  CLI::App* cmd = app.add_subcommand("export-samples", "Write every sample of a data file as X,Y lines");
  cmd->add_option("DATA", o->data, "Data file (.DAT)")->required()->type_name("FILE");
  cmd->add_option("-o,--output", o->output, "Output file (default: standard output)")->type_name("FILE");
  AddDecimalOptions(cmd, o->decimal);
  cmd->callback([o]() { RunExportSamples(*o); });
}

// Seven significant digits with "." whatever the locale (JSON needs it).
std::string Number(double value) {
  char buf[64];
  const auto result = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 7);
  return std::string(buf, result.ptr);
}

struct InfoFacts {
  std::vector<std::pair<std::string, std::string>> json;  // key, JSON value
  std::vector<std::pair<std::string, std::string>> text;  // caption, text
};

std::string VideoTypeText(std::int16_t code) {
  const std::string number = " (" + std::to_string(code) + ")";
  switch (code) {
    case kVideoNtsc: return "NTSC" + number;
    case kVideoPal: return "PAL" + number;
    case kVideoSecam: return "SECAM" + number;
    default: return "unknown" + number;
  }
}

// The tracking quality as one JSON object.
std::string QualityJson(const TrackingQuality& q) {
  return "{\"expected_samples\": " + std::to_string(q.Expected) + ", \"recorded_samples\": " + std::to_string(q.Recorded) +
         ", \"lost_samples\": " + std::to_string(q.Lost()) + ", \"no_object_samples\": " + std::to_string(q.NoObject) +
         ", \"impossible_samples\": " + std::to_string(q.Impossible) + ", \"missing_samples\": " +
         std::to_string(q.Missing) + ", \"longest_gap_s\": " + FormatFixed(q.LongestGapSeconds(), 2) +
         ", \"artifacts\": " + std::to_string(q.Artifacts) + ", \"analysed_s\": " + std::to_string(q.AnalysedSeconds) + "}";
}

// The tracking quality of the recording and of each session, as the analysis with the recorded
// parameters and map sees it; nothing for a header without a session length (no sessions).
void AddTracking(const std::string& path, InfoFacts& f) {
  PreparedAnalysis prepared;
  RecordingTracking tracking;
  if (PrepareAnalysis(path, {}, prepared) != PrepareProblem::None || prepared.Params.SessionLength <= 0) return;
  const AnalysisOutcome outcome = TrackRecording(prepared, tracking);
  if (!outcome.Ok()) throw CliFailure(AnalysisFailureText(outcome, path, {}));
  f.json.emplace_back("tracking", QualityJson(tracking.Whole));
  f.text.emplace_back("Tracking", QualityLine(tracking.Whole));
  std::string sessions = "[";
  for (std::size_t i = 0; i < tracking.Sessions.size(); ++i) {
    sessions += (i ? ", " : "") + QualityJson(tracking.Sessions[i]);
    f.text.emplace_back("Session " + std::to_string(i + 1) + " tracking",
                        QualityLine(tracking.Sessions[i]) + ", " + std::to_string(tracking.Sessions[i].AnalysedSeconds) +
                            " s analysed");
  }
  f.json.emplace_back("session_tracking", sessions + "]");
}

InfoFacts CollectInfo(const DataFileInfo& info) {
  const std::int64_t samples = info.SampleCount();
  const std::int64_t sessions = SessionCount(samples, SamplesPerSession(info.SessionLength, info.SampleRate));
  const double duration = info.SampleRate > 0 ? static_cast<double>(samples) / info.SampleRate : 0.0;
  const std::string upp = info.UnitsPerPixel.Valid ? Number(info.UnitsPerPixel.Value) : "";
  InfoFacts f;
  auto add = [&f](const char* key, const char* caption, const std::string& json, const std::string& text) {
    f.json.emplace_back(key, json);
    f.text.emplace_back(caption, text);
  };
  // The tag is the only version mark a data file carries: 0xAAFD, the third form of the format,
  // the only one read.
  add("version", "Version", "3", "3 (data file format 3: the file starts with the tag FD AA)");
  add("start", "Start time", JsonString(FormatIsoTime(info.Start)), FormatStartTime(info.Start));
  add("session_length", "Session length", std::to_string(info.SessionLength),
      SecondsToDurationText(info.SessionLength) + " (" + std::to_string(info.SessionLength) + " s)");
  // A header without a session length describes no sessions; `analyze` refuses such a file.
  add("sessions", "Sessions", std::to_string(sessions),
      std::to_string(sessions) + (info.SessionLength <= 0 ? " (the header records no session length)" : ""));
  add("recorded_sessions", "Recorded sessions", std::to_string(info.NumberOfSessions),
      std::to_string(info.NumberOfSessions) + " (the number of sessions the run was set to record)");
  add("initial_delay", "Initial delay", std::to_string(info.InitialDelay), std::to_string(info.InitialDelay) + " s");
  add("video_type", "Video type", std::to_string(info.VideoType), VideoTypeText(info.VideoType));
  add("sample_rate", "Sample rate", std::to_string(info.SampleRate), std::to_string(info.SampleRate) + " per second");
  add("samples", "Samples", std::to_string(samples), std::to_string(samples));
  add("duration", "Duration", Number(duration),
      SecondsToDurationText(static_cast<std::int64_t>(std::llround(duration))) + " (" + Number(duration) + " s)");
  add("max_distance", "Maximum distance", std::to_string(info.MaximumDistance), std::to_string(info.MaximumDistance) + " pixels");
  add("ambulatory_threshold", "Ambulatory threshold", std::to_string(info.AmbulatoryThreshold),
      std::to_string(info.AmbulatoryThreshold) + " pixels");
  add("stereotypic_threshold", "Stereotypic threshold", std::to_string(info.StereotypicThreshold),
      std::to_string(info.StereotypicThreshold) + " pixels");
  add("units", "Units", JsonString(UnitName(info.UnitsCode)), UnitName(info.UnitsCode));
  add("calibrate_scale", "Calibrate scale", Number(info.CalibrateScale), Number(info.CalibrateScale) + " pixels");
  add("calibrate_reference", "Calibrate reference", Number(info.CalibrateReference), Number(info.CalibrateReference));
  add("units_per_pixel", "Units per pixel", upp.empty() ? "null" : upp, upp.empty() ? "not valid" : upp);
  return f;
}

void RunInfo(const std::string& file, bool json) {
  const std::string path = AbsolutePath(file);
  DataFileInfo info;
  if (!LoadDataFileInfo(path, info)) {
    throw CliFailure(DataFileRefusalText(path));
  }
  InfoFacts facts = CollectInfo(info);
  AddTracking(path, facts);
  std::string out;
  if (json) {
    out = "{";
    for (std::size_t i = 0; i < facts.json.size(); ++i) {
      out += (i ? ", " : "") + JsonString(facts.json[i].first) + ": " + facts.json[i].second;
    }
    out += "}\n";
  } else {
    for (const auto& [caption, value] : facts.text) out += caption + ": " + value + "\n";
  }
  WriteOutOrFail(out);
}

void RegisterInfo(CLI::App& app) {
  auto file = std::make_shared<std::string>();
  auto json = std::make_shared<bool>(false);
  CLI::App* cmd = app.add_subcommand("info", "Show every field of a data file's recorded header and its tracking quality");
  cmd->add_option("DATA", *file, "Data file (.DAT)")->required()->type_name("FILE");
  cmd->add_flag("--json", *json, "One JSON object");
  cmd->callback([file, json]() { RunInfo(*file, *json); });
}

}  // namespace

void RegisterAnalyzeCommands(CLI::App& app) {
  RegisterAnalyze(app);
  RegisterExportSamples(app);
  RegisterInfo(app);
}

}  // namespace tlx::cli
