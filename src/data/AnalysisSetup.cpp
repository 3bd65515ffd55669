#include "data/AnalysisSetup.h"

#include "common/Paths.h"
#include "zonemap/MapFile.h"

namespace tlx {

namespace {

float AsSingle(const std::optional<double>& value, float recorded) {
  return value ? static_cast<float>(*value) : recorded;
}

}  // namespace

PrepareProblem PrepareAnalysis(const std::string& dataPath, const AnalysisOverrides& o,
                               PreparedAnalysis& out) {
  PreparedAnalysis r;
  if (!LoadDataFileInfo(dataPath, r.Info)) return PrepareProblem::NotDataFile;
  const DataFileInfo& info = r.Info;
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
  p.DataFile = dataPath;

  AnalysisContext& c = r.Context;
  c.RecordedSessionLength = info.SessionLength;
  c.SampleRate = info.SampleRate;
  c.UnitsCode = p.UnitsCode;
  c.DataFilePath = dataPath;
  c.Start = info.Start;
  c.Map = ZoneMap::FourQuadrants();
  if (o.MapFile) {
    ZoneMap map;
    if (!ReadMapFile(*o.MapFile, map)) return PrepareProblem::MapNotValid;
    c.Map = map;
    c.MapFileName = *o.MapFile;
  } else {
    const std::string companion = FindCompanionFile(ChangeExtension(dataPath, "MAP"));
    ZoneMap map;
    if (!companion.empty() && ReadMapFile(companion, map)) {
      c.Map = map;
      c.MapFileName = companion;
    }
  }
  p.MapFile = c.MapFileName;
  out = std::move(r);
  return PrepareProblem::None;
}

}  // namespace tlx
