// The link against simulated interfaces: discovery, Connect and Transact of each kind
// with a transmitter in front of the window. Every test runs twice: over the simulated
// USB host library, and over the host library of real hosts driving the simulated USB
// bus, whose devices are the same simulated interfaces.
#include <gtest/gtest.h>

#include <chrono>

#include "link/IrLink.h"
#include "sim/SimWorld.h"
#include "support/TimerInWait.h"

using namespace zentra;

namespace {

std::shared_ptr<sim::SimWorld> World(const std::string& spec) {
  std::string error;
  auto world = sim::SimWorld::FromSpec(spec, error);
  EXPECT_TRUE(world) << error;
  return world;
}

class SimLink : public ::testing::TestWithParam<bool> {
 protected:
  Platform PlatformOf(sim::SimWorld& world) { return world.platform(GetParam()); }
};

std::string Identity(IrLink& link, bool* ok) {
  const uint8_t readId[] = {0x4D, 0x49};
  uint8_t response[kMaxResponse];
  uint8_t length = 0;
  *ok = link.Transact(readId, 2, response, length) && length == 18;
  return *ok ? std::string(response + 2, response + 18) : std::string();
}

}  // namespace

TEST_P(SimLink, EveryKindIsFoundConnectedAndCarriesReadDeviceId) {
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
    IrLink link(PlatformOf(*world));
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

TEST_P(SimLink, DiscoveryRulesHoldOverSimulatedInterfaces) {
  {
    auto world = World("zrv510:ZQL21+nano:ZQK230");
    IrLink link(PlatformOf(*world));
    const auto entries = link.BuildInterfaceList();
    ASSERT_EQ(entries.size(), 1u);  // the DGLnano rules out the USB scan
    EXPECT_EQ(entries[0].kind, kKindDglNano);
  }
  {
    auto world = World("usbmsg:ZQL22X+dgl700:ZQK220");
    IrLink link(PlatformOf(*world));
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
    IrLink link(PlatformOf(*world));
    const auto entries = link.BuildInterfaceList();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(link.Connect(entries, 0), IrLink::ConnectResult::FirmwareUnsupported);
    EXPECT_FALSE(link.IsOpen());
  }
}

TEST_P(SimLink, LossyInterfaceIsRidOfByRetries) {
  // A third of the replies lost: three attempts carry nearly every request.
  auto world = World("usbmsg:ZQL22X,loss=0.3,seed=5");
  IrLink link(PlatformOf(*world));
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

INSTANTIATE_TEST_SUITE_P(Usb, SimLink, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return info.param ? "OverUsbBus" : "HostLibrary";
                         });

TEST(SimLinkOverUsbBus, InterfacePulledOutMidTransactionFailsCleanlyAndComesBack) {
  // Each reply takes 150 ms; the plug is pulled 40 ms into the wait.
  auto world = World("usbmsg:ZQL22X,libusb,latency=150");
  IrLink link(world->platform());
  auto entries = link.BuildInterfaceList();
  ASSERT_EQ(entries.size(), 1u);
  ASSERT_EQ(link.Connect(entries, 0), IrLink::ConnectResult::Connected);
  // Discovery opened and closed the device, then Connect opened it again.
  EXPECT_EQ(world->usbPlug(0).controlRequests,
            (std::vector<std::string>{"40 00 ffff 0000", "40 02 0002 0000", "40 02 0004 0000",
                                      "40 00 ffff 0000", "40 02 0002 0000"}));
  testsupport::TimerInWait pull(40, [&] { world->SetUsbPlugged(0, false); });
  const auto start = std::chrono::steady_clock::now();
  bool ok = true;
  Identity(link, &ok);
  EXPECT_FALSE(ok);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1000));
  link.CloseInterface();
  EXPECT_FALSE(link.IsOpen());
  EXPECT_TRUE(link.BuildInterfaceList().empty());

  world->SetUsbPlugged(0, true);
  entries = link.BuildInterfaceList();
  ASSERT_EQ(entries.size(), 1u);
  ASSERT_EQ(link.Connect(entries, 0), IrLink::ConnectResult::Connected);
  Identity(link, &ok);
  EXPECT_TRUE(ok);
  link.CloseInterface();
  EXPECT_EQ(world->usbPlug(0).controlRequests.back(), "40 02 0004 0000");
}
