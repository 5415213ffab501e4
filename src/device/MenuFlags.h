// The lock and hidden flags of the transmitter's own user menu: which check boxes each
// model shows and enables, how the boxes map onto the two lock bytes and the two hidden
// bytes, and the reads and writes of those bytes. A set bit means locked or hidden.
#pragma once

#include <array>
#include <cstdint>

namespace zentra {

class Transactor;
struct TDeviceData;

// The lock boxes of the main panels. Byte 1 (lockBits): Tuning..Led bits 0..5, AudioMod
// bit 7. Byte 2 (lockBitsExt): AudioNR..LedLight bits 0..5.
enum class LockBox {
  Tuning, Audio, RFPower, Battery, Mic, Led, AudioMod,
  AudioNR, AudioHPF, AudioLimiter, MicPhase, MicPTT, LedLight,
  Count
};
// The hidden boxes. Byte 1 (hiddenBits): Tuning..Preset bits 0..6, AudioMod bit 7.
// Byte 2 (hiddenBitsExt): AudioNR..MenuInfo bits 0..6.
enum class HiddenBox {
  Tuning, Audio, RFPower, Battery, Mic, Led, Preset, AudioMod,
  AudioNR, AudioHPF, AudioLimiter, MicPhase, MicPTT, LedLight, MenuInfo,
  Count
};
constexpr int kLockBoxCount = static_cast<int>(LockBox::Count);
constexpr int kHiddenBoxCount = static_cast<int>(HiddenBox::Count);

using LockChecks = std::array<bool, kLockBoxCount>;
using HiddenChecks = std::array<bool, kHiddenBoxCount>;

struct BoxState {
  bool enabled = false;
  bool checked = false;
  bool operator==(const BoxState&) const = default;
};

// --- visibility after the model is known ---
struct FlagVisibility {
  std::array<bool, kLockBoxCount> lock{};
  std::array<bool, kHiddenBoxCount> hidden{};
  // Without the extended lock the audio lock box moves up to the first audio row and
  // takes the HPF row's caption.
  bool audioLockOnGainRow = false;  // true: top 70 (own gain row); false: top 8
  bool audioLockLabelVisible = false;
};
FlagVisibility ApplyFlagVisibility(const TDeviceData& data);

// --- enabling and checks after a read ---
struct LockPanel {
  std::array<BoxState, kLockBoxCount> boxes{};
  bool groupLockEnabled = false;
  bool groupHiddenEnabled = false;
  bool groupNameEnabled = true;  // false: models 1 and 2 without group locks disable it
};
// The lock boxes as RefreshLockFlags leaves them (from the bytes in data).
LockPanel LockPanelState(const TDeviceData& data);
// The hidden boxes as RefreshHiddenFlags leaves them. `previous` holds the boxes as they
// were (the microphone box of models 4 and 10 is left as it is).
std::array<BoxState, kHiddenBoxCount> HiddenPanelState(const TDeviceData& data,
                                                        const HiddenChecks& previous = {});

// --- reads and writes ---
// The lock read of the model (models 1 and 2 without group locks: nothing, true).
bool RefreshLockFlags(Transactor& link, TDeviceData& data);
bool SendLockFlags(Transactor& link, TDeviceData& data);
// ReadHiddenFlags for models 3..10 with hidden items; models 1 and 2: nothing, true;
// models 3..10 without hidden items, 0 and above 10: false.
bool RefreshHiddenFlags(Transactor& link, TDeviceData& data);
bool SendHiddenFlags(Transactor& link, TDeviceData& data);

// --- the bit rules of a click on a box ---
// Lock byte 1 from the boxes: bits 0..5 from the boxes, bit 6 kept, bit 7 from the
// modulation box with audioModLpfSupported, else kept.
uint8_t LockBitsFromBoxes(uint8_t current, const LockChecks& boxes, bool audioModLpf);
// Lock byte 2: bits 0..5 from the boxes, bits 6 and 7 kept.
uint8_t LockBitsExtFromBoxes(uint8_t current, const LockChecks& boxes);
// Hidden byte 1: bits 0..6 from the boxes, bit 7 from the modulation box with
// audioModLpfSupported, else 0.
uint8_t HiddenBitsFromBoxes(const HiddenChecks& boxes, bool audioModLpf);
// Hidden byte 2: bits 0..6 from the boxes, bit 7 always 0.
uint8_t HiddenBitsExtFromBoxes(const HiddenChecks& boxes);
// The boxes as the bytes in data say (the put-back of a refused click).
LockChecks LockChecksFromData(const TDeviceData& data);
HiddenChecks HiddenChecksFromData(const TDeviceData& data);

// A click on a lock box: without group locks nothing is stored or sent; otherwise the
// bytes are taken from the boxes and sent (no read-back). Returns true when sent and
// acknowledged.
bool ckLockClick(Transactor& link, TDeviceData& data, const LockChecks& boxes);
// A click on a hidden box: without hidden items nothing; otherwise the bytes from the
// boxes, sent.
bool ckMenuHiddenClick(Transactor& link, TDeviceData& data, const HiddenChecks& boxes);

}  // namespace zentra
