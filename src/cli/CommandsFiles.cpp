// table save|load, config save|load, preset list|show|save|set: the frequency-table
// files, configuration files and presets.
#include <CLI/CLI.hpp>

#include "cli/Commands.h"

namespace zentra::cli {

void AddFileCommands(CLI::App&, ChosenCommand&) {}

}  // namespace zentra::cli
