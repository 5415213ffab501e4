#include "files/OfflinePlan.h"

#include <algorithm>

#include "files/IniFile.h"
#include "files/TablePlan.h"

namespace zentra {

namespace {

using plan::Flag;
using plan::TableChannel;
using plan::TableGroup;

constexpr int kGroupNameLength = 8;
constexpr int kSyncNameLength = 12;
constexpr int kDefaultStepHz = 25000;

std::string TwoDigits(int n) {
  std::string s = std::to_string(n);
  return s.size() < 2 ? "0" + s : s;
}

// The group masks of the data model from the table's group flags.
void ShowGroupFlags(const plan::FrequencyTable& table, const PlanLayout& layout, TDeviceData& d) {
  d.groupLockMask.fill(0);
  d.groupHiddenMask.fill(0);
  for (const TableGroup& g : table.groups) {
    if (g.sync) continue;
    const int index = g.number - layout.firstGroupNumber;
    d.SetGroupLock(index, g.lock == Flag::Set);
    d.SetGroupHidden(index, g.hidden == Flag::Set);
  }
}

void DescribeTable(const PlanLayout& layout, TDeviceData& d) {
  d = TDeviceData{};
  d.channelCount = layout.channels;
  d.groupCount = layout.groups;
  d.freqMinMHz = layout.freqMinMHz;
  d.freqMaxMHz = layout.freqMaxMHz;
  d.stepHz = layout.stepHz;
  d.syncSupported = layout.sync ? 1 : 0;
  d.syncGroup = layout.groups;
  d.channelFlagsSupported = 1;
  d.groupLockSupported = 1;
  d.groupHiddenSupported = 1;
  d.groupNamesSupported = 1;
  // No transmitter: nothing is tuned, so no channel is "the tuned channel".
  d.curGroup = kNotRead;
  d.curChannel = kNotRead;
}

// The "DATA" keys in the order a transmitter save writes them.
void WriteData(const PlanLayout& layout, IniFile& ini) {
  ini.WriteString("DATA", "matricola", "");
  ini.WriteString("DATA", "ID", "");
  ini.WriteInteger("DATA", "Channels", layout.channels);
  ini.WriteInteger("DATA", "Groups", layout.groups);
  ini.WriteInteger("DATA", "FreqMin", layout.freqMinMHz);
  ini.WriteInteger("DATA", "FreqMax", layout.freqMaxMHz);
  ini.WriteInteger("DATA", "Step", layout.stepHz);
}

// What a file's DATA section and groups say of its layout; notes say what was guessed.
PlanLayout LayoutOf(const IniFile& ini, const plan::FrequencyTable& table, std::vector<std::string>& notes) {
  PlanLayout layout;
  int lowest = -1, highest = -1, maxChannel = -1;
  int32_t lowKHz = 0, highKHz = 0;
  layout.sync = false;
  for (const TableGroup& g : table.groups) {
    if (g.sync) {
      layout.sync = true;
    } else {
      lowest = lowest < 0 ? g.number : std::min(lowest, g.number);
      highest = std::max(highest, g.number);
    }
    for (const TableChannel& c : g.channels) {
      maxChannel = std::max(maxChannel, c.channel);
      if (!c.freqKHz) continue;
      lowKHz = lowKHz == 0 ? *c.freqKHz : std::min(lowKHz, *c.freqKHz);
      highKHz = std::max(highKHz, *c.freqKHz);
    }
  }
  const int groups = ini.ReadInteger("DATA", "Groups", 0);
  // "GROUP00" belongs to the families that count groups from 0; a file whose sections
  // run from 01 to its group count counts them from 1.
  layout.firstGroupNumber = lowest >= 1 && (groups <= 0 || highest <= groups) ? 1 : 0;
  if (groups >= 1 && groups <= kMaxGroups) {
    layout.groups = groups;
  } else {
    layout.groups = std::clamp(highest - layout.firstGroupNumber + 1, 1, kMaxGroups);
    notes.push_back("The file gives no group count: " + std::to_string(layout.groups) + " group(s) taken");
  }
  const int channels = ini.ReadInteger("DATA", "Channels", 0);
  if (channels >= 1 && channels <= kMaxChannels) {
    layout.channels = channels;
  } else {
    layout.channels = std::clamp(maxChannel + 1, 1, kMaxChannels);
    notes.push_back("The file gives no channel count: " + std::to_string(layout.channels) + " channel(s) taken");
  }
  const int low = ini.ReadInteger("DATA", "FreqMin", -1), high = ini.ReadInteger("DATA", "FreqMax", -1);
  if (low > 0 && high > low && high < 100'000) {
    layout.freqMinMHz = low;
    layout.freqMaxMHz = high;
  } else if (highKHz > 0) {
    layout.freqMinMHz = lowKHz / 1000;
    layout.freqMaxMHz = (highKHz + 999) / 1000;
    if (layout.freqMaxMHz == layout.freqMinMHz) ++layout.freqMaxMHz;
    notes.push_back("The file gives no range: " + std::to_string(layout.freqMinMHz) + "-" +
                    std::to_string(layout.freqMaxMHz) + " MHz taken from its frequencies");
  } else {
    notes.push_back("The file gives no range: 470-542 MHz taken");
  }
  const int step = ini.ReadInteger("DATA", "Step", 0);
  if (step > 0) {
    layout.stepHz = step;
  } else {
    layout.stepHz = kDefaultStepHz;
    notes.push_back("The file gives no step: 25 kHz taken");
  }
  return layout;
}

// The channel's entry in a group, added in its place when the group has none yet.
TableChannel& ChannelOf(TableGroup& g, int channel) {
  auto it = std::lower_bound(g.channels.begin(), g.channels.end(), channel,
                             [](const TableChannel& c, int n) { return c.channel < n; });
  if (it == g.channels.end() || it->channel != channel) {
    TableChannel added;
    added.channel = channel;
    it = g.channels.insert(it, added);
  }
  return *it;
}

PlanEditResult Refused() {
  PlanEditResult r;
  r.refused = true;
  return r;
}

}  // namespace

std::string PlanLayout::Problem() const {
  if (channels < 1 || channels > kMaxChannels) return "A group has 1 to 60 channels";
  if (groups < 1 || groups > kMaxGroups) return "A table has 1 to 40 groups";
  if (freqMinMHz < 1 || freqMaxMHz <= freqMinMHz || freqMaxMHz >= 100'000) {
    return "The range needs a lowest MHz below the highest";
  }
  if (stepHz <= 0) return "The step must be above 0 Hz";
  if (firstGroupNumber != 0 && firstGroupNumber != 1) return "The first group is 00 or 01";
  return {};
}

OfflinePlan::OfflinePlan() : ini_(std::make_unique<IniFile>()) {}
OfflinePlan::~OfflinePlan() = default;

void OfflinePlan::New(const PlanLayout& layout) {
  ini_->Clear();
  table_.groups.clear();
  notes_.clear();
  layout_ = layout;
  WriteData(layout_, *ini_);
  // Every group section exists from the start (visible, unlocked), so the file keeps
  // its numbering before any channel has a frequency.
  for (int i = 0; i < layout_.groups; ++i) {
    TableGroup g;
    g.number = Number(i);
    g.lock = Flag::Clear;
    g.hidden = Flag::Clear;
    table_.groups.push_back(g);
  }
  // The SYNC section is written once its channel or name is set: a file without it
  // opens without the SYNC item, as a table of a transmitter without sync channel.
  DescribeTable(layout_, data_);
  ShowGroupFlags(table_, layout_, data_);
  modified_ = true;
}

bool OfflinePlan::Open(const std::string& path, std::string& error) {
  auto ini = std::make_unique<IniFile>();
  plan::FrequencyTable table;
  if (!OpenTableFile(path, false, *ini, error) || !ReadTablePlan(*ini, table, error)) return false;
  std::vector<std::string> notes;
  const PlanLayout layout = LayoutOf(*ini, table, notes);
  ini_ = std::move(ini);
  table_ = std::move(table);
  notes_ = std::move(notes);
  layout_ = layout;
  DescribeTable(layout_, data_);
  ShowGroupFlags(table_, layout_, data_);
  modified_ = false;
  return true;
}

std::string OfflinePlan::ToText() const {
  IniFile out;
  out.LoadText(ini_->ToText());
  MergeTablePlan(table_, out);
  return out.ToText();
}

bool OfflinePlan::Save(const std::string& path, std::string& error) {
  MergeTablePlan(table_, *ini_);
  if (ini_->Save(path) != IniFile::Status::Ok) {
    error = ini_->errorText();
    return false;
  }
  modified_ = false;
  return true;
}

std::vector<std::string> OfflinePlan::GroupItems() const {
  std::vector<std::string> items;
  for (int i = 0; i < data_.groupCount; ++i) items.push_back(TwoDigits(Number(i)));
  if (data_.syncSupported) items.push_back("SYNC");
  return items;
}

int OfflinePlan::groupItemCount() const { return data_.groupCount + (data_.syncSupported ? 1 : 0); }

const TableGroup* OfflinePlan::Find(int index) const {
  return IsSync(index) ? table_.Find(true, 0) : table_.Find(false, Number(index));
}

TableGroup& OfflinePlan::Edit(int index) {
  if (const TableGroup* g = Find(index)) return const_cast<TableGroup&>(*g);
  TableGroup added;
  added.sync = IsSync(index);
  added.number = added.sync ? 0 : Number(index);
  table_.groups.push_back(added);
  std::stable_sort(table_.groups.begin(), table_.groups.end(), [](const TableGroup& a, const TableGroup& b) {
    return std::pair(a.sync, a.number) < std::pair(b.sync, b.number);
  });
  return const_cast<TableGroup&>(*Find(index));
}

GroupView OfflinePlan::Group(int index) const {
  GroupView view;
  if (index < 0 || index >= groupItemCount()) return view;
  view.group = index;
  view.isSync = IsSync(index);
  view.rows.assign(static_cast<size_t>(data_.channelCount), ChannelRow{});
  const TableGroup* g = Find(index);
  if (g && g->name) {
    view.nameRead = true;
    view.name = *g->name;
  }
  if (!g) return view;
  for (const TableChannel& c : g->channels) {
    if (c.channel < 0 || c.channel >= data_.channelCount || (view.isSync && c.channel != 0)) continue;
    ChannelRow& row = view.rows[static_cast<size_t>(c.channel)];
    row.freqRead = c.freqKHz.has_value();
    row.freqKHz = c.freqKHz.value_or(0);
    row.flagsRead = !view.isSync;
    row.locked = c.lock == Flag::Set;
    row.hidden = c.hidden == Flag::Set;
  }
  if (!view.isSync) {
    for (ChannelRow& row : view.rows) row.flagsRead = true;  // a flag not given is clear
  }
  return view;
}

std::vector<int32_t> OfflinePlan::ActiveKHz(int index) const {
  const TableGroup* g = Find(index);
  if (!g) return {};
  std::vector<int32_t> out;
  for (const TableChannel& c : g->channels) {
    if (c.channel < 0 || c.channel >= data_.channelCount || (g->sync && c.channel != 0)) continue;
    if (c.freqKHz && (g->sync || c.hidden != Flag::Set)) out.push_back(*c.freqKHz);
  }
  return out;
}

PlanEditResult OfflinePlan::SetFrequency(int index, int channel, int32_t freqKHz) {
  if (IsSync(index)) channel = 0;
  if (index < 0 || index >= groupItemCount() || channel < 0 || channel >= data_.channelCount) return Refused();
  // The frequency dialog's own checks: on the step, inside the range.
  if (freqKHz <= 0 || (int64_t{freqKHz} * 1000) % data_.stepHz != 0 || !data_.IsFrequencyAllowed(freqKHz)) {
    return Refused();
  }
  TableChannel& c = ChannelOf(Edit(index), channel);
  if (c.freqKHz != freqKHz) Touch();
  c.freqKHz = freqKHz;
  PlanEditResult result;
  result.written = true;
  return result;
}

PlanEditResult OfflinePlan::ToggleLock(int index, int channel) {
  if (IsSync(index)) return Refused();
  const GroupView view = Group(index);
  if (channel < 0 || channel >= static_cast<int>(view.rows.size())) return Refused();
  TableChannel& c = ChannelOf(Edit(index), channel);
  c.lock = view.rows[channel].locked ? Flag::Clear : Flag::Set;
  if (c.hidden == Flag::NotGiven) c.hidden = Flag::Clear;  // both flags, as a transmitter takes them
  Touch();
  PlanEditResult result;
  result.written = true;
  return result;
}

PlanEditResult OfflinePlan::ToggleHidden(int index, int channel) {
  if (IsSync(index)) return Refused();
  const GroupView view = Group(index);
  if (channel < 0 || channel >= static_cast<int>(view.rows.size())) return Refused();
  PlanEditResult result;
  const bool want = !view.rows[channel].hidden;
  const bool hidden = DecideChannelHidden(data_, view, channel, want, result.warning);
  if (want && !hidden) result.refused = true;
  TableChannel& c = ChannelOf(Edit(index), channel);
  const Flag before = c.hidden;
  c.hidden = hidden ? Flag::Set : Flag::Clear;
  if (c.lock == Flag::NotGiven) c.lock = Flag::Clear;
  if (before != c.hidden) Touch();
  result.written = !result.refused;
  return result;
}

bool OfflinePlan::SetGroupLock(int index, bool locked) {
  if (IsSync(index) || index < 0 || index >= data_.groupCount) return false;
  const bool shown = GroupLockClick(data_, index, locked);
  TableGroup& g = Edit(index);
  const Flag now = shown ? Flag::Set : Flag::Clear;
  if (g.lock != now) Touch();
  g.lock = now;
  return shown;
}

bool OfflinePlan::SetGroupHidden(int index, bool hidden, PlanWarning& warning) {
  if (IsSync(index) || index < 0 || index >= data_.groupCount) return false;
  const bool shown = GroupHiddenClick(data_, index, hidden, warning);
  TableGroup& g = Edit(index);
  const Flag now = shown ? Flag::Set : Flag::Clear;
  if (g.hidden != now) Touch();
  g.hidden = now;
  return shown;
}

std::string OfflinePlan::SetGroupName(int index, const std::string& text) {
  if (index < 0 || index >= groupItemCount()) return {};
  const std::string name = CleanGroupNameText(text, IsSync(index) ? kSyncNameLength : kGroupNameLength);
  TableGroup& g = Edit(index);
  if (g.name != name) Touch();
  g.name = name;
  return name;
}

plan::CsvLimits OfflinePlan::ImportLimits() const {
  plan::CsvLimits limits;
  limits.lowKHz = layout_.freqMinMHz * 1000;
  limits.highKHz = layout_.freqMaxMHz * 1000;
  limits.stepHz = layout_.stepHz;
  limits.maxGroupNumber = Number(layout_.groups - 1);
  limits.channelCount = layout_.channels;
  return limits;
}

bool OfflinePlan::MergeTable(const plan::FrequencyTable& table, std::string& error) {
  for (const TableGroup& g : table.groups) {
    const int index = g.sync ? data_.syncGroup : g.number - layout_.firstGroupNumber;
    if ((g.sync && !data_.syncSupported) || (!g.sync && (index < 0 || index >= data_.groupCount))) {
      error = "The plan has no group " + g.label();
      return false;
    }
  }
  for (const TableGroup& g : table.groups) {
    Edit(g.sync ? data_.syncGroup : g.number - layout_.firstGroupNumber) = g;
  }
  ShowGroupFlags(table_, layout_, data_);
  Touch();
  return true;
}

void OfflinePlan::WriteGroupSet(int index, const std::vector<int32_t>& freqsKHz, bool hideRest) {
  if (IsSync(index) || index < 0 || index >= data_.groupCount) return;
  TableGroup& g = Edit(index);
  const TableGroup before = g;
  PlaceSetInGroup(g, freqsKHz, hideRest, static_cast<size_t>(data_.channelCount));
  if (g.channels.size() != before.channels.size() ||
      !std::equal(g.channels.begin(), g.channels.end(), before.channels.begin(),
                  [](const TableChannel& a, const TableChannel& b) {
                    return a.channel == b.channel && a.freqKHz == b.freqKHz && a.lock == b.lock &&
                           a.hidden == b.hidden;
                  })) {
    Touch();
  }
}

}  // namespace zentra
