// Speed of the activity analysis: one 24-hour recording at 30 samples per second (2,592,000
// samples), and a batch of 500 one-hour recordings analysed by one or two threads. The files are
// generated once in a temporary directory; the page cache is warm after the first iteration.
#include "data/Analysis.h"
#include "data/AnalysisSetup.h"
#include "data/DataFile.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <thread>

namespace {

using namespace tlx;

// An animal in an open field, sampled 30 times a second: bouts of sitting still (a pixel of
// jitter) and bouts of walking (2 to 8 pixels a sample in a slowly turning direction), a lost
// sample now and then and a rare tracking jump across the picture.
std::string Recording(std::size_t samples, unsigned seed) {
  DataFileHeader h;
  h.StartTime = 3155785200u;
  h.SampleCount = static_cast<std::uint32_t>(samples);
  h.Block = {120, 1, 0, 40, 3, 1, 1, 200, 12, 2};  // 10-minute sessions, 30 per second
  std::string bytes = SerializeHeader(h);
  bytes.reserve(bytes.size() + samples * 2);
  std::mt19937 random(seed);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  double x = 128, y = 96, heading = 0;
  bool walking = false;
  int boutLeft = 0;
  for (std::size_t i = 0; i < samples; ++i) {
    if (boutLeft-- <= 0) {
      walking = !walking;
      boutLeft = static_cast<int>(-std::log(1.0 - unit(random)) * (walking ? 45 : 90)) + 1;
    }
    if (walking) {
      heading += (unit(random) - 0.5) * 0.6;
      const double speed = 2 + 6 * unit(random);
      x += speed * std::cos(heading);
      y += speed * std::sin(heading);
      if (x < 0 || x > 255) heading = 3.14159265 - heading;
      if (y < 0 || y > 191) heading = -heading;
      x = std::clamp(x, 0.0, 255.0);
      y = std::clamp(y, 0.0, 191.0);
    }
    int sx = static_cast<int>(x) + static_cast<int>(random() % 3) - 1;
    int sy = static_cast<int>(y) + static_cast<int>(random() % 3) - 1;
    if (random() % 100 == 0) sy = 255;
    if (random() % 2000 == 0) sx = 255 - sx;
    const std::uint16_t word = EncodeSample(std::clamp(sx, 0, 255), std::clamp(sy, 0, 255));
    bytes.push_back(static_cast<char>(word & 0xFF));
    bytes.push_back(static_cast<char>(word >> 8));
  }
  return bytes;
}

struct Files {
  std::filesystem::path dir;
  std::string day;
  std::vector<std::string> hours;
  Files() {
    dir = std::filesystem::temp_directory_path() / ("tlx-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    day = (dir / "DAY.DAT").string();
    std::ofstream(day, std::ios::binary) << Recording(2592000, 1);
    for (int i = 0; i < 500; ++i) {
      hours.push_back((dir / ("H" + std::to_string(i) + ".DAT")).string());
      std::ofstream(hours.back(), std::ios::binary) << Recording(108000, 100 + i);
    }
  }
  ~Files() {
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
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

}  // namespace

BENCHMARK_MAIN();
