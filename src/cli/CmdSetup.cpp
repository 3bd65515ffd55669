// "setup show": an experiment setup file as the program would load, correct and write it back.
// "setup new": a new setup file from options, refusing any value the program would correct.
#include "cli/Commands.h"
#include "cli/HelpText.h"

#include "common/FileChecks.h"
#include "common/Paths.h"
#include "data/OutputPlan.h"
#include "run/RunFiles.h"
#include "setup/ExperimentParameters.h"
#include "setup/ParameterRules.h"
#include "setup/ParameterTable.h"
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
  if (const OutputCheck check = CheckOutput(out, {path}, "the setup file being read"); !check.Ready())
    throw CliFailure(check.Text());
  if (!WriteSetupFile(out, record)) throw CliFailure(out + ": cannot be written");
}

// The values of a new setup file, as given (empty: the default).
struct SetupNewOptions {
  std::string file;
  std::string dataFile, sessionLength, sessions, rate, delay;
  std::string maxDistance, ambulatory, stereotypic, scale, reference, units;
  bool force = false;
};

// A value is refused when a run could not have it: what is written is what runs.
template <class T>
T Checked(Parameter parameter, double value, const std::string& text) {
  const ParameterSpec& spec = SpecOf(parameter);
  if (const std::string limits = RunValueProblem(parameter, value); !limits.empty())
    throw CLI::ValidationError(spec.Option, "'" + text + "' is not possible: " + limits);
  return static_cast<T>(value);
}

void RunSetupNew(const SetupNewOptions& o) {
  const std::string path = AbsolutePath(o.file);
  if (FileExists(path) && !o.force)
    throw CliFailure("The setup file " + path + " already exists; give --force to replace it.");
  if (const OutputCheck check = CheckOutput(path); !check.Ready()) throw CliFailure(check.Text());
  ExperimentParameters r = NewSetupParameters();
  if (!o.dataFile.empty()) {
    r.DataFile = AbsolutePath(o.dataFile);
    r.SaveData = true;
  }
  const auto given = [](const std::string& text) { return !text.empty(); };
  const auto number = [](Parameter p, const std::string& text) {
    return Checked<float>(p, ParseNumber(text, SpecOf(p).Option), text);
  };
  const auto whole = [](Parameter p, const std::string& text) {
    const ParameterSpec& spec = SpecOf(p);
    const double value = spec.Duration ? ParseDuration(text, spec.Option)
                                       : static_cast<double>(ParseWholeNumber(text, spec.Option));
    return Checked<std::int32_t>(p, value, text);
  };
  if (given(o.sessionLength)) r.SessionLength = whole(Parameter::SessionLength, o.sessionLength);
  if (given(o.sessions)) r.NumberOfSessions = whole(Parameter::NumberOfSessions, o.sessions);
  if (given(o.delay)) r.InitialDelay = whole(Parameter::InitialDelay, o.delay);
  if (given(o.rate)) r.SampleRate = static_cast<std::int16_t>(whole(Parameter::SampleRate, o.rate));
  if (given(o.maxDistance)) r.MaximumDistance = number(Parameter::MaximumDistance, o.maxDistance);
  if (given(o.ambulatory)) r.AmbulatoryThreshold = number(Parameter::AmbulatoryThreshold, o.ambulatory);
  if (given(o.stereotypic)) r.StereotypicThreshold = number(Parameter::StereotypicThreshold, o.stereotypic);
  if (given(o.scale)) r.CalibrateScale = number(Parameter::CalibrateScale, o.scale);
  if (given(o.reference)) r.CalibrateReference = number(Parameter::CalibrateReference, o.reference);
  if (given(o.units)) r.MeasurementUnits = ParseUnits(o.units);

  ExperimentParameters checked = r;
  SanitiseParameters(checked);
  if (given(o.dataFile) && checked.DataFile != r.DataFile)
    throw CLI::ValidationError("--data-file", "'" + o.dataFile + "' is not possible: it cannot be created");
  // The values together: a calibration the data file cannot hold exactly is refused by the run.
  if (const std::string problem = RecordingProblem(checked); !problem.empty())
    throw CLI::ValidationError(given(o.reference) ? "--reference" : "--scale", problem);
  // The data file is refused here exactly as the run would refuse it before it starts.
  if (!o.dataFile.empty()) {
    if (HasControlCharacter(r.DataFile)) throw CliFailure(ControlCharacterText(r.DataFile));
    std::string file;
    if (const int error = CheckRecordingCreatable(r.DataFile, file); error != 0)
      throw CliFailure("The file " + file + " cannot be created: " + SystemReasonText(error) + ".");
  }
  if (!WriteSetupFile(path, checked)) throw CliFailure("The setup file " + path + " cannot be written.");
}

}  // namespace

void RegisterSetupCommands(CLI::App& app) {
  CLI::App* setup = app.add_subcommand("setup", "Experiment setup files");
  setup->require_subcommand(1);
  CLI::App* show = setup->add_subcommand(
      "show", "Load a setup file, correct its values and print the file it would be saved as");

  auto opts = std::make_shared<SetupShowOptions>();
  show->add_option("FILE", opts->file, "Experiment setup file (text or binary)")->required()->type_name("FILE");
  show->add_option("--video", opts->video, "Video standard: ntsc (the default) or pal")
      ->type_name("STANDARD")->transform(CLI::IsMember({"ntsc", "pal"}, CLI::ignore_case).description(""));
  show->add_option("-o,--output", opts->output, "Write the setup file here instead of printing it")->type_name("FILE");
  show->callback([opts] { RunSetupShow(*opts); });

  auto n = std::make_shared<SetupNewOptions>();
  CLI::App* make = setup->add_subcommand(
      "new", "Write a new setup file from options (defaults: one 10:00 session at 30/s, no delay, "
             "distances 60/6/3 px, 100 px = 30 cm)");
  make->add_option("FILE", n->file, "Setup file to write (.EXP)")->required()->type_name("FILE");
  make->add_option("--data-file", n->dataFile, "Data file the run records into (turns saving on)")->type_name("FILE");
  make->add_option("--session-length", n->sessionLength, "Session length: seconds or H:MM:SS, a multiple of 5 s (default 10:00)")
      ->type_name("SECONDS");
  make->add_option("--sessions", n->sessions, "Number of sessions, 1 to 65535 (default 1)")->type_name("N");
  make->add_option("--rate", n->rate, "Samples per second: 1, 5, 25 (PAL) or 30 (NTSC, the default)")->type_name("N");
  make->add_option("--delay", n->delay, "Initial delay (seconds or H:MM:SS), or the time of day of a time-of-day start (default 0)")
      ->type_name("SECONDS");
  make->add_option("--max-distance", n->maxDistance, "Maximum distance, pixels (default 60)")->type_name("PIXELS");
  make->add_option("--ambulatory", n->ambulatory, "Ambulatory distance, pixels (default 6)")->type_name("PIXELS");
  make->add_option("--stereotypic", n->stereotypic, "Stereotypic distance, pixels (default 3)")->type_name("PIXELS");
  make->add_option("--scale", n->scale, "Calibration: this many pixels ... (default 100)")->type_name("PIXELS");
  make->add_option("--reference", n->reference, "... are this many units (default 30)")->type_name("UNITS");
  make->add_option("--units", n->units, "Unit name: mm, cm (the default), m, km, inches, feet, yards, miles, user defined")
      ->type_name("NAME");
  make->add_flag("--force", n->force, "Replace an existing setup file");
  make->callback([n] { RunSetupNew(*n); });
}

}  // namespace tlx::cli
