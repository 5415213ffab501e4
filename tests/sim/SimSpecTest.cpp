// The SPEC text: what it accepts, what each option sets, and clear errors for bad input.
#include <gtest/gtest.h>

#include "sim/SimSpec.h"

namespace zentra::sim {
namespace {

TEST(SimSpecTest, AcceptsKindsModelsVersionsVariantsAndOptions) {
  SimSpec s;
  std::string error;
  ASSERT_TRUE(ParseSimSpec("zrv510:ZQL21@123/U", s, error)) << error;
  ASSERT_EQ(s.interfaces.size(), 1u);
  const InterfaceSpec& i = s.interfaces[0];
  EXPECT_EQ(i.kind, SimKind::Zrv510);
  ASSERT_EQ(i.transmitters.size(), 1u);
  EXPECT_EQ(i.transmitters[0].model, "ZQL21");
  EXPECT_EQ(i.transmitters[0].version, "123");
  EXPECT_EQ(i.transmitters[0].variant, 'U');
  EXPECT_TRUE(i.present);

  ASSERT_TRUE(ParseSimSpec(
      "nano:zql22x,groups=8,channels=16,presets=3,serial=AB12,silent,loss=0.1,corrupt=0.05,"
      "seed=7,leave-after=40,gap=2,latency=15,baud=115200,next=ZQK220@123,next=ZQL12@112/R"
      "+usbmsg:ZQK230,empty+dgl700:ZQN21X@100+zrv510:ZQK120@103,old-firmware+nano:ZQL11,port=ttyQ",
      s, error))
      << error;
  ASSERT_EQ(s.interfaces.size(), 5u);
  const InterfaceSpec& n = s.interfaces[0];
  EXPECT_EQ(n.kind, SimKind::Nano);
  EXPECT_EQ(n.transmitters[0].model, "ZQL22X");
  EXPECT_EQ(n.transmitters[0].version, "129");
  EXPECT_EQ(n.transmitters[0].groups, 8);
  EXPECT_EQ(n.transmitters[0].channels, 16);
  EXPECT_EQ(n.transmitters[0].presets, 3);
  EXPECT_EQ(n.transmitters[0].serial, "AB12");
  ASSERT_EQ(n.transmitters.size(), 3u);
  EXPECT_EQ(n.transmitters[1].model, "ZQK220");
  EXPECT_EQ(n.transmitters[1].groups, 8);  // table options apply to the whole queue
  EXPECT_EQ(n.transmitters[2].variant, 'R');
  EXPECT_TRUE(n.silentWhenNoAnswer);
  EXPECT_DOUBLE_EQ(n.lossRate, 0.1);
  EXPECT_DOUBLE_EQ(n.corruptRate, 0.05);
  EXPECT_EQ(n.seed, 7u);
  EXPECT_EQ(n.leaveAfter, 40);
  EXPECT_EQ(n.gapRequests, 2);
  EXPECT_EQ(n.latencyMs, 15);
  EXPECT_EQ(n.baud, 115200);
  EXPECT_EQ(n.portName, "simnano0");
  EXPECT_FALSE(s.interfaces[1].present);
  EXPECT_EQ(s.interfaces[2].kind, SimKind::Dgl700);
  EXPECT_EQ(s.interfaces[3].firmware, "111");
  EXPECT_EQ(s.interfaces[4].portName, "ttyQ");
  EXPECT_FALSE(s.interfaces[2].overUsbBus);

  ASSERT_TRUE(ParseSimSpec("zrv510:ZQL21,libusb+usbmsg:ZQK230,no-access", s, error)) << error;
  EXPECT_TRUE(s.interfaces[0].overUsbBus);
  EXPECT_FALSE(s.interfaces[0].usbAccessDenied);
  EXPECT_TRUE(s.interfaces[1].overUsbBus);
  EXPECT_TRUE(s.interfaces[1].usbAccessDenied);
}

TEST(SimSpecTest, RefusesBadInputWithAMessageNamingThePart) {
  struct Row {
    const char* spec;
    const char* mentions;
  } rows[] = {
      {"", "empty"},
      {"ZQL21", "KIND:MODEL"},
      {"serial:ZQL21", "serial"},
      {"nano:ZQX99", "ZQX99"},
      {"nano:ZQL21@12", "12"},
      {"nano:ZQL21@1234", "1234"},
      {"nano:ZQL21@12a", "12a"},
      {"nano:ZQL21/UU", "UU"},
      {"nano:ZQL21/7", "7"},
      {"nano:ZQL21,groups=41", "groups"},
      {"nano:ZQL21,channels=0", "channels"},
      {"nano:ZQL21,loss=1.5", "loss"},
      {"nano:ZQL21,corrupt=x", "corrupt"},
      {"nano:ZQL21,presets=11", "presets"},
      {"nano:ZQL21,bogus", "bogus"},
      {"nano:ZQL21,next=ZQ", "ZQ"},
      {"usbmsg:ZQL21,port=x", "port"},
      {"nano:ZQL21+", "KIND:MODEL"},
      {"zrv510:ZQL21,firmware=1x2", "firmware"},
      {"nano:ZQL21,libusb", "USB bus"},
      {"dgl700:ZQL21,no-access=1", "no-access"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.spec);
    SimSpec s;
    s.interfaces.resize(2);
    std::string error;
    EXPECT_FALSE(ParseSimSpec(row.spec, s, error));
    EXPECT_NE(error.find(row.mentions), std::string::npos) << error;
    EXPECT_EQ(s.interfaces.size(), 2u);  // untouched on failure
  }
}

}  // namespace
}  // namespace zentra::sim
