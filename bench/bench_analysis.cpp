// Speed of the activity analysis: a 24-hour recording at 30 samples per second (2,592,000
// samples) of a calm animal and of one that moves at every sample, and a batch of 500 one-hour
// recordings analysed by one or two threads. The files are generated once in a temporary
// directory; the page cache is warm after the first iteration.
// `bench_analysis --write-recordings DIR` only writes the two 24-hour files (DAY.DAT, ACTIVE.DAT)
// and a 30-sample one (TINY.DAT) into DIR, for timing `tracelux-cli analyze` on them.
#include "data/Analysis.h"
#include "data/AnalysisSetup.h"
#include "data/DataFile.h"
#include "BenchRecordings.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>

namespace {

using namespace tlx;

struct Files {
  bench::RecordingFolder folder{"tlx-bench"};
  std::string day = folder.Add("DAY.DAT", 2592000, 1);
  std::string active = folder.AddActive("ACTIVE.DAT", 2592000, 1);
  std::vector<std::string> hours;
  Files() {
    for (unsigned i = 0; i < 500; ++i) hours.push_back(folder.Add("H" + std::to_string(i) + ".DAT", 108000, 100 + i));
  }
};

Files& TheFiles() {
  static Files files;
  return files;
}

std::size_t AnalyzeOne(const std::string& path) {
  PreparedAnalysis prepared;
  if (PrepareAnalysis(path, {}, prepared) != PrepareProblem::None) return 0;
  std::size_t bytes = 0;
  const ResultsSink sink = [&bytes](std::string_view s) { bytes += s.size(); return true; };
  AnalysisOptions options;
  const AnalysisOutcome outcome = AnalyzeDataFileTo(path, sink, prepared.Params, prepared.Context, options);
  return outcome.Ok() ? bytes : 0;
}

void BM_Analyze24HourRecording(benchmark::State& state) {
  const std::string& path = TheFiles().day;
  for (auto _ : state) benchmark::DoNotOptimize(AnalyzeOne(path));
  state.counters["samples/s"] = benchmark::Counter(2592000.0 * static_cast<double>(state.iterations()),
                                                   benchmark::Counter::kIsRate);
}
BENCHMARK(BM_Analyze24HourRecording)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_AnalyzeActive24HourRecording(benchmark::State& state) {
  const std::string& path = TheFiles().active;
  for (auto _ : state) benchmark::DoNotOptimize(AnalyzeOne(path));
  state.counters["samples/s"] = benchmark::Counter(2592000.0 * static_cast<double>(state.iterations()),
                                                   benchmark::Counter::kIsRate);
}
BENCHMARK(BM_AnalyzeActive24HourRecording)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_AnalyzeBatchOf500HourFiles(benchmark::State& state) {
  const std::vector<std::string>& files = TheFiles().hours;
  const auto threads = static_cast<std::size_t>(state.range(0));
  for (auto _ : state) {
    std::atomic<std::size_t> next{0};
    auto worker = [&]() {
      for (std::size_t i = next++; i < files.size(); i = next++) benchmark::DoNotOptimize(AnalyzeOne(files[i]));
    };
    std::vector<std::thread> pool;
    for (std::size_t t = 1; t < threads; ++t) pool.emplace_back(worker);
    worker();
    for (auto& t : pool) t.join();
  }
  state.counters["samples/s"] = benchmark::Counter(500.0 * 108000.0 * static_cast<double>(state.iterations()),
                                                   benchmark::Counter::kIsRate);
}
BENCHMARK(BM_AnalyzeBatchOf500HourFiles)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

int WriteRecordings(const std::string& dir) {
  const auto write = [&dir](const char* name, const std::string& bytes) {
    std::ofstream out(dir + "/" + name, std::ios::binary);
    out << bytes;
    return static_cast<bool>(out);
  };
  const bool ok = write("DAY.DAT", bench::Recording(2592000, 1)) &&
                  write("ACTIVE.DAT", bench::ActiveRecording(2592000, 1)) &&
                  write("TINY.DAT", bench::Recording(30, 1));
  if (!ok) std::fprintf(stderr, "Cannot write the recordings into %s\n", dir.c_str());
  return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "--write-recordings") return WriteRecordings(argv[2]);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
