// The printed report of one session: the run's identification and parameters, the trace figure
// (as tracelux-plot draws it for print), and the session's rows of the results table, continued on
// further pages when needed; a heatmap or timeline shown in the panel goes under a heading of its
// own, on the first page when it fits there.
#pragma once

#include "common/Clock.h"
#include "data/Analysis.h"
#include "data/DataFile.h"
#include "data/ResultsTable.h"
#include "data/TrackingQuality.h"
#include "draw/Pictures.h"
#include "setup/Colours.h"
#include "zonemap/ZoneMap.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QPrinter;

namespace tlx::gui {

struct ReportContent {
  std::string dataPath;
  std::string mapFile;  // the map file the panel uses; empty for the built-in map
  LocalDateTime start;
  std::int32_t sessionLength = 0;  // seconds
  double duration = 0;             // seconds of recording
  std::int32_t unitsCode = 0;
  std::int64_t session = 0;
  ZoneMap map;
  ColourTable colours;
  std::shared_ptr<const TracePath> trace;
  ResultsTable table;
  AnalysisParameters params;  // the parameters the table was analysed with
  std::shared_ptr<const draw::Picture> picture;  // a heatmap or timeline, printed after the table
  std::optional<TrackingQuality> tracking;  // of the session, as the analysis of the table saw it
};

// The report's text lines above the picture, in order: the run, the parameters the table was
// analysed with, the session's tracking quality, and where the figures come from (the program's
// version and build, the data file's SHA-256).
std::vector<std::string> ReportHeaderLines(const ReportContent& content);

// Prints the report and ends the document. False when the printer cannot be started.
bool PrintDataReport(QPrinter& printer, const ReportContent& content);

}  // namespace tlx::gui
