#include "device/MenuFlags.h"

#include "device/CommandSet.h"
#include "device/TDeviceData.h"

namespace zentra {

namespace {

constexpr int I(LockBox b) { return static_cast<int>(b); }
constexpr int I(HiddenBox b) { return static_cast<int>(b); }

// Byte and bit of every lock box: byte 0 = lockBits, 1 = lockBitsExt.
struct BitPlace {
  int byte;
  int bit;
};
constexpr BitPlace kLockPlace[kLockBoxCount] = {
    {0, 0}, {0, 1}, {0, 2}, {0, 3}, {0, 4}, {0, 5}, {0, 7},  // Tuning .. Led, AudioMod
    {1, 0}, {1, 1}, {1, 2}, {1, 3}, {1, 4}, {1, 5},          // AudioNR .. LedLight
};
constexpr BitPlace kHiddenPlace[kHiddenBoxCount] = {
    {0, 0}, {0, 1}, {0, 2}, {0, 3}, {0, 4}, {0, 5}, {0, 6}, {0, 7},  // Tuning .. AudioMod
    {1, 0}, {1, 1}, {1, 2}, {1, 3}, {1, 4}, {1, 5}, {1, 6},          // AudioNR .. MenuInfo
};

constexpr LockBox kBasicLocks[] = {LockBox::Tuning, LockBox::Audio,   LockBox::RFPower,
                                   LockBox::Battery, LockBox::Mic,    LockBox::Led};
constexpr LockBox kExtendedLocks[] = {LockBox::AudioNR,  LockBox::AudioHPF,
                                      LockBox::AudioLimiter, LockBox::MicPhase,
                                      LockBox::MicPTT,   LockBox::LedLight};

bool Bit(uint8_t byte, int bit) { return (byte >> bit) & 1; }

bool LockBit(const TDeviceData& d, LockBox box) {
  const BitPlace p = kLockPlace[I(box)];
  return Bit(p.byte == 0 ? d.lockBits : d.lockBitsExt, p.bit);
}

bool HiddenBit(const TDeviceData& d, HiddenBox box) {
  const BitPlace p = kHiddenPlace[I(box)];
  return Bit(p.byte == 0 ? d.hiddenBits : d.hiddenBitsExt, p.bit);
}

}  // namespace

FlagVisibility ApplyFlagVisibility(const TDeviceData& d) {
  FlagVisibility v;
  for (LockBox b : kBasicLocks) v.lock[I(b)] = true;
  v.lock[I(LockBox::AudioMod)] = d.audioModLpfSupported != 0;
  if (d.extendedLockSupported) {
    for (LockBox b : kExtendedLocks) v.lock[I(b)] = true;
    v.lock[I(LockBox::AudioLimiter)] = d.limiterSupported != 0;
    v.audioLockOnGainRow = true;
    v.audioLockLabelVisible = true;
  }
  if (d.hiddenMenuSupported) {
    for (int i = 0; i < kHiddenBoxCount; ++i) v.hidden[i] = true;
    v.hidden[I(HiddenBox::AudioLimiter)] = d.limiterSupported != 0;
    v.hidden[I(HiddenBox::AudioMod)] = d.audioModLpfSupported != 0;
  }
  v.hidden[I(HiddenBox::MenuInfo)] = d.menuInfoHiddenSupported != 0;
  return v;
}

LockPanel LockPanelState(const TDeviceData& d) {
  LockPanel p;
  auto enableAndSet = [&](LockBox b) { p.boxes[I(b)] = {true, LockBit(d, b)}; };
  const int m = d.modelType;
  if (m == 1 || m == 2) {
    if (!d.groupLockSupported) {
      p.groupNameEnabled = false;
      return p;
    }
    for (LockBox b : kBasicLocks) enableAndSet(b);
    p.groupLockEnabled = true;
    p.groupHiddenEnabled = d.groupHiddenSupported != 0;
    return p;
  }
  if (m < 3 || m > 10) return p;
  p.groupLockEnabled = true;
  p.groupHiddenEnabled = true;
  for (LockBox b : kBasicLocks) enableAndSet(b);
  if (!d.extendedLockSupported) return p;
  for (LockBox b : kExtendedLocks) enableAndSet(b);
  if (m == 4 || m == 10) {
    // Handhelds have no microphone input mode to lock.
    p.boxes[I(LockBox::Mic)] = {};
    // The modulation lock is shown from the byte wherever modulation exists, but only
    // the ZQK230 lets it be changed.
    p.boxes[I(LockBox::AudioMod)] = {m == 10,
                                     d.audioModLpfSupported != 0 && LockBit(d, LockBox::AudioMod)};
  }
  if (!(m >= 7 && m <= 9)) p.boxes[I(LockBox::AudioLimiter)] = {};  // no limiter
  return p;
}

std::array<BoxState, kHiddenBoxCount> HiddenPanelState(const TDeviceData& d,
                                                        const HiddenChecks& previous) {
  std::array<BoxState, kHiddenBoxCount> boxes{};
  const int m = d.modelType;
  if (m < 3 || m > 10 || !d.hiddenMenuSupported) return boxes;
  for (int i = 0; i < kHiddenBoxCount; ++i) {
    if (i == I(HiddenBox::AudioMod)) continue;  // not among the fourteen boxes
    boxes[i] = {true, HiddenBit(d, static_cast<HiddenBox>(i))};
  }
  if (!(m >= 7 && m <= 9)) boxes[I(HiddenBox::AudioLimiter)] = {};
  if (m == 4 || m == 10) {
    boxes[I(HiddenBox::Mic)] = {false, previous[I(HiddenBox::Mic)]};
    if (d.audioModLpfSupported)
      boxes[I(HiddenBox::AudioMod)] = {true, HiddenBit(d, HiddenBox::AudioMod)};
  }
  return boxes;
}

bool RefreshLockFlags(Transactor& link, TDeviceData& data) {
  return CommandSet(link, data).ReadLockBytes();
}

bool SendLockFlags(Transactor& link, TDeviceData& data) {
  return CommandSet(link, data).SendLockBytes();
}

bool RefreshHiddenFlags(Transactor& link, TDeviceData& data) {
  const int m = data.modelType;
  if (m == 1 || m == 2) return true;
  if (m < 3 || m > 10 || !data.hiddenMenuSupported) return false;
  return CommandSet(link, data).ReadHiddenFlags();
}

bool SendHiddenFlags(Transactor& link, TDeviceData& data) {
  return CommandSet(link, data).WriteHiddenFlags();
}

uint8_t LockBitsFromBoxes(uint8_t current, const LockChecks& boxes, bool audioModLpf) {
  uint8_t bits = current & 0xC0;
  for (LockBox b : kBasicLocks)
    if (boxes[I(b)]) bits |= 1u << kLockPlace[I(b)].bit;
  if (audioModLpf) {
    bits &= 0x7F;
    if (boxes[I(LockBox::AudioMod)]) bits |= 0x80;
  }
  return bits;
}

uint8_t LockBitsExtFromBoxes(uint8_t current, const LockChecks& boxes) {
  uint8_t bits = current & 0xC0;
  for (LockBox b : kExtendedLocks)
    if (boxes[I(b)]) bits |= 1u << kLockPlace[I(b)].bit;
  return bits;
}

uint8_t HiddenBitsFromBoxes(const HiddenChecks& boxes, bool audioModLpf) {
  uint8_t bits = 0;
  for (int i = I(HiddenBox::Tuning); i <= I(HiddenBox::Preset); ++i)
    if (boxes[i]) bits |= 1u << kHiddenPlace[i].bit;
  if (audioModLpf && boxes[I(HiddenBox::AudioMod)]) bits |= 0x80;
  return bits;
}

uint8_t HiddenBitsExtFromBoxes(const HiddenChecks& boxes) {
  uint8_t bits = 0;
  for (int i = I(HiddenBox::AudioNR); i <= I(HiddenBox::MenuInfo); ++i)
    if (boxes[i]) bits |= 1u << kHiddenPlace[i].bit;
  return bits;
}

LockChecks LockChecksFromData(const TDeviceData& data) {
  LockChecks c{};
  for (int i = 0; i < kLockBoxCount; ++i) c[i] = LockBit(data, static_cast<LockBox>(i));
  return c;
}

HiddenChecks HiddenChecksFromData(const TDeviceData& data) {
  HiddenChecks c{};
  for (int i = 0; i < kHiddenBoxCount; ++i) c[i] = HiddenBit(data, static_cast<HiddenBox>(i));
  return c;
}

bool ckLockClick(Transactor& link, TDeviceData& data, const LockChecks& boxes) {
  if (!data.groupLockSupported) return false;
  if (data.extendedLockSupported) data.lockBitsExt = LockBitsExtFromBoxes(data.lockBitsExt, boxes);
  data.lockBits = LockBitsFromBoxes(data.lockBits, boxes, data.audioModLpfSupported != 0);
  // The menu lock bytes only: group flags ticked but not saved wait for the group save.
  return CommandSet(link, data).SendMenuLockBytes();
}

bool ckMenuHiddenClick(Transactor& link, TDeviceData& data, const HiddenChecks& boxes) {
  if (!data.hiddenMenuSupported) return false;
  data.hiddenBits = HiddenBitsFromBoxes(boxes, data.audioModLpfSupported != 0);
  data.hiddenBitsExt = HiddenBitsExtFromBoxes(boxes);
  return SendHiddenFlags(link, data);
}

}  // namespace zentra
