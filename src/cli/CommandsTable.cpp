// table show|tune|set|flags|group: the frequency table of the transmitter, one group at
// a time, with the refusals of the window's grid and frequency dialog.
#include <CLI/CLI.hpp>

#include <cstdio>

#include "cli/Commands.h"
#include "cli/ExitCodes.h"
#include "cli/Items.h"
#include "cli/Output.h"
#include "cli/Session.h"
#include "device/FrequencyPlan.h"

namespace zentra::cli {

namespace {

std::optional<int> PickGroup(const TDeviceData& d, const std::string& typed) {
  const ItemList groups = GroupListItems(d);
  const auto g = MatchItem(groups, typed);
  if (!g) {
    std::string offered;
    if (!groups.empty()) offered = groups.front() + ".." + groups.back();
    PrintError("No group '" + typed + "' on this transmitter (groups: " + offered + ")");
  }
  return g;
}

std::optional<int> PickChannel(const TDeviceData& d, bool sync, const std::string& typed) {
  const ItemList channels = sync ? ItemList{"00"} : ChannelListItems(d);
  const auto c = MatchItem(channels, typed);
  if (!c) {
    PrintError("No channel '" + typed + "' in this group (channels: 00.." +
               (channels.empty() ? std::string("-") : channels.back()) + ")");
  }
  return c;
}

bool IsSync(const TDeviceData& d, int group) { return d.syncSupported && group == d.syncGroup; }

int PrintGroup(Session& session, const GroupView& view) {
  const TDeviceData& d = session.data();
  const ItemList groups = GroupListItems(d);
  const bool flags = d.channelFlagsSupported && !view.isSync;
  const int rows = view.isSync ? 1 : static_cast<int>(view.rows.size());
  if (session.options().json) {
    std::vector<std::string> channels;
    for (int c = 0; c < rows; ++c) {
      const ChannelRow& row = view.rows[static_cast<size_t>(c)];
      JsonObject o;
      o.Add("channel", c);
      if (row.freqRead) o.Add("freqKHz", row.freqKHz);
      if (flags && row.flagsRead) o.Add("locked", row.locked).Add("hidden", row.hidden);
      o.Add("tuned", view.group == d.curGroup && c == d.curChannel);
      channels.push_back(o.str());
    }
    JsonObject g;
    g.Add("group", view.group).Add("groupName", ItemText(groups, view.group));
    if (view.nameRead) g.Add("name", view.name);
    if (!view.isSync && d.groupLockSupported) g.Add("locked", d.IsGroupLocked(view.group));
    if (!view.isSync && d.groupHiddenSupported) g.Add("hidden", d.IsGroupHidden(view.group));
    g.AddRaw("channels", JsonArray(channels)).Add("readOk", view.ok);
    std::printf("%s\n", g.str().c_str());
  } else {
    std::printf("Group %s", ItemText(groups, view.group).c_str());
    if (view.nameRead) std::printf(" \"%s\"", Printable(view.name).c_str());
    if (!view.isSync && d.groupLockSupported && d.IsGroupLocked(view.group)) std::printf(" [locked]");
    if (!view.isSync && d.groupHiddenSupported && d.IsGroupHidden(view.group)) std::printf(" [hidden]");
    std::printf("\n%-3s %-10s %-6s %s\n", "CH", "Frequency", flags ? "Lock" : "-", flags ? "Hidden" : "-");
    for (int c = 0; c < rows; ++c) {
      const ChannelRow& row = view.rows[static_cast<size_t>(c)];
      const bool tuned = view.group == d.curGroup && c == d.curChannel;
      std::printf("%-3s %-10s %-6s %-6s%s\n", TwoDigits(c).c_str(),
                  row.freqRead ? MHzText(row.freqKHz).c_str() : "",
                  flags && row.flagsRead && row.locked ? "lock" : "",
                  flags && row.flagsRead && row.hidden ? "hidden" : "",
                  tuned ? " <- tuned" : "");
    }
  }
  if (!view.ok) {
    PrintError("Part of the group could not be read");
    return kExitFailed;
  }
  return kExitOk;
}

int RunShow(Session& session, const std::string& groupText, bool all) {
  TDeviceData& d = session.data();
  std::vector<int> groups;
  if (all) {
    for (int g = 0; g < d.groupCount; ++g) groups.push_back(g);
    if (d.syncSupported) groups.push_back(d.syncGroup);
  } else if (!groupText.empty()) {
    const auto g = PickGroup(d, groupText);
    if (!g) return kExitUsage;
    groups.push_back(*g);
  } else {
    groups.push_back(d.curGroup >= 0 ? d.curGroup : 0);
  }
  int rc = kExitOk;
  for (int g : groups) {
    const GroupView view = ReadGroup(session.link(), d, g);
    if (PrintGroup(session, view) != kExitOk) rc = kExitFailed;
  }
  return rc;
}

int RunTune(Session& session, const std::string& groupText, const std::string& channelText) {
  TDeviceData& d = session.data();
  const auto g = PickGroup(d, groupText);
  if (!g) return kExitUsage;
  const auto c = PickChannel(d, IsSync(d, *g), channelText);
  if (!c) return kExitUsage;
  const TuneResult r = TuneToChannel(session.link(), d, *g, *c);
  const ItemList groups = GroupListItems(d);
  std::printf("tuning: group %s, channel %s, %s MHz\n", ItemText(groups, d.curGroup).c_str(),
              d.curChannel < 0 ? "-" : TwoDigits(d.curChannel).c_str(),
              MHzText(d.curFreqKHz).c_str());
  if (r.skipped) {
    PrintError("Channel is hidden: not tuned");
    return kExitUsage;
  }
  if (!r.tuned || !r.readBack) {
    PrintError("The transmitter did not take the tuning");
    return kExitFailed;
  }
  return kExitOk;
}

int RunSetFrequency(Session& session, const std::string& groupText,
                    const std::string& channelText, const std::string& mhz) {
  TDeviceData& d = session.data();
  const auto g = PickGroup(d, groupText);
  if (!g) return kExitUsage;
  const auto c = PickChannel(d, IsSync(d, *g), channelText);
  if (!c) return kExitUsage;
  const FrequencyEntryCheck check = CheckFrequencyEntry(mhz, d);
  if (check.status != FrequencyEntryStatus::Ok) {
    PrintError(check.message.empty() ? std::string("The tuning step was not read; no frequency can be checked")
                                     : std::string(kWarningTitle) + ": " + check.message);
    return kExitUsage;
  }
  GroupView view = ReadGroup(session.link(), d, *g);
  const PlanEditResult r =
      WriteChannelFrequencyAndReload(session.link(), d, view, *c, check.freqKHz);
  const ChannelRow& row = view.rows.at(static_cast<size_t>(*c));
  std::printf("group %s channel %s: %s MHz\n", ItemText(GroupListItems(d), *g).c_str(),
              TwoDigits(*c).c_str(), row.freqRead ? MHzText(row.freqKHz).c_str() : "-");
  if (!r.written || !row.freqRead || row.freqKHz != check.freqKHz) {
    PrintError("The transmitter did not take the frequency");
    return kExitFailed;
  }
  return kExitOk;
}

int RunFlags(Session& session, const std::string& groupText, const std::string& channelText,
             const std::string& lockText, const std::string& hiddenText) {
  TDeviceData& d = session.data();
  if (!d.channelFlagsSupported) {
    PrintError("This transmitter has no channel lock and hidden flags");
    return kExitUsage;
  }
  const auto g = PickGroup(d, groupText);
  if (!g) return kExitUsage;
  if (IsSync(d, *g)) {
    PrintError("The SYNC channel has no lock and hidden flags");
    return kExitUsage;
  }
  const auto c = PickChannel(d, false, channelText);
  if (!c) return kExitUsage;
  std::optional<bool> lock, hidden;
  if (!lockText.empty() && !(lock = ParseOnOff(lockText))) {
    PrintError("--lock takes on or off");
    return kExitUsage;
  }
  if (!hiddenText.empty() && !(hidden = ParseOnOff(hiddenText))) {
    PrintError("--hidden takes on or off");
    return kExitUsage;
  }
  GroupView view = ReadGroup(session.link(), d, *g);
  const ChannelRow before = view.rows.at(static_cast<size_t>(*c));
  if (!before.flagsRead) {
    PrintError("The channel's flags could not be read; nothing sent");
    return kExitFailed;
  }
  const bool wantLock = lock.value_or(before.locked);
  const bool wantHidden = hidden.value_or(before.hidden);
  const PlanEditResult r =
      SetChannelFlags(session.link(), d, view, *c, wantLock, wantHidden);
  const ChannelRow& after = view.rows.at(static_cast<size_t>(*c));
  std::printf("group %s channel %s: lock %s, hidden %s\n",
              ItemText(GroupListItems(d), *g).c_str(), TwoDigits(*c).c_str(),
              after.flagsRead ? (after.locked ? "on" : "off") : "-",
              after.flagsRead ? (after.hidden ? "on" : "off") : "-");
  if (!r.warning.empty()) {
    PrintError(std::string(kWarningTitle) + ": " + r.warning.text);
    return kExitUsage;
  }
  if (!r.written || !after.flagsRead || after.locked != wantLock || after.hidden != wantHidden) {
    PrintError("The transmitter did not take the flags");
    return kExitFailed;
  }
  return kExitOk;
}

int RunGroup(Session& session, const std::string& groupText, const std::string& lockText,
             const std::string& hiddenText, const std::optional<std::string>& name) {
  TDeviceData& d = session.data();
  const auto g = PickGroup(d, groupText);
  if (!g) return kExitUsage;
  const bool sync = IsSync(d, *g);
  std::optional<bool> lock, hidden;
  if (!lockText.empty()) {
    if (!(lock = ParseOnOff(lockText))) {
      PrintError("--lock takes on or off");
      return kExitUsage;
    }
    if (!d.groupLockSupported || sync) {
      PrintError(sync ? "The SYNC group has no lock flag" : "This transmitter has no group locks");
      return kExitUsage;
    }
  }
  if (!hiddenText.empty()) {
    if (!(hidden = ParseOnOff(hiddenText))) {
      PrintError("--hidden takes on or off");
      return kExitUsage;
    }
    if (!d.groupHiddenSupported || sync) {
      PrintError(sync ? "The SYNC group has no hidden flag" : "This transmitter has no hidden groups");
      return kExitUsage;
    }
  }
  if (name && !d.groupNamesSupported) {
    PrintError("This transmitter has no group names");
    return kExitUsage;
  }
  const size_t nameLength = sync ? 12 : 8;
  if (name && name->size() > nameLength) {
    PrintError("Name refused: a group name has at most " + std::to_string(nameLength) + " characters");
    return kExitUsage;
  }
  // The save writes the name along with the flags, as the window's SAVE button does,
  // so an unchanged name is read first and written back as it is.
  std::string nameText;
  if (name) {
    nameText = *name;
  } else if (d.groupNamesSupported) {
    const bool read = sync ? session.commands().ReadSyncGroupName(nameText)
                           : session.commands().ReadGroupName(*g, nameText);
    if (!read) {
      PrintError("The group name could not be read; nothing sent");
      return kExitFailed;
    }
  }
  const bool wantLock = lock.value_or(!sync && d.IsGroupLocked(*g));
  const bool wantHidden = hidden.value_or(!sync && d.IsGroupHidden(*g));
  const GroupSaveResult r =
      SaveGroupFlagsAndName(session.link(), d, *g, wantLock, wantHidden, nameText);
  std::printf("group %s:", ItemText(GroupListItems(d), *g).c_str());
  if (!sync && d.groupLockSupported) std::printf(" lock %s", r.lockChecked ? "on" : "off");
  if (!sync && d.groupHiddenSupported) std::printf(", hidden %s", r.hiddenChecked ? "on" : "off");
  if (d.groupNamesSupported) std::printf(", name \"%s\"", Printable(r.nameText).c_str());
  std::printf("\n");
  int rc = kExitOk;
  for (const auto& w : r.warnings) {
    PrintError(std::string(kWarningTitle) + ": " + w.text);
    rc = kExitUsage;
  }
  if (rc != kExitOk) return rc;
  if (!r.locksWritten || (d.groupNamesSupported && !r.nameWritten) || r.nameRefused) {
    PrintError("The transmitter did not take the group settings");
    return kExitFailed;
  }
  return kExitOk;
}

}  // namespace

void AddTableCommands(CLI::App& app, ChosenCommand& chosen) {
  auto* table = app.add_subcommand("table", "The frequency table of the transmitter");
  table->require_subcommand(1);

  struct Args {
    std::string group, channel, mhz, lock, hidden, name;
    bool all = false;
  };
  auto a = std::make_shared<Args>();

  auto* show = table->add_subcommand("show", "Print a group of the table (default: the tuned group)");
  show->add_option("group", a->group, "Group as listed (00.., 01.., or sync)");
  show->add_flag("--all", a->all, "Print every group and the SYNC channel");
  show->callback([&chosen, a] {
    chosen.name = "table show";
    chosen.run = [a](Session& s) { return RunShow(s, a->group, a->all); };
  });

  auto* tune = table->add_subcommand("tune", "Tune the transmitter to a channel (hidden channels are not tuned)");
  tune->add_option("group", a->group, "Group")->required();
  tune->add_option("channel", a->channel, "Channel")->required();
  tune->callback([&chosen, a] {
    chosen.name = "table tune";
    chosen.run = [a](Session& s) { return RunTune(s, a->group, a->channel); };
  });

  auto* set = table->add_subcommand("set", "Write a channel's frequency (MHz, e.g. 512.125)");
  set->add_option("group", a->group, "Group")->required();
  set->add_option("channel", a->channel, "Channel (00 for SYNC)")->required();
  set->add_option("mhz", a->mhz, "Frequency in MHz")->required();
  set->callback([&chosen, a] {
    chosen.name = "table set";
    chosen.run = [a](Session& s) { return RunSetFrequency(s, a->group, a->channel, a->mhz); };
  });

  auto* flags = table->add_subcommand("flags", "Set a channel's lock and hidden flags");
  flags->add_option("group", a->group, "Group")->required();
  flags->add_option("channel", a->channel, "Channel")->required();
  flags->add_option("--lock", a->lock, "on or off");
  flags->add_option("--hidden", a->hidden, "on or off");
  flags->callback([&chosen, a] {
    chosen.name = "table flags";
    chosen.run = [a](Session& s) { return RunFlags(s, a->group, a->channel, a->lock, a->hidden); };
  });

  auto* group = table->add_subcommand("group", "Set a group's lock and hidden flags and name");
  group->add_option("group", a->group, "Group (or sync for the SYNC name)")->required();
  group->add_option("--lock", a->lock, "on or off");
  group->add_option("--hidden", a->hidden, "on or off");
  auto* nameOpt = group->add_option("--name", a->name, "Group name (8 characters, SYNC 12)");
  group->callback([&chosen, a, nameOpt] {
    chosen.name = "table group";
    const std::optional<std::string> name =
        nameOpt->count() ? std::optional<std::string>(a->name) : std::nullopt;
    chosen.run = [a, name](Session& s) { return RunGroup(s, a->group, a->lock, a->hidden, name); };
  });
}

}  // namespace zentra::cli
