// tracelux-cli recover: turns the raw file of an interrupted run that cannot be recovered
// automatically (its journal lost or unreadable) into its data file, map and results, with the
// parameters of the run's setup file.
#include "cli/Commands.h"
#include "cli/HelpText.h"

#include "common/FileChecks.h"
#include "common/Paths.h"
#include "run/RunJournal.h"
#include "run/RunRecovery.h"
#include "setup/SetupFile.h"
#include "zonemap/MapFile.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <memory>

namespace tlx::cli {
namespace {

struct RecoverOptions {
  std::string raw, setup, map, video;
  bool yes = false;
};

void RecoverCommand(const RecoverOptions& o) {
  const std::string setup = AbsolutePath(o.setup);
  ExperimentParameters p;
  if (!FileExists(setup)) throw CliFailure("The setup file " + setup + " does not exist.");
  if (!LoadParameters(setup, p)) throw CliFailure("The setup file " + setup + " cannot be read.");
  SanitiseParameters(p);
  ZoneMap map = ZoneMap::FourQuadrants();
  if (!o.map.empty() && !ReadMapFile(AbsolutePath(o.map), map))
    throw CliFailure("The file " + AbsolutePath(o.map) + " is not a valid zone map.");
  std::vector<std::string> inputs{setup};
  if (!o.map.empty()) inputs.push_back(AbsolutePath(o.map));
  const HandRecovery r = RecoverRawFile(AbsolutePath(o.raw), p, o.video == "pal" ? 1 : 0, map, o.yes, inputs);
  if (!r.Refusal.empty()) throw CliFailure(r.Refusal);
  std::string failures;
  for (const std::string& f : r.Files.Failures) failures += " " + f;
  if (!r.Files.DataWritten) throw CliFailure(failures.substr(failures.empty() ? 0 : 1));
  std::fprintf(stderr, "The raw file %s was recovered into %s (%lld samples, start time %s).\n",
               r.RawPath.c_str(), r.Files.DataPath.c_str(),
               static_cast<long long>(r.Files.Samples), DateTimeText(r.Start).c_str());
  if (!r.Files.Complete()) throw CliFailure(failures.substr(1));
}

}  // namespace

void RegisterRecoverCommand(CLI::App& app) {
  auto o = std::make_shared<RecoverOptions>();
  CLI::App* cmd = app.add_subcommand(
      "recover", "Recover the raw file of an interrupted run by hand, with its setup's parameters");
  cmd->add_option("RAW", o->raw, "Raw file (.RAW) of the interrupted run")->required()->type_name("FILE");
  cmd->add_option("--setup", o->setup, "Experiment setup file (.EXP) the run was recorded with")
      ->required()->type_name("FILE");
  cmd->add_option("--map", o->map, "Zone map file (default: the four quadrants)")->type_name("FILE");
  cmd->add_option("--video", o->video, "Video standard of the unit: ntsc (the default) or pal")
      ->type_name("STANDARD")->check(OneOf({"ntsc", "pal"}));
  cmd->add_flag("--yes", o->yes, "Replace a data file of that name");
  cmd->callback([o] { RecoverCommand(*o); });
}

}  // namespace tlx::cli
