// plan check|suggest and table export|import: frequency coordination of a group (the
// intermodulation check and compatible-frequency suggestions), offline on a .qdf file
// or on the transmitter, and the exchange of tables as CSV.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <memory>

#include "cli/Commands.h"
#include "cli/ExitCodes.h"
#include "cli/Items.h"
#include "cli/Output.h"
#include "cli/Session.h"
#include "files/GroupCoordination.h"
#include "files/IniFile.h"
#include "files/TablePlan.h"
#include "plan/Exclusions.h"
#include "plan/Suggest.h"

namespace zentra::cli {

namespace {

using plan::ChannelMark;
using plan::Conflict;

// A group to check: each channel's frequency while it is on air.
struct CheckedGroup {
  std::string label;  // "00", or as the transmitter's group list shows it
  std::optional<std::string> name;
  std::vector<int> channels;
  std::vector<std::optional<int32_t>> rowsKHz;  // one per channel
  bool complete = true;                         // every channel could be read
};

struct PlanArgs {
  std::string file, group, range, step, toGroup, toFile, csv, to;
  std::vector<std::string> keep, exclude, onAir;
  std::string tvChannels, scan;
  int tvRaster = 8;
  double thresholdDbm = kDefaultThresholdDbm;
  static constexpr double kDefaultThresholdDbm = -80;
  int count = 0;
  bool device = false, all = false, hideRest = false;
  plan::Guards guards;
};

void AddGuardOptions(CLI::App* cmd, plan::Guards& g) {
  cmd->add_option("--spacing", g.spacingKHz, "Minimum spacing of two carriers, kHz (default 350)")
      ->check(CLI::NonNegativeNumber);
  cmd->add_option("--guard-2tx3", g.twoTx3rdKHz, "Guard of 2-transmitter 3rd-order products, kHz (default 100)")
      ->check(CLI::NonNegativeNumber);
  cmd->add_option("--guard-2tx5", g.twoTx5thKHz, "Guard of 2-transmitter 5th-order products, kHz (default 50)")
      ->check(CLI::NonNegativeNumber);
  cmd->add_option("--guard-3tx3", g.threeTx3rdKHz, "Guard of 3-transmitter 3rd-order products, kHz (default 50)")
      ->check(CLI::NonNegativeNumber);
}

std::string GuardsText(const plan::Guards& g) {
  return "spacing " + std::to_string(g.spacingKHz) + " kHz, 2Tx 3rd " + std::to_string(g.twoTx3rdKHz) +
         " kHz, 2Tx 5th " + std::to_string(g.twoTx5thKHz) + " kHz, 3Tx 3rd " + std::to_string(g.threeTx3rdKHz) +
         " kHz";
}

std::string GuardsJson(const plan::Guards& g) {
  JsonObject o;
  o.Add("spacingKHz", g.spacingKHz).Add("twoTx3rdKHz", g.twoTx3rdKHz).Add("twoTx5thKHz", g.twoTx5thKHz);
  o.Add("threeTx3rdKHz", g.threeTx3rdKHz);
  return o.str();
}

std::string ConflictJson(const Conflict& c, int channel) {
  JsonObject o;
  o.Add("channel", channel).Add("freqKHz", c.victimKHz).Add("kind", plan::ConflictKindName(c.kind));
  o.Add("productKHz", static_cast<long long>(c.productKHz));
  std::vector<long long> makers(c.makersKHz.begin(), c.makersKHz.begin() + c.makerCount);
  o.Add("makersKHz", makers).Add("distanceKHz", static_cast<long long>(c.distanceKHz()));
  o.Add("text", plan::ConflictText(c));
  return o.str();
}

std::string ConflictLine(const Conflict& c) {
  if (c.kind == plan::ConflictKind::Spacing) return plan::ConflictText(c);
  return std::string(plan::ConflictKindName(c.kind)) + ": " + plan::ConflictFormula(c) + ", " +
         std::to_string(c.distanceKHz()) + " kHz off";
}

// The marks of each group: each checked on its own, or all of them as one show whose
// carriers are on air together.
std::vector<std::vector<ChannelMark>> MarkGroups(const std::vector<CheckedGroup>& groups,
                                                 const plan::Guards& guards, bool together) {
  std::vector<std::vector<ChannelMark>> out;
  if (!together) {
    for (const CheckedGroup& g : groups) out.push_back(plan::MarkChannels(g.rowsKHz, guards));
    return out;
  }
  std::vector<std::optional<int32_t>> rows;
  for (const CheckedGroup& g : groups) rows.insert(rows.end(), g.rowsKHz.begin(), g.rowsKHz.end());
  const std::vector<ChannelMark> marks = plan::MarkChannels(rows, guards);
  size_t at = 0;
  for (const CheckedGroup& g : groups) {
    out.emplace_back(marks.begin() + static_cast<std::ptrdiff_t>(at),
                     marks.begin() + static_cast<std::ptrdiff_t>(at + g.rowsKHz.size()));
    at += g.rowsKHz.size();
  }
  return out;
}

// Prints the check of every group; returns the number of conflicts found.
size_t PrintChecks(const std::vector<CheckedGroup>& groups, const plan::Guards& guards, bool json,
                   bool all, bool together, bool& complete) {
  constexpr size_t kLinesPerChannel = 10;
  size_t total = 0;
  complete = true;
  std::vector<std::string> jsonGroups;
  if (!json) {
    std::printf("Guards: %s\n", GuardsText(guards).c_str());
    if (together) std::printf("Groups on air together: checked as one show\n");
  }
  const std::vector<std::vector<ChannelMark>> groupMarks = MarkGroups(groups, guards, together);
  for (size_t gi = 0; gi < groups.size(); ++gi) {
    const CheckedGroup& g = groups[gi];
    const std::vector<ChannelMark>& marks = groupMarks[gi];
    size_t onAir = 0, count = 0;
    for (size_t i = 0; i < marks.size(); ++i) {
      onAir += g.rowsKHz[i] ? 1 : 0;
      count += marks[i].conflicts.size();
    }
    total += count;
    complete = complete && g.complete;
    if (json) {
      std::vector<std::string> list;
      for (size_t i = 0; i < marks.size(); ++i) {
        for (const Conflict& c : marks[i].conflicts) list.push_back(ConflictJson(c, g.channels[i]));
      }
      JsonObject o;
      o.Add("group", g.label);
      if (g.name) o.Add("name", *g.name);
      o.Add("onAir", static_cast<long long>(onAir)).Add("clean", count == 0).Add("complete", g.complete);
      o.AddRaw("conflicts", JsonArray(list));
      jsonGroups.push_back(o.str());
      continue;
    }
    std::printf("Group %s", g.label.c_str());
    if (g.name) std::printf(" \"%s\"", Printable(*g.name).c_str());
    std::printf(": %zu channel(s) on air, %s\n", onAir,
                count == 0 ? "clean" : (std::to_string(count) + " conflict(s)").c_str());
    for (size_t i = 0; i < marks.size(); ++i) {
      const auto& list = marks[i].conflicts;
      for (size_t k = 0; k < list.size() && (all || k < kLinesPerChannel); ++k) {
        std::printf("  CH%s %s MHz  %s\n", TwoDigits(g.channels[i]).c_str(), plan::MHzText(list[k].victimKHz).c_str(),
                    ConflictLine(list[k]).c_str());
      }
      if (!all && list.size() > kLinesPerChannel) {
        std::printf("  CH%s ... %zu more (--all lists them)\n", TwoDigits(g.channels[i]).c_str(),
                    list.size() - kLinesPerChannel);
      }
    }
  }
  if (json) {
    JsonObject o;
    o.AddRaw("guards", GuardsJson(guards)).AddRaw("groups", JsonArray(jsonGroups));
    o.Add("together", together);
    o.Add("conflicts", static_cast<long long>(total)).Add("clean", total == 0 && complete);
    std::printf("%s\n", o.str().c_str());
  }
  return total;
}

CheckedGroup FromTable(const plan::TableGroup& t) {
  CheckedGroup g;
  g.label = t.label();
  g.name = t.name;
  for (const plan::TableChannel& c : t.channels) {
    g.channels.push_back(c.channel);
    const bool onAir = c.freqKHz && c.hidden != plan::Flag::Set;
    g.rowsKHz.push_back(onAir ? c.freqKHz : std::nullopt);
  }
  return g;
}

std::optional<int> GroupNumber(const std::string& text) {
  if (text.empty() || text.size() > 3 || text.find_first_not_of("0123456789") != std::string::npos) {
    return std::nullopt;
  }
  return std::stoi(text);
}

int Finish(size_t conflicts, bool complete) {
  if (!complete) PrintError("Some channels could not be read; they were left out of the check");
  return conflicts == 0 && complete ? kExitOk : kExitFailed;
}

// "00, 01, SYNC": the groups a table has.
std::string GroupLabels(const plan::FrequencyTable& table) {
  std::string out;
  for (const plan::TableGroup& t : table.groups) out += (out.empty() ? "" : ", ") + t.label();
  return out;
}

// The table groups --groups-on-air names; false (the error printed) for one the table
// has not.
bool TableGroupsOnAir(const PlanArgs& a, const plan::FrequencyTable& table, const std::string& file,
                      std::vector<const plan::TableGroup*>& out) {
  const std::string offered = GroupLabels(table);
  for (const std::string& typed : a.onAir) {
    const auto n = GroupNumber(typed);
    const plan::TableGroup* t = n ? table.Find(false, *n) : nullptr;
    if (!t) {
      PrintError("--groups-on-air: no group '" + typed + "' in " + file + " (groups: " + offered + ")");
      return false;
    }
    out.push_back(t);
  }
  return true;
}

int CheckFile(const PlanArgs& a, bool json) {
  IniFile ini;
  std::string error;
  plan::FrequencyTable table;
  if (!OpenTableFile(a.file, false, ini, error) || !ReadTablePlan(ini, table, error)) {
    PrintError(error);
    return kExitFailed;
  }
  std::vector<CheckedGroup> groups;
  const std::string offered = GroupLabels(table);
  if (!a.onAir.empty()) {
    if (!a.group.empty()) {
      PrintError("Choose one of --group and --groups-on-air");
      return kExitUsage;
    }
    std::vector<const plan::TableGroup*> onAir;
    if (!TableGroupsOnAir(a, table, a.file, onAir)) return kExitUsage;
    for (const plan::TableGroup* t : onAir) groups.push_back(FromTable(*t));
  }
  for (const plan::TableGroup& t : a.onAir.empty() ? table.groups : std::vector<plan::TableGroup>{}) {
    const bool wanted = a.group.empty() ? !t.sync
                        : t.sync        ? a.group == "sync" || a.group == "SYNC"
                                        : GroupNumber(a.group) == t.number;
    if (wanted) groups.push_back(FromTable(t));
  }
  if (groups.empty()) {
    PrintError(a.group.empty() ? "No group in " + a.file
                               : "No group '" + a.group + "' in " + a.file + " (groups: " + offered + ")");
    return kExitUsage;
  }
  bool complete = true;
  const size_t n = PrintChecks(groups, a.guards, json, a.all || json, !a.onAir.empty(), complete);
  return Finish(n, complete);
}

std::optional<int> PickDeviceGroup(const TDeviceData& d, const std::string& typed, bool allowSync) {
  const auto g = MatchItem(GroupListItems(d), typed);
  if (!g || (!allowSync && d.syncSupported && *g == d.syncGroup)) {
    PrintError("No group '" + typed + "' on this transmitter");
    return std::nullopt;
  }
  return g;
}

CheckedGroup FromView(const TDeviceData& d, const GroupView& view) {
  CheckedGroup g;
  g.label = ItemText(GroupListItems(d), view.group);
  if (view.nameRead) g.name = view.name;
  g.rowsKHz = OnAirRows(view);
  for (size_t c = 0; c < g.rowsKHz.size(); ++c) {
    g.channels.push_back(static_cast<int>(c));
    g.complete = g.complete && view.rows[c].freqRead &&
                 (view.isSync || !d.channelFlagsSupported || view.rows[c].flagsRead);
  }
  return g;
}

int CheckDevice(Session& s, const PlanArgs& a, bool json) {
  TDeviceData& d = s.data();
  std::vector<int> picked;
  if (!a.onAir.empty() && !a.group.empty()) {
    PrintError("Choose one of --group and --groups-on-air");
    return kExitUsage;
  }
  for (const std::string& typed : a.onAir) {
    const auto g = PickDeviceGroup(d, typed, false);
    if (!g) return kExitUsage;
    picked.push_back(*g);
  }
  if (picked.empty()) {
    int group = d.curGroup >= 0 ? d.curGroup : 0;
    if (!a.group.empty()) {
      const auto g = PickDeviceGroup(d, a.group, true);
      if (!g) return kExitUsage;
      group = *g;
    }
    picked.push_back(group);
  }
  std::vector<CheckedGroup> groups;
  for (int g : picked) groups.push_back(FromView(d, ReadGroup(s.link(), d, g)));
  bool complete = true;
  const size_t n = PrintChecks(groups, a.guards, json, a.all || json, !a.onAir.empty(), complete);
  return Finish(n, complete);
}

// Every excluded range the options give: typed ranges, TV channels, a scan above its
// threshold. False (the error printed) for an option that cannot be read.
bool CollectExclusions(const PlanArgs& a, std::vector<plan::FreqRange>& out) {
  for (const std::string& typed : a.exclude) {
    const auto r = plan::ParseRangeMHz(typed);
    if (!r) {
      PrintError("--exclude " + typed + ": takes MHZ-MHZ, e.g. 606-614");
      return false;
    }
    out.push_back(*r);
  }
  if (a.tvRaster != 8 && a.tvRaster != 6) {
    PrintError("--tv-raster takes 8 (channel 21 = 470-478 MHz) or 6 (channel 14 = 470-476 MHz)");
    return false;
  }
  std::string error;
  const auto raster = a.tvRaster == 8 ? plan::TvRaster::Europe8MHz : plan::TvRaster::America6MHz;
  if (!a.tvChannels.empty() && !plan::ParseTvChannels(a.tvChannels, raster, out, error)) {
    PrintError("--tv-channels: " + error);
    return false;
  }
  if (!a.scan.empty()) {
    const plan::ScanImport scan = ReadScanFile(a.scan);
    if (!scan.ok) {
      PrintError(scan.error);
      return false;
    }
    for (const plan::FreqRange& r : plan::OccupiedRanges(scan.points, a.thresholdDbm)) out.push_back(r);
  }
  out = plan::MergeRanges(std::move(out));
  return true;
}

// "470-542" or "470.000-542.500" (MHz).
bool ParseRange(const std::string& text, int32_t& low, int32_t& high) {
  const auto r = plan::ParseRangeMHz(text);
  if (!r) return false;
  low = r->lowKHz;
  high = r->highKHz;
  return true;
}

// --step in kHz with up to three decimals ("25", "12.5"), as Hz; empty leaves stepHz.
bool ParseStep(const std::string& text, int32_t& stepHz) {
  if (text.empty()) return true;
  const auto hz = plan::ParseMHz(text);  // kHz with three decimals is a count of Hz
  if (!hz || *hz <= 0) {
    PrintError("--step takes kHz, e.g. 25 or 12.5");
    return false;
  }
  stepHz = *hz;
  return true;
}

void PrintSet(const plan::SuggestResult& r, const std::vector<int32_t>& kept) {
  for (size_t i = 0; i < r.freqsKHz.size(); ++i) {
    const bool isKept = std::find(kept.begin(), kept.end(), r.freqsKHz[i]) != kept.end();
    std::printf("CH%s %s MHz%s\n", TwoDigits(static_cast<int>(i)).c_str(), plan::MHzText(r.freqsKHz[i]).c_str(),
                isKept ? "  (kept)" : "");
  }
}

// Reports conflicts that a written group still has (with channels the suggestion left
// as they were); they do not make the write fail.
void ReportLeftovers(const CheckedGroup& g, const plan::Guards& guards) {
  const auto marks = plan::MarkChannels(g.rowsKHz, guards);
  size_t count = 0;
  for (const auto& m : marks) count += m.conflicts.size();
  if (count == 0) return;
  PrintError("WARNING: group " + g.label + " as written has " + std::to_string(count) +
             " conflict(s) with channels left as they were (see plan check; --hide-rest hides them)");
}

int Suggest(Session& s, const PlanArgs& a, bool json) {
  const bool onDevice = a.device || !a.toGroup.empty();
  if (!a.toGroup.empty() && !a.toFile.empty()) {
    PrintError("Choose one of --to-group and --to-file");
    return kExitUsage;
  }
  plan::SuggestRequest request;
  request.count = a.count;
  request.guards = a.guards;
  for (const std::string& k : a.keep) {
    const auto f = plan::ParseMHz(k);
    if (!f || *f <= 0) {
      PrintError("--keep " + k + ": not a frequency in MHz (at most three decimals)");
      return kExitUsage;
    }
    request.keptKHz.push_back(*f);
  }
  if (request.keptKHz.size() > static_cast<size_t>(a.count)) {
    PrintError("N counts the kept frequencies too: it must be at least " + std::to_string(request.keptKHz.size()));
    return kExitUsage;
  }
  int32_t low = 0, high = 0;
  const bool ranged = !a.range.empty();
  if (ranged && !ParseRange(a.range, low, high)) {
    PrintError("--range takes MHZ-MHZ, e.g. 470-542");
    return kExitUsage;
  }
  int32_t stepHz = 0;
  if (!ParseStep(a.step, stepHz)) return kExitUsage;
  std::vector<plan::FreqRange> excluded;
  if (!CollectExclusions(a, excluded)) return kExitUsage;
  for (int32_t f : request.keptKHz) {
    if (const plan::FreqRange* r = plan::ExcludedBy(f, excluded)) {
      PrintError("--keep " + plan::MHzText(f) + " lies in an excluded range (" + plan::RangeText(*r) + ", " +
                 r->source + ")");
      return kExitUsage;
    }
  }

  IniFile target;
  plan::FrequencyTable targetTable;  // refused before the search if it cannot be read
  if (!a.toFile.empty()) {
    std::string error;
    if (!OpenTableFile(a.toFile, true, target, error) || !ReadTablePlan(target, targetTable, error)) {
      PrintError(error);
      return kExitFailed;
    }
  }
  int group = 0;
  size_t channelLimit = 60;
  if (onDevice) {
    TDeviceData& d = s.data();
    if (d.stepHz <= 0) {
      PrintError("The transmitter's tuning step was not read; nothing to suggest on");
      return kExitFailed;
    }
    if (stepHz > 0 && stepHz != d.stepHz) {
      PrintError("--step: the transmitter tunes in steps of " + plan::MHzText(d.stepHz) + " kHz");
      return kExitUsage;
    }
    stepHz = d.stepHz;
    const int32_t minKHz = d.freqMinMHz * 1000, maxKHz = d.freqMaxMHz * 1000;
    if (ranged && (low < minKHz || high > maxKHz)) {
      PrintError("--range lies outside the transmitter's range " + std::to_string(d.freqMinMHz) + "-" +
                 std::to_string(d.freqMaxMHz) + " MHz");
      return kExitUsage;
    }
    if (!ranged) {
      low = minKHz;
      high = maxKHz;
    }
    for (int32_t f : request.keptKHz) {
      if (!d.IsFrequencyAllowed(f) || (int64_t{f} * 1000) % d.stepHz != 0) {
        PrintError("--keep " + plan::MHzText(f) + ": the transmitter cannot use this frequency "
                   "(outside its range or allowed sub-bands, or off its step)");
        return kExitUsage;
      }
    }
    request.candidatesKHz = TuningCandidates(d, low, high);
    channelLimit = static_cast<size_t>(d.channelCount);
    if (!a.toGroup.empty()) {
      const auto g = PickDeviceGroup(d, a.toGroup, false);
      if (!g) return kExitUsage;
      group = *g;
    }
    for (const std::string& typed : a.onAir) {
      const auto g = PickDeviceGroup(d, typed, false);
      if (!g) return kExitUsage;
      if (*g == group && !a.toGroup.empty()) continue;  // the group being coordinated
      const GroupView view = ReadGroup(s.link(), d, *g);
      for (const auto& f : OnAirRows(view)) {
        if (f) request.onAirKHz.push_back(*f);
      }
    }
  } else {
    const plan::CsvLimits limits = CsvLimitsOf(target);
    if (!ranged && !limits.lowKHz) {
      PrintError("Give the range with --range MHZ-MHZ (e.g. 470-542)");
      return kExitUsage;
    }
    if (!ranged) {
      low = *limits.lowKHz;
      high = *limits.highKHz;
    }
    if (stepHz == 0) stepHz = limits.stepHz > 0 ? limits.stepHz : 25000;
    channelLimit = static_cast<size_t>(limits.channelCount);
    request.candidatesKHz = plan::StepGrid(low, high, stepHz);
  }
  if (!a.toFile.empty()) {
    if (!a.group.empty()) {
      const auto n = GroupNumber(a.group);
      if (!n || *n > 40) {
        PrintError("--group takes the number of a group section, e.g. 00");
        return kExitUsage;
      }
      group = *n;
    } else if (!targetTable.groups.empty() && !targetTable.groups[0].sync) {
      group = targetTable.groups[0].number;
    }
  }
  if (!onDevice && !a.onAir.empty()) {
    if (a.toFile.empty()) {
      PrintError("--groups-on-air takes the groups of the --to-file table or of the transmitter");
      return kExitUsage;
    }
    std::vector<const plan::TableGroup*> onAir;
    if (!TableGroupsOnAir(a, targetTable, a.toFile, onAir)) return kExitUsage;
    for (const plan::TableGroup* t : onAir) {
      if (t->number == group) continue;  // the group being coordinated
      for (int32_t f : t->ActiveKHz()) request.onAirKHz.push_back(f);
    }
  }
  request.candidatesKHz = plan::WithoutExcluded(request.candidatesKHz, excluded);
  const bool writing = !a.toGroup.empty() || !a.toFile.empty();
  if (a.hideRest && !writing) {
    PrintError("--hide-rest goes with --to-group or --to-file");
    return kExitUsage;
  }
  if (a.hideRest && onDevice && !s.data().channelFlagsSupported) {
    PrintError("--hide-rest: this transmitter has no channel hidden flags");
    return kExitUsage;
  }
  if (writing && static_cast<size_t>(a.count) > channelLimit) {
    PrintError("A group has " + std::to_string(channelLimit) + " channels; " + std::to_string(a.count) +
               " frequencies do not fit");
    return kExitUsage;
  }

  const plan::SuggestResult r = plan::SuggestFrequencies(request);
  if (r.status == plan::SuggestStatus::KeptConflict) {
    PrintError(r.message + ":");
    constexpr size_t kShown = 10;
    for (size_t i = 0; i < r.conflicts.size() && i < kShown; ++i) {
      PrintError("  " + plan::MHzText(r.conflicts[i].victimKHz) + " MHz: " + plan::ConflictText(r.conflicts[i]));
    }
    if (r.conflicts.size() > kShown) PrintError("  ... " + std::to_string(r.conflicts.size() - kShown) + " more");
    return kExitUsage;
  }
  if (!r.offered()) {
    PrintError(r.message);
    return kExitUsage;
  }
  const bool complete = r.status == plan::SuggestStatus::Complete;
  if (json) {
    JsonObject o;
    o.Add("requested", a.count).Add("found", static_cast<long long>(r.freqsKHz.size())).Add("complete", complete);
    o.Add("rangeKHz", std::vector<long long>{low, high}).Add("stepHz", stepHz);
    o.Add("candidates", static_cast<long long>(request.candidatesKHz.size()));
    o.AddRaw("guards", GuardsJson(a.guards));
    o.Add("freqKHz", std::vector<long long>(r.freqsKHz.begin(), r.freqsKHz.end()));
    o.Add("keptKHz", std::vector<long long>(request.keptKHz.begin(), request.keptKHz.end()));
    o.Add("onAirKHz", std::vector<long long>(request.onAirKHz.begin(), request.onAirKHz.end()));
    std::vector<std::string> ranges;
    for (const plan::FreqRange& e : excluded) {
      JsonObject x;
      x.Add("lowKHz", e.lowKHz).Add("highKHz", e.highKHz).Add("source", e.source);
      ranges.push_back(x.str());
    }
    o.AddRaw("excluded", JsonArray(ranges));
    std::printf("%s\n", o.str().c_str());
  } else {
    for (const plan::FreqRange& e : excluded) {
      std::printf("Excluded %s MHz (%s)\n", plan::RangeText(e).c_str(), e.source.c_str());
    }
    if (!request.onAirKHz.empty()) {
      std::printf("Checked with %zu carrier(s) of the groups on air together\n", request.onAirKHz.size());
    }
    std::printf("%zu compatible frequencies in %s-%s MHz (step %s kHz, %zu candidates; %s), checked clean:\n",
                r.freqsKHz.size(), plan::MHzText(low).c_str(), plan::MHzText(high).c_str(),
                plan::MHzText(stepHz).c_str(), request.candidatesKHz.size(), GuardsText(a.guards).c_str());
    PrintSet(r, request.keptKHz);
  }
  if (!complete) {
    PrintError("Only " + std::to_string(r.freqsKHz.size()) + " of " + std::to_string(a.count) +
               " compatible frequencies found" + (writing ? "; nothing written" : ""));
    return kExitFailed;
  }
  if (onDevice && !a.toGroup.empty()) {
    TDeviceData& d = s.data();
    NullProgress progress;
    const GroupWriteResult w = WriteGroupFrequencies(s.link(), d, group, r.freqsKHz, a.hideRest, progress);
    const std::string label = ItemText(GroupListItems(d), group);
    for (const std::string& line : w.load.memo) {
      if (line.rfind("Not ", 0) == 0 || line.rfind("Tuning", 0) == 0) PrintError(line);
    }
    if (!w.ok()) {
      std::string bad;
      for (int c : w.mismatched) bad += " CH" + TwoDigits(c);
      PrintError("Group " + label + " was not written as suggested" + (bad.empty() ? "" : " (read back wrong:" + bad + ")"));
      return kExitFailed;
    }
    if (!json) std::printf("Written to group %s, channels 00..%s, every channel read back\n", label.c_str(),
                           TwoDigits(static_cast<int>(r.freqsKHz.size()) - 1).c_str());
    ReportLeftovers(FromView(d, w.readBack), a.guards);
  } else if (!a.toFile.empty()) {
    plan::TableGroup g;
    if (const plan::TableGroup* old = targetTable.Find(false, group)) g = *old;
    g.number = group;
    PlaceSetInGroup(g, r.freqsKHz, a.hideRest, channelLimit);
    MergeTablePlan(plan::FrequencyTable{{g}}, target);
    if (target.Save(a.toFile) != IniFile::Status::Ok) {
      PrintError(target.errorText());
      return kExitFailed;
    }
    if (!json) std::printf("Written to %s, group %s\n", a.toFile.c_str(), g.label().c_str());
    ReportLeftovers(FromTable(g), a.guards);
  }
  return kExitOk;
}

int PrintFileResult(const FileOpResult& r) {
  if (r.ok()) {
    std::printf("%s\n", r.message.c_str());
    return kExitOk;
  }
  PrintError(r.message);
  return kExitFailed;
}

}  // namespace

void AddPlanCommands(CLI::App& app, ChosenCommand& chosen) {
  auto a = std::make_shared<PlanArgs>();

  auto* planCmd = app.add_subcommand("plan", "Frequency coordination of a group: intermodulation check and suggestions");
  planCmd->require_subcommand(1);

  auto* check = planCmd->add_subcommand("check", "List the conflicts of a group (a .qdf file, or the transmitter with --device)");
  check->add_option("file", a->file, "Frequency table file (.qdf)");
  check->add_flag("--device", a->device, "Check a group read from the transmitter");
  check->add_option("--group", a->group, "Only this group (file: the section number, e.g. 00; transmitter: as listed)");
  check->add_flag("--all", a->all, "List every conflict (default: at most 10 per channel)");
  check->add_option("--groups-on-air", a->onAir, "Check these groups together, as one show (e.g. 00,01,02)")
      ->delimiter(',');
  AddGuardOptions(check, a->guards);
  check->callback([&chosen, a] {
    chosen.name = "plan check";
    if (a->device == !a->file.empty()) {
      throw CLI::ValidationError("plan check", "give a .qdf file or --device (one of them)");
    }
    chosen.needsInterface = chosen.needsTransmitter = a->device;
    chosen.run = [a](Session& s) {
      return a->device ? CheckDevice(s, *a, s.options().json) : CheckFile(*a, s.options().json);
    };
  });

  auto* suggest = planCmd->add_subcommand("suggest", "Suggest N mutually compatible frequencies (kept ones included)");
  suggest->add_option("count", a->count, "How many frequencies in all")->required()->check(CLI::Range(1, 200));
  suggest->add_option("--range", a->range, "MHZ-MHZ, e.g. 470-542 (default: the transmitter's or the file's range)");
  suggest->add_option("--keep", a->keep, "Frequencies (MHz) that stay in the set")->delimiter(',');
  suggest->add_option("--step", a->step, "Tuning step in kHz when no transmitter is used (default: the file's, else 25)");
  suggest->add_flag("--device", a->device, "Use the transmitter's range, step and allowed sub-bands");
  suggest->add_option("--to-group", a->toGroup, "Write the set to channels 00.. of this group of the transmitter");
  suggest->add_option("--to-file", a->toFile, "Write the set to channels 00.. of a group of this .qdf file");
  suggest->add_flag("--hide-rest", a->hideRest,
                    "With --to-group/--to-file: make the written channels visible and hide the others");
  suggest->add_option("--group", a->group, "With --to-file: the group section number (default: the file's first, else 00)");
  suggest->add_option("--exclude", a->exclude, "Keep carriers out of MHZ-MHZ (repeat or separate by commas)")
      ->delimiter(',');
  suggest->add_option("--tv-channels", a->tvChannels, "Keep carriers out of these TV channels, e.g. 21,24-26");
  suggest->add_option("--tv-raster", a->tvRaster, "TV channel raster in MHz: 8 (21 = 470-478) or 6 (14 = 470-476)")
      ->check(CLI::IsMember({6, 8}));
  suggest->add_option("--scan", a->scan, "Spectrum scan CSV (frequency, dBm): keep carriers out of what is occupied");
  suggest->add_option("--threshold", a->thresholdDbm, "With --scan: a level above this (dBm) is occupied (default -80)");
  suggest->add_option("--groups-on-air", a->onAir,
                      "Groups on air at the same time (e.g. 00,01): their carriers count in every check")
      ->delimiter(',');
  AddGuardOptions(suggest, a->guards);
  suggest->callback([&chosen, a] {
    chosen.name = "plan suggest";
    chosen.needsInterface = chosen.needsTransmitter = a->device || !a->toGroup.empty();
    chosen.run = [a](Session& s) { return Suggest(s, *a, s.options().json); };
  });

  CLI::App* table = app.get_subcommand("table");
  auto* exp = table->add_subcommand("export", "Convert a .qdf file into CSV (no transmitter needed)");
  exp->add_option("file", a->file, ".qdf file")->required();
  exp->add_option("--csv", a->csv, "CSV file to write")->required();
  exp->callback([&chosen, a] {
    chosen.name = "table export";
    chosen.needsInterface = chosen.needsTransmitter = false;
    chosen.run = [a](Session&) { return PrintFileResult(ExportTableCsv(a->file, a->csv)); };
  });
  auto* imp = table->add_subcommand("import", "Convert CSV into a .qdf file (an existing file keeps its other groups)");
  imp->add_option("csv", a->csv, "CSV file to read")->required();
  imp->add_option("--to", a->to, ".qdf file to write or update")->required();
  imp->add_option("--range", a->range, "Refuse frequencies outside MHZ-MHZ (default: the file's range)");
  imp->add_option("--step", a->step, "Refuse frequencies off this step in kHz (default: the file's step)");
  imp->callback([&chosen, a] {
    chosen.name = "table import";
    chosen.needsInterface = chosen.needsTransmitter = false;
    chosen.run = [a](Session&) {
      CsvImportLimits limits;
      int32_t low = 0, high = 0;
      if (!a->range.empty()) {
        if (!ParseRange(a->range, low, high)) {
          PrintError("--range takes MHZ-MHZ, e.g. 470-542");
          return static_cast<int>(kExitUsage);
        }
        limits.lowKHz = low;
        limits.highKHz = high;
      }
      if (!ParseStep(a->step, limits.stepHz)) return static_cast<int>(kExitUsage);
      return PrintFileResult(ImportTableCsv(a->csv, a->to, limits));
    };
  });
}

}  // namespace zentra::cli
