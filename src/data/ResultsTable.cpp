#include "data/ResultsTable.h"

#include "common/AtomicFile.h"
#include "common/Paths.h"
#include "common/Texts.h"
#include "common/TimeText.h"
#include "setup/Units.h"

namespace tlx {

namespace {

constexpr std::string_view kFilenameKey = "Expr. Filename";

// Calls onLine for every line (ended by CR LF, LF or CR) that is not blank.
template <typename F>
void ForEachLine(std::string_view text, F onLine) {
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = text.substr(start, end - start);
    if (!Trim(line).empty()) onLine(line);
    start = end + 1;
    if (end + 1 < text.size() && text[end] == '\r' && text[end + 1] == '\n') ++start;
  }
}

void NoteHeaderLine(const std::vector<std::string>& fields, ResultsHeaderValues& h) {
  const std::string& key = fields[0];
  const std::string value = fields.size() > 1 ? fields[1] : std::string();
  if (SameText(key, "Map Filename")) {
    h.HaveMapFile = true;
    h.MapFile = value;
  } else if (SameText(key, "Start Time")) {
    h.HaveStartTime = true;
    h.StartTime = value;
  } else if (SameText(key, "Session Length")) {
    h.HaveSessionLength = true;
    h.SessionLength = DurationTextToSeconds(value);
  } else if (SameText(key, "Dist. are in") && !value.empty()) {
    h.HaveUnits = true;
    h.UnitsCode = UnitCodeFromName(value);
  }
}

}  // namespace

std::vector<std::string> SplitFields(std::string_view line, char delimiter, std::size_t maxFields) {
  std::vector<std::string> fields;
  std::string field;
  bool inQuotes = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (c == '"' && inQuotes && i + 1 < line.size() && line[i + 1] == '"') {
      field += '"';  // a doubled quote inside quotes is one quote
      ++i;
    } else if (c == '"') {
      inQuotes = !inQuotes;
    } else if (!inQuotes && c == delimiter) {
      fields.push_back(Trim(field));
      field.clear();
      if (maxFields != 0 && fields.size() == maxFields) return fields;
    } else {
      field += c;
    }
  }
  fields.push_back(Trim(field));
  return fields;
}

char ResultsDelimiter(std::string_view text) {
  char result = ',';
  bool found = false;
  ForEachLine(text, [&](std::string_view line) {
    if (found || line.substr(0, kFilenameKey.size()) != kFilenameKey) return;
    found = true;
    if (line.size() > kFilenameKey.size() && line[kFilenameKey.size()] == ';') result = ';';
  });
  return result;
}

void ParseResultsText(std::string_view text, ResultsTable& table, ResultsHeaderValues* header) {
  table = ResultsTable{};
  table.Delimiter = ResultsDelimiter(text);
  ResultsHeaderValues ignored;
  ResultsHeaderValues& h = header ? *header : ignored;
  enum class Stage { Header, Columns, Rows } stage = Stage::Header;
  ForEachLine(text, [&](std::string_view line) {
    if (stage == Stage::Header) {
      const std::vector<std::string> fields = SplitFields(line, table.Delimiter, 2);
      if (SameText(fields[0], "Sess.#")) {
        stage = Stage::Columns;  // no header lines: this is the column header
      } else {
        NoteHeaderLine(fields, h);
        if (SameText(fields[0], "Dist. are in")) stage = Stage::Columns;
        return;
      }
    }
    if (stage == Stage::Columns) {
      table.Columns = SplitFields(line, table.Delimiter);
      stage = Stage::Rows;
      return;
    }
    std::vector<std::string> row = SplitFields(line, table.Delimiter, table.Columns.size());
    row.resize(table.Columns.size());
    table.Rows.push_back(std::move(row));
  });
}

bool LoadResultsTable(const std::string& path, ResultsTable& table, ResultsHeaderValues* header,
                      std::size_t maxBytes) {
  std::string text;
  if (!ReadWholeFile(path, text, maxBytes)) {
    table = ResultsTable{};
    return false;
  }
  ParseResultsText(text, table, header);
  return true;
}

std::string RunResultsPath(const std::string& dataPath) {
  const std::string path = ChangeExtension(dataPath, "PRN");
  const std::string found = FindCompanionFile(path);
  return found.empty() ? path : found;
}

std::vector<std::size_t> SessionRows(const ResultsTable& table, std::int64_t session) {
  const std::string key = std::to_string(session);
  std::vector<std::size_t> rows;
  for (std::size_t i = 0; i < table.Rows.size(); ++i) {
    if (!table.Rows[i].empty() && table.Rows[i][0] == key) rows.push_back(i);
  }
  return rows;
}

}  // namespace tlx
