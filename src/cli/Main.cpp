#include "buildinfo/BuildInfo.h"
#include "cli/Commands.h"

#include <CLI/CLI.hpp>

#include <clocale>
#include <cstdio>
#include <iostream>

namespace tlx::cli {

void WriteStdout(const std::string& bytes) {
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size();
  if (std::fflush(stdout) != 0 || !written) {
    throw CliFailure("The standard output cannot be written.");
  }
}

}  // namespace tlx::cli

int main(int argc, char** argv) {
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
