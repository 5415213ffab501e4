// A simulated transmitter of any of the ten model codes. It answers the requests that
// arrive over the IR window exactly as a well-made transmitter of its model and firmware
// version would: the commands its firmware knows, each with its answer length and shape;
// anything else (unknown command, wrong length, command of a later firmware, service
// command without a fresh service unlock) gets no answer. Writes change the state that
// later reads return. What the firmware offers is decided here from the model and the
// version, independently of the configurator's own identification.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "sim/SimSpec.h"

namespace zentra::sim {

// What a firmware offers, derived from model and version (SimCapabilities.cpp).
struct SimCapabilities {
  int modelCode = 0;        // 1..10
  bool handheld = false;    // answers the handheld family code (else the bodypack code)
  int version = 0;          // the three version digits read as a hexadecimal number
  bool ptt = false;
  bool pttMode3 = false;
  bool micInput = false;
  bool groupLock = false;
  bool groupHidden = false;
  bool channelFlags = false;
  bool sync = false;
  bool groupNames = false;
  int micVariant = 0;
  bool presets = false;
  bool audioExtended = false;
  bool limiter = false;
  bool bandPlan = false;
  bool options = false;
  bool txName = false;
  int txNameLength = 0;     // 12 or 8 when txName
  bool extendedLock = false;
  bool bootVersion = false;
  bool hiddenMenu = false;
  bool batteryType3 = false;
  bool menuInfoHidden = false;
  bool audioModLpf = false;

  int presetRecordLength() const { return extendedLock ? (audioModLpf ? 18 : 16) : 14; }
  int micAnswerLength() const { return modelCode == 1 ? 3 : 5; }
  bool newFamily() const { return modelCode >= 3; }
};

// Capabilities of the model name with the identity letter and version digits given.
// False when the model name is unknown or the version is not three digits.
bool DeriveCapabilities(const std::string& model, char variant, const std::string& version,
                        SimCapabilities& out);

struct SimChannel {
  uint32_t freqKHz = 0;
  bool locked = false;
  bool hidden = false;
};

struct SimPreset {
  std::array<uint8_t, 8> name{};
  std::array<uint8_t, 18> record{};  // the first presetRecordLength() bytes are used
};

struct SimBandSegment {
  uint16_t edgeMHz = 0;
  uint16_t edgeKHz = 0;
  uint8_t maxPowerMw = 0;  // 0: no transmission allowed in this segment
};

struct SimRfLevel {
  std::array<char, 3> label{};  // power in mW as three characters, e.g. "10 "
  int8_t value = 0;
};

// Everything a transmitter holds. Tests read and change it directly.
struct SimTransmitterState {
  std::array<uint8_t, 16> identity{};
  std::array<uint8_t, 10> serial{};
  int channelCount = 16;
  int groupCount = 8;
  // table[g][c] for g < groupCount; table[groupCount][0] is the sync channel.
  std::vector<std::vector<SimChannel>> table;
  std::vector<std::array<uint8_t, 8>> groupNames;  // groupCount entries
  std::array<uint8_t, 12> syncName{};
  std::array<uint8_t, 5> groupLockMask{};
  std::array<uint8_t, 5> groupHiddenMask{};
  uint16_t freqMinMHz = 470;
  uint16_t freqMaxMHz = 542;
  uint16_t stepCount = 250;  // tuning step in units of 100 Hz
  int curChannel = 0;
  int curGroup = 0;
  uint32_t curFreqKHz = 0;
  // Audio
  int8_t gain = 0;
  uint8_t filter = 0;
  uint8_t displayLimiter = 0;  // display index, with the limiter in bit 1 where offered
  uint8_t preEmphasis = 0;
  uint8_t modLpf = 0;          // bits 0..1 low-pass, bit 4 wide modulation
  // Microphone
  uint8_t micMode = 0;
  uint8_t micPhase = 0;
  uint8_t micPTT = 0;
  // Battery, RF, LED
  uint8_t batteryType = 0;
  uint8_t batteryLevel = 6;
  uint8_t rfPower = 0;
  uint8_t ledLight = 8;
  uint8_t ledMode = 1;
  uint8_t powerSetting = 0;
  std::vector<SimRfLevel> rfLevels;
  std::vector<SimBandSegment> bands;
  // Menu locks and hidden items
  uint8_t lockBits = 0;
  uint8_t lockBitsExt = 0;
  uint8_t hiddenBits = 0;
  uint8_t hiddenBitsExt = 0;
  // Texts
  std::array<std::array<char, 3>, 7> options{};
  std::array<char, 10> infoText{};
  std::vector<uint8_t> txName;       // txNameLength bytes
  std::array<char, 12> bootVersion{};
  // Presets
  std::vector<SimPreset> presets;
  uint8_t activePreset = 0;
  // Memories
  std::vector<uint8_t> xeeprom;                   // 65536 bytes
  std::array<std::vector<uint8_t>, 2> calEeprom;  // two pages of 1024 bytes
  bool crcGood = true;
  // Last values given to the factory commands
  uint16_t batteryCalibration = 0;
  uint32_t fastFrequency = 0;
};

class VirtualTransmitter {
 public:
  // The spec must name a known model and a three-digit version (ParseSimSpec checks).
  explicit VirtualTransmitter(const TransmitterSpec& spec);

  // One request as it arrived over IR. Returns the answer, or nothing when a transmitter
  // of this model and firmware would not answer.
  std::optional<std::vector<uint8_t>> Handle(const uint8_t* request, int length);

  const SimCapabilities& caps() const { return caps_; }
  SimTransmitterState& state() { return state_; }
  const SimTransmitterState& state() const { return state_; }
  const TransmitterSpec& spec() const { return spec_; }
  std::string identityText() const;
  // True while the next request may be a service command (right after a service unlock).
  bool serviceUnlocked() const { return serviceUnlocked_; }

  // Convenience accessors for tests.
  const SimChannel& channel(int group, int channel) const { return state_.table.at(group).at(channel); }
  std::string groupName(int group) const;
  std::string presetName(int index) const;

 private:
  std::optional<std::vector<uint8_t>> HandleCommand(const uint8_t* r, int n, bool unlocked);
  std::optional<std::vector<uint8_t>> HandleService(const uint8_t* r, int n);
  void ApplyPreset(int index);
  void FillDefaults();

  TransmitterSpec spec_;
  SimCapabilities caps_;
  SimTransmitterState state_;
  bool serviceUnlocked_ = false;
};

}  // namespace zentra::sim
