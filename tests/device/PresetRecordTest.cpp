#include <gtest/gtest.h>

#include "device/Presets.h"
#include "device/TDeviceData.h"

using namespace zentra;

namespace {

TDeviceData Caps(int model, bool ext, bool modLpf) {
  TDeviceData d;
  d.modelType = static_cast<int8_t>(model);
  d.extendedLockSupported = ext;
  d.audioModLpfSupported = modLpf;
  return d;
}

}  // namespace

TEST(PresetRecord, EncodeLaysOutEveryByte) {
  const TDeviceData d = Caps(10, true, true);
  PresetSettings s;
  s.gain = -7;
  s.filter = 3;
  s.preEmphasis = 1;
  s.limiter = true;  // no limiter on model 10
  s.micMode = 0;
  s.micPhase = 1;
  s.pttValue = 3;
  s.batteryType = 2;
  s.ledLight = 16;
  s.ledMode = 2;
  s.rfPower = 1;
  s.lock = 0xFF;
  s.dontCare = 0x81;
  s.channel = 5;
  s.group = 39;
  s.lockExt = 0xFF;
  s.dontCareExt = 0x21;
  s.audioMod = 1;
  s.audioLpf = 2;
  PresetRecord base{};
  base[18] = 0xAA;
  const PresetRecord r = EncodePresetRecord(d, s, base);
  const PresetRecord expected = {0xF9, 3, 0x01, 0, 1, 3, 2, 16, 2, 1, 0xBF, 0x81, 5, 39,
                                 0x3F, 0x21, 1, 2, 0xAA, 0};
  EXPECT_EQ(r, expected);
}

TEST(PresetRecord, ModelRulesOnEncode) {
  struct Case { int model; bool ext; int gain; bool limiter; uint8_t byte0, byte2, byte14; };
  const Case cases[] = {
      {1, false, -7, true, 0xFA, 0x01, 0x00},   // even gain, no limiter, no extended bytes
      {2, true, 7, false, 6, 0x01, 0x15},
      {3, true, -7, true, 0xF9, 0x01, 0x15},
      {7, true, -7, true, 0xF9, 0x11, 0x15},    // limiter in bit 4
      {9, false, 40, true, 40, 0x11, 0x00},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "model " << c.model);
    const TDeviceData d = Caps(c.model, c.ext, false);
    PresetSettings s;
    s.gain = c.gain;
    s.limiter = c.limiter;
    s.preEmphasis = 1;
    s.lockExt = 0x15;
    s.audioMod = 1;
    PresetRecord base{};
    base[16] = 0x77;
    const PresetRecord r = EncodePresetRecord(d, s, base);
    EXPECT_EQ(r[0], c.byte0);
    EXPECT_EQ(r[2], c.byte2);
    EXPECT_EQ(r[14], c.byte14);
    EXPECT_EQ(r[16], 0x77);  // modulation only with the modulation setting
  }
}

TEST(PresetRecord, DecodeRoundTripsPerCapability) {
  const TDeviceData caps[] = {Caps(1, false, false), Caps(3, true, false), Caps(8, true, false),
                              Caps(10, true, true)};
  for (const TDeviceData& d : caps) {
    SCOPED_TRACE(testing::Message() << "model " << int(d.modelType));
    PresetSettings s;
    s.channel = 7;
    s.group = 2;
    s.gain = -20;
    s.filter = 4;
    s.preEmphasis = 1;
    s.limiter = d.modelType == 8;
    s.micMode = 1;
    s.micPhase = 1;
    s.pttValue = 3;
    s.batteryType = 1;
    s.ledLight = 9;
    s.ledMode = 1;
    s.rfPower = 1;
    s.lock = 0x85;
    s.dontCare = 0x02;
    if (d.extendedLockSupported) {
      s.lockExt = 0x3F;
      s.dontCareExt = 0x01;
    }
    if (d.audioModLpfSupported) {
      s.audioMod = 1;
      s.audioLpf = 2;
    }
    EXPECT_EQ(DecodePresetRecord(d, EncodePresetRecord(d, s, PresetRecord{})), s);
  }
  // A stored odd gain shows even on the old family.
  PresetRecord odd{};
  odd[0] = static_cast<uint8_t>(-7);
  EXPECT_EQ(DecodePresetRecord(Caps(2, false, false), odd).gain, -6);
  EXPECT_EQ(DecodePresetRecord(Caps(3, false, false), odd).gain, -7);
}

TEST(PresetStore, NamesAndCleaning) {
  PresetStore store;
  store.SetName(3, "Concert hall");
  EXPECT_EQ(store.Name(3), "Concert ");
  EXPECT_EQ(store.presetNames[3][8], '\0');
  EXPECT_EQ(store.Name(10), "");
  store.SetName(-1, "x");  // ignored
  store.Clear();
  EXPECT_EQ(store.Name(3), "");

  EXPECT_EQ(CleanPresetName(""), std::string(8, ' '));
  EXPECT_EQ(CleanPresetName("Talk"), std::string("Talk\0\0\0\0", 8));
  EXPECT_EQ(CleanPresetName("A\tB\xe9" "CDEFGHIJ"), "A B CDEF");
}

// The panel's enable rules: the edit lock, the USER preset, "Don't Care", and what the
// model offers, checked together as the panel and `zentra-cli preset save` use them.
TEST(PresetRecord, PanelEnableRules) {
  using PS = PresetSetting;
  struct Case {
    int model;
    bool ext;
    int index;
    bool editLocked;
    PS setting;
    bool dontCare;
    bool value, lock, care;
  };
  const Case cases[] = {
      {9, true, 2, false, PS::RfPower, false, true, true, true},
      {9, true, 2, false, PS::RfPower, true, false, false, true},   // Don't Care
      {9, true, 1, false, PS::RfPower, true, true, false, false},   // USER: no flags
      {9, true, 2, true, PS::RfPower, false, false, false, false},  // edit lock
      {9, false, 2, false, PS::LedLight, false, true, false, false},  // no extended flags
      {9, false, 2, false, PS::LedLight, true, true, false, false},   // ... so no Don't Care
      {4, true, 2, false, PS::MicMode, false, false, false, false},   // no mic mode, no flags
      {3, true, 2, false, PS::Limiter, false, false, true, true},     // limiter only 7..9
      {8, true, 2, false, PS::Limiter, false, true, true, true},
      {9, true, 2, false, PS::AudioMod, false, false, false, false},  // no modulation
  };
  for (const Case& c : cases) {
    TDeviceData d = Caps(c.model, c.ext, false);
    PresetSettings p;
    SetPresetDontCare(p, c.setting, c.dontCare);
    const PresetPanelMode mode = PresetPanelModeFor(c.index, c.editLocked);
    const std::string where = std::to_string(c.model) + "/" + std::to_string(c.index) + "/" +
                              std::to_string(static_cast<int>(c.setting));
    EXPECT_EQ(PresetValueEnabled(d, mode, p, c.setting), c.value) << where;
    EXPECT_EQ(PresetLockEnabled(d, mode, p, c.setting), c.lock) << where;
    EXPECT_EQ(PresetCareEnabled(d, mode, c.setting), c.care) << where;
  }
  EXPECT_FALSE(PresetPanelModeFor(0, false).nameEnabled);  // FACTORY keeps its name
  EXPECT_TRUE(PresetPanelModeFor(2, false).nameEnabled);
}

TEST(PresetRecord, FlagBitsRoundTripThroughTheRecord) {
  const TDeviceData d = Caps(10, true, true);
  for (int i = 0; i < kPresetSettingCount; ++i) {
    const auto s = static_cast<PresetSetting>(i);
    PresetSettings p;
    SetPresetLocked(p, s, true);
    SetPresetDontCare(p, s, true);
    const PresetSettings back = DecodePresetRecord(d, EncodePresetRecord(d, p, PresetRecord{}));
    EXPECT_TRUE(PresetLocked(back, s)) << i;
    EXPECT_TRUE(PresetDontCare(back, s)) << i;
    for (int j = 0; j < kPresetSettingCount; ++j) {
      if (j != i) {
        EXPECT_FALSE(PresetLocked(back, static_cast<PresetSetting>(j))) << i << "/" << j;
      }
    }
  }
  EXPECT_EQ(ClampPresetLowPass(0, 2), 1);  // Narrow has no 20 kHz filter
  EXPECT_EQ(ClampPresetLowPass(1, 2), 2);
}
