// Speed of a whole experiment into one tidy table: 1,000 one-hour recordings at 30 samples per
// second (108,000 samples each, 108 million in all), and 30 day-long recordings (2,592,000
// samples each, 78 million in all), analysed by one or two workers and written as one CSV table.
// The files are generated once in a temporary directory; the page cache is warm after the first
// iteration. Run with --benchmark_repetitions=5 for medians.
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

constexpr int kDayFiles = 30;
constexpr std::size_t kDaySamples = 24 * kHourSamples;

struct DayFiles {
  bench::RecordingFolder folder{"tlx-tidy-day-bench"};
  std::vector<std::string> paths;
  DayFiles() {
    for (int i = 0; i < kDayFiles; ++i) {
      paths.push_back(folder.Add("DAY" + std::to_string(i) + ".DAT", kDaySamples, 5000u + static_cast<unsigned>(i)));
    }
  }
};

DayFiles& TheDayFiles() {
  static DayFiles files;
  return files;
}

void RunBatch(benchmark::State& state, const std::vector<std::string>& paths, const std::string& table,
              double samplesPerBatch) {
  TidyBatchRequest request;
  request.DataPaths = paths;
  request.Jobs = static_cast<unsigned>(state.range(0));
  std::size_t rows = 0;
  for (auto _ : state) {
    AtomicFileWriter out(table);
    const TidyBatchReport report = RunTidyBatch(request, [&out](std::string_view s) { return out.Write(s); });
    if (!report.Ok() || !out.Commit()) state.SkipWithError("the batch failed");
    rows = report.Analysed;
  }
  state.counters["files"] = static_cast<double>(rows);
  state.counters["samples/s"] = benchmark::Counter(samplesPerBatch * double(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_TidyTableOf30DayFiles(benchmark::State& state) {
  RunBatch(state, TheDayFiles().paths, TheDayFiles().folder.File("TABLE.CSV"), double(kDayFiles) * double(kDaySamples));
}
BENCHMARK(BM_TidyTableOf30DayFiles)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_TidyTableOf1000HourFiles(benchmark::State& state) {
  RunBatch(state, TheFiles().paths, TheFiles().folder.File("TABLE.CSV"), double(kFiles) * double(kHourSamples));
}
BENCHMARK(BM_TidyTableOf1000HourFiles)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
