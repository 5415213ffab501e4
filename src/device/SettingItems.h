// The settings by the names zentra-cli and the programming station take for them
// ("gain", "rf-power", "led-mode", ...), and their values by the names the window shows:
// the per-model item lists of the device layer, the menu lock and hidden items, the
// matching of what the user typed against a list, and the refusal of a value the
// transmitter does not offer, before anything is sent.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "device/ItemLists.h"
#include "device/MenuFlags.h"

namespace zentra {

struct TDeviceData;

// The item lists the window shows for the transmitter in data; an empty list means the
// model does not offer the setting.
ItemList FilterItems(const TDeviceData& d);
ItemList MicModeItems(const TDeviceData& d);
ItemList PhaseItemsFor(const TDeviceData& d);
ItemList PttItems(const TDeviceData& d);
ItemList BatteryItems(const TDeviceData& d);
ItemList PowerItems(const TDeviceData& d);
ItemList LedModeItems(const TDeviceData& d);
ItemList PreEmphasisItemsFor(const TDeviceData& d);
ItemList DisplayItemsFor(const TDeviceData& d);
ItemList ModulationItemsFor(const TDeviceData& d);
ItemList LowPassItemsFor(const TDeviceData& d);

// The item at index, "-" for a value not read (-1), "#N" for an index past the list.
std::string ItemText(const ItemList& items, int index);

// Matches typed text against a list: an item name (case, blanks and non-ASCII marks
// such as the degree sign ignored), else a plain index within the list.
std::optional<int> MatchItem(const ItemList& items, const std::string& typed);

// What a list offers, for refusals: 0 "Low", 1 "High".
std::string OfferedItems(const ItemList& items);

// "on"/"off" (also yes/no, true/false, 1/0).
std::optional<bool> ParseOnOff(const std::string& typed);

// Menu lock and hidden items by the names the command line uses ("tuning", "audio",
// "rf-power", ..., "presets", "menu-info").
struct MenuItemName {
  const char* name;
  int box;  // LockBox or HiddenBox
};
const std::vector<MenuItemName>& LockItemNames();
const std::vector<MenuItemName>& HiddenItemNames();
std::optional<int> MatchMenuItem(const std::vector<MenuItemName>& names,
                                 const std::string& typed);

// Names of the items whose lock (or hidden) bit is set, for the transmitter's model.
std::vector<std::string> LockedItems(const TDeviceData& d);
std::vector<std::string> HiddenItems(const TDeviceData& d);

// Groups whose bit is set in a group mask, as the group list shows them.
std::vector<std::string> GroupsInMask(const TDeviceData& d, bool hiddenMask);

// --- settings by name ---
// The settings of the parameter panels that take one value each. The audio ones travel
// together in one write, as do the microphone ones and the two LED ones.
enum class NamedSetting {
  Gain, HpFilter, Display, Limiter, NoiseReduction, Modulation, LowPass,
  MicMode, Phase, Ptt, Battery, RfPower, LedMode, LedLight,
  Count
};
constexpr int kNamedSettingCount = static_cast<int>(NamedSetting::Count);

// "gain", "hp-filter", "display", "limiter", "noise-reduction", "modulation",
// "lp-filter", "mic-mode", "phase", "ptt", "battery", "rf-power", "led-mode", "led-light".
const char* NamedSettingName(NamedSetting setting);
// The setting of a name (case and blanks ignored), if there is one.
std::optional<NamedSetting> FindNamedSetting(const std::string& name);

bool IsAudioSetting(NamedSetting setting);  // gain .. lp-filter
bool IsMicSetting(NamedSetting setting);    // mic-mode, phase, ptt
bool IsLedSetting(NamedSetting setting);    // led-mode, led-light

// A typed value for the transmitter in data: the value as the data model holds it (the
// list index; for ptt the device value; the gain in dB; led-light 0..16; limiter 0 or 1),
// or why it is refused ("Value 'x' not offered for rf-power on this transmitter; choose
// one of: ...", "This transmitter has no setting 'limiter'", ...).
struct SettingValue {
  bool ok = false;
  int value = 0;
  std::string refusal;
};
SettingValue ResolveSetting(const TDeviceData& data, NamedSetting setting,
                            const std::string& typed);

// Whether typed can be a value of the setting on any transmitter: a name of one of the
// model lists, an index, a number in range. "" when it can, else why not. The check of a
// list of settings before any transmitter is known; the transmitter's own lists decide
// the rest (ResolveSetting).
std::string CheckSettingText(NamedSetting setting, const std::string& typed);

// The value held in data for the setting, as ResolveSetting gives values; kNotRead when
// the transmitter has not reported it.
int HeldSettingValue(const TDeviceData& data, NamedSetting setting);
// The held value as shown: the item name, the gain and LED light as numbers, the limiter
// "on"/"off"; "-" when not read, "" when the transmitter has no such setting.
std::string HeldSettingText(const TDeviceData& data, NamedSetting setting);

// The menu items named in a list such as "tuning,rf-power" (commas, semicolons, plus signs
// or blanks between the names; "none" or an empty list for no item). False, with the
// name refused in `bad`, when a name is not a menu item.
bool ParseMenuItemList(const std::vector<MenuItemName>& names, const std::string& text,
                       std::vector<int>& boxes, std::string& bad);

}  // namespace zentra
