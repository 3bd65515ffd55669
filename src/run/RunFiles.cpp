#include "run/RunFiles.h"

#include "common/FileChecks.h"
#include "common/Paths.h"
#include "common/RecordingLock.h"
#include "data/Analysis.h"
#include "data/AnalysisSetup.h"
#include "data/DataFile.h"
#include "data/ResultsFile.h"
#include "zonemap/MapFile.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace tlx {
namespace {

std::int64_t FileBytes(const std::string& path) {
  std::error_code ec;
  const auto size = std::filesystem::file_size(path, ec);
  return ec ? -1 : static_cast<std::int64_t>(size);
}

FinishedRun FinishedRunFor(const RunFilesRequest& request, const std::string& dataPath) {
  FinishedRun run;
  run.DataFile = dataPath;
  run.Start = request.Start;
  run.SessionLength = request.Parameters.SessionLength;
  run.VideoType = request.VideoType;
  run.SampleRate = request.Parameters.SampleRate;
  return run;
}

// Why a file could not be written in its place: what stands in the way when that can be seen
// (the writers report only success), else the error the failed call left behind.
int WriteError(const std::string& path, int captured) {
  struct stat st{};
  if (::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return EISDIR;
  std::string directory = std::filesystem::path(path).parent_path().string();
  if (directory.empty()) directory = ".";
  if (::stat(directory.c_str(), &st) != 0) return errno;
  if (!S_ISDIR(st.st_mode)) return ENOTDIR;
  if (::access(directory.c_str(), W_OK) != 0) return errno;
  return captured;
}

std::string NotWritten(const std::string& what, const std::string& path, int error) {
  return "The " + what + " " + path + " could not be written: " +
         SystemReasonText(WriteError(path, error)) + ".";
}

}  // namespace

std::string SystemReasonText(int error) {
  return error != 0 ? std::strerror(error) : "unknown reason";
}

std::int64_t SamplesInDataFile(const std::string& dataPath) {
  std::ifstream in(dataPath, std::ios::binary);
  unsigned char magic[2] = {};
  if (!in.read(reinterpret_cast<char*>(magic), sizeof magic) || magic[0] != 0xFD || magic[1] != 0xAA)
    return -1;
  in.seekg(0, std::ios::end);
  const std::int64_t bytes = static_cast<std::int64_t>(in.tellg());
  if (bytes < static_cast<std::int64_t>(kDataHeaderSize)) return -1;
  return (bytes - static_cast<std::int64_t>(kDataHeaderSize)) / 2;
}

int CheckRunNames(const std::string& dataFile, std::string& name) {
  // The longest temporary name a writer makes: ".tmp~<process id>-<16 hex digits>".
  const std::string temporary = ".tmp~4194304-0123456789abcdef";
  const std::string folder = std::filesystem::path(dataFile).parent_path().string();
  long nameMax = ::pathconf(folder.empty() ? "." : folder.c_str(), _PC_NAME_MAX);
  if (nameMax <= 0) nameMax = 255;
  for (const char* extension : {"DAT", "RAW", "MAP", "PRN"}) {
    const std::string path = ChangeExtension(dataFile, extension);
    const std::string longest = path + (std::string(extension) == "RAW" ? "" : temporary);
    if (static_cast<long>(FileNamePart(longest).size()) > nameMax || longest.size() >= PATH_MAX) {
      name = longest;
      return ENAMETOOLONG;
    }
  }
  const std::string lock = RecordingLockPath(dataFile);
  if (static_cast<long>(FileNamePart(lock).size()) > nameMax) {
    name = lock;
    return ENAMETOOLONG;
  }
  return 0;
}

int CheckRecordingCreatable(const std::string& dataFile, std::string& file) {
  if (const int error = CheckRunNames(dataFile, file); error != 0) return error;
  RecordingLock lock;
  if (lock.Acquire(dataFile) != RecordingLock::Result::Failed) return 0;
  file = RunDataPath(dataFile);
  return lock.Error();
}

std::string RunDataPath(const std::string& dataFile) { return ChangeExtension(dataFile, "DAT"); }
std::string RunRawPath(const std::string& dataFile) { return ChangeExtension(dataFile, "RAW"); }

bool DataFileIsUsed(const std::string& dataFile) {
  if (FileExists(ChangeExtension(dataFile, "CSV"))) return true;
  if (FileExists(ChangeExtension(dataFile, "DAT"))) return true;
  const std::string raw = ChangeExtension(dataFile, "RAW");
  return FileExists(raw) && FileBytes(raw) > 0;
}

RunFilesOutcome PlannedRunFiles(const std::string& dataFile) {
  RunFilesOutcome out;
  out.DataPath = RunDataPath(dataFile);
  out.RawPath = RunRawPath(dataFile);
  out.MapPath = ChangeExtension(dataFile, "MAP");
  out.ResultsPath = ChangeExtension(dataFile, "PRN");
  return out;
}

RunFilesOutcome WriteRunFiles(const RunFilesRequest& request, UserAnswers* answers) {
  RunFilesOutcome out = PlannedRunFiles(request.DataFile);
  errno = 0;
  out.DataWritten = WriteDataFile(FinishedRunFor(request, out.DataPath), request.Parameters);
  if (!out.DataWritten) {
    out.Failures.push_back(NotWritten("data file", out.DataPath, errno));
    return out;
  }
  WriteMapAndResults(request, out, answers);
  return out;
}

void WriteMapAndResults(const RunFilesRequest& request, RunFilesOutcome& out, UserAnswers* answers) {
  const ExperimentParameters& p = request.Parameters;
  const FinishedRun run = FinishedRunFor(request, out.DataPath);
  out.Samples = (FileBytes(out.DataPath) - static_cast<std::int64_t>(kDataHeaderSize)) / 2;
  errno = 0;
  out.MapWritten = WriteMapFile(out.MapPath, request.Map);
  if (!out.MapWritten) out.Failures.push_back(NotWritten("zone map file", out.MapPath, errno));

  // The results are analysed as a later reading of the file will see it (the header's session
  // length in whole multiples of 5 s, its unit and its start time in whole seconds), with the
  // run's own thresholds and calibration, so they match any later analysis of the file.
  const PreparedAnalysis prepared =
      PrepareRunAnalysis(p, HeaderForRun(run, p, 0), out.DataPath, request.Map,
                         out.MapWritten ? out.MapPath : std::string());
  AnalysisOptions options;
  options.DecimalSeparator = LocaleDecimalSeparator();
  options.Answers = answers;
  errno = 0;
  const AnalysisOutcome analysis =
      AnalyzeDataFile(out.DataPath, out.ResultsPath, prepared.Params, prepared.Context, options);
  out.ResultsWritten = analysis.Ok();
  if (analysis.Status == AnalysisStatus::ResultsNotWritable ||
      analysis.Status == AnalysisStatus::ResultsLocked ||
      analysis.Status == AnalysisStatus::WriteFailed) {
    out.Failures.push_back(NotWritten("results file", out.ResultsPath, errno));
  } else if (!out.ResultsWritten) {
    out.Failures.push_back(AnalysisFailureText(analysis, out.DataPath, out.ResultsPath));
  }
}

}  // namespace tlx
