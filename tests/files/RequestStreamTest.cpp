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
#include "support/RequestSequences.h"
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
using namespace zentra::testsupport;

namespace {

using Bytes = std::vector<uint8_t>;

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
