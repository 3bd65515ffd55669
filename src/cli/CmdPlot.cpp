// tracelux-cli plot: the trace, occupancy heatmap or activity timeline of a data file written as
// PNG, SVG or PDF, drawn by the same code as the data panel and the printed report.
#include "cli/Commands.h"

#include "common/Paths.h"
#include "data/RecordingService.h"
#include "draw/OffscreenGui.h"
#include "draw/Pictures.h"

#include <CLI/CLI.hpp>

#include <charconv>
#include <memory>

namespace tlx::cli {
namespace {

struct PlotOptions {
  std::string data;
  std::string kind;
  std::string session = "1";
  int cell = 8;
  int width = 0;
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

void PlotCommand(const PlotOptions& o) {
  const std::int64_t session = ParseSession(o.session);
  const std::string dataPath = AbsolutePath(o.data);
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
  const auto app = draw::EnsureGuiApplication();
  draw::Picture picture;
  switch (draw::LoadPicture(request, picture)) {
    case SampleRangeStatus::Done: break;
    case SampleRangeStatus::NotDataFile: throw CliFailure(InvalidDataFileMessage(dataPath));
    case SampleRangeStatus::NoSuchSession:
      throw CliFailure("The file " + dataPath + " has no session " + o.session + ".");
    case SampleRangeStatus::ReadFailed: throw CliFailure("The file " + dataPath + " cannot be read.");
  }
  const std::string output = AbsolutePath(o.output);
  const QSize size = o.width > 0 ? draw::SizeForWidth(picture, o.width) : draw::NaturalSize(picture);
  if (draw::SavePicture(picture, output, size) != draw::SaveStatus::Saved) {
    throw CliFailure("The file " + output + " cannot be written.");
  }
}

}  // namespace

void RegisterPlotCommand(CLI::App& app) {
  auto o = std::make_shared<PlotOptions>();
  CLI::App* cmd = app.add_subcommand("plot", "Draw the trace, occupancy heatmap or activity timeline of a data file");
  cmd->add_option("DATA", o->data, "Data file")->required();
  cmd->add_option("--kind", o->kind, "trace, heatmap or timeline")->required()->check(CLI::IsMember({"trace", "heatmap", "timeline"}));
  cmd->add_option("--session", o->session, "Session number, or 'all' for the whole recording (default 1)");
  cmd->add_option("--cell", o->cell, "Heatmap cell size in picture positions (default 8)")->check(CLI::Range(1, 192));
  cmd->add_option("--width", o->width, "Picture width (default 960)")->check(CLI::Range(64, 8192));
  cmd->add_option("--map", o->map, "Zone map file (default: the data file's .MAP, else four quadrants)");
  cmd->add_option("-o,--output", o->output, "Picture file: .png, .svg or .pdf")->required()->check(
      [](const std::string& path) { return draw::IsPictureFileName(path) ? std::string() : "the file name must end in .png, .svg or .pdf"; });
  cmd->callback([o] { PlotCommand(*o); });
}

}  // namespace tlx::cli
