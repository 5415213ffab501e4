// The factory sequences against a simulated transmitter, the checks of typed service
// numbers, and the power profile arithmetic.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "device/CommandSet.h"
#include "device/Identification.h"
#include "device/PowerProfile.h"
#include "device/ServiceCommands.h"
#include "device/ServiceOperations.h"
#include "device/SimTransactor.h"
#include "device/TDeviceData.h"

namespace zentra {
namespace {

using seqtest::SimTransactor;
using seqtest::Spec;

constexpr uint8_t kWriteSerial = 0xCE, kWriteId = 0xC9, kCrc = 0x1C;

// The requests by name: unlock "o", "serial" and "id" writes, "crc", reads "N" and "I".
std::string Shapes(const SimTransactor& link) {
  std::string s;
  for (const auto& r : link.log) {
    if (r.size() < 2) continue;
    if (!s.empty()) s += ' ';
    if (r[1] == kWriteSerial) s += "serial";
    else if (r[1] == kWriteId) s += "id";
    else if (r[1] == 'd' && r.size() > 2 && r[2] == kCrc) s += "crc";
    else s += static_cast<char>(r[1]);
  }
  return s;
}

TEST(ServiceOperationsTest, WritesAreReadBackAndCheckedEvenWhenTheWriteFails) {
  for (bool dropWrite : {false, true}) {
    SCOPED_TRACE(dropWrite ? "write lost" : "write answered");
    SimTransactor link(Spec("ZQL22X", "129"));
    TDeviceData data;
    CommandSet commands(link, data);
    ServiceCommands service(link);
    ASSERT_TRUE(commands.ReadDeviceId());
    ASSERT_TRUE(IdentifyCapabilities(data));
    if (dropWrite) {
      link.drop = [](const uint8_t* r, int n) {
        return n > 1 && (r[1] == kWriteSerial || r[1] == kWriteId);
      };
    }
    link.log.clear();
    const IdentityWriteOutcome serial = WriteSerialAndCheck(service, commands, "AB12");
    EXPECT_EQ(Shapes(link), "o serial N o crc");
    EXPECT_EQ(serial.written, !dropWrite);
    EXPECT_TRUE(serial.reread);
    EXPECT_TRUE(serial.crc.answered);
    EXPECT_EQ(serial.ok(), !dropWrite);
    EXPECT_EQ(data.SerialText() == "AB12", !dropWrite) << data.SerialText();

    link.log.clear();
    const IdentityWriteOutcome id = WriteIdentityAndCheck(service, commands, data, "ZQL22X");
    EXPECT_EQ(Shapes(link), "o id I o crc");
    EXPECT_EQ(id.written, !dropWrite);
    EXPECT_TRUE(id.reread);
    EXPECT_NE(data.modelType, 0) << "the model is identified again from the identity read";
  }
}

TEST(ServiceOperationsTest, ServiceNumbersMustBeWholeNumbersInRange) {
  const struct {
    const char* text;
    std::optional<int64_t> value;
  } cases[] = {
      {"65537", 65537},          {" -12 ", -12},       {"+5", 5},
      {"-2147483648", INT32_MIN}, {"2147483647", INT32_MAX},
      {"2147483648", std::nullopt}, {"abc", std::nullopt}, {"12abc", std::nullopt},
      {"1.5", std::nullopt},      {"", std::nullopt},   {"  ", std::nullopt},
      {"0x10", std::nullopt},     {"+", std::nullopt},  {"- 3", std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ParseServiceNumber(c.text, kServiceNumberMin, kServiceNumberMax), c.value)
        << '"' << c.text << '"';
  }
}

// Segments as (edge MHz, edge kHz, power mW).
struct Segment {
  int mhz, khz, mw;
};
TDeviceData Plan(int minMHz, int maxMHz, int stepHz, std::initializer_list<Segment> segments) {
  TDeviceData d;
  d.freqMinMHz = minMHz;
  d.freqMaxMHz = maxMHz;
  d.stepHz = stepHz;
  d.bandCount = static_cast<int>(segments.size());
  int i = 0;
  for (const Segment& s : segments) {
    d.bandEdgeMHz[i] = s.mhz;
    d.bandEdgeKHz[i] = s.khz;
    d.bandAllowed[i] = s.mw;
    ++i;
  }
  return d;
}

TEST(PowerProfileTest, RowsStartOneWholeKHzStepAboveThePreviousEdge) {
  const TDeviceData d = Plan(470, 542, 12500, {{508, 0, 100}, {520, 500, 0}, {542, 0, 50}});
  const auto rows = PowerProfileRows(d);
  ASSERT_EQ(rows.size(), 16u);
  const struct {
    int start, stop, mw;
  } expected[] = {{470000, 508000, 100}, {508012, 520500, 0}, {520512, 542000, 50}};
  for (int r = 0; r < 3; ++r) {
    EXPECT_TRUE(rows[r].filled);
    EXPECT_EQ(rows[r].startKHz, expected[r].start) << r;
    EXPECT_EQ(rows[r].stopKHz, expected[r].stop) << r;
    EXPECT_EQ(rows[r].maxPowerMW, expected[r].mw) << r;
  }
  for (int r = 0; r < 16; ++r) EXPECT_EQ(rows[r].num, r + 1);
  for (int r = 3; r < 16; ++r) EXPECT_FALSE(rows[r].filled) << r;

  // No band plan: only the numbers.
  for (const auto& row : PowerProfileRows(Plan(470, 542, 25000, {}))) EXPECT_FALSE(row.filled);
  // A count beyond the table is held at its 15 segments.
  TDeviceData wild = d;
  wild.bandCount = 99;
  EXPECT_FALSE(PowerProfileRows(wild)[15].filled);
  EXPECT_TRUE(PowerProfileRows(wild)[14].filled);
}

TEST(PowerProfileTest, PlotStepsJoinUpAndStayInsideTheTuningRange) {
  const struct {
    const char* name;
    TDeviceData data;
    std::vector<PowerStep> steps;
  } cases[] = {
      {"three segments", Plan(470, 542, 25000, {{508, 0, 100}, {510, 0, 0}, {542, 0, 50}}),
       {{470000, 508025, 100}, {508025, 510025, 0}, {510025, 542000, 50}}},
      {"edges beyond the range are clipped", Plan(500, 520, 25000, {{490, 0, 10}, {530, 0, 30}}),
       {{500000, 520000, 30}}},
      {"no band plan", Plan(470, 542, 25000, {}), {}},
      {"nothing read", Plan(0, 0, 0, {{508, 0, 100}}), {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const auto steps = PowerProfileSteps(c.data);
    ASSERT_EQ(steps.size(), c.steps.size());
    for (size_t i = 0; i < steps.size(); ++i) {
      EXPECT_EQ(steps[i].fromKHz, c.steps[i].fromKHz) << i;
      EXPECT_EQ(steps[i].toKHz, c.steps[i].toKHz) << i;
      EXPECT_EQ(steps[i].maxPowerMW, c.steps[i].maxPowerMW) << i;
    }
  }
}

}  // namespace
}  // namespace zentra
