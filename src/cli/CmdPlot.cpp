// tracelux-cli plot: the trace, occupancy heatmap or activity timeline of a data file written as
// PNG, SVG or PDF, drawn by the same code as the data panel and the printed report.
#include "cli/Commands.h"
#include "cli/HelpText.h"

#include "common/Paths.h"
#include "data/OutputPlan.h"
#include "data/RecordingService.h"
#include "draw/OffscreenGui.h"
#include "draw/Pictures.h"

#include <CLI/CLI.hpp>

#include <chrono>
#include <charconv>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <optional>
#include <memory>
#include <thread>

#include <unistd.h>

namespace tlx::cli {
namespace {

struct PlotOptions {
  std::string data;
  std::string kind;
  std::string session = "1";
  int cell = 8;
  int width = 0;
  std::string size;
  double dpi = 0;
  std::string style = "print";
  std::string map;
  std::string output;
};

std::int64_t ParseSession(const std::string& text) {
  if (text == "all") return kWholeRecording;
  std::int64_t n = 0;
  const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), n);
  if (ec != std::errc() || ptr != text.data() + text.size() || n < 1) {
    throw CLI::ValidationError("--session", "'" + text + "' is neither a session number nor 'all'");
  }
  return n;
}

// "85x60mm", "3.35x2.4in", "240x170pt": a width and a height, in points.
std::optional<QSizeF> ParsePrintSize(const std::string& text) {
  double w = 0, h = 0;
  char unit[4] = {};
  if (std::sscanf(text.c_str(), "%lfx%lf%3s", &w, &h, unit) != 3) return std::nullopt;
  const std::string u = unit;
  const double perUnit = u == "mm" ? 72 / 25.4 : u == "cm" ? 72 / 2.54 : u == "in" ? 72.0 : u == "pt" ? 1.0 : 0.0;
  if (perUnit == 0 || !(w > 0) || !(h > 0)) return std::nullopt;
  const QSizeF points(w * perUnit, h * perUnit);
  if (points.width() < 36 || points.height() < 36 || points.width() > 6000 || points.height() > 6000) return std::nullopt;
  return points;
}

// A line on a terminal's standard error once the work has taken a second, and its end when done;
// nothing for quick pictures, nor when the standard error is not a terminal (a script's log).
class ProgressLine {
 public:
  explicit ProgressLine(std::string what) : what_(std::move(what)) {
    if (::isatty(2) != 1) return;
    started_ = std::chrono::steady_clock::now();
    waiter_ = std::thread([this] {
      std::unique_lock lock(mutex_);
      if (!wake_.wait_for(lock, std::chrono::seconds(1), [this] { return done_; })) {
        std::fprintf(stderr, "%s...", what_.c_str());
        shown_ = true;
      }
    });
  }
  ~ProgressLine() { Stop(false); }
  // Ends the line with how long the work took.
  void Finish() { Stop(true); }
  ProgressLine(const ProgressLine&) = delete;
  ProgressLine& operator=(const ProgressLine&) = delete;

 private:
  void Stop(bool finished) {
    if (!waiter_.joinable()) return;
    {
      std::lock_guard lock(mutex_);
      done_ = true;
    }
    wake_.notify_all();
    waiter_.join();
    if (shown_ && finished) {
      const std::chrono::duration<double> took = std::chrono::steady_clock::now() - started_;
      std::fprintf(stderr, " done in %.1f s.\n", took.count());
    } else if (shown_) {
      std::fputc('\n', stderr);  // the failure's message goes on a line of its own
    }
  }

  std::string what_;
  std::chrono::steady_clock::time_point started_;
  std::mutex mutex_;
  std::condition_variable wake_;
  bool done_ = false, shown_ = false;
  std::thread waiter_;
};

void PlotCommand(const PlotOptions& o) {
  const std::int64_t session = ParseSession(o.session);
  const std::string dataPath = AbsolutePath(o.data);
  const std::string output = AbsolutePath(o.output);
  OutputPlan plan;
  plan.Input(dataPath, "the data file being drawn").Output(output);
  if (!o.map.empty()) plan.Input(AbsolutePath(o.map), "the zone map being read");
  if (const OutputCheck check = plan.Check(); !check.Ready()) throw CliFailure(check.Text());
  AnalysisOverrides overrides;
  OverrideTexts typed;
  typed.MapFile = o.map;
  ParseOverrides(typed, overrides);
  PreparedAnalysis prepared;
  const PrepareProblem problem = PrepareAnalysis(dataPath, overrides, prepared);
  if (problem != PrepareProblem::None) throw CliFailure(PrepareFailureText(problem, dataPath, overrides));
  draw::PictureRequest request;
  request.Kind = *draw::PictureKindFromName(o.kind);
  request.DataPath = dataPath;
  request.Session = session;
  request.CellSize = o.cell;
  request.Params = prepared.Params;
  request.Map = prepared.Context.Map;
  request.Style = *draw::PictureStyleFromName(o.style);
  const auto app = draw::EnsureGuiApplication();
  ProgressLine progress("Drawing the " + o.kind + " of " + draw::PictureTitle(request).toStdString());
  draw::Picture picture;
  switch (draw::LoadPicture(request, picture)) {
    case SampleRangeStatus::Done: break;
    case SampleRangeStatus::NotDataFile: throw CliFailure(InvalidDataFileMessage(dataPath));
    case SampleRangeStatus::NoSuchSession:
      throw CliFailure("The file " + dataPath + " has no session " + o.session + ".");
    case SampleRangeStatus::ReadFailed: throw CliFailure("The file " + dataPath + " cannot be read.");
  }
  // --width counts pixels at 96 per inch; --size is the printed size, a PNG of it at 300 dpi.
  const std::optional<QSizeF> printed = o.size.empty() ? std::nullopt : ParsePrintSize(o.size);
  const QSizeF size = printed ? *printed : o.width > 0 ? draw::SizeForWidth(picture, o.width * 0.75) : draw::NaturalSize(picture);
  const double dpi = o.dpi > 0 ? o.dpi : printed ? 300 : 96;
  const QSizeF pixels = size * (dpi / 72);
  const bool png = QString::fromStdString(output).endsWith(QStringLiteral(".png"), Qt::CaseInsensitive);
  if (png && (pixels.width() > 20000 || pixels.height() > 20000)) {
    throw CliFailure("A PNG of that size and resolution would be over 20000 pixels a side: give a smaller --size or --dpi.");
  }
  const draw::SaveStatus saved = draw::SavePicture(picture, output, size, dpi);
  progress.Finish();
  if (saved != draw::SaveStatus::Saved) {
    throw CliFailure("The file " + output + " cannot be written.");
  }
}

}  // namespace

void RegisterPlotCommand(CLI::App& app) {
  auto o = std::make_shared<PlotOptions>();
  CLI::App* cmd = app.add_subcommand("plot", kPlotSummary);
  cmd->add_option("DATA", o->data, "Data file (.DAT)")->required()->type_name("FILE");
  cmd->add_option("--kind", o->kind, "The picture: trace, heatmap or timeline")->required()->type_name("KIND")
      ->check(OneOf({"trace", "heatmap", "timeline"}));
  cmd->add_option("--session", o->session, "Session number, or 'all' for the whole recording (default 1)")->type_name("N");
  cmd->add_option("--cell", o->cell, "Heatmap cell size in picture positions, 1 to 192 (default 8)")->type_name("N")
      ->check(Between(1, 192));
  auto* width = cmd->add_option("--width", o->width, "Picture width in pixels at 96 per inch, 64 to 8192 (default 960)")
                    ->type_name("PIXELS")->check(Between(64, 8192));
  cmd->add_option("--size", o->size, "Printed size, e.g. 85x60mm (mm, cm, in or pt); a PNG of it is 300 dpi")->type_name("WxH")
      ->check([](const std::string& text) {
        return ParsePrintSize(text) ? std::string() : "give a width and height such as 85x60mm, 3.3x2.4in or 240x170pt";
      })
      ->excludes(width);
  cmd->add_option("--dpi", o->dpi, "Dots per inch of a PNG, 36 to 1200 (default 96, or 300 with --size)")->type_name("N")
      ->check(CLI::Range(36, 1200).description(""));
  cmd->add_option("--style", o->style, "print (thin line over pale zones, the default) or bench (as the data panel)")
      ->type_name("STYLE")->check(OneOf({"print", "bench"}));
  cmd->add_option("--map", o->map, "Zone map file (default: the data file's .MAP, else four quadrants)")->type_name("FILE");
  cmd->add_option("-o,--output", o->output, "Picture file: .png, .svg or .pdf")->required()->type_name("FILE")->check(
      [](const std::string& path) { return draw::IsPictureFileName(path) ? std::string() : "the file name must end in .png, .svg or .pdf"; });
  cmd->callback([o] { PlotCommand(*o); });
}

}  // namespace tlx::cli
