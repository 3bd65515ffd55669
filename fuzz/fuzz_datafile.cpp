// Any bytes as a data file: the checks, the header record, the analysis with the recorded
// parameters, the sample export, and the same bytes read back as a results table.
#include "data/AnalysisSetup.h"
#include "data/DataFile.h"
#include "data/Export.h"
#include "data/Reanalysis.h"
#include "data/ResultsTable.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A directory of its own, so that looking for a companion map does not scan a crowded /tmp.
std::string ScratchPath() {
  const std::string dir = "/tmp/tlx-fuzz-datafile-" + std::to_string(::getpid());
  ::mkdir(dir.c_str(), 0700);
  return dir + "/RUN.DAT";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string path = ScratchPath();
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
  }
  tlx::DataFileInfo info;
  tlx::LoadDataFileInfo(path, info);
  tlx::DataFileVersion(path);
  tlx::PreparedAnalysis prepared;
  if (tlx::PrepareAnalysis(path, {}, prepared) == tlx::PrepareProblem::None) {
    // Keep sessions from multiplying without end on a zero session length.
    if (prepared.Params.SessionLength == 0 && size > 4000) prepared.Params.SessionLength = 5;
    std::size_t written = 0;
    const tlx::ResultsSink sink = [&written](std::string_view s) { written += s.size(); return true; };
    tlx::AnalysisOptions options;
    options.DecimalSeparator = size % 2 ? ',' : '.';
    tlx::AnalyzeDataFileTo(path, sink, prepared.Params, prepared.Context, options);
    tlx::SampleExportTo(path, sink, tlx::kDataStart, 64, '.');
    std::vector<tlx::PositionSample> samples;
    tlx::ReadSessionSamples(path, 2, 7, samples);
    tlx::TracePoints(samples, prepared.Params.MaximumDistance, prepared.Params.AmbulatoryThreshold);
  }
  tlx::ResultsTable table;
  tlx::ResultsHeaderValues header;
  tlx::ParseResultsText(bytes, table, &header);
  return 0;
}
