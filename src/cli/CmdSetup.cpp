// "setup show": an experiment setup file as the program would load, correct and write it back.
// "setup new": a new setup file from options, refusing any value the program would correct.
#include "cli/Commands.h"

#include "common/FileChecks.h"
#include "common/Paths.h"
#include "setup/ExperimentParameters.h"
#include "setup/SetupFile.h"

#include <CLI/CLI.hpp>

#include <cmath>
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

// The values of a new setup file, as given (empty: the default).
struct SetupNewOptions {
  std::string file;
  std::string dataFile, sessionLength, sessions, rate, delay;
  std::string maxDistance, ambulatory, stereotypic, scale, reference, units;
  bool force = false;
};

// A value is refused when the program would correct it on loading: what is written is what runs.
void RefuseCorrected(bool given, bool changed, const char* option, const std::string& text,
                     const char* limits) {
  if (given && changed) throw CLI::ValidationError(option, "'" + text + "' is not possible: " + limits);
}

void RunSetupNew(const SetupNewOptions& o) {
  const std::string path = AbsolutePath(o.file);
  if (FileExists(path) && !o.force)
    throw CliFailure("The setup file " + path + " already exists; give --force to replace it.");
  ExperimentParameters r = NewSetupParameters();
  if (!o.dataFile.empty()) {
    r.DataFile = AbsolutePath(o.dataFile);
    r.SaveData = true;
  }
  const auto number = [](const std::string& text, const char* option) { return ParseNumber(text, option); };
  const auto whole = [&number](const std::string& text, const char* option) {
    const double v = number(text, option);
    if (v != std::floor(v) || v < -2147483648.0 || v > 2147483647.0)
      throw CLI::ValidationError(option, "'" + text + "' is not a whole number");
    return static_cast<std::int32_t>(v);
  };
  if (!o.sessionLength.empty()) r.SessionLength = ParseDuration(o.sessionLength, "--session-length");
  if (!o.sessions.empty()) r.NumberOfSessions = whole(o.sessions, "--sessions");
  if (!o.delay.empty()) r.InitialDelay = ParseDuration(o.delay, "--delay");
  if (!o.rate.empty()) {
    const std::int32_t rate = whole(o.rate, "--rate");
    if (rate != 1 && rate != 5 && rate != 25 && rate != 30)
      throw CLI::ValidationError("--rate", "'" + o.rate + "' is not possible: 1, 5, 25 or 30");
    r.SampleRate = static_cast<std::int16_t>(rate);
  }
  if (!o.maxDistance.empty()) r.MaximumDistance = static_cast<float>(number(o.maxDistance, "--max-distance"));
  if (!o.ambulatory.empty()) r.AmbulatoryThreshold = static_cast<float>(number(o.ambulatory, "--ambulatory"));
  if (!o.stereotypic.empty()) r.StereotypicThreshold = static_cast<float>(number(o.stereotypic, "--stereotypic"));
  if (!o.scale.empty()) r.CalibrateScale = static_cast<float>(number(o.scale, "--scale"));
  if (!o.reference.empty()) r.CalibrateReference = static_cast<float>(number(o.reference, "--reference"));
  if (!o.units.empty()) r.MeasurementUnits = ParseUnits(o.units);

  ExperimentParameters checked = r;
  SanitiseParameters(checked);
  RefuseCorrected(!o.dataFile.empty(), checked.DataFile != r.DataFile, "--data-file", o.dataFile,
                  "it cannot be created");
  RefuseCorrected(true, checked.SessionLength != r.SessionLength, "--session-length", o.sessionLength,
                  "5 seconds to 24 hours, a multiple of 5 seconds");
  RefuseCorrected(true, checked.NumberOfSessions != r.NumberOfSessions, "--sessions", o.sessions, "1 to 65535");
  RefuseCorrected(true, checked.InitialDelay != r.InitialDelay, "--delay", o.delay, "0 to 23:59:59");
  RefuseCorrected(true, checked.MaximumDistance != r.MaximumDistance, "--max-distance", o.maxDistance,
                  "0 to 1000000 pixels");
  RefuseCorrected(true, checked.AmbulatoryThreshold != r.AmbulatoryThreshold, "--ambulatory", o.ambulatory,
                  "0 to 1000000 pixels");
  RefuseCorrected(true, checked.StereotypicThreshold != r.StereotypicThreshold, "--stereotypic", o.stereotypic,
                  "0 to 1000000 pixels");
  RefuseCorrected(true, checked.CalibrateScale != r.CalibrateScale, "--scale", o.scale, "1 to 1000 pixels");
  RefuseCorrected(true, checked.CalibrateReference != r.CalibrateReference, "--reference", o.reference,
                  "0 to 1000000 units");
  if (!WriteSetupFile(path, checked)) throw CliFailure("The setup file " + path + " cannot be written.");
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

  auto n = std::make_shared<SetupNewOptions>();
  CLI::App* make = setup->add_subcommand(
      "new", "Write a new setup file from options (defaults: one 10:00 session at 30/s, no delay, "
             "distances 60/6/3 px, 100 px = 30 cm)");
  make->add_option("FILE", n->file, "Setup file to write (.EXP)")->required();
  make->add_option("--data-file", n->dataFile, "Data file the run records into (turns saving on)");
  make->add_option("--session-length", n->sessionLength, "Session length: seconds or H:MM:SS (multiple of 5 s)");
  make->add_option("--sessions", n->sessions, "Number of sessions (1..65535)");
  make->add_option("--rate", n->rate, "Samples per second: 1, 5, 25 (PAL) or 30 (NTSC)");
  make->add_option("--delay", n->delay, "Initial delay (seconds or H:MM:SS), or the time of day of a time-of-day start");
  make->add_option("--max-distance", n->maxDistance, "Maximum distance, pixels");
  make->add_option("--ambulatory", n->ambulatory, "Ambulatory distance, pixels");
  make->add_option("--stereotypic", n->stereotypic, "Stereotypic distance, pixels");
  make->add_option("--scale", n->scale, "Calibration: this many pixels ...");
  make->add_option("--reference", n->reference, "... are this many units");
  make->add_option("--units", n->units, "Unit name: mm, cm, m, km, inches, feet, yards, miles, user defined");
  make->add_flag("--force", n->force, "Replace an existing file");
  make->callback([n] { RunSetupNew(*n); });
}

}  // namespace tlx::cli
