// The USB host library over a scripted bus: which devices count as IR interfaces, the
// opening and closing requests, reads assembled from several bulk transfers, time-outs,
// flushing, and a device pulled out in the middle of a transfer.
#include <gtest/gtest.h>

#include <chrono>

#include "link/FakeUsbBus.h"
#include "link/LibusbHostLibrary.h"
#include "link/UsbDiagnostics.h"
#include "support/TimerInWait.h"

using namespace zentra;
using namespace zentra::fakes;

namespace {

using Bytes = std::vector<uint8_t>;
using Ms = std::chrono::milliseconds;

struct Rig {
  std::shared_ptr<FakeUsbBus> bus = std::make_shared<FakeUsbBus>();
  LibusbHostLibrary lib{bus};
  SiHandle handle = 0;

  // One IR interface, counted and opened.
  std::shared_ptr<FakeBusDevice> OpenOne() {
    auto d = bus->AddIr(1, "zrv510 IR");
    uint32_t n = 0;
    EXPECT_EQ(lib.SI_GetNumDevices(n), SI_SUCCESS);
    EXPECT_EQ(lib.SI_Open(0, handle), SI_SUCCESS);
    d->calls.clear();
    return d;
  }
  SiStatus Read(uint32_t n, Bytes& out) {
    out.assign(n, 0);
    uint32_t got = 0;
    const SiStatus s = lib.SI_Read(handle, out.data(), n, got);
    out.resize(got);
    return s;
  }
  std::string Product(uint32_t device, uint32_t option = 0) {
    char buffer[kProductStringSize];
    return lib.SI_GetProductString(device, buffer, option) == SI_SUCCESS ? buffer : "<failed>";
  }
};

Bytes Seq(uint8_t from, int n) {
  Bytes b;
  for (int i = 0; i < n; ++i) b.push_back(static_cast<uint8_t>(from + i));
  return b;
}

long long ElapsedMs(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration_cast<Ms>(std::chrono::steady_clock::now() - since).count();
}

}  // namespace

TEST(LibusbHostLibrary, CountsOnlyVendorInterfacesWithBulkPairsByPlaceOnTheBus) {
  Rig rig;
  const UsbEndpointDesc bulkIn{0x81, 2, 64}, bulkOut{0x01, 2, 64}, intIn{0x82, 3, 8};
  rig.bus->AddIr(7, "dgl700 second");
  rig.bus->Add(0x10C4, 2, 0x03, {intIn, bulkOut}, {"m", "p", "hid"});                 // HID
  rig.bus->Add(0x0403, 3, kUsbClassVendorSpecific, {bulkIn, bulkOut}, {"m", "p", "x"});  // vendor
  rig.bus->Add(0x10C4, 4, kUsbClassVendorSpecific, {bulkIn}, {"m", "p", "in only"});
  auto alt = rig.bus->Add(0x10C4, 5, kUsbClassVendorSpecific, {bulkIn, bulkOut});
  alt->desc.interfaces[0].alternate = 1;                                   // only an alternate
  rig.bus->AddIr(6, "zrv510 first");
  uint32_t n = 0;
  ASSERT_EQ(rig.lib.SI_GetNumDevices(n), SI_SUCCESS);
  ASSERT_EQ(n, 2u);
  EXPECT_EQ(rig.Product(0), "zrv510 first");
  EXPECT_EQ(rig.Product(1), "dgl700 second");
  EXPECT_EQ(rig.Product(0, 1), "product");
  EXPECT_EQ(rig.Product(0, 2), "maker");
  EXPECT_EQ(rig.Product(0, 3), "<failed>");
  EXPECT_EQ(rig.Product(2), "<failed>");

  // The numbers stay with their devices until the next count, even when one goes.
  rig.bus->devices.back()->plugged = false;
  EXPECT_EQ(rig.Product(1), "dgl700 second");
  SiHandle h = 0;
  EXPECT_EQ(rig.lib.SI_Open(0, h), SI_DEVICE_NOT_FOUND);
  EXPECT_EQ(h, 0u);
  ASSERT_EQ(rig.lib.SI_GetNumDevices(n), SI_SUCCESS);
  EXPECT_EQ(n, 1u);
  EXPECT_EQ(rig.Product(0), "dgl700 second");

  rig.bus->listResult = kUsbErrorIo;
  EXPECT_NE(rig.lib.SI_GetNumDevices(n), SI_SUCCESS);
  EXPECT_EQ(n, 0u);
}

TEST(LibusbHostLibrary, OpeningAndClosingSendTheInterfaceRequestsInOrder) {
  Rig rig;
  auto d = rig.bus->AddIr(1, "zrv510");
  uint32_t n = 0;
  rig.lib.SI_GetNumDevices(n);
  SiHandle h = 0;
  ASSERT_EQ(rig.lib.SI_Open(0, h), SI_SUCCESS);
  EXPECT_NE(h, 0u);
  const std::vector<std::string> opening = {"open",          "claim 0", "control 40 00 ffff",
                                            "control 40 02 0002", "clear 81", "clear 02"};
  EXPECT_EQ(d->calls, opening);
  d->calls.clear();
  EXPECT_EQ(rig.lib.SI_Close(h), SI_SUCCESS);
  EXPECT_EQ(d->calls, (std::vector<std::string>{"control 40 02 0004", "release 0", "close"}));
  EXPECT_EQ(rig.lib.SI_Close(h), SI_INVALID_HANDLE);
  EXPECT_TRUE(rig.lib.openProblems().empty());

  // A failed open leaves nothing claimed or open and says why.
  struct Case {
    int FakeBusDevice::*field;
    int result;
  };
  for (const Case& c : {Case{&FakeBusDevice::openResult, kUsbErrorAccess},
                        Case{&FakeBusDevice::claimResult, kUsbErrorBusy},
                        Case{&FakeBusDevice::controlResult, kUsbErrorPipe}}) {
    SCOPED_TRACE(c.result);
    Rig r;
    auto dev = r.bus->AddIr(1, "zrv510");
    (*dev).*c.field = c.result;
    r.lib.SI_GetNumDevices(n);
    SiHandle failed = 7;
    EXPECT_EQ(r.lib.SI_Open(0, failed), SI_DEVICE_NOT_FOUND);
    EXPECT_EQ(failed, 0u);
    EXPECT_EQ(dev->openHandles, 0);
    const bool claimed = std::find(dev->calls.begin(), dev->calls.end(), "claim 0") != dev->calls.end();
    const bool released = std::find(dev->calls.begin(), dev->calls.end(), "release 0") != dev->calls.end();
    EXPECT_EQ(claimed && c.result != kUsbErrorBusy, released);
    ASSERT_EQ(r.lib.openProblems().size(), 1u);
    EXPECT_EQ(r.lib.openProblems()[0].result, c.result);
  }
}

TEST(LibusbHostLibrary, PermissionProblemsNameTheUdevRule) {
  Rig rig;
  auto d = rig.bus->AddIr(3, "usb box");
  d->openResult = kUsbErrorAccess;
  uint32_t n = 0;
  rig.lib.SI_GetNumDevices(n);
  EXPECT_EQ(rig.Product(0), "<failed>");  // its string cannot be read: left out
  ASSERT_EQ(rig.lib.openProblems().size(), 1u);
  const std::string text = UsbOpenProblemText(rig.lib.openProblems()[0]);
  EXPECT_NE(text.find("10c4:8e01 at 1-3"), std::string::npos) << text;
  EXPECT_NE(text.find("permission denied: install the udev rule 60-zentra-ir.rules"),
            std::string::npos) << text;
  // The next count starts afresh.
  d->openResult = kUsbOk;
  rig.lib.SI_GetNumDevices(n);
  EXPECT_TRUE(rig.lib.openProblems().empty());
}

TEST(LibusbHostLibrary, ReadsAssembleTransfersAndEndOnCountQuietOrTimeout) {
  struct Case {
    const char* name;
    std::vector<Bytes> transfers;  // {} between them: a transfer that brings nothing
    uint32_t ask;
    SiStatus status;
    Bytes want;
    Bytes left;  // what the next read gets from the buffer
  };
  const Bytes all = Seq(1, 22);
  const Case cases[] = {
      {"header, data and ack of one transfer, read in three", {all}, 3, SI_SUCCESS, Seq(1, 3),
       Seq(4, 19)},
      {"pieces assembled into one read", {Seq(1, 3), {}, Seq(4, 10), Seq(14, 6)}, 19,
       SI_SUCCESS, Seq(1, 19), {}},
      {"a short reply ends when the device goes quiet", {Seq(1, 5)}, 64, SI_SUCCESS, Seq(1, 5), {}},
      {"nothing: the read timeout", {}, 19, SI_READ_TIMED_OUT, {}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Rig rig;
    auto d = rig.OpenOne();
    // A read that ends on its count or on quiet ends long before this timeout even on
    // a loaded machine; only the timeout case waits it out.
    const uint32_t timeoutMs = c.status == SI_READ_TIMED_OUT ? 300 : 20000;
    rig.lib.SI_SetTimeouts(timeoutMs, timeoutMs);
    for (const Bytes& t : c.transfers) d->in.push_back({t, kUsbOk});
    Bytes got;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(rig.Read(c.ask, got), c.status);
    const long long ms = ElapsedMs(start);
    EXPECT_EQ(got, c.want);
    if (c.status == SI_READ_TIMED_OUT) {
      EXPECT_GE(ms, 290);
    } else {
      EXPECT_LT(ms, 15000);  // it did not wait for the read timeout
    }
    if (!c.left.empty()) {
      EXPECT_EQ(rig.Read(static_cast<uint32_t>(c.left.size()), got), SI_SUCCESS);
      EXPECT_EQ(got, c.left);
    }
  }
}

TEST(LibusbHostLibrary, FlushDropsBufferedAndWaitingBytes) {
  Rig rig;
  auto d = rig.OpenOne();
  rig.lib.SI_SetTimeouts(50, 50);
  d->in.push_back({Seq(1, 10), kUsbOk});
  d->in.push_back({Seq(20, 4), kUsbOk});  // a late reply the device still holds
  Bytes got;
  ASSERT_EQ(rig.Read(3, got), SI_SUCCESS);
  EXPECT_EQ(rig.lib.SI_FlushBuffers(rig.handle, 1, 1), SI_SUCCESS);
  EXPECT_EQ(rig.Read(3, got), SI_READ_TIMED_OUT);
  EXPECT_TRUE(got.empty());
  EXPECT_EQ(rig.lib.SI_FlushBuffers(rig.handle + 1, 1, 1), SI_INVALID_HANDLE);
}

TEST(LibusbHostLibrary, WritesGoOutInAsManyTransfersAsTheDeviceTakes) {
  Rig rig;
  auto d = rig.OpenOne();
  d->outPerTransfer = 4;
  const Bytes frame = Seq(0x30, 11);
  uint32_t written = 0;
  EXPECT_EQ(rig.lib.SI_Write(rig.handle, frame.data(), 11, written), SI_SUCCESS);
  EXPECT_EQ(written, 11u);
  EXPECT_EQ(d->written, frame);
}

TEST(LibusbHostLibrary, UnpluggedMidTransferGivesFailedCallsNotACrash) {
  Rig rig;
  auto d = rig.OpenOne();
  d->in.push_back({Seq(1, 2), kUsbErrorNoDevice});  // two bytes, then the plug is pulled
  Bytes got;
  EXPECT_EQ(rig.Read(19, got), SI_READ_ERROR);
  uint32_t written = 9;
  const uint8_t request[3] = {0x30, 'I', 0x04};
  EXPECT_EQ(rig.lib.SI_Write(rig.handle, request, 3, written), SI_WRITE_ERROR);
  EXPECT_EQ(written, 0u);
  EXPECT_EQ(rig.Read(1, got), SI_READ_ERROR);
  EXPECT_EQ(rig.lib.SI_FlushBuffers(rig.handle, 1, 1), SI_SUCCESS);
  EXPECT_EQ(rig.lib.SI_Close(rig.handle), SI_SUCCESS);
  EXPECT_EQ(d->openHandles, 0);
}

TEST(LibusbHostLibrary, HandleClosedWhileAReadWaitsEndsTheRead) {
  // A device notice handled during the wait rebuilds the interface list and closes the
  // handle the read is waiting on.
  Rig rig;
  auto d = rig.OpenOne();
  rig.lib.SI_SetTimeouts(60000, 60000);
  testsupport::TimerInWait close(30, [&] { rig.lib.SI_Close(rig.handle); });
  Bytes got;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(rig.Read(3, got), SI_INVALID_HANDLE);
  EXPECT_LT(ElapsedMs(start), 30000);  // ended by the close, not by the read timeout
  EXPECT_EQ(d->openHandles, 0);
}
