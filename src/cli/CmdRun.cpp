#include "cli/Commands.h"

#include <CLI/CLI.hpp>

namespace tlx::cli {

void RegisterRunCommands(CLI::App& /*app*/) {}

}  // namespace tlx::cli
