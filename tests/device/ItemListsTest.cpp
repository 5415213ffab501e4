#include <gtest/gtest.h>

#include "device/ItemLists.h"
#include "device/TDeviceData.h"

using namespace zentra;

namespace {

TDeviceData Model(int code, int variant = 0, int micMode = 0) {
  TDeviceData d;
  d.modelType = static_cast<int8_t>(code);
  d.micVariant = static_cast<uint8_t>(variant);
  d.micMode = micMode;
  d.pttSupported = 1;
  return d;
}

}  // namespace

TEST(PttMapping, MainPanelByModelVariantAndMode) {
  struct Case { int model, variant, mode; bool reduced; };
  const Case cases[] = {
      {1, 0, 0, false}, {2, 0, 2, false}, {2, 1, 0, true}, {2, 2, 1, true},
      {3, 0, 1, false}, {3, 0, 2, true},  {3, 1, 4, true}, {4, 0, 2, false},
      {5, 1, 2, true},  {5, 1, 1, false}, {6, 0, 0, true}, {7, 1, 3, true},
      {8, 1, 1, true},  {9, 1, 0, false}, {10, 0, 2, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "model " << c.model << " variant " << c.variant
                                    << " mode " << c.mode);
    const TDeviceData d = Model(c.model, c.variant, c.mode);
    EXPECT_EQ(MainPttReduced(d), c.reduced);
    for (int value = 0; value <= 3; ++value) {
      const int index = PttValueToIndex(d, value);
      if (c.reduced) {
        EXPECT_EQ(index, value == 3 ? 1 : 0);
        EXPECT_EQ(PttIndexToValue(d, index), value == 3 ? 3 : 0);
      } else {
        EXPECT_EQ(index, value);
        EXPECT_EQ(PttIndexToValue(d, index), value);
      }
    }
  }
}

TEST(PttMapping, PresetRuleUsesThePresetsOwnMode) {
  struct Case { int model, variant, presetMode; bool reduced; };
  const Case cases[] = {
      {2, 0, 2, true},  {2, 0, 1, false}, {2, 1, 0, true}, {3, 0, 3, true},
      {5, 1, 3, false}, {5, 1, 2, true},  {9, 1, 2, true}, {7, 1, 4, true},
      {6, 0, 0, true},  {4, 0, 2, false}, {1, 0, 2, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "model " << c.model << " mode " << c.presetMode);
    // The transmitter's current mode must not matter for a preset.
    const TDeviceData d = Model(c.model, c.variant, /*micMode=*/0);
    EXPECT_EQ(PresetPttReduced(d, c.presetMode), c.reduced);
    EXPECT_EQ(PresetPttIndexToValue(d, c.presetMode, 1), c.reduced ? 3 : 1);
    EXPECT_EQ(PresetPttValueToIndex(d, c.presetMode, 3), c.reduced ? 1 : 3);
  }
}

TEST(ItemLists, MainPttListTexts) {
  TDeviceData three = Model(3, 0, 2);
  EXPECT_EQ(MainPttList(three), ListSpec::Fill({"disabled", "no data"}));
  three.micMode = 0;
  EXPECT_EQ(MainPttList(three).items.size(), 4u);
  EXPECT_EQ(MainPttList(Model(6)), ListSpec::Fill({"Data(TSQ) On", "Data(TSQ) Off"}));
  TDeviceData one = Model(1);
  one.pttSupported = 0;
  EXPECT_EQ(MainPttList(one).action, ListSpec::Action::Disable);
  one.pttSupported = 1;
  EXPECT_EQ(MainPttList(one).items, PttThreeItems());
  one.pttMode3Supported = 1;
  EXPECT_EQ(MainPttList(one).items, PttFourItems());
  // ZQN21: device value 3 is "Data(TSQ) Off".
  const TDeviceData zqn21 = Model(6);
  EXPECT_EQ(PttDataItems()[PttValueToIndex(zqn21, 3)], "Data(TSQ) Off");
  EXPECT_EQ(PttDataItems()[PttValueToIndex(zqn21, 0)], "Data(TSQ) On");
}

TEST(ItemLists, MainListsPerModel) {
  struct Case {
    int model, variant;
    bool battery3;
    ListSpec battery, micMode, filter;
  };
  const ListSpec keep = ListSpec::Keep();
  const Case cases[] = {
      {1, 0, false, ListSpec::Fill(BatteryTwoItems()), ListSpec::Disable(), keep},
      {2, 0, false, ListSpec::Fill(BatteryTwoItems()), ListSpec::Fill(MicThreeModeItems()), keep},
      {2, 1, false, ListSpec::Fill(BatteryTwoItems()), ListSpec::Fill(MicPhaseSwitchItems()), keep},
      {2, 2, false, ListSpec::Fill(BatteryTwoItems()), ListSpec::Fill(MicTwoModeItems()), keep},
      {3, 1, true, ListSpec::Fill(BatteryThreeItems()), ListSpec::Fill(MicFiveModeItems()),
       ListSpec::Fill(FilterSevenItems())},
      {3, 1, false, ListSpec::Fill(BatteryTwoItems()), ListSpec::Fill(MicFiveModeItems()),
       ListSpec::Fill(FilterSevenItems())},
      {4, 0, false, ListSpec::Fill(BatteryTwoItems()), keep, ListSpec::Fill(FilterSevenItems())},
      {5, 1, false, ListSpec::Fill(BatteryThreeItems()), ListSpec::Fill(MicThreeModeItems()),
       ListSpec::Fill(FilterSevenItems())},
      {6, 0, false, ListSpec::Fill(BatteryTwoItems()), ListSpec::Fill(MicPhantomItems()),
       ListSpec::Fill(FilterSevenItems())},
      {9, 1, false, ListSpec::Fill(BatteryThreeItems()), ListSpec::Fill(MicThreeModeItems()),
       ListSpec::Fill(FilterSevenItems())},
      {10, 0, true, ListSpec::Fill(BatteryThreeItems()), keep, ListSpec::Fill(FilterSevenItems())},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "model " << c.model << " variant " << c.variant);
    TDeviceData d = Model(c.model, c.variant);
    d.batteryType3Supported = c.battery3;
    EXPECT_EQ(MainBatteryList(d), c.battery);
    EXPECT_EQ(MainMicModeList(d), c.micMode);
    EXPECT_EQ(MainFilterList(d), c.filter);
  }
}

TEST(ItemLists, PowerListFollowsVariantModelAndDeviceTable) {
  struct Case { int model, variant; ItemList items; };
  const Case cases[] = {
      {3, 2, Power10_50_100Items()}, {3, 1, Power10_50Items()}, {3, 0, PowerTwoStepItems()},
      {5, 1, Power10_50Items()},     {6, 0, PowerTwoStepItems()}, {7, 0, Power10_50Items()},
      {8, 1, Power10_50Items()},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "model " << c.model << " variant " << c.variant);
    EXPECT_EQ(MainPowerList(Model(c.model, c.variant)), ListSpec::Fill(c.items));
  }
  EXPECT_EQ(MainPowerList(Model(4)).action, ListSpec::Action::Keep);
  EXPECT_EQ(MainPowerList(Model(2)).action, ListSpec::Action::Keep);

  TDeviceData d = Model(10);
  d.rfLevelsRead = 1;
  d.rfLevelCount = 3;
  d.rfLevelNames = {" 10 mW", " 50 mW", "100 mW"};
  EXPECT_EQ(MainPowerList(d), ListSpec::Fill({" 10 mW", " 50 mW", "100 mW"}));
  d.rfLevelCount = 99;  // never past the table
  EXPECT_EQ(PowerDeviceTableItems(d).size(), 8u);
}

TEST(ItemLists, LedModeListKeepsTheIndexWhereItCan) {
  struct Case { int variant, micMode; bool ptt; int indexIn; ItemList items; int indexOut; };
  const Case cases[] = {
      {0, 2, true, 2, {"disabled", "mod. peak"}, 0},
      {1, 2, true, 2, {"none", "mod. peak", "PTT"}, 2},
      {0, 0, true, 1, {"none", "mod. peak", "PTT"}, 1},
      {0, 0, false, 2, {"none", "mod. peak"}, 0},
      {0, 1, false, 1, {"none", "mod. peak"}, 1},
  };
  for (const auto& c : cases) {
    TDeviceData d = Model(3, c.variant, c.micMode);
    d.pttSupported = c.ptt;
    int index = c.indexIn;
    EXPECT_EQ(MainLedModeItems(d, index), c.items);
    EXPECT_EQ(index, c.indexOut);
  }
  EXPECT_EQ(PresetLedModeItems(Model(3), 2).size(), 2u);
  EXPECT_EQ(PresetLedModeItems(Model(3), 1).size(), 3u);
}

TEST(ItemLists, GainLimitsByModelModeAndVariant) {
  struct Case { int model, variant, mode; GainLimits main; GainLimits preset; };
  const Case cases[] = {
      {1, 0, 0, {2, -20, 60}, {2, -20, 40}},
      {2, 0, 1, {2, -20, 60}, {2, -20, 40}},
      {2, 0, 0, {2, -40, 60}, {2, -40, 40}},
      {2, 1, 3, {2, -20, 60}, {2, -20, 40}},
      {2, 2, 0, {2, -30, 60}, {2, -30, 40}},
      {2, 2, 1, {2, -30, 60}, {2, -30, 40}},
      {3, 0, 4, {1, -20, 60}, {1, -20, 40}},
      {3, 0, 2, {1, -40, 60}, {1, -40, 40}},
      {4, 0, 0, {1, -20, 60}, {1, -20, 40}},
      {5, 1, 0, {1, -60, 60}, {1, -60, 40}},
      {6, 0, 0, {1, -40, 60}, {1, -40, 40}},
      {8, 1, 0, {1, -60, 60}, {1, -60, 40}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "model " << c.model << " variant " << c.variant
                                    << " mode " << c.mode);
    EXPECT_EQ(MainGainLimits(Model(c.model, c.variant, c.mode)), c.main);
    EXPECT_EQ(PresetGainLimits(Model(c.model, c.variant, 0), c.mode), c.preset);
  }
}

TEST(ItemLists, GainTextInDbAndDbu) {
  const GainText dbu = AudioGainText(-20, true);
  EXPECT_EQ(dbu.value, "6");
  EXPECT_EQ(dbu.caption, "AF Lev:");
  EXPECT_EQ(dbu.unit, "[dBu]");
  EXPECT_EQ(AudioGainText(0, true).value, "-14");
  const GainText db = AudioGainText(-20, false);
  EXPECT_EQ(db.value, "-20");
  EXPECT_EQ(db.caption, "AF Gain:");
  EXPECT_EQ(db.unit, "[dB]");
  EXPECT_EQ(EvenGain(-7), -6);
  EXPECT_EQ(EvenGain(7), 6);
}

TEST(ItemLists, GroupListNumberingByFamily) {
  TDeviceData d = Model(2);
  d.groupCount = 8;
  d.syncSupported = 1;
  d.syncGroup = 8;
  EXPECT_EQ(GroupListItems(d),
            ItemList({"01", "02", "03", "04", "05", "06", "07", "08", "SYNC"}));
  d.modelType = 3;
  EXPECT_EQ(GroupListItems(d),
            ItemList({"00", "01", "02", "03", "04", "05", "06", "07", "SYNC"}));
  d.syncSupported = 0;
  d.groupCount = 3;
  EXPECT_EQ(GroupListItems(d), ItemList({"01", "02", "03"}));
  d.channelCount = 3;
  EXPECT_EQ(ChannelListItems(d), ItemList({"00", "01", "02"}));
  d.groupCount = 55;  // never more than 40 groups
  EXPECT_EQ(GroupListItems(d).size(), 40u);
}

TEST(ItemLists, PreEmphasisNamesByRegion) {
  TDeviceData d = Model(3);
  EXPECT_EQ(PreEmphasisItems(d), ItemList({"ENR-Quor", "ENC-Quor"}));
  d.optionTexts[0] = "JP ";
  EXPECT_EQ(PreEmphasisItems(d), ItemList({"JNR-Quor", "JNC-Quor"}));
  d.optionTexts[0] = "JPN";
  EXPECT_EQ(PreEmphasisItems(d)[0], "ENR-Quor");
}

TEST(ItemLists, PresetListNames) {
  EXPECT_EQ(PresetListNames(5),
            ItemList({"FACTORY", "USER", "Preset01", "Preset02", "Preset03"}));
  EXPECT_EQ(PresetListNames(0).size(), 0u);
  EXPECT_EQ(PresetListNames(11).size(), 10u);
  EXPECT_EQ(PresetListName(9), "Preset08");
}

TEST(ItemLists, PresetPanelLists) {
  EXPECT_EQ(PresetMicModeList(Model(2, 1)).items[3], "2 wires+bias&pha");
  EXPECT_EQ(PresetMicModeList(Model(4)).action, ListSpec::Action::Disable);
  EXPECT_EQ(PresetPttList(Model(3), 3), ListSpec::Fill(PttTwoItems()));
  EXPECT_EQ(PresetPttList(Model(5, 1), 3), ListSpec::Fill(PttFourItems()));
  EXPECT_EQ(PresetFilterItems(Model(2)), FilterFiveItems());
  EXPECT_EQ(PresetFilterItems(Model(7)), FilterSevenItems());
  EXPECT_EQ(PresetLowPassItems(0), ItemList({"12KHz", "15KHz"}));
  EXPECT_EQ(PresetLowPassItems(1), LowPassItems());
  EXPECT_EQ(PresetBatteryItems(Model(9)), BatteryThreeItems());
  EXPECT_EQ(PresetBatteryItems(Model(3)), BatteryTwoItems());
  EXPECT_EQ(PresetPowerItems(Model(6)), Power10_50Items());
  EXPECT_EQ(PresetPowerItems(Model(4)), PowerTwoStepItems());
}
