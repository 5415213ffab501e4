// station run ROWS.csv --report REPORT.csv [--count N]: the programming station on the
// command line. Transmitters are presented one after another; each is programmed with
// the next line of the list not yet done and gets one line on stdout, and the report is
// written after every one. Ends when every line is done, after N transmitters, or on
// Ctrl-C; exit 0 when every line is OK, 6 when lines remain or failed.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <memory>

#include "cli/Commands.h"
#include "cli/ExitCodes.h"
#include "cli/Output.h"
#include "cli/Session.h"
#include "cli/Terminal.h"
#include "device/SettingItems.h"
#include "files/ProgrammingStation.h"

namespace zentra::cli {

namespace {

constexpr int kPollIntervalMs = 1200;  // the presence poll's tick

struct StationArgs {
  std::string rows;
  std::string report;
  int count = 0;
};

std::string EntryText(const StationEntry& e) {
  std::string text = (e.line > 0 ? "line " + std::to_string(e.line) : std::string("no line")) +
                     ": serial " + (e.serial.empty() ? std::string("?") : Printable(e.serial)) + ", " +
                     (e.model.empty() ? std::string("?") : e.model);
  if (e.outcome != StationOutcome::AlreadyDone && !e.group.empty()) {
    if (!e.name.empty()) text += ", \"" + Printable(e.name) + "\"";
    text += ", group " + e.group + ", channel " + e.channel + ", " + e.frequency + " MHz";
  }
  return text + ": " + OutcomeText(e) + " (" + std::to_string(e.requests) + " requests)";
}

std::string EntryJson(const StationList& list, const StationEntry& e) {
  JsonObject settings;
  for (size_t i = 0; i < list.settingColumns.size() && i < e.settings.size(); ++i)
    settings.Add(NamedSettingName(list.settingColumns[i]), e.settings[i]);
  JsonObject o;
  o.Add("line", e.line).Add("serial", e.serial).Add("model", e.model).Add("name", e.name)
      .Add("group", e.group).Add("channel", e.channel).Add("frequency", e.frequency)
      .AddRaw("settings", settings.str());
  if (list.hasLock) o.Add("lock", e.lock);
  if (list.hasHidden) o.Add("hidden", e.hidden);
  o.Add("result", OutcomeText(e)).Add("time", e.time).Add("requests", e.requests);
  return o.str();
}

std::string NextText(const ProgrammingStation& station) {
  const auto next = station.NextLine();
  return next ? StationLineText(station.list().lines[*next]) : "every line is done";
}

int RunStation(Session& session, const StationArgs& args) {
  const bool json = session.options().json;
  StationListRead read = ReadStationList(args.rows);
  if (!read.ok) {
    PrintError(args.rows + ": " + read.error + "; nothing was sent");
    return kExitUsage;
  }
  ProgrammingStation station(session.link(), session.data(), session.presets(),
                             std::move(read.list), args.report, session.interfaceKind());
  const std::string error = station.Start();
  if (!error.empty()) {
    PrintError(error);
    return kExitFailed;
  }
  const size_t lines = station.list().lines.size();
  auto summary = [&] {
    const size_t done = station.linesDone();
    int ok = 0;
    for (size_t i = station.entries().size() - static_cast<size_t>(station.handled());
         i < station.entries().size(); ++i) {
      ok += station.entries()[i].outcome == StationOutcome::Ok ? 1 : 0;
    }
    if (json) {
      JsonObject o;
      o.Add("transmitters", station.handled()).Add("ok", ok)
          .Add("linesDone", static_cast<int>(done)).Add("lines", static_cast<int>(lines))
          .Add("report", args.report);
      std::printf("%s\n", o.str().c_str());
    } else {
      std::printf("Total: %d transmitter%s, %d OK; %zu of %zu lines done (report %s)\n",
                  station.handled(), station.handled() == 1 ? "" : "s", ok, done, lines,
                  args.report.c_str());
    }
    std::fflush(stdout);
    return station.AllDone() ? kExitOk : kExitGaps;
  };
  if (station.AllDone()) {
    std::fprintf(stderr, "Every line of %s is done already (report %s).\n", args.rows.c_str(),
                 args.report.c_str());
    return summary();
  }
  std::fprintf(stderr,
               "Programming %zu line%s from %s (%zu done already); present the transmitters "
               "one after another (Ctrl-C ends).\nPresent the next transmitter: %s\n",
               lines, lines == 1 ? "" : "s", args.rows.c_str(), station.linesDone(),
               NextText(station).c_str());

  StationHooks hooks;
  hooks.stopRequested = [] { return Interrupted(); };
  while (!Interrupted() && !station.AllDone() && (args.count <= 0 || station.handled() < args.count)) {
    const StationTick tick = station.Tick(hooks);
    if (tick.event == StationEvent::Handled || tick.event == StationEvent::ReportFailed) {
      std::printf("%s\n", json ? EntryJson(station.list(), *tick.entry).c_str()
                               : EntryText(*tick.entry).c_str());
      std::fflush(stdout);
      if (tick.event == StationEvent::ReportFailed) {
        PrintError(tick.error);
        return kExitFailed;
      }
      if (!station.AllDone() && (args.count <= 0 || station.handled() < args.count)) {
        std::fprintf(stderr, "Take the transmitter away.\n");
      }
    } else if (tick.event == StationEvent::Left) {
      std::fprintf(stderr, "Present the next transmitter: %s\n", NextText(station).c_str());
    }
    if (station.AllDone() || (args.count > 0 && station.handled() >= args.count)) break;
    if (!SleepUnlessInterrupted(kPollIntervalMs)) break;
  }
  return summary();
}

}  // namespace

void AddStationCommands(CLI::App& app, ChosenCommand& chosen) {
  auto* station = app.add_subcommand(
      "station",
      "The programming station: many transmitters programmed one after another from a list");
  station->require_subcommand(1);
  auto args = std::make_shared<StationArgs>();
  auto* run = station->add_subcommand(
      "run",
      "Program the transmitters presented one after another, each with the next line of "
      "ROWS not yet done (columns Name, Group, Channel, optional Frequency in MHz, any "
      "setting 'set' takes, Lock, Hidden, Config), and write REPORT after every one. A "
      "serial already OK is not programmed again; an existing REPORT of the same list is "
      "continued. Ends when every line is done, after --count transmitters, or on Ctrl-C; "
      "exit 0 when every line is OK, 6 when lines remain or failed.");
  run->add_option("rows", args->rows, "The list (CSV with a header row)")->required();
  run->add_option("--report", args->report, "The report (CSV), written after every transmitter")
      ->required();
  run->add_option("--count", args->count, "End after this many transmitters")
      ->check(CLI::NonNegativeNumber);
  run->callback([&chosen, args] {
    chosen.name = "station run";
    chosen.needsTransmitter = false;
    chosen.run = [args](Session& s) { return RunStation(s, *args); };
  });
}

}  // namespace zentra::cli
