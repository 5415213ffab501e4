// The preset store and its sequences: up to ten presets, each a name of 8 characters and
// a record of settings with a lock and a "Don't Care" flag per setting. Preset 0 is
// "FACTORY" and preset 1 "USER"; their names are never written. The store mirrors what
// the transmitter returned last.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "device/CommandSet.h"

namespace zentra {

class Transactor;
struct TDeviceData;

struct PresetStore {
  std::array<std::array<char, 9>, kMaxPresets> presetNames{};  // 8 characters and NUL
  std::array<PresetRecord, kMaxPresets> presetRecords{};

  std::string Name(int index) const;        // up to its NUL; "" outside 0..9
  void SetName(int index, const std::string& name);  // first 8 bytes, NUL after them
  void Clear();
};

// Record byte positions.
namespace preset_byte {
constexpr int kGain = 0, kFilter = 1, kPreEmphasisLimiter = 2, kMicMode = 3, kMicPhase = 4,
              kPtt = 5, kBatteryType = 6, kLedLight = 7, kLedMode = 8, kRfPower = 9,
              kLock = 10, kDontCare = 11, kChannel = 12, kGroup = 13, kLockExt = 14,
              kDontCareExt = 15, kAudioMod = 16, kAudioLpf = 17;
}
constexpr uint8_t kPresetLimiterBit = 0x10;

// A record as the preset panel shows it.
struct PresetSettings {
  int channel = 0;
  int group = 0;
  int gain = 0;            // dB; even for model codes 1 and 2
  int filter = 0;
  int preEmphasis = 0;     // byte 2 bits 0..3
  bool limiter = false;    // byte 2 bit 4 (model codes 7, 8, 9)
  int micMode = 0;
  int micPhase = 0;
  int pttValue = 0;        // device value 0..3 (PresetPttValueToIndex for the list)
  int batteryType = 0;
  int ledLight = 0;
  int ledMode = 0;
  int rfPower = 0;
  uint8_t lock = 0;        // byte 10
  uint8_t dontCare = 0;    // byte 11
  uint8_t lockExt = 0;     // byte 14
  uint8_t dontCareExt = 0; // byte 15
  int audioMod = 0;        // byte 16
  int audioLpf = 0;        // byte 17
  bool operator==(const PresetSettings&) const = default;
};

PresetSettings DecodePresetRecord(const TDeviceData& data, const PresetRecord& record);
// Builds the record to write from the panel's settings, starting from `base` (the stored
// record) so that bytes the model does not use keep their value.
PresetRecord EncodePresetRecord(const TDeviceData& data, const PresetSettings& settings,
                                const PresetRecord& base);

// The settings of the preset panel, each with its value controls, a lock box and a
// "Don't Care" box.
enum class PresetSetting {
  Tuning, Gain, Filter, NoiseReduction, Limiter, MicMode, MicPhase, Ptt, Battery, RfPower,
  LedMode, LedLight, AudioMod, Count
};
constexpr int kPresetSettingCount = static_cast<int>(PresetSetting::Count);

// Where a setting's lock flag sits: record byte 10 or 14 and the bit; its "Don't Care"
// flag is the same bit of the next byte (11 or 15).
struct PresetFlagBit {
  int byte = preset_byte::kLock;
  uint8_t mask = 0;
};
PresetFlagBit PresetLockBit(PresetSetting setting);
bool PresetLocked(const PresetSettings& p, PresetSetting setting);
bool PresetDontCare(const PresetSettings& p, PresetSetting setting);
void SetPresetLocked(PresetSettings& p, PresetSetting setting, bool on);
void SetPresetDontCare(PresetSettings& p, PresetSetting setting, bool on);

// How the panel shows preset `index`: with the edit lock on nothing can be edited; the
// "USER" preset (1) has no lock or "Don't Care" flags; the others have everything.
// FACTORY and USER keep their names.
struct PresetPanelMode {
  bool nameEnabled = false;
  bool valuesEnabled = false;
  bool flagsEnabled = false;
  // The preset has lock and "Don't Care" flags to show (every preset but USER), whether
  // or not the edit lock lets them be changed: locked, the boxes show their bits.
  bool flagsShown = false;
};
PresetPanelMode PresetPanelModeFor(int index, bool editLocked);

// Whether the model offers a setting in a preset at all (microphone mode not for codes
// 1, 4, 10; noise reduction for 3..10; the limiter for 7, 8, 9; PTT with a PTT list;
// modulation / low-pass with audioModLpfSupported).
bool PresetSettingOffered(const TDeviceData& d, PresetSetting setting);
// Whether its lock and "Don't Care" boxes exist: the extended ones (byte 14/15) need
// extendedLockSupported, modulation needs audioModLpfSupported, and codes 4 and 10 have
// no microphone flags.
bool PresetFlagsOffered(const TDeviceData& d, PresetSetting setting);
// The enable rules of one setting's controls for the preset shown: a checked "Don't
// Care" box disables the value controls and the lock box.
bool PresetValueEnabled(const TDeviceData& d, const PresetPanelMode& mode,
                        const PresetSettings& p, PresetSetting setting);
bool PresetLockEnabled(const TDeviceData& d, const PresetPanelMode& mode,
                       const PresetSettings& p, PresetSetting setting);
bool PresetCareEnabled(const TDeviceData& d, const PresetPanelMode& mode, PresetSetting setting);

// "Narrow" modulation has no 20 kHz low-pass filter: its index 2 becomes 1.
int ClampPresetLowPass(int modulation, int lowPassIndex);

// Preset name as sent: 8 bytes; empty text gives 8 blanks, a shorter text is padded with
// zero bytes; control and non-ASCII characters become blanks.
std::string CleanPresetName(const std::string& text);

// Full read of the presets: ReadPresetInfo (a count above 10 fails), then each preset's
// name and record. Any failure ends the read with failure. Stores presetCount and
// presetIndex in data.
bool ReadPresets(Transactor& link, TDeviceData& data, PresetStore& store);
// "READ": names and records of every preset below min(presetCount, 10).
bool ReloadPresets(Transactor& link, TDeviceData& data, PresetStore& store);

inline constexpr const char* kPresetDoneTitle = "OPERATION COMPLETED";
inline constexpr const char* kPresetSavedMessage = "Preset saved!";
inline constexpr const char* kPresetLoadedMessage = "Preset loaded!";

struct PresetSaveResult {
  bool refused = false;        // nothing to do for this preset (no presets, bad index)
  bool nameWritten = false;    // WritePresetName acknowledged (never for FACTORY/USER)
  bool recordWritten = false;  // WritePreset acknowledged: show "Preset saved!"
  bool reread = false;         // the record was read back into the store
};

// "SAVE" of preset `index`: the name (not for FACTORY and USER) and the record, each
// read back into the store.
PresetSaveResult SavePreset(Transactor& link, TDeviceData& data, PresetStore& store,
                            int index, const std::string& nameText,
                            const PresetSettings& settings);
// Only the name, or only the record (the configuration load writes them separately).
bool SavePresetName(Transactor& link, TDeviceData& data, PresetStore& store, int index,
                    const std::string& nameText);
bool SavePresetRecord(Transactor& link, TDeviceData& data, PresetStore& store, int index,
                      const PresetRecord& record);

struct PresetSetResult {
  bool activated = false;  // ActivatePreset acknowledged
  bool reread = false;     // every re-read succeeded
};
// "SET": activate preset `index`, then re-read the settings it changed.
PresetSetResult ActivatePresetAndReread(Transactor& link, TDeviceData& data, int index);
// The re-read after a preset activation (also after a configuration load that applied
// presets): tuning and frequency, audio, microphone, battery, RF power, LED, locks,
// tuning and frequency again, then the active preset index.
bool RereadAfterPresetChange(Transactor& link, TDeviceData& data);

}  // namespace zentra
