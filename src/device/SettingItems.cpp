#include "device/SettingItems.h"

#include <cctype>
#include <algorithm>
#include <charconv>
#include <initializer_list>

#include "device/TDeviceData.h"

namespace zentra {

namespace {

ItemList FromSpec(const ListSpec& spec, const ItemList& formItems) {
  switch (spec.action) {
    case ListSpec::Action::Fill: return spec.items;
    case ListSpec::Action::Keep: return formItems;
    case ListSpec::Action::Disable: return {};
  }
  return {};
}

// Lower-case ASCII letters and digits only: "2 W+Bias" and "2 w+bias" compare equal,
// "180°" matches "180".
std::string Fold(const std::string& text) {
  std::string out;
  for (char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x80 && !std::isspace(u)) out += static_cast<char>(std::tolower(u));
  }
  return out;
}

}  // namespace

ItemList FilterItems(const TDeviceData& d) { return FromSpec(MainFilterList(d), FilterFormItems()); }

ItemList MicModeItems(const TDeviceData& d) {
  // Models 4 and 10 have no microphone mode: the list is never enabled for them.
  if (!d.micInputSupported) return {};
  return FromSpec(MainMicModeList(d), {});
}

ItemList PhaseItemsFor(const TDeviceData& d) {
  return MainPhaseEnabled(d) ? PhaseItems() : ItemList{};
}

ItemList PttItems(const TDeviceData& d) { return FromSpec(MainPttList(d), {}); }

ItemList BatteryItems(const TDeviceData& d) { return FromSpec(MainBatteryList(d), BatteryTwoItems()); }

ItemList PowerItems(const TDeviceData& d) {
  return FromSpec(MainPowerList(d), PowerTwoStepItems());
}

ItemList LedModeItems(const TDeviceData& d) {
  int index = d.ledMode;
  return MainLedModeItems(d, index);
}

ItemList PreEmphasisItemsFor(const TDeviceData& d) {
  return d.audioExtended && d.modelType >= 3 ? PreEmphasisItems(d) : ItemList{};
}

ItemList DisplayItemsFor(const TDeviceData& d) {
  return d.audioExtended ? AudioDisplayItems() : ItemList{};
}

ItemList ModulationItemsFor(const TDeviceData& d) {
  return d.audioModLpfSupported ? ModulationItems() : ItemList{};
}

ItemList LowPassItemsFor(const TDeviceData& d) {
  return d.audioModLpfSupported ? LowPassItems() : ItemList{};
}

std::string ItemText(const ItemList& items, int index) {
  if (index < 0) return "-";
  if (index >= static_cast<int>(items.size())) return "#" + std::to_string(index);
  return items[static_cast<size_t>(index)];
}

std::optional<int> MatchItem(const ItemList& items, const std::string& typed) {
  const std::string wanted = Fold(typed);
  if (wanted.empty()) return std::nullopt;
  for (size_t i = 0; i < items.size(); ++i) {
    if (Fold(items[i]) == wanted) return static_cast<int>(i);
  }
  int index = -1;
  const char* end = wanted.data() + wanted.size();
  const auto [ptr, ec] = std::from_chars(wanted.data(), end, index);
  if (ec == std::errc() && ptr == end && index >= 0 && index < static_cast<int>(items.size())) {
    return index;
  }
  return std::nullopt;
}

std::optional<bool> ParseOnOff(const std::string& typed) {
  const std::string t = Fold(typed);
  if (t == "on" || t == "yes" || t == "true" || t == "1") return true;
  if (t == "off" || t == "no" || t == "false" || t == "0") return false;
  return std::nullopt;
}

const std::vector<MenuItemName>& LockItemNames() {
  static const std::vector<MenuItemName> names = {
      {"tuning", static_cast<int>(LockBox::Tuning)},
      {"audio", static_cast<int>(LockBox::Audio)},
      {"rf-power", static_cast<int>(LockBox::RFPower)},
      {"battery", static_cast<int>(LockBox::Battery)},
      {"mic", static_cast<int>(LockBox::Mic)},
      {"led", static_cast<int>(LockBox::Led)},
      {"modulation", static_cast<int>(LockBox::AudioMod)},
      {"noise-reduction", static_cast<int>(LockBox::AudioNR)},
      {"hp-filter", static_cast<int>(LockBox::AudioHPF)},
      {"limiter", static_cast<int>(LockBox::AudioLimiter)},
      {"phase", static_cast<int>(LockBox::MicPhase)},
      {"ptt", static_cast<int>(LockBox::MicPTT)},
      {"led-light", static_cast<int>(LockBox::LedLight)},
  };
  return names;
}

const std::vector<MenuItemName>& HiddenItemNames() {
  static const std::vector<MenuItemName> names = {
      {"tuning", static_cast<int>(HiddenBox::Tuning)},
      {"audio", static_cast<int>(HiddenBox::Audio)},
      {"rf-power", static_cast<int>(HiddenBox::RFPower)},
      {"battery", static_cast<int>(HiddenBox::Battery)},
      {"mic", static_cast<int>(HiddenBox::Mic)},
      {"led", static_cast<int>(HiddenBox::Led)},
      {"presets", static_cast<int>(HiddenBox::Preset)},
      {"modulation", static_cast<int>(HiddenBox::AudioMod)},
      {"noise-reduction", static_cast<int>(HiddenBox::AudioNR)},
      {"hp-filter", static_cast<int>(HiddenBox::AudioHPF)},
      {"limiter", static_cast<int>(HiddenBox::AudioLimiter)},
      {"phase", static_cast<int>(HiddenBox::MicPhase)},
      {"ptt", static_cast<int>(HiddenBox::MicPTT)},
      {"led-light", static_cast<int>(HiddenBox::LedLight)},
      {"menu-info", static_cast<int>(HiddenBox::MenuInfo)},
  };
  return names;
}

std::optional<int> MatchMenuItem(const std::vector<MenuItemName>& names,
                                 const std::string& typed) {
  const std::string wanted = Fold(typed);
  for (const auto& n : names) {
    if (Fold(n.name) == wanted) return n.box;
  }
  return std::nullopt;
}

std::vector<std::string> LockedItems(const TDeviceData& d) {
  const LockChecks checks = LockChecksFromData(d);
  const FlagVisibility visible = ApplyFlagVisibility(d);
  std::vector<std::string> out;
  for (const auto& n : LockItemNames()) {
    if (visible.lock[static_cast<size_t>(n.box)] && checks[static_cast<size_t>(n.box)]) {
      out.push_back(n.name);
    }
  }
  return out;
}

std::vector<std::string> HiddenItems(const TDeviceData& d) {
  const HiddenChecks checks = HiddenChecksFromData(d);
  const FlagVisibility visible = ApplyFlagVisibility(d);
  std::vector<std::string> out;
  for (const auto& n : HiddenItemNames()) {
    if (visible.hidden[static_cast<size_t>(n.box)] && checks[static_cast<size_t>(n.box)]) {
      out.push_back(n.name);
    }
  }
  return out;
}

std::vector<std::string> GroupsInMask(const TDeviceData& d, bool hiddenMask) {
  const ItemList names = GroupListItems(d);
  std::vector<std::string> out;
  for (int g = 0; g < d.groupCount && g < kMaxGroups; ++g) {
    if (hiddenMask ? d.IsGroupHidden(g) : d.IsGroupLocked(g)) {
      out.push_back(g < static_cast<int>(names.size()) ? names[static_cast<size_t>(g)]
                                                       : std::to_string(g));
    }
  }
  return out;
}

// --- settings by name ---

namespace {

constexpr const char* kSettingNames[kNamedSettingCount] = {
    "gain",       "hp-filter", "display", "limiter", "noise-reduction", "modulation", "lp-filter",
    "mic-mode",   "phase",     "ptt",     "battery", "rf-power",        "led-mode",   "led-light"};

std::optional<int> ParseWhole(const std::string& text) {
  int value = 0;
  const char* begin = text.data();
  const char* end = begin + text.size();
  if (begin != end && *begin == '+') ++begin;
  const auto [ptr, ec] = std::from_chars(begin, end, value);
  if (begin == end || ec != std::errc() || ptr != end) return std::nullopt;
  return value;
}

}  // namespace

std::string OfferedItems(const ItemList& items) {
  std::string out;
  for (size_t i = 0; i < items.size(); ++i) {
    out += (i ? ", " : "") + std::to_string(i) + " \"" + items[i] + "\"";
  }
  return out;
}

namespace {

std::string NoSetting(NamedSetting setting) {
  return std::string("This transmitter has no setting '") + NamedSettingName(setting) + "'";
}

// The list a setting's value is picked from on this transmitter; empty when the model
// does not offer the setting. Gain, limiter and LED light take no list.
ItemList SettingItems(const TDeviceData& d, NamedSetting setting) {
  switch (setting) {
    case NamedSetting::HpFilter: return FilterItems(d);
    case NamedSetting::Display: return DisplayItemsFor(d);
    case NamedSetting::NoiseReduction: return PreEmphasisItemsFor(d);
    case NamedSetting::Modulation: return ModulationItemsFor(d);
    case NamedSetting::LowPass: return LowPassItemsFor(d);
    case NamedSetting::MicMode: return MicModeItems(d);
    case NamedSetting::Phase: return PhaseItemsFor(d);
    case NamedSetting::Ptt: return PttItems(d);
    case NamedSetting::Battery: return BatteryItems(d);
    case NamedSetting::RfPower: return PowerItems(d);
    case NamedSetting::LedMode: return LedModeItems(d);
    default: return {};
  }
}

// The gain range this transmitter takes: the panel's limits for its model and
// microphone mode, narrowed by the gain check of the model (e.g. -60..40 dB for a ZQL22X).
std::pair<int, int> GainRange(const TDeviceData& d) {
  const GainLimits limits = MainGainLimits(d);
  int low = limits.maximum + 1, high = limits.minimum - 1;
  for (int g = limits.minimum; g <= limits.maximum; ++g) {
    if (CheckPresetGain(d.modelType, g)) {
      low = std::min(low, g);
      high = std::max(high, g);
    }
  }
  return {low, high};
}

bool AnyItemMatches(std::initializer_list<const ItemList*> lists, const std::string& typed) {
  for (const ItemList* items : lists) {
    if (MatchItem(*items, typed)) return true;
  }
  return false;
}

// Power levels from a transmitter's own table read "NNN mW".
bool LooksLikePowerLevel(const std::string& folded) {
  if (folded.size() < 3 || folded.compare(folded.size() - 2, 2, "mw") != 0) return false;
  for (size_t i = 0; i + 2 < folded.size(); ++i) {
    if (!std::isdigit(static_cast<unsigned char>(folded[i]))) return false;
  }
  return true;
}

}  // namespace

const char* NamedSettingName(NamedSetting setting) {
  const int i = static_cast<int>(setting);
  return i >= 0 && i < kNamedSettingCount ? kSettingNames[i] : "";
}

std::optional<NamedSetting> FindNamedSetting(const std::string& name) {
  const std::string wanted = Fold(name);
  for (int i = 0; i < kNamedSettingCount; ++i) {
    if (Fold(kSettingNames[i]) == wanted) return static_cast<NamedSetting>(i);
  }
  return std::nullopt;
}

bool IsAudioSetting(NamedSetting s) {
  return static_cast<int>(s) <= static_cast<int>(NamedSetting::LowPass);
}
bool IsMicSetting(NamedSetting s) {
  return s == NamedSetting::MicMode || s == NamedSetting::Phase || s == NamedSetting::Ptt;
}
bool IsLedSetting(NamedSetting s) { return s == NamedSetting::LedMode || s == NamedSetting::LedLight; }

SettingValue ResolveSetting(const TDeviceData& d, NamedSetting setting, const std::string& typed) {
  SettingValue v;
  auto refuse = [&](std::string why) {
    v.refusal = std::move(why);
    return v;
  };
  switch (setting) {
    case NamedSetting::Gain: {
      const auto gain = ParseWhole(typed);
      const auto [low, high] = GainRange(d);
      if (!gain || *gain < low || *gain > high) {
        return refuse("Gain '" + typed + "' refused: this transmitter takes " +
                      std::to_string(low) + ".." + std::to_string(high) + " dB");
      }
      v.value = *gain;
      break;
    }
    case NamedSetting::Limiter: {
      if (!d.limiterSupported) return refuse(NoSetting(setting));
      const auto on = ParseOnOff(typed);
      if (!on) return refuse("Value '" + typed + "' refused for limiter: use on or off");
      v.value = *on ? 1 : 0;
      break;
    }
    case NamedSetting::LedLight: {
      const auto light = ParseWhole(typed);
      if (!light || *light < 0 || *light > 16) {
        return refuse("LED light '" + typed + "' refused: use 0..16");
      }
      v.value = *light;
      break;
    }
    default: {
      const ItemList items = SettingItems(d, setting);
      if (items.empty()) return refuse(NoSetting(setting));
      const auto index = MatchItem(items, typed);
      if (!index) {
        return refuse("Value '" + typed + "' not offered for " + NamedSettingName(setting) +
                      " on this transmitter; choose one of: " + OfferedItems(items));
      }
      v.value = setting == NamedSetting::Ptt ? PttIndexToValue(d, *index) : *index;
      break;
    }
  }
  v.ok = true;
  return v;
}

std::string CheckSettingText(NamedSetting setting, const std::string& typed) {
  const std::string name = NamedSettingName(setting);
  const std::string folded = Fold(typed);
  if (folded.empty()) return "no value for " + name;
  switch (setting) {
    case NamedSetting::Gain: {
      const auto gain = ParseWhole(typed);
      if (gain && *gain >= -60 && *gain <= 60) return "";
      return "Gain '" + typed + "' refused: use a whole number of dB (-60..60)";
    }
    case NamedSetting::Limiter:
      return ParseOnOff(typed) ? "" : "Value '" + typed + "' refused for limiter: use on or off";
    case NamedSetting::LedLight: {
      const auto light = ParseWhole(typed);
      return light && *light >= 0 && *light <= 16 ? "" : "LED light '" + typed + "' refused: use 0..16";
    }
    default:
      break;
  }
  // A plain index stands for the item at that place of whichever list the model shows.
  if (const auto index = ParseWhole(folded); index && *index >= 0 && *index < 16) return "";
  TDeviceData japan;
  japan.optionTexts[0] = "JP ";
  const ItemList preEmphasis = PreEmphasisItems(TDeviceData{});
  const ItemList preEmphasisJapan = PreEmphasisItems(japan);
  const ItemList ledModes = {"none", "mod. peak", "PTT", "disabled"};
  bool known = false;
  switch (setting) {
    case NamedSetting::HpFilter:
      known = AnyItemMatches({&FilterSevenItems(), &FilterFiveItems(), &FilterFormItems()}, typed);
      break;
    case NamedSetting::Display: known = AnyItemMatches({&AudioDisplayItems()}, typed); break;
    case NamedSetting::NoiseReduction: known = AnyItemMatches({&preEmphasis, &preEmphasisJapan}, typed); break;
    case NamedSetting::Modulation: known = AnyItemMatches({&ModulationItems()}, typed); break;
    case NamedSetting::LowPass: known = AnyItemMatches({&LowPassItems()}, typed); break;
    case NamedSetting::MicMode:
      known = AnyItemMatches({&MicFiveModeItems(), &MicPhaseSwitchItems(), &MicPhantomItems()}, typed);
      break;
    case NamedSetting::Phase: known = AnyItemMatches({&PhaseItems()}, typed); break;
    case NamedSetting::Ptt: known = AnyItemMatches({&PttFourItems(), &PttDataItems()}, typed); break;
    case NamedSetting::Battery: known = AnyItemMatches({&BatteryThreeItems()}, typed); break;
    case NamedSetting::RfPower:
      known = AnyItemMatches({&PowerTwoStepItems(), &Power10_50_100Items()}, typed) ||
              LooksLikePowerLevel(folded);
      break;
    case NamedSetting::LedMode: known = AnyItemMatches({&ledModes}, typed); break;
    default: break;
  }
  if (known) return "";
  return "Value '" + typed + "' is no " + name + " of any transmitter";
}

int HeldSettingValue(const TDeviceData& d, NamedSetting setting) {
  const bool audio = d.audioFilter != kNotRead;  // the audio read brings all of them
  switch (setting) {
    case NamedSetting::Gain: return d.audioGainRead ? d.audioGain : kNotRead;
    case NamedSetting::HpFilter: return d.audioFilter;
    case NamedSetting::Display: return d.audioDisplay;
    case NamedSetting::Limiter: return audio ? (d.audioLimiter != 0 ? 1 : 0) : kNotRead;
    case NamedSetting::NoiseReduction: return d.preEmphasis;
    case NamedSetting::Modulation: return audio ? d.audioMod : kNotRead;
    case NamedSetting::LowPass: return audio ? d.audioLpf : kNotRead;
    case NamedSetting::MicMode: return d.micMode;
    case NamedSetting::Phase: return d.micPhase;
    case NamedSetting::Ptt: return d.micPTT;
    case NamedSetting::Battery: return d.batteryType;
    case NamedSetting::RfPower: return d.rfPower;
    case NamedSetting::LedMode: return d.ledMode;
    case NamedSetting::LedLight: return d.ledLight;
    case NamedSetting::Count: break;
  }
  return kNotRead;
}

std::string HeldSettingText(const TDeviceData& d, NamedSetting setting) {
  const int value = HeldSettingValue(d, setting);
  switch (setting) {
    case NamedSetting::Gain:
    case NamedSetting::LedLight:
      return value == kNotRead ? "-" : std::to_string(value);
    case NamedSetting::Limiter:
      if (!d.limiterSupported) return "";
      return value == kNotRead ? "-" : (value ? "on" : "off");
    default:
      break;
  }
  const ItemList items = SettingItems(d, setting);
  if (items.empty()) return "";
  return ItemText(items, setting == NamedSetting::Ptt && value >= 0 ? PttValueToIndex(d, value) : value);
}

bool ParseMenuItemList(const std::vector<MenuItemName>& names, const std::string& text,
                       std::vector<int>& boxes, std::string& bad) {
  boxes.clear();
  std::vector<std::string> words;
  std::string word;
  for (char c : text + ",") {
    if (c == ',' || c == ';' || c == '+' || std::isspace(static_cast<unsigned char>(c))) {
      if (!word.empty()) words.push_back(word);
      word.clear();
    } else {
      word += c;
    }
  }
  if (words.size() == 1 && Fold(words[0]) == "none") return true;
  for (const std::string& w : words) {
    const auto box = MatchMenuItem(names, w);
    if (!box) {
      bad = w;
      return false;
    }
    if (std::find(boxes.begin(), boxes.end(), *box) == boxes.end()) boxes.push_back(*box);
  }
  return true;
}

}  // namespace zentra
