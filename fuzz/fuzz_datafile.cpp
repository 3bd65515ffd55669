// Any bytes as a data file, read from memory by the same readers that read data files: the checks,
// the header record, the analysis with the recorded parameters, the sample export, a session's
// samples and their trace, and the same bytes read as a results table.
#include "data/AnalysisSetup.h"
#include "data/DataFile.h"
#include "data/Export.h"
#include "data/Reanalysis.h"
#include "data/ResultsTable.h"
#include "data/SampleReader.h"

#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  tlx::SampleFile file;
  file.OpenBytes(bytes);
  tlx::DataFileVersion(file);
  tlx::DataFileInfo info;
  if (tlx::ReadDataFileInfo(file, info)) {
    tlx::PreparedAnalysis prepared = tlx::PrepareRecordedAnalysis(info, {}, tlx::ZoneMap::FourQuadrants(), "");
    // Keep sessions from multiplying without end on a zero session length.
    if (prepared.Params.SessionLength == 0 && size > 4000) prepared.Params.SessionLength = 5;
    std::size_t written = 0;
    const tlx::ResultsSink sink = [&written](std::string_view s) { written += s.size(); return true; };
    tlx::AnalysisOptions options;
    options.DecimalSeparator = size % 2 ? ',' : '.';
    tlx::AnalyzeDataFileTo(file, sink, prepared.Params, prepared.Context, options);
    tlx::SampleExportTo(file, sink, tlx::kDataStart, 64, '.');
    std::vector<tlx::PositionSample> samples;
    tlx::ReadSessionSamples(file, 2, 7, samples);
    tlx::TracePoints(samples, prepared.Params.MaximumDistance, prepared.Params.AmbulatoryThreshold);
  }
  tlx::ResultsTable table;
  tlx::ResultsHeaderValues header;
  tlx::ParseResultsText(bytes, table, &header);
  return 0;
}
