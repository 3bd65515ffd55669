// Preparing an analysis of a recording, written once for every caller (the command line, the
// batch, the data panel's reanalysis and the run's end): the values the recording was made with,
// the caller's changes on top, and the zone map.
#pragma once

#include "data/Analysis.h"
#include "data/DataFile.h"

#include <optional>
#include <string>

namespace tlx {

struct ExperimentParameters;

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

// The map a recording is analysed with unless the user chooses another, for every front end (the
// data panel, `analyze`, `plot`, the batch): the map the run saved beside the data file (its
// companion ".MAP", any case) when it can be read, else the built-in four quadrants. A results
// file's "Map Filename" only says where the run's map came from; that file may have changed since.
struct RecordingMap {
  ZoneMap Map = ZoneMap::FourQuadrants();
  std::string File;  // empty: the built-in map
};
RecordingMap MapOfRecording(const std::string& dataPath);

// The parameters as used: each value the recording's own unless `changes` sets it; `map` is the
// zone map read from `mapFile` (empty: the built-in map).
PreparedAnalysis PrepareRecordedAnalysis(const DataFileInfo& recorded, const AnalysisOverrides& changes,
                                         const ZoneMap& map, const std::string& mapFile);

// Fills `out` for the data file; the map is the one `overrides` names, else MapOfRecording's.
PrepareProblem PrepareAnalysis(const std::string& dataPath, const AnalysisOverrides& overrides,
                               PreparedAnalysis& out);
// The same from the data file already opened, so that the analysis reads the very file the
// parameters came from.
PrepareProblem PrepareAnalysis(SampleFile& data, const std::string& dataPath, const AnalysisOverrides& overrides,
                               PreparedAnalysis& out);

// The analysis the end of a run writes into its results file: the run's own thresholds and
// calibration, and the session length, unit and start time as the data file's header holds them,
// so that these results match any later analysis of the file.
PreparedAnalysis PrepareRunAnalysis(const ExperimentParameters& run, const DataFileHeader& header,
                                    const std::string& dataPath, const ZoneMap& map, const std::string& mapFile);

}  // namespace tlx
