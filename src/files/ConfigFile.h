// User configuration files (.qcf): the connected transmitter's settings, menu locks and
// hidden items, name and presets in an INI file ("DATA", "CONFIG", "PRESET%02d"), and
// their application to a transmitter. Loading is split in two so that a dialog (or a
// command line) can sit between: DecideConfigChoices says which groups of settings the
// file and the transmitter can supply, ApplyConfiguration applies the chosen ones in a
// fixed order, each write followed by the read that refreshes the device data.
#pragma once

#include <array>
#include <functional>
#include <string>

#include "device/Presets.h"
#include "files/FileProgress.h"

namespace zentra {

class IniFile;
class Transactor;

// The twelve choices of the "Load configuration" dialog, in its order.
enum class ConfigItem {
  Tuning,          // ckTuning
  Audio,           // ckAudio
  Mic,             // ckMic
  PTT,             // ckPTT
  Battery,         // ckBattery
  RFPower,         // ckRFPower
  Led,             // ckLed
  Lock,            // ckLock
  Hidden,          // ckHidden
  Name,            // ckName
  Presets,         // ckPresets
  ActivatePreset,  // ckActivatePreset
  Count
};
constexpr int kConfigItemCount = static_cast<int>(ConfigItem::Count);

// Name for the command line: "tuning", "audio", "mic", "ptt", "battery", "rfpower", "led",
// "lock", "hidden", "name", "presets", "activate".
const char* ConfigItemKey(ConfigItem item);

struct ConfigChoice {
  std::string caption;   // the check box caption for this transmitter
  bool enabled = false;  // the file and the transmitter can supply it
  bool checked = false;  // initial check
};
using ConfigChoices = std::array<ConfigChoice, kConfigItemCount>;
using ConfigSelection = std::array<bool, kConfigItemCount>;

ConfigChoices DecideConfigChoices(const IniFile& ini, const TDeviceData& data);
// The initial checks of the choices as a selection.
ConfigSelection DefaultSelection(const ConfigChoices& choices);

// Writes the configuration into the INI (an existing file's other keys stay). The
// preset store must hold what the transmitter returned last; with presets it is re-read
// first.
FileOpResult SaveConfiguration(Transactor& link, TDeviceData& data, PresetStore& store,
                               IniFile& ini);
// The same onto the file at path: an existing file is updated, not replaced, and keys
// this save does not write stay in it. The file is written whole by rename.
FileOpResult SaveConfiguration(Transactor& link, TDeviceData& data, PresetStore& store,
                               const std::string& path);

// Called after each applied group, once its read-back has refreshed the device data,
// so that the window can refresh that panel (and, after Lock and Hidden, the group
// check boxes of the frequency views).
using ConfigAppliedHook = std::function<void(ConfigItem)>;

// Applies the chosen groups (those not enabled in choices are skipped whatever
// selection says) with editLocked held on, and puts editLocked back afterwards.
FileOpResult ApplyConfiguration(Transactor& link, TDeviceData& data, PresetStore& store,
                                const IniFile& ini, const ConfigChoices& choices,
                                const ConfigSelection& selection, bool& editLocked,
                                const ConfigAppliedHook& applied = {});

inline constexpr const char* kMsgNoConfigInFile = "This file holds no configuration!";

// Opens a configuration file for loading: refuses without an identified transmitter
// ("Connect a device!") and reports a file that cannot be read or holds neither a
// "CONFIG" nor a preset section.
FileOpResult OpenConfiguration(const TDeviceData& data, const std::string& path, IniFile& ini);
// True when the INI holds a "CONFIG" or a preset section: something to load.
bool HoldsConfiguration(const IniFile& ini);

}  // namespace zentra
