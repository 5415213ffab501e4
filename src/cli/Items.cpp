#include "cli/Items.h"

#include <cctype>
#include <charconv>

#include "device/TDeviceData.h"

namespace zentra::cli {

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

}  // namespace zentra::cli
