// The subcommands of tracelux-cli. Each group registers itself on the application; a command
// that fails throws CliFailure, which main() reports as one line on standard error, with its exit
// code (1 unless it says otherwise).
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace CLI {
class App;
}

namespace tlx::cli {

// Exit codes besides 0 (success) and 2 (usage error).
inline constexpr int kExitFailed = 1;
inline constexpr int kExitEndedEarly = 3;  // a run ended before its last session; files written

struct CliFailure : std::runtime_error {
  explicit CliFailure(const std::string& what, int code = kExitFailed)
      : std::runtime_error(what), exitCode(code) {}
  int exitCode;
};

// Option values as the analysis reads them; each throws CLI::ValidationError (exit 2) naming the
// option when the text is not one.
double ParseNumber(const std::string& text, const char* option);
std::int64_t ParseWholeNumber(const std::string& text, const char* option);
std::int32_t ParseDuration(const std::string& text, const char* option = "--session-length");
std::int32_t ParseUnits(const std::string& text);  // a name of the units list, case ignored

// Writes bytes to standard output in binary (CR LF kept as they are).
void WriteStdout(const std::string& bytes);

void RegisterSetupCommands(CLI::App& app);    // setup show, setup new
void RegisterMapCommands(CLI::App& app);      // map show, map import
void RegisterAnalyzeCommands(CLI::App& app);  // analyze, export-samples, info
void RegisterSimCommands(CLI::App& app);      // sim --pty
void RegisterRunCommands(CLI::App& app);      // run
void RegisterRecoverCommand(CLI::App& app);   // recover: a raw file by hand, with a setup
void RegisterDemoCommand(CLI::App& app);      // demo: a short headless run on the simulated unit
void RegisterPlotCommand(CLI::App& app);      // plot: pictures of a data file (with the drawing library)
inline constexpr const char* kPlotSummary =
    "Draw the trace, occupancy heatmap or activity timeline of a data file";

}  // namespace tlx::cli
