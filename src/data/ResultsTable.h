// The results table the data panel shows: a results file read back into a column header row and
// one row of trimmed cells per results line, with the header lines it recognises on the way.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tlx {

struct ResultsTable {
  std::vector<std::string> Columns;             // the fixed header row
  std::vector<std::vector<std::string>> Rows;   // each exactly Columns.size() cells
  char Delimiter = ',';
  std::size_t RowCount() const { return Rows.size(); }
};

// Header lines found while reading, for the data panel to take over when it reads a run's own
// results ("Start Time" is matched as its own key, as the panel always did).
struct ResultsHeaderValues {
  bool HaveMapFile = false;
  std::string MapFile;
  bool HaveStartTime = false;
  std::string StartTime;
  bool HaveSessionLength = false;
  std::int32_t SessionLength = 0;  // seconds; -1 when the text was not a duration
  bool HaveUnits = false;
  std::int32_t UnitsCode = 0;
};

// The fields of one delimited line: quotes toggle quoting and are dropped, a doubled quote inside
// quotes is one quote (RFC 4180), each field is trimmed.
// At most maxFields fields are returned (0: all).
std::vector<std::string> SplitFields(std::string_view line, char delimiter, std::size_t maxFields = 0);

// ";" when the first line that starts with "Expr. Filename" has ";" as its 15th character, else ",".
char ResultsDelimiter(std::string_view text);

// Reads results text in three stages: header lines up to "Dist. are in", the column header line,
// then one row per further line. Blank lines are skipped. A file without header lines (its first
// line starts with "Sess.#") is read from its column header on.
void ParseResultsText(std::string_view text, ResultsTable& table, ResultsHeaderValues* header);
// The same from a file; false (table emptied) when it cannot be read or exceeds maxBytes.
bool LoadResultsTable(const std::string& path, ResultsTable& table, ResultsHeaderValues* header,
                      std::size_t maxBytes = std::size_t(256) << 20);

// The results a run wrote beside its data file: the data file's ".PRN" companion.
std::string RunResultsPath(const std::string& dataPath);

// The rows that belong to one session (first cell equal to its number).
std::vector<std::size_t> SessionRows(const ResultsTable& table, std::int64_t session);

}  // namespace tlx
