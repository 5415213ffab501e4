// Construction and factory contents of a simulated transmitter, and preset activation.
// The command handling is in TransmitterCommands.cpp.
#include "sim/VirtualTransmitter.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace zentra::sim {

namespace {

template <size_t N>
void PutText(std::array<uint8_t, N>& field, const char* text, uint8_t pad) {
  field.fill(pad);
  for (size_t i = 0; i < N && text[i] != 0; ++i) field[i] = static_cast<uint8_t>(text[i]);
}

template <size_t N>
void PutChars(std::array<char, N>& field, const char* text) {
  field.fill(' ');
  for (size_t i = 0; i < N && text[i] != 0; ++i) field[i] = text[i];
}

// Upper edges of the factory band plan: transmission is not allowed in the segment
// above kForbiddenFromKHz up to kForbiddenToKHz, so the factory frequency plan skips it.
constexpr uint32_t kForbiddenFromKHz = 508000;
constexpr uint32_t kForbiddenToKHz = 510000;
constexpr uint32_t kPlanGridKHz = 25;  // a multiple of both the 12.5 and the 25 kHz step

}  // namespace

VirtualTransmitter::VirtualTransmitter(const TransmitterSpec& spec) : spec_(spec) {
  if (!DeriveCapabilities(spec_.model, spec_.variant, spec_.version, caps_)) {
    // An unchecked spec: fall back to a current bodypack rather than misbehave.
    spec_.model = "ZQL22X";
    spec_.version = "129";
    DeriveCapabilities(spec_.model, spec_.variant, spec_.version, caps_);
  }
  FillDefaults();
}

std::string VirtualTransmitter::identityText() const {
  return std::string(state_.identity.begin(), state_.identity.end());
}

std::string VirtualTransmitter::groupName(int group) const {
  const auto& n = state_.groupNames.at(group);
  std::string s(n.begin(), n.end());
  return s.substr(0, s.find('\0'));
}

std::string VirtualTransmitter::presetName(int index) const {
  const auto& n = state_.presets.at(index).name;
  std::string s(n.begin(), n.end());
  return s.substr(0, s.find('\0'));
}

void VirtualTransmitter::FillDefaults() {
  SimTransmitterState& s = state_;
  const bool old = !caps_.newFamily();

  // Identity: model name, position 6 blank or the variant letter (never on handhelds,
  // whose names fill positions 0..5 and need the blank at 6), version at 10..12.
  std::string id = spec_.model;
  id.resize(6, ' ');
  id += (spec_.variant != 0 && !caps_.handheld) ? spec_.variant : ' ';
  id += "   " + spec_.version + " B1";
  PutText(s.identity, id.c_str(), ' ');

  std::string serial = spec_.serial;
  if (serial.empty()) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "ZQ%02d004711", caps_.modelCode % 100);
    serial = buf;
  }
  PutText(s.serial, serial.c_str(), 0);

  s.groupCount = spec_.groups > 0 ? std::min(spec_.groups, 40) : (old ? 8 : 16);
  s.channelCount = spec_.channels > 0 ? std::min(spec_.channels, 60) : (old ? 16 : 32);
  s.freqMinMHz = 470;
  s.freqMaxMHz = 542;
  s.stepCount = old ? 125 : 250;

  // Factory frequency plan: groups side by side across the range, channels evenly
  // spaced inside each group, everything on the grid and clear of the forbidden segment.
  const bool skip = caps_.bandPlan;
  const uint32_t lowKHz = s.freqMinMHz * 1000u + kPlanGridKHz;
  uint32_t spanKHz = (s.freqMaxMHz - s.freqMinMHz) * 1000u - 2 * kPlanGridKHz;
  if (skip) spanKHz -= kForbiddenToKHz - kForbiddenFromKHz;
  const uint32_t groupSpacing =
      std::max<uint32_t>(kPlanGridKHz, spanKHz / s.groupCount / kPlanGridKHz * kPlanGridKHz);
  const uint32_t channelSpacing = std::max<uint32_t>(
      kPlanGridKHz, groupSpacing / s.channelCount / kPlanGridKHz * kPlanGridKHz);
  auto place = [&](uint32_t offset) {
    uint32_t f = lowKHz + offset % (spanKHz + kPlanGridKHz);
    if (skip && f > kForbiddenFromKHz) f += kForbiddenToKHz - kForbiddenFromKHz;
    return f;
  };
  s.table.assign(s.groupCount + 1, {});
  for (int g = 0; g < s.groupCount; ++g) {
    s.table[g].resize(s.channelCount);
    for (int c = 0; c < s.channelCount; ++c)
      s.table[g][c].freqKHz = place(g * groupSpacing + c * channelSpacing);
  }
  s.table[s.groupCount].resize(1);
  s.table[s.groupCount][0].freqKHz = 540000;

  s.groupNames.assign(s.groupCount, {});
  for (int g = 0; g < s.groupCount; ++g) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "GROUP %02d", g);
    PutText(s.groupNames[g], buf, 0);
  }
  PutText(s.syncName, "SYNC CHANNEL", 0);
  s.groupLockMask.fill(0);
  s.groupHiddenMask.fill(0);

  s.curGroup = 0;
  s.curChannel = 0;
  s.curFreqKHz = s.table[0][0].freqKHz;

  s.gain = 0;
  s.filter = 1;
  s.displayLimiter = 0;
  s.preEmphasis = 0;
  s.modLpf = caps_.audioModLpf ? 0x11 : 0;  // wide modulation, 15 kHz low-pass
  s.micMode = 0;
  s.micPhase = 0;
  s.micPTT = caps_.ptt ? 1 : 0;
  s.batteryType = 0;
  s.batteryLevel = 6;
  s.rfPower = 1;
  s.ledLight = 8;
  s.ledMode = 1;
  s.powerSetting = 2;

  s.rfLevels.clear();
  s.bands.clear();
  if (caps_.bandPlan) {
    const char* labels[] = {"10 ", "50 ", "100"};
    for (int i = 0; i < 3; ++i) {
      SimRfLevel l;
      std::memcpy(l.label.data(), labels[i], 3);
      l.value = static_cast<int8_t>(i);
      s.rfLevels.push_back(l);
    }
    s.bands.push_back({static_cast<uint16_t>(kForbiddenFromKHz / 1000), 0, 100});
    s.bands.push_back({static_cast<uint16_t>(kForbiddenToKHz / 1000), 0, 0});
    s.bands.push_back({s.freqMaxMHz, 0, 50});
  }

  s.lockBits = 0;
  s.lockBitsExt = 0;
  s.hiddenBits = 0;
  s.hiddenBitsExt = 0;

  const char* opts[] = {"EU ", "B1 ", "072", "001", "000", "000", "000"};
  for (int i = 0; i < 7; ++i) PutChars(s.options[i], opts[i]);
  PutChars(s.infoText, "470-542MHz");
  s.txName.assign(caps_.txNameLength, ' ');
  for (size_t i = 0; i < s.txName.size() && i < spec_.model.size(); ++i)
    s.txName[i] = static_cast<uint8_t>(spec_.model[i]);
  PutChars(s.bootVersion, "BOOT V1.04");

  // Presets as a transmitter leaves the factory: FACTORY and USER, then a few scenes.
  s.presets.clear();
  if (caps_.presets) {
    const int count = spec_.presets >= 0 ? std::min(spec_.presets, 10) : 6;
    const char* names[] = {"FACTORY", "USER", "STAGE", "CHURCH", "THEATRE",
                           "STUDIO",  "SPEECH", "CHOIR", "OUTDOOR", "BACKUP"};
    for (int i = 0; i < count; ++i) {
      SimPreset p;
      PutText(p.name, names[i], ' ');
      auto& r = p.record;
      r.fill(0);
      r[0] = static_cast<uint8_t>(static_cast<int8_t>(old ? -(2 * (i % 3)) : -3 * (i % 4)));
      r[1] = static_cast<uint8_t>(i % 3);
      r[2] = 0;
      r[3] = 0;
      r[4] = 0;
      r[5] = caps_.ptt ? 1 : 0;
      r[6] = 0;
      r[7] = static_cast<uint8_t>(4 + i);
      r[8] = 1;
      r[9] = static_cast<uint8_t>(i % 2);
      // Scenes keep the tuning and lock the RF power and the LED; FACTORY and USER
      // apply every setting.
      r[10] = i >= 2 ? 0x24 : 0;
      r[11] = i >= 2 ? 0x01 : 0;
      r[12] = static_cast<uint8_t>(i % s.channelCount);
      r[13] = static_cast<uint8_t>(i % s.groupCount);
      if (caps_.audioModLpf) {
        r[16] = 1;
        r[17] = 1;
      }
      s.presets.push_back(p);
    }
    s.activePreset = 1;
  }

  s.xeeprom.assign(65536, 0xFF);
  for (int a = 0; a < 0x2121; ++a) s.xeeprom[a] = static_cast<uint8_t>((a * 7 + (a >> 8)) & 0xFF);
  for (int p = 0; p < 2; ++p) {
    s.calEeprom[p].assign(1024, 0xFF);
    for (int a = 0; a < 512; ++a)
      s.calEeprom[p][a] = static_cast<uint8_t>((a * (p ? 13 : 5) + 0x40) & 0xFF);
  }
  s.crcGood = true;
}

void VirtualTransmitter::ApplyPreset(int index) {
  SimTransmitterState& s = state_;
  const auto& r = s.presets.at(index).record;
  const bool ext = caps_.extendedLock;
  const uint8_t care = r[11];
  const uint8_t careExt = ext ? r[15] : 0;
  auto applies = [&](int bit) { return (care & (1 << bit)) == 0; };
  auto appliesExt = [&](int bit, int fallbackBit) {
    return ext ? (careExt & (1 << bit)) == 0 : applies(fallbackBit);
  };

  s.activePreset = static_cast<uint8_t>(index);
  if (applies(0)) {
    const int c = r[12], g = r[13];
    if (g < s.groupCount && c < s.channelCount) {
      s.curGroup = g;
      s.curChannel = c;
      s.curFreqKHz = s.table[g][c].freqKHz;
    }
  }
  if (applies(1)) {
    int gain = static_cast<int8_t>(r[0]);
    if (!caps_.newFamily()) gain = gain / 2 * 2;
    s.gain = static_cast<int8_t>(gain);
  }
  if (appliesExt(1, 1)) s.filter = r[1];
  if (appliesExt(0, 1)) s.preEmphasis = r[2] & 0x0F;
  if (caps_.limiter && appliesExt(2, 1))
    s.displayLimiter = static_cast<uint8_t>((s.displayLimiter & 1) | ((r[2] & 0x10) ? 2 : 0));
  if (caps_.micInput && caps_.modelCode != 4 && caps_.modelCode != 10 && applies(4))
    s.micMode = r[3];
  if (caps_.modelCode != 1 && appliesExt(3, 4)) s.micPhase = r[4];
  if (appliesExt(4, 4)) s.micPTT = r[5];
  if (applies(3)) s.batteryType = r[6];
  if (appliesExt(5, 5)) s.ledLight = std::min<uint8_t>(r[7], 16);
  if (applies(5)) s.ledMode = r[8];
  if (applies(2)) s.rfPower = r[9];
  if (caps_.audioModLpf && ext && applies(7))
    s.modLpf = static_cast<uint8_t>((r[16] ? 0x10 : 0) | (r[17] & 0x03));

  // The preset's lock bits replace the menu locks of the settings it applies.
  for (int bit : {0, 1, 2, 3, 4, 5, 7}) {
    if (bit == 7 && !caps_.audioModLpf) continue;
    if (!applies(bit)) continue;
    s.lockBits = static_cast<uint8_t>((s.lockBits & ~(1 << bit)) | (r[10] & (1 << bit)));
  }
  if (ext) {
    for (int bit = 0; bit <= 5; ++bit) {
      if (careExt & (1 << bit)) continue;
      s.lockBitsExt = static_cast<uint8_t>((s.lockBitsExt & ~(1 << bit)) | (r[14] & (1 << bit)));
    }
  }
}

}  // namespace zentra::sim
