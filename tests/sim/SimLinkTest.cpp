// The real link (discovery, framing, codec, retries) over the simulated seams: every
// interface kind is found and connected, transmitters come and go, faults are
// reproducible for a seed, and silence and pacing take the time they should.
#include <gtest/gtest.h>

#include <cstdlib>

#include <chrono>

#include "link/IrLink.h"
#include "sim/PlatformSelect.h"
#include "sim/SimWorld.h"

namespace zentra::sim {
namespace {

using Bytes = std::vector<uint8_t>;
using Ms = std::chrono::milliseconds;

std::shared_ptr<SimWorld> World(const std::string& spec) {
  std::string error;
  auto w = SimWorld::FromSpec(spec, error);
  EXPECT_TRUE(w) << spec << ": " << error;
  return w;
}

struct Connected {
  std::shared_ptr<SimWorld> world;
  std::unique_ptr<IrLink> link;
  IrLink::ConnectResult result = IrLink::ConnectResult::Failed;
  std::vector<InterfaceEntry> entries;
};

Connected Connect(const std::string& spec) {
  Connected c;
  c.world = World(spec);
  if (!c.world) return c;
  c.link = std::make_unique<IrLink>(c.world->platform());
  c.entries = c.link->BuildInterfaceList();
  if (!c.entries.empty()) c.result = c.link->Connect(c.entries, 0);
  return c;
}

// ReadDeviceId: the identity text, or "" when the transaction failed.
std::string ReadId(IrLink& link) {
  const uint8_t request[2] = {'M', 'I'};
  uint8_t response[kMaxResponse];
  uint8_t length = 0;
  if (!link.Transact(request, 2, response, length) || length != 18) return "";
  return std::string(response + 2, response + 18);
}

TEST(SimLinkTest, EveryKindIsFoundConnectedAndCarriesRequests) {
  struct Row {
    const char* spec;
    uint8_t kind;
    const char* versionText;
    const char* identityStart;
  } rows[] = {
      {"zrv510:ZQL21@123/U", kKindZrv510, "ZRV510 fw 112   ", "ZQL21 U"},
      {"dgl700:ZQK120@103", kKindDgl700, "DGL700 fw 105   ", "ZQK120 "},
      {"usbmsg:ZQK230@129", kKindUsbMessage, "ZRV520v2", "ZQK230 "},
      {"nano:ZQL22X@129", kKindDglNano, "DGLn 103", "ZQL22X "},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.spec);
    Connected c = Connect(row.spec);
    ASSERT_EQ(c.entries.size(), 1u);
    EXPECT_EQ(c.entries[0].kind, row.kind);
    EXPECT_EQ(c.entries[0].text, row.versionText);
    ASSERT_EQ(c.result, IrLink::ConnectResult::Connected);
    const std::string id = ReadId(*c.link);
    EXPECT_EQ(id.substr(0, 7), row.identityStart);
    EXPECT_EQ(id, c.world->transmitter()->identityText());
    ASSERT_FALSE(c.world->requestLog().empty());
    EXPECT_EQ(c.world->requestLog().back().request, (Bytes{'M', 'I'}));
    EXPECT_TRUE(c.world->requestLog().back().answered);
    c.link->CloseInterface();
    EXPECT_FALSE(c.world->interface().hostOpen());
    if (row.kind == kKindDglNano) {
      EXPECT_FALSE(c.world->interface().linkOpen());
    }
  }
}

TEST(SimLinkTest, SerialInterfaceIsListedByFriendlyNameAndHidesUsb) {
  auto world = World("usbmsg:ZQL21+nano:ZQK220,port=ttyQ7");
  IrLink link(world->platform());
  EXPECT_EQ(link.FindSerialInterfacePort(), "ttyQ7");
  auto entries = link.BuildInterfaceList();
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].kind, kKindDglNano);
  ASSERT_EQ(link.Connect(entries, 0), IrLink::ConnectResult::Connected);
  EXPECT_EQ(world->interface(1).parameter5(), 500);
  EXPECT_EQ(ReadId(link).substr(0, 6), "ZQK220");
}

TEST(SimLinkTest, OldKindOneFirmwareIsRefused) {
  Connected c = Connect("zrv510:ZQL21@123,old-firmware");
  EXPECT_EQ(c.result, IrLink::ConnectResult::FirmwareUnsupported);
  EXPECT_EQ(c.entries.at(0).text.substr(10, 3), "111");
}

TEST(SimLinkTest, TransmittersEnterAndLeaveTheWindow) {
  for (const char* kind : {"zrv510", "dgl700", "usbmsg", "nano"}) {
    SCOPED_TRACE(kind);
    Connected c = Connect(std::string(kind) + ":ZQL21@123/U,empty");
    ASSERT_EQ(c.result, IrLink::ConnectResult::Connected);
    EXPECT_EQ(ReadId(*c.link), "");
    EXPECT_FALSE(c.world->requestLog().back().transmitterPresent);
    c.world->SetTransmitterPresent(true);
    EXPECT_EQ(ReadId(*c.link).substr(0, 7), "ZQL21 U");
    c.world->Leave();
    EXPECT_EQ(ReadId(*c.link), "");
    TransmitterSpec other;
    other.model = "ZQK230";
    c.world->Enter(other);
    EXPECT_EQ(ReadId(*c.link).substr(0, 7), "ZQK230 ");
    EXPECT_EQ(c.world->interface().transmitterCount(), 2);
  }
}

TEST(SimLinkTest, QueuedTransmittersArriveAfterTheGap) {
  Connected c = Connect("nano:ZQL21@123,leave-after=2,gap=1,next=ZQK230@129");
  ASSERT_EQ(c.result, IrLink::ConnectResult::Connected);
  EXPECT_EQ(ReadId(*c.link).substr(0, 5), "ZQL21");
  EXPECT_EQ(ReadId(*c.link).substr(0, 5), "ZQL21");
  // The first left after two answers; one request goes unanswered, then the next one
  // stands in front of the window (the link's retry reaches it).
  EXPECT_EQ(ReadId(*c.link).substr(0, 6), "ZQK230");
  std::vector<bool> present;
  for (const auto& e : c.world->requestLog()) present.push_back(e.transmitterPresent);
  EXPECT_EQ(present, (std::vector<bool>{true, true, false, true}));
  EXPECT_EQ(c.world->interface().queuedCount(), 0);
  EXPECT_NE(c.world->interface().transmitterAt(0).state().serial,
            c.world->interface().transmitterAt(1).state().serial);
}

// Outcome of forty identity reads: per read, the bytes or empty.
std::vector<Bytes> FaultRun(const std::string& spec) {
  Connected c = Connect(spec);
  EXPECT_EQ(c.result, IrLink::ConnectResult::Connected);
  std::vector<Bytes> out;
  for (int i = 0; i < 40; ++i) {
    const uint8_t request[2] = {'M', 'I'};
    uint8_t response[kMaxResponse];
    uint8_t length = 0;
    const bool ok = c.link->Transact(request, 2, response, length);
    out.push_back(ok ? Bytes(response, response + length) : Bytes{});
  }
  return out;
}

TEST(SimLinkTest, FaultsAreReproducibleForASeed) {
  for (const char* kind : {"usbmsg", "zrv510"}) {
    SCOPED_TRACE(kind);
    const std::string base = std::string(kind) + ":ZQL22X@129,loss=0.3,corrupt=0.3,seed=";
    const auto a = FaultRun(base + "7");
    const auto b = FaultRun(base + "7");
    const auto other = FaultRun(base + "8");
    EXPECT_EQ(a, b);
    EXPECT_NE(a, other);
    int failed = 0, clean = 0, garbled = 0;
    for (const auto& r : a) {
      if (r.empty()) ++failed;
      else if (r.size() == 18 && std::string(r.begin() + 2, r.end()) ==
                                     std::string("ZQL22X    129 B1")) ++clean;
      else ++garbled;
    }
    EXPECT_GT(clean, 0);
    EXPECT_GT(failed + garbled, 0);
  }
}

TEST(SimLinkTest, SilenceTakesTheReadTimeoutsAndErrorStatusDoesNot) {
  using Clock = std::chrono::steady_clock;
  // Only lower bounds are timed (a loaded machine makes waits longer, never shorter);
  // whether an attempt ended at once or waited out its timeout is told by the link's
  // own record of timed-out receives and, for USB, by a read timeout far above the bound.
  struct Row {
    const char* spec;
    uint32_t usbTimeoutMs;
    bool silent;
    Ms atLeast;
  } rows[] = {
      // an error status ends each attempt at once, without waiting for a reply
      {"nano:ZQL21,empty", 60000, false, Ms(0)},
      {"usbmsg:ZQL21,empty", 60000, false, Ms(0)},
      {"zrv510:ZQL21,empty", 60000, false, Ms(0)},
      // three attempts, each waiting out the 500 ms serial receive wait
      {"nano:ZQL21,empty,silent", 1000, true, Ms(1450)},
      // three attempts, each waiting the USB read timeout
      {"usbmsg:ZQL21,empty,silent", 150, true, Ms(440)},
      {"dgl700:ZQL21,empty,silent", 150, true, Ms(140)},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.spec);
    Connected c = Connect(row.spec);
    ASSERT_EQ(c.result, IrLink::ConnectResult::Connected);
    c.link->usb().SI_SetTimeouts(row.usbTimeoutMs, row.usbTimeoutMs);
    const auto t0 = Clock::now();
    EXPECT_EQ(ReadId(*c.link), "");
    const auto elapsed = Clock::now() - t0;
    EXPECT_GE(elapsed, row.atLeast);
    if (c.link->interfaceKind == kKindDglNano) {
      EXPECT_EQ(c.link->rxTimedOut, row.silent);
    }
    if (!row.silent) {
      EXPECT_LT(elapsed, Ms(30000));  // no USB read timeout was waited
    }
  }
}

TEST(SimLinkTest, RepliesArePacedByLatencyAndBaudRate) {
  using Clock = std::chrono::steady_clock;
  struct Row {
    const char* spec;
    Ms atLeast;
  } rows[] = {
      {"nano:ZQL21,latency=40", Ms(40)},
      // a 28-byte reply frame at 2400 baud takes about 117 ms
      {"nano:ZQL21,baud=2400", Ms(110)},
      {"usbmsg:ZQL21,baud=2400", Ms(110)},
      {"zrv510:ZQL21,baud=2400,latency=20", Ms(20 + 85)},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.spec);
    Connected c = Connect(row.spec);
    ASSERT_EQ(c.result, IrLink::ConnectResult::Connected);
    const auto t0 = Clock::now();
    EXPECT_EQ(ReadId(*c.link).substr(0, 5), "ZQL21");
    const auto elapsed = Clock::now() - t0;
    EXPECT_GE(elapsed, row.atLeast);
    EXPECT_LT(elapsed, row.atLeast + Ms(20000));  // a hang, not a slow machine
  }
}

TEST(SimLinkTest, PlatformSelectionPrefersTheOptionOverTheVariable) {
  Platform p;
  std::shared_ptr<SimWorld> world;
  std::string error;
  // putenv exists on POSIX systems and Windows alike; an empty value counts as unset.
  static char simulate[] = "ZENTRA_SIMULATE=nano:ZQK220";
  static char bad[] = "ZENTRA_SIMULATE=nano:NOPE";
  static char unset[] = "ZENTRA_SIMULATE=";
  putenv(simulate);
  ASSERT_TRUE(SelectPlatform("usbmsg:ZQL21", "", p, world, error)) << error;
  ASSERT_TRUE(world);
  EXPECT_EQ(world->interface().kind(), SimKind::UsbMessage);
  ASSERT_TRUE(SelectPlatform("", "", p, world, error)) << error;
  ASSERT_TRUE(world);
  EXPECT_EQ(world->interface().kind(), SimKind::Nano);
  IrLink link(p);
  auto entries = link.BuildInterfaceList();
  ASSERT_EQ(entries.size(), 1u);
  ASSERT_EQ(link.Connect(entries, 0), IrLink::ConnectResult::Connected);
  EXPECT_EQ(ReadId(link).substr(0, 6), "ZQK220");
  putenv(bad);
  EXPECT_FALSE(SelectPlatform("", "", p, world, error));
  EXPECT_NE(error.find("NOPE"), std::string::npos);
  putenv(unset);
}

}  // namespace
}  // namespace zentra::sim
