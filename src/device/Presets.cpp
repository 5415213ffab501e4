#include "device/Presets.h"

#include <algorithm>
#include <cstring>

#include "device/ItemLists.h"
#include "device/MenuFlags.h"
#include "device/Settings.h"
#include "device/TDeviceData.h"

namespace zentra {

namespace pb = preset_byte;

namespace {

bool ValidIndex(int index) { return index >= 0 && index < kMaxPresets; }

// Model codes whose gain is stored in steps of 2 dB.
bool EvenGainModel(int model) { return model < 3 || model > 10; }

bool LimiterModel(int model) { return model >= 7 && model <= 9; }

}  // namespace

std::string PresetStore::Name(int index) const {
  if (!ValidIndex(index)) return {};
  const auto& n = presetNames[index];
  return std::string(n.data(), strnlen(n.data(), n.size()));
}

void PresetStore::SetName(int index, const std::string& name) {
  if (!ValidIndex(index)) return;
  auto& n = presetNames[index];
  n.fill(0);
  std::memcpy(n.data(), name.data(), std::min<size_t>(name.size(), 8));
}

void PresetStore::Clear() {
  for (auto& n : presetNames) n.fill(0);
  for (auto& r : presetRecords) r.fill(0);
}

PresetSettings DecodePresetRecord(const TDeviceData& data, const PresetRecord& r) {
  PresetSettings s;
  s.channel = r[pb::kChannel];
  s.group = r[pb::kGroup];
  s.gain = static_cast<int8_t>(r[pb::kGain]);
  if (data.modelType == 1 || data.modelType == 2) s.gain = EvenGain(s.gain);
  s.filter = r[pb::kFilter];
  s.preEmphasis = r[pb::kPreEmphasisLimiter] & 0x0F;
  s.limiter = LimiterModel(data.modelType) && (r[pb::kPreEmphasisLimiter] & kPresetLimiterBit);
  s.micMode = r[pb::kMicMode];
  s.micPhase = r[pb::kMicPhase];
  s.pttValue = r[pb::kPtt];
  s.batteryType = r[pb::kBatteryType];
  s.ledLight = r[pb::kLedLight];
  s.ledMode = r[pb::kLedMode];
  s.rfPower = r[pb::kRfPower];
  s.lock = r[pb::kLock];
  s.dontCare = r[pb::kDontCare];
  if (data.extendedLockSupported) {
    s.lockExt = r[pb::kLockExt];
    s.dontCareExt = r[pb::kDontCareExt];
  }
  if (data.audioModLpfSupported) {
    s.audioMod = r[pb::kAudioMod];
    s.audioLpf = r[pb::kAudioLpf];
  }
  return s;
}

PresetRecord EncodePresetRecord(const TDeviceData& data, const PresetSettings& s,
                                const PresetRecord& base) {
  PresetRecord r = base;
  const int model = data.modelType;
  r[pb::kChannel] = static_cast<uint8_t>(s.channel);
  r[pb::kGroup] = static_cast<uint8_t>(s.group);
  uint8_t pre = static_cast<uint8_t>(s.preEmphasis) & 0x0F;
  if (LimiterModel(model) && s.limiter) pre |= kPresetLimiterBit;
  r[pb::kPreEmphasisLimiter] = pre;
  const int gain = EvenGainModel(model) ? EvenGain(s.gain) : s.gain;
  r[pb::kGain] = static_cast<uint8_t>(static_cast<int8_t>(gain));
  r[pb::kFilter] = static_cast<uint8_t>(s.filter);
  r[pb::kMicMode] = static_cast<uint8_t>(s.micMode);
  r[pb::kMicPhase] = static_cast<uint8_t>(s.micPhase);
  r[pb::kPtt] = static_cast<uint8_t>(s.pttValue);
  r[pb::kBatteryType] = static_cast<uint8_t>(s.batteryType);
  r[pb::kRfPower] = static_cast<uint8_t>(s.rfPower);
  r[pb::kLedLight] = static_cast<uint8_t>(s.ledLight);
  r[pb::kLedMode] = static_cast<uint8_t>(s.ledMode);
  if (data.audioModLpfSupported) {
    r[pb::kAudioMod] = static_cast<uint8_t>(s.audioMod);
    r[pb::kAudioLpf] = static_cast<uint8_t>(s.audioLpf);
  }
  // Bit 6 of the lock bytes has no setting; the extended bytes only bits 0..5.
  r[pb::kLock] = s.lock & 0xBF;
  r[pb::kDontCare] = s.dontCare & 0xBF;
  r[pb::kLockExt] = data.extendedLockSupported ? (s.lockExt & 0x3F) : 0;
  r[pb::kDontCareExt] = data.extendedLockSupported ? (s.dontCareExt & 0x3F) : 0;
  return r;
}

std::string CleanPresetName(const std::string& text) {
  if (text.empty()) return std::string(8, ' ');
  std::string out(8, '\0');
  for (size_t i = 0; i < 8 && i < text.size(); ++i) {
    const unsigned char u = static_cast<unsigned char>(text[i]);
    out[i] = (u < 32 || u > 126) ? ' ' : text[i];
  }
  return out;
}

namespace {

// Both reads are sent whatever the other gave: a record is worth having even when its
// name did not come through.
bool ReadOnePreset(CommandSet& commands, PresetStore& store, int i) {
  std::string name;
  const bool nameRead = commands.ReadPresetName(i, name);
  if (nameRead) store.SetName(i, name);
  PresetRecord record{};
  const bool recordRead = commands.ReadPreset(i, record);
  if (recordRead) store.presetRecords[i] = record;
  return nameRead && recordRead;
}

}  // namespace

bool ReadPresets(Transactor& link, TDeviceData& data, PresetStore& store) {
  CommandSet commands(link, data);
  uint8_t count = 0, active = 0xFF;
  if (!commands.ReadPresetInfo(count, active)) return false;
  if (count > kMaxPresets) return false;
  data.presetCount = count;
  data.presetIndex = active;
  bool ok = true;
  for (int i = 0; i < count; ++i) ok = ReadOnePreset(commands, store, i) && ok;
  return ok;
}

bool ReloadPresets(Transactor& link, TDeviceData& data, PresetStore& store) {
  CommandSet commands(link, data);
  const int n = std::min<int>(data.presetCount, kMaxPresets);
  bool ok = true;
  for (int i = 0; i < n; ++i) ok = ReadOnePreset(commands, store, i) && ok;
  return ok;
}

bool SavePresetName(Transactor& link, TDeviceData& data, PresetStore& store, int index,
                    const std::string& nameText) {
  // FACTORY and USER keep their names.
  if (index < 2 || index >= std::min<int>(data.presetCount, kMaxPresets)) return false;
  CommandSet commands(link, data);
  // The command pads the field with zero bytes itself; a cleaned name of 8 blanks (from
  // an empty text) goes out as blanks.
  std::string name = CleanPresetName(nameText);
  name.resize(strnlen(name.c_str(), name.size()));
  const bool written = commands.WritePresetName(index, name);
  std::string back;
  if (commands.ReadPresetName(index, back)) store.SetName(index, back);
  return written;
}

// ---------------------------------------------------------------- panel rules

namespace {
using PS = PresetSetting;
}

PresetFlagBit PresetLockBit(PresetSetting s) {
  switch (s) {
    case PS::Tuning: return {pb::kLock, 0x01};
    case PS::Gain: return {pb::kLock, 0x02};
    case PS::RfPower: return {pb::kLock, 0x04};
    case PS::Battery: return {pb::kLock, 0x08};
    case PS::MicMode: return {pb::kLock, 0x10};
    case PS::LedMode: return {pb::kLock, 0x20};
    case PS::AudioMod: return {pb::kLock, 0x80};
    case PS::NoiseReduction: return {pb::kLockExt, 0x01};
    case PS::Filter: return {pb::kLockExt, 0x02};
    case PS::Limiter: return {pb::kLockExt, 0x04};
    case PS::MicPhase: return {pb::kLockExt, 0x08};
    case PS::Ptt: return {pb::kLockExt, 0x10};
    case PS::LedLight: return {pb::kLockExt, 0x20};
    case PS::Count: break;
  }
  return {pb::kLock, 0};
}

namespace {
uint8_t& FlagByte(PresetSettings& p, int byte) {
  switch (byte) {
    case pb::kLock: return p.lock;
    case pb::kDontCare: return p.dontCare;
    case pb::kLockExt: return p.lockExt;
    default: return p.dontCareExt;
  }
}
uint8_t FlagByte(const PresetSettings& p, int byte) {
  return FlagByte(const_cast<PresetSettings&>(p), byte);
}
void SetBit(uint8_t& b, uint8_t mask, bool on) {
  b = static_cast<uint8_t>(on ? (b | mask) : (b & ~mask));
}
}  // namespace

bool PresetLocked(const PresetSettings& p, PresetSetting s) {
  const PresetFlagBit f = PresetLockBit(s);
  return (FlagByte(p, f.byte) & f.mask) != 0;
}

bool PresetDontCare(const PresetSettings& p, PresetSetting s) {
  const PresetFlagBit f = PresetLockBit(s);
  return (FlagByte(p, f.byte + 1) & f.mask) != 0;
}

void SetPresetLocked(PresetSettings& p, PresetSetting s, bool on) {
  const PresetFlagBit f = PresetLockBit(s);
  SetBit(FlagByte(p, f.byte), f.mask, on);
}

void SetPresetDontCare(PresetSettings& p, PresetSetting s, bool on) {
  const PresetFlagBit f = PresetLockBit(s);
  SetBit(FlagByte(p, f.byte + 1), f.mask, on);
}

PresetPanelMode PresetPanelModeFor(int index, bool editLocked) {
  PresetPanelMode m;
  m.flagsShown = ValidIndex(index) && index != 1;
  if (editLocked || !ValidIndex(index)) return m;
  m.nameEnabled = index >= 2;
  m.valuesEnabled = true;
  m.flagsEnabled = index != 1;
  return m;
}

bool PresetSettingOffered(const TDeviceData& d, PresetSetting s) {
  const int model = d.modelType;
  switch (s) {
    case PS::MicMode: return PresetMicModeList(d).action == ListSpec::Action::Fill &&
                             model != 1 && model != 4 && model != 10;
    case PS::NoiseReduction: return model >= 3 && model <= 10;
    case PS::Limiter: return LimiterModel(model);
    case PS::Ptt: return PresetPttList(d, 0).action == ListSpec::Action::Fill;
    case PS::AudioMod: return d.audioModLpfSupported != 0;
    default: return true;
  }
}

bool PresetFlagsOffered(const TDeviceData& d, PresetSetting s) {
  if (s == PS::AudioMod && !d.audioModLpfSupported) return false;
  if (s == PS::MicMode && (d.modelType == 4 || d.modelType == 10)) return false;
  if (PresetLockBit(s).byte == pb::kLockExt && !d.extendedLockSupported) return false;
  return true;
}

bool PresetValueEnabled(const TDeviceData& d, const PresetPanelMode& mode,
                        const PresetSettings& p, PresetSetting s) {
  if (!mode.valuesEnabled || !PresetSettingOffered(d, s)) return false;
  return !(mode.flagsEnabled && PresetFlagsOffered(d, s) && PresetDontCare(p, s));
}

bool PresetLockEnabled(const TDeviceData& d, const PresetPanelMode& mode,
                       const PresetSettings& p, PresetSetting s) {
  return PresetCareEnabled(d, mode, s) && !PresetDontCare(p, s);
}

bool PresetCareEnabled(const TDeviceData& d, const PresetPanelMode& mode, PresetSetting s) {
  return mode.flagsEnabled && PresetFlagsOffered(d, s);
}

int ClampPresetLowPass(int modulation, int lowPassIndex) {
  return (modulation == 0 && lowPassIndex == 2) ? 1 : lowPassIndex;
}

namespace {

// Writes the record, then reads it back into the store whatever the write returned, so
// the store mirrors the transmitter.
bool WriteAndReread(Transactor& link, TDeviceData& data, PresetStore& store, int index,
                    const PresetRecord& record, bool& reread) {
  CommandSet commands(link, data);
  const bool written = commands.WritePreset(index, record);
  PresetRecord back{};
  reread = commands.ReadPreset(index, back);
  if (reread) store.presetRecords[index] = back;
  return written;
}

}  // namespace

bool SavePresetRecord(Transactor& link, TDeviceData& data, PresetStore& store, int index,
                      const PresetRecord& record) {
  if (!data.presetsSupported || !ValidIndex(index) || index >= data.presetCount) return false;
  bool reread = false;
  return WriteAndReread(link, data, store, index, record, reread);
}

PresetSaveResult SavePreset(Transactor& link, TDeviceData& data, PresetStore& store,
                            int index, const std::string& nameText,
                            const PresetSettings& settings) {
  PresetSaveResult result;
  if (!data.presetsSupported || !ValidIndex(index) || index >= data.presetCount) {
    result.refused = true;
    return result;
  }
  result.nameWritten = SavePresetName(link, data, store, index, nameText);
  const PresetRecord record = EncodePresetRecord(data, settings, store.presetRecords[index]);
  result.recordWritten = WriteAndReread(link, data, store, index, record, result.reread);
  return result;
}

bool RereadAfterPresetChange(Transactor& link, TDeviceData& data) {
  CommandSet commands(link, data);
  bool ok = commands.ReadGroupChannel();
  ok = commands.ReadFrequency() && ok;
  ok = RefreshAudio(link, data) && ok;
  ok = commands.ReadMic() && ok;
  ok = commands.ReadBattery() && ok;
  ok = commands.ReadRfPower() && ok;
  ok = commands.ReadLed() && ok;
  ok = RefreshLockFlags(link, data) && ok;
  ok = commands.ReadGroupChannel() && ok;
  ok = commands.ReadFrequency() && ok;
  uint8_t count = 0, active = 0xFF;
  if (commands.ReadPresetInfo(count, active))
    data.presetIndex = active;
  else
    ok = false;
  return ok;
}

PresetSetResult ActivatePresetAndReread(Transactor& link, TDeviceData& data, int index) {
  PresetSetResult result;
  result.activated = CommandSet(link, data).ActivatePreset(index);
  result.reread = RereadAfterPresetChange(link, data);
  return result;
}

}  // namespace zentra
