// The transmitter commands of ordinary operation. Every request starts with 'M' and a
// command code; every command is one Transact. A write succeeds when the answer is
// exactly 3 bytes with ACK (0x06) as the third; a read when the answer has exactly its
// expected length. A failed command stores nothing. Shapes that depend on the model
// (microphone, locks, preset record, name length) are decided at every call from the
// model code and capability flags in TDeviceData.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "device/TDeviceData.h"
#include "link/Transactor.h"

namespace zentra {

constexpr uint8_t kCommandLead = 0x4D;  // 'M', first byte of every request
constexpr uint8_t kAck = 0x06;

// A preset record is kept in a 20-byte slot; 14, 16 or 18 bytes travel on the link.
constexpr int kPresetSlotSize = 20;
using PresetRecord = std::array<uint8_t, kPresetSlotSize>;

// Record length of the preset commands for this transmitter: 18 with the extended lock
// and modulation/low-pass, 16 with the extended lock only, else 14.
int PresetRecordLength(const TDeviceData& data);

// A text sent from an edit box into a fixed field (group, sync group and preset names):
// the first `length` characters, each below 0x20 or above 0x7E made a blank, padded
// with zero bytes. Returns exactly `length` bytes.
std::string CleanTextField(const std::string& text, size_t length);

// A message a command hands back for the front end to show (title and text).
struct CommandMessage {
  std::string title;
  std::string text;
  bool empty() const { return text.empty(); }
};

class CommandSet {
 public:
  CommandSet(Transactor& link, TDeviceData& data);

  TDeviceData& data() { return data_; }
  const TDeviceData& data() const { return data_; }

  // --- identity and tuning ---
  bool ReadDeviceId();                       // idText
  bool ReadSerialNumber();                   // serialText
  bool ReadTuningRange();                    // freqMinMHz, freqMaxMHz
  bool ReadTuningStep();                     // stepHz
  // channelCount, groupCount (clamped to 60 / 40; a count byte of 0x80 or more fails);
  // syncGroup = groupCount when syncSupported.
  bool ReadTableSize();
  bool ReadFrequency();                      // curFreqKHz
  bool ReadGroupChannel();                   // curChannel, curGroup
  bool WriteGroupChannel(int channel, int group);
  bool ReadBandSegmentCount();               // bandCount; outside 0..15 fails, bandCount 0
  bool ReadBandSegment(int index);           // entry index of the sub-band table
  // The whole sub-band table: count, then each entry in order. A bad count leaves an
  // empty table; a failed entry stops the read (later entries keep their values).
  bool ReadBandTable();

  // --- frequency table (values returned, not stored) ---
  bool ReadChannelFrequency(int channel, int group, int32_t& freqKHz);
  bool WriteChannelFrequency(int channel, int group, int32_t freqKHz);
  bool ReadChannelFlags(int channel, int group, bool& locked, bool& hidden);
  bool WriteChannelFlags(int channel, int group, bool locked, bool hidden);
  bool ReadGroupName(int group, std::string& name);      // 8 characters, cut at zero
  bool WriteGroupName(int group, const std::string& name);  // cleaned, 8 bytes
  bool ReadSyncGroupName(std::string& name);             // 12 characters, cut at zero
  bool WriteSyncGroupName(const std::string& name);      // cleaned, 12 bytes

  // --- settings ---
  bool ReadAudio();     // audioGain (+audioGainRead), audioFilter
  // audioGain, audioFilter, audioDisplay (+audioLimiter with limiterSupported),
  // preEmphasis, audioMod/audioLpf with audioModLpfSupported.
  bool ReadAudioEx();
  bool WriteAudio(int gain, int filter);
  bool WriteAudioEx(int gain, int filter, uint8_t displayLimiter, int preEmphasis,
                    uint8_t modLpf);
  // The display/limiter byte: with limiterSupported bit 0 = display, bit 1 = limiter;
  // otherwise the display index itself.
  uint8_t DisplayLimiterByte(int display, bool limiter) const;
  // The modulation/low-pass byte: low-pass index in bits 0..1, 0x10 for "Wide"; 0 for a
  // transmitter without those settings.
  uint8_t ModLpfByte(int modulation, int lowPass) const;
  // Model 1: micPTT only (3-byte answer); others: micMode, micPhase, micPTT.
  bool ReadMic();
  // Model 1 sends the PTT value only, and only with pttSupported (otherwise fails with
  // "PTT mode not supported!" / "ERROR" in message); models 4 and 10 always send mode 0;
  // model code 0 or above 10 fails without sending.
  bool WriteMic(int mode, int phase, int pttValue, CommandMessage* message = nullptr);
  bool ReadBattery();                        // batteryType, batteryLevel
  bool WriteBatteryType(int type);
  bool ReadRfPower();                        // rfPower
  bool WriteRfPower(int index);
  // rfLevelCount; a count outside 1..7 fails and leaves rfLevelCount 1.
  bool ReadRfPowerLevelCount();
  bool ReadRfPowerLevel(int index);          // rfLevelNames[index] ("xyz mW"), rfLevelValues
  bool ReadPowerSetting();                   // powerSetting
  bool ReadLed();                            // ledLight, ledMode
  bool WriteLed(int light, int mode);
  bool ReadOption(int index);                // optionTexts[index], index 0..6
  bool ReadOptionTexts();                    // options 0..6, stops at the first failure
  bool ReadInfoText();                       // infoText
  // txName with L = txNameLength (8 or 12; any other length fails without sending). A
  // name whose first byte is a control or non-ASCII byte reads as L blanks.
  bool ReadTxName();
  // Empties txName, sends the first L bytes of name (zero padded), and on success reads
  // the name back. L = 12 succeeds on any 14-byte answer, L = 8 on an acknowledgement.
  bool WriteTxName(const std::string& name);
  bool ReadBootVersion();                    // bootVersion

  // --- user-menu locks and hidden items (fields of TDeviceData) ---
  bool ReadLocks();          // 'l': models 1, 2 (lockBits, group lock byte 0)
  bool ReadLocksEx();        // 'k': models 1, 2 (5 bytes), 3..10 (14 or 13 bytes)
  bool WriteLocks();         // 0xDC: models 1, 2
  bool WriteLocksEx();       // 0xDB: models 1, 2 (5 bytes), 3..10 (14 or 13 bytes)
  // The lock read that fits the model: models 1 and 2 without group locks read nothing
  // and succeed; with group locks 'k' or 'l' by groupHiddenSupported; models 3..10 'k'.
  bool ReadLockBytes();
  // The lock write that fits the model (0xDB or 0xDC); models 0 and above 10 fail.
  bool SendLockBytes();
  // The same write of the menu lock bytes with the group masks the transmitter holds:
  // group flags ticked but not saved stay for the group save.
  bool SendMenuLockBytes();
  bool ReadHiddenFlags();    // models 3..10 with hiddenMenuSupported
  bool WriteHiddenFlags();   // models 3..10 with hiddenMenuSupported, else no send

  // --- presets ---
  bool ReadPresetInfo(uint8_t& count, uint8_t& activeIndex);  // returned, not stored
  bool ReadPresetName(int index, std::string& name);          // 8 characters, cut at zero
  bool WritePresetName(int index, const std::string& name);   // 8 bytes as given
  bool ReadPreset(int index, PresetRecord& record);           // first record-length bytes
  bool WritePreset(int index, const PresetRecord& record);
  bool ActivatePreset(int index);

 private:
  // One Transact; false on a link failure.
  bool Exchange(const uint8_t* request, int length, uint8_t* response, uint8_t& n);
  // A read: Transact succeeded and exactly `answer` bytes came back.
  bool Read(const uint8_t* request, int length, int answer, uint8_t* response);
  // A write: acknowledged (3 bytes, ACK third).
  bool Write(const uint8_t* request, int length);
  // The group masks just read or written are the transmitter's (always true).
  bool HoldGroupMasks();

  Transactor& link_;
  TDeviceData& data_;
};

}  // namespace zentra
