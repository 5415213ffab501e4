// The list of the programming station: a CSV file with a header row and one line per
// transmitter to program. Columns are found by name, without regard to case, in any
// order:
//   Name       the transmitter name (empty: the transmitter keeps its name)
//   Group      the group as the model shows it ("00", "01", ..., "SYNC"; a lone digit
//              as a spreadsheet leaves it counts as "0N")
//   Channel    the channel, "%02d"
//   Frequency  optional: MHz with up to three decimals, written to that channel first
//   gain, hp-filter, rf-power, led-mode, ...: any setting zentra-cli set takes by name
//   Lock, Hidden  the user-menu items whose lock or hidden flag is set ("tuning,rf-power";
//              "none" clears every flag; empty leaves the flags as they are)
//   Config     a .qcf applied first with every group of settings it offers (a relative
//              path counts from the list's folder)
// An empty cell leaves that setting as the transmitter has it. Whatever can be judged
// without the transmitter is checked when the list is read; a value only the model can
// judge (an item of its lists, its range and step) is checked for each transmitter.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "device/MenuFlags.h"
#include "device/SettingItems.h"

namespace zentra {

class IniFile;
struct TDeviceData;

struct StationLine {
  int line = 0;                 // line of the list file (the header is line 1)
  std::string name;             // as given; applied only when nameGiven
  bool nameGiven = false;
  std::string group;            // "SYNC" or two digits
  std::string channel;          // two digits
  std::optional<int32_t> freqKHz;
  std::vector<std::pair<NamedSetting, std::string>> settings;  // typed values, column order
  std::optional<std::vector<int>> lockItems;    // LockBox values; empty = none
  std::optional<std::vector<int>> hiddenItems;  // HiddenBox values; empty = none
  std::string config;           // the Config cell as given ("" none)
};

struct StationList {
  std::string path;                        // the file read ("" for a text)
  std::vector<StationLine> lines;
  std::vector<NamedSetting> settingColumns;  // the setting columns, in the file's order
  bool hasFrequency = false;
  bool hasLock = false;
  bool hasHidden = false;
  bool hasConfig = false;
  // The configuration files of the list, read once, by the Config cell.
  std::map<std::string, std::shared_ptr<const IniFile>> configs;
};

struct StationListRead {
  bool ok = false;
  std::string error;  // "line N: ..." (or a file problem) when not ok
  StationList list;
};

// Reads a list from text; configuration files named in it are read from baseFolder.
StationListRead ParseStationList(std::string_view text, const std::string& baseFolder);
// Reads the list file at path.
StationListRead ReadStationList(const std::string& path);

// What a line gives besides its name and tuning: "rf-power 10 mW, led-mode none, Lock
// tuning,rf-power, Config show.qcf" ("" when nothing).
std::string StationLineSettingsText(const StationLine& line);
// The whole line for a prompt: "line 3: name "Vocal 3", group 01, channel 05, 512.500 MHz,
// rf-power 10 mW".
std::string StationLineText(const StationLine& line);

// One line made ready for the transmitter in front of the window: group and channel as
// the link numbers them, every value resolved against the transmitter's own lists.
struct LinePlan {
  int group = 0;
  int channel = 0;
  std::optional<int32_t> freqKHz;
  std::vector<std::pair<NamedSetting, int>> values;  // as the data model holds them
  std::optional<LockChecks> locks;
  std::optional<HiddenChecks> hidden;
  std::optional<std::string> name;
  const IniFile* config = nullptr;
};

// Makes the plan of a line for this transmitter; "" when every value fits, else why
// the line does not fit it (the first value refused).
std::string PlanLine(const StationList& list, const StationLine& line, const TDeviceData& data,
                     LinePlan& plan);

// The group of a line as the transmitter's group list shows it, or the link's group index
// for it; -1 when the model has no such group.
int GroupIndexFor(const TDeviceData& data, const std::string& group);

}  // namespace zentra
