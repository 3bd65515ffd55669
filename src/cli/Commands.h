// The subcommands of tracelux-cli. Each group registers itself on the application; a command
// that fails throws CliFailure, which main() reports as one line on standard error, exit code 1.
#pragma once

#include <stdexcept>
#include <string>

namespace CLI {
class App;
}

namespace tlx::cli {

struct CliFailure : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Writes bytes to standard output in binary (CR LF kept as they are).
void WriteStdout(const std::string& bytes);

void RegisterSetupCommands(CLI::App& app);    // setup show
void RegisterMapCommands(CLI::App& app);      // map show, map import
void RegisterAnalyzeCommands(CLI::App& app);  // analyze, export-samples, info
void RegisterSimCommands(CLI::App& app);      // sim --pty
void RegisterRunCommands(CLI::App& app);      // run
void RegisterDemoCommand(CLI::App& app);      // demo: a short headless run on the simulated unit
void RegisterPlotCommand(CLI::App& app);      // plot: pictures of a data file (with the drawing library)

}  // namespace tlx::cli
