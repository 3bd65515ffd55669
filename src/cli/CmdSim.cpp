// tracelux-cli sim --pty [--seed N] [--noise-every N] [--drop-every N]: serves the simulated unit
// on a new pseudo-terminal (on a clean, noisy or lossy line), prints the terminal's path on the
// first line and serves until SIGINT or SIGTERM.
#include "cli/Commands.h"

#include "sim/PtyServer.h"
#include "sim/SimulatedUnit.h"

#include <CLI/CLI.hpp>

#include <csignal>
#include <memory>
#include <sys/signalfd.h>
#include <unistd.h>

namespace tlx::cli {
namespace {

struct SimOptions {
  bool pty = false;
  std::uint32_t seed = 1;
  std::string video = "ntsc";
  int dropEvery = 0;
  int noiseEvery = 0;
  int delayMs = 0;
  bool silent = false;
};

// The signals that end serving are taken as readable events on a descriptor, so the serve loop
// notices them without any signal handler.
int BlockStopSignals() {
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  if (sigprocmask(SIG_BLOCK, &signals, nullptr) != 0) return -1;
  return signalfd(-1, &signals, SFD_CLOEXEC);
}

void ServeOnPty(const SimOptions& options) {
  if (!options.pty) throw CliFailure("sim: only --pty is supported.");
  SimulatedUnit unit(options.seed);
  unit.SetVideoStandard(options.video == "pal" ? VideoStandard::Pal : VideoStandard::Ntsc);
  unit.Faults().dropEvery = options.dropEvery;
  unit.Faults().noiseEvery = options.noiseEvery;
  unit.Faults().delayUs = static_cast<std::int64_t>(options.delayMs) * 1000;
  unit.Faults().silent = options.silent;

  const int stopFd = BlockStopSignals();
  if (stopFd < 0) throw CliFailure("sim: cannot watch for SIGINT and SIGTERM.");
  PtyServer server(unit);
  if (!server.Open()) {
    ::close(stopFd);
    throw CliFailure("sim: cannot open a pseudo-terminal (" + server.ErrorText() + ").");
  }
  WriteStdout(server.SlavePath() + "\n");
  const bool stopped = server.Serve(stopFd);
  ::close(stopFd);
  if (!stopped) throw CliFailure("sim: the pseudo-terminal failed (" + server.ErrorText() + ").");
}

}  // namespace

void RegisterSimCommands(CLI::App& app) {
  auto options = std::make_shared<SimOptions>();
  auto* sim = app.add_subcommand("sim", "Serve the simulated unit on a pseudo-terminal");
  sim->add_flag("--pty", options->pty, "Serve on a new pseudo-terminal; its path is printed first")
      ->required();
  sim->add_option("--seed", options->seed, "The simulated animal's path (same seed, same path)");
  sim->add_option("--video", options->video, "Video standard: ntsc (30/s) or pal (25/s)")
      ->transform(CLI::IsMember({"ntsc", "pal"}, CLI::ignore_case));
  sim->add_option("--drop-every", options->dropEvery,
                  "Drop every N-th byte the unit sends (a lossy line)")
      ->check(CLI::NonNegativeNumber);
  sim->add_option("--noise-every", options->noiseEvery,
                  "Insert a stray random byte after every N-th byte the unit sends (a noisy line)")
      ->check(CLI::NonNegativeNumber);
  sim->add_option("--delay-ms", options->delayMs, "Act on every command this much later")
      ->check(CLI::Range(0, 60000));
  sim->add_flag("--silent", options->silent, "Send nothing at all");
  sim->callback([options] { ServeOnPty(*options); });
}

}  // namespace tlx::cli
