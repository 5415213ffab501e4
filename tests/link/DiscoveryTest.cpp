#include <gtest/gtest.h>
#include <memory>

#include "link/IrLink.h"
#include "link/LinkFakes.h"

using namespace zentra;
using namespace zentra::fakes;

namespace {

Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }

// A direct-frame interface answering its version request with a 16-character text.
Responder DirectVersion(const std::string& version16, uint8_t final = 0x06) {
  return [=](const Bytes& sent) {
    if (sent.size() != 3 || sent[1] != 'I') return Bytes{};
    Bytes out = {sent[0], 'I'};
    std::string v = version16;
    v.resize(16, ' ');
    out.insert(out.end(), v.begin(), v.end());
    out.push_back(final);
    return out;
  };
}

// A message interface that answers the probe, the version request and the serial
// handshake; failOn names a command/first-data pair to refuse.
Responder MessageInterface(const std::string& version, int refuseCommand = -1,
                           int refuseData = -1) {
  return MessageResponder([=](const QBPMsg& m) {
    const bool refused = m.command() == refuseCommand &&
                         (refuseData < 0 || (m.length() > 0 && m.data()[0] == refuseData));
    if (refused) return ReplyFrame(0x45, {});
    if (m.command() == 0x02) return ReplyFrame(kStatusSuccess, Text(version));
    if (m.command() == 0x11) return ReplyFrame(kStatusSuccess, {m.data()[0], 0xF4, 0x01});
    return ReplyFrame(kStatusSuccess, {});
  });
}

struct Rig {
  FakePlatform fake;
  std::unique_ptr<IrLink> link;
  bool errorLit = false;
  explicit Rig(const std::string& explicitPort = {}) { Reset(explicitPort); }
  void Reset(const std::string& explicitPort = {}) {
    link = std::make_unique<IrLink>(fake.Make(explicitPort));
    link->onError = [this](bool on) { errorLit = on; };
  }
  void AddUsb(const std::string& product, Responder r, bool opens = true,
              bool readable = true) {
    fake.usb->devices.push_back({product, readable, opens, std::move(r)});
  }
  void AddPort(const std::string& friendly, const std::string& name) {
    fake.ports->ports.push_back({friendly, name});
  }
  void ExpectNothingOpen() const {
    EXPECT_TRUE(fake.usb->openHandles.empty());
    EXPECT_FALSE(fake.line->open);
    EXPECT_EQ(link->usbHandle, 0u);
    EXPECT_FALSE(link->serialOpen);
  }
};

}  // namespace

TEST(Discovery, SerialInterfaceRulesOutTheUsbScan) {
  Rig rig;
  rig.AddPort("Communications Port (ttyS0)", "ttyS0");
  rig.AddPort("DGLnano (ttyACM0)", "ttyACM0");
  rig.AddUsb("zrv510", DirectVersion("ZRV510 V1.12"));
  rig.fake.line->respond = MessageInterface("NANO0104");
  const auto entries = rig.link->BuildInterfaceList();
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].kind, kKindDglNano);
  EXPECT_EQ(entries[0].text, "NANO0104");
  EXPECT_EQ(rig.fake.line->openedNames, std::vector<std::string>{"ttyACM0"});
  EXPECT_EQ(rig.fake.usb->countCalls, 0);
  EXPECT_EQ(rig.link->interfaceKind, kKindNone);
  rig.ExpectNothingOpen();

  // A DGLnano whose port will not open still rules out the USB scan.
  rig.fake.line->openResult = kSerialOpenFailed;
  EXPECT_TRUE(rig.link->BuildInterfaceList().empty());
  EXPECT_EQ(rig.fake.usb->countCalls, 0);
}

TEST(Discovery, ExplicitPortIsTakenWithoutEnumeration) {
  Rig rig("/dev/pts/7");
  rig.AddPort("DGLnano (ttyACM0)", "ttyACM0");
  rig.fake.line->respond = MessageInterface("NANO0104");
  const auto entries = rig.link->BuildInterfaceList();
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(rig.fake.ports->calls, 0);
  EXPECT_EQ(rig.fake.line->openedNames.back(), "/dev/pts/7");
}

TEST(Discovery, UsbScanClassifiesDevicesAndKeepsTheirNumbers) {
  Rig rig;
  rig.AddUsb("unreadable", DirectVersion("X"), true, false);                    // 0
  rig.AddUsb("ir dgl700 zrv510", DirectVersion("DGL700 both"));                // 1
  // Version texts are taken whole, a zero byte inside included.
  const std::string zrv = std::string("ZRV510") + '\0' + "V1.112";
  const std::string message = std::string("MSG") + '\0' + "F001";
  rig.AddUsb("usb zrv510", DirectVersion(zrv));                                // 2
  rig.AddUsb("message box", MessageInterface(message));                        // 3
  rig.AddUsb("silent box", {});                                                // 4
  rig.AddUsb("dgl700 closed", DirectVersion("DGL700 closed"), false);          // 5
  rig.AddUsb("refusing box", MessageInterface("MSGIF002", 0x11, 0x04));        // 6
  rig.AddUsb("dgl700 bad ack", DirectVersion("DGL700 bad"), /*opens*/ true);   // 7
  rig.fake.usb->devices[7].respond = DirectVersion("DGL700 bad", 0x15);
  const auto entries = rig.link->BuildInterfaceList();

  struct Want { uint8_t kind; uint32_t device; std::string text; };
  const std::vector<Want> want = {
      {kKindDgl700, 1, "DGL700 both     "},
      {kKindZrv510, 2, zrv + "   "},
      {kKindUsbMessage, 3, message},
      {kKindDgl700, 7, ""},  // listed, but its version answer was refused
  };
  ASSERT_EQ(entries.size(), want.size());
  for (size_t i = 0; i < want.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(entries[i].kind, want[i].kind);
    EXPECT_EQ(entries[i].deviceNumber, want[i].device);
    EXPECT_EQ(entries[i].text, want[i].text);
  }
  EXPECT_EQ(rig.link->interfaceKind, kKindNone);
  rig.ExpectNothingOpen();

  // Connect opens the device the entry was found at, not the list position.
  rig.fake.usb->openedDevices.clear();
  EXPECT_EQ(rig.link->Connect(entries, 2), IrLink::ConnectResult::Connected);
  EXPECT_EQ(rig.fake.usb->openedDevices, std::vector<uint32_t>{3});
  EXPECT_EQ(rig.link->interfaceKind, kKindUsbMessage);
  rig.link->CloseInterface();
  rig.ExpectNothingOpen();
}

TEST(Discovery, Zrv510ConnectsOnlyWithFirmware112) {
  struct Case { std::string version; uint8_t kind; IrLink::ConnectResult result; };
  const Case cases[] = {
      {"ZRV510 V1.112 ab", kKindZrv510, IrLink::ConnectResult::Connected},
      {"ZRV510 V1.111 ab", kKindZrv510, IrLink::ConnectResult::FirmwareUnsupported},
      {"ZRV510 V 1", kKindZrv510, IrLink::ConnectResult::FirmwareUnsupported},
      {"112ZRV510 V 0000", kKindZrv510, IrLink::ConnectResult::FirmwareUnsupported},
      {"DGL700 V 000 abc", kKindDgl700, IrLink::ConnectResult::Connected},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.version);
    Rig rig;
    rig.AddUsb("other", {});
    rig.AddUsb(c.kind == kKindZrv510 ? "zrv510" : "dgl700", DirectVersion(c.version));
    const auto entries = rig.link->BuildInterfaceList();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(rig.link->Connect(entries, 0), c.result);
    const bool connected = c.result == IrLink::ConnectResult::Connected;
    EXPECT_EQ(rig.link->usbHandle != 0, connected);
    EXPECT_EQ(rig.fake.usb->openHandles.size(), connected ? 1u : 0u);
  }
}

TEST(Discovery, ConnectFailsCleanlyWhenNothingCanBeOpened) {
  // setup runs before the list is built, change after it.
  struct Case {
    const char* what;
    std::function<void(Rig&)> setup, change;
    int index;
  };
  const auto none = [](Rig&) {};
  const Case cases[] = {
      {"empty list", none, none, 0},
      {"no selection", [](Rig& r) { r.AddUsb("zrv510", DirectVersion("ZRV510 V 112")); },
       none, -1},
      {"probe no longer answered", [](Rig& r) { r.AddUsb("box", MessageInterface("M")); },
       [](Rig& r) { r.fake.usb->devices[0].respond = {}; }, 0},
      {"interface unplugged", [](Rig& r) { r.AddUsb("dgl700", DirectVersion("D")); },
       [](Rig& r) { r.fake.usb->devices[0].opens = false; }, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Rig rig;
    c.setup(rig);
    const auto entries = rig.link->BuildInterfaceList();
    c.change(rig);
    EXPECT_EQ(rig.link->Connect(entries, c.index), IrLink::ConnectResult::Failed);
    EXPECT_TRUE(rig.errorLit);
    rig.ExpectNothingOpen();
  }
}

TEST(Discovery, SerialHandshakeOpensTheLinkAndSetsParameterFive) {
  // Each write of the handshake by its data: link open (no data), parameter read,
  // parameter set, parameter read-back.
  const Bytes open, get = {0x05}, set = {0x05, 0xF4, 0x01};
  struct Case { const char* what; int refuseCommand, refuseData, loseCommand;
                std::vector<Bytes> writes; bool ok; };
  const Case cases[] = {
      {"all answered", -1, -1, -1, {open, get, set, get}, true},
      {"link open refused", 0x00, -1, -1, {open}, false},
      {"parameter read refused", 0x11, 0x05, -1, {open, get, set, get}, false},
      // A lost answer is asked for again; a refusal is not.
      {"link open answer lost once", -1, -1, 0x00, {open, open, get, set, get}, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Rig rig;
    rig.AddPort("DGLnano (ttyACM0)", "ttyACM0");
    rig.fake.line->respond = MessageInterface("NANO0104");
    const auto entries = rig.link->BuildInterfaceList();
    ASSERT_EQ(entries.size(), 1u);
    Responder answer = MessageInterface("NANO0104", c.refuseCommand, c.refuseData);
    auto lost = std::make_shared<bool>(false);
    rig.fake.line->respond = [=](const Bytes& frame) {
      if (DecodeFrame(frame).command() == c.loseCommand && !*lost) {
        *lost = true;
        return Bytes{};
      }
      return answer(frame);
    };
    rig.fake.line->writes.clear();
    EXPECT_EQ(rig.link->Connect(entries, 0) == IrLink::ConnectResult::Connected, c.ok);
    ASSERT_EQ(rig.fake.line->writes.size(), c.writes.size());
    for (size_t i = 0; i < c.writes.size(); ++i) {
      const QBPMsg m = DecodeFrame(rig.fake.line->writes[i]);
      EXPECT_EQ(m.address(), 0);
      EXPECT_EQ(m.command(), c.writes[i].empty() ? 0x00 : 0x11);
      EXPECT_EQ(Bytes(m.data(), m.data() + m.length()), c.writes[i]);
    }
    EXPECT_EQ(rig.link->serialOpen, c.ok);
    if (c.ok) {
      rig.fake.line->writes.clear();
      rig.link->CloseInterface();
      ASSERT_EQ(rig.fake.line->writes.size(), 1u);
      EXPECT_EQ(DecodeFrame(rig.fake.line->writes[0]).command(), 0x01);
    }
    rig.ExpectNothingOpen();
  }
}

TEST(Discovery, FindsTheDglnanoPortByItsFriendlyName) {
  struct Case { const char* what; std::vector<std::string> names; std::string port; };
  std::vector<std::string> many(16, "Other (ttyS1)");
  many.push_back("DGLnano (ttyACM9)");
  const Case cases[] = {
      {"second of two", {"Modem (ttyS0)", "DGLnano (ttyACM0)", "DGLnano (ttyACM1)"}, "ttyACM0"},
      {"text around it", {"USB DGLnano IR (COM7) x"}, "COM7"},
      {"no parentheses", {"DGLnano ttyACM0"}, ""},
      {"parentheses reversed", {"DGLnano )ttyACM0("}, ""},
      {"name compared with case", {"dglnano (ttyACM0)"}, ""},
      {"beyond the sixteenth port", many, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Rig rig;
    for (const auto& n : c.names) rig.AddPort(n, "unused");
    EXPECT_EQ(rig.link->FindSerialInterfacePort(), c.port);
  }
}
