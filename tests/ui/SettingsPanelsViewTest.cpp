// The setting boxes and the user-menu flags of the real window against a simulated
// transmitter: what a full read shows per model, each change written and read back, and
// the refusals (edit lock, updating, a refused write).
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>
#include <functional>

#include "device/FrequencyPlan.h"
#include "device/TDeviceData.h"
#include "sim/VirtualTransmitter.h"
#include "ui/ActivePresetView.h"
#include "ui/SettingsPanelsView.h"
#include "ui/TformMainForm.h"
#include "ui/WindowFixture.h"

namespace zentra {
namespace {

using Codes = std::vector<uint8_t>;

class SettingsPanelsViewTest : public WindowFixture {
 protected:
  sim::SimTransmitterState& tx() { return world->transmitter()->state(); }
  const sim::SimCapabilities& caps() { return world->transmitter()->caps(); }
  TDeviceData& data() { return window->deviceData(); }
  QStringList Items(const QComboBox* list) const {
    QStringList items;
    for (int i = 0; i < list->count(); ++i) items << list->itemText(i);
    return items;
  }
  bool Sent(uint8_t code) const {
    const Codes codes = CommandsSent();
    return std::find(codes.begin(), codes.end(), code) != codes.end();
  }
};

// --- a full read fills each box with the model's own lists and values ---

struct ModelRow {
  const char* spec;
  bool micModeEnabled, phaseEnabled, pttEnabled, limiterEnabled, modulationEnabled;
  int batteryItems;
};

class FullReadShows : public SettingsPanelsViewTest,
                      public ::testing::WithParamInterface<ModelRow> {};

TEST_P(FullReadShows, EveryBoxFromTheTransmitter) {
  const ModelRow& row = GetParam();
  Arrive(row.spec);
  const TDeviceData& d = data();
  const sim::SimTransmitterState& s = tx();
  EXPECT_EQ(panels->listGroup->currentIndex(), s.curGroup);
  EXPECT_EQ(panels->listChannel->currentIndex(), s.curChannel);
  EXPECT_FALSE(panels->valueFrequency->text().isEmpty());
  EXPECT_EQ(panels->spinAudioGain->value(), s.gain);
  EXPECT_EQ(panels->listAudioFilter->currentIndex(), s.filter);
  EXPECT_EQ(panels->listBatteryType->currentIndex(), s.batteryType);
  EXPECT_EQ(panels->listBatteryType->count(), row.batteryItems);
  EXPECT_EQ(panels->barBatteryStatus->value(), s.batteryLevel);
  EXPECT_EQ(panels->listRFPower->currentIndex(), s.rfPower);
  if (caps().bandPlan) {
    EXPECT_EQ(panels->listRFPower->count(), int(s.rfLevels.size()));
  }
  EXPECT_EQ(panels->spinLedLight->value(), s.ledLight);
  EXPECT_EQ(panels->listLedMode->currentIndex(), s.ledMode);
  EXPECT_EQ(panels->listMicMode->isEnabled(), row.micModeEnabled);
  EXPECT_EQ(panels->listMicPhase->isEnabled(), row.phaseEnabled);
  EXPECT_EQ(panels->listMicPTT->isEnabled(), row.pttEnabled);
  EXPECT_EQ(panels->ckAudioLimiter->isEnabled(), row.limiterEnabled);
  EXPECT_EQ(panels->listAudioMod->isEnabled(), row.modulationEnabled);
  EXPECT_EQ(panels->listAudioLPF->isEnabled(), row.modulationEnabled);
  if (row.phaseEnabled) {
    EXPECT_EQ(panels->listMicPhase->currentIndex(), s.micPhase);
  }
  for (QWidget* w : {static_cast<QWidget*>(panels->listAudioFilter),
                     static_cast<QWidget*>(panels->listBatteryType),
                     static_cast<QWidget*>(panels->listRFPower),
                     static_cast<QWidget*>(panels->listLedMode),
                     static_cast<QWidget*>(panels->spinLedLight)})
    EXPECT_TRUE(w->isEnabled()) << w->objectName().toStdString();
  // The extended lock byte brings the per-row locks (the audio lock then sits on the gain
  // row, else it stands for the whole box on the first row); the hidden menu its boxes.
  EXPECT_EQ(panels->ckAudioNRLock->isVisibleTo(panels->listHPF), d.extendedLockSupported != 0);
  EXPECT_EQ(panels->ckAudioLock->y() == panels->spinAudioGain->y(),
            d.extendedLockSupported != 0);
  EXPECT_EQ(panels->ckAudioModLock->isEnabled(), row.modulationEnabled);
  EXPECT_EQ(panels->ckLedHidden->isVisibleTo(panels->groupLed), d.hiddenMenuSupported != 0);
}

INSTANTIATE_TEST_SUITE_P(
    Models, FullReadShows,
    ::testing::Values(ModelRow{"nano:ZQK120@129", false, false, true, false, false, 2},
                      ModelRow{"nano:ZQL11@129", true, true, true, false, false, 2},
                      ModelRow{"nano:ZQL21@129/U", true, true, true, false, false, 3},
                      ModelRow{"nano:ZQN21@129", true, true, true, false, false, 3},
                      ModelRow{"nano:ZQL22X@129", true, true, true, true, false, 3},
                      ModelRow{"nano:ZQK230@129", false, true, true, false, true, 3}),
    [](const ::testing::TestParamInfo<ModelRow>& info) {
      std::string name = info.param.spec + 5;
      return name.substr(0, name.find('@'));
    });

// --- each handler writes, reads back and shows the answer ---

struct Change {
  const char* name;
  std::function<void(Ui::SettingsPanelsView&)> act;
  Codes first;  // the write and the read-back that follow it at once
  std::function<bool(sim::SimTransmitterState&, Ui::SettingsPanelsView&)> shown;
};

const std::vector<Change>& Changes() {
  static const std::vector<Change> changes = {
      {"RFPower", [](auto& p) { Choose(p.listRFPower, 1); }, {0xD0, 'P'},
       [](auto& s, auto& p) { return s.rfPower == 1 && p.listRFPower->currentIndex() == 1; }},
      {"Battery", [](auto& p) { Choose(p.listBatteryType, 0); }, {0xC2, 'B'},
       [](auto& s, auto& p) { return s.batteryType == 0 && p.listBatteryType->currentIndex() == 0; }},
      {"LedLight", [](auto& p) { Type(p.spinLedLight, 5); }, {0xCC, 'L'},
       [](auto& s, auto& p) { return s.ledLight == 5 && p.spinLedLight->value() == 5; }},
      {"LedMode", [](auto& p) { Choose(p.listLedMode, 0); }, {0xCC, 'L'},
       [](auto& s, auto& p) { return s.ledMode == 0 && p.listLedMode->currentIndex() == 0; }},
      {"Gain", [](auto& p) { Type(p.spinAudioGain, -6); }, {0xC4, 'D'},
       [](auto& s, auto& p) { return s.gain == -6 && p.spinAudioGain->value() == -6; }},
      {"Filter", [](auto& p) { Choose(p.listAudioFilter, 3); }, {0xC4, 'D'},
       [](auto& s, auto& p) { return s.filter == 3 && p.listAudioFilter->currentIndex() == 3; }},
      {"Phase", [](auto& p) { Choose(p.listMicPhase, 0); }, {0xCD},
       [](auto& s, auto& p) { return s.micPhase == 0 && p.listMicPhase->currentIndex() == 0; }},
      {"Channel", [](auto& p) { Choose(p.listChannel, 5); }, {},
       [](auto& s, auto& p) { return s.curChannel == 5 && p.listChannel->currentIndex() == 5; }},
      {"TuningLock", [](auto& p) { p.ckTuningLock->click(); }, {0xDB},
       [](auto& s, auto&) { return (s.lockBits & 0x01) != 0; }},
      {"LedLightLock", [](auto& p) { p.ckLedLightLock->click(); }, {0xDB},
       [](auto& s, auto&) { return (s.lockBitsExt & 0x20) != 0; }},
      {"LedHidden", [](auto& p) { p.ckLedHidden->click(); }, {0xD3},
       [](auto& s, auto&) { return s.hiddenBits == 0x20 && s.hiddenBitsExt == 0; }},
      {"PTTHidden", [](auto& p) { p.ckMicPTTHidden->click(); }, {0xD3},
       [](auto& s, auto&) { return s.hiddenBits == 0 && s.hiddenBitsExt == 0x10; }},
  };
  return changes;
}

class HandlerTest : public SettingsPanelsViewTest,
                    public ::testing::WithParamInterface<const char*> {};

TEST_P(HandlerTest, EachChangeIsWrittenAndReadBack) {
  for (const Change& change : Changes()) {
    SCOPED_TRACE(change.name);
    Arrive(GetParam());
    tx().rfPower = 0;
    tx().batteryType = 1;
    tx().ledMode = 1;
    tx().micPhase = 1;
    tx().lockBits = tx().lockBitsExt = tx().hiddenBits = tx().hiddenBitsExt = 0;
    Reread();
    world->ClearRequestLog();
    change.act(*panels);
    const Codes codes = CommandsSent();
    ASSERT_FALSE(codes.empty());
    if (!change.first.empty()) {
      ASSERT_GE(codes.size(), change.first.size());
      EXPECT_TRUE(std::equal(change.first.begin(), change.first.end(), codes.begin()));
    }
    EXPECT_TRUE(change.shown(tx(), *panels));
    EXPECT_EQ(beeps, 0);
  }
}

INSTANTIATE_TEST_SUITE_P(Models, HandlerTest,
                         ::testing::Values("nano:ZQL22X@129", "nano:ZQK230@129"));

TEST_F(SettingsPanelsViewTest, RefusedWriteShowsTheTransmittersValue) {
  Arrive("nano:ZQL22X@129");
  const int gain = tx().gain;
  Type(panels->spinAudioGain, 50);  // above what the transmitter takes
  EXPECT_TRUE(Sent(0xC4));
  EXPECT_EQ(tx().gain, gain);
  EXPECT_EQ(panels->spinAudioGain->value(), gain);
}

TEST_F(SettingsPanelsViewTest, LostAnswersLeaveTheLastKnownValues) {
  struct Lost {
    std::function<void(Ui::SettingsPanelsView&)> act;
    std::function<int(Ui::SettingsPanelsView&)> shown;
  };
  const Lost cases[] = {
      {[](auto& p) { Choose(p.listRFPower, 2); },
       [](auto& p) { return p.listRFPower->currentIndex(); }},
      {[](auto& p) { Choose(p.listBatteryType, 2); },
       [](auto& p) { return p.listBatteryType->currentIndex(); }},
      {[](auto& p) { Type(p.spinLedLight, 2); },
       [](auto& p) { return p.spinLedLight->value(); }},
      {[](auto& p) { Choose(p.listChannel, 9); },
       [](auto& p) { return p.listChannel->currentIndex(); }},
  };
  Arrive("nano:ZQL22X@129");
  world->interface().SetFaults(1.0, 0.0, 1);  // every answer over IR is lost
  for (const Lost& c : cases) {
    const int before = c.shown(*panels);
    c.act(*panels);
    EXPECT_EQ(c.shown(*panels), before);
  }
  EXPECT_FALSE(CommandsSent().empty());
}

TEST_F(SettingsPanelsViewTest, EditLockBeepsPutsBackAndSendsNothing) {
  Arrive("nano:ZQL22X@129", false);
  ASSERT_TRUE(window->state().editLocked);
  world->ClearRequestLog();
  const int power = panels->listRFPower->currentIndex();
  const int light = panels->spinLedLight->value();
  Choose(panels->listRFPower, power == 0 ? 1 : 0);
  Type(panels->spinLedLight, light + 1);
  panels->ckTuningLock->click();
  panels->ckLedHidden->click();
  activePreset->ckPresetHidden->click();
  EXPECT_EQ(beeps, 5);
  EXPECT_TRUE(CommandsSent().empty());
  EXPECT_EQ(panels->listRFPower->currentIndex(), power);
  EXPECT_EQ(panels->spinLedLight->value(), light);
  EXPECT_FALSE(panels->ckTuningLock->isChecked());
  EXPECT_FALSE(panels->ckLedHidden->isChecked());
  EXPECT_FALSE(activePreset->ckPresetHidden->isChecked());
}

TEST_F(SettingsPanelsViewTest, UpdatingSuppressesEveryHandler) {
  Arrive("nano:ZQL22X@129");
  window->state().updating = true;
  for (const Change& change : Changes()) change.act(*panels);
  window->state().updating = false;
  EXPECT_TRUE(CommandsSent().empty());
  EXPECT_EQ(beeps, 0);
}

TEST_F(SettingsPanelsViewTest, HiddenBoxesOfOtherBoxesWriteBothBytes) {
  Arrive("nano:ZQL22X@129");
  tx().hiddenBits = tx().hiddenBitsExt = 0;
  Reread();
  panels->ckTuningHidden->click();
  activePreset->ckPresetHidden->click();
  if (data().menuInfoHiddenSupported) ui->ckMenuInfoHidden->click();
  EXPECT_EQ(tx().hiddenBits, 0x41);
  EXPECT_EQ(tx().hiddenBitsExt, data().menuInfoHiddenSupported ? 0x40 : 0x00);
}

TEST_F(SettingsPanelsViewTest, NameIsSentWhenLeavingTheField) {
  Arrive("nano:ZQL22X@129");
  QLineEdit* edit = ui->EditTXname;
  ASSERT_TRUE(edit->isEnabled());
  edit->selectAll();
  QTest::keyClicks(edit, "Vocal");
  QTest::keyClick(edit, Qt::Key_Return);
  EXPECT_TRUE(Sent('f'));
  EXPECT_TRUE(Sent('e'));
  EXPECT_EQ(edit->text().left(5), "Vocal");
  EXPECT_EQ(std::string(tx().txName.begin(), tx().txName.begin() + 5), "Vocal");
}

TEST_F(SettingsPanelsViewTest, TuningFollowsACtrlClickInTheGrid) {
  Arrive("nano:ZQL22X@129");
  window->show();
  QTableWidget* grid = plan->gridFrequencies;
  const QPoint cell = grid->visualRect(grid->model()->index(6, 1)).center();
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::ControlModifier, cell);
  EXPECT_EQ(tx().curChannel, 6);
  EXPECT_EQ(panels->listChannel->currentIndex(), 6);
  EXPECT_EQ(panels->valueFrequency->text().toStdString(), FormatMHz(tx().curFreqKHz));
}

TEST_F(SettingsPanelsViewTest, SyncGroupForcesChannelZero) {
  Arrive("nano:ZQL22X@129");
  ASSERT_TRUE(data().syncSupported);
  Choose(panels->listChannel, 4);
  world->ClearRequestLog();
  Choose(panels->listGroup, data().syncGroup);
  EXPECT_EQ(panels->listChannel->currentIndex(), 0);
  EXPECT_EQ(tx().curGroup, data().syncGroup);
  EXPECT_EQ(tx().curChannel, 0);
  EXPECT_EQ(panels->listGroup->currentText(), "SYNC");
}

TEST_F(SettingsPanelsViewTest, NextTransmitterKeepsNothingOfThePrevious) {
  Arrive("nano:ZQK230@129");
  world->Leave();
  window->timerPingTimer();
  EXPECT_FALSE(panels->listRFPower->isEnabled());
  EXPECT_EQ(panels->listRFPower->currentIndex(), -1);
  sim::TransmitterSpec next;
  next.model = "ZQL11";
  world->Enter(next);
  window->timerPingTimer();
  ASSERT_EQ(data().modelType, 2);
  const QStringList power = Items(panels->listRFPower);
  const QStringList filter = Items(panels->listAudioFilter);
  // The handheld's power table and seven-step filter are gone: the bodypack's own lists.
  EXPECT_EQ(power, QStringList({"Low", "High"}));
  EXPECT_EQ(filter.size(), 5);
  EXPECT_FALSE(panels->listAudioMod->isEnabled());
  EXPECT_FALSE(panels->ckAudioNRLock->isVisibleTo(panels->listHPF));
  EXPECT_FALSE(panels->ckTuningHidden->isVisibleTo(panels->groupTuning));
  EXPECT_FALSE(activePreset->ckPresetHidden->isVisibleTo(activePreset->groupPreset));
  EXPECT_EQ(panels->listLedMode->currentIndex(), tx().ledMode);
}

TEST_F(SettingsPanelsViewTest, EveryControlIsNamedForAccessibility) {
  Arrive("nano:ZQL22X@129");
  std::vector<QWidget*> controls = ui->settingsPanels->EditingControls();
  for (QWidget* w : {static_cast<QWidget*>(ui->listInterface),
                     static_cast<QWidget*>(ui->EditTXname),
                     static_cast<QWidget*>(ui->valueSerial)})
    controls.push_back(w);
  for (QWidget* w : controls) {
    EXPECT_FALSE(w->accessibleName().isEmpty()) << w->objectName().toStdString();
  }
  EXPECT_EQ(panels->listRFPower->accessibleName(), "Power:");
  EXPECT_EQ(panels->spinLedLight->accessibleName(), "Led Light:");
  EXPECT_FALSE(panels->ckTuningLock->toolTip().isEmpty());
}

}  // namespace
}  // namespace zentra
