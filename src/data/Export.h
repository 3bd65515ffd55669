// The two delimited exports of an open data file: the results export (five header lines and the
// results table) and the sample export (one "X,Y" line per sample).
#pragma once

#include "common/Clock.h"
#include "common/UserAnswers.h"
#include "data/Analysis.h"
#include "data/DataFile.h"
#include "data/RecordingService.h"
#include "data/ResultsTable.h"

#include <cstdint>
#include <optional>
#include <string>

namespace tlx {

class SummaryProgram;

// The header values of a results export.
struct ResultsExportHeader {
  std::string DataFilePath;  // written without its directory, name as it is
  std::string MapFile;
  LocalDateTime Start;
  std::int32_t SessionLength = 0;  // seconds
  std::int32_t UnitsCode = 0;
  // A reanalysis's table: the parameters it was worked out with (none: the run's own results).
  std::optional<AnalysisParameters> Reanalysis;
};

// The whole export text: "Expr. Filename", "Map Filename", "Expr Start Time", "Session Length",
// "Dist. are in"; after a reanalysis "Analysis" = "Reanalysis" and the thresholds, calibration,
// sample rate and map it used; then the column header row and every row, cells joined by the
// delimiter.
std::string ResultsExportText(const ResultsExportHeader& header, const ResultsTable& table,
                              char decimalSeparator);
// Written under a temporary name and renamed into place.
bool WriteResultsExport(const std::string& exportPath, const ResultsExportHeader& header,
                        const ResultsTable& table, char decimalSeparator);

// Appends one sample's line: "117,64", or '"",""' for a lost sample (IsLostSample: Y 192..255).
void AppendSampleLine(std::string& out, PositionSample sample, char delimiter);
// Streams the sample export of the data file (samples from the 1-based position dataStart on, at
// most `limit` bytes of samples; limit 0 or less: all) to the sink. False when the data file is
// not a data file, cannot be read or the sink refuses.
bool SampleExportTo(const std::string& dataPath, const ResultsSink& sink, std::int32_t dataStart,
                    std::int64_t limit, char decimalSeparator);
// The same from a data file's bytes already opened (a file, or bytes in memory).
bool SampleExportTo(SampleFile& data, const ResultsSink& sink, std::int32_t dataStart,
                    std::int64_t limit, char decimalSeparator);
// The same into a file, written under a temporary name and renamed into place. Nothing is written
// when the data file is missing, or the export file cannot be created, is locked or is the data
// file itself.
bool WriteSampleExport(const std::string& dataPath, const std::string& exportPath,
                       std::int32_t dataStart, std::int64_t limit, char decimalSeparator);

// Shown instead of exporting when the open recording has no results table (its ".PRN" missing).
inline constexpr const char* kNoResultsCaption = "No Results";
inline constexpr const char* kNoResultsText = "No results: press Reanalyze";
MessageRequest NoResultsMessage();

// The two commands of the data panel. They ask for the export file ("Export Results" or "Export Samples",
// proposing "<recording> results.CSV" or "<recording> samples.CSV"; extension
// "CSV", in the data file's directory); the answer always gets the extension "CSV".
// Writes the results export, then starts the summary program on it (when one is given). Returns
// the export path, empty when nothing was written.
std::string ExportResults(UserAnswers& answers, const OpenDataFile& open, char decimalSeparator,
                          SummaryProgram* summary);
std::string ExportSamples(UserAnswers& answers, const OpenDataFile& open, char decimalSeparator);

}  // namespace tlx
