// "setup show": an experiment setup file as the program would load, correct and write it back.
#include "cli/Commands.h"

#include "common/FileChecks.h"
#include "common/Paths.h"
#include "setup/ExperimentParameters.h"
#include "setup/SetupFile.h"

#include <CLI/CLI.hpp>

#include <memory>

namespace tlx::cli {

namespace {

struct SetupShowOptions {
  std::string file;
  std::string video = "ntsc";
  std::string output;
};

void RunSetupShow(const SetupShowOptions& opts) {
  const std::string path = AbsolutePath(opts.file);
  if (!FileExists(path)) throw CliFailure(path + ": file not found");

  ExperimentParameters record;  // the all-zero record of a first start
  if (!LoadParameters(path, record)) {
    throw CliFailure(path + ": not a readable experiment setup file");
  }
  SanitiseParameters(record);
  NormaliseSampleRate(record, opts.video == "pal" ? kVideoPal : kVideoNtsc);

  if (opts.output.empty()) {
    WriteStdout(SetupFileText(record));
    return;
  }
  const std::string out = AbsolutePath(opts.output);
  if (!WriteSetupFile(out, record)) throw CliFailure(out + ": cannot be written");
}

}  // namespace

void RegisterSetupCommands(CLI::App& app) {
  CLI::App* setup = app.add_subcommand("setup", "Experiment setup files");
  setup->require_subcommand(1);
  CLI::App* show = setup->add_subcommand(
      "show", "Load a setup file, correct its values and print the file it would be saved as");

  auto opts = std::make_shared<SetupShowOptions>();
  show->add_option("FILE", opts->file, "Experiment setup file (text or binary)")->required();
  show->add_option("--video", opts->video, "Video standard: ntsc (default) or pal")
      ->transform(CLI::IsMember({"ntsc", "pal"}, CLI::ignore_case));
  show->add_option("-o,--output", opts->output, "Write the setup file here instead of printing it");
  show->callback([opts] { RunSetupShow(*opts); });
}

}  // namespace tlx::cli
