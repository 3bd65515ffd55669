#include "cli/Commands.h"

#include <CLI/CLI.hpp>

namespace tlx::cli {

void RegisterMapCommands(CLI::App& /*app*/) {}

}  // namespace tlx::cli
