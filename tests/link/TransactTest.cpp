#include <gtest/gtest.h>

#include <chrono>

#include "link/IrLink.h"
#include "link/LinkFakes.h"

using namespace zentra;
using namespace zentra::fakes;

namespace {

const Bytes kReadId = {0x4D, 0x49};

// An answer of a direct-frame interface: header announcing n, n bytes, final byte.
Bytes DirectAnswer(const Bytes& data, uint8_t final = 0x06) {
  Bytes out = {0x00, 0x00, static_cast<uint8_t>(data.size())};
  out.insert(out.end(), data.begin(), data.end());
  out.push_back(final);
  return out;
}

Bytes PassThroughReply(const Bytes& answer, uint8_t status = kStatusSuccess,
                       uint8_t checksumXor = 0) {
  Bytes data = {0x06};
  data.insert(data.end(), answer.begin(), answer.end());
  return ReplyFrame(status, data, checksumXor);
}

Bytes Numbered(int n) {
  Bytes b;
  for (int i = 0; i < n; ++i) b.push_back(static_cast<uint8_t>(0x20 + i));
  return b;
}

// A link over the fakes with an interface of the given kind already open.
struct Rig {
  FakePlatform fake;
  IrLink link{fake.Make()};
  int activityOn = 0, errorOn = 0;
  bool errorLit = false, activityLit = false;

  explicit Rig(uint8_t kind, Responder respond = {}) {
    link.onActivity = [this](bool on) { activityLit = on; activityOn += on; };
    link.onError = [this](bool on) { errorLit = on; errorOn += on; };
    link.interfaceKind = kind;
    if (kind == kKindDglNano) {
      fake.line->respond = std::move(respond);
      EXPECT_TRUE(link.OpenSerialPort("ttyFAKE"));
    } else {
      fake.usb->devices.push_back({"usb", true, true, std::move(respond)});
      SiHandle h = 0;
      EXPECT_EQ(fake.usb->SI_Open(0, h), SI_SUCCESS);
      link.usbHandle = h;
    }
  }
  const std::vector<Bytes>& writes() const {
    return link.interfaceKind == kKindDglNano ? fake.line->writes : fake.usb->writes;
  }
  bool Send(const Bytes& request, Bytes* answer = nullptr) {
    uint8_t response[kMaxResponse];
    uint8_t length = 0;
    const bool ok = link.Transact(request.data(), static_cast<uint8_t>(request.size()),
                                  response, length);
    if (answer) answer->assign(response, response + length);
    return ok;
  }
};

}  // namespace

TEST(Transact, ReadDeviceIdLeavesThePcAsInTheWorkedExampleAndReturnsTheAnswer) {
  const Bytes id = Numbered(18);
  struct Case { uint8_t kind; Bytes sent; Responder respond; };
  const Case cases[] = {
      {kKindZrv510, {0x30, 0x3D, 0x02, 0x4D, 0x49, 0x04},
       [&](const Bytes&) { return DirectAnswer(id); }},
      {kKindDgl700, {0x55, 0x3D, 0x02, 0x4D, 0x49, 0x04},
       [&](const Bytes&) { return DirectAnswer(id); }},
      {kKindUsbMessage,
       {0xC0, 0x00, 0x04, 0x00, 0x03, 0x00, 0x11, 0x06, 0x4D, 0x49, 0x14, 0xC1},
       [&](const Bytes&) { return PassThroughReply(id); }},
      {kKindDglNano,
       {0xC0, 0x00, 0x00, 0x00, 0x03, 0x00, 0x11, 0x06, 0x4D, 0x49, 0x10, 0xC1},
       [&](const Bytes&) { return PassThroughReply(id); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.kind));
    Rig rig(c.kind, c.respond);
    sequenceCounter = 0;
    Bytes answer;
    EXPECT_TRUE(rig.Send(kReadId, &answer));
    ASSERT_EQ(rig.writes().size(), 1u);
    EXPECT_EQ(rig.writes()[0], c.sent);
    EXPECT_EQ(answer, id);
    EXPECT_FALSE(rig.errorLit);
    EXPECT_EQ(rig.activityOn, 1);
    EXPECT_FALSE(rig.activityLit);
  }
}

TEST(Transact, DirectFrameFailuresAreNotRetriedAndFlushOnlyAfterTheHeader) {
  struct Case { const char* what; Bytes reply; int flushes; };
  const Case cases[] = {
      {"final byte not acknowledge", DirectAnswer({1, 2, 3}, 0x15), 1},
      {"final byte missing", {0, 0, 3, 1, 2, 3}, 1},
      {"data short", {0, 0, 5, 1, 2}, 1},
      {"header short", {0, 0}, 0},
      {"nothing", {}, 0},
  };
  for (uint8_t kind : {kKindZrv510, kKindDgl700}) {
    for (const auto& c : cases) {
      SCOPED_TRACE(c.what);
      Rig rig(kind, [&](const Bytes&) { return c.reply; });
      EXPECT_FALSE(rig.Send({0x4D, 0x20}));
      EXPECT_EQ(rig.writes().size(), 1u);
      EXPECT_EQ(rig.fake.usb->flushes, c.flushes);
      EXPECT_TRUE(rig.errorLit);
      EXPECT_FALSE(rig.activityLit);
    }
  }
}

TEST(Transact, DirectFrameCarriesEmptyAndLongestAnswers) {
  for (int n : {0, 3, 255}) {
    const Bytes data = Numbered(n);
    Rig rig(kKindZrv510, [&](const Bytes&) { return DirectAnswer(data); });
    Bytes answer;
    EXPECT_TRUE(rig.Send(Numbered(255), &answer));
    EXPECT_EQ(answer, data);
    EXPECT_EQ(rig.writes()[0].size(), 259u);
  }
}

// Every attempt that is not answered is a fault in the link's record; an answer at the
// first attempt is a clean exchange.
TEST(Transact, MessageKindsRetryLostRefusedAndGarbledRepliesThreeTimes) {
  // Replies by attempt: empty means lost.
  struct Case { const char* what; std::vector<Bytes> replies; bool ok; };
  const Bytes good = PassThroughReply({0x00, 0x00, 0x06});
  const Bytes refused = PassThroughReply({0x00, 0x00, 0x06}, 0x41);
  // One bit of the checksum flipped on the interface's line.
  const Bytes garbled = PassThroughReply({0x00, 0x00, 0x06}, kStatusSuccess, 0x04);
  const Case cases[] = {
      {"good at once", {good}, true},
      {"two lost then good", {{}, {}, good}, true},
      {"three lost", {{}, {}, {}}, false},
      {"status 0x41 three times", {refused, refused, refused}, false},
      {"refused then good", {refused, good, good}, true},
      {"checksum wrong then good", {garbled, good}, true},
      {"checksum wrong three times", {garbled, garbled, garbled}, false},
  };
  for (uint8_t kind : {kKindUsbMessage, kKindDglNano}) {
    for (const auto& c : cases) {
      SCOPED_TRACE(std::string(c.what) + (kind == kKindDglNano ? " serial" : " usb"));
      size_t attempt = 0;
      Rig rig(kind, [&](const Bytes&) {
        return attempt < c.replies.size() ? c.replies[attempt++] : Bytes{};
      });
      sequenceCounter = 7;
      Bytes answer;
      EXPECT_EQ(rig.Send({0x4D, 0x20, 0x01}, &answer), c.ok);
      const size_t expected = c.ok ? attempt : 3;
      ASSERT_EQ(rig.writes().size(), expected);
      for (size_t i = 0; i < expected; ++i)  // every attempt is a new message
        EXPECT_EQ(rig.writes()[i][3], 7 + i);
      if (kind == kKindUsbMessage) {  // a flush after every failed attempt
        EXPECT_EQ(rig.fake.usb->flushes, static_cast<int>(c.ok ? attempt - 1 : 3));
      }
      EXPECT_EQ(rig.errorLit, !c.ok);
      if (c.ok) {
        EXPECT_EQ(answer, (Bytes{0x00, 0x00, 0x06}));
      }
      EXPECT_EQ(rig.link.linkHealth.faults(), c.ok ? attempt - 1 : 3u);
    }
  }
}

TEST(Transact, GarbledSerialRepliesFailWithoutOverrunningBuffers) {
  const Bytes good = PassThroughReply(Numbered(18));
  Bytes overLong = {0xC0};
  for (int i = 0; i < 100; ++i) overLong.push_back(0x40);
  overLong.push_back(0xC1);
  Bytes lyingLength = {0xC0, 0x00, 0x00, 0x00, 0x39, 0x40, 0x11, 0x06, 0x01, 0xC1};
  Bytes noise(200, 0x55);
  noise.insert(noise.end(), good.begin(), good.end());
  struct Case { const char* what; Bytes reply; };
  const Case cases[] = {
      {"no end mark", Bytes(good.begin(), good.end() - 1)},
      {"no start mark", Bytes(good.begin() + 1, good.end())},
      {"empty frame", {0xC0, 0xC1}},
      {"header only partly there", {0xC0, 0x00, 0x00, 0x00, 0xC1}},
      {"length byte beyond the data", lyingLength},
      {"over-long frame", overLong},
      {"escape left dangling at the end mark", {0xC0, 0x00, 0x00, 0x00, 0x00, 0x40, 0x11, 0x7D, 0xC1}},
      {"noise fills the receive buffer", noise},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Rig rig(kKindDglNano, [&](const Bytes&) { return c.reply; });
    // A previous good reply must not be mistaken for the answer to this one.
    rig.link.protocol.receiveBuffer.bytes[4] = kStatusSuccess;
    Bytes answer;
    EXPECT_FALSE(rig.Send(kReadId, &answer));
    EXPECT_TRUE(rig.errorLit);
    EXPECT_TRUE(answer.empty());
  }
}

TEST(Transact, SerialReplyWithNoiseOrInSingleBytesIsAssembled) {
  const Bytes answer = Numbered(18);
  Bytes noisy = {0x01, 0xC1, 0x7D, 0xFF};
  const Bytes frame = PassThroughReply(answer);
  noisy.insert(noisy.end(), frame.begin(), frame.end());
  noisy.push_back(0xAA);  // trailing bytes after the end mark
  for (int chunk : {0, 1, 3}) {
    SCOPED_TRACE(chunk);
    Rig rig(kKindDglNano, [&](const Bytes&) { return noisy; });
    rig.fake.line->readChunk = chunk;
    Bytes got;
    EXPECT_TRUE(rig.Send(kReadId, &got));
    EXPECT_EQ(got, answer);
    EXPECT_FALSE(rig.link.serialBusy);
  }
}

TEST(Transact, SerialReplyThatNeverEndsFailsAfterAboutHalfASecond) {
  Rig rig(kKindDglNano, [](const Bytes&) { return Bytes{0xC0, 0x00, 0x00}; });
  uint8_t response[kMaxResponse];
  uint8_t length = 0;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(rig.link.SerialMessageTransact(kReadId.data(), 2, response, length));
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                      std::chrono::steady_clock::now() - start).count();
  EXPECT_GE(ms, 450);
  EXPECT_LE(ms, 20000);  // only a hang; that the wait expired is told by rxTimedOut
  EXPECT_TRUE(rig.link.rxTimedOut);
  EXPECT_FALSE(rig.link.serialBusy);
}

TEST(Transact, RefusesWithoutSendingWhenItCannotCarryTheRequest) {
  struct Case { const char* what; uint8_t kind; int length; bool closeFirst; };
  const Case cases[] = {
      {"message kind, request longer than a message carries", kKindUsbMessage, 57, false},
      {"serial, request longer than a message carries", kKindDglNano, 57, false},
      {"serial port closed", kKindDglNano, 2, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Rig rig(c.kind, [](const Bytes&) { return PassThroughReply({0, 0, 6}); });
    if (c.closeFirst) rig.link.CloseSerialPort();
    EXPECT_FALSE(rig.Send(Numbered(c.length)));
    EXPECT_TRUE(rig.writes().empty());
    EXPECT_TRUE(rig.errorLit);
  }
  Rig longest(kKindDglNano, [](const Bytes&) { return PassThroughReply({0, 0, 6}); });
  EXPECT_TRUE(longest.Send(Numbered(56)));
}

TEST(Transact, ANestedTransactionFailsAtOnceWithoutSending) {
  Rig rig(kKindZrv510, [](const Bytes&) { return DirectAnswer({0, 0, 6}); });
  bool nestedResult = true;
  size_t writesSeen = 99;
  rig.link.onActivity = [&](bool on) {
    if (!on) return;
    nestedResult = rig.Send(kReadId);
    writesSeen = rig.writes().size();
  };
  EXPECT_TRUE(rig.Send(kReadId));
  EXPECT_FALSE(nestedResult);
  EXPECT_EQ(writesSeen, 0u);
  EXPECT_EQ(rig.writes().size(), 1u);
}

TEST(Transact, FailedSerialSendDoesNotLeaveTheLinkBusy) {
  Rig rig(kKindDglNano, [](const Bytes&) { return PassThroughReply({0, 0, 6}); });
  rig.fake.line->writeFails = true;
  EXPECT_FALSE(rig.Send(kReadId));
  EXPECT_FALSE(rig.link.serialBusy);
  EXPECT_FALSE(rig.link.InTransaction());
}

TEST(Transact, DebugPacingHoldsEachUsbMessageAndTraceSeesBothDirections) {
  const Bytes answer = {0x00, 0x00, 0x06};
  Rig rig(kKindUsbMessage, [&](const Bytes&) { return PassThroughReply(answer); });
  std::vector<std::pair<TraceDirection, Bytes>> trace;
  rig.link.onTrace = [&](TraceDirection d, const uint8_t* b, int n) {
    trace.push_back({d, b ? Bytes(b, b + n) : Bytes{}});
  };
  int waits = 0;
  size_t writesAtWait = 99;
  rig.link.onSingleMessageWait = [&] { ++waits; writesAtWait = rig.writes().size(); };
  rig.link.debug.singleMessage = true;
  EXPECT_TRUE(rig.Send(kReadId));
  EXPECT_EQ(waits, 1);
  EXPECT_EQ(writesAtWait, 0u);  // the message waits for the box to close
  ASSERT_EQ(trace.size(), 2u);
  EXPECT_EQ(trace[0], std::make_pair(TraceDirection::Request, kReadId));
  EXPECT_EQ(trace[1], std::make_pair(TraceDirection::Answer, answer));

  rig.link.debug.singleMessage = false;
  rig.link.debug.messageDelay = true;
  rig.link.debug.messageDelayMs = 120;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_TRUE(rig.Send(kReadId));
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(115));
  EXPECT_EQ(waits, 1);
}

TEST(Transact, LateSerialAnswerToAnEarlierRequestIsNotTakenAsTheAnswer) {
  const Bytes answer = Numbered(18);
  Rig rig(kKindDglNano, [&](const Bytes&) { return PassThroughReply(answer); });
  const Bytes late = PassThroughReply({0x00, 0x00, 0x06});
  rig.fake.line->incoming.assign(late.begin(), late.end());
  Bytes got;
  EXPECT_TRUE(rig.Send(kReadId, &got));
  EXPECT_EQ(got, answer);
}

TEST(Transact, InterfaceClosedOrRebuiltDuringAWaitSendsNothingMore) {
  // A device notice handled while the link waits for a serial reply.
  struct Case { const char* what; std::function<void(IrLink&)> handler; };
  const Case cases[] = {
      {"close", [](IrLink& l) { l.CloseInterface(); }},
      {"rebuild", [](IrLink& l) { EXPECT_TRUE(l.BuildInterfaceList().empty()); }},
      {"connect", [](IrLink& l) { EXPECT_NE(l.Connect({{"x", kKindDglNano, 0}}, 0),
                                            IrLink::ConnectResult::Connected); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Rig rig(kKindDglNano, [](const Bytes&) { return Bytes{}; });
    rig.fake.ports->ports.push_back({"DGLnano (ttyACM0)", "ttyACM0"});
    bool ran = false;
    rig.link.onActivity = [&](bool on) {
      if (on && !ran) { ran = true; c.handler(rig.link); }
    };
    EXPECT_FALSE(rig.Send(kReadId));
    EXPECT_TRUE(ran);
    EXPECT_TRUE(rig.writes().empty());
    EXPECT_FALSE(rig.fake.line->open);
    EXPECT_FALSE(rig.link.serialOpen);
  }
}
