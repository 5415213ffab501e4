// The requests each sequence sends on a link that shows no fault, built from the
// sequences' descriptions and the simulator's own table of what each firmware offers
// (never from the configurator's identification): the request-stream tests compare them
// request by request, and request_bench divides by their length.
#pragma once

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <vector>

#include "device/AccessCodes.h"
#include "files/ConfigFile.h"
#include "sim/VirtualTransmitter.h"

namespace zentra::testsupport {

constexpr int M = 0x4D;

// The expected list, written request by request.
struct Requests {
  std::vector<std::vector<uint8_t>> list;
  Requests& operator()(std::initializer_list<int> bytes) {
    std::vector<uint8_t> b;
    for (int v : bytes) b.push_back(static_cast<uint8_t>(v));
    list.push_back(b);
    return *this;
  }
  Requests& operator+=(const Requests& more) {
    list.insert(list.end(), more.list.begin(), more.list.end());
    return *this;
  }
  long long size() const { return static_cast<long long>(list.size()); }
};

inline int PresetCount(const sim::VirtualTransmitter& tx) {
  return std::min<int>(static_cast<int>(tx.state().presets.size()), 10);
}

inline Requests LockRead(const sim::SimCapabilities& c) {
  Requests r;
  if (c.newFamily()) return r({M, 'k'});
  if (c.groupLock) r({M, c.groupHidden ? 'k' : 'l'});
  return r;
}

inline Requests LockWrite(const sim::SimCapabilities& c) {
  Requests r;
  return r({M, (c.newFamily() || c.groupHidden) ? 0xDB : 0xDC});
}

inline Requests PresetReads(const sim::VirtualTransmitter& tx) {
  Requests r;
  for (int i = 0; i < PresetCount(tx); ++i) r({M, '8', i})({M, 'X', i});
  return r;
}

inline Requests Audio(const sim::SimCapabilities& c) {
  return Requests{}({M, c.audioExtended ? 'D' : 'A'});
}

// The full read (without the first group's load into the grid).
inline Requests FullReadRequests(const sim::VirtualTransmitter& tx) {
  const sim::SimCapabilities& c = tx.caps();
  const int model = c.modelCode;
  Requests r;
  r({M, 'I'})({M, 'N'})({M, 'n'})({M, 'R'})({M, 's'})({M, 'F'})({M, 'C'});
  if (c.options) {
    for (int i = 0; i < 7; ++i) r({M, 'b', i});
    r({M, 'a'});
  }
  r += Audio(c);
  Requests levels;
  levels({M, 'W'});
  for (size_t i = 0; i < tx.state().rfLevels.size(); ++i) levels({M, 'T', static_cast<int>(i)});
  levels({M, 0x27});
  // The model's panels: the power list of the plug-ons and bodypacks comes before the
  // microphone read; a ZQK120 without PTT reads no microphone at all.
  if (!(model == 1 && !c.ptt)) {
    if ((model == 3 || (model >= 5 && model <= 9)) && c.bandPlan) r += levels;
    r({M, 'M'});
  }
  if (c.bandPlan) {
    r += levels;
    r({M, 'Q'});
    for (size_t i = 0; i < tx.state().bands.size(); ++i) r({M, 'V', static_cast<int>(i)});
  }
  if (c.txName) r({M, 'e'});
  if (c.bootVersion) r({M, 'i', 0x0C, 0xF4, 0x14});
  r({M, 'B'})({M, 'P'})({M, 'L'});
  r += LockRead(c);
  if (c.hiddenMenu) r({M, 0xD1});
  if (c.presets) {
    r({M, '('});
    r += PresetReads(tx);
  }
  return r;
}

// A save of every group and the sync channel.
inline Requests TableSaveRequests(const sim::VirtualTransmitter& tx) {
  const sim::SimCapabilities& c = tx.caps();
  const int groups = tx.state().groupCount, channels = tx.state().channelCount;
  Requests r;
  for (int g = 0; g < groups; ++g) {
    if (c.groupNames) r({M, ':', g});
    for (int ch = 0; ch < channels; ++ch) {
      r({M, '<', ch, g});
      if (c.channelFlags) r({M, ',', ch, g});
    }
  }
  if (c.sync) {
    if (c.groupNames) r({M, 'J'});
    r({M, '<', 0, groups});
  }
  return r;
}

// A load of a file that differs from the transmitter in the lock flag of channel 1 of
// every group: only those flags are written; every frequency the file gives is.
inline Requests TableLoadRequests(const sim::VirtualTransmitter& tx) {
  const sim::SimCapabilities& c = tx.caps();
  const sim::SimTransmitterState& s = tx.state();
  Requests r;
  for (int g = 0; g < s.groupCount; ++g) {
    if (c.groupNames) r({M, ';', g});
    if (c.channelFlags) {
      for (int ch = 0; ch < s.channelCount; ++ch) {
        r({M, ',', ch, g});
        if (ch == 1) r({M, '.', ch, g});
      }
    }
    for (int ch = 0; ch < s.channelCount; ++ch) r({M, '>', ch, g});
  }
  if (c.groupLock || c.groupHidden) r += LockWrite(c);
  if (c.sync) {
    if (c.groupNames) r({M, 'K'});
    r({M, '>', 0, s.groupCount});
    // The tuned channel is looked at (it is not hidden, nothing is retuned).
    if (c.channelFlags) r({M, ',', s.curChannel, s.curGroup});
  }
  r({M, 'C'})({M, 'F'});
  return r;
}

// A configuration load of every item the file and the transmitter allow.
inline Requests ConfigLoadRequests(const sim::VirtualTransmitter& tx, const ConfigChoices& choices) {
  const sim::SimCapabilities& c = tx.caps();
  auto on = [&](ConfigItem item) { return choices[static_cast<size_t>(item)].enabled; };
  Requests r;
  if (on(ConfigItem::Tuning)) r({M, 0xC3})({M, 'C'})({M, 'F'});
  if (on(ConfigItem::Audio)) r({M, c.audioExtended ? 0xC4 : 0xC1}) += Audio(c);
  if (on(ConfigItem::Mic)) r({M, 0xCD})({M, 'M'});
  if (on(ConfigItem::PTT)) r({M, 0xCD})({M, 'M'});
  if (on(ConfigItem::Battery)) r({M, 0xC2})({M, 'B'});
  if (on(ConfigItem::RFPower)) r({M, 0xD0})({M, 'P'});
  if (on(ConfigItem::Led)) r({M, 0xCC})({M, 'L'});
  if (on(ConfigItem::Lock)) r += LockWrite(c) += LockRead(c);
  if (on(ConfigItem::Hidden)) r({M, 0xD3})({M, 0xD1});
  if (on(ConfigItem::Name)) r({M, 'f'})({M, 'e'});
  if (on(ConfigItem::Presets)) {
    r += PresetReads(tx);
    for (int i = 0; i < PresetCount(tx); ++i) {
      if (i >= 2) r({M, 'H', i});
      r({M, 'h', i});
    }
    r += PresetReads(tx);
  }
  if (on(ConfigItem::ActivatePreset)) r({M, 'x', tx.state().activePreset});
  if (on(ConfigItem::Presets) || on(ConfigItem::ActivatePreset)) {
    // The presets read again, then every setting the active preset may have changed.
    r += PresetReads(tx);
    r({M, 'C'})({M, 'F'}) += Audio(c);
    r({M, 'M'})({M, 'B'})({M, 'P'})({M, 'L'}) += LockRead(c);
    r({M, 'C'})({M, 'F'})({M, '('});
  }
  return r;
}

// Every service command goes after its own unlock.
inline Requests ServiceRequests(std::initializer_list<std::initializer_list<int>> commands) {
  const AccessCode& code = ActiveAccessCodes().service;
  Requests r;
  for (const auto& command : commands) {
    r({M, 'o', code[0], code[1]});
    r(command);
  }
  return r;
}

// A dump of the external EEPROM from start to stop (both included), block by block.
inline Requests XeepromDumpRequests(int start, int stop, int blockSize) {
  Requests r;
  for (int address = start; address <= stop; address += blockSize) {
    const int count = std::min(blockSize, stop - address + 1);
    r += ServiceRequests({{M, 'd', 0x10, count, address >> 8, address & 0xFF}});
  }
  return r;
}

}  // namespace zentra::testsupport
