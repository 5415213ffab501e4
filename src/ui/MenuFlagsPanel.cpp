// The lock and hidden boxes of the transmitter's own user menu, beside each setting of
// the setting boxes: which ones a model shows and lets the user change, what they show
// after a read, and the clicks that write the whole lock or hidden bytes at once.
#include <QCheckBox>
#include <QLabel>

#include "device/MenuFlags.h"
#include "device/TDeviceData.h"
#include "link/IrLink.h"
#include "ui/SettingsPanelsView.h"
#include "ui/WindowState.h"
#include "ui_SettingsPanelsView.h"

namespace zentra {

namespace {
constexpr int I(LockBox b) { return static_cast<int>(b); }
constexpr int I(HiddenBox b) { return static_cast<int>(b); }
}  // namespace

void SettingsPanelsView::BuildFlagTables() {
  lockBoxes_ = {ui->ckTuningLock,       ui->ckAudioLock,    ui->ckRFPowerLock,
                ui->ckBatteryLock,      ui->ckMicLock,      ui->ckLedLock,
                ui->ckAudioModLock,     ui->ckAudioNRLock,  ui->ckAudioHPFLock,
                ui->ckAudioLimiterLock, ui->ckMicPhaseLock, ui->ckMicPTTLock,
                ui->ckLedLightLock};
  // The preset and menu-info boxes sit in the preset box and the device box.
  hiddenBoxes_ = {ui->ckTuningHidden,   ui->ckAudioHidden,     ui->ckRFPowerHidden,
                  ui->ckBatteryHidden,  ui->ckMicHidden,       ui->ckLedHidden,
                  nullptr,              ui->ckAudioModHidden,  ui->ckAudioNRHidden,
                  ui->ckAudioHPFHidden, ui->ckAudioLimiterHidden, ui->ckMicPhaseHidden,
                  ui->ckMicPTTHidden,   ui->ckLedLightHidden,  nullptr};
  auto captionOf = [this](QWidget* box) -> QLabel* {
    if (box == nullptr) return nullptr;
    for (QLabel* label : findChildren<QLabel*>())
      if (label->buddy() == box) return label;
    return nullptr;
  };
  for (QCheckBox* box : lockBoxes_) lockLabels_.push_back(captionOf(box));
  for (QCheckBox* box : hiddenBoxes_) hiddenLabels_.push_back(captionOf(box));
  audioLockRowTop_ = ui->ckAudioLock->y();
  audioFirstRowTop_ = ui->ckAudioHPFLock->y();
}

QCheckBox* SettingsPanelsView::LockCheck(LockBox box) const { return lockBoxes_[I(box)]; }

QCheckBox* SettingsPanelsView::HiddenCheck(HiddenBox box) const {
  return hiddenBoxes_[I(box)];
}

void SettingsPanelsView::ApplyFlagVisibility() {
  const FlagVisibility v = zentra::ApplyFlagVisibility(state->device);
  for (int i = 0; i < kLockBoxCount; ++i) {
    lockBoxes_[i]->setVisible(v.lock[i]);
    if (lockLabels_[i]) lockLabels_[i]->setVisible(v.lock[i]);
  }
  // Without the second lock byte one audio lock stands for the whole audio row: it moves
  // up to the first audio row, whose "Lock:" caption it takes over.
  QCheckBox* audio = ui->ckAudioLock;
  audio->move(audio->x(), v.audioLockOnGainRow ? audioLockRowTop_ : audioFirstRowTop_);
  ui->LabelAudioLock->setVisible(v.audioLockLabelVisible);
  ui->LabelAudioHPFLock->setVisible(true);
  for (int i = 0; i < kHiddenBoxCount; ++i) {
    if (hiddenBoxes_[i] == nullptr) continue;
    hiddenBoxes_[i]->setVisible(v.hidden[i]);
    if (hiddenLabels_[i]) hiddenLabels_[i]->setVisible(v.hidden[i]);
  }
}

void SettingsPanelsView::ShowLockFlags(bool read) {
  // A failed read leaves the boxes as they were.
  if (!read) return;
  const LockPanel panel = LockPanelState(state->device);
  for (int i = 0; i < kLockBoxCount; ++i) {
    SetControlEnabled(lockBoxes_[i], panel.boxes[i].enabled);
    lockBoxes_[i]->setChecked(panel.boxes[i].checked);
  }
}

void SettingsPanelsView::PutBackLockBoxes() {
  const TDeviceData& d = state->device;
  const LockChecks checks = LockChecksFromData(d);
  for (LockBox b : {LockBox::Tuning, LockBox::Audio, LockBox::RFPower, LockBox::Battery,
                    LockBox::Mic, LockBox::Led})
    lockBoxes_[I(b)]->setChecked(checks[I(b)]);
  if (d.extendedLockSupported) {
    for (LockBox b : {LockBox::AudioNR, LockBox::AudioHPF, LockBox::AudioLimiter,
                      LockBox::MicPhase, LockBox::MicPTT, LockBox::LedLight})
      lockBoxes_[I(b)]->setChecked(checks[I(b)]);
  }
  if (d.audioModLpfSupported)
    lockBoxes_[I(LockBox::AudioMod)]->setChecked(checks[I(LockBox::AudioMod)]);
}

void SettingsPanelsView::ShowHiddenFlags(bool read) {
  const auto panel = HiddenPanelState(state->device, state->hiddenShown);
  for (int i = 0; i < kHiddenBoxCount; ++i) {
    state->hiddenEnabled[i] = panel[i].enabled;
    // A failed read keeps what the boxes showed.
    if (read) state->hiddenShown[i] = panel[i].checked;
  }
  emit state->menuFlagsChanged();
}

void SettingsPanelsView::ShowHiddenBoxes() {
  for (int i = 0; i < kHiddenBoxCount; ++i) {
    if (hiddenBoxes_[i] != nullptr)
      ShowHiddenBox(*state, static_cast<HiddenBox>(i), hiddenBoxes_[i], hiddenLabels_[i]);
  }
}

void SettingsPanelsView::ckLockClick() {
  if (!state->AcceptUserChange([this] { PutBackLockBoxes(); })) return;
  LockChecks checks{};
  for (int i = 0; i < kLockBoxCount; ++i) checks[i] = lockBoxes_[i]->isChecked();
  // The whole lock bytes go out; the boxes keep their state whatever the answer, and
  // the next refresh shows the transmitter's bytes.
  zentra::ckLockClick(state->link, state->device, checks);
}

void SettingsPanelsView::ckMenuHiddenClick(HiddenBox box) {
  HiddenBoxClick(*state, box, hiddenBoxes_[I(box)]);
}

void ShowHiddenBox(const WindowState& state, HiddenBox box, QCheckBox* check,
                   QWidget* caption) {
  const int i = I(box);
  SetControlEnabled(check, state.hiddenEnabled[i]);
  check->setChecked(state.hiddenShown[i]);
  const bool visible = zentra::ApplyFlagVisibility(state.device).hidden[i];
  check->setVisible(visible);
  if (caption) caption->setVisible(visible);
}

void HiddenBoxClick(WindowState& state, HiddenBox box, QCheckBox* check) {
  // Refused: every hidden box, in whichever view, shows the bits the transmitter holds
  // again (the modulation box only where the model has that entry).
  auto putBack = [&state] {
    const HiddenChecks held = HiddenChecksFromData(state.device);
    for (int i = 0; i < kHiddenBoxCount; ++i) {
      if (i != I(HiddenBox::AudioMod) || state.device.audioModLpfSupported)
        state.hiddenShown[i] = held[i];
    }
    emit state.menuFlagsChanged();
  };
  if (!state.AcceptUserChange(putBack)) return;
  state.hiddenShown[I(box)] = check->isChecked();
  zentra::ckMenuHiddenClick(state.link, state.device, state.hiddenShown);
}

}  // namespace zentra
