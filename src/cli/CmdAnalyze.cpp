#include "cli/Commands.h"

#include <CLI/CLI.hpp>

namespace tlx::cli {

void RegisterAnalyzeCommands(CLI::App& /*app*/) {}

}  // namespace tlx::cli
