// What a run leaves behind when it ends: the data file built from its raw file and header, the
// zone map saved beside it ("MAP") and the results of the activity analysis ("PRN"). Used by the
// run's end and by the recovery of an interrupted run.
#pragma once

#include "common/Clock.h"
#include "common/UserAnswers.h"
#include "setup/ExperimentParameters.h"
#include "zonemap/ZoneMap.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tlx {

struct RunFilesRequest {
  std::string DataFile;  // any extension; "DAT", "RAW", "MAP" and "PRN" are derived from it
  LocalDateTime Start;
  ExperimentParameters Parameters;
  std::int16_t VideoType = 0;
  ZoneMap Map;
};

struct RunFilesOutcome {
  bool DataWritten = false;
  bool MapWritten = false;
  bool ResultsWritten = false;
  std::string DataPath, RawPath, MapPath, ResultsPath;
  std::int64_t Samples = 0;  // samples in the data file
  // One line for each file that could not be written, naming it and the system's reason.
  std::vector<std::string> Failures;
  bool Complete() const { return DataWritten && MapWritten && ResultsWritten; }
};

// The data file's path with the extension "DAT" (and likewise for the others).
std::string RunDataPath(const std::string& dataFile);
std::string RunRawPath(const std::string& dataFile);

// Builds the data file from the raw file (a trailing odd byte of an interrupted recording is
// dropped first), then, when that worked, saves the map and writes the results. The raw file is
// removed only once the data file is complete.
RunFilesOutcome WriteRunFiles(const RunFilesRequest& request, UserAnswers* answers);
// Saves the map and writes the results of a data file already in place (out.DataWritten set).
void WriteMapAndResults(const RunFilesRequest& request, RunFilesOutcome& out, UserAnswers* answers);
// The paths of every file of the run, nothing written yet.
RunFilesOutcome PlannedRunFiles(const std::string& dataFile);

// The samples of a data file read back from the disk: -1 when it is not a data file.
std::int64_t SamplesInDataFile(const std::string& dataPath);

// Every name the run into this data file will write (its files, their temporary names, its lock
// file) checked against the file system's limits before the run starts: 0 when all fit, else
// ENAMETOOLONG with `name` set to the first that does not.
int CheckRunNames(const std::string& dataFile, std::string& name);

// Whether a run into this data file could create its recording, checked as the run checks before
// it starts (the names against the file system's limits, then the recording's lock in the data
// file's folder): 0 when it could, else the system's error number with `file` naming the file
// that cannot be created. A recording another program holds is not a creation problem.
int CheckRecordingCreatable(const std::string& dataFile, std::string& file);

// The system's text for an errno value ("unknown reason" for 0).
std::string SystemReasonText(int error);

// The data file counts as used when its "CSV" or "DAT" exists or its "RAW" exists and is not
// empty.
bool DataFileIsUsed(const std::string& dataFile);

}  // namespace tlx
