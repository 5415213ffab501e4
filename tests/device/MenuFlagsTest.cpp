#include <gtest/gtest.h>

#include "device/MenuFlags.h"
#include "device/TDeviceData.h"

using namespace zentra;

namespace {

LockChecks Locks(std::initializer_list<LockBox> on) {
  LockChecks c{};
  for (LockBox b : on) c[static_cast<int>(b)] = true;
  return c;
}

HiddenChecks Hidden(std::initializer_list<HiddenBox> on) {
  HiddenChecks c{};
  for (HiddenBox b : on) c[static_cast<int>(b)] = true;
  return c;
}

}  // namespace

TEST(MenuFlags, LockBytesFromBoxesKeepTheBitsWithoutBoxes) {
  struct Case {
    uint8_t current;
    LockChecks boxes;
    bool modLpf;
    uint8_t expected;
  };
  const Case cases[] = {
      {0x00, Locks({LockBox::Tuning, LockBox::Led}), false, 0x21},
      {0xFF, Locks({}), false, 0xC0},  // bits 6 and 7 stay as read
      {0xC0, Locks({LockBox::Audio}), true, 0x42},  // bit 7 follows the box
      {0x40, Locks({LockBox::AudioMod, LockBox::Battery}), true, 0xC8},
      {0x00, Locks({LockBox::AudioMod}), false, 0x00},  // no box without the setting
      // Extended boxes never touch byte 1.
      {0x00, Locks({LockBox::AudioNR, LockBox::LedLight}), false, 0x00},
  };
  for (const auto& c : cases)
    EXPECT_EQ(LockBitsFromBoxes(c.current, c.boxes, c.modLpf), c.expected);

  EXPECT_EQ(LockBitsExtFromBoxes(0xC0, Locks({LockBox::AudioNR, LockBox::LedLight})), 0xE1);
  EXPECT_EQ(LockBitsExtFromBoxes(0x3F, Locks({LockBox::Tuning})), 0x00);
  EXPECT_EQ(LockBitsExtFromBoxes(0x00, Locks({LockBox::AudioHPF, LockBox::AudioLimiter,
                                              LockBox::MicPhase, LockBox::MicPTT})),
            0x1E);
}

TEST(MenuFlags, HiddenBytesFromBoxes) {
  EXPECT_EQ(HiddenBitsFromBoxes(Hidden({HiddenBox::Tuning, HiddenBox::Preset}), false), 0x41);
  // Without modulation settings bit 7 is always written as 0.
  EXPECT_EQ(HiddenBitsFromBoxes(Hidden({HiddenBox::AudioMod}), false), 0x00);
  EXPECT_EQ(HiddenBitsFromBoxes(Hidden({HiddenBox::AudioMod}), true), 0x80);
  EXPECT_EQ(HiddenBitsExtFromBoxes(Hidden({HiddenBox::MenuInfo, HiddenBox::AudioNR})), 0x41);
  EXPECT_EQ(HiddenBitsExtFromBoxes(Hidden({HiddenBox::Tuning})), 0x00);
}

TEST(MenuFlags, BoxesFromDataRoundTrip) {
  TDeviceData d;
  d.lockBits = 0xA5;
  d.lockBitsExt = 0x2A;
  d.hiddenBits = 0x5A;
  d.hiddenBitsExt = 0x35;
  EXPECT_EQ(LockBitsFromBoxes(d.lockBits, LockChecksFromData(d), true), 0xA5);
  EXPECT_EQ(LockBitsExtFromBoxes(d.lockBitsExt, LockChecksFromData(d)), 0x2A);
  EXPECT_EQ(HiddenBitsFromBoxes(HiddenChecksFromData(d), true), 0x5A);
  EXPECT_EQ(HiddenBitsExtFromBoxes(HiddenChecksFromData(d)), 0x35);
}

TEST(MenuFlags, VisibilityByCapability) {
  TDeviceData d;
  d.modelType = 3;
  const FlagVisibility basic = ApplyFlagVisibility(d);
  EXPECT_TRUE(basic.lock[static_cast<int>(LockBox::Audio)]);
  EXPECT_FALSE(basic.audioLockOnGainRow);
  EXPECT_FALSE(basic.lock[static_cast<int>(LockBox::AudioHPF)]);
  EXPECT_FALSE(basic.hidden[static_cast<int>(HiddenBox::Tuning)]);

  d.extendedLockSupported = 1;
  d.hiddenMenuSupported = 1;
  const FlagVisibility ext = ApplyFlagVisibility(d);
  EXPECT_TRUE(ext.audioLockOnGainRow);
  EXPECT_TRUE(ext.lock[static_cast<int>(LockBox::MicPTT)]);
  EXPECT_FALSE(ext.lock[static_cast<int>(LockBox::AudioLimiter)]);
  EXPECT_FALSE(ext.hidden[static_cast<int>(HiddenBox::AudioLimiter)]);
  EXPECT_FALSE(ext.hidden[static_cast<int>(HiddenBox::MenuInfo)]);
  EXPECT_TRUE(ext.hidden[static_cast<int>(HiddenBox::Preset)]);

  d.limiterSupported = 1;
  d.menuInfoHiddenSupported = 1;
  d.audioModLpfSupported = 1;
  const FlagVisibility all = ApplyFlagVisibility(d);
  EXPECT_TRUE(all.lock[static_cast<int>(LockBox::AudioLimiter)]);
  EXPECT_TRUE(all.hidden[static_cast<int>(HiddenBox::MenuInfo)]);
  EXPECT_TRUE(all.hidden[static_cast<int>(HiddenBox::AudioMod)]);
}

TEST(MenuFlags, LockPanelPerModel) {
  struct Case {
    int model;
    bool ext, groupLock, groupHidden;
    bool micEnabled, limiterEnabled, modEnabled, groupHiddenBox;
  };
  const Case cases[] = {
      {3, true, true, true, true, false, false, true},
      {7, true, true, true, true, true, false, true},
      {10, true, true, true, false, false, true, true},
      {4, true, true, true, false, false, false, true},
      {5, false, true, true, true, false, false, true},
      {2, false, true, false, true, false, false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "model " << c.model);
    TDeviceData d;
    d.modelType = static_cast<int8_t>(c.model);
    d.extendedLockSupported = c.ext;
    d.groupLockSupported = c.groupLock;
    d.groupHiddenSupported = c.groupHidden;
    d.audioModLpfSupported = c.model == 10;
    d.lockBits = 0xFF;
    d.lockBitsExt = 0xFF;
    const LockPanel p = LockPanelState(d);
    EXPECT_EQ(p.boxes[static_cast<int>(LockBox::Mic)].enabled, c.micEnabled);
    EXPECT_EQ(p.boxes[static_cast<int>(LockBox::AudioLimiter)].enabled, c.limiterEnabled);
    // The limiter box reads unchecked where the model has no limiter, whatever bit 2 holds.
    EXPECT_EQ(p.boxes[static_cast<int>(LockBox::AudioLimiter)].checked, c.limiterEnabled);
    EXPECT_EQ(p.boxes[static_cast<int>(LockBox::AudioMod)].enabled, c.modEnabled);
    EXPECT_EQ(p.groupHiddenEnabled, c.groupHiddenBox);
    EXPECT_TRUE(p.boxes[static_cast<int>(LockBox::Tuning)].checked);
  }
  // The modulation lock can be changed on the ZQK230 only, even where the flag is set.
  for (int model : {4, 10}) {
    TDeviceData d;
    d.modelType = static_cast<int8_t>(model);
    d.extendedLockSupported = d.groupLockSupported = d.audioModLpfSupported = 1;
    d.lockBits = 0x80;
    const BoxState mod = LockPanelState(d).boxes[static_cast<int>(LockBox::AudioMod)];
    EXPECT_EQ(mod.enabled, model == 10) << model;
    EXPECT_TRUE(mod.checked) << model;
  }
  TDeviceData none;
  none.modelType = 1;
  const LockPanel p = LockPanelState(none);
  EXPECT_FALSE(p.groupNameEnabled);
  EXPECT_FALSE(p.boxes[static_cast<int>(LockBox::Tuning)].enabled);
}

TEST(MenuFlags, HiddenPanelPerModel) {
  TDeviceData d;
  d.modelType = 10;
  d.hiddenMenuSupported = 1;
  d.audioModLpfSupported = 1;
  d.hiddenBits = 0xFF;
  d.hiddenBitsExt = 0xFF;
  HiddenChecks previous{};
  previous[static_cast<int>(HiddenBox::Mic)] = true;
  auto boxes = HiddenPanelState(d, previous);
  EXPECT_EQ(boxes[static_cast<int>(HiddenBox::Mic)], (BoxState{false, true}));
  EXPECT_EQ(boxes[static_cast<int>(HiddenBox::AudioLimiter)], (BoxState{false, false}));
  EXPECT_EQ(boxes[static_cast<int>(HiddenBox::AudioMod)], (BoxState{true, true}));
  EXPECT_EQ(boxes[static_cast<int>(HiddenBox::MenuInfo)], (BoxState{true, true}));

  d.modelType = 8;
  boxes = HiddenPanelState(d);
  EXPECT_EQ(boxes[static_cast<int>(HiddenBox::AudioLimiter)], (BoxState{true, true}));
  EXPECT_FALSE(boxes[static_cast<int>(HiddenBox::AudioMod)].enabled);

  d.modelType = 2;
  boxes = HiddenPanelState(d);
  for (const BoxState& b : boxes) EXPECT_FALSE(b.enabled);
}
