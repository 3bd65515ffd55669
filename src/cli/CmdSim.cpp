// tracelux-cli sim --pty [--seed N] [--count N] [--noise-every N] [--drop-every N]: serves the
// simulated unit (N of them with --count, one path per line) on new pseudo-terminals (on a clean,
// noisy or lossy line), prints each terminal's path and serves until SIGINT or SIGTERM.
#include "cli/Commands.h"
#include "cli/HelpText.h"

#include "sim/PtyServer.h"
#include "sim/SimulatedUnit.h"

#include <CLI/CLI.hpp>

#include <csignal>
#include <memory>
#include <thread>
#include <vector>
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
  int count = 1;
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
  // A rack: unit i follows the animal of seed + i, each on its own terminal and thread.
  std::vector<std::unique_ptr<SimulatedUnit>> units;
  std::vector<std::unique_ptr<PtyServer>> servers;
  for (int i = 0; i < options.count; ++i) {
    units.push_back(std::make_unique<SimulatedUnit>(options.seed + static_cast<std::uint32_t>(i)));
    SimulatedUnit& unit = *units.back();
    unit.SetVideoStandard(options.video == "pal" ? VideoStandard::Pal : VideoStandard::Ntsc);
    unit.Faults().dropEvery = options.dropEvery;
    unit.Faults().noiseEvery = options.noiseEvery;
    unit.Faults().delayUs = static_cast<std::int64_t>(options.delayMs) * 1000;
    unit.Faults().silent = options.silent;
    servers.push_back(std::make_unique<PtyServer>(unit));
  }

  // Blocked before the serving threads exist, so they inherit the mask; the descriptor is only
  // watched (never read), so every server sees it become readable.
  const int stopFd = BlockStopSignals();
  if (stopFd < 0) throw CliFailure("sim: cannot watch for SIGINT and SIGTERM.");
  std::string paths;
  for (auto& server : servers) {
    if (!server->Open()) {
      ::close(stopFd);
      throw CliFailure("sim: cannot open a pseudo-terminal (" + server->ErrorText() + ").");
    }
    paths += server->SlavePath() + "\n";
  }
  WriteStdout(paths);
  std::vector<char> stopped(servers.size(), 0);
  std::vector<std::thread> threads;
  for (std::size_t i = 1; i < servers.size(); ++i)
    threads.emplace_back([&, i] { stopped[i] = servers[i]->Serve(stopFd) ? 1 : 0; });
  stopped[0] = servers[0]->Serve(stopFd) ? 1 : 0;
  // The first terminal failing ends serving for all of them.
  for (auto& server : servers) server->RequestStop();
  for (std::thread& t : threads) t.join();
  ::close(stopFd);
  for (std::size_t i = 0; i < servers.size(); ++i)
    if (!stopped[i]) throw CliFailure("sim: the pseudo-terminal failed (" + servers[i]->ErrorText() + ").");
}

}  // namespace

void RegisterSimCommands(CLI::App& app) {
  auto options = std::make_shared<SimOptions>();
  auto* sim = app.add_subcommand("sim", "Serve the simulated unit on a pseudo-terminal");
  sim->add_flag("--pty", options->pty, "Serve on a new pseudo-terminal; its path is printed first")
      ->required();
  sim->add_option("--seed", options->seed, "The simulated animal's path (same seed, same path)")->type_name("N")
      ->capture_default_str();
  sim->add_option("--video", options->video, "Video standard: ntsc (30/s, the default) or pal (25/s)")
      ->type_name("STANDARD")->transform(CLI::IsMember({"ntsc", "pal"}, CLI::ignore_case).description(""));
  sim->add_option("--drop-every", options->dropEvery,
                  "Drop every N-th byte the unit sends (a lossy line; default 0, none)")
      ->type_name("N")->check(Between(0, 2147483647));
  sim->add_option("--noise-every", options->noiseEvery,
                  "Insert a stray random byte after every N-th byte the unit sends (a noisy line; default 0, none)")
      ->type_name("N")->check(Between(0, 2147483647));
  sim->add_option("--delay-ms", options->delayMs, "Act on every command this much later, 0 to 60000 ms (default 0)")
      ->type_name("MS")->check(Between(0, 60000));
  sim->add_flag("--silent", options->silent, "Send nothing at all");
  sim->add_option("--count", options->count, "Serve this many units, 1 to 64, one terminal path per line (default 1)")
      ->type_name("N")->check(Between(1, 64));
  sim->callback([options] { ServeOnPty(*options); });
}

}  // namespace tlx::cli
