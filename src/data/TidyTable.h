// One table for a whole experiment: a row per recording, session and zone ("ALL" for the session
// as a whole), with where the recording came from and the parameters it was analysed with, as
// RFC 4180 CSV (one header row) or as JSON lines (one object a line, the same names as keys).
// Figures are those of the results file: distance and latency with one decimal, times and counts
// whole; a figure the results file shows as "N/A" is an empty field (null in JSON). Texts are
// written as valid UTF-8: a byte that is not part of a UTF-8 character becomes U+FFFD.
#pragma once

#include "data/AnalysisSetup.h"
#include "data/ResultsFile.h"

#include <string>
#include <string_view>
#include <vector>

namespace tlx {

enum class TidyFormat { Csv, JsonLines };

// "distance_cm" for one unit; plain "distance" when the recordings are in several units.
std::string DistanceColumn(const std::vector<std::int32_t>& unitsCodes);
// The column names, in order. The tracking quality of the session and the seconds it analysed
// follow the parameters. A table of recordings in several units (`perUnit`, each unit once) leaves
// the plain "distance" column empty and gives each unit a column of its own at the end
// ("distance_cm", "distance_inches"), so that no column holds figures in two units.
std::vector<std::string> TidyColumns(const std::string& distanceColumn,
                                     const std::vector<std::int32_t>& perUnit = {});
// The CSV header row (CR LF ended); nothing for JSON lines.
std::string TidyHeader(TidyFormat format, const std::string& distanceColumn,
                       const std::vector<std::int32_t>& perUnit = {});

// The text as valid UTF-8.
std::string ValidUtf8(std::string_view text);
// One CSV field: quoted when it holds the delimiter, a quote, a line break or leading or trailing
// blanks; quotes doubled.
std::string CsvField(std::string_view text);
// A JSON string literal.
std::string JsonString(std::string_view text);

// Turns the sessions of one prepared recording into table rows.
class TidyRowWriter {
 public:
  // `dataSha256`: the digest of the data file's bytes the analysis reads; the file is hashed
  // here when none is given. `perUnit` as for TidyColumns.
  TidyRowWriter(TidyFormat format, const PreparedAnalysis& recording, const std::string& distanceColumn,
                const std::vector<std::int32_t>& perUnit = {}, const std::string* dataSha256 = nullptr);
  // Appends the session's rows ("ALL", then the listed zones) to out.
  void AppendSession(const SessionResult& session, std::string& out);

 private:
  // The encoded cells of consecutive columns from firstColumn, each with its leading delimiter
  // (none before the first column); texts are JSON strings, other cells numbers or null.
  std::string Cells(std::size_t firstColumn, const std::vector<std::string>& values, bool text) const;

  TidyFormat format_;
  std::vector<std::string> columns_;
  std::string prefix_;  // file, path, start
  std::string sessionLength_;
  std::string suffix_;  // the parameters
  std::vector<int> zoneList_;
  AnalysisParameters params_;
  std::int64_t promisedSamples_ = 0;
  std::size_t ownUnitColumn_ = 0;  // the column of this recording's unit; 0 when the table has one unit
  double reference_;
  double scale_;
  std::vector<ResultsLineFigures> lines_;
};

}  // namespace tlx
