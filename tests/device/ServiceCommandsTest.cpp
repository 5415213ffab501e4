#include <gtest/gtest.h>

#include <functional>

#include "device/FakeTransactor.h"
#include "device/ServiceCommands.h"

namespace zentra {
namespace {

using test::Bytes;
using test::FakeTransactor;

Bytes UnlockRequest(const AccessCode& code) {
  Bytes q(10);
  q[0] = 0x4D;
  q[1] = 0x6F;
  std::copy(code.begin(), code.end(), q.begin() + 2);
  return q;
}

class ServiceCommandsTest : public testing::Test {
 protected:
  void SetUp() override {
    AccessCodes codes = DefaultAccessCodes();
    codes.service = {'S', 'E', 'R', 'V', 'I', 'C', 'E', '1'};
    SetActiveAccessCodes(codes);
  }
  void TearDown() override { SetActiveAccessCodes(DefaultAccessCodes()); }

  FakeTransactor link;
  ServiceCommands service{link};
};

TEST_F(ServiceCommandsTest, CountsAboveTheBlockSizeSendNothing) {
  uint8_t buf[64] = {};
  struct Case {
    const char* name;
    std::function<bool()> call;
  } cases[] = {
      {"xeeprom read 33", [&] { return service.ReadXeepromBlock(0, 33, buf); }},
      {"xeeprom write 33", [&] { return service.WriteXeepromBlock(0, 33, buf); }},
      {"cal read 9", [&] { return service.ReadCalBlock(0, 9, buf); }},
      {"cal write 9", [&] { return service.WriteCalBlock(0, 9, buf); }},
      {"xeeprom read 0", [&] { return service.ReadXeepromBlock(0, 0, buf); }},
      {"cal read negative", [&] { return service.ReadCalBlock(0, -1, buf); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    link.requests.clear();
    link.Ack();  // an unlock would be answered, but none may go out
    EXPECT_FALSE(c.call());
    EXPECT_TRUE(link.requests.empty());
    link.script.clear();
  }
}

TEST_F(ServiceCommandsTest, FullBlockReadUnlocksThenSendsTheFixedRequest) {
  link.Ack();
  Bytes answer(36, 0);
  for (int i = 0; i < 32; ++i) answer[4 + i] = static_cast<uint8_t>(0xA0 + i);
  link.Answer(answer);
  uint8_t out[32] = {};
  ASSERT_TRUE(service.ReadXeepromBlock(0xFFE0, 32, out));
  ASSERT_EQ(link.requests.size(), 2u);
  EXPECT_EQ(link.requests[0], UnlockRequest(ActiveAccessCodes().service));
  Bytes want(38, 0);
  want[0] = 0x4D;
  want[1] = 0x64;
  want[2] = 0x10;
  want[3] = 32;
  want[4] = 0xFF;
  want[5] = 0xE0;
  EXPECT_EQ(link.requests[1], want);
  EXPECT_EQ(out[0], 0xA0);
  EXPECT_EQ(out[31], 0xA0 + 31);
}

TEST_F(ServiceCommandsTest, CalBlockReadUsesItsOwnSizes) {
  link.Ack();
  link.Answer({0, 0, 0, 0, 1, 2, 3, 0, 0, 0, 0, 0});
  uint8_t out[8] = {};
  ASSERT_TRUE(service.ReadCalBlock(0x0010, 3, out));
  ASSERT_EQ(link.requests.size(), 2u);
  EXPECT_EQ(link.requests[1], (Bytes{0x4D, 0x64, 0x11, 3, 0x00, 0x10, 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(out[2], 3);

  link.Ack();
  link.Answer(Bytes(36, 0));  // an external-EEPROM length for a calibration block
  EXPECT_FALSE(service.ReadCalBlock(0, 8, out));
}

TEST_F(ServiceCommandsTest, BlockWritesCompareTheWholeEcho) {
  const uint8_t data[4] = {0x11, 0x22, 0x33, 0x44};
  struct Case {
    const char* name;
    int changedIndex;  // -1: exact echo
    bool ok;
  } cases[] = {{"exact echo", -1, true}, {"first differs", 0, false}, {"last differs", 3, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    link.requests.clear();
    link.Ack();
    Bytes echo(36, 0);
    for (int i = 0; i < 4; ++i) echo[4 + i] = data[i];
    if (c.changedIndex >= 0) echo[4 + c.changedIndex] ^= 0x01;
    link.Answer(echo);
    EXPECT_EQ(service.WriteXeepromBlock(0x0120, 4, data), c.ok);
    ASSERT_EQ(link.requests.size(), 2u);
    Bytes want(38, 0);
    const uint8_t head[] = {0x4D, 0x64, 0x90, 0x04, 0x01, 0x20, 0x11, 0x22, 0x33, 0x44};
    std::copy(std::begin(head), std::end(head), want.begin());
    EXPECT_EQ(link.requests[1], want);
  }
  // Calibration block: 14-byte request, 12-byte echo.
  link.requests.clear();
  link.Ack();
  link.Answer({0, 0, 0, 0, 0x11, 0x22, 0, 0, 0, 0, 0, 0});
  EXPECT_TRUE(service.WriteCalBlock(0x0002, 2, data));
  EXPECT_EQ(link.requests[1], (Bytes{0x4D, 0x64, 0x91, 2, 0, 2, 0x11, 0x22, 0, 0, 0, 0, 0, 0}));
}

TEST_F(ServiceCommandsTest, NoServiceCommandWithoutAnAcknowledgedUnlock) {
  const std::vector<Bytes> badUnlocks = {
      {0, 0, 0x15}, {0, 0, 0x06, 0x00}, {0, 0}, {}};
  for (const auto& bad : badUnlocks) {
    link.requests.clear();
    link.Answer(bad, !bad.empty());
    link.Ack();
    EXPECT_FALSE(service.MemoryFill());
    EXPECT_EQ(link.requests.size(), 1u);
    link.script.clear();
  }
}

TEST_F(ServiceCommandsTest, CrcResultAndItsCaptions) {
  bool good = true;
  link.Ack();
  link.Answer({0, 0, 0, 0});
  EXPECT_TRUE(service.CheckCrc(good));  // the exchange itself succeeded
  EXPECT_FALSE(good);
  EXPECT_STREQ(CrcCaption(good), "CRC BAD");
  EXPECT_EQ(link.requests.back(), (Bytes{0x4D, 0x64, 0x1C}));

  link.Ack();
  link.Answer({0, 0, 0, 1});
  EXPECT_TRUE(service.CheckCrc(good));
  EXPECT_STREQ(CrcCaption(good), "CRC OK!");

  good = true;
  link.Ack();
  link.Answer({0, 0, 0});
  EXPECT_FALSE(service.CheckCrc(good));
  EXPECT_TRUE(good);  // untouched on a failed exchange
}

TEST_F(ServiceCommandsTest, FixedRequestsAndTheirSuccessTests) {
  struct Case {
    const char* name;
    std::function<bool()> call;
    Bytes answer;
    Bytes request;
    bool ok;
  } cases[] = {
      {"CalibrateBattery", [&] { return service.CalibrateBattery(0x1234); }, Bytes(5, 0),
       {0x4D, 0x64, 0x9D, 0x12, 0x34}, true},
      {"CalibrateBattery wrong length", [&] { return service.CalibrateBattery(1); },
       {0, 0, 6}, {0x4D, 0x64, 0x9D, 0x00, 0x01}, false},
      {"SetFastFrequency", [&] { return service.SetFastFrequency(512125); }, Bytes(7, 0),
       {0x4D, 0x64, 0x9E, 0x00, 0x07, 0xD0, 0x7D}, true},
      {"WriteSerialNumber zero padded", [&] { return service.WriteSerialNumber("123"); },
       {0, 0, 6}, {0x4D, 0xCE, '1', '2', '3', 0, 0, 0, 0, 0, 0, 0}, true},
      {"WriteSerialNumber cut at 10",
       [&] { return service.WriteSerialNumber("ABCDEFGHIJKL"); }, {0, 0, 6},
       {0x4D, 0xCE, 'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H', 'I', 'J'}, true},
      {"WriteDeviceId blank padded", [&] { return service.WriteDeviceId("ABC"); }, {0, 0, 6},
       {0x4D, 0xC9, 'A', 'B', 'C', ' ', ' ', ' ', ' ', ' ', ' ', ' '}, true},
      {"MemoryFill", [&] { return service.MemoryFill(); }, {0, 0, 6}, {0x4D, 0xC7, 0x00}, true},
      {"MemoryFill not acknowledged", [&] { return service.MemoryFill(); }, {0, 0, 0x15},
       {0x4D, 0xC7, 0x00}, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    link.requests.clear();
    link.Ack();
    link.Answer(c.answer);
    EXPECT_EQ(c.call(), c.ok);
    ASSERT_EQ(link.requests.size(), 2u);
    EXPECT_EQ(link.requests[0], UnlockRequest(ActiveAccessCodes().service));
    EXPECT_EQ(link.requests[1], c.request);
  }
}

TEST(ServiceRanges, RangesPastTheTopAddressAreRefused) {
  struct Case {
    uint32_t start, length;
    bool ok;
  } cases[] = {{0, 0x10000, true},      {0, 0x10001, false},     {0xFFFF, 1, true},
               {0xFFFF, 2, false},      {0x8000, 0x8000, true},  {0x8000, 0x8001, false},
               {0x10000, 1, false},     {5, 0, false},           {0xFFFFFFFF, 2, false}};
  for (const auto& c : cases)
    EXPECT_EQ(IsMemoryRangeValid(c.start, c.length), c.ok) << c.start << "+" << c.length;
}

}  // namespace
}  // namespace zentra
