// Speed of a whole experiment into one tidy table: 1,000 one-hour recordings at 30 samples per
// second (108,000 samples each, 108 million in all) analysed by one or two workers and written as
// one CSV table. The files are generated once in a temporary directory; the page cache is warm
// after the first iteration.
#include "BenchRecordings.h"
#include "common/AtomicFile.h"
#include "data/TidyBatch.h"

#include <benchmark/benchmark.h>


namespace {

using namespace tlx;

constexpr int kFiles = 1000;
constexpr std::size_t kHourSamples = 108000;

struct Files {
  bench::RecordingFolder folder{"tlx-tidy-bench"};
  std::vector<std::string> paths;
  Files() {
    for (int i = 0; i < kFiles; ++i) {
      paths.push_back(folder.Add("RAT" + std::to_string(i) + ".DAT", kHourSamples, 1000u + static_cast<unsigned>(i)));
    }
  }
};

Files& TheFiles() {
  static Files files;
  return files;
}

void BM_TidyTableOf1000HourFiles(benchmark::State& state) {
  TidyBatchRequest request;
  request.DataPaths = TheFiles().paths;
  request.Jobs = static_cast<unsigned>(state.range(0));
  const std::string table = TheFiles().folder.File("TABLE.CSV");
  std::size_t rows = 0;
  for (auto _ : state) {
    AtomicFileWriter out(table);
    const TidyBatchReport report = RunTidyBatch(request, [&out](std::string_view s) { return out.Write(s); });
    if (!report.Ok() || !out.Commit()) state.SkipWithError("the batch failed");
    rows = report.Analysed;
  }
  state.counters["files"] = static_cast<double>(rows);
  state.counters["samples/s"] = benchmark::Counter(double(kFiles) * double(kHourSamples) * double(state.iterations()),
                                                   benchmark::Counter::kIsRate);
}
BENCHMARK(BM_TidyTableOf1000HourFiles)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
