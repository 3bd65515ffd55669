#include "data/AnalysisSetup.h"

#include "common/FileChecks.h"
#include "common/Paths.h"
#include "data/SampleReader.h"
#include "setup/ExperimentParameters.h"
#include "zonemap/MapFile.h"

namespace tlx {

namespace {

float AsSingle(const std::optional<double>& value, float recorded) {
  return value ? static_cast<float>(*value) : recorded;
}

}  // namespace

RecordingMap MapOfRecording(const std::string& dataPath) {
  RecordingMap r;
  const std::string companion = FindCompanionFile(ChangeExtension(dataPath, "MAP"));
  ZoneMap found;
  if (!companion.empty() && ReadMapFile(companion, found)) {
    r.Map = found;
    r.File = companion;
  }
  return r;
}

PreparedAnalysis PrepareRecordedAnalysis(const DataFileInfo& info, const AnalysisOverrides& o,
                                         const ZoneMap& map, const std::string& mapFile) {
  PreparedAnalysis r;
  r.Info = info;
  AnalysisParameters& p = r.Params;
  p.SessionLength = o.SessionLength.value_or(info.SessionLength);
  p.NumberOfSessions = info.NumberOfSessions;
  p.InitialDelay = info.InitialDelay;
  p.MaximumDistance = AsSingle(o.MaximumDistance, static_cast<float>(info.MaximumDistance));
  p.AmbulatoryThreshold = AsSingle(o.AmbulatoryThreshold, static_cast<float>(info.AmbulatoryThreshold));
  p.StereotypicThreshold = AsSingle(o.StereotypicThreshold, static_cast<float>(info.StereotypicThreshold));
  p.UnitsCode = o.UnitsCode.value_or(info.UnitsCode);
  p.CalibrateScale = AsSingle(o.CalibrateScale, info.CalibrateScale);
  p.CalibrateReference = AsSingle(o.CalibrateReference, info.CalibrateReference);
  p.SampleRate = info.SampleRate;
  p.DataFile = info.Path;
  p.MapFile = mapFile;

  AnalysisContext& c = r.Context;
  c.RecordedSessionLength = info.SessionLength;
  c.SampleRate = info.SampleRate;
  c.UnitsCode = p.UnitsCode;
  c.DataFilePath = info.Path;
  c.Start = info.Start;
  c.Map = map;
  c.MapFileName = mapFile;
  return r;
}

PrepareProblem PrepareAnalysis(const std::string& dataPath, const AnalysisOverrides& o,
                               PreparedAnalysis& out) {
  SampleFile file;
  if (OpenSampleFile(dataPath, file) != DataFileProblem::None) return PrepareProblem::NotDataFile;
  return PrepareAnalysis(file, dataPath, o, out);
}

PrepareProblem PrepareAnalysis(SampleFile& data, const std::string& dataPath, const AnalysisOverrides& o,
                               PreparedAnalysis& out) {
  DataFileInfo info;
  if (!ReadDataFileInfo(data, info)) return PrepareProblem::NotDataFile;
  info.Path = dataPath;
  info.Writable = CanWriteFile(dataPath, nullptr);
  RecordingMap map;
  if (o.MapFile) {
    if (!ReadMapFile(*o.MapFile, map.Map)) return PrepareProblem::MapNotValid;
    map.File = *o.MapFile;
  } else {
    map = MapOfRecording(dataPath);
  }
  out = PrepareRecordedAnalysis(info, o, map.Map, map.File);
  return PrepareProblem::None;
}

PreparedAnalysis PrepareRunAnalysis(const ExperimentParameters& run, const DataFileHeader& header,
                                    const std::string& dataPath, const ZoneMap& map, const std::string& mapFile) {
  DataFileInfo recorded;
  recorded.Path = dataPath;
  recorded.SessionLength = static_cast<std::int32_t>(header.Block.SessionLength) * 5;
  // A record that never named a unit (code 0) is stored, and read back, as the first unit.
  recorded.UnitsCode = static_cast<std::int16_t>(header.Block.MeasurementUnits + 1);
  recorded.SampleRate = run.SampleRate;
  recorded.Start = FileSecondsToDate(header.StartTime);
  recorded.NumberOfSessions = run.NumberOfSessions;
  recorded.InitialDelay = run.InitialDelay;
  AnalysisOverrides exact;  // the header holds whole numbers; the run knows the values as set
  exact.MaximumDistance = run.MaximumDistance;
  exact.AmbulatoryThreshold = run.AmbulatoryThreshold;
  exact.StereotypicThreshold = run.StereotypicThreshold;
  exact.CalibrateScale = run.CalibrateScale;
  exact.CalibrateReference = run.CalibrateReference;
  return PrepareRecordedAnalysis(recorded, exact, map, mapFile);
}

}  // namespace tlx
