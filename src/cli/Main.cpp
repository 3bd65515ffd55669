#include "buildinfo/BuildInfo.h"
#include "cli/Commands.h"

#include <CLI/CLI.hpp>

#include <unistd.h>

#include <cerrno>
#include <clocale>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>

namespace tlx::cli {

void WriteStdout(const std::string& bytes) {
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size();
  if (std::fflush(stdout) != 0 || !written) {
    throw CliFailure("The standard output cannot be written.");
  }
}

#ifdef TLX_PLOT_FROM_BINDIR
namespace {

// The plot program beside this one (the build tree), else where it is installed relative to it
// (an unpacked package works from its folder too).
std::string PlotProgram() {
  std::error_code error;
  const std::filesystem::path dir = std::filesystem::read_symlink("/proc/self/exe", error).parent_path();
  const std::filesystem::path beside = dir / "tracelux-plot";
  if (!error && ::access(beside.c_str(), X_OK) == 0) return beside;
  return (dir / TLX_PLOT_FROM_BINDIR).lexically_normal();
}

// plot draws through Qt: this process becomes the plot program with the same arguments, so the
// other commands start without loading Qt's libraries. Returns only when that failed.
int RunPlotProgram(char** argv) {
  const std::string program = PlotProgram();
  ::execv(program.c_str(), argv);
  std::cerr << "The plot command cannot be run: " << program << ": " << std::strerror(errno) << ".\n";
  return 1;
}

}  // namespace
#endif

}  // namespace tlx::cli

int main(int argc, char** argv) {
#ifdef TLX_PLOT_FROM_BINDIR
  if (argc >= 2 && std::strcmp(argv[1], "plot") == 0) return tlx::cli::RunPlotProgram(argv);
#endif
  std::setlocale(LC_ALL, "");
  std::setlocale(LC_NUMERIC, "");
  CLI::App app{"Tracelux-One command line: analysis, export, files and headless runs"};
  app.require_subcommand(1);
  app.set_version_flag("--version", tlx::VersionLine("tracelux-cli"));
  tlx::cli::RegisterSetupCommands(app);
  tlx::cli::RegisterMapCommands(app);
  tlx::cli::RegisterAnalyzeCommands(app);
  tlx::cli::RegisterSimCommands(app);
  tlx::cli::RegisterRunCommands(app);
  tlx::cli::RegisterRecoverCommand(app);
  tlx::cli::RegisterDemoCommand(app);
#ifdef TLX_WITH_DRAW
  tlx::cli::RegisterPlotCommand(app);
#elif defined(TLX_PLOT_FROM_BINDIR)
  app.add_subcommand("plot", tlx::cli::kPlotSummary);  // listed in the help; run by the plot program
#endif
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForAllHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForVersion& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    app.exit(e);
    return 2;
  } catch (const tlx::cli::CliFailure& e) {
    std::cerr << e.what() << '\n';
    return e.exitCode;
  }
  return 0;
}
