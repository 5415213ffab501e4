// The names zentra-cli shows for list values and accepts for them: the per-model item
// lists of the device layer (the window's own texts), the menu lock and hidden items,
// and the matching of what the user typed against a list.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "device/ItemLists.h"
#include "device/MenuFlags.h"

namespace zentra {
struct TDeviceData;
}

namespace zentra::cli {

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

}  // namespace zentra::cli
