// Opening a recorded run for the data panel, without widgets: the version check and its message,
// the hand-off of ".CSV" files to the summary program, the file's record, its map, the results the
// run wrote and the number of sessions.
#pragma once

#include "common/UserAnswers.h"
#include "data/DataFile.h"
#include "data/ResultsTable.h"
#include "zonemap/ZoneMap.h"

#include <cstdint>
#include <string>

namespace tlx {

class SummaryProgram;

// What the data panel holds for the open data file.
struct OpenDataFile {
  DataFileInfo Info;
  std::string MapFile;  // empty: the map the panel already holds stays
  ZoneMap Map = ZoneMap::FourQuadrants();
  ResultsTable Table;
  std::int32_t SessionLength = 0;  // the session length the table was analysed with
  std::int32_t UnitsCode = 0;      // the unit the table's distances are in
  std::int64_t Sessions = 0;
};

enum class OpenResult { Missing, Refused, HandedToSummaryProgram, Empty, Opened };

// The open command's work for a chosen file. A file that is not a version-3 data file shows
// "Invalid File Format" (unless its extension is "CSV": then the summary program is started on it
// and nothing is loaded); `open` changes only for Empty and Opened. Empty shows "Empty Data File".
OpenResult OpenDataFileForAnalysis(const std::string& path, UserAnswers& answers,
                                   SummaryProgram* summary, OpenDataFile& open);

}  // namespace tlx
