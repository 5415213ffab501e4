#include "cli/Cli.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <iostream>

#include "buildinfo/BuildInfo.h"
#include "cli/Commands.h"
#include "cli/ExitCodes.h"
#include "cli/Output.h"
#include "cli/Session.h"
#include "cli/Terminal.h"
#include "device/ModelTable.h"

namespace zentra::cli {

namespace {

constexpr const char* kExitCodeHelp =
    "Exit status: 0 success; 1 operation failed (not acknowledged, file error, verify "
    "differences); 2 bad arguments or refused value; 3 no IR interface; 4 no "
    "transmitter; 5 read error while reading the transmitter; 6 completed with gaps (a "
    "table or configuration walk finished, but items listed as \"Not read\" or \"Not "
    "written\" failed even when tried again; station run: lines remain or failed); 130 "
    "interrupted.";

// --help-all expands every level of commands (table show, plan suggest, ...) with their
// options, not only the first; the manual page is made from it.
class ExpandingFormatter : public CLI::Formatter {
 public:
  std::string make_expanded(const CLI::App* sub) const override {
    std::string text = sub->get_display_name(true) + "\n" + make_description(sub) +
                       make_positionals(sub) + make_groups(sub, CLI::AppFormatMode::Sub) +
                       make_subcommands(sub, CLI::AppFormatMode::All);
    // One line per entry, nested entries indented under their command.
    text = CLI::detail::find_and_replace(text, "\n\n", "\n");
    if (!text.empty() && text.back() == '\n') text.pop_back();
    return CLI::detail::find_and_replace(text, "\n", "\n  ") + "\n";
  }
};

// Identifies and reads the transmitter in front of the window, then runs the command.
int RunOnTransmitter(Session& session, const ChosenCommand& command) {
  const FullReadResult read = session.Read();
  if (Interrupted()) return kExitInterrupted;
  if (read.faulty) {
    std::string steps;
    for (ReadStep step : read.failedSteps) {
      steps += steps.empty() ? "" : ", ";
      steps += ReadStepName(step);
    }
    PrintError(std::string("WARNING: ") + kReadErrorMessage + " (failed: " + steps + ")");
  }
  const int rc = command.run(session);
  if (rc == kExitOk && read.faulty) return kExitReadFaulty;
  return rc;
}

const char* ResultText(int rc) {
  switch (rc) {
    case kExitOk: return "OK";
    case kExitFailed: return "FAILED";
    case kExitUsage: return "REFUSED";
    case kExitReadFaulty: return "READ ERROR";
    case kExitGaps: return "GAPS";
    case kExitInterrupted: return "INTERRUPTED";
    default: return "FAILED";
  }
}

// Repeats the command for every transmitter that comes in front of the window. A
// transmitter counts once until it leaves; Ctrl-C ends the batch after the summary.
int RunBatch(Session& session, const ChosenCommand& command) {
  int handled = 0, succeeded = 0;
  const int limit = session.options().batchCount;
  std::fprintf(stderr, "Waiting for transmitters (Ctrl-C ends the batch)...\n");
  while (!Interrupted() && (limit <= 0 || handled < limit)) {
    const int wait = session.WaitForTransmitter(1e9);
    if (wait != kExitOk) break;
    ++handled;
    session.batchNumber = handled;
    const int rc = RunOnTransmitter(session, command);
    if (rc == kExitOk) ++succeeded;
    const std::string serial = session.data().SerialText();
    const char* model = ModelName(session.data().modelType);
    std::printf("%d: serial %s, model %s, %s: %s\n", handled,
                serial.empty() ? "?" : serial.c_str(), *model ? model : "?",
                command.name.c_str(), ResultText(rc));
    std::fflush(stdout);
    if (rc == kExitInterrupted) break;
    if (!session.WaitUntilGone()) break;
  }
  std::printf("Total: %d transmitter%s, %d OK, %d failed\n", handled,
              handled == 1 ? "" : "s", succeeded, handled - succeeded);
  std::fflush(stdout);
  if (handled == 0) return Interrupted() ? kExitInterrupted : kExitNoTransmitter;
  return succeeded == handled ? kExitOk : kExitFailed;
}

}  // namespace

void AddAllCommands(CLI::App& app, ChosenCommand& chosen) {
  AddInfoCommands(app, chosen);
  AddSetCommands(app, chosen);
  AddTableCommands(app, chosen);
  AddServiceCommands(app, chosen);
  AddFileCommands(app, chosen);
  AddPresetCommands(app, chosen);
  AddPlanCommands(app, chosen);
  AddStationCommands(app, chosen);
}

int RunCli(int argc, char** argv) {
  CLI::App app{"zentra-cli: configure wireless-microphone transmitters through an IR "
               "interface, for scripts and batches.",
               "zentra-cli"};
  app.formatter(std::make_shared<ExpandingFormatter>());  // before the commands copy it
  app.footer(kExitCodeHelp);
  app.set_version_flag("--version", std::string("zentra-cli ") + kZentraVersion,
                       "Print the version and exit");
  app.set_help_all_flag("--help-all", "Print the help of every command and exit");
  app.require_subcommand(1);
  app.fallthrough();  // global options may follow the command

  GlobalOptions options;
  app.add_option("--interface", options.interfaceIndex,
                 "Entry of the interface list to use (see 'interfaces'; default 0)")
      ->check(CLI::NonNegativeNumber);
  app.add_option("--port", options.port,
                 "Use the serial IR interface at this path (e.g. /dev/ttyACM0 or the "
                 "pseudo-terminal of zentra-sim)");
  app.add_option("--simulate", options.simulate,
                 "Run against the simulator described by SPEC (e.g. nano:ZQL22X@129); "
                 "default: the variable ZENTRA_SIMULATE");
  app.add_option("--access-codes", options.accessCodesFile,
                 "INI file with the access codes ([access] handheld, bodypack, service)");
  app.add_option("--wait", options.waitSeconds,
                 "Seconds to wait for a transmitter in front of the IR window (default 5)")
      ->check(CLI::NonNegativeNumber);
  app.add_flag("--json", options.json, "Machine-readable output (JSON)");
  app.add_flag("--verbose,-v", options.verbose,
               "Log every request and answer in hex with timestamps to stderr");
  app.add_flag("--batch", options.batch,
               "Repeat the command for every transmitter that comes in front of the "
               "window, until Ctrl-C");
  app.add_option("--batch-count", options.batchCount,
                 "End the batch after this many transmitters")
      ->check(CLI::NonNegativeNumber);
  std::string confirmReads = "auto";
  app.add_option("--confirm-reads", confirmReads,
                 "When a value is read twice and the two answers compared: auto (once the "
                 "link has lost or garbled a reply, until it is clean again; default), "
                 "always, never")
      ->check(CLI::IsMember({"auto", "always", "never"}));

  ChosenCommand chosen;
  AddAllCommands(app, chosen);

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
    return kExitUsage;
  }
  if (!chosen.run) {
    PrintError("Choose a command; see --help");
    return kExitUsage;
  }
  if (options.batchCount > 0) options.batch = true;
  options.confirmReads = ParseReadConfirmation(confirmReads).value_or(ReadConfirmation::Auto);

  Session session(options);
  int rc = session.Setup();
  if (rc != kExitOk) return rc;
  if (!chosen.needsInterface) return chosen.run(session);
  rc = session.Connect();
  if (rc != kExitOk) return rc;
  if (!chosen.needsTransmitter) return chosen.run(session);
  if (options.batch) return RunBatch(session, chosen);

  rc = session.WaitForTransmitter(options.waitSeconds);
  if (rc == kExitNoTransmitter) {
    PrintError("No transmitter in front of the IR window");
    return rc;
  }
  if (rc != kExitOk) return rc;
  session.batchNumber = 1;
  return RunOnTransmitter(session, chosen);
}

}  // namespace zentra::cli
