#include "run/RunFiles.h"

#include "common/FileChecks.h"
#include "common/Paths.h"
#include "data/Analysis.h"
#include "data/DataFile.h"
#include "data/ResultsFile.h"
#include "zonemap/MapFile.h"

#include <filesystem>
#include <system_error>

namespace tlx {
namespace {

std::int64_t FileBytes(const std::string& path) {
  std::error_code ec;
  const auto size = std::filesystem::file_size(path, ec);
  return ec ? -1 : static_cast<std::int64_t>(size);
}

AnalysisParameters AnalysisParametersFor(const ExperimentParameters& p, const std::string& dataPath,
                                         const std::string& mapPath) {
  AnalysisParameters a;
  a.SessionLength = p.SessionLength;
  a.NumberOfSessions = p.NumberOfSessions;
  a.InitialDelay = p.InitialDelay;
  a.MaximumDistance = p.MaximumDistance;
  a.AmbulatoryThreshold = p.AmbulatoryThreshold;
  a.StereotypicThreshold = p.StereotypicThreshold;
  a.UnitsCode = p.MeasurementUnits;
  a.CalibrateScale = p.CalibrateScale;
  a.SampleRate = p.SampleRate;
  a.DataFile = dataPath;
  a.MapFile = mapPath;
  a.CalibrateReference = p.CalibrateReference;
  return a;
}

}  // namespace

std::string RunDataPath(const std::string& dataFile) { return ChangeExtension(dataFile, "DAT"); }
std::string RunRawPath(const std::string& dataFile) { return ChangeExtension(dataFile, "RAW"); }

bool DataFileIsUsed(const std::string& dataFile) {
  if (FileExists(ChangeExtension(dataFile, "CSV"))) return true;
  if (FileExists(ChangeExtension(dataFile, "DAT"))) return true;
  const std::string raw = ChangeExtension(dataFile, "RAW");
  return FileExists(raw) && FileBytes(raw) > 0;
}

RunFilesOutcome WriteRunFiles(const RunFilesRequest& request, UserAnswers* answers) {
  RunFilesOutcome out;
  out.DataPath = RunDataPath(request.DataFile);
  out.RawPath = RunRawPath(request.DataFile);
  out.MapPath = ChangeExtension(request.DataFile, "MAP");
  out.ResultsPath = ChangeExtension(request.DataFile, "PRN");

  const ExperimentParameters& p = request.Parameters;
  FinishedRun run;
  run.DataFile = out.DataPath;
  run.Start = request.Start;
  run.SessionLength = p.SessionLength;
  run.VideoType = request.VideoType;
  run.SampleRate = p.SampleRate;
  out.DataWritten = WriteDataFile(run, p);
  if (!out.DataWritten) return out;
  out.Samples = (FileBytes(out.DataPath) - static_cast<std::int64_t>(kDataHeaderSize)) / 2;

  out.MapWritten = WriteMapFile(out.MapPath, request.Map);

  AnalysisContext context;
  // The results are analysed as a later reading of the file will see it: the session length as
  // the header holds it, in whole multiples of 5 seconds.
  DataFileHeader header = HeaderForRun(run, p, 0);
  context.RecordedSessionLength = static_cast<std::int32_t>(header.Block.SessionLength) * 5;
  context.SampleRate = p.SampleRate;
  // The unit as the header records it: a record that never named one (code 0) is stored, and
  // read back, as the first unit of the list.
  context.UnitsCode = static_cast<std::int32_t>(header.Block.MeasurementUnits) + 1;
  context.DataFilePath = out.DataPath;
  context.MapFileName = out.MapWritten ? out.MapPath : std::string();
  context.Map = request.Map;
  // The start time as the header holds it (whole seconds), so these results match any later
  // analysis of the file.
  context.Start = FileSecondsToDate(DateToFileSeconds(request.Start));
  AnalysisParameters params = AnalysisParametersFor(p, out.DataPath, context.MapFileName);
  params.SessionLength = context.RecordedSessionLength;
  params.UnitsCode = context.UnitsCode;
  AnalysisOptions options;
  options.DecimalSeparator = LocaleDecimalSeparator();
  options.Answers = answers;
  out.ResultsWritten =
      AnalyzeDataFile(out.DataPath, out.ResultsPath, params, context, options).Ok();
  return out;
}

}  // namespace tlx
