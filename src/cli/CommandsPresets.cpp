// preset list|show|save|set: the transmitter's presets through the device layer. "save"
// edits the whole preset as the window's preset panel does: the name, every setting by
// the item names `set` takes, and the lock and "Don't Care" flags, with the panel's
// enable rules (device/Presets) deciding what may be given.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <map>
#include <optional>
#include <sstream>

#include "cli/Commands.h"
#include "cli/ExitCodes.h"
#include "cli/Items.h"
#include "cli/Output.h"
#include "cli/Session.h"
#include "device/ItemLists.h"
#include "device/Presets.h"
#include "device/TDeviceData.h"

namespace zentra::cli {

namespace {

using PS = PresetSetting;

// The command-line name of every preset setting, as `set` names the same setting.
const char* SettingName(PS s) {
  static const char* const names[kPresetSettingCount] = {
      "tuning",   "gain",  "hp-filter", "noise-reduction", "limiter",  "mic-mode", "phase",
      "ptt",      "battery", "rf-power", "led-mode",       "led-light", "modulation"};
  const int i = static_cast<int>(s);
  return (i >= 0 && i < kPresetSettingCount) ? names[i] : "";
}

std::optional<int> PickPreset(Session& s, const std::string& typed) {
  const TDeviceData& d = s.data();
  if (!d.presetsSupported) {
    PrintError("This transmitter has no presets");
    return std::nullopt;
  }
  const auto i = MatchItem(PresetListNames(d.presetCount), typed);
  if (!i) PrintError("No preset '" + typed + "' (FACTORY, USER, Preset01..)");
  return i;
}

// Names of the settings whose lock (dontCare false) or "Don't Care" flag is set.
std::vector<std::string> FlagNames(const TDeviceData& d, const PresetSettings& p, bool dontCare) {
  std::vector<std::string> names;
  for (int i = 0; i < kPresetSettingCount; ++i) {
    const PS s = static_cast<PS>(i);
    if (!PresetFlagsOffered(d, s)) continue;
    if (dontCare ? PresetDontCare(p, s) : PresetLocked(p, s)) names.emplace_back(SettingName(s));
  }
  return names;
}

std::string Joined(const std::vector<std::string>& names) {
  std::string out;
  for (const auto& n : names) out += (out.empty() ? "" : ",") + n;
  return out.empty() ? "none" : out;
}

// What a preset shows, by item names; "" for a setting the model does not offer.
struct PresetTexts {
  std::map<PS, std::string> values;
};

PresetTexts Texts(const TDeviceData& d, const PresetSettings& p) {
  PresetTexts t;
  auto put = [&](PS s, const std::string& text) {
    if (PresetSettingOffered(d, s)) t.values[s] = text;
  };
  const ItemList groups = GroupListItems(d);
  put(PS::Tuning, ItemText(groups, p.group) + " " + TwoDigits(p.channel));
  put(PS::Gain, std::to_string(p.gain));
  put(PS::Filter, ItemText(PresetFilterItems(d), p.filter));
  put(PS::NoiseReduction, ItemText(PreEmphasisItems(d), p.preEmphasis));
  put(PS::Limiter, p.limiter ? "on" : "off");
  const ListSpec mic = PresetMicModeList(d);
  if (mic.action == ListSpec::Action::Fill) put(PS::MicMode, ItemText(mic.items, p.micMode));
  put(PS::MicPhase, ItemText(PhaseItems(), p.micPhase));
  const ListSpec ptt = PresetPttList(d, p.micMode);
  if (ptt.action == ListSpec::Action::Fill) {
    put(PS::Ptt, ItemText(ptt.items, PresetPttValueToIndex(d, p.micMode, p.pttValue)));
  }
  put(PS::Battery, ItemText(PresetBatteryItems(d), p.batteryType));
  put(PS::RfPower, ItemText(PresetPowerItems(d), p.rfPower));
  put(PS::LedMode, ItemText(PresetLedModeItems(d, p.micMode), p.ledMode));
  put(PS::LedLight, std::to_string(p.ledLight));
  put(PS::AudioMod, ItemText(ModulationItems(), p.audioMod) + " " +
                        ItemText(PresetLowPassItems(p.audioMod), p.audioLpf));
  return t;
}

int PresetList(Session& s) {
  const TDeviceData& d = s.data();
  if (!d.presetsSupported) {
    PrintError("This transmitter has no presets");
    return kExitUsage;
  }
  for (int i = 0; i < d.presetCount && i < kMaxPresets; ++i) {
    std::printf("%d  %-9s \"%s\"%s\n", i, PresetListName(i).c_str(),
                Printable(s.presets().Name(i)).c_str(), i == d.presetIndex ? "  (active)" : "");
  }
  return kExitOk;
}

void PrintPreset(Session& s, int i) {
  const TDeviceData& d = s.data();
  const PresetRecord& record = s.presets().presetRecords[static_cast<size_t>(i)];
  const PresetSettings p = DecodePresetRecord(d, record);
  const PresetTexts t = Texts(d, p);
  const bool flags = PresetPanelModeFor(i, false).flagsEnabled;
  if (s.options().json) {
    JsonObject o;
    o.Add("index", i).Add("list", PresetListName(i)).Add("name", Printable(s.presets().Name(i)))
        .Add("active", i == d.presetIndex);
    o.Add("group", p.group).Add("channel", p.channel);
    for (const auto& [setting, text] : t.values) {
      if (setting == PS::Tuning) continue;
      o.Add(SettingName(setting),
            setting == PS::AudioMod ? ItemText(ModulationItems(), p.audioMod) : text);
    }
    if (PresetSettingOffered(d, PS::AudioMod)) {
      o.Add("lp-filter", ItemText(PresetLowPassItems(p.audioMod), p.audioLpf));
    }
    o.Add("lock", flags ? FlagNames(d, p, false) : std::vector<std::string>{});
    o.Add("dont-care", flags ? FlagNames(d, p, true) : std::vector<std::string>{});
    std::vector<long long> bytes(record.begin(), record.begin() + PresetRecordLength(d));
    o.Add("record", bytes);
    std::printf("%s\n", o.str().c_str());
    return;
  }
  std::printf("%s \"%s\"%s\n", PresetListName(i).c_str(), Printable(s.presets().Name(i)).c_str(),
              i == d.presetIndex ? " (active)" : "");
  for (const auto& [setting, text] : t.values) {
    std::printf("  %-16s %s\n", (std::string(SettingName(setting)) + ":").c_str(), text.c_str());
  }
  if (flags) {
    std::printf("  %-16s %s\n", "lock:", Joined(FlagNames(d, p, false)).c_str());
    std::printf("  %-16s %s\n", "dont-care:", Joined(FlagNames(d, p, true)).c_str());
  }
}

int PresetShow(Session& s, const std::string& typed) {
  const auto i = PickPreset(s, typed);
  if (!i) return kExitUsage;
  PrintPreset(s, *i);
  return kExitOk;
}

// What `preset save` was given: unset options leave the stored value.
struct PresetEdit {
  std::optional<std::string> name;
  std::map<PS, std::string> values;  // setting -> typed value
  std::optional<std::string> group, channel, lowPass;
  std::optional<std::string> lock, dontCare;
};

bool Refuse(const std::string& message) {
  PrintError(message);
  return false;
}

// A list of setting names ("tuning,gain", "none") as the settings with the flag set.
std::optional<std::vector<PS>> ParseFlagList(const TDeviceData& d, const std::string& typed) {
  std::vector<PS> out;
  if (typed == "none" || typed.empty()) return out;
  std::stringstream in(typed);
  std::string item;
  while (std::getline(in, item, ',')) {
    bool found = false;
    for (int i = 0; i < kPresetSettingCount && !found; ++i) {
      const PS s = static_cast<PS>(i);
      if (item != SettingName(s)) continue;
      found = true;
      if (!PresetFlagsOffered(d, s)) {
        PrintError("This transmitter has no preset flag for '" + item + "'");
        return std::nullopt;
      }
      out.push_back(s);
    }
    if (!found) {
      PrintError("No preset setting '" + item + "'");
      return std::nullopt;
    }
  }
  return out;
}

std::optional<int> ParseNumber(const std::string& typed) {
  try {
    size_t used = 0;
    const int v = std::stoi(typed, &used);
    if (used == typed.size()) return v;
  } catch (...) {
  }
  return std::nullopt;
}

// Applies the edit to p; false (with the reason printed) when a value is refused.
bool ApplyEdit(const TDeviceData& d, int index, const PresetEdit& e, PresetSettings& p) {
  for (const auto& [setting, typed] : e.values) {
    if (!PresetSettingOffered(d, setting)) {
      return Refuse(std::string("This transmitter's presets have no '") + SettingName(setting) + "'");
    }
  }
  if (e.group) {
    const ItemList groups = GroupListItems(d);
    const auto g = MatchItem(groups, *e.group);
    if (!g || *g >= d.groupCount) return Refuse("No group '" + *e.group + "' for a preset");
    p.group = *g;
  }
  if (e.channel) {
    const auto c = MatchItem(ChannelListItems(d), *e.channel);
    if (!c) return Refuse("No channel '" + *e.channel + "'");
    p.channel = *c;
  }
  // The microphone mode first: the PTT and LED lists depend on it.
  auto pick = [&](PS s, const ItemList& items, int& field) {
    const auto it = e.values.find(s);
    if (it == e.values.end()) return true;
    const auto v = MatchItem(items, it->second);
    if (!v) return Refuse("Value '" + it->second + "' not offered for " + SettingName(s));
    field = *v;
    return true;
  };
  const ListSpec mic = PresetMicModeList(d);
  if (!pick(PS::MicMode, mic.items, p.micMode)) return false;
  if (const auto it = e.values.find(PS::Gain); it != e.values.end()) {
    const auto v = ParseNumber(it->second);
    const GainLimits limits = PresetGainLimits(d, p.micMode);
    if (!v || *v < limits.minimum || *v > limits.maximum) {
      return Refuse("Gain '" + it->second + "' outside " + std::to_string(limits.minimum) +
                    ".." + std::to_string(limits.maximum));
    }
    p.gain = *v;
  }
  if (const auto it = e.values.find(PS::LedLight); it != e.values.end()) {
    const auto v = ParseNumber(it->second);
    if (!v || *v < 0 || *v > 16) return Refuse("LED light '" + it->second + "' outside 0..16");
    p.ledLight = *v;
  }
  if (const auto it = e.values.find(PS::Limiter); it != e.values.end()) {
    const auto on = ParseOnOff(it->second);
    if (!on) return Refuse("limiter takes on or off");
    p.limiter = *on;
  }
  if (!pick(PS::Filter, PresetFilterItems(d), p.filter) ||
      !pick(PS::NoiseReduction, PreEmphasisItems(d), p.preEmphasis) ||
      !pick(PS::MicPhase, PhaseItems(), p.micPhase) ||
      !pick(PS::Battery, PresetBatteryItems(d), p.batteryType) ||
      !pick(PS::RfPower, PresetPowerItems(d), p.rfPower) ||
      !pick(PS::LedMode, PresetLedModeItems(d, p.micMode), p.ledMode) ||
      !pick(PS::AudioMod, ModulationItems(), p.audioMod)) {
    return false;
  }
  int pttIndex = PresetPttValueToIndex(d, p.micMode, p.pttValue);
  if (!pick(PS::Ptt, PresetPttList(d, p.micMode).items, pttIndex)) return false;
  p.pttValue = PresetPttIndexToValue(d, p.micMode, pttIndex);
  if (e.lowPass) {
    if (!d.audioModLpfSupported) return Refuse("This transmitter's presets have no 'lp-filter'");
    const auto v = MatchItem(PresetLowPassItems(p.audioMod), *e.lowPass);
    if (!v) return Refuse("Value '" + *e.lowPass + "' not offered for lp-filter");
    p.audioLpf = *v;
  }
  p.audioLpf = ClampPresetLowPass(p.audioMod, p.audioLpf);

  const bool flags = PresetPanelModeFor(index, false).flagsEnabled;
  for (const auto& [list, dontCare] : {std::pair{&e.lock, false}, std::pair{&e.dontCare, true}}) {
    if (!*list) continue;
    if (!flags) return Refuse("The USER preset has no lock or Don't Care flags");
    const auto chosen = ParseFlagList(d, **list);
    if (!chosen) return false;
    for (int i = 0; i < kPresetSettingCount; ++i) {
      const PS s = static_cast<PS>(i);
      bool on = false;
      for (PS c : *chosen) on = on || c == s;
      if (dontCare) SetPresetDontCare(p, s, on); else SetPresetLocked(p, s, on);
    }
  }
  if (!flags) {  // USER is stored without flags, as the panel shows it
    p.lock = p.dontCare = p.lockExt = p.dontCareExt = 0;
  }
  return true;
}

int PresetSave(Session& s, const std::string& typed, const PresetEdit& e) {
  const auto i = PickPreset(s, typed);
  if (!i) return kExitUsage;
  const TDeviceData& d = s.data();
  if (e.name && *i < 2) {
    PrintError("The names FACTORY and USER are never written");
    return kExitUsage;
  }
  if (e.name && e.name->size() > 8) {
    PrintError("Name refused: a preset name has at most 8 characters");
    return kExitUsage;
  }
  PresetSettings settings = DecodePresetRecord(d, s.presets().presetRecords[static_cast<size_t>(*i)]);
  if (!ApplyEdit(d, *i, e, settings)) return kExitUsage;
  const std::string name = e.name ? *e.name : s.presets().Name(*i);
  const PresetSaveResult r = SavePreset(s.link(), s.data(), s.presets(), *i, name, settings);
  PrintPreset(s, *i);
  if (r.refused || (e.name && !r.nameWritten) || !r.recordWritten) {
    PrintError("The transmitter did not take the preset");
    return kExitFailed;
  }
  if (!s.options().json) std::printf("%s\n", kPresetSavedMessage);
  return r.reread ? kExitOk : kExitFailed;
}

int PresetSet(Session& s, const std::string& typed) {
  const auto i = PickPreset(s, typed);
  if (!i) return kExitUsage;
  const PresetSetResult r = ActivatePresetAndReread(s.link(), s.data(), *i);
  const int active = s.data().presetIndex;
  std::printf("active preset: %s\n",
              active < kMaxPresets ? PresetListName(active).c_str() : "none");
  if (!r.activated || !r.reread || active != *i) {
    PrintError("The transmitter did not activate the preset");
    return kExitFailed;
  }
  return kExitOk;
}

}  // namespace

void AddPresetCommands(CLI::App& app, ChosenCommand& chosen) {
  struct Args {
    std::string preset;
    PresetEdit edit;
    std::map<PS, std::string> typed;
    std::string name, group, channel, lowPass, lock, dontCare;
  };
  auto a = std::make_shared<Args>();

  auto* preset = app.add_subcommand("preset", "The transmitter's presets");
  preset->require_subcommand(1);
  preset->add_subcommand("list", "List the presets")->callback([&chosen] {
    chosen.name = "preset list";
    chosen.run = PresetList;
  });
  auto* show = preset->add_subcommand("show", "Show a preset's settings (--json: as an object)");
  show->add_option("preset", a->preset, "FACTORY, USER, Preset01.. or the index")->required();
  show->callback([&chosen, a] {
    chosen.name = "preset show";
    chosen.run = [a](Session& s) { return PresetShow(s, a->preset); };
  });

  auto* save = preset->add_subcommand(
      "save", "Edit a preset: its name, settings and flags; what is not given is kept");
  save->add_option("preset", a->preset, "FACTORY, USER, Preset01.. or the index")->required();
  auto* name = save->add_option("--name", a->name, "New name (8 characters; not FACTORY/USER)");
  auto* group = save->add_option("--group", a->group, "Tuning group (as listed: 00.., 01..)");
  auto* channel = save->add_option("--channel", a->channel, "Tuning channel");
  auto* lowPass = save->add_option("--lp-filter", a->lowPass, "Low-pass filter (item name)");
  auto* lock = save->add_option("--lock", a->lock,
                                "Settings locked, comma-separated (tuning,gain,...), or none");
  auto* care = save->add_option("--dont-care", a->dontCare,
                                "Settings the preset leaves alone (Don't Care), or none");
  std::vector<std::pair<PS, CLI::Option*>> values;
  for (int i = 0; i < kPresetSettingCount; ++i) {
    const PS s = static_cast<PS>(i);
    if (s == PS::Tuning) continue;
    values.emplace_back(s, save->add_option(std::string("--") + SettingName(s), a->typed[s],
                                            "Item name or index, as `set` takes it"));
  }
  save->callback([&chosen, a, name, group, channel, lowPass, lock, care, values] {
    PresetEdit& e = a->edit;
    e = PresetEdit{};
    if (name->count()) e.name = a->name;
    if (group->count()) e.group = a->group;
    if (channel->count()) e.channel = a->channel;
    if (lowPass->count()) e.lowPass = a->lowPass;
    if (lock->count()) e.lock = a->lock;
    if (care->count()) e.dontCare = a->dontCare;
    for (const auto& [setting, option] : values) {
      if (option->count()) e.values[setting] = a->typed[setting];
    }
    chosen.name = "preset save";
    chosen.run = [a](Session& s) { return PresetSave(s, a->preset, a->edit); };
  });

  auto* set = preset->add_subcommand("set", "Activate a preset");
  set->add_option("preset", a->preset, "FACTORY, USER, Preset01.. or the index")->required();
  set->callback([&chosen, a] {
    chosen.name = "preset set";
    chosen.run = [a](Session& s) { return PresetSet(s, a->preset); };
  });
}

}  // namespace zentra::cli
