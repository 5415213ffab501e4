// Settings by name: a typed value resolved against the lists of the transmitter in front
// (and its microphone mode), the check of a value before any transmitter is known, and
// the menu item lists of the station's Lock and Hidden columns.
#include <gtest/gtest.h>

#include "device/SettingItems.h"
#include "device/TDeviceData.h"

using namespace zentra;

namespace {

TDeviceData Model(int code, int micMode = 0) {
  TDeviceData d;
  d.modelType = static_cast<int8_t>(code);
  d.micVariant = code >= 5 ? 1 : 0;
  d.micMode = micMode;
  d.micInputSupported = code != 4 && code != 10 ? 1 : 0;
  d.pttSupported = 1;
  d.audioExtended = 1;
  d.limiterSupported = code >= 7 && code <= 9 ? 1 : 0;
  return d;
}

}  // namespace

TEST(SettingItems, ResolvesValuesAgainstTheModelsOwnLists) {
  const struct {
    int model, micMode;
    NamedSetting setting;
    const char* typed;
    bool ok;
    int value;            // as the data model holds it, when taken
    const char* refusal;  // a part of the refusal
  } cases[] = {
      {9, 0, NamedSetting::Limiter, "ON", true, 1, ""},
      {3, 0, NamedSetting::Limiter, "on", false, 0, "no setting 'limiter'"},
      {9, 0, NamedSetting::Gain, "-60", true, -60, ""},
      {9, 0, NamedSetting::Gain, "41", false, 0, "takes -60..40 dB"},
      {3, 1, NamedSetting::Gain, "-30", false, 0, "takes -20.."},
      {3, 0, NamedSetting::Gain, "-30", true, -30, ""},
      {9, 0, NamedSetting::HpFilter, "120hz", true, 3, ""},
      {9, 0, NamedSetting::MicMode, "3 wires", true, 2, ""},
      {9, 0, NamedSetting::Ptt, "no data", true, 3, ""},
      {9, 2, NamedSetting::Ptt, "no data", true, 3, ""},   // the reduced list: index 1, value 3
      {9, 2, NamedSetting::Ptt, "muting", false, 0, "choose one of: 0 \"disabled\", 1 \"no data\""},
      {3, 2, NamedSetting::LedMode, "PTT", false, 0, "not offered for led-mode"},
      {9, 2, NamedSetting::LedMode, "PTT", true, 2, ""},
      {10, 0, NamedSetting::MicMode, "2 wires", false, 0, "no setting 'mic-mode'"},
      {9, 0, NamedSetting::LedLight, "16", true, 16, ""},
      {9, 0, NamedSetting::LedLight, "17", false, 0, "use 0..16"},
      {9, 0, NamedSetting::Battery, "lithium", true, 2, ""},
      {3, 0, NamedSetting::Battery, "lithium", false, 0, "not offered for battery"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "model " << c.model << " " << NamedSettingName(c.setting) << " " << c.typed);
    const SettingValue v = ResolveSetting(Model(c.model, c.micMode), c.setting, c.typed);
    EXPECT_EQ(v.ok, c.ok) << v.refusal;
    if (c.ok) EXPECT_EQ(v.value, c.value);
    else EXPECT_NE(v.refusal.find(c.refusal), std::string::npos) << v.refusal;
  }
}

TEST(SettingItems, ChecksTextsBeforeAnyTransmitterIsKnown) {
  const struct {
    NamedSetting setting;
    const char* typed;
    bool fits;
  } cases[] = {
      {NamedSetting::RfPower, "50  mW", true},   {NamedSetting::RfPower, "High", true},
      {NamedSetting::RfPower, "mW", false},      {NamedSetting::RfPower, "fast", false},
      {NamedSetting::NoiseReduction, "JNC-Quor", true}, {NamedSetting::MicMode, "Phantom On", true},
      {NamedSetting::MicMode, "2 w+bias&pha", true},    {NamedSetting::Ptt, "Data(TSQ) Off", true},
      {NamedSetting::HpFilter, "65 Hz", true},   {NamedSetting::HpFilter, "3", true},
      {NamedSetting::HpFilter, "16", false},     {NamedSetting::Gain, "+12", true},
      {NamedSetting::Gain, "12 dB", false},      {NamedSetting::Limiter, "maybe", false},
      {NamedSetting::LedMode, "disabled", true}, {NamedSetting::Display, "", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CheckSettingText(c.setting, c.typed).empty(), c.fits)
        << NamedSettingName(c.setting) << " '" << c.typed << "'";
  }
  EXPECT_EQ(FindNamedSetting("RF-Power"), NamedSetting::RfPower);
  EXPECT_EQ(FindNamedSetting("colour"), std::nullopt);
}

TEST(SettingItems, MenuItemListsOfTheStation) {
  std::vector<int> boxes;
  std::string bad;
  ASSERT_TRUE(ParseMenuItemList(LockItemNames(), "tuning, RF-power;led+tuning", boxes, bad));
  EXPECT_EQ(boxes, (std::vector<int>{static_cast<int>(LockBox::Tuning), static_cast<int>(LockBox::RFPower),
                                     static_cast<int>(LockBox::Led)}));
  ASSERT_TRUE(ParseMenuItemList(HiddenItemNames(), "None", boxes, bad));
  EXPECT_TRUE(boxes.empty());
  EXPECT_FALSE(ParseMenuItemList(LockItemNames(), "tuning,menu-info", boxes, bad));
  EXPECT_EQ(bad, "menu-info");
}
