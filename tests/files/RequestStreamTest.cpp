// On a link that shows no fault, every sequence sends exactly the requests of its
// description, in order: nothing read twice, nothing written that did not change. For
// every model code (old and current firmware) the requests that reached the simulated
// IR window are compared with the list built here from the sequences' descriptions and
// the simulator's own table of what each firmware offers (never from the configurator's
// identification).
#include <gtest/gtest.h>

#include <cstdio>
#include <initializer_list>
#include <string>
#include <vector>

#include "SimBench.h"
#include "support/TempDir.h"
#include "device/AccessCodes.h"
#include "device/Presence.h"
#include "device/ServiceCommands.h"
#include "device/ServiceOperations.h"
#include "files/ConfigFile.h"
#include "files/IniFile.h"
#include "files/MemoryTransfer.h"
#include "files/TableFile.h"

using namespace zentra;
using namespace zentra::filetest;

namespace {

using Bytes = std::vector<uint8_t>;
constexpr int M = 0x4D;

// How much of a request the comparison looks at: the command and what selects its
// target (index, channel and group, memory address); the values a write carries are
// the business of the sequences' own tests.
size_t KeyLength(const Bytes& r) {
  if (r.size() < 2) return r.size();
  switch (r[1]) {
    case 'd': return std::min<size_t>(r.size(), 6);  // sub-command, count, address
    case 'i': return std::min<size_t>(r.size(), 5);  // boot version: count and address
    case 'o': return std::min<size_t>(r.size(), 4);  // unlock: the code's first bytes
    case ';': case 'H': case 'h': case 'x': return std::min<size_t>(r.size(), 3);
    case 0xC1: case 0xC2: case 0xC3: case 0xC4: case 0xC7: case 0xC9: case 0xCC: case 0xCD:
    case 0xCE: case 0xD0: case 0xD3: case 0xDB: case 0xDC: case 'K': case 'f':
      return 2;
    default: return std::min<size_t>(r.size(), 4);
  }
}

std::string Hex(const Bytes& r) {
  std::string s;
  char b[4];
  for (size_t i = 0; i < KeyLength(r); ++i) {
    std::snprintf(b, sizeof b, "%02X ", r[i]);
    s += b;
  }
  return s;
}

// The expected list, written request by request.
struct Requests {
  std::vector<Bytes> list;
  Requests& operator()(std::initializer_list<int> bytes) {
    Bytes b;
    for (int v : bytes) b.push_back(static_cast<uint8_t>(v));
    list.push_back(b);
    return *this;
  }
  Requests& operator+=(const Requests& more) {
    list.insert(list.end(), more.list.begin(), more.list.end());
    return *this;
  }
};

void ExpectStream(const std::vector<sim::LoggedRequest>& log, const Requests& want) {
  std::string got, expected;
  for (const auto& e : log) got += Hex(e.request) + "\n";
  for (const auto& r : want.list) expected += Hex(r) + "\n";
  EXPECT_EQ(got, expected) << log.size() << " requests sent, " << want.list.size()
                           << " in the sequence";
}

// ---------------------------------------------------------------- the sequences

struct Model {
  const char* name;
  const char* oldVersion;
};
const Model kModels[] = {
    {"ZQK120", "101"}, {"ZQL11", "100"},  {"ZQL21", "120"},  {"ZQK220", "120"},
    {"ZQL22", "120"},  {"ZQN21", "120"},  {"ZQL21X", "120"}, {"ZQN21X", "120"},
    {"ZQL22X", "120"}, {"ZQK230", "120"},
};

int Presets(const sim::VirtualTransmitter& tx) {
  return std::min<int>(static_cast<int>(tx.state().presets.size()), 10);
}

Requests LockRead(const sim::SimCapabilities& c) {
  Requests r;
  if (c.newFamily()) return r({M, 'k'});
  if (c.groupLock) r({M, c.groupHidden ? 'k' : 'l'});
  return r;
}

Requests LockWrite(const sim::SimCapabilities& c) {
  Requests r;
  return r({M, (c.newFamily() || c.groupHidden) ? 0xDB : 0xDC});
}

Requests PresetReads(const sim::VirtualTransmitter& tx) {
  Requests r;
  for (int i = 0; i < Presets(tx); ++i) r({M, '8', i})({M, 'X', i});
  return r;
}

Requests Audio(const sim::SimCapabilities& c) { return Requests{}({M, c.audioExtended ? 'D' : 'A'}); }

// The full read (without the first group's load into the grid).
Requests FullReadRequests(const sim::VirtualTransmitter& tx) {
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

Requests TableSaveRequests(const sim::VirtualTransmitter& tx) {
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
Requests TableLoadRequests(const sim::VirtualTransmitter& tx) {
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

Requests ConfigLoadRequests(const sim::VirtualTransmitter& tx, const ConfigChoices& choices) {
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
    for (int i = 0; i < Presets(tx); ++i) {
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

Requests ServiceRequests(std::initializer_list<std::initializer_list<int>> commands) {
  const AccessCode& code = ActiveAccessCodes().service;
  Requests r;
  for (const auto& command : commands) {
    r({M, 'o', code[0], code[1]});
    r(command);
  }
  return r;
}

// ---------------------------------------------------------------- the bench

class RequestStream : public ::testing::TestWithParam<std::tuple<Model, bool>> {
 protected:
  void SetUp() override {
    const auto [model, old] = GetParam();
    bench = std::make_unique<SimBench>(std::string("usbmsg:") + model.name + "@" +
                                       (old ? model.oldVersion : "129") + ",groups=3,channels=5");
    ASSERT_TRUE(bench->ok());
    bench->world->ClearRequestLog();
  }
  const std::vector<sim::LoggedRequest>& log() { return bench->world->requestLog(); }
  void Clear() { bench->world->ClearRequestLog(); }
  sim::VirtualTransmitter& tx() { return bench->tx(); }
  // The link has seen nothing to make it doubt a reply.
  void ExpectNoFault() { EXPECT_EQ(bench->link->linkHealth.faults(), 0u); }

  std::unique_ptr<SimBench> bench;
  NullProgress progress;
};

TEST_P(RequestStream, FullRead) {
  TDeviceData d;
  PresetStore presets;
  ASSERT_EQ(PresenceProbe(*bench->link, d, kKindUsbMessage).event, PresenceEvent::Arrived);
  Clear();
  FullReadOptions options;
  options.readFirstGroup = false;
  const FullReadResult r = FullRead(*bench->link, d, presets, options);
  EXPECT_FALSE(r.faulty);
  ExpectStream(log(), FullReadRequests(tx()));
  ExpectNoFault();
}

TEST_P(RequestStream, TableSaveAndLoad) {
  IniFile ini;
  TableSaveOptions save;
  save.scope = TableScope::All();
  ASSERT_TRUE(SaveFrequencyTable(*bench->link, bench->data, ini, save, progress).ok());
  ExpectStream(log(), TableSaveRequests(tx()));

  for (auto& group : bench->state().table)
    if (group.size() > 1) group[1].locked = !group[1].locked;
  Clear();
  TableLoadOptions load;
  load.scope = TableScope::All();
  const FileOpResult r = LoadFrequencyTable(*bench->link, bench->data, ini, load, progress);
  EXPECT_TRUE(r.ok() && r.gaps.empty()) << r.message;
  ExpectStream(log(), TableLoadRequests(tx()));
  ExpectNoFault();
}

TEST_P(RequestStream, ConfigurationSaveAndLoad) {
  IniFile ini;
  ASSERT_TRUE(SaveConfiguration(*bench->link, bench->data, bench->presets, ini).ok());
  ExpectStream(log(), tx().caps().presets ? PresetReads(tx()) : Requests{});

  Clear();
  const ConfigChoices choices = DecideConfigChoices(ini, bench->data);
  ConfigSelection all{};
  for (size_t i = 0; i < all.size(); ++i) all[i] = choices[i].enabled;
  bool editLocked = false;
  const FileOpResult r = ApplyConfiguration(*bench->link, bench->data, bench->presets, ini,
                                            choices, all, editLocked);
  EXPECT_TRUE(r.ok() && r.gaps.empty()) << r.message;
  ExpectStream(log(), ConfigLoadRequests(tx(), choices));
  ExpectNoFault();
}

TEST_P(RequestStream, PresetRead) {
  if (!tx().caps().presets) GTEST_SKIP() << "no presets";
  EXPECT_TRUE(ReloadPresets(*bench->link, bench->data, bench->presets));
  ExpectStream(log(), PresetReads(tx()));
  Clear();
  EXPECT_TRUE(ReadPresets(*bench->link, bench->data, bench->presets));
  ExpectStream(log(), Requests{}({M, '('}) += PresetReads(tx()));
}

TEST_P(RequestStream, MemoryTransfers) {
  ServiceCommands service(*bench->link);
  testsupport::TempDir dir;
  const std::string image = dir.filePath("x.bin");
  const std::string cal = dir.filePath("c.bin");
  TransferObserver quiet;
  quiet.betweenBlocks = [] {};
  // 0x100..0x14F: two whole blocks and one of 16 bytes.
  auto blocks = [](int op) {
    return ServiceRequests({{M, 'd', op, 32, 0x01, 0x00},
                            {M, 'd', op, 32, 0x01, 0x20},
                            {M, 'd', op, 16, 0x01, 0x40}});
  };
  ASSERT_TRUE(DumpXeeprom(XeepromAccess(service), "0x100", "0x14F", image, quiet).ok());
  ExpectStream(log(), blocks(0x10));
  Clear();
  ASSERT_TRUE(LoadXeeprom(XeepromAccess(service), "0x100", "0x14F", image, quiet).ok());
  ExpectStream(log(), blocks(0x90));
  Clear();
  ASSERT_TRUE(VerifyXeeprom(XeepromAccess(service), "0x100", "0x14F", image, quiet).ok());
  ExpectStream(log(), blocks(0x10));

  Clear();
  ASSERT_TRUE(DumpCalibration(CalibrationAccess(service), 1, cal, quiet).ok());
  Requests page;
  for (int offset = 0; offset < kCalPageSize; offset += kCalBlockSize)
    page += ServiceRequests({{M, 'd', 0x11, 8, 0x80 | (offset >> 8), offset & 0xFF}});
  ExpectStream(log(), page);
  ExpectNoFault();
}

TEST_P(RequestStream, ServiceOperations) {
  ServiceCommands service(*bench->link);
  CommandSet commands(*bench->link, bench->data);
  const std::string serial = bench->data.SerialText();
  const std::string identity = bench->data.IdText().substr(0, 10);
  WriteSerialAndCheck(service, commands, serial);
  Requests serialWrite = ServiceRequests({{M, 0xCE}});
  serialWrite({M, 'N'}) += ServiceRequests({{M, 'd', 0x1C}});
  ExpectStream(log(), serialWrite);

  Clear();
  WriteIdentityAndCheck(service, commands, bench->data, identity);
  Requests idWrite = ServiceRequests({{M, 0xC9}});
  idWrite({M, 'I'}) += ServiceRequests({{M, 'd', 0x1C}});
  ExpectStream(log(), idWrite);

  Clear();
  RunCrcCheck(service);
  service.MemoryFill();
  service.CalibrateBattery(0x1234);
  service.SetFastFrequency(0x01020304);
  ExpectStream(log(), ServiceRequests({{M, 'd', 0x1C},
                                       {M, 0xC7},
                                       {M, 'd', 0x9D, 0x12, 0x34},
                                       {M, 'd', 0x9E, 0x01, 0x02, 0x03}}));
  ExpectNoFault();
}

std::string CaseName(const ::testing::TestParamInfo<std::tuple<Model, bool>>& info) {
  const auto& [model, old] = info.param;
  return std::string(model.name) + (old ? "_old" : "_current");
}

INSTANTIATE_TEST_SUITE_P(EveryModel, RequestStream,
                         ::testing::Combine(::testing::ValuesIn(kModels), ::testing::Bool()),
                         CaseName);

}  // namespace
