// Preparing an analysis of a recorded data file: the recorded parameters as defaults, the
// caller's changes on top, and the zone map (given, the data file's companion ".MAP", or the
// built-in four quadrants).
#pragma once

#include "data/Analysis.h"
#include "data/DataFile.h"

#include <optional>
#include <string>

namespace tlx {

struct AnalysisOverrides {
  std::optional<std::int32_t> SessionLength;  // seconds
  std::optional<double> MaximumDistance;      // pixels
  std::optional<double> AmbulatoryThreshold;
  std::optional<double> StereotypicThreshold;
  std::optional<double> CalibrateScale;
  std::optional<double> CalibrateReference;
  std::optional<std::int32_t> UnitsCode;
  std::optional<std::string> MapFile;  // must hold a map when given
};

struct PreparedAnalysis {
  DataFileInfo Info;
  AnalysisParameters Params;
  AnalysisContext Context;
};

enum class PrepareProblem { None, NotDataFile, MapNotValid };

// Fills `out` for the data file; the map file named on the "Map Filename" line is the one used
// (empty for the built-in map).
PrepareProblem PrepareAnalysis(const std::string& dataPath, const AnalysisOverrides& overrides,
                               PreparedAnalysis& out);

}  // namespace tlx
