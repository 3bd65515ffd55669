#include "buildinfo/BuildInfo.h"
#include "cli/Commands.h"
#include "cli/HelpText.h"

#include <CLI/CLI.hpp>

#include <unistd.h>

#include <cerrno>
#include <clocale>
#include <cstdio>
#include <cstring>
#include <algorithm>
#include <filesystem>
#include <iostream>
#include <vector>

namespace tlx::cli {

void WriteStdout(const std::string& bytes) {
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size();
  if (std::fflush(stdout) != 0 || !written) {
    throw CliFailure("The standard output cannot be written.");
  }
}

namespace {

// The edits (insertions, deletions, substitutions) that turn a into b.
std::size_t EditDistance(const std::string& a, const std::string& b) {
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

}  // namespace

std::string UnknownCommandMessage(const CLI::App& app, const std::string& word) {
  std::string names, nearest;
  std::size_t best = 3;  // a near miss: at most two edits away
  for (const CLI::App* command : app.get_subcommands({})) {
    const std::string& name = command->get_name();
    if (name == word) return {};
    names += (names.empty() ? "" : ", ") + name;
    const std::size_t distance = EditDistance(word, name);
    if (distance < best || (distance <= 2 && name.rfind(word, 0) == 0 && best > 2)) {
      best = distance;
      nearest = name;
    }
  }
  std::string message = "Unknown command '" + word + "'.";
  if (!nearest.empty()) message += " Did you mean '" + nearest + "'?";
  return message + " Commands: " + names + ".";
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

namespace {

const char* const kExamples =
    "Examples:\n"
    "  tracelux-cli analyze RAT1.DAT                              results of a recording\n"
    "  tracelux-cli analyze *.DAT --format tidy -o experiment.csv one table for an experiment\n"
    "  tracelux-cli demo                                          a short run on the simulated unit\n\n";

// The word after the program (or after a command that has commands of its own) when it names no
// command: answered before CLI11, which would only say that a command is required.
int RefuseUnknownCommand(const CLI::App& app, int argc, char** argv) {
  const CLI::App* level = &app;
  for (int i = 1; i < argc && level->get_subcommands({}).size() > 0; ++i) {
    const std::string word = argv[i];
    if (word.empty() || word[0] == '-') return 0;
    const std::string message = tlx::cli::UnknownCommandMessage(*level, word);
    if (!message.empty()) {
      std::cerr << message << "\nRun with --help for more information.\n";
      return 2;
    }
    level = level->get_subcommand(word);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
#ifdef TLX_PLOT_FROM_BINDIR
  if (argc >= 2 && std::strcmp(argv[1], "plot") == 0) return tlx::cli::RunPlotProgram(argv);
#endif
  std::setlocale(LC_ALL, "");
  std::setlocale(LC_NUMERIC, "");
  // Named, so the usage lines say "tracelux-cli", not the path the program was started by.
  CLI::App app{"Tracelux-One command line: analysis, export, files and headless runs",
               "tracelux-cli"};
  app.require_subcommand(1);
  app.get_formatter()->label("SUBCOMMAND", "COMMAND");
#ifdef TLX_WITH_DRAW
  const char* const self = "tracelux-plot";  // started as tracelux-cli plot, or by its own name
#else
  const char* const self = "tracelux-cli";
#endif
  app.set_version_flag("--version", tlx::VersionLine(self), "Print the version and the build's commit");
  app.set_help_flag("-h,--help", "Print this help and exit");
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
  app.footer(std::string(kExamples) + tlx::cli::kExitStatusFooter);
  // Every command's help ends with the exit status and the man page, and lists its commands
  // under "Commands:".
  for (CLI::App* command : app.get_subcommands({})) {
    command->group("Commands");
    if (command->get_footer().empty()) command->footer(tlx::cli::kExitStatusFooter);
    for (CLI::App* inner : command->get_subcommands({})) {
      inner->group("Commands");
      if (inner->get_footer().empty()) inner->footer(tlx::cli::kExitStatusFooter);
    }
  }
  if (argc == 2 && std::strcmp(argv[1], "help") == 0) {
    std::cout << app.help();
    return 0;
  }
  if (const int refused = RefuseUnknownCommand(app, argc, argv)) return refused;
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
