// The "Presets" box and the "Preset" box of the real window against a simulated
// transmitter: a preset edited in the panel, saved, read again and activated.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

#include "device/Presets.h"
#include "device/TDeviceData.h"
#include "ui/TformMainForm.h"
#include "ui/WindowFixture.h"

namespace zentra {
namespace {

class PresetPanelViewTest : public WindowFixture {
 protected:
  sim::SimTransmitterState& tx() { return world->transmitter()->state(); }
  std::vector<QString> Texts() const {
    std::vector<QString> t;
    for (const auto& m : messages) t.push_back(m.text);
    return t;
  }
};

TEST_F(PresetPanelViewTest, EditedSavedReadAndActivatedShowsTheTransmittersValues) {
  Arrive("nano:ZQL22X@129");  // code 9: limiter, extended flags, three battery types
  auto& p = *presetPanel;
  ASSERT_TRUE(p.PresetList->isEnabled());
  EXPECT_EQ(p.PresetList->itemText(1), "USER");
  // Preset01 as the factory left it keeps the tuning (Don't Care) and locks RF power and
  // LED mode; start it without flags, read in with READ.
  tx().presets[2].record[preset_byte::kLock] = 0;
  tx().presets[2].record[preset_byte::kDontCare] = 0;
  p.ButtonReloadPreset->click();
  Choose(p.PresetList, 2);  // Preset01
  EXPECT_TRUE(p.PresetlistGroup->isEnabled());
  EXPECT_EQ(ui->presetPanel->shownPreset(), 2);
  EXPECT_TRUE(p.PresetNameList->isEnabled());

  p.PresetNameList->setText("Choir");
  Choose(p.PresetlistRFPower, 1);
  Type(p.PresetspinAudioGain, -12);
  // The preset's gain as the display shows it, on its own line (not under the spin).
  EXPECT_FALSE(p.PresetEditAudioGainLevel->isHidden());
  EXPECT_EQ(p.PresetEditAudioGainLevel->text(), "AF Gain: -12 [dB]");
  EXPECT_FALSE(p.PresetEditAudioGainLevel->geometry().intersects(p.PresetspinAudioGain->geometry()));
  p.PresetckAudioLimiter->setChecked(true);
  p.PresetckBatteryLock->setChecked(true);
  p.PresetckTuningCare->click();  // Don't Care: tuning controls and lock box go grey
  EXPECT_FALSE(p.PresetlistGroup->isEnabled());
  EXPECT_FALSE(p.PresetlistChannel->isEnabled());
  EXPECT_FALSE(p.PresetckTuningLock->isEnabled());
  EXPECT_EQ(p.PresetlistRFPower->currentIndex(), 1);  // other edits survive the click

  world->ClearRequestLog();
  p.ButtonSavePreset->click();
  EXPECT_EQ(Texts(), std::vector<QString>{"Preset saved!"});
  const auto& rec = tx().presets[2].record;
  EXPECT_EQ(world->transmitter()->presetName(2).substr(0, 5), "Choir");
  EXPECT_EQ(rec[preset_byte::kRfPower], 1) << p.PresetlistRFPower->count() << " items, shown "
                                            << p.PresetlistRFPower->currentIndex();
  EXPECT_EQ(static_cast<int8_t>(rec[preset_byte::kGain]), -12);
  EXPECT_TRUE(rec[preset_byte::kPreEmphasisLimiter] & kPresetLimiterBit);
  EXPECT_EQ(rec[preset_byte::kDontCare] & 0x01, 0x01);  // tuning
  EXPECT_EQ(rec[preset_byte::kLock] & 0x08, 0x08);      // battery

  // The transmitter's record changes behind the window; READ shows it.
  tx().presets[2].record[preset_byte::kLedLight] = 3;
  p.ButtonReloadPreset->click();
  EXPECT_EQ(p.PresetspinLedLight->value(), 3);
  EXPECT_EQ(p.PresetNameList->text().trimmed(), "Choir");
  EXPECT_TRUE(p.PresetckTuningCare->isChecked());
  EXPECT_EQ(activePreset->PresetListSet->itemText(2), "Preset01");

  // SET activates it: the transmitter takes the preset's settings, the window reads
  // them back and both preset lists show the active preset.
  messages.clear();
  tx().rfPower = 0;
  Choose(activePreset->PresetListSet, 2);
  EXPECT_EQ(activePreset->PresetNameSetList->text().trimmed(), "Choir");
  activePreset->ButtonSetPreset->click();
  EXPECT_EQ(Texts(), std::vector<QString>{"Preset loaded!"});
  EXPECT_EQ(tx().activePreset, 2);
  EXPECT_EQ(tx().rfPower, 1);
  EXPECT_EQ(window->deviceData().rfPower, 1);
  EXPECT_EQ(window->deviceData().presetIndex, 2);
  EXPECT_EQ(p.PresetList->currentIndex(), 2);
  EXPECT_EQ(activePreset->PresetListSet->currentIndex(), 2);
  EXPECT_FALSE(window->state().editLocked);  // put back after the activation
}

TEST_F(PresetPanelViewTest, UserAndEditLockFollowTheRules) {
  Arrive("nano:ZQL22X@129");
  auto& p = *presetPanel;
  Choose(p.PresetList, 1);  // USER: values yes, flags and name no
  EXPECT_TRUE(p.PresetlistRFPower->isEnabled());
  EXPECT_FALSE(p.PresetNameList->isEnabled());
  EXPECT_FALSE(p.PresetckRFPowerLock->isEnabled());
  EXPECT_FALSE(p.PresetckRFPowerCare->isEnabled());
  EXPECT_FALSE(p.PresetckRFPowerCare->isChecked());

  window->panelLockDblClick();  // lock on: nothing editable, SAVE beeps and sends nothing
  ASSERT_TRUE(window->state().editLocked);
  Choose(p.PresetList, 2);
  EXPECT_FALSE(p.PresetlistRFPower->isEnabled());
  world->ClearRequestLog();
  const int beepsBefore = beeps;
  p.ButtonSavePreset->click();
  EXPECT_EQ(beeps, beepsBefore + 1);
  for (const uint8_t code : CommandsSent()) {
    EXPECT_NE(code, 'h');  // WritePreset
    EXPECT_NE(code, 'H');  // WritePresetName
  }
}

}  // namespace
}  // namespace zentra
