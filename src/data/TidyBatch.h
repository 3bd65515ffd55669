// Many recordings into one tidy table: the files are analysed by worker threads and their rows
// handed on in the order the files were given, whatever the number of workers. A file that fails
// is reported with its reason and the others still complete. Memory does not grow with the
// number or size of the files: only a few files' rows wait at a time, and a large file's rows
// wait in a temporary file.
#pragma once

#include "data/AnalysisSetup.h"
#include "data/TidyTable.h"

#include <atomic>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace tlx {

struct TidyBatchRequest {
  std::vector<std::string> DataPaths;  // absolute paths, in the order of the table
  AnalysisOverrides Overrides;         // unset values: each file's own
  TidyFormat Format = TidyFormat::Csv;
  bool Header = true;                  // the CSV header row
  unsigned Jobs = 0;                   // files analysed at once; 0: the number of processors
};

struct TidyBatchFailure {
  std::string DataPath;
  std::string Reason;  // one line, naming the file
};

struct TidyBatchReport {
  std::size_t Analysed = 0;  // files whose rows are in the table
  std::vector<TidyBatchFailure> Failures;  // in the order of the files
  bool Cancelled = false;
  bool OutputFailed = false;  // the sink refused a piece
  bool Ok() const { return Failures.empty() && !Cancelled && !OutputFailed; }
};

// Writes the table (header first) to `out`. `progress`(done, total) is called on the calling
// thread after each file; a raised `cancel` stops the batch between blocks of samples.
TidyBatchReport RunTidyBatch(const TidyBatchRequest& request, const ResultsSink& out,
                             const std::function<void(std::size_t, std::size_t)>& progress = {},
                             const std::atomic<bool>* cancel = nullptr);

// Why a data file was refused: "The file PATH does not exist." or the invalid-file message.
std::string DataFileRefusalText(const std::string& dataPath);
// Why preparing the analysis of a data file failed.
std::string PrepareFailureText(PrepareProblem problem, const std::string& dataPath,
                               const AnalysisOverrides& overrides);

}  // namespace tlx
