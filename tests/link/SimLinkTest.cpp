// The link against simulated interfaces: discovery, Connect and Transact of each kind
// with a transmitter in front of the window.
#include <gtest/gtest.h>

#include "link/IrLink.h"
#include "sim/SimWorld.h"

using namespace zentra;

namespace {

std::shared_ptr<sim::SimWorld> World(const std::string& spec) {
  std::string error;
  auto world = sim::SimWorld::FromSpec(spec, error);
  EXPECT_TRUE(world) << error;
  return world;
}

std::string Identity(IrLink& link, bool* ok) {
  const uint8_t readId[] = {0x4D, 0x49};
  uint8_t response[kMaxResponse];
  uint8_t length = 0;
  *ok = link.Transact(readId, 2, response, length) && length == 18;
  return *ok ? std::string(response + 2, response + 18) : std::string();
}

}  // namespace

TEST(SimLink, EveryKindIsFoundConnectedAndCarriesReadDeviceId) {
  struct Case { const char* spec; uint8_t kind; const char* version; };
  const Case cases[] = {
      {"zrv510:ZQL21@123", kKindZrv510, "ZRV510 fw 112   "},
      {"dgl700:ZQK220", kKindDgl700, "DGL700 fw 105   "},
      {"usbmsg:ZQL22X", kKindUsbMessage, "ZRV520v2"},
      {"nano:ZQK230", kKindDglNano, "DGLn 103"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.spec);
    auto world = World(c.spec);
    ASSERT_TRUE(world);
    IrLink link(world->platform());
    const auto entries = link.BuildInterfaceList();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].kind, c.kind);
    EXPECT_EQ(entries[0].text, c.version);
    ASSERT_EQ(link.Connect(entries, 0), IrLink::ConnectResult::Connected);
    bool ok = false;
    const std::string id = Identity(link, &ok);
    EXPECT_TRUE(ok);
    const std::string model = world->transmitter()->spec().model;
    EXPECT_EQ(id.substr(0, model.size()), model);
    world->Leave();
    Identity(link, &ok);
    EXPECT_FALSE(ok);
    link.CloseInterface();
    EXPECT_FALSE(link.IsOpen());
  }
}

TEST(SimLink, DiscoveryRulesHoldOverSimulatedInterfaces) {
  {
    auto world = World("zrv510:ZQL21+nano:ZQK230");
    IrLink link(world->platform());
    const auto entries = link.BuildInterfaceList();
    ASSERT_EQ(entries.size(), 1u);  // the DGLnano rules out the USB scan
    EXPECT_EQ(entries[0].kind, kKindDglNano);
  }
  {
    auto world = World("usbmsg:ZQL22X+dgl700:ZQK220");
    IrLink link(world->platform());
    const auto entries = link.BuildInterfaceList();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[1].kind, kKindDgl700);
    EXPECT_EQ(entries[1].deviceNumber, 1u);
    ASSERT_EQ(link.Connect(entries, 1), IrLink::ConnectResult::Connected);
    bool ok = false;
    EXPECT_EQ(Identity(link, &ok).substr(0, 6), "ZQK220");
  }
  {
    auto world = World("zrv510:ZQL21,firmware=111");
    IrLink link(world->platform());
    const auto entries = link.BuildInterfaceList();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(link.Connect(entries, 0), IrLink::ConnectResult::FirmwareUnsupported);
    EXPECT_FALSE(link.IsOpen());
  }
}

TEST(SimLink, LossyInterfaceIsRidOfByRetries) {
  // A third of the replies lost: three attempts carry nearly every request.
  auto world = World("usbmsg:ZQL22X,loss=0.3,seed=5");
  IrLink link(world->platform());
  const auto entries = link.BuildInterfaceList();
  ASSERT_EQ(entries.size(), 1u);
  ASSERT_EQ(link.Connect(entries, 0), IrLink::ConnectResult::Connected);
  int good = 0;
  for (int i = 0; i < 20; ++i) {
    bool ok = false;
    Identity(link, &ok);
    good += ok;
  }
  EXPECT_GE(good, 17);
}
