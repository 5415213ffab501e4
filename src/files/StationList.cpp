#include "files/StationList.h"

#include <algorithm>
#include <filesystem>

#include "device/FrequencyPlan.h"
#include "device/TDeviceData.h"
#include "files/ConfigFile.h"
#include "files/IniFile.h"
#include "files/TextFile.h"
#include "plan/Coordination.h"
#include "plan/TableCsv.h"

namespace zentra {

namespace {

// A list of a few hundred transmitters is a few tens of kilobytes.
constexpr std::size_t kMaxListBytes = 4u * 1024u * 1024u;
constexpr size_t kLongestName = 12;  // the longest transmitter name of any model

using plan::TrimField;
using plan::LowerAscii;

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }


std::string TwoDigits(int n) {
  std::string s = std::to_string(n);
  return s.size() < 2 ? "0" + s : s;
}

enum class Column { Name, Group, Channel, Frequency, Lock, Hidden, Config, Setting, Unnamed };

struct ColumnOf {
  Column kind = Column::Unnamed;
  NamedSetting setting = NamedSetting::Gain;
  std::string title;
};

std::optional<ColumnOf> ColumnFor(const std::string& title) {
  const std::string t = LowerAscii(TrimField(title));
  static const std::pair<const char*, Column> fixed[] = {
      {"name", Column::Name},         {"group", Column::Group},
      {"channel", Column::Channel},   {"frequency", Column::Frequency},
      {"frequency (mhz)", Column::Frequency}, {"lock", Column::Lock},
      {"hidden", Column::Hidden},     {"config", Column::Config}};
  ColumnOf c;
  c.title = TrimField(title);
  if (t.empty()) return c;
  for (const auto& [name, kind] : fixed) {
    if (t == name) {
      c.kind = kind;
      return c;
    }
  }
  if (const auto setting = FindNamedSetting(t)) {
    c.kind = Column::Setting;
    c.setting = *setting;
    return c;
  }
  return std::nullopt;
}

std::string ItemNames(const std::vector<MenuItemName>& names) {
  std::string out;
  for (const auto& n : names) out += std::string(out.empty() ? "" : ", ") + n.name;
  return out;
}

// Paths travel as UTF-8 text.
std::filesystem::path PathOf(const std::string& utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}
std::string TextOf(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

std::string ConfigPath(const std::string& baseFolder, const std::string& cell) {
  const std::filesystem::path given = PathOf(cell);
  if (given.is_absolute() || baseFolder.empty()) return cell;
  return TextOf(PathOf(baseFolder) / given);
}

}  // namespace

StationListRead ParseStationList(std::string_view text, const std::string& baseFolder) {
  StationListRead result;
  std::vector<plan::CsvRecord> records;
  if (!plan::ParseCsv(text, records, result.error)) return result;
  auto blank = [](const plan::CsvRecord& r) {
    return std::all_of(r.fields.begin(), r.fields.end(),
                       [](const std::string& f) { return TrimField(f).empty(); });
  };
  auto it = std::find_if(records.begin(), records.end(), [&](const auto& r) { return !blank(r); });
  if (it == records.end()) {
    result.error = "line 1: no header row (Name, Group, Channel, ...)";
    return result;
  }

  StationList& list = result.list;
  std::vector<ColumnOf> columns;
  for (size_t i = 0; i < it->fields.size(); ++i) {
    const auto column = ColumnFor(it->fields[i]);
    if (!column) {
      result.error = "line " + std::to_string(it->line) + ": unknown column " +
                     Quoted(TrimField(it->fields[i])) +
                     " (Name, Group, Channel, Frequency, Lock, Hidden, Config or a setting "
                     "zentra-cli set takes)";
      return result;
    }
    for (const ColumnOf& before : columns) {
      const bool same = before.kind == column->kind && before.kind != Column::Unnamed &&
                        (before.kind != Column::Setting || before.setting == column->setting);
      if (same) {
        result.error = "line " + std::to_string(it->line) + ": column " + Quoted(column->title) +
                       " is given twice";
        return result;
      }
    }
    columns.push_back(*column);
    if (column->kind == Column::Setting) list.settingColumns.push_back(column->setting);
    list.hasFrequency = list.hasFrequency || column->kind == Column::Frequency;
    list.hasLock = list.hasLock || column->kind == Column::Lock;
    list.hasHidden = list.hasHidden || column->kind == Column::Hidden;
    list.hasConfig = list.hasConfig || column->kind == Column::Config;
  }
  for (const auto& [kind, title] : {std::pair{Column::Name, "Name"}, std::pair{Column::Group, "Group"},
                                    std::pair{Column::Channel, "Channel"}}) {
    const bool found = std::any_of(columns.begin(), columns.end(),
                                   [kind = kind](const ColumnOf& c) { return c.kind == kind; });
    if (!found) {
      result.error = "line " + std::to_string(it->line) + ": missing column " + Quoted(title);
      return result;
    }
  }

  for (++it; it != records.end(); ++it) {
    const plan::CsvRecord& r = *it;
    if (blank(r)) continue;
    auto fail = [&](const std::string& why) {
      result.error = "line " + std::to_string(r.line) + ": " + why;
      result.list = StationList{};
      return result;
    };
    if (r.fields.size() > columns.size()) {
      const bool extraEmpty = std::all_of(r.fields.begin() + static_cast<long>(columns.size()),
                                          r.fields.end(),
                                          [](const std::string& f) { return TrimField(f).empty(); });
      if (!extraEmpty) {
        return fail(std::to_string(r.fields.size()) + " fields, " + std::to_string(columns.size()) +
                    " expected");
      }
    } else if (r.fields.size() < columns.size()) {
      return fail(std::to_string(r.fields.size()) + " fields, " + std::to_string(columns.size()) +
                  " expected");
    }
    StationLine line;
    line.line = r.line;
    for (size_t i = 0; i < columns.size(); ++i) {
      const ColumnOf& column = columns[i];
      const std::string value = TrimField(r.fields[i]);
      switch (column.kind) {
        case Column::Unnamed:
          if (!value.empty()) return fail("a value in a column without a name: " + Quoted(value));
          break;
        case Column::Name:
          if (value.size() > kLongestName) {
            return fail("name " + Quoted(value) + " is longer than " +
                        std::to_string(kLongestName) + " characters");
          }
          for (char c : value) {
            const auto u = static_cast<unsigned char>(c);
            if (u < 0x20 || u > 0x7E) {
              return fail("name " + Quoted(value) + " holds a character that is not printable ASCII");
            }
          }
          line.name = value;
          line.nameGiven = !value.empty();
          break;
        case Column::Group: {
          if (LowerAscii(value) == "sync") {
            line.group = "SYNC";
            break;
          }
          const auto number = plan::DigitsNumber(value, 2);
          if (!number || *number >= kMaxGroups + 1) {
            return fail("group " + Quoted(value) + " is not a group as a transmitter shows it (00..40 or SYNC)");
          }
          line.group = TwoDigits(*number);
          break;
        }
        case Column::Channel: {
          const auto number = plan::DigitsNumber(value, 2);
          if (!number || *number >= kMaxChannels) {
            return fail("channel " + Quoted(value) + " is not a channel (00..59)");
          }
          line.channel = TwoDigits(*number);
          break;
        }
        case Column::Frequency:
          if (!value.empty()) {
            const auto kHz = plan::ParseMHz(value);
            if (!kHz || *kHz <= 0) {
              return fail("frequency " + Quoted(value) + " is not MHz with at most three decimals");
            }
            line.freqKHz = *kHz;
          }
          break;
        case Column::Lock:
        case Column::Hidden:
          if (!value.empty()) {
            const bool lock = column.kind == Column::Lock;
            const auto& names = lock ? LockItemNames() : HiddenItemNames();
            std::vector<int> boxes;
            std::string bad;
            if (!ParseMenuItemList(names, value, boxes, bad)) {
              return fail(std::string(lock ? "Lock" : "Hidden") + ": " + Quoted(bad) +
                          " is not a menu item (" + ItemNames(names) + ", or none)");
            }
            (lock ? line.lockItems : line.hiddenItems) = boxes;
          }
          break;
        case Column::Config:
          if (!value.empty()) {
            if (list.configs.find(value) == list.configs.end()) {
              auto ini = std::make_shared<IniFile>();
              if (ini->Load(ConfigPath(baseFolder, value)) != IniFile::Status::Ok) {
                return fail("Config " + Quoted(value) + ": " + ini->errorText());
              }
              if (!HoldsConfiguration(*ini)) {
                return fail("Config " + Quoted(value) + ": " + kMsgNoConfigInFile);
              }
              list.configs[value] = std::move(ini);
            }
            line.config = value;
          }
          break;
        case Column::Setting:
          if (!value.empty()) {
            const std::string why = CheckSettingText(column.setting, value);
            if (!why.empty()) return fail(std::string(NamedSettingName(column.setting)) + ": " + why);
            line.settings.emplace_back(column.setting, value);
          }
          break;
      }
    }
    if (line.group.empty() || line.channel.empty()) return fail("a line needs a group and a channel");
    if (line.group == "SYNC" && line.channel != "00") {
      return fail("the SYNC group has only channel 00, not " + line.channel);
    }
    list.lines.push_back(std::move(line));
  }
  if (list.lines.empty()) {
    result.error = "the list holds no transmitter to program (one line per transmitter after the header)";
    return result;
  }
  result.ok = true;
  return result;
}

StationListRead ReadStationList(const std::string& path) {
  StationListRead result;
  std::string text;
  if (ReadWholeFile(path, kMaxListBytes, text, result.error) != TextFileStatus::Ok) return result;
  const std::string folder = TextOf(PathOf(path).parent_path());
  result = ParseStationList(text, folder);
  if (result.ok) result.list.path = path;
  return result;
}

namespace {

std::string MenuListText(const std::vector<int>& boxes, const std::vector<MenuItemName>& names) {
  std::string out;
  for (int box : boxes) {
    for (const auto& n : names)
      if (n.box == box) out += std::string(out.empty() ? "" : ",") + n.name;
  }
  return out.empty() ? "none" : out;
}

}  // namespace

std::string StationLineSettingsText(const StationLine& line) {
  std::vector<std::string> parts;
  for (const auto& [setting, typed] : line.settings) parts.push_back(std::string(NamedSettingName(setting)) + " " + typed);
  if (line.lockItems) parts.push_back("Lock " + MenuListText(*line.lockItems, LockItemNames()));
  if (line.hiddenItems) parts.push_back("Hidden " + MenuListText(*line.hiddenItems, HiddenItemNames()));
  if (!line.config.empty()) parts.push_back("Config " + line.config);
  std::string out;
  for (const std::string& p : parts) out += (out.empty() ? "" : ", ") + p;
  return out;
}

std::string StationLineText(const StationLine& line) {
  std::string text = "line " + std::to_string(line.line);
  if (line.nameGiven) text += ": name \"" + line.name + "\",";
  else text += ":";
  text += " group " + line.group + ", channel " + line.channel;
  if (line.freqKHz) text += ", " + plan::MHzText(*line.freqKHz) + " MHz";
  const std::string settings = StationLineSettingsText(line);
  if (!settings.empty()) text += ", " + settings;
  return text;
}

int GroupIndexFor(const TDeviceData& data, const std::string& group) {
  const ItemList items = GroupListItems(data);
  for (size_t i = 0; i < items.size(); ++i) {
    if (items[i] == group) return static_cast<int>(i);
  }
  return -1;
}

namespace {

std::string GroupChoices(const TDeviceData& d) {
  const ItemList items = GroupListItems(d);
  if (items.empty()) return "none";
  std::string out = items.front();
  const bool sync = items.back() == "SYNC";
  const size_t last = sync ? items.size() - 2 : items.size() - 1;
  if (last > 0 && last < items.size()) out += ".." + items[last];
  if (sync && items.size() > 1) out += ", SYNC";
  return out;
}

std::string FrequencyRefusal(const TDeviceData& d, int32_t kHz) {
  const FrequencyEntryCheck check = CheckFrequencyEntry(plan::MHzText(kHz), d);
  const std::string f = "frequency " + plan::MHzText(kHz) + " MHz";
  switch (check.status) {
    case FrequencyEntryStatus::Ok: return "";
    case FrequencyEntryStatus::StepUnknown: return f + " cannot be checked: the tuning step was not read";
    case FrequencyEntryStatus::NotMultiple:
      return f + " is not on this transmitter's " + plan::MHzText(d.stepHz) + " kHz step";
    default:
      return f + " is outside this transmitter's range (" + std::to_string(d.freqMinMHz) + "-" +
             std::to_string(d.freqMaxMHz) + " MHz) or its usable sub-bands";
  }
}

// The flags of a menu list on this transmitter: every box the model shows takes the
// list's value; boxes it does not have keep their bits.
template <typename Checks, typename Box>
std::string MenuPlan(const std::vector<int>& items, const std::vector<MenuItemName>& names,
                     const std::array<BoxState, static_cast<size_t>(Box::Count)>& boxes,
                     bool supported, Checks current, const char* what,
                     std::optional<Checks>& out) {
  std::string offered;
  for (const auto& n : names) {
    if (supported && boxes[static_cast<size_t>(n.box)].enabled)
      offered += std::string(offered.empty() ? "" : ", ") + n.name;
  }
  for (int box : items) {
    if (!supported || !boxes[static_cast<size_t>(box)].enabled) {
      std::string name;
      for (const auto& n : names)
        if (n.box == box) name = n.name;
      return std::string("menu ") + what + " item '" + name + "' not offered by this transmitter; it has: " +
             (offered.empty() ? std::string("none") : offered);
    }
  }
  if (!supported) return "";  // "none" on a transmitter without such flags: nothing to do
  for (const auto& n : names) {
    const auto b = static_cast<size_t>(n.box);
    if (boxes[b].enabled) current[b] = std::find(items.begin(), items.end(), n.box) != items.end();
  }
  out = current;
  return "";
}

}  // namespace

std::string PlanLine(const StationList& list, const StationLine& line, const TDeviceData& data,
                     LinePlan& plan) {
  plan = LinePlan{};
  plan.group = GroupIndexFor(data, line.group);
  if (plan.group < 0) {
    return "group " + line.group + " is not a group of this transmitter (" + GroupChoices(data) + ")";
  }
  plan.channel = std::stoi(line.channel);
  const bool sync = data.syncSupported && plan.group == data.syncGroup;
  if (!sync && plan.channel >= data.channelCount) {
    return "channel " + line.channel + " is not a channel of this transmitter (00.." +
           TwoDigits(data.channelCount - 1) + ")";
  }
  if (line.freqKHz) {
    const std::string why = FrequencyRefusal(data, *line.freqKHz);
    if (!why.empty()) return why;
    plan.freqKHz = line.freqKHz;
  }
  if (!line.config.empty()) {
    const auto found = list.configs.find(line.config);
    if (found != list.configs.end()) plan.config = found->second.get();
  }

  // The microphone mode decides the PTT and LED lists and the gain range: the values are
  // judged with the mode the transmitter will have once the line (or its configuration)
  // has been applied.
  TDeviceData judged = data;
  if (plan.config && data.micInputSupported) {
    const ConfigChoices choices = DecideConfigChoices(*plan.config, data);
    if (choices[static_cast<size_t>(ConfigItem::Mic)].enabled) {
      judged.micMode = plan.config->ReadInteger("CONFIG", "MicMode", judged.micMode);
    }
  }
  for (const auto& [setting, typed] : line.settings) {
    if (setting != NamedSetting::MicMode) continue;
    const SettingValue v = ResolveSetting(data, setting, typed);
    if (!v.ok) return v.refusal;
    judged.micMode = v.value;
  }
  for (const auto& [setting, typed] : line.settings) {
    const SettingValue v = ResolveSetting(judged, setting, typed);
    if (!v.ok) return v.refusal;
    plan.values.emplace_back(setting, v.value);
  }
  if (data.audioModLpfSupported) {
    int modulation = HeldSettingValue(data, NamedSetting::Modulation);
    int lowPass = HeldSettingValue(data, NamedSetting::LowPass);
    for (const auto& [setting, value] : plan.values) {
      if (setting == NamedSetting::Modulation) modulation = value;
      if (setting == NamedSetting::LowPass) lowPass = value;
    }
    if (modulation == 0 && lowPass == 2) return "lp-filter 20KHz is not offered with Narrow modulation";
  }

  if (line.nameGiven) {
    if (!data.txNameSupported) return "This transmitter has no setting 'name'";
    if (line.name.size() > data.txNameLength) {
      return "Name '" + line.name + "' refused: this transmitter takes at most " +
             std::to_string(data.txNameLength) + " characters";
    }
    plan.name = line.name;
  }
  if (line.lockItems) {
    const LockPanel panel = LockPanelState(data);
    const std::string why = MenuPlan<LockChecks, LockBox>(
        *line.lockItems, LockItemNames(), panel.boxes, data.groupLockSupported != 0,
        LockChecksFromData(data), "lock", plan.locks);
    if (!why.empty()) return why;
  }
  if (line.hiddenItems) {
    const auto boxes = HiddenPanelState(data, HiddenChecksFromData(data));
    const std::string why = MenuPlan<HiddenChecks, HiddenBox>(
        *line.hiddenItems, HiddenItemNames(), boxes, data.hiddenMenuSupported != 0,
        HiddenChecksFromData(data), "hidden", plan.hidden);
    if (!why.empty()) return why;
  }
  return "";
}

}  // namespace zentra
