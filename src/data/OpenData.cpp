#include "data/OpenData.h"

#include "common/Paths.h"
#include "common/Texts.h"
#include "data/Reanalysis.h"
#include "data/SummaryProgram.h"
#include "zonemap/MapFile.h"

#include <sys/stat.h>

namespace tlx {

namespace {

bool PathExists(const std::string& path) {
  struct stat st{};
  return ::stat(path.c_str(), &st) == 0;
}

// The map saved beside the data file, and the one a "Map Filename" line of the run's results
// names when that file exists.
void LoadMaps(OpenDataFile& r, const ResultsHeaderValues& header) {
  const std::string companion = FindCompanionFile(ChangeExtension(r.Info.Path, "MAP"));
  ZoneMap map;
  if (!companion.empty() && ReadMapFile(companion, map)) {
    r.MapFile = companion;
    r.Map = map;
  }
  if (header.HaveMapFile && !header.MapFile.empty() && ReadMapFile(header.MapFile, map)) {
    r.MapFile = header.MapFile;
    r.Map = map;
  }
}

}  // namespace

OpenResult OpenDataFileForAnalysis(const std::string& path, UserAnswers& answers,
                                   SummaryProgram* summary, OpenDataFile& open) {
  if (!PathExists(path)) return OpenResult::Missing;
  if (DataFileVersion(path) != 3 || CheckDataFile(path) != DataFileProblem::None) {
    if (SameText(ExtensionPart(path), "CSV")) {
      if (summary) summary->Start(path);
      return OpenResult::HandedToSummaryProgram;
    }
    answers.ShowMessage({kInvalidFormatCaption, InvalidFormatText(path), MsgIcon::Exclamation, MsgButtons::Ok});
    return OpenResult::Refused;
  }
  OpenDataFile r;
  if (!LoadDataFileInfo(path, r.Info)) return OpenResult::Refused;
  r.SessionLength = r.Info.SessionLength;
  r.UnitsCode = r.Info.UnitsCode;
  ResultsHeaderValues header;
  LoadResultsTable(RunResultsPath(path), r.Table, &header);
  if (header.HaveSessionLength && header.SessionLength >= 0) r.SessionLength = header.SessionLength;
  if (header.HaveUnits) r.UnitsCode = header.UnitsCode;
  LoadMaps(r, header);
  r.Sessions = SessionCount(r.Info.SampleCount(), static_cast<std::int64_t>(r.Info.SampleRate) * r.Info.SessionLength);
  open = std::move(r);
  if (open.Sessions == 0) {
    answers.ShowMessage({kEmptyDataFileCaption, kEmptyDataFileText, MsgIcon::Exclamation, MsgButtons::Ok});
    return OpenResult::Empty;
  }
  return OpenResult::Opened;
}

}  // namespace tlx
