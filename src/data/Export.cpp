#include "data/Export.h"

#include "common/AtomicFile.h"
#include "common/FileChecks.h"
#include "common/FileIdentity.h"
#include "common/PositionSample.h"
#include "common/Paths.h"
#include "common/TimeText.h"
#include "data/OutputPlan.h"
#include "data/ResultsFile.h"
#include "data/SampleReader.h"
#include "data/SummaryProgram.h"
#include "setup/Units.h"

#include <charconv>

namespace tlx {

namespace {

void AddLine(std::string& out, const char* caption, char d, const std::string& value) {
  out += caption;
  out += d;
  out += DelimitedField(value, d);
  out += "\r\n";
}

void AddRow(std::string& out, const std::vector<std::string>& cells, char d) {
  for (std::size_t i = 0; i < cells.size(); ++i) {
    if (i > 0) out += d;
    out += DelimitedField(cells[i], d);
  }
  out += "\r\n";
}

// The dialog proposes the recording's name with what is exported: "RAT1 results.CSV".
std::string AskExportPath(UserAnswers& answers, const OpenDataFile& open, const char* title, const char* what) {
  const std::string proposed = ChangeExtension(FileNamePart(open.Info.Path), "") + " " + what + ".CSV";
  std::string path = ShowFileDialog(answers, DirectoryPart(open.Info.Path), proposed, title, false, "CSV", true, false);
  if (path.empty()) return {};
  path = ChangeExtension(path, "CSV");
  OutputPlan plan;
  plan.Input(open.Info.Path, "the data file that is open").Output(path);
  if (!open.MapFile.empty()) plan.Input(open.MapFile, "the zone map that is open");
  if (const OutputCheck check = plan.Check(); !check.Ready()) {
    answers.ShowMessage(OutputRefusalMessage("Export Data File", check));
    return {};
  }
  if (!CanWriteFile(path, &answers)) return {};
  return path;
}

}  // namespace

std::string ResultsExportText(const ResultsExportHeader& header, const ResultsTable& table,
                              char decimalSeparator) {
  const char d = DelimiterFor(decimalSeparator);
  std::string out;
  AddLine(out, "Expr. Filename", d, FileNamePart(header.DataFilePath));
  AddLine(out, "Map Filename", d, header.MapFile);
  AddLine(out, "Expr Start Time", d, FormatStartTime(header.Start));
  AddLine(out, "Session Length", d, SecondsToDurationText(header.SessionLength));
  AddLine(out, "Dist. are in", d, UnitName(header.UnitsCode));
  if (header.Reanalysis) {
    AddLine(out, "Analysis", d, "Reanalysis");
    // "Caption : value" lines, as the report prints them, as caption and value cells.
    for (const std::string& line : AnalysisParameterLines(*header.Reanalysis)) {
      const std::size_t colon = line.find(" : ");
      AddLine(out, line.substr(0, colon).c_str(), d, line.substr(colon + 3));
    }
  }
  AddRow(out, table.Columns, d);
  for (const auto& row : table.Rows) AddRow(out, row, d);
  return out;
}

bool WriteResultsExport(const std::string& exportPath, const ResultsExportHeader& header,
                        const ResultsTable& table, char decimalSeparator) {
  return WriteFileAtomically(exportPath, ResultsExportText(header, table, decimalSeparator));
}

void AppendSampleLine(std::string& out, PositionSample sample, char d) {
  if (IsLostSample(sample.Y)) {
    out += "\"\"";
    out += d;
    out += "\"\"\r\n";
    return;
  }
  char text[16];
  char* end = std::to_chars(text, text + 4, sample.X).ptr;
  *end++ = d;
  end = std::to_chars(end, end + 4, sample.Y).ptr;
  *end++ = '\r';
  *end++ = '\n';
  out.append(text, end);
}

bool SampleExportTo(const std::string& dataPath, const ResultsSink& sink, std::int32_t dataStart,
                    std::int64_t limit, char decimalSeparator) {
  SampleFile file;
  OpenSampleFile(dataPath, file);  // a file that cannot be opened fails the check below
  return SampleExportTo(file, sink, dataStart, limit, decimalSeparator);
}

bool SampleExportTo(SampleFile& file, const ResultsSink& sink, std::int32_t dataStart,
                    std::int64_t limit, char decimalSeparator) {
  if (CheckDataFile(file) != DataFileProblem::None) return false;
  if (!file.Seek(dataStart > 1 ? dataStart - 1 : 0)) return false;
  const char d = DelimiterFor(decimalSeparator);
  std::string buffer;
  std::int64_t written = 0;
  SampleBlockReader reader(file);
  for (auto block = reader.Next(); !block.empty(); block = reader.Next()) {
    buffer.clear();
    for (std::uint16_t word : block) {
      if (limit > 0 && written >= limit) break;
      AppendSampleLine(buffer, DecodeSample(static_cast<std::int16_t>(word)), d);
      written += 2;
    }
    if (!buffer.empty() && !sink(buffer)) return false;
    if (limit > 0 && written >= limit) break;
  }
  return !reader.Failed();
}

bool WriteSampleExport(const std::string& dataPath, const std::string& exportPath,
                       std::int32_t dataStart, std::int64_t limit, char decimalSeparator) {
  if (!FileExists(dataPath) || !CanCreateFile(exportPath) || IsFileLocked(exportPath, nullptr) ||
      SameFile(dataPath, exportPath)) {
    return false;
  }
  AtomicFileWriter out(exportPath);
  if (!out.IsOpen()) return false;
  const ResultsSink sink = [&out](std::string_view text) { return out.Write(text); };
  if (!SampleExportTo(dataPath, sink, dataStart, limit, decimalSeparator)) return false;
  return out.Commit();
}

MessageRequest NoResultsMessage() {
  return {kNoResultsCaption, kNoResultsText, MsgIcon::Exclamation, MsgButtons::Ok};
}

std::string ExportResults(UserAnswers& answers, const OpenDataFile& open, char decimalSeparator,
                          SummaryProgram* summary) {
  // A recording whose results file is missing (or holds no table) has nothing to export: a table
  // without rows would look like a recording in which nothing happened.
  if (open.Table.Columns.empty()) {
    answers.ShowMessage(NoResultsMessage());
    return {};
  }
  const std::string path = AskExportPath(answers, open, "Export Results", "results");
  if (path.empty()) return {};
  ResultsExportHeader header;
  header.DataFilePath = open.Info.Path;
  header.MapFile = open.MapFile;
  header.Start = open.Info.Start;
  header.SessionLength = open.SessionLength;
  header.UnitsCode = open.UnitsCode;
  header.Reanalysis = open.Reanalysis;
  if (!WriteResultsExport(path, header, open.Table, decimalSeparator)) return {};
  if (summary) summary->Start(path);
  return path;
}

std::string ExportSamples(UserAnswers& answers, const OpenDataFile& open, char decimalSeparator) {
  const std::string path = AskExportPath(answers, open, "Export Samples", "samples");
  if (path.empty()) return {};
  std::int32_t start = 0;
  std::int64_t length = 0;
  if (DataRegion(open.Info.Path, start, length) == 0) return {};
  if (!WriteSampleExport(open.Info.Path, path, start, -1, decimalSeparator)) return {};
  return path;
}

}  // namespace tlx
