#include "device/CommandSet.h"

#include <algorithm>
#include <cstring>

#include "device/ModelTable.h"

namespace zentra {

namespace {

// Command codes (the byte after 'M').
enum : uint8_t {
  kReadDeviceId = 'I',
  kReadSerialNumber = 'N',
  kReadTuningRange = 'R',
  kReadTuningStep = 's',
  kReadTableSize = 'n',
  kReadFrequency = 'F',
  kReadGroupChannel = 'C',
  kWriteGroupChannel = 0xC3,
  kReadBandSegmentCount = 'Q',
  kReadBandSegment = 'V',
  kReadChannelFrequency = '<',
  kWriteChannelFrequency = '>',
  kReadChannelFlags = ',',
  kWriteChannelFlags = '.',
  kReadGroupName = ':',
  kWriteGroupName = ';',
  kReadSyncGroupName = 'J',
  kWriteSyncGroupName = 'K',
  kReadAudio = 'A',
  kReadAudioEx = 'D',
  kWriteAudio = 0xC1,
  kWriteAudioEx = 0xC4,
  kReadMic = 'M',
  kWriteMic = 0xCD,
  kReadBattery = 'B',
  kWriteBatteryType = 0xC2,
  kReadRfPower = 'P',
  kWriteRfPower = 0xD0,
  kReadRfPowerLevelCount = 'W',
  kReadRfPowerLevel = 'T',
  kReadPowerSetting = 0x27,
  kReadLed = 'L',
  kWriteLed = 0xCC,
  kReadOption = 'b',
  kReadInfoText = 'a',
  kReadTxName = 'e',
  kWriteTxName = 'f',
  kReadBootVersion = 'i',
  kReadLocks = 'l',
  kReadLocksEx = 'k',
  kWriteLocks = 0xDC,
  kWriteLocksEx = 0xDB,
  kReadHiddenFlags = 0xD1,
  kWriteHiddenFlags = 0xD3,
  kReadPresetInfo = '(',
  kReadPresetName = '8',
  kWritePresetName = 'H',
  kReadPreset = 'X',
  kWritePreset = 'h',
  kActivatePreset = 'x',
};

constexpr int kGroupNameLength = 8;
constexpr int kSyncNameLength = 12;
constexpr int kPresetNameLength = 8;

// A received text field, kept up to its first zero byte.
std::string TextField(const uint8_t* bytes, size_t size) {
  const void* zero = std::memchr(bytes, 0, size);
  size_t n = zero ? static_cast<size_t>(static_cast<const uint8_t*>(zero) - bytes) : size;
  return std::string(reinterpret_cast<const char*>(bytes), n);
}

uint16_t Be16(const uint8_t* p) { return static_cast<uint16_t>((p[0] << 8) | p[1]); }

uint32_t Be32(const uint8_t* p) {
  return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
         (static_cast<uint32_t>(p[2]) << 8) | p[3];
}

void PutBe32(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v >> 24);
  p[1] = static_cast<uint8_t>(v >> 16);
  p[2] = static_cast<uint8_t>(v >> 8);
  p[3] = static_cast<uint8_t>(v);
}

// Channel, group and preset numbers travel as one unsigned byte; anything else (a
// "not read" -1, for instance) is refused rather than sent as a different number.
bool IsByte(int v) { return v >= 0 && v <= 0xFF; }

uint8_t B(int v) { return static_cast<uint8_t>(v); }

// A text field as transmitters hold it: printable ASCII, padded with zero bytes, or
// erased memory (0xFF). Other bytes are a garbled reply.
bool TextBytes(const uint8_t* p, int n) {
  for (int i = 0; i < n; ++i)
    if ((p[i] < 0x20 || p[i] > 0x7E) && p[i] != 0 && p[i] != 0xFF) return false;
  return true;
}

// The widest ranges of any model's setting lists: a value outside them is no
// setting a transmitter can hold.
constexpr int kMaxFilterIndex = 6;
constexpr int kMaxMicModeIndex = 4;
constexpr int kMaxPttValue = 3;
constexpr int kMaxBatteryIndex = 2;
constexpr int kMaxLedLight = 16;
constexpr int kMaxLedMode = 2;
constexpr int kMaxRfPowerIndex = 6;
constexpr int kMinGain = -60, kMaxGain = 60;

bool GainByte(uint8_t b) {
  const int g = static_cast<int8_t>(b);
  return g >= kMinGain && g <= kMaxGain;
}

}  // namespace

int PresetRecordLength(const TDeviceData& data) {
  if (data.extendedLockSupported) return data.audioModLpfSupported ? 18 : 16;
  return 14;
}

std::string CleanTextField(const std::string& text, size_t length) {
  std::string out(length, '\0');
  size_t n = std::min(text.size(), length);
  for (size_t i = 0; i < n; ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    out[i] = (c < 0x20 || c > 0x7E) ? ' ' : static_cast<char>(c);
  }
  return out;
}

CommandSet::CommandSet(Transactor& link, TDeviceData& data) : link_(link), data_(data) {}

bool CommandSet::Exchange(const uint8_t* request, int length, uint8_t* response, uint8_t& n) {
  n = 0;
  return link_.Transact(request, static_cast<uint8_t>(length), response, n);
}

bool CommandSet::Read(const uint8_t* request, int length, int answer, uint8_t* response,
                      const Plausible& plausible) {
  uint8_t n = 0;
  if (!Exchange(request, length, response, n) || !Expect(n == answer)) return false;
  if (!plausible || plausible(response)) return true;
  // A value no transmitter holds is most likely a garbled reply: a fault, and the value
  // is read again (confirmed from here on). The second answer is taken when it makes
  // sense or says the same as the first (a transmitter may hold an odd value after all).
  NoteFault(link_);
  uint8_t again[kMaxResponse];
  if (!Exchange(request, length, again, n) || !Expect(n == answer)) return false;
  const bool same = std::memcmp(again, response, static_cast<size_t>(answer)) == 0;
  std::memcpy(response, again, static_cast<size_t>(answer));
  return same || plausible(response);
}

bool CommandSet::Write(const uint8_t* request, int length) {
  uint8_t r[kMaxResponse] = {};
  uint8_t n = 0;
  if (!Exchange(request, length, r, n)) return false;
  return Expect(n == 3 && r[2] == kAck);
}

bool CommandSet::Expect(bool plausible) {
  // An answer of the wrong shape or with an impossible value is a fault of the link as
  // much as a lost one: from here on the reads of the operation are confirmed.
  if (!plausible) NoteFault(link_);
  return plausible;
}

// ---------------------------------------------------------------- identity and tuning

bool CommandSet::ReadDeviceId() {
  const uint8_t q[] = {kCommandLead, kReadDeviceId};
  uint8_t r[kMaxResponse];
  if (!Read(q, 2, 18, r, [](const uint8_t* a) { return TextBytes(a + 2, 16); })) return false;
  std::memcpy(data_.idText.data(), r + 2, data_.idText.size());
  return true;
}

bool CommandSet::ReadSerialNumber() {
  const uint8_t q[] = {kCommandLead, kReadSerialNumber};
  uint8_t r[kMaxResponse];
  if (!Read(q, 2, 12, r, [](const uint8_t* a) { return TextBytes(a + 2, 10); })) return false;
  std::memcpy(data_.serialText.data(), r + 2, data_.serialText.size());
  return true;
}

bool CommandSet::ReadTuningRange() {
  const uint8_t q[] = {kCommandLead, kReadTuningRange};
  uint8_t r[kMaxResponse];
  if (!Read(q, 2, 6, r, [](const uint8_t* a) { return Be16(a + 2) < Be16(a + 4); })) return false;
  data_.freqMinMHz = Be16(r + 2);
  data_.freqMaxMHz = Be16(r + 4);
  return true;
}

bool CommandSet::ReadTuningStep() {
  const uint8_t q[] = {kCommandLead, kReadTuningStep};
  uint8_t r[kMaxResponse];
  if (!Read(q, 2, 4, r, [](const uint8_t* a) { return Be16(a + 2) > 0; })) return false;
  data_.stepHz = Be16(r + 2) * 100;
  return true;
}

bool CommandSet::ReadTableSize() {
  const uint8_t q[] = {kCommandLead, kReadTableSize};
  uint8_t r[kMaxResponse];
  if (!Read(q, 2, 4, r)) return false;
  // The counts are signed bytes; a negative count is no table size at all.
  if (!Expect(r[2] < 0x80 && r[3] < 0x80)) return false;
  data_.channelCount = std::min<int>(r[2], kMaxChannels);
  data_.groupCount = std::min<int>(r[3], kMaxGroups);
  if (data_.syncSupported) data_.syncGroup = data_.groupCount;
  return true;
}

bool CommandSet::ReadFrequency() {
  const uint8_t q[] = {kCommandLead, kReadFrequency};
  uint8_t r[kMaxResponse];
  // The tuned frequency lies within the tuning range (once that is known).
  const auto inRange = [this](const uint8_t* a) {
    const int64_t f = Be32(a + 2);
    return data_.freqMaxMHz <= 0 ||
           (f >= int64_t{data_.freqMinMHz} * 1000 && f <= int64_t{data_.freqMaxMHz} * 1000);
  };
  if (!Read(q, 2, 6, r, inRange)) return false;
  data_.curFreqKHz = static_cast<int32_t>(Be32(r + 2));
  return true;
}

bool CommandSet::ReadGroupChannel() {
  const uint8_t q[] = {kCommandLead, kReadGroupChannel};
  uint8_t r[kMaxResponse];
  // Within the table (once its size is known); the sync group follows the groups.
  const auto inTable = [this](const uint8_t* a) {
    return data_.channelCount <= 0 ||
           (a[2] < data_.channelCount && a[3] <= data_.groupCount);
  };
  if (!Read(q, 2, 4, r, inTable)) return false;
  data_.curChannel = r[2];
  data_.curGroup = r[3];
  return true;
}

bool CommandSet::WriteGroupChannel(int channel, int group) {
  if (!IsByte(channel) || !IsByte(group)) return false;
  const uint8_t q[] = {kCommandLead, kWriteGroupChannel, B(channel), B(group)};
  return Write(q, 4);
}

bool CommandSet::ReadBandSegmentCount() {
  const uint8_t q[] = {kCommandLead, kReadBandSegmentCount};
  uint8_t r[kMaxResponse];
  if (!Read(q, 2, 3, r)) return false;
  int count = static_cast<int8_t>(r[2]);
  if (!Expect(count >= 0 && count <= 15)) {
    data_.bandCount = 0;  // no usable table
    return false;
  }
  data_.bandCount = count;
  return true;
}

bool CommandSet::ReadBandSegment(int index) {
  if (index < 0 || index >= kMaxBands) return false;
  const uint8_t q[] = {kCommandLead, kReadBandSegment, B(index)};
  uint8_t r[kMaxResponse];
  // An edge lies within the tuning range (once it is known); its kHz part below 1000.
  const auto plausible = [this](const uint8_t* a) {
    const int mhz = Be16(a + 2);
    return Be16(a + 4) < 1000 &&
           (data_.freqMaxMHz <= 0 || (mhz >= data_.freqMinMHz && mhz <= data_.freqMaxMHz + 1));
  };
  if (!Read(q, 3, 7, r, plausible)) return false;
  data_.bandEdgeMHz[index] = Be16(r + 2);
  data_.bandEdgeKHz[index] = Be16(r + 4);
  data_.bandAllowed[index] = r[6];
  return true;
}

bool CommandSet::ReadBandTable() {
  if (!ReadBandSegmentCount()) return false;
  for (int i = 0; i < data_.bandCount; ++i)
    if (!ReadBandSegment(i)) return false;
  return true;
}

// ---------------------------------------------------------------- frequency table

bool CommandSet::ReadChannelFrequency(int channel, int group, int32_t& freqKHz) {
  if (!IsByte(channel) || !IsByte(group)) return false;
  const uint8_t q[] = {kCommandLead, kReadChannelFrequency, B(channel), B(group)};
  uint8_t r[kMaxResponse];
  if (!Read(q, 4, 6, r)) return false;
  freqKHz = static_cast<int32_t>(Be32(r + 2));
  return true;
}

bool CommandSet::WriteChannelFrequency(int channel, int group, int32_t freqKHz) {
  if (!IsByte(channel) || !IsByte(group)) return false;
  uint8_t q[8] = {kCommandLead, kWriteChannelFrequency, B(channel), B(group)};
  PutBe32(q + 4, static_cast<uint32_t>(freqKHz));
  return Write(q, 8);
}

bool CommandSet::ReadChannelFlags(int channel, int group, bool& locked, bool& hidden) {
  if (!IsByte(channel) || !IsByte(group)) return false;
  const uint8_t q[] = {kCommandLead, kReadChannelFlags, B(channel), B(group)};
  uint8_t r[kMaxResponse];
  if (!Read(q, 4, 3, r)) return false;
  locked = (r[2] & 1) != 0;
  hidden = (r[2] & 2) != 0;
  return true;
}

bool CommandSet::WriteChannelFlags(int channel, int group, bool locked, bool hidden) {
  if (!IsByte(channel) || !IsByte(group)) return false;
  const uint8_t flags = static_cast<uint8_t>((locked ? 1 : 0) | (hidden ? 2 : 0));
  const uint8_t q[] = {kCommandLead, kWriteChannelFlags, B(channel), B(group), flags};
  return Write(q, 5);
}

bool CommandSet::ReadGroupName(int group, std::string& name) {
  if (!IsByte(group)) return false;
  const uint8_t q[] = {kCommandLead, kReadGroupName, B(group)};
  uint8_t r[kMaxResponse];
  if (!Read(q, 3, 2 + kGroupNameLength, r,
            [](const uint8_t* a) { return TextBytes(a + 2, kGroupNameLength); }))
    return false;
  name = TextField(r + 2, kGroupNameLength);
  return true;
}

bool CommandSet::WriteGroupName(int group, const std::string& name) {
  if (!IsByte(group)) return false;
  uint8_t q[3 + kGroupNameLength] = {kCommandLead, kWriteGroupName, B(group)};
  std::string field = CleanTextField(name, kGroupNameLength);
  std::memcpy(q + 3, field.data(), kGroupNameLength);
  return Write(q, sizeof q);
}

bool CommandSet::ReadSyncGroupName(std::string& name) {
  const uint8_t q[] = {kCommandLead, kReadSyncGroupName};
  uint8_t r[kMaxResponse];
  if (!Read(q, 2, 2 + kSyncNameLength, r,
            [](const uint8_t* a) { return TextBytes(a + 2, kSyncNameLength); }))
    return false;
  name = TextField(r + 2, kSyncNameLength);
  return true;
}

bool CommandSet::WriteSyncGroupName(const std::string& name) {
  uint8_t q[2 + kSyncNameLength] = {kCommandLead, kWriteSyncGroupName};
  std::string field = CleanTextField(name, kSyncNameLength);
  std::memcpy(q + 2, field.data(), kSyncNameLength);
  return Write(q, sizeof q);
}

// ---------------------------------------------------------------- settings

bool CommandSet::ReadAudio() {
  const uint8_t q[] = {kCommandLead, kReadAudio};
  uint8_t r[kMaxResponse];
  if (!Read(q, 2, 4, r,
            [](const uint8_t* a) { return GainByte(a[2]) && a[3] <= kMaxFilterIndex; }))
    return false;
  data_.audioGain = static_cast<int8_t>(r[2]);
  data_.audioGainRead = 1;
  data_.audioFilter = r[3];
  return true;
}

bool CommandSet::ReadAudioEx() {
  const uint8_t q[] = {kCommandLead, kReadAudioEx};
  uint8_t r[kMaxResponse];
  const auto plausible = [this](const uint8_t* a) {
    return GainByte(a[2]) && a[3] <= kMaxFilterIndex && a[4] <= 3 && a[5] <= 15 &&
           (!data_.audioModLpfSupported || ((a[6] & ~0x13) == 0 && (a[6] & 0x03) <= 2));
  };
  if (!Read(q, 2, 7, r, plausible)) return false;
  data_.audioGain = static_cast<int8_t>(r[2]);
  data_.audioGainRead = 1;
  data_.audioFilter = r[3];
  if (data_.limiterSupported) {
    data_.audioDisplay = r[4] & 1;
    data_.audioLimiter = (r[4] >> 1) & 1;
  } else {
    data_.audioDisplay = r[4];
  }
  data_.preEmphasis = r[5];
  if (data_.audioModLpfSupported) {
    data_.audioLpf = r[6] & 0x03;
    data_.audioMod = (r[6] & 0x10) ? 1 : 0;
  }
  return true;
}

bool CommandSet::WriteAudio(int gain, int filter) {
  const uint8_t q[] = {kCommandLead, kWriteAudio, B(gain), B(filter)};
  return Write(q, 4);
}

bool CommandSet::WriteAudioEx(int gain, int filter, uint8_t displayLimiter, int preEmphasis,
                              uint8_t modLpf) {
  const uint8_t q[] = {kCommandLead, kWriteAudioEx, B(gain),  B(filter),
                       displayLimiter, B(preEmphasis), modLpf};
  return Write(q, 7);
}

uint8_t CommandSet::DisplayLimiterByte(int display, bool limiter) const {
  if (data_.limiterSupported)
    return static_cast<uint8_t>((display != 0 ? 1 : 0) | (limiter ? 2 : 0));
  return B(display);
}

uint8_t CommandSet::ModLpfByte(int modulation, int lowPass) const {
  if (!data_.audioModLpfSupported) return 0;
  return static_cast<uint8_t>((lowPass & 0x03) | (modulation != 0 ? 0x10 : 0));
}

bool CommandSet::ReadMic() {
  const uint8_t q[] = {kCommandLead, kReadMic};
  uint8_t r[kMaxResponse];
  if (data_.modelType == 1) {
    if (!Read(q, 2, 3, r, [](const uint8_t* a) { return a[2] <= kMaxPttValue; })) return false;
    data_.micPTT = r[2];
    return true;
  }
  const bool handheld = data_.modelType == 4 || data_.modelType == 10;
  const auto plausible = [handheld](const uint8_t* a) {
    return (handheld || a[2] <= kMaxMicModeIndex) && a[3] <= 1 && a[4] <= kMaxPttValue;
  };
  if (!Read(q, 2, 5, r, plausible)) return false;
  // The handhelds answer a mode byte too, but have no microphone input whose mode could
  // be chosen: keeping it would shape the LED list and the PTT mapping after a mode the
  // transmitter does not have.
  if (data_.modelType != 4 && data_.modelType != 10) data_.micMode = r[2];
  data_.micPhase = r[3];
  data_.micPTT = r[4];
  return true;
}

bool CommandSet::WriteMic(int mode, int phase, int pttValue, CommandMessage* message) {
  const int model = data_.modelType;
  if (model == 1) {
    if (!data_.pttSupported) {
      if (message) *message = CommandMessage{"ERROR", "PTT mode not supported!"};
      return false;
    }
    const uint8_t q[] = {kCommandLead, kWriteMic, B(pttValue)};
    return Write(q, 3);
  }
  if (model < 2 || model > 10) return false;
  // The handhelds have no microphone input; their mode byte is always 0.
  const uint8_t modeByte = (model == 4 || model == 10) ? 0 : B(mode);
  const uint8_t q[] = {kCommandLead, kWriteMic, modeByte, B(phase), B(pttValue)};
  return Write(q, 5);
}

bool CommandSet::ReadBattery() {
  const uint8_t q[] = {kCommandLead, kReadBattery};
  uint8_t r[kMaxResponse];
  if (!Read(q, 2, 4, r, [](const uint8_t* a) { return a[2] <= kMaxBatteryIndex; })) return false;
  data_.batteryType = r[2];
  data_.batteryLevel = r[3];
  return true;
}

bool CommandSet::WriteBatteryType(int type) {
  const uint8_t q[] = {kCommandLead, kWriteBatteryType, B(type)};
  return Write(q, 3);
}

bool CommandSet::ReadRfPower() {
  const uint8_t q[] = {kCommandLead, kReadRfPower};
  uint8_t r[kMaxResponse];
  if (!Read(q, 2, 3, r, [](const uint8_t* a) { return a[2] <= kMaxRfPowerIndex; })) return false;
  data_.rfPower = r[2];
  return true;
}

bool CommandSet::WriteRfPower(int index) {
  const uint8_t q[] = {kCommandLead, kWriteRfPower, B(index)};
  return Write(q, 3);
}

bool CommandSet::ReadRfPowerLevelCount() {
  const uint8_t q[] = {kCommandLead, kReadRfPowerLevelCount};
  uint8_t r[kMaxResponse];
  if (!Read(q, 2, 3, r)) return false;
  int count = static_cast<int8_t>(r[2]);
  if (!Expect(count >= 1 && count <= 7)) {
    data_.rfLevelCount = 1;  // the power list keeps one usable entry
    return false;
  }
  data_.rfLevelCount = count;
  return true;
}

bool CommandSet::ReadRfPowerLevel(int index) {
  if (index < 0 || index >= kMaxRfLevels) return false;
  const uint8_t q[] = {kCommandLead, kReadRfPowerLevel, B(index)};
  uint8_t r[kMaxResponse];
  if (!Read(q, 3, 6, r)) return false;
  data_.rfLevelNames[index] = TextField(r + 2, 3) + " mW";
  data_.rfLevelValues[index] = static_cast<int8_t>(r[5]);
  return true;
}

bool CommandSet::ReadPowerSetting() {
  const uint8_t q[] = {kCommandLead, kReadPowerSetting};
  uint8_t r[kMaxResponse];
  if (!Read(q, 2, 3, r)) return false;
  data_.powerSetting = r[2];
  return true;
}

bool CommandSet::ReadLed() {
  const uint8_t q[] = {kCommandLead, kReadLed};
  uint8_t r[kMaxResponse];
  if (!Read(q, 2, 4, r,
            [](const uint8_t* a) { return a[2] <= kMaxLedLight && a[3] <= kMaxLedMode; }))
    return false;
  data_.ledLight = r[2];
  data_.ledMode = r[3];
  return true;
}

bool CommandSet::WriteLed(int light, int mode) {
  const uint8_t q[] = {kCommandLead, kWriteLed, B(light), B(mode)};
  return Write(q, 4);
}

bool CommandSet::ReadOption(int index) {
  if (index < 0 || index >= kOptionCount) return false;
  const uint8_t q[] = {kCommandLead, kReadOption, B(index)};
  uint8_t r[kMaxResponse];
  if (!Read(q, 3, 6, r)) return false;
  data_.optionTexts[index] = TextField(r + 3, 3);
  return true;
}

bool CommandSet::ReadOptionTexts() {
  for (int i = 0; i < kOptionCount; ++i)
    if (!ReadOption(i)) return false;
  return true;
}

bool CommandSet::ReadInfoText() {
  const uint8_t q[] = {kCommandLead, kReadInfoText};
  uint8_t r[kMaxResponse];
  if (!Read(q, 2, 12, r)) return false;
  data_.infoText = TextField(r + 2, 10);
  return true;
}

bool CommandSet::ReadTxName() {
  const int len = data_.txNameLength;
  if (len != 8 && len != 12) return false;
  const uint8_t q[] = {kCommandLead, kReadTxName};
  uint8_t r[kMaxResponse];
  if (!Read(q, 2, len + 2, r)) return false;
  // An unnamed transmitter answers with erased memory; show that as blanks.
  if (r[2] < 0x20 || r[2] >= 0x80)
    data_.txName.assign(static_cast<size_t>(len), ' ');
  else
    data_.txName = TextField(r + 2, static_cast<size_t>(len));
  return true;
}

bool CommandSet::WriteTxName(const std::string& name) {
  const bool ok = SendTxName(name);
  if (ok) ReadTxName();
  return ok;
}

bool CommandSet::SendTxName(const std::string& name) {
  const int len = data_.txNameLength;
  if (len != 8 && len != 12) return false;
  data_.txName.clear();
  uint8_t q[2 + 12] = {kCommandLead, kWriteTxName};
  std::memcpy(q + 2, name.data(), std::min(name.size(), static_cast<size_t>(len)));
  uint8_t r[kMaxResponse] = {};
  uint8_t n = 0;
  bool ok = Exchange(q, len + 2, r, n);
  // The 12-character name is answered with a 14-byte echo, the 8-character one with ACK.
  return ok && Expect(len == 12 ? n == 14 : (n == 3 && r[2] == kAck));
}

bool CommandSet::ReadBootVersion() {
  // 12 bytes from address 0xF414, where the boot loader keeps its version text.
  const uint8_t q[] = {kCommandLead, kReadBootVersion, 0x0C, 0xF4, 0x14};
  uint8_t r[kMaxResponse];
  if (!Read(q, 5, 17, r)) return false;
  data_.bootVersion = TextField(r + 5, 12);
  return true;
}

// ---------------------------------------------------------------- locks and hidden items

bool CommandSet::ReadLocks() {
  if (!IsOldFamily(data_.modelType)) return false;
  const uint8_t q[] = {kCommandLead, kReadLocks};
  uint8_t r[kMaxResponse];
  if (!Read(q, 2, 4, r)) return false;
  data_.lockBits = r[2];
  data_.groupLockMask[0] = r[3];
  data_.locksRead = 1;
  HoldGroupMasks();
  return true;
}

bool CommandSet::ReadLocksEx() {
  const uint8_t q[] = {kCommandLead, kReadLocksEx};
  uint8_t r[kMaxResponse];
  if (IsOldFamily(data_.modelType)) {
    // The old models carry only groups 0..7 on the link.
    if (!Read(q, 2, 5, r)) return false;
    data_.lockBits = r[2];
    data_.groupLockMask[0] = r[3];
    data_.groupHiddenMask[0] = r[4];
    data_.locksRead = 1;
    HoldGroupMasks();
    return true;
  }
  if (!IsNewFamily(data_.modelType)) return false;
  const bool ext = data_.extendedLockSupported;
  if (!Read(q, 2, ext ? 14 : 13, r)) return false;
  const uint8_t* p = r + 2;
  data_.lockBits = *p++;
  if (ext) data_.lockBitsExt = *p++;
  std::memcpy(data_.groupLockMask.data(), p, kGroupMaskBytes);
  std::memcpy(data_.groupHiddenMask.data(), p + kGroupMaskBytes, kGroupMaskBytes);
  data_.locksRead = 1;
  HoldGroupMasks();
  return true;
}

bool CommandSet::WriteLocks() {
  if (!IsOldFamily(data_.modelType)) return false;
  const uint8_t q[] = {kCommandLead, kWriteLocks, data_.lockBits, data_.groupLockMask[0]};
  return Write(q, 4) && HoldGroupMasks();
}

bool CommandSet::HoldGroupMasks() {
  data_.heldGroupLockMask = data_.groupLockMask;
  data_.heldGroupHiddenMask = data_.groupHiddenMask;
  return true;
}

bool CommandSet::WriteLocksEx() {
  if (IsOldFamily(data_.modelType)) {
    const uint8_t q[] = {kCommandLead, kWriteLocksEx, data_.lockBits, data_.groupLockMask[0],
                         data_.groupHiddenMask[0]};
    return Write(q, 5) && HoldGroupMasks();
  }
  if (!IsNewFamily(data_.modelType)) return false;
  uint8_t q[14] = {kCommandLead, kWriteLocksEx};
  int len = 2;
  q[len++] = data_.lockBits;
  if (data_.extendedLockSupported) q[len++] = data_.lockBitsExt;
  std::memcpy(q + len, data_.groupLockMask.data(), kGroupMaskBytes);
  len += kGroupMaskBytes;
  std::memcpy(q + len, data_.groupHiddenMask.data(), kGroupMaskBytes);
  len += kGroupMaskBytes;
  return Write(q, len) && HoldGroupMasks();
}

bool CommandSet::ReadLockBytes() {
  if (IsOldFamily(data_.modelType)) {
    if (!data_.groupLockSupported) return true;  // these firmwares have no lock read
    return data_.groupHiddenSupported ? ReadLocksEx() : ReadLocks();
  }
  return ReadLocksEx();
}

bool CommandSet::SendLockBytes() {
  if (IsOldFamily(data_.modelType))
    return data_.groupHiddenSupported ? WriteLocksEx() : WriteLocks();
  return WriteLocksEx();
}

bool CommandSet::SendMenuLockBytes() {
  const auto lock = data_.groupLockMask;
  const auto hidden = data_.groupHiddenMask;
  data_.groupLockMask = data_.heldGroupLockMask;
  data_.groupHiddenMask = data_.heldGroupHiddenMask;
  const bool sent = SendLockBytes();
  data_.groupLockMask = lock;
  data_.groupHiddenMask = hidden;
  return sent;
}

bool CommandSet::ReadHiddenFlags() {
  if (!IsNewFamily(data_.modelType) || !data_.hiddenMenuSupported) return false;
  const uint8_t q[] = {kCommandLead, kReadHiddenFlags};
  uint8_t r[kMaxResponse];
  if (!Read(q, 2, 4, r)) return false;
  data_.hiddenBits = r[2];
  data_.hiddenBitsExt = r[3];
  return true;
}

bool CommandSet::WriteHiddenFlags() {
  if (!IsNewFamily(data_.modelType) || !data_.hiddenMenuSupported) return false;
  const uint8_t q[] = {kCommandLead, kWriteHiddenFlags, data_.hiddenBits, data_.hiddenBitsExt};
  return Write(q, 4);
}

// ---------------------------------------------------------------- presets

bool CommandSet::ReadPresetInfo(uint8_t& count, uint8_t& activeIndex) {
  const uint8_t q[] = {kCommandLead, kReadPresetInfo};
  uint8_t r[kMaxResponse];
  // The active preset is one of them, or 0xFF for none (a count above ten is refused
  // by the preset read itself).
  const auto plausible = [](const uint8_t* a) { return a[3] < a[2] || a[3] == 0xFF; };
  if (!Read(q, 2, 4, r, plausible)) return false;
  count = r[2];
  activeIndex = r[3];
  return true;
}

bool CommandSet::ReadPresetName(int index, std::string& name) {
  if (!IsByte(index)) return false;
  const uint8_t q[] = {kCommandLead, kReadPresetName, B(index)};
  uint8_t r[kMaxResponse];
  if (!Read(q, 3, 2 + kPresetNameLength, r,
            [](const uint8_t* a) { return TextBytes(a + 2, kPresetNameLength); }))
    return false;
  name = TextField(r + 2, kPresetNameLength);
  return true;
}

bool CommandSet::WritePresetName(int index, const std::string& name) {
  if (!IsByte(index)) return false;
  uint8_t q[3 + kPresetNameLength] = {kCommandLead, kWritePresetName, B(index)};
  std::string field = CleanTextField(name, kPresetNameLength);
  std::memcpy(q + 3, field.data(), kPresetNameLength);
  return Write(q, sizeof q);
}

bool CommandSet::ReadPreset(int index, PresetRecord& record) {
  if (!IsByte(index)) return false;
  const int len = PresetRecordLength(data_);
  const uint8_t q[] = {kCommandLead, kReadPreset, B(index)};
  uint8_t r[kMaxResponse];
  // Each setting of the record within the widest range of any model.
  const auto plausible = [this, len](const uint8_t* a) {
    const uint8_t* p = a + 2;
    bool ok = GainByte(p[0]) && p[1] <= kMaxFilterIndex && p[3] <= kMaxMicModeIndex &&
              p[4] <= 1 && p[5] <= kMaxPttValue && p[6] <= kMaxBatteryIndex &&
              p[7] <= kMaxLedLight && p[8] <= kMaxLedMode && p[9] <= kMaxRfPowerIndex;
    if (data_.channelCount > 0) ok = ok && p[12] < data_.channelCount && p[13] <= data_.groupCount;
    if (len >= 18) ok = ok && p[16] <= 1 && p[17] <= 2;
    return ok;
  };
  if (!Read(q, 3, len + 2, r, plausible)) return false;
  std::memcpy(record.data(), r + 2, static_cast<size_t>(len));
  return true;
}

bool CommandSet::WritePreset(int index, const PresetRecord& record) {
  if (!IsByte(index)) return false;
  const int len = PresetRecordLength(data_);
  uint8_t q[3 + kPresetSlotSize] = {kCommandLead, kWritePreset, B(index)};
  std::memcpy(q + 3, record.data(), static_cast<size_t>(len));
  return Write(q, len + 3);
}

bool CommandSet::ActivatePreset(int index) {
  if (!IsByte(index)) return false;
  const uint8_t q[] = {kCommandLead, kActivatePreset, B(index)};
  return Write(q, 3);
}

}  // namespace zentra
