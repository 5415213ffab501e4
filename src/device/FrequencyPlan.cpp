#include "device/FrequencyPlan.h"

#include <cctype>
#include <cstdio>
#include <limits>

#include "device/CommandSet.h"
#include "device/MenuFlags.h"
#include "device/TDeviceData.h"

namespace zentra {

namespace {

bool IsSyncGroup(const TDeviceData& d, int group) {
  return d.syncSupported && group == d.syncGroup;
}

int ChannelRows(const TDeviceData& d) {
  return d.channelCount < 0 ? 0 : (d.channelCount > kMaxChannels ? kMaxChannels : d.channelCount);
}

std::string Trim(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && std::isspace(static_cast<unsigned char>(s[b]))) ++b;
  while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1]))) --e;
  return s.substr(b, e - b);
}

// A whole number, optionally signed, with blanks around it; anything else counts as 0.
// Numbers beyond the 32-bit range count as 0 as well.
int64_t NumberOrZero(const std::string& text, bool allowSign) {
  const std::string s = Trim(text);
  size_t i = 0;
  bool negative = false;
  if (allowSign && i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  if (i == s.size()) return 0;
  int64_t value = 0;
  for (; i < s.size(); ++i) {
    if (!std::isdigit(static_cast<unsigned char>(s[i]))) return 0;
    value = value * 10 + (s[i] - '0');
    if (value > std::numeric_limits<int32_t>::max()) return 0;
  }
  return negative ? -value : value;
}

}  // namespace

std::string FormatMHz(int32_t freqKHz) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.03f", freqKHz * 0.001);
  return buf;
}

GroupView ReadGroup(Transactor& link, TDeviceData& data, int group, const PumpHook& pump) {
  CommandSet commands(link, data);
  GroupView view;
  view.group = group;
  view.isSync = IsSyncGroup(data, group);
  view.rows.assign(ChannelRows(data), ChannelRow{});
  if (view.isSync) {
    view.nameRead = commands.ReadSyncGroupName(view.name);
    view.ok = view.nameRead;
  } else if (data.syncSupported) {
    view.nameRead = commands.ReadGroupName(group, view.name);
    view.ok = view.nameRead;
  }
  RunPump(pump);
  if (view.isSync) {
    if (!view.rows.empty()) {
      ChannelRow& row = view.rows[0];
      row.freqRead = commands.ReadChannelFrequency(0, data.syncGroup, row.freqKHz);
      view.ok = view.ok && row.freqRead;
    }
    return view;
  }
  for (int c = 0; c < static_cast<int>(view.rows.size()); ++c) {
    ChannelRow& row = view.rows[c];
    row.freqRead = commands.ReadChannelFrequency(c, group, row.freqKHz);
    view.ok = view.ok && row.freqRead;
    RunPump(pump);
    if (data.channelFlagsSupported) {
      row.flagsRead = commands.ReadChannelFlags(c, group, row.locked, row.hidden);
      view.ok = view.ok && row.flagsRead;
      RunPump(pump);
    }
  }
  return view;
}

bool RefreshChannelFlags(Transactor& link, TDeviceData& data, GroupView& view,
                         const PumpHook& pump) {
  if (view.isSync) {
    if (!view.rows.empty()) view.rows[0].flagsRead = false;
    return true;
  }
  if (!data.channelFlagsSupported) return true;
  CommandSet commands(link, data);
  bool ok = true;
  for (int c = 0; c < static_cast<int>(view.rows.size()); ++c) {
    ChannelRow& row = view.rows[c];
    bool locked = false, hidden = false;
    // A failed read leaves the flags shown as they were.
    if (commands.ReadChannelFlags(c, view.group, locked, hidden)) {
      row.locked = locked;
      row.hidden = hidden;
      row.flagsRead = true;
    } else {
      ok = false;
    }
    RunPump(pump);
  }
  return ok;
}

bool IsTunedChannelHidden(Transactor& link, TDeviceData& data, int group, int channel) {
  if (!data.channelFlagsSupported) return false;
  if (data.IsGroupHidden(group)) return true;
  bool locked = false, hidden = false;
  if (!CommandSet(link, data).ReadChannelFlags(channel, group, locked, hidden)) return true;
  return hidden;
}

TuneResult TuneToChannel(Transactor& link, TDeviceData& data, int group, int channel) {
  TuneResult result;
  if (IsTunedChannelHidden(link, data, group, channel)) {
    result.skipped = true;
    return result;
  }
  CommandSet commands(link, data);
  result.tuned = commands.WriteGroupChannel(channel, group);
  const bool tuning = commands.ReadGroupChannel();
  const bool frequency = commands.ReadFrequency();
  result.readBack = tuning && frequency;
  return result;
}

PlanEditResult WriteChannelFrequencyAndReload(Transactor& link, TDeviceData& data,
                                              GroupView& view, int channel, int32_t freqKHz,
                                              const PumpHook& pump) {
  PlanEditResult result;
  const int rows = static_cast<int>(view.rows.size());
  if (view.isSync) channel = 0;
  if (channel < 0 || channel >= rows || freqKHz == 0) {
    // A cancelled entry (0) or a channel outside the group writes nothing; the group is
    // read again all the same.
    result.refused = true;
  } else {
    const int group = view.isSync ? data.syncGroup : view.group;
    CommandSet commands(link, data);
    result.written = commands.WriteChannelFrequency(channel, group, freqKHz);
    // The tuned channel moved: the tuned frequency is what the transmitter now sends on.
    if (result.written && group == data.curGroup && channel == data.curChannel)
      result.tunedFrequencyRead = commands.ReadFrequency();
  }
  view = ReadGroup(link, data, view.group, pump);
  return result;
}

bool DecideChannelHidden(const TDeviceData& data, const GroupView& view, int channel,
                         bool wantHidden, PlanWarning& warning) {
  const int rows = static_cast<int>(view.rows.size());
  if (!wantHidden || channel < 0 || channel >= rows) return false;
  if (view.rows[channel].hidden) return true;  // already hidden: stays hidden
  bool othersHidden = true;
  for (int c = 0; c < rows; ++c)
    if (c != channel && !view.rows[c].hidden) othersHidden = false;
  if (othersHidden) {
    warning.text = kNotAllChannelsHidden;
    return false;
  }
  if (view.group == data.curGroup && channel == data.curChannel) {
    warning.text = kTuningChannel;
    return false;
  }
  return true;
}

PlanEditResult SetChannelFlags(Transactor& link, TDeviceData& data, GroupView& view,
                               int channel, bool locked, bool hidden, const PumpHook& pump) {
  PlanEditResult result;
  if (view.isSync || !data.channelFlagsSupported || channel < 0 ||
      channel >= static_cast<int>(view.rows.size())) {
    result.refused = true;
    return result;
  }
  const bool newHidden = DecideChannelHidden(data, view, channel, hidden, result.warning);
  if (hidden && !newHidden) result.refused = true;
  result.written = CommandSet(link, data).WriteChannelFlags(channel, view.group, locked, newHidden);
  RefreshChannelFlags(link, data, view, pump);
  return result;
}

PlanEditResult ToggleChannelLock(Transactor& link, TDeviceData& data, GroupView& view,
                                 int channel, const PumpHook& pump) {
  if (channel < 0 || channel >= static_cast<int>(view.rows.size())) {
    PlanEditResult r;
    r.refused = true;
    return r;
  }
  const ChannelRow row = view.rows[channel];
  return SetChannelFlags(link, data, view, channel, !row.locked, row.hidden, pump);
}

PlanEditResult ToggleChannelHidden(Transactor& link, TDeviceData& data, GroupView& view,
                                   int channel, const PumpHook& pump) {
  if (channel < 0 || channel >= static_cast<int>(view.rows.size())) {
    PlanEditResult r;
    r.refused = true;
    return r;
  }
  const ChannelRow row = view.rows[channel];
  return SetChannelFlags(link, data, view, channel, row.locked, !row.hidden, pump);
}

bool GroupLockClick(TDeviceData& data, int group, bool checked) {
  if (IsSyncGroup(data, group)) return false;
  data.SetGroupLock(group, checked);
  return data.IsGroupLocked(group);
}

bool GroupHiddenClick(TDeviceData& data, int group, bool checked, PlanWarning& warning) {
  if (IsSyncGroup(data, group)) return false;
  data.SetGroupHidden(group, checked);
  if (checked && data.EveryGroupHidden()) {
    data.SetGroupHidden(group, false);
    warning.text = kNotAllGroupsHidden;
  }
  return data.IsGroupHidden(group);
}

GroupSaveResult SaveGroupFlagsAndName(Transactor& link, TDeviceData& data, int group,
                                      bool lockChecked, bool hiddenChecked,
                                      const std::optional<std::string>& nameText) {
  GroupSaveResult result;
  const bool sync = IsSyncGroup(data, group);
  if (sync) {
    result.lockChecked = false;
    result.hiddenChecked = false;
  } else {
    data.SetGroupLock(group, lockChecked);
    result.lockChecked = data.IsGroupLocked(group);
    if (hiddenChecked) {
      data.SetGroupHidden(group, true);
      if (data.EveryGroupHidden()) {
        data.SetGroupHidden(group, false);
        result.warnings.push_back({kNotAllGroupsHidden});
      } else if (group == data.curGroup) {
        data.SetGroupHidden(group, false);
        result.warnings.push_back({kTuningChannel});
      }
    } else {
      data.SetGroupHidden(group, false);
    }
    result.hiddenChecked = data.IsGroupHidden(group);
  }
  result.locksWritten = SendLockFlags(link, data);

  CommandSet commands(link, data);
  const std::string text = nameText.value_or(std::string());
  if (!data.groupNamesSupported) {
    // A transmitter without group names has no name command to send.
    result.nameText = CleanGroupNameText(text, sync ? 12 : 8);
  } else if (!nameText) {
    // No name to write: blanks sent in place of a name that was never read would
    // overwrite the one the transmitter holds.
  } else if (sync) {
    result.nameText = CleanGroupNameText(text, 12);
    result.nameWritten = commands.WriteSyncGroupName(result.nameText);
  } else if (!data.syncSupported && group == data.groupCount) {
    // Only a transmitter with a sync channel has a sync name.
    result.nameText = CleanGroupNameText(text, 12);
    result.nameRefused = true;
  } else {
    result.nameText = CleanGroupNameText(text, 8);
    result.nameWritten = commands.WriteGroupName(group, result.nameText);
  }

  // What the transmitter now holds: the group masks (with the menu lock bytes) and the
  // name. A failed read leaves the values as sent.
  RefreshLockFlags(link, data);
  if (!sync) {
    result.lockChecked = data.IsGroupLocked(group);
    result.hiddenChecked = data.IsGroupHidden(group);
  }
  std::string name;
  if (result.nameWritten &&
      (sync ? commands.ReadSyncGroupName(name) : commands.ReadGroupName(group, name))) {
    result.nameText = name;
  }
  return result;
}

std::string CleanGroupNameText(const std::string& text, size_t length) {
  if (text.empty()) return std::string(length, ' ');
  std::string out = text.substr(0, length);
  for (char& ch : out) {
    const unsigned char u = static_cast<unsigned char>(ch);
    if (u < 32 || u > 126) ch = ' ';
  }
  return out;
}

bool ParseFrequencyEntry(const std::string& input, int64_t& freqKHz) {
  std::string text = input;
  for (char& ch : text)
    if (ch == ',') ch = '.';
  if (text.empty()) return false;
  const size_t point = text.rfind('.');
  if (point == std::string::npos) {
    freqKHz = NumberOrZero(text, true) * 1000;
    return true;
  }
  const std::string fraction = Trim(text.substr(point + 1));
  if (fraction.size() >= 4) return false;
  int64_t scale = 1;
  for (size_t i = fraction.size(); i < 3; ++i) scale *= 10;
  freqKHz = NumberOrZero(text.substr(0, point), true) * 1000 +
            NumberOrZero(fraction, false) * scale;
  return true;
}

FrequencyEntryCheck CheckFrequencyEntry(const std::string& text, const TDeviceData& data) {
  FrequencyEntryCheck check;
  int64_t kHz = 0;
  if (!ParseFrequencyEntry(text, kHz)) {
    check.status = FrequencyEntryStatus::NotValid;
    check.message = "Inserted value is not a valid frequency!";
    return check;
  }
  if (data.stepHz <= 0) {
    // Without a step read from the transmitter no value can be checked against it.
    check.status = FrequencyEntryStatus::StepUnknown;
    check.message = "Tuning step unknown: read the transmitter again!";
    return check;
  }
  if ((kHz * 1000) % data.stepHz != 0) {
    char buf[96];
    std::snprintf(buf, sizeof buf, "Inserted value isn't multiple of %.01f kHz!",
                  data.stepHz * 0.001);
    check.status = FrequencyEntryStatus::NotMultiple;
    check.message = buf;
    return check;
  }
  if (kHz < std::numeric_limits<int32_t>::min() || kHz > std::numeric_limits<int32_t>::max() ||
      !data.IsFrequencyAllowed(static_cast<int32_t>(kHz))) {
    check.status = FrequencyEntryStatus::OutsideRange;
    check.message = "Inserted value is outside frequency range!";
    return check;
  }
  check.status = FrequencyEntryStatus::Ok;
  check.freqKHz = static_cast<int32_t>(kHz);
  return check;
}

std::string FrequencyDialogMessage(const TDeviceData& data) {
  char buf[96];
  std::snprintf(buf, sizeof buf, "Insert frequency value (range %d-%d MHz)", data.freqMinMHz,
                data.freqMaxMHz);
  return buf;
}

std::string FrequencyDialogStep(const TDeviceData& data) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "Step %.03f kHz", data.stepHz * 0.001);
  return buf;
}

}  // namespace zentra
