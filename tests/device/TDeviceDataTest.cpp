#include <gtest/gtest.h>

#include "device/TDeviceData.h"

namespace zentra {
namespace {

TEST(TDeviceData, ResetMarksValuesUnreadAndKeepsRewrittenFields) {
  TDeviceData d;
  EXPECT_EQ(d.modelType, 0);
  EXPECT_EQ(d.presetIndex, 0xFF);

  // Fill as a connected transmitter would, then disconnect.
  d.modelType = 7;
  d.idText.fill('Z');
  d.curChannel = 3;
  d.curGroup = 2;
  d.audioGain = -12;
  d.audioGainRead = 1;
  d.audioFilter = d.audioDisplay = d.preEmphasis = 1;
  d.micMode = d.micPhase = d.micPTT = d.batteryType = d.rfPower = 1;
  d.ledLight = 9;
  d.ledMode = 2;
  d.presetIndex = 3;
  d.groupHiddenMask.fill(0xFF);
  d.curFreqKHz = 512125;
  d.hiddenBits = 0x41;
  d.syncGroup = 16;
  d.rfLevelNames[2] = "100 mW";
  d.bandCount = 4;
  d.txNameLength = 12;
  d.ResetDeviceData();

  EXPECT_EQ(d.modelType, 0);
  EXPECT_EQ(d.presetIndex, 0xFF);
  EXPECT_EQ(d.IdText(), "");
  EXPECT_EQ(d.audioGainRead, 0);
  for (int v : {d.curChannel, d.curGroup, d.audioFilter, d.audioDisplay, d.preEmphasis,
                d.micMode, d.micPhase, d.micPTT, d.batteryType, d.rfPower, d.ledLight,
                d.ledMode})
    EXPECT_EQ(v, kNotRead);
  EXPECT_FALSE(d.AllGroupsHidden());
  EXPECT_EQ(d.rfLevelNames[2], "");
  EXPECT_EQ(d.bandCount, 0);
  EXPECT_EQ(d.txNameLength, 0);
  // Left for the next read to rewrite.
  EXPECT_EQ(d.curFreqKHz, 512125);
  EXPECT_EQ(d.hiddenBits, 0x41);
  EXPECT_EQ(d.syncGroup, 16);
}

TEST(TDeviceData, TextsAreCutAtTheirFirstZeroByte) {
  TDeviceData d;
  const char id[16] = {'Z', 'Q', 'L', '2', '1', ' ', 'P', ' ', ' ', 0, '1', '2', '3'};
  std::copy(id, id + 16, d.idText.begin());
  EXPECT_EQ(d.IdText(), "ZQL21 P  ");
  const char sn[10] = {'1', '2', '3', '4', '5', '6', '7', '8', '9', '0'};
  std::copy(sn, sn + 10, d.serialText.begin());
  EXPECT_EQ(d.SerialText(), "1234567890");  // a full field has no terminator
}

struct GroupBitCase {
  const char* name;
  uint8_t syncSupported;
  int groupCount;
  int group;
  bool stored;
};

TEST(TDeviceData, GroupBitsRespectTheirBounds) {
  const GroupBitCase cases[] = {
      {"first group", 1, 16, 0, true},
      {"last ordinary group", 1, 16, 15, true},
      {"the SYNC group itself", 1, 16, 16, false},
      {"negative group", 1, 16, -1, false},
      {"group 39 of 40", 1, 40, 39, true},
      {"group 40 of 40", 1, 40, 40, false},
      {"no sync: last group", 0, 8, 7, true},
      {"no sync: past groupCount", 0, 8, 8, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TDeviceData d;
    d.syncSupported = c.syncSupported;
    d.groupCount = c.groupCount;
    d.syncGroup = c.groupCount;
    d.SetGroupLock(c.group, true);
    d.SetGroupHidden(c.group, true);
    EXPECT_EQ(d.IsGroupLocked(c.group), c.stored);
    EXPECT_EQ(d.IsGroupHidden(c.group), c.stored);
    int bits = 0;
    for (int i = 0; i < kGroupMaskBytes; ++i)
      bits += __builtin_popcount(d.groupLockMask[i]) + __builtin_popcount(d.groupHiddenMask[i]);
    EXPECT_EQ(bits, c.stored ? 2 : 0);
    if (c.stored) {
      EXPECT_EQ(d.groupLockMask[c.group / 8], 1 << (c.group % 8));
      d.SetGroupLock(c.group, false);
      EXPECT_FALSE(d.IsGroupLocked(c.group));
      EXPECT_TRUE(d.IsGroupHidden(c.group));  // the other mask is untouched
    }
  }
}

TEST(TDeviceData, AllGroupsHiddenNeedsEveryMaskBit) {
  TDeviceData d;
  d.syncSupported = 1;
  d.groupCount = d.syncGroup = 20;
  for (int g = 0; g < 19; ++g) d.SetGroupHidden(g, true);
  EXPECT_FALSE(d.EveryGroupHidden());
  d.SetGroupHidden(19, true);
  EXPECT_FALSE(d.AllGroupsHidden());
  EXPECT_TRUE(d.EveryGroupHidden());  // every group this transmitter has
  d.groupHiddenMask.fill(0xFF);
  EXPECT_TRUE(d.AllGroupsHidden());
  d.groupHiddenMask[4] = 0x7F;
  EXPECT_FALSE(d.AllGroupsHidden());
}

TEST(TDeviceData, FrequencyCheckAtRangeEndsAndSubBandEdges) {
  TDeviceData plain;
  plain.freqMinMHz = 470;
  plain.freqMaxMHz = 542;

  TDeviceData banded = plain;
  banded.bandCount = 2;
  banded.bandEdgeMHz[0] = 500;
  banded.bandEdgeKHz[0] = 0;
  banded.bandAllowed[0] = 0;
  banded.bandEdgeMHz[1] = 520;
  banded.bandEdgeKHz[1] = 500;
  banded.bandAllowed[1] = 50;
  // A stale entry past the count must not count.
  banded.bandEdgeMHz[2] = 542;
  banded.bandAllowed[2] = 0;

  struct Case {
    const TDeviceData* d;
    int32_t kHz;
    bool allowed;
  } cases[] = {
      {&plain, 470000, true},  {&plain, 542000, true},   {&plain, 542001, false},
      {&plain, 469999, false}, {&plain, -1, false},      {&banded, 499999, false},
      {&banded, 500000, false}, {&banded, 500001, true}, {&banded, 520500, true},
      {&banded, 520501, true}, {&banded, 530000, true},  {&banded, 470000, false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(c.d->IsFrequencyAllowed(c.kHz), c.allowed) << c.kHz;
}

TEST(TDeviceData, FrequencyCheckIgnoresAnImpossibleBandCount) {
  TDeviceData d;
  d.freqMinMHz = 470;
  d.freqMaxMHz = 542;
  d.bandCount = 1000;  // never indexes past the table
  EXPECT_TRUE(d.IsFrequencyAllowed(480000));
}

TEST(PresetChecks, RangesByModel) {
  struct Case {
    const char* what;
    bool (*check)(int, int);
    int model;
    int lowestOk, highestOk;
  } cases[] = {
      {"gain code 2", CheckPresetGain, 2, -40, 40},
      {"gain code 6", CheckPresetGain, 6, -40, 40},
      {"gain code 9", CheckPresetGain, 9, -60, 40},
      {"gain code 1", CheckPresetGain, 1, -20, 40},
      {"gain code 10", CheckPresetGain, 10, -20, 40},
      {"filter code 3", CheckPresetFilter, 3, 0, 6},
      {"filter code 2", CheckPresetFilter, 2, 0, 4},
      {"pre-emphasis code 10", CheckPresetPreEmphasis, 10, 0, 1},
      {"pre-emphasis code 1", CheckPresetPreEmphasis, 1, 0, 0},
      {"limiter code 8", CheckPresetLimiter, 8, 0, 1},
      {"rf power", CheckPresetRFPower, 5, 0, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_TRUE(c.check(c.model, c.lowestOk));
    EXPECT_TRUE(c.check(c.model, c.highestOk));
    EXPECT_FALSE(c.check(c.model, c.lowestOk - 1));
    EXPECT_FALSE(c.check(c.model, c.highestOk + 1));
  }
  for (int model : {0, 1, 3, 5, 6, 10}) EXPECT_FALSE(CheckPresetLimiter(model, 0)) << model;
}

TEST(PresetChecks, MicModeByModelAndVariant) {
  struct Case {
    int model, variant, highest;
  } cases[] = {{3, 0, 4}, {7, 1, 4}, {8, 1, 4}, {5, 1, 2}, {9, 1, 2}, {6, 0, 1},
               {2, 1, 3}, {2, 2, 1}, {2, 0, 2}, {0, 0, 0}, {1, 0, 0}, {4, 0, 0}, {10, 0, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "model " << c.model << " variant " << c.variant);
    EXPECT_TRUE(CheckPresetMicMode(c.model, c.variant, 0));
    EXPECT_TRUE(CheckPresetMicMode(c.model, c.variant, c.highest));
    EXPECT_FALSE(CheckPresetMicMode(c.model, c.variant, c.highest + 1));
    EXPECT_FALSE(CheckPresetMicMode(c.model, c.variant, -1));
  }
}

TEST(PresetChecks, MicPttTakesOnlyTheValuesTheModelsListsProduce) {
  struct Case {
    int model, variant;
    bool v0, v1, v2, v3;
  } cases[] = {
      {6, 0, true, false, false, true},  {2, 1, true, false, false, true},
      {2, 2, true, false, false, true},  {2, 0, true, true, true, true},
      {8, 1, true, true, true, true},    {1, 0, true, true, true, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "model " << c.model << " variant " << c.variant);
    EXPECT_EQ(CheckPresetMicPTT(c.model, c.variant, 0), c.v0);
    EXPECT_EQ(CheckPresetMicPTT(c.model, c.variant, 1), c.v1);
    EXPECT_EQ(CheckPresetMicPTT(c.model, c.variant, 2), c.v2);
    EXPECT_EQ(CheckPresetMicPTT(c.model, c.variant, 3), c.v3);
    EXPECT_FALSE(CheckPresetMicPTT(c.model, c.variant, 4));
    EXPECT_FALSE(CheckPresetMicPTT(c.model, c.variant, -1));
  }
}

TEST(PresetChecks, BatteryTypeAndModulationPair) {
  EXPECT_TRUE(CheckPresetBatteryType(5, false, 2));
  EXPECT_TRUE(CheckPresetBatteryType(9, false, 2));
  EXPECT_FALSE(CheckPresetBatteryType(0, true, 2));
  EXPECT_FALSE(CheckPresetBatteryType(11, true, 2));
  EXPECT_FALSE(CheckPresetBatteryType(3, false, 2));
  EXPECT_TRUE(CheckPresetBatteryType(3, true, 2));
  EXPECT_FALSE(CheckPresetBatteryType(3, true, 3));
  EXPECT_FALSE(CheckPresetBatteryType(3, true, -1));

  EXPECT_TRUE(CheckPresetAudioModLpf(10, 0, 1));
  EXPECT_TRUE(CheckPresetAudioModLpf(10, 1, 2));
  EXPECT_FALSE(CheckPresetAudioModLpf(10, 0, 2));  // 20 kHz needs wide modulation
  EXPECT_FALSE(CheckPresetAudioModLpf(10, 2, 0));
  EXPECT_FALSE(CheckPresetAudioModLpf(10, 1, 3));
  EXPECT_FALSE(CheckPresetAudioModLpf(4, 0, 0));
}

}  // namespace
}  // namespace zentra
