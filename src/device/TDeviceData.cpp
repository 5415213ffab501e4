#include "device/TDeviceData.h"

#include <cstring>

namespace zentra {

namespace {

std::string CutAtZero(const char* bytes, size_t size) {
  const void* zero = std::memchr(bytes, 0, size);
  size_t n = zero ? static_cast<size_t>(static_cast<const char*>(zero) - bytes) : size;
  return std::string(bytes, n);
}

}  // namespace

void TDeviceData::ResetDeviceData() {
  modelType = 0;
  idText.fill(0);
  serialText.fill(0);
  channelCount = 0;
  groupCount = 0;
  freqMinMHz = 0;
  freqMaxMHz = 0;
  stepHz = 0;
  audioGain = 0;
  audioGainRead = 0;
  curChannel = kNotRead;
  curGroup = kNotRead;
  audioFilter = kNotRead;
  audioDisplay = kNotRead;
  preEmphasis = kNotRead;
  micMode = kNotRead;
  micPhase = kNotRead;
  micPTT = kNotRead;
  batteryType = kNotRead;
  batteryLevel = 0;
  rfPower = kNotRead;
  ledLight = kNotRead;
  ledMode = kNotRead;
  presetCount = 0;
  presetIndex = 0xFF;
  pttSupported = 0;
  pttMode3Supported = 0;
  groupLockSupported = 0;
  groupHiddenSupported = 0;
  channelFlagsSupported = 0;
  syncSupported = 0;
  groupNamesSupported = 0;
  micVariant = 0;
  presetsSupported = 0;
  bandPlanSupported = 0;
  rfLevelsRead = 0;
  rfLevelCount = 0;
  for (auto& name : rfLevelNames) name.clear();
  rfLevelValues.fill(0);
  bandCount = 0;
  bandEdgeMHz.fill(0);
  bandEdgeKHz.fill(0);
  bandAllowed.fill(0);
  optionsSupported = 0;
  infoText.clear();
  for (auto& text : optionTexts) text.clear();
  txNameSupported = 0;
  txName.clear();
  extendedLockSupported = 0;
  bootVersionSupported = 0;
  bootVersion.clear();
  hiddenMenuSupported = 0;
  lockBits = 0;
  groupLockMask.fill(0);
  groupHiddenMask.fill(0);
  locksRead = 0;
  heldGroupLockMask.fill(0);
  heldGroupHiddenMask.fill(0);
  txNameLength = 0;
}

void TDeviceData::ForgetSettings() {
  audioGain = 0;
  audioGainRead = 0;
  curChannel = kNotRead;
  curGroup = kNotRead;
  curFreqKHz = 0;
  audioFilter = kNotRead;
  audioDisplay = kNotRead;
  audioLimiter = 0;
  preEmphasis = kNotRead;
  micMode = kNotRead;
  micPhase = kNotRead;
  micPTT = kNotRead;
  batteryType = kNotRead;
  batteryLevel = 0;
  rfPower = kNotRead;
  ledLight = kNotRead;
  ledMode = kNotRead;
  audioMod = 0;
  audioLpf = 0;
  rfLevelCount = 0;
  for (auto& name : rfLevelNames) name.clear();
  rfLevelValues.fill(0);
  powerSetting = 0;
  txName.clear();
  bootVersion.clear();
  lockBits = 0;
  lockBitsExt = 0;
  hiddenBits = 0;
  hiddenBitsExt = 0;
  groupLockMask.fill(0);
  groupHiddenMask.fill(0);
  locksRead = 0;
  heldGroupLockMask.fill(0);
  heldGroupHiddenMask.fill(0);
}

std::string TDeviceData::IdText() const { return CutAtZero(idText.data(), idText.size()); }

std::string TDeviceData::SerialText() const {
  return CutAtZero(serialText.data(), serialText.size());
}

int TDeviceData::GroupBound() const {
  // The SYNC pseudo-group and anything after it carry no group bits.
  int bound = syncSupported ? syncGroup : groupCount;
  return bound < kMaxGroups ? bound : kMaxGroups;
}

void TDeviceData::SetGroupLock(int group, bool on) {
  if (group < 0 || group >= GroupBound()) return;
  uint8_t bit = static_cast<uint8_t>(1u << (group % 8));
  if (on)
    groupLockMask[group / 8] |= bit;
  else
    groupLockMask[group / 8] &= static_cast<uint8_t>(~bit);
}

void TDeviceData::SetGroupHidden(int group, bool on) {
  if (group < 0 || group >= GroupBound()) return;
  uint8_t bit = static_cast<uint8_t>(1u << (group % 8));
  if (on)
    groupHiddenMask[group / 8] |= bit;
  else
    groupHiddenMask[group / 8] &= static_cast<uint8_t>(~bit);
}

bool TDeviceData::IsGroupLocked(int group) const {
  if (group < 0 || group >= GroupBound()) return false;
  return (groupLockMask[group / 8] >> (group % 8)) & 1;
}

bool TDeviceData::IsGroupHidden(int group) const {
  if (group < 0 || group >= GroupBound()) return false;
  return (groupHiddenMask[group / 8] >> (group % 8)) & 1;
}

bool TDeviceData::AllGroupsHidden() const {
  for (uint8_t b : groupHiddenMask)
    if (b != 0xFF) return false;
  return true;
}

bool TDeviceData::EveryGroupHidden() const {
  if (AllGroupsHidden()) return true;
  const int bound = GroupBound();
  if (bound <= 0) return false;
  for (int g = 0; g < bound; ++g)
    if (!IsGroupHidden(g)) return false;
  return true;
}

bool TDeviceData::IsFrequencyAllowed(int32_t freqKHz) const {
  if (freqKHz < 0) return false;
  int32_t m = freqKHz / 1000;
  int32_t k = freqKHz % 1000;
  if (m < freqMinMHz || m > freqMaxMHz || (m == freqMaxMHz && k > 0)) return false;
  int count = bandCount < 0 ? 0 : (bandCount > kMaxBands ? kMaxBands : bandCount);
  for (int i = 0; i < count; ++i) {
    if (m < bandEdgeMHz[i] || (m == bandEdgeMHz[i] && k <= bandEdgeKHz[i]))
      return bandAllowed[i] != 0;
  }
  return true;  // above the last sub-band edge, or no sub-band table
}

// ---- preset value checks ----

namespace {
bool In(int v, int lo, int hi) { return v >= lo && v <= hi; }
bool OneOf(int code, std::initializer_list<int> codes) {
  for (int c : codes)
    if (c == code) return true;
  return false;
}
}  // namespace

bool CheckPresetGain(int modelType, int value) {
  if (OneOf(modelType, {2, 3, 6})) return In(value, -40, 40);
  if (OneOf(modelType, {5, 7, 8, 9})) return In(value, -60, 40);
  return In(value, -20, 40);
}

bool CheckPresetFilter(int modelType, int value) {
  return In(modelType, 3, 10) ? In(value, 0, 6) : In(value, 0, 4);
}

bool CheckPresetPreEmphasis(int modelType, int value) {
  return In(modelType, 3, 10) ? In(value, 0, 1) : value == 0;
}

bool CheckPresetLimiter(int modelType, int value) {
  return OneOf(modelType, {7, 8, 9}) && In(value, 0, 1);
}

bool CheckPresetAudioModLpf(int modelType, int modulation, int lowPass) {
  if (modelType != 10) return false;
  if (!In(modulation, 0, 1) || !In(lowPass, 0, 2)) return false;
  return lowPass != 2 || modulation == 1;  // 20 kHz low-pass only with wide modulation
}

bool CheckPresetMicMode(int modelType, int micVariant, int value) {
  if (OneOf(modelType, {3, 7, 8})) return In(value, 0, 4);
  if (OneOf(modelType, {5, 9})) return In(value, 0, 2);
  if (modelType == 6) return In(value, 0, 1);
  if (modelType == 2) {
    if (micVariant == 1) return In(value, 0, 3);
    if (micVariant == 2) return In(value, 0, 1);
    return In(value, 0, 2);
  }
  return value == 0;  // codes 0, 1, 4, 10 and unknown codes
}

bool CheckPresetMicPTT(int modelType, int micVariant, int value) {
  // These models offer only the two PTT values "on" (0) and "off" (3).
  if (modelType == 6 || (modelType == 2 && (micVariant == 1 || micVariant == 2)))
    return value == 0 || value == 3;
  return In(value, 0, 3);
}

bool CheckPresetBatteryType(int modelType, bool batteryType3Supported, int value) {
  if (modelType == 5 || modelType == 9) return In(value, 0, 2);
  if (modelType == 0 || modelType > 10) return In(value, 0, 1);
  return batteryType3Supported ? In(value, 0, 2) : In(value, 0, 1);
}

bool CheckPresetRFPower(int /*modelType*/, int value) { return In(value, 0, 1); }

bool CheckPresetLockByte(int /*modelType*/, int /*value*/) { return true; }

}  // namespace zentra
