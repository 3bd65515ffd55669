#include "cli/Commands.h"

#include <CLI/CLI.hpp>

namespace tlx::cli {

void RegisterSetupCommands(CLI::App& /*app*/) {}

}  // namespace tlx::cli
