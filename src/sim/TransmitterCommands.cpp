// The command interpreter of a simulated transmitter. Every request starts with 'M' and a
// command code and has one exact length. Answers carry 'M' and the command code in their
// first two bytes. A write is acknowledged with 0x06 in the third byte; a well-formed
// write with a value the transmitter cannot take is answered with 0x15 instead. Requests
// the firmware does not know, with the wrong length, or for a table position that does
// not exist get no answer at all.
#include <algorithm>

#include "device/AccessCodes.h"
#include "sim/VirtualTransmitter.h"

namespace zentra::sim {

namespace {

constexpr uint8_t kAck = 0x06;
constexpr uint8_t kRefused = 0x15;

using Answer = std::optional<std::vector<uint8_t>>;

uint32_t Be32(const uint8_t* p) {
  return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}

}  // namespace

std::optional<std::vector<uint8_t>> VirtualTransmitter::Handle(const uint8_t* request,
                                                                int length) {
  // A service unlock opens the door for the one request that follows, whatever it is.
  const bool unlocked = serviceUnlocked_;
  serviceUnlocked_ = false;
  if (request == nullptr || length < 2 || request[0] != 'M') return std::nullopt;
  return HandleCommand(request, length, unlocked);
}

std::optional<std::vector<uint8_t>> VirtualTransmitter::HandleCommand(const uint8_t* r, int n,
                                                                       bool unlocked) {
  SimTransmitterState& s = state_;
  const SimCapabilities& c = caps_;
  const uint8_t code = r[1];
  auto reply = [&](std::initializer_list<uint8_t> values) -> Answer {
    std::vector<uint8_t> a{'M', code};
    a.insert(a.end(), values);
    return a;
  };
  auto replyBytes = [&](const uint8_t* p, size_t count) -> Answer {
    std::vector<uint8_t> a{'M', code};
    a.insert(a.end(), p, p + count);
    return a;
  };
  auto ack = [&](bool accepted) -> Answer { return reply({accepted ? kAck : kRefused}); };
  // A channel position of the table: ordinary groups, or the sync channel.
  auto validChannel = [&](int ch, int g) {
    if (g < s.groupCount) return ch < s.channelCount;
    return c.sync && g == s.groupCount && ch == 0;
  };
  auto validGroup = [&](int g) { return g < s.groupCount; };
  auto inRange = [&](uint32_t f) {
    const uint32_t m = f / 1000, k = f % 1000;
    return m >= s.freqMinMHz && m <= s.freqMaxMHz && !(m == s.freqMaxMHz && k > 0);
  };
  const int code10 = c.modelCode;
  auto gainOk = [&](int g) {
    int lo = -20;
    if (code10 == 2 || code10 == 3 || code10 == 6) lo = -40;
    if (code10 == 5 || (code10 >= 7 && code10 <= 9)) lo = -60;
    return g >= lo && g <= 40;
  };
  auto filterOk = [&](int f) { return f >= 0 && f <= (c.newFamily() ? 6 : 4); };
  auto preEmphasisOk = [&](int p) { return p >= 0 && p <= (c.newFamily() ? 1 : 0); };
  auto micModeMax = [&]() {
    switch (code10) {
      case 3: case 7: case 8: return 4;
      case 5: case 9: return 2;
      case 6: return 1;
      case 2: return c.micVariant == 1 ? 3 : c.micVariant == 2 ? 1 : 2;
      default: return 0;
    }
  };
  auto pttOk = [&](int v) {
    if (!c.newFamily() && !c.pttMode3 && c.micVariant == 0) return v >= 0 && v <= 2;
    return v >= 0 && v <= 3;
  };
  auto batteryMax = [&]() { return (code10 == 5 || code10 == 9 || c.batteryType3) ? 2 : 1; };
  auto rfPowerMax = [&]() {
    if (c.bandPlan) return static_cast<int>(s.rfLevels.size()) - 1;
    return (code10 == 3 && c.micVariant == 2) ? 2 : 1;
  };
  auto tune = [&](int ch, int g) {
    s.curChannel = ch;
    s.curGroup = g;
    s.curFreqKHz = s.table[g][ch].freqKHz;
  };

  switch (code) {
    // --- identity and tuning ---
    case 'I':
      if (n != 2) break;
      return replyBytes(s.identity.data(), 16);
    case 'N':
      if (n != 2) break;
      return replyBytes(s.serial.data(), 10);
    case 'R':
      if (n != 2) break;
      return reply({uint8_t(s.freqMinMHz >> 8), uint8_t(s.freqMinMHz), uint8_t(s.freqMaxMHz >> 8),
                    uint8_t(s.freqMaxMHz)});
    case 's':
      if (n != 2) break;
      return reply({uint8_t(s.stepCount >> 8), uint8_t(s.stepCount)});
    case 'n':
      if (n != 2) break;
      return reply({uint8_t(s.channelCount), uint8_t(s.groupCount)});
    case 'F':
      if (n != 2) break;
      return reply({uint8_t(s.curFreqKHz >> 24), uint8_t(s.curFreqKHz >> 16),
                    uint8_t(s.curFreqKHz >> 8), uint8_t(s.curFreqKHz)});
    case 'C':
      if (n != 2) break;
      return reply({uint8_t(s.curChannel), uint8_t(s.curGroup)});
    case 0xC3:
      if (n != 4 || !validChannel(r[2], r[3])) break;
      tune(r[2], r[3]);
      return ack(true);

    // --- band plan and RF power levels ---
    case 'Q':
      if (n != 2 || !c.bandPlan) break;
      return reply({uint8_t(s.bands.size())});
    case 'V': {
      if (n != 3 || !c.bandPlan || r[2] >= s.bands.size()) break;
      const SimBandSegment& b = s.bands[r[2]];
      return reply({uint8_t(b.edgeMHz >> 8), uint8_t(b.edgeMHz), uint8_t(b.edgeKHz >> 8),
                    uint8_t(b.edgeKHz), b.maxPowerMw});
    }
    case 'W':
      if (n != 2 || !c.bandPlan) break;
      return reply({uint8_t(s.rfLevels.size())});
    case 'T': {
      if (n != 3 || !c.bandPlan || r[2] >= s.rfLevels.size()) break;
      const SimRfLevel& l = s.rfLevels[r[2]];
      return reply({uint8_t(l.label[0]), uint8_t(l.label[1]), uint8_t(l.label[2]),
                    uint8_t(l.value)});
    }
    case 0x27:
      if (n != 2 || !c.bandPlan) break;
      return reply({s.powerSetting});

    // --- frequency table ---
    case '<': {
      if (n != 4 || !validChannel(r[2], r[3])) break;
      const uint32_t f = s.table[r[3]][r[2]].freqKHz;
      return reply({uint8_t(f >> 24), uint8_t(f >> 16), uint8_t(f >> 8), uint8_t(f)});
    }
    case '>': {
      if (n != 8 || !validChannel(r[2], r[3])) break;
      const uint32_t f = Be32(r + 4);
      if (!inRange(f)) return ack(false);
      s.table[r[3]][r[2]].freqKHz = f;
      if (s.curGroup == r[3] && s.curChannel == r[2]) s.curFreqKHz = f;
      return ack(true);
    }
    case ',': {
      if (n != 4 || !c.channelFlags || !validChannel(r[2], r[3])) break;
      const SimChannel& ch = s.table[r[3]][r[2]];
      return reply({uint8_t((ch.locked ? 1 : 0) | (ch.hidden ? 2 : 0))});
    }
    case '.': {
      if (n != 5 || !c.channelFlags || !validChannel(r[2], r[3])) break;
      if (r[4] > 3) return ack(false);
      SimChannel& ch = s.table[r[3]][r[2]];
      ch.locked = (r[4] & 1) != 0;
      ch.hidden = (r[4] & 2) != 0;
      return ack(true);
    }
    case ':':
      if (n != 3 || !c.groupNames || !validGroup(r[2])) break;
      return replyBytes(s.groupNames[r[2]].data(), 8);
    case ';':
      if (n != 11 || !c.groupNames || !validGroup(r[2])) break;
      std::copy(r + 3, r + 11, s.groupNames[r[2]].begin());
      return ack(true);
    case 'J':
      if (n != 2 || !c.groupNames || !c.sync) break;
      return replyBytes(s.syncName.data(), 12);
    case 'K':
      if (n != 14 || !c.groupNames || !c.sync) break;
      std::copy(r + 2, r + 14, s.syncName.begin());
      return ack(true);

    // --- audio ---
    case 'A':
      if (n != 2 || c.audioExtended) break;
      return reply({uint8_t(s.gain), s.filter});
    case 'D':
      if (n != 2 || !c.audioExtended) break;
      return reply({uint8_t(s.gain), s.filter, s.displayLimiter, s.preEmphasis, s.modLpf});
    case 0xC1: {
      if (n != 4 || c.audioExtended) break;
      const int gain = static_cast<int8_t>(r[2]);
      if (!gainOk(gain) || !filterOk(r[3])) return ack(false);
      // The old family works in 2 dB steps.
      s.gain = static_cast<int8_t>(c.newFamily() ? gain : gain / 2 * 2);
      s.filter = r[3];
      return ack(true);
    }
    case 0xC4: {
      if (n != 7 || !c.audioExtended) break;
      const int gain = static_cast<int8_t>(r[2]);
      const uint8_t display = r[4], modLpf = r[6];
      bool ok = gainOk(gain) && filterOk(r[3]) && preEmphasisOk(r[5]);
      ok = ok && display <= (c.limiter ? 3 : 1);
      if (c.audioModLpf) {
        const int lpf = modLpf & 0x03;
        ok = ok && (modLpf & ~0x13) == 0 && lpf <= 2 && (lpf < 2 || (modLpf & 0x10));
      } else {
        ok = ok && modLpf == 0;
      }
      if (!ok) return ack(false);
      s.gain = static_cast<int8_t>(c.newFamily() ? gain : gain / 2 * 2);
      s.filter = r[3];
      s.displayLimiter = display;
      s.preEmphasis = r[5];
      if (c.audioModLpf) s.modLpf = modLpf;
      return ack(true);
    }

    // --- microphone ---
    case 'M':
      if (n != 2) break;
      if (code10 == 1) return reply({s.micPTT});
      return reply({s.micMode, s.micPhase, s.micPTT});
    case 0xCD:
      if (code10 == 1) {
        if (n != 3 || !c.ptt) break;
        if (!pttOk(r[2])) return ack(false);
        s.micPTT = r[2];
        return ack(true);
      }
      if (n != 5) break;
      if (r[2] > micModeMax() || r[3] > 1 || !pttOk(r[4])) return ack(false);
      s.micMode = r[2];
      s.micPhase = r[3];
      s.micPTT = r[4];
      return ack(true);

    // --- battery, RF power, LED ---
    case 'B':
      if (n != 2) break;
      return reply({s.batteryType, s.batteryLevel});
    case 0xC2:
      if (n != 3) break;
      if (r[2] > batteryMax()) return ack(false);
      s.batteryType = r[2];
      return ack(true);
    case 'P':
      if (n != 2) break;
      return reply({s.rfPower});
    case 0xD0:
      if (n != 3) break;
      if (r[2] > rfPowerMax()) return ack(false);
      s.rfPower = r[2];
      return ack(true);
    case 'L':
      if (n != 2) break;
      return reply({s.ledLight, s.ledMode});
    case 0xCC:
      if (n != 4) break;
      if (r[2] > 16 || r[3] > (c.ptt ? 2 : 1)) return ack(false);
      s.ledLight = r[2];
      s.ledMode = r[3];
      return ack(true);

    // --- texts ---
    case 'b':
      if (n != 3 || !c.options || r[2] > 6) break;
      return reply({r[2], uint8_t(s.options[r[2]][0]), uint8_t(s.options[r[2]][1]),
                    uint8_t(s.options[r[2]][2])});
    case 'a':
      if (n != 2 || !c.options) break;
      return replyBytes(reinterpret_cast<const uint8_t*>(s.infoText.data()), 10);
    case 'e':
      if (n != 2 || !c.txName) break;
      return replyBytes(s.txName.data(), s.txName.size());
    case 'f': {
      const int len = c.txNameLength;
      if (!c.txName || n != len + 2) break;
      s.txName.assign(r + 2, r + 2 + len);
      // The 12-character firmware answers with the name it stored, the later 8-character
      // firmware with a plain acknowledgement.
      if (len == 12) return replyBytes(s.txName.data(), s.txName.size());
      return ack(true);
    }
    case 'i': {
      // Reads the transmitter's own program memory; the boot loader version sits at 0xF414.
      if (n != 5 || !c.bootVersion || r[2] == 0 || r[2] > 32) break;
      const int count = r[2];
      const int address = (r[3] << 8) | r[4];
      std::vector<uint8_t> a{'M', code, r[2], r[3], r[4]};
      for (int i = 0; i < count; ++i) {
        const int at = address + i - 0xF414;
        a.push_back(at >= 0 && at < 12 ? uint8_t(s.bootVersion[at]) : 0xFF);
      }
      return a;
    }

    // --- user-menu locks and hidden items ---
    case 'l':
      if (n != 2 || c.newFamily() || !c.groupLock || c.groupHidden) break;
      return reply({s.lockBits, s.groupLockMask[0]});
    case 'k':
      if (n != 2) break;
      if (!c.newFamily()) {
        if (!c.groupHidden) break;
        return reply({s.lockBits, s.groupLockMask[0], s.groupHiddenMask[0]});
      }
      {
        std::vector<uint8_t> a{'M', code, s.lockBits};
        if (c.extendedLock) a.push_back(s.lockBitsExt);
        a.insert(a.end(), s.groupLockMask.begin(), s.groupLockMask.end());
        a.insert(a.end(), s.groupHiddenMask.begin(), s.groupHiddenMask.end());
        return a;
      }
    case 0xDC:
      if (n != 4 || c.newFamily() || !c.groupLock || c.groupHidden) break;
      s.lockBits = r[2];
      s.groupLockMask[0] = r[3];
      return ack(true);
    case 0xDB:
      if (!c.newFamily()) {
        if (n != 5 || !c.groupHidden) break;
        s.lockBits = r[2];
        s.groupLockMask[0] = r[3];
        s.groupHiddenMask[0] = r[4];
        return ack(true);
      }
      {
        const int expected = c.extendedLock ? 14 : 13;
        if (n != expected) break;
        int p = 2;
        s.lockBits = r[p++];
        if (c.extendedLock) s.lockBitsExt = r[p++];
        std::copy(r + p, r + p + 5, s.groupLockMask.begin());
        std::copy(r + p + 5, r + p + 10, s.groupHiddenMask.begin());
        return ack(true);
      }
    case 0xD1:
      if (n != 2 || !c.hiddenMenu) break;
      return reply({s.hiddenBits, s.hiddenBitsExt});
    case 0xD3:
      if (n != 4 || !c.hiddenMenu) break;
      s.hiddenBits = r[2];
      s.hiddenBitsExt = r[3];
      return ack(true);

    // --- presets ---
    case '(':
      if (n != 2 || !c.presets) break;
      return reply({uint8_t(s.presets.size()), s.activePreset});
    case '8':
      if (n != 3 || !c.presets || r[2] >= s.presets.size()) break;
      return replyBytes(s.presets[r[2]].name.data(), 8);
    case 'H':
      if (n != 11 || !c.presets || r[2] >= s.presets.size()) break;
      std::copy(r + 3, r + 11, s.presets[r[2]].name.begin());
      return ack(true);
    case 'X':
      if (n != 3 || !c.presets || r[2] >= s.presets.size()) break;
      return replyBytes(s.presets[r[2]].record.data(), c.presetRecordLength());
    case 'h': {
      const int len = c.presetRecordLength();
      if (n != len + 3 || !c.presets || r[2] >= s.presets.size()) break;
      auto& rec = s.presets[r[2]].record;
      rec.fill(0);
      std::copy(r + 3, r + 3 + len, rec.begin());
      return ack(true);
    }
    case 'x':
      if (n != 3 || !c.presets || r[2] >= s.presets.size()) break;
      ApplyPreset(r[2]);
      return ack(true);

    // --- unlock: family code for the presence probe, service code for service ---
    case 'o': {
      if (n != 10) break;
      const AccessCodes& codes = ActiveAccessCodes();
      const AccessCode& family = c.handheld ? codes.handheld : codes.bodypack;
      if (std::equal(family.begin(), family.end(), r + 2)) return ack(true);
      if (std::equal(codes.service.begin(), codes.service.end(), r + 2)) {
        serviceUnlocked_ = true;
        return ack(true);
      }
      break;  // a code of the other family or a wrong code: the transmitter keeps quiet
    }

    // --- service commands: only right after a service unlock ---
    case 'd':
    case 0xCE:
    case 0xC9:
    case 0xC7:
      if (!unlocked) break;
      return HandleService(r, n);
    default:
      break;
  }
  return std::nullopt;
}

std::optional<std::vector<uint8_t>> VirtualTransmitter::HandleService(const uint8_t* r, int n) {
  SimTransmitterState& s = state_;
  const uint8_t code = r[1];
  switch (code) {
    case 0xCE:
      if (n != 12) break;
      std::copy(r + 2, r + 12, s.serial.begin());
      return std::vector<uint8_t>{'M', code, kAck};
    case 0xC9:
      // Only the first ten identity characters can be written; the version stays.
      if (n != 12) break;
      std::copy(r + 2, r + 12, s.identity.begin());
      return std::vector<uint8_t>{'M', code, kAck};
    case 0xC7:
      if (n != 3 || r[2] != 0) break;
      std::fill(s.xeeprom.begin(), s.xeeprom.end(), 0xFF);
      return std::vector<uint8_t>{'M', code, kAck};
    case 'd': {
      if (n < 3) break;
      const uint8_t sub = r[2];
      const bool xee = sub == 0x10 || sub == 0x90;
      const bool cal = sub == 0x11 || sub == 0x91;
      if (xee || cal) {
        const int fixed = xee ? 38 : 14;
        const int maxCount = xee ? 32 : 8;
        const int count = r[3];
        if (n != fixed || count == 0 || count > maxCount) break;
        const int address = (r[4] << 8) | r[5];
        const bool write = (sub & 0x80) != 0;
        std::vector<uint8_t> a(fixed - 2, 0);
        a[0] = 'M';
        a[1] = 'd';
        a[2] = sub;
        a[3] = static_cast<uint8_t>(count);
        if (xee) {
          // The external EEPROM has 16-bit addresses and wraps at its end like the chip.
          for (int i = 0; i < count; ++i) {
            uint8_t& cell = s.xeeprom[(address + i) & 0xFFFF];
            if (write) cell = r[6 + i];
            a[4 + i] = cell;
          }
        } else {
          // Address bit 15 selects the calibration page; a block must lie inside it.
          const int page = (address >> 15) & 1;
          const int offset = address & 0x7FFF;
          if (offset + count > 1024) break;
          for (int i = 0; i < count; ++i) {
            uint8_t& cell = s.calEeprom[page][offset + i];
            if (write) cell = r[6 + i];
            a[4 + i] = cell;
          }
        }
        return a;
      }
      if (sub == 0x1C && n == 3) return std::vector<uint8_t>{'M', 'd', 0x1C, uint8_t(s.crcGood ? 1 : 0)};
      if (sub == 0x9D && n == 5) {
        s.batteryCalibration = static_cast<uint16_t>((r[3] << 8) | r[4]);
        return std::vector<uint8_t>(r, r + 5);
      }
      if (sub == 0x9E && n == 7) {
        s.fastFrequency = Be32(r + 3);
        const uint32_t m = s.fastFrequency / 1000;
        if (m >= s.freqMinMHz && m < s.freqMaxMHz) s.curFreqKHz = s.fastFrequency;
        return std::vector<uint8_t>(r, r + 7);
      }
      break;
    }
    default:
      break;
  }
  return std::nullopt;
}

}  // namespace zentra::sim
