// Speed of the pictures of a day: a generated 24-hour session at 30 samples per second (2,592,000
// samples, a random walk with lost samples) read and drawn by the data panel's drawing routine,
// and saved as tracelux-cli plot saves it (a trace at 85 mm, PNG at 300 dpi, SVG and PDF, in both
// styles), the PNG also with every segment stroked by the painter as before. Reported as the
// median of several repetitions; "cpu_ms" is the processor time of the process over a repetition.
#include "draw/Pictures.h"
#include "draw/SessionPicture.h"
#include "data/DataFile.h"
#include "setup/Colours.h"
#include "zonemap/ZoneMap.h"

#include <benchmark/benchmark.h>

#include <QGuiApplication>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>

#include <ctime>

#include <unistd.h>

namespace {

using namespace tlx;

constexpr std::int64_t kSamples = 24LL * 3600 * 30;

// The same recording the data panel's widget test opens: one day-long session.
std::string DayLongRecording() {
  DataFileHeader header;
  header.Block.SessionLength = 86400 / 5;
  header.Block.NumberOfSessions = 1;
  header.Block.MaximumDistance = 40;
  header.Block.AmbulatoryThreshold = 2;
  header.Block.StereotypicThreshold = 1;
  header.Block.MeasurementUnits = 1;
  header.Block.CalibrateScale = 100;
  header.Block.CalibrateReference = 10;
  header.Block.SampleRateCode = 2;
  std::string bytes = SerializeHeader(header);
  bytes.reserve(bytes.size() + std::size_t(kSamples) * 2);
  std::mt19937 random(11);
  int x = 128, y = 96;
  for (std::int64_t i = 0; i < kSamples; ++i) {
    x = std::clamp(x + int(random() % 9) - 4, 0, 255);
    y = std::clamp(y + int(random() % 9) - 4, 0, 191);
    const bool lost = random() % 500 == 0;
    const std::uint16_t word = EncodeSample(x, lost ? 255 : y);
    bytes += char(word & 0xFF);
    bytes += char(word >> 8);
  }
  return bytes;
}

struct DayFile {
  std::filesystem::path path =
      std::filesystem::temp_directory_path() / ("tlx_bench_day_" + std::to_string(::getpid()) + ".DAT");
  DayFile() {
    std::ofstream out(path, std::ios::binary);
    const std::string bytes = DayLongRecording();
    out.write(bytes.data(), std::streamsize(bytes.size()));
  }
  ~DayFile() { std::filesystem::remove(path); }
};

void BM_DrawDayLongSession(benchmark::State& state) {
  static const DayFile file;
  draw::PictureRequest request;
  request.DataPath = file.path.string();
  request.Session = 1;
  request.Params.SessionLength = kSamples;
  request.Params.SampleRate = 1;
  request.Params.MaximumDistance = 40;
  request.Params.AmbulatoryThreshold = 2;
  double cpuMs = 0;
  for (auto _ : state) {
    const draw::SessionPictureResult result = draw::DrawSessionPicture(request, QSize(640, 480));
    if (!result.read || result.image.isNull()) {
      state.SkipWithError("the session could not be read or drawn");
      break;
    }
    cpuMs = result.cpuMilliseconds;
    benchmark::DoNotOptimize(result.image.constBits());
  }
  state.counters["cpu_ms"] = cpuMs;
}
BENCHMARK(BM_DrawDayLongSession)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(7)
    ->ReportAggregatesOnly(true);

double ProcessCpuMilliseconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

// The trace of the day saved as a file: the reading, the figure and the writing, as plot does.
void BM_SaveDayLongTrace(benchmark::State& state, draw::PictureStyle style, const char* extension,
                         draw::TraceDrawing how) {
  static const DayFile file;
  draw::PictureRequest request;
  request.DataPath = file.path.string();
  request.Style = style;
  request.Params.SessionLength = kSamples;
  request.Params.SampleRate = 1;
  request.Params.MaximumDistance = 40;
  request.Params.AmbulatoryThreshold = 2;
  request.Drawing = how;
  const std::string out = (std::filesystem::temp_directory_path() /
                           ("tlx_bench_trace_" + std::to_string(::getpid()) + "." + extension)).string();
  double cpuMs = 0;
  for (auto _ : state) {
    const double start = ProcessCpuMilliseconds();
    draw::Picture picture;
    if (draw::LoadPicture(request, picture) != SampleRangeStatus::Done ||
        draw::SavePicture(picture, out, draw::SizeForWidth(picture, 85 / 25.4 * 72), 300) != draw::SaveStatus::Saved) {
      state.SkipWithError("the trace could not be read or saved");
      break;
    }
    cpuMs = ProcessCpuMilliseconds() - start;
  }
  std::filesystem::remove(out);
  state.counters["cpu_ms"] = cpuMs;
}
BENCHMARK_CAPTURE(BM_SaveDayLongTrace, png_print, draw::PictureStyle::Print, "png", draw::TraceDrawing::Fastest)
    ->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK_CAPTURE(BM_SaveDayLongTrace, png_bench, draw::PictureStyle::Bench, "png", draw::TraceDrawing::Fastest)
    ->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK_CAPTURE(BM_SaveDayLongTrace, svg_print, draw::PictureStyle::Print, "svg", draw::TraceDrawing::Fastest)
    ->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3)->ReportAggregatesOnly(true);
BENCHMARK_CAPTURE(BM_SaveDayLongTrace, pdf_print, draw::PictureStyle::Print, "pdf", draw::TraceDrawing::Fastest)
    ->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3)->ReportAggregatesOnly(true);
BENCHMARK_CAPTURE(BM_SaveDayLongTrace, png_print_stroked, draw::PictureStyle::Print, "png", draw::TraceDrawing::Stroked)
    ->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3)->ReportAggregatesOnly(true);

}  // namespace

int main(int argc, char** argv) {
  // Drawing into an image needs the application object but no screen.
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QGuiApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
