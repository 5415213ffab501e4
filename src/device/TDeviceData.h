// The in-memory image of the one connected transmitter: identity, tuning limits, current
// settings, capability flags, sub-band table, RF power levels, menu lock and hidden bytes,
// group masks, name and preset bookkeeping. The frequency table itself stays on the
// transmitter and is read and written one channel or group at a time.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace zentra {

constexpr int kMaxChannels = 60;      // channels per group the table can hold
constexpr int kMaxGroups = 40;        // ordinary groups the table can hold
constexpr int kGroupMaskBytes = 5;    // one bit per ordinary group
constexpr int kMaxBands = 16;         // sub-band table entries (the count itself is 0..15)
constexpr int kMaxRfLevels = 8;       // RF power level slots (the count itself is 1..7)
constexpr int kOptionCount = 7;       // option texts
constexpr int kMaxPresets = 10;       // presets a transmitter stores

// A setting value of -1 means "not read since the last reset".
constexpr int kNotRead = -1;

struct TDeviceData {
  TDeviceData() { ResetDeviceData(); }

  int8_t modelType = 0;                   // 0 none, 1..10 (ModelTable.h)
  std::array<char, 16> idText{};          // identity as read, not terminated
  std::array<char, 10> serialText{};      // serial number as read, not terminated
  int32_t channelCount = 0;               // channels per group, at most 60
  int32_t groupCount = 0;                 // ordinary groups, at most 40
  int32_t freqMinMHz = 0;
  int32_t freqMaxMHz = 0;
  int32_t stepHz = 0;
  int32_t audioGain = 0;                  // dB, may be negative
  uint8_t audioGainRead = 0;              // audioGain holds a value read since the reset
  int32_t curChannel = kNotRead;
  int32_t curGroup = kNotRead;            // equals syncGroup when the sync channel is tuned
  int32_t curFreqKHz = 0;
  int32_t audioFilter = kNotRead;
  int32_t audioDisplay = kNotRead;        // 0 dB ("AF In Gain"), 1 dBu ("AF Max Lev")
  int32_t audioLimiter = 0;
  int32_t preEmphasis = kNotRead;
  int32_t micMode = kNotRead;
  int32_t micPhase = kNotRead;
  int32_t micPTT = kNotRead;              // device PTT value 0..3
  int32_t batteryType = kNotRead;
  int32_t batteryLevel = 0;
  int32_t rfPower = kNotRead;
  int32_t ledLight = kNotRead;            // 0..16
  int32_t ledMode = kNotRead;             // 0..2
  uint8_t presetCount = 0;
  uint8_t presetIndex = 0xFF;             // 0xFF = no active preset
  uint8_t pttSupported = 0;
  uint8_t pttMode3Supported = 0;
  uint8_t groupLockSupported = 0;
  uint8_t micInputSupported = 0;
  int32_t syncGroup = 0;                  // index of the SYNC pseudo-group (= groupCount)
  uint8_t groupHiddenSupported = 0;
  uint8_t channelFlagsSupported = 0;
  uint8_t syncSupported = 0;
  uint8_t groupNamesSupported = 0;
  uint8_t micVariant = 0;                 // 0, 1 or 2
  uint8_t presetsSupported = 0;
  uint8_t audioExtended = 0;
  uint8_t limiterSupported = 0;
  uint8_t bandPlanSupported = 0;
  uint8_t rfLevelsRead = 0;
  int32_t rfLevelCount = 0;               // 1..7 once read
  int32_t powerSetting = 0;
  std::array<std::string, kMaxRfLevels> rfLevelNames{};   // e.g. " 50 mW"
  std::array<int32_t, kMaxRfLevels> rfLevelValues{};
  int32_t bandCount = 0;                  // 0..15
  std::array<int32_t, kMaxBands> bandEdgeMHz{};   // upper edge of sub-band i, MHz part
  std::array<int32_t, kMaxBands> bandEdgeKHz{};   // upper edge of sub-band i, kHz part
  std::array<int32_t, kMaxBands> bandAllowed{};   // max RF power in mW; 0 = not usable
  uint8_t optionsSupported = 0;
  std::string infoText;                   // 10 characters read at connect
  std::array<std::string, kOptionCount> optionTexts{};  // 3 characters each; [0] region
  uint8_t txNameSupported = 0;
  std::string txName;
  uint8_t extendedLockSupported = 0;
  uint8_t bootVersionSupported = 0;
  std::string bootVersion;
  uint8_t hiddenMenuSupported = 0;
  uint8_t hiddenBits = 0;                 // user-menu hidden byte 1
  uint8_t hiddenBitsExt = 0;              // user-menu hidden byte 2
  uint8_t lockBits = 0;                   // user-menu lock byte 1
  uint8_t lockBitsExt = 0;                // user-menu lock byte 2
  std::array<uint8_t, kGroupMaskBytes> groupLockMask{};
  std::array<uint8_t, kGroupMaskBytes> groupHiddenMask{};
  // A lock read succeeded since the reset: the lock bytes and the group masks are the
  // transmitter's, so writing them back (a group save) changes only what the user chose.
  uint8_t locksRead = 0;
  // The group masks as the transmitter holds them (last read or written). The masks
  // above also carry group flags ticked but not yet saved; only the group save sends
  // those, every other write of the lock bytes sends these.
  std::array<uint8_t, kGroupMaskBytes> heldGroupLockMask{};
  std::array<uint8_t, kGroupMaskBytes> heldGroupHiddenMask{};
  uint8_t batteryType3Supported = 0;
  uint8_t txNameLength = 0;               // 8 or 12 once identified
  uint8_t menuInfoHiddenSupported = 0;
  uint8_t audioModLpfSupported = 0;
  uint8_t audioMod = 0;                   // 0 "Narrow", 1 "Wide"
  uint8_t audioLpf = 0;                   // 0 "12KHz", 1 "15KHz", 2 "20KHz"

  // Back to the state of "no transmitter": modelType 0, no active preset, every value
  // a configuration load tests marked not read. Fields the next identification or read
  // always rewrites are left alone.
  void ResetDeviceData();
  // Marks every setting value not read (and empties the lock and hidden bytes, the power
  // table and the name) while keeping the identity and model code: the start of a full
  // read, so that a value the new transmitter does not send is never one of the
  // transmitter before.
  void ForgetSettings();

  // The identity and serial number as texts, cut at the first zero byte.
  std::string IdText() const;
  std::string SerialText() const;

  // Group lock and hidden bits. Groups at or past the SYNC group (or past groupCount
  // for a transmitter without one), and groups outside 0..39, are ignored: the setters
  // do nothing and the tests return false.
  void SetGroupLock(int group, bool on);
  void SetGroupHidden(int group, bool on);
  bool IsGroupLocked(int group) const;
  bool IsGroupHidden(int group) const;
  // True when every bit of the hidden mask is set, whatever the group count.
  bool AllGroupsHidden() const;
  // True when no group of this transmitter is left visible: every bit of the mask, or
  // every group it has (a transmitter with fewer than 40 groups is all hidden long
  // before the mask is full). The one rule of every path that hides groups.
  bool EveryGroupHidden() const;

  // True when a frequency (kHz) lies within the tuning limits and in a sub-band whose
  // power is non-zero (or above the last sub-band edge).
  bool IsFrequencyAllowed(int32_t freqKHz) const;

 private:
  int GroupBound() const;
};

// Value checks for preset values read from a configuration file; each returns true when
// the value may be stored for a transmitter of that model code.
bool CheckPresetGain(int modelType, int value);
bool CheckPresetFilter(int modelType, int value);
bool CheckPresetPreEmphasis(int modelType, int value);
bool CheckPresetLimiter(int modelType, int value);
bool CheckPresetAudioModLpf(int modelType, int modulation, int lowPass);
bool CheckPresetMicMode(int modelType, int micVariant, int value);
bool CheckPresetMicPTT(int modelType, int micVariant, int value);
bool CheckPresetBatteryType(int modelType, bool batteryType3Supported, int value);
bool CheckPresetRFPower(int modelType, int value);
// "Lock", "SetEnable", "ExtendedLock", "ExtendedSetEnable": any value is taken.
bool CheckPresetLockByte(int modelType, int value);

}  // namespace zentra
