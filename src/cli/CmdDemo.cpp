#include "cli/Commands.h"

#include <CLI/CLI.hpp>

namespace tlx::cli {

void RegisterDemoCommand(CLI::App& /*app*/) {}

}  // namespace tlx::cli
