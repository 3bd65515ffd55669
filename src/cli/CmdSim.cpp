#include "cli/Commands.h"

#include <CLI/CLI.hpp>

namespace tlx::cli {

void RegisterSimCommands(CLI::App& /*app*/) {}

}  // namespace tlx::cli
