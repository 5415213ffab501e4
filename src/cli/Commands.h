// The command table of zentra-cli: every subcommand registers its options with CLI11
// and, when chosen, hands back what to run once a transmitter is identified and read.
#pragma once

#include <functional>
#include <string>

namespace CLI {
class App;
}

namespace zentra::cli {

class Session;

// The command the user chose. run returns an exit code (ExitCodes.h).
struct ChosenCommand {
  std::string name;                        // for batch summaries: "info", "set gain", ...
  std::function<int(Session&)> run;
  bool needsTransmitter = true;            // false: runs with only the interface open
  bool needsInterface = true;              // false: runs without opening an interface
};

void AddInfoCommands(CLI::App& app, ChosenCommand& chosen);     // interfaces, info, power-profile
void AddSetCommands(CLI::App& app, ChosenCommand& chosen);      // set SETTING VALUE...
void AddTableCommands(CLI::App& app, ChosenCommand& chosen);    // table ...
void AddServiceCommands(CLI::App& app, ChosenCommand& chosen);  // eeprom, cal, service
void AddFileCommands(CLI::App& app, ChosenCommand& chosen);     // table save/load, config
void AddPresetCommands(CLI::App& app, ChosenCommand& chosen);   // preset list/show/save/set
void AddPlanCommands(CLI::App& app, ChosenCommand& chosen);     // plan ..., table export/import
void AddStationCommands(CLI::App& app, ChosenCommand& chosen);  // station run
// Every command above, in the order zentra-cli shows them.
void AddAllCommands(CLI::App& app, ChosenCommand& chosen);

// A file name given to a batch command may carry {n} (the transmitter's number in the
// batch, from 1), {serial} and {model}, so every transmitter gets its own file.
std::string ExpandFileName(const std::string& pattern, Session& session);

}  // namespace zentra::cli
