#include <gtest/gtest.h>

#include <cstring>

#include "FakeTransactor.h"
#include "SimTransactor.h"
#include "device/Presence.h"
#include "device/TDeviceData.h"

using namespace zentra;
using namespace zentra::seqtest;

namespace {

// The access code carried by an unlock request.
AccessCode CodeOf(const std::vector<uint8_t>& request) {
  AccessCode code{};
  if (request.size() == 10) std::memcpy(code.data(), request.data() + 2, 8);
  return code;
}

}  // namespace

TEST(Presence, NothingInFrontSendsTwoUnlocksPerTick) {
  SimTransactor link;
  TDeviceData d;
  const AccessCodes& codes = ActiveAccessCodes();
  for (int tick = 0; tick < 3; ++tick) {
    link.log.clear();
    const PresenceTick t = PresenceProbe(link, d, 4);
    EXPECT_EQ(t.event, PresenceEvent::Nothing);
    EXPECT_EQ(t.unlocksSent, 2);
    ASSERT_EQ(link.log.size(), 2u);
    EXPECT_EQ(link.log[0][1], 'o');
    EXPECT_EQ(CodeOf(link.log[0]), codes.handheld);
    EXPECT_EQ(CodeOf(link.log[1]), codes.bodypack);
    EXPECT_EQ(d.modelType, 0);
  }
}

TEST(Presence, ArrivalProbesOnlyTheOwnFamilyAfterwardsAndDepartureStartsOver) {
  struct Case { const char* model; int code; const char* picture; size_t requestsOnArrival; };
  const Case cases[] = {
      {"ZQK220", 4, "PICTURE_ZQK220", 2},   // handheld unlock, identity
      {"ZQK120", 1, "PICTURE_ZQK120", 2},
      {"ZQL21X", 7, "PICTURE_ZQL21X", 3},   // handheld unlock unanswered first
      {"ZQL12", 2, "PICTURE_ZQL11", 3},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.model);
    SimTransactor link;
    TDeviceData d;
    EXPECT_EQ(PresenceProbe(link, d, 1).event, PresenceEvent::Nothing);
    link.Enter(Spec(c.model, "129"));
    link.log.clear();
    const PresenceTick arrived = PresenceProbe(link, d, 1);
    EXPECT_EQ(arrived.event, PresenceEvent::Arrived);
    EXPECT_EQ(arrived.modelType, c.code);
    EXPECT_EQ(arrived.picture, c.picture);
    EXPECT_EQ(link.log.size(), c.requestsOnArrival);
    EXPECT_EQ(link.log.back()[1], 'I');

    link.log.clear();
    EXPECT_EQ(PresenceProbe(link, d, 1).event, PresenceEvent::StillThere);
    EXPECT_EQ(link.log.size(), 1u);

    link.Leave();
    link.log.clear();
    const PresenceTick left = PresenceProbe(link, d, 1);
    EXPECT_EQ(left.event, PresenceEvent::Left);
    EXPECT_EQ(left.picture, "PICTURE_ZRV510");
    EXPECT_EQ(d.modelType, 0);
    // A departing handheld leaves the bodypack probe of the same tick to run.
    EXPECT_EQ(link.log.size(), c.code == 1 || c.code == 4 ? 2u : 1u);
    link.log.clear();
    EXPECT_EQ(PresenceProbe(link, d, 1).event, PresenceEvent::Nothing);
    EXPECT_EQ(link.log.size(), 2u);
  }
}

TEST(Presence, InterfacePictures) {
  EXPECT_STREQ(InterfacePicture(1), "PICTURE_ZRV510");
  EXPECT_STREQ(InterfacePicture(2), "PICTURE_IR");
  EXPECT_STREQ(InterfacePicture(3), "PICTURE_ZRV520");
  EXPECT_STREQ(InterfacePicture(4), "PICTURE_DGLnano");
  EXPECT_STREQ(InterfacePicture(0), "");
}

TEST(Presence, IdentityOfTheOtherFamilyIsNotTakenAsArrival) {
  SimTransactor link(Spec("ZQK220", "129"));
  // A handheld that answers the handheld code but names a bodypack model.
  const char* id = "ZQL21    1 129 B";
  std::memcpy(link.tx()->state().identity.data(), id, 16);
  TDeviceData d;
  for (int tick = 0; tick < 2; ++tick) {
    const PresenceTick t = PresenceProbe(link, d, 3);
    EXPECT_EQ(t.event, PresenceEvent::Nothing);
    EXPECT_TRUE(t.picture.empty());
    EXPECT_EQ(d.modelType, 0);
  }
}

TEST(Presence, MismatchedIdentityEndsTheTick) {
  // A transmitter that answers every family code but names a bodypack model: the
  // handheld code answered, so the tick ends without trying the bodypack code.
  test::FakeTransactor link;
  link.responder = [](const test::Bytes& q) {
    if (q.size() == 2 && q[1] == 'I') {
      test::Bytes a{'M', 'I'};
      for (const char ch : std::string("ZQL21    1 129 B")) a.push_back(uint8_t(ch));
      return test::FakeAnswer{true, a};
    }
    return test::FakeAnswer{true, {0x00, 0x00, 0x06}};
  };
  TDeviceData d;
  for (int tick = 0; tick < 2; ++tick) {
    link.requests.clear();
    const PresenceTick t = PresenceProbe(link, d, 4);
    EXPECT_EQ(t.event, PresenceEvent::Nothing);
    EXPECT_TRUE(t.mismatch);
    EXPECT_TRUE(t.picture.empty());
    EXPECT_EQ(t.unlocksSent, 1);
    EXPECT_EQ(link.requests.size(), 2u);  // one unlock, one identity read
    EXPECT_EQ(d.modelType, 0);
  }
}

TEST(Presence, UnreadableOrUnknownIdentityIsNothing) {
  SimTransactor link(Spec("ZQL22", "129"));
  link.drop = [](const uint8_t* r, int) { return r[1] == 'I'; };
  TDeviceData d;
  EXPECT_EQ(PresenceProbe(link, d, 4).event, PresenceEvent::Nothing);
  link.drop = nullptr;
  std::memcpy(link.tx()->state().identity.data(), "XYZ99   1 129 B1", 16);
  EXPECT_EQ(PresenceProbe(link, d, 4).event, PresenceEvent::Nothing);
  EXPECT_EQ(d.modelType, 0);
}

TEST(Presence, HandheldLeavesAndBodypackArrivesInOneTick) {
  SimTransactor link(Spec("ZQK230", "129"));
  TDeviceData d;
  ASSERT_EQ(PresenceProbe(link, d, 2).event, PresenceEvent::Arrived);
  link.Enter(Spec("ZQN21X", "129"));
  const PresenceTick t = PresenceProbe(link, d, 2);
  EXPECT_EQ(t.event, PresenceEvent::Arrived);
  EXPECT_TRUE(t.leftFirst);
  EXPECT_EQ(t.modelType, 8);
  EXPECT_EQ(t.picture, "PICTURE_ZQN21X");
}
