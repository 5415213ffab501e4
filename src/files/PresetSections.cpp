#include "files/PresetSections.h"

#include <algorithm>
#include <cstdio>

#include "files/IniFile.h"

namespace zentra {

namespace pb = preset_byte;

namespace {

int PresetsInFile(const TDeviceData& data) { return std::min<int>(data.presetCount, kMaxPresets); }

int Signed(uint8_t b) { return static_cast<int8_t>(b); }

}  // namespace

std::string PresetSectionName(int index) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "PRESET%02d", index);
  return buf;
}

std::string PresetGapLine(int index) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "Not read (preset=%02d)", index);
  return buf;
}

void WritePresetSections(IniFile& ini, const TDeviceData& data, const PresetStore& store,
                         const std::vector<bool>& read) {
  for (int i = 0; i < PresetsInFile(data); ++i) {
    const std::string s = PresetSectionName(i);
    if (static_cast<size_t>(i) < read.size() && !read[static_cast<size_t>(i)]) {
      ini.DeleteSection(s);
      continue;
    }
    const PresetRecord& r = store.presetRecords[static_cast<size_t>(i)];
    ini.WriteString(s, "Name", store.Name(i));
    ini.WriteInteger(s, "Channel", Signed(r[pb::kChannel]));
    ini.WriteInteger(s, "Group", Signed(r[pb::kGroup]));
    ini.WriteInteger(s, "Gain", Signed(r[pb::kGain]));
    ini.WriteInteger(s, "Filter", Signed(r[pb::kFilter]));
    ini.WriteInteger(s, "Pre_emphasis", r[pb::kPreEmphasisLimiter] & 0x0F);
    ini.WriteInteger(s, "Limiter", (r[pb::kPreEmphasisLimiter] & kPresetLimiterBit) ? 1 : 0);
    ini.WriteInteger(s, "MicMode", Signed(r[pb::kMicMode]));
    ini.WriteInteger(s, "MicPhase", Signed(r[pb::kMicPhase]));
    ini.WriteInteger(s, "MicPTT", Signed(r[pb::kPtt]));
    ini.WriteInteger(s, "BatteryType", Signed(r[pb::kBatteryType]));
    ini.WriteInteger(s, "RFPower", Signed(r[pb::kRfPower]));
    ini.WriteInteger(s, "LedLight", Signed(r[pb::kLedLight]));
    ini.WriteInteger(s, "LedMode", Signed(r[pb::kLedMode]));
    ini.WriteInteger(s, "Lock", Signed(r[pb::kLock]));
    ini.WriteInteger(s, "SetEnable", Signed(r[pb::kDontCare]));
    ini.WriteInteger(s, "ExtendedLock", Signed(r[pb::kLockExt]));
    ini.WriteInteger(s, "ExtendedSetEnable", Signed(r[pb::kDontCareExt]));
    ini.WriteInteger(s, "AudioMOD", Signed(r[pb::kAudioMod]));
    ini.WriteInteger(s, "AudioLPF", Signed(r[pb::kAudioLpf]));
  }
}

PresetFromFile ReadPresetSection(const IniFile& ini, const TDeviceData& d, int index,
                                 const PresetRecord& stored) {
  PresetFromFile out;
  out.record = stored;
  const std::string s = PresetSectionName(index);
  PresetRecord& r = out.record;

  const std::string nameText = ini.ReadString(s, "Name", "");
  if (!nameText.empty()) {
    out.hasName = true;
    out.name = CleanPresetName(nameText);
  }

  auto refuse = [&](const char* key) {
    out.refused.push_back(s + ": " + key + "=" + ini.ReadString(s, key, "").substr(0, 40) +
                          " refused");
  };
  // Reads a key as an integer (-1 when it is not a number) and stores its low byte into
  // record byte `pos` when ok(value) holds. A missing key, or a refused value that would
  // not have changed the byte, is not reported.
  auto apply = [&](const char* key, int pos, auto ok) {
    if (!ini.KeyExists(s, key)) return;
    const int v = ini.ReadInteger(s, key, -1);
    uint8_t& b = r[static_cast<size_t>(pos)];
    if (ok(v)) {
      b = static_cast<uint8_t>(v & 0xFF);
    } else if (v != Signed(b)) {
      refuse(key);
    }
  };
  const int model = d.modelType;
  auto inRange = [](int lo, int hi) { return [lo, hi](int v) { return v >= lo && v <= hi; }; };

  apply("Channel", pb::kChannel, inRange(0, d.channelCount - 1));
  apply("Group", pb::kGroup, inRange(0, d.groupCount - 1));
  if (ini.KeyExists(s, "Gain")) {
    const int v = ini.ReadInteger(s, "Gain", -61);
    if (CheckPresetGain(model, v)) {
      r[pb::kGain] = static_cast<uint8_t>(v & 0xFF);
    } else if (v != Signed(r[pb::kGain])) {
      refuse("Gain");
    }
  }
  apply("Filter", pb::kFilter, [&](int v) { return CheckPresetFilter(model, v); });
  apply("Pre_emphasis", pb::kPreEmphasisLimiter,
        [&](int v) { return CheckPresetPreEmphasis(model, v); });
  if (ini.KeyExists(s, "Limiter")) {
    const int v = ini.ReadInteger(s, "Limiter", -1);
    const bool on = (r[pb::kPreEmphasisLimiter] & kPresetLimiterBit) != 0;
    if (!CheckPresetLimiter(model, v)) {
      if (v != (on ? 1 : 0)) refuse("Limiter");
    } else if (v != 0) {
      r[pb::kPreEmphasisLimiter] |= kPresetLimiterBit;
    }
  }
  apply("MicMode", pb::kMicMode, [&](int v) { return CheckPresetMicMode(model, d.micVariant, v); });
  apply("MicPhase", pb::kMicPhase, inRange(0, 1));
  apply("MicPTT", pb::kPtt, [&](int v) { return CheckPresetMicPTT(model, d.micVariant, v); });
  apply("BatteryType", pb::kBatteryType,
        [&](int v) { return CheckPresetBatteryType(model, d.batteryType3Supported != 0, v); });
  apply("RFPower", pb::kRfPower, [&](int v) { return CheckPresetRFPower(model, v); });
  apply("LedLight", pb::kLedLight, inRange(0, 16));
  apply("LedMode", pb::kLedMode, inRange(0, 2));

  // The lock and "Don't Care" bytes take any number; text that is not one counts as 0.
  auto lockByte = [&](const char* key, int pos) {
    if (!ini.KeyExists(s, key)) return;
    const int v = ini.ReadInteger(s, key, 0);
    if (CheckPresetLockByte(model, v)) r[static_cast<size_t>(pos)] = static_cast<uint8_t>(v & 0xFF);
  };
  lockByte("Lock", pb::kLock);
  lockByte("SetEnable", pb::kDontCare);
  if (d.extendedLockSupported) {
    lockByte("ExtendedLock", pb::kLockExt);
    lockByte("ExtendedSetEnable", pb::kDontCareExt);
  }

  if (ini.KeyExists(s, "AudioMOD") || ini.KeyExists(s, "AudioLPF")) {
    const int mod = ini.ReadInteger(s, "AudioMOD", -1);
    const int lpf = ini.ReadInteger(s, "AudioLPF", -1);
    if (CheckPresetAudioModLpf(model, mod, lpf)) {
      r[pb::kAudioMod] = static_cast<uint8_t>(mod);
      r[pb::kAudioLpf] = static_cast<uint8_t>(lpf);
    } else if (mod != r[pb::kAudioMod] || lpf != r[pb::kAudioLpf]) {
      refuse("AudioMOD");
      refuse("AudioLPF");
    }
  }
  return out;
}

PresetSectionsResult LoadPresetSections(Transactor& link, Transactor& reads, TDeviceData& data,
                                        PresetStore& store, const IniFile& ini) {
  PresetSectionsResult result;
  auto track = [&](bool ok) {
    if (!ok) {
      result.ok = false;
      ++result.failedCommands;
    }
    return ok;
  };
  track(ReloadPresets(reads, data, store));
  CommandSet commands(link, data);
  for (int i = 0; i < PresetsInFile(data); ++i) {
    PresetFromFile p = ReadPresetSection(ini, data, i, store.presetRecords[static_cast<size_t>(i)]);
    if (p.hasName) {
      store.SetName(i, p.name);
      // FACTORY and USER are never renamed. The command pads with zero bytes itself.
      if (i >= 2) track(commands.WritePresetName(i, p.name.substr(0, p.name.find('\0'))));
    }
    track(commands.WritePreset(i, p.record));
    result.refused.insert(result.refused.end(), p.refused.begin(), p.refused.end());
  }
  track(ReloadPresets(reads, data, store));
  return result;
}

}  // namespace zentra
