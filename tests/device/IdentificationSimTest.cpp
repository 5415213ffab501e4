// Identity, model and capabilities of every simulated transmitter, read through the real
// link over each interface kind; and the service unlock sequence end to end.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "device/CommandSet.h"
#include "device/Identification.h"
#include "device/ModelTable.h"
#include "device/ServiceCommands.h"
#include "link/IrLink.h"
#include "sim/SimWorld.h"

namespace zentra {
namespace {

struct Connected {
  std::shared_ptr<sim::SimWorld> world;
  std::unique_ptr<IrLink> link;
};

Connected Connect(const std::string& spec) {
  Connected c;
  std::string error;
  c.world = sim::SimWorld::FromSpec(spec, error);
  EXPECT_TRUE(c.world) << spec << ": " << error;
  if (!c.world) return c;
  c.link = std::make_unique<IrLink>(c.world->platform());
  auto entries = c.link->BuildInterfaceList();
  EXPECT_EQ(entries.size(), 1u) << spec;
  if (entries.size() != 1u ||
      c.link->Connect(entries, 0) != IrLink::ConnectResult::Connected) {
    ADD_FAILURE() << "no connection for " << spec;
    c.link.reset();
  }
  return c;
}

struct SimCase {
  const char* model;
  int code;
  char variant;
};

TEST(IdentificationSim, EveryModelAndVersionThroughTheLink) {
  const SimCase models[] = {
      {"ZQK120", 1, 0}, {"ZQL11", 2, 'P'}, {"ZQL12", 2, 'R'}, {"ZQL11", 2, 0},
      {"ZQL21", 3, 'U'}, {"ZQL21", 3, 0},  {"ZQK220", 4, 0},  {"ZQL22", 5, 0},
      {"ZQN21", 6, 0},  {"ZQL21X", 7, 0}, {"ZQN21X", 8, 0},  {"ZQL22X", 9, 0},
      {"ZQK230", 10, 0},
  };
  const char* versions[] = {"101", "103", "110", "112", "121", "123", "129"};
  const char* kinds[] = {"zrv510", "dgl700", "usbmsg", "nano"};
  int kindIndex = 0;
  for (const auto& m : models) {
    for (const char* version : versions) {
      // Spread the cases over the four interface kinds.
      const char* kind = kinds[kindIndex++ % 4];
      std::string spec = std::string(kind) + ":" + m.model + "@" + version;
      if (m.variant) spec += std::string("/") + m.variant;
      SCOPED_TRACE(spec);
      Connected c = Connect(spec);
      ASSERT_TRUE(c.link);

      const bool handheld = m.code == 1 || m.code == 4 || m.code == 10;
      ServiceCommands probe(*c.link);
      EXPECT_EQ(probe.Unlock(ActiveAccessCodes().handheld), handheld);
      EXPECT_EQ(probe.Unlock(ActiveAccessCodes().bodypack), !handheld);

      TDeviceData d;
      CommandSet commands(*c.link, d);
      ASSERT_TRUE(commands.ReadDeviceId());
      ASSERT_TRUE(IdentifyModel(d));
      EXPECT_EQ(d.modelType, m.code);
      EXPECT_EQ(FindModel(d.modelType)->family == ProbeFamily::Handheld, handheld);
      ASSERT_TRUE(IdentifyCapabilities(d));
      EXPECT_EQ(d.modelType, m.code);

      const sim::SimCapabilities& caps = c.world->transmitter()->caps();
      EXPECT_EQ(caps.modelCode, m.code);
      EXPECT_EQ(d.pttSupported != 0, caps.ptt);
      EXPECT_EQ(d.pttMode3Supported != 0, caps.pttMode3);
      EXPECT_EQ(d.micInputSupported != 0, caps.micInput);
      EXPECT_EQ(d.groupLockSupported != 0, caps.groupLock);
      EXPECT_EQ(d.groupHiddenSupported != 0, caps.groupHidden);
      EXPECT_EQ(d.channelFlagsSupported != 0, caps.channelFlags);
      EXPECT_EQ(d.syncSupported != 0, caps.sync);
      EXPECT_EQ(d.groupNamesSupported != 0, caps.groupNames);
      EXPECT_EQ(d.micVariant, caps.micVariant);
      EXPECT_EQ(d.presetsSupported != 0, caps.presets);
      EXPECT_EQ(d.audioExtended != 0, caps.audioExtended);
      EXPECT_EQ(d.limiterSupported != 0, caps.limiter);
      EXPECT_EQ(d.bandPlanSupported != 0, caps.bandPlan);
      EXPECT_EQ(d.optionsSupported != 0, caps.options);
      EXPECT_EQ(d.txNameSupported != 0, caps.txName);
      if (caps.txName) {
        EXPECT_EQ(d.txNameLength, caps.txNameLength);
      }
      EXPECT_EQ(d.extendedLockSupported != 0, caps.extendedLock);
      EXPECT_EQ(d.bootVersionSupported != 0, caps.bootVersion);
      EXPECT_EQ(d.hiddenMenuSupported != 0, caps.hiddenMenu);
      EXPECT_EQ(d.batteryType3Supported != 0, caps.batteryType3);
      EXPECT_EQ(d.menuInfoHiddenSupported != 0, caps.menuInfoHidden);
      EXPECT_EQ(d.audioModLpfSupported != 0, caps.audioModLpf);

      // The shapes chosen from these flags are the ones the transmitter answers.
      EXPECT_TRUE(commands.ReadMic());
      EXPECT_TRUE(commands.ReadLockBytes());
      if (d.txNameSupported) {
        EXPECT_TRUE(commands.ReadTxName());
      }
      if (d.presetsSupported) {
        PresetRecord record{};
        EXPECT_TRUE(commands.ReadPreset(0, record));
      }
      c.link->CloseInterface();
    }
  }
}

TEST(IdentificationSim, ServiceCommandsUnlockEveryTimeAndVerifyEchoes) {
  Connected c = Connect("nano:ZQL22X@129");
  ASSERT_TRUE(c.link);
  ServiceCommands service(*c.link);
  uint8_t block[32];
  for (int i = 0; i < 32; ++i) block[i] = static_cast<uint8_t>(i * 7);
  ASSERT_TRUE(service.WriteXeepromBlock(0x0400, 32, block));
  uint8_t back[32] = {};
  ASSERT_TRUE(service.ReadXeepromBlock(0x0400, 32, back));
  EXPECT_EQ(std::memcmp(block, back, 32), 0);

  const uint8_t cal[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  ASSERT_TRUE(service.WriteCalBlock(0x0008, 8, cal));
  uint8_t calBack[8] = {};
  ASSERT_TRUE(service.ReadCalBlock(0x0008, 8, calBack));
  EXPECT_EQ(std::memcmp(cal, calBack, 8), 0);

  bool good = false;
  ASSERT_TRUE(service.CheckCrc(good));
  EXPECT_TRUE(good);

  ASSERT_TRUE(service.WriteSerialNumber("SN42"));
  TDeviceData d;
  CommandSet commands(*c.link, d);
  ASSERT_TRUE(commands.ReadSerialNumber());
  EXPECT_EQ(d.SerialText(), "SN42");

  // The same block request without its unlock is ignored: the calls above passed only
  // because each one unlocked first.
  uint8_t raw[38] = {0x4D, 0x64, 0x10, 4, 0x04, 0x00};
  uint8_t answer[kMaxResponse];
  uint8_t n = 0;
  EXPECT_FALSE(c.link->Transact(raw, sizeof raw, answer, n) && n == 36);
}

}  // namespace
}  // namespace zentra
