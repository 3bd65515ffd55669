// tracelux-cli map show FILE: prints a map read as the program reads one.
// tracelux-cli map import TEXT -o OUT.MAP: turns up to 24 lines of up to 32 characters into a
// map file.
#include "cli/Commands.h"
#include "cli/HelpText.h"

#include "common/AtomicFile.h"
#include "common/FileChecks.h"
#include "common/Paths.h"
#include "data/OutputPlan.h"
#include "zonemap/MapFile.h"
#include "zonemap/ZoneCharacters.h"

#include <CLI/CLI.hpp>

#include <memory>
#include <vector>

namespace tlx::cli {
namespace {

// A map text is at most 24 lines of 32 characters; a file much larger is not one.
constexpr std::size_t kMaxImportBytes = 64 * 1024;

std::string MapRowsText(const ZoneMap& map) {
  std::string out;
  out.reserve(kMapRows * (kMapColumns + 1));
  for (int row = 0; row < kMapRows; ++row) {
    for (int column = 0; column < kMapColumns; ++column) {
      const char c = map.At(row, column);
      out.push_back(ZoneNumberOf(static_cast<unsigned char>(c)) > 0 ? c : ' ');
    }
    out.push_back('\n');
  }
  return out;
}

// Lines ended by CR LF, LF or CR; a final line end does not begin another line.
std::vector<std::string> TextLines(const std::string& text) {
  std::vector<std::string> lines;
  std::string line;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c != '\r' && c != '\n') {
      line.push_back(c);
      continue;
    }
    if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    lines.push_back(std::move(line));
    line.clear();
  }
  if (!line.empty()) lines.push_back(std::move(line));
  return lines;
}

ZoneMap MapFromLines(const std::vector<std::string>& lines, const std::string& path) {
  if (lines.size() > static_cast<std::size_t>(kMapRows)) {
    throw CliFailure("The file " + path + " has more than 24 lines.");
  }
  ZoneMap map;
  for (std::size_t row = 0; row < lines.size(); ++row) {
    const std::string& line = lines[row];
    const std::string where = "Line " + std::to_string(row + 1) + " of " + path;
    if (line.size() > static_cast<std::size_t>(kMapColumns)) {
      throw CliFailure(where + " is longer than 32 characters.");
    }
    for (std::size_t column = 0; column < line.size(); ++column) {
      const auto code = static_cast<unsigned char>(line[column]);
      if (code < 32 || code > 127) {
        throw CliFailure(where + " holds a character that is not a zone character (code " +
                         std::to_string(code) + ").");
      }
      if (line[column] != ' ' && !IsAllowedZoneCharacter(line[column])) {
        throw CliFailure(where + ", column " + std::to_string(column + 1) + ": " +
                         RefusedZoneCharacterText(line[column]));
      }
      map.Set(static_cast<int>(row), static_cast<int>(column), line[column]);
    }
  }
  return map;
}

void RequireExistingFile(const std::string& path) {
  if (!FileExists(path)) throw CliFailure("The file " + path + " does not exist.");
}

void MapShow(const std::string& file) {
  const std::string path = AbsolutePath(file);
  RequireExistingFile(path);
  ZoneMap map;
  if (!ReadMapFile(path, map)) throw CliFailure("The file selected is not a valid zone map.");
  WriteStdout(MapRowsText(map));
}

void MapImport(const std::string& textFile, const std::string& outFile) {
  const std::string textPath = AbsolutePath(textFile);
  const std::string outPath = AbsolutePath(outFile);
  RequireExistingFile(textPath);
  std::string text;
  if (!ReadWholeFile(textPath, text, kMaxImportBytes)) {
    throw CliFailure("The file " + textPath + " cannot be read as a map text.");
  }
  const ZoneMap map = MapFromLines(TextLines(text), textPath);
  if (const OutputCheck check = CheckOutput(outPath, {textPath}, "the map text being read"); !check.Ready())
    throw CliFailure(check.Text());
  if (!WriteMapFile(outPath, map)) throw CliFailure(OutputFailureText(outPath, 0));
}

}  // namespace

void RegisterMapCommands(CLI::App& app) {
  auto* map = app.add_subcommand("map", "Show a zone map, or make a map file from text");
  map->require_subcommand(1);

  auto showFile = std::make_shared<std::string>();
  auto* show = map->add_subcommand("show", "Print a map's 24 rows of 32 characters");
  show->add_option("FILE", *showFile, "A .MAP file or any file with a [ZONE MAP] section")
      ->required()->type_name("FILE");
  show->callback([showFile] { MapShow(*showFile); });

  auto textFile = std::make_shared<std::string>();
  auto outFile = std::make_shared<std::string>();
  auto* import = map->add_subcommand("import", "Write a 770-byte map file from a text");
  import->add_option("TEXT", *textFile, "A text of up to 24 lines of up to 32 characters")->required()->type_name("FILE");
  import->add_option("-o,--output", *outFile, "The map file to write (.MAP)")->required()->type_name("FILE");
  import->callback([textFile, outFile] { MapImport(*textFile, *outFile); });
}

}  // namespace tlx::cli
