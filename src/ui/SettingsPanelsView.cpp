#include "ui/SettingsPanelsView.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <algorithm>

#include "components/TQSpinEdit.h"
#include "device/FrequencyPlan.h"
#include "device/FullRead.h"
#include "device/ItemLists.h"
#include "device/Settings.h"
#include "device/TDeviceData.h"
#include "link/IrLink.h"
#include "link/LinkWait.h"
#include "ui/UserMessages.h"
#include "ui/WindowState.h"
#include "ui_SettingsPanelsView.h"

namespace zentra {

namespace {

QStringList ToQt(const ItemList& items) {
  QStringList list;
  for (const std::string& item : items) list << QString::fromStdString(item);
  return list;
}

// Selects the item of a value read from the transmitter; a value the list does not hold
// (not read, or out of range) shows no selection rather than a wrong item.
void ShowIndex(QComboBox* list, int index) {
  list->setCurrentIndex(index >= 0 && index < list->count() ? index : -1);
}

// The index the user chose, or the value held when the list shows nothing.
int ChosenIndex(const QComboBox* list, int held) {
  const int index = list->currentIndex();
  if (index >= 0) return index;
  return held > 0 ? held : 0;
}

bool NewFamily(int model) { return model >= 3 && model <= 10; }

}  // namespace

SettingsPanelsView::SettingsPanelsView(QWidget* parent)
    : WindowView(parent), ui(std::make_unique<Ui::SettingsPanelsView>()) {
  ui->setupUi(this);
  for (QComboBox* list : findChildren<QComboBox*>()) {
    QStringList items;
    for (int i = 0; i < list->count(); ++i) items << list->itemText(i);
    formItems_[list] = items;
  }
  BuildFlagTables();
  NameControls();
  // The narrow "Lock:" / "Hidden:" captions keep their whole text in wider fonts.
  for (QLabel* label : findChildren<QLabel*>()) {
    QFont font = label->font();
    while (font.pointSizeF() > 6 &&
           QFontMetrics(font).horizontalAdvance(label->text()) > label->width()) {
      font.setPointSizeF(font.pointSizeF() - 0.5);
    }
    label->setFont(font);
  }
}

SettingsPanelsView::~SettingsPanelsView() = default;

void SettingsPanelsView::Attach(WindowState& s) {
  WindowView::Attach(s);
  ConnectHandlers();
}

void SettingsPanelsView::ConnectHandlers() {
  // Only what the user does reaches a handler: a list's activated and a spin edit's
  // valueEdited come from the user's choice alone, so a list or a field the program
  // fills, empties or disables can never send anything (`updating` is the second guard).
  auto onIndex = [this](QComboBox* list, void (SettingsPanelsView::*handler)()) {
    connect(list, &QComboBox::activated, this, [this, handler](int index) {
      if (index >= 0) RunGuarded([this, handler] { (this->*handler)(); });
    });
  };
  auto onValue = [this](TQSpinEdit* spin, void (SettingsPanelsView::*handler)()) {
    connect(spin, &TQSpinEdit::valueEdited, this,
            [this, handler] { RunGuarded([this, handler] { (this->*handler)(); }); });
  };
  onIndex(ui->listGroup, &SettingsPanelsView::GroupChannelChange);
  onIndex(ui->listChannel, &SettingsPanelsView::GroupChannelChange);
  onValue(ui->spinAudioGain, &SettingsPanelsView::AudioChange);
  for (QComboBox* list : {ui->listAudioFilter, ui->listAudioPreEmphasis, ui->listAudioDisplay,
                          ui->listAudioMod, ui->listAudioLPF}) {
    onIndex(list, &SettingsPanelsView::AudioChange);
  }
  connect(ui->ckAudioLimiter, &QCheckBox::clicked, this,
          [this] { RunGuarded([this] { AudioChange(); }); });
  for (QComboBox* list : {ui->listMicMode, ui->listMicPhase, ui->listMicPTT})
    onIndex(list, &SettingsPanelsView::MicChange);
  onIndex(ui->listBatteryType, &SettingsPanelsView::BatteryTypeChange);
  onIndex(ui->listRFPower, &SettingsPanelsView::RFPowerChange);
  onIndex(ui->listLedMode, &SettingsPanelsView::LedChange);
  onValue(ui->spinLedLight, &SettingsPanelsView::LedChange);
  connect(ui->Button2, &QPushButton::clicked, this,
          [this] { RunGuarded([this] { Button2Click(); }); });

  for (QCheckBox* box : lockBoxes_) {
    connect(box, &QCheckBox::clicked, this, [this] { RunGuarded([this] { ckLockClick(); }); });
  }
  // The LP filter row has boxes in the form but no flag of its own: they stay hidden.
  connect(ui->ckAudioLPFLock, &QCheckBox::clicked, this,
          [this] { RunGuarded([this] { ckLockClick(); }); });
  for (int i = 0; i < kHiddenBoxCount; ++i) {
    QCheckBox* box = hiddenBoxes_[i];
    if (box == nullptr) continue;
    const auto which = static_cast<HiddenBox>(i);
    connect(box, &QCheckBox::clicked, this,
            [this, which] { RunGuarded([this, which] { ckMenuHiddenClick(which); }); });
  }

  // A ctrl-click tune in the grid or a preset moved the tuning.
  connect(state, &WindowState::tuningChanged, this, [this] {
    UpdatingScope updating(*state);
    ShowTuning(false);
  });
  connect(state, &WindowState::menuFlagsChanged, this, [this] { ShowHiddenBoxes(); });
}

void SettingsPanelsView::NameControls() {
  // Every control is named after its caption, so a screen reader says what it is.
  NameControlsByCaption(this);
  ui->spinAudioGain->setAccessibleName("AF Gain:");
  ui->EditAudioGainLevel->setAccessibleName("AF Lev:");
  ui->listAudioDisplay->setAccessibleName("AF Display:");
  ui->listAudioDisplay->setToolTip("Show the gain as input gain [dB] or as maximum level [dBu]");
  ui->spinAudioGain->setToolTip("Audio input gain in dB");
  ui->barBatteryStatus->setToolTip("Battery level (0 to 7)");
  ui->Button2->setAccessibleName("Read battery");
  ui->listGroup->setToolTip("Group the transmitter is tuned to");
  ui->listChannel->setToolTip("Channel the transmitter is tuned to");
  // "Lock:" and "Hidden:" say little on their own: the tool tip names the menu entry.
  static const char* const kLockRows[kLockBoxCount] = {
      "tuning", "audio gain", "RF power", "battery type", "microphone mode", "LED mode",
      "modulation", "noise reduction", "high-pass filter", "limiter", "microphone phase",
      "PTT", "LED light"};
  static const char* const kHiddenRows[kHiddenBoxCount] = {
      "tuning", "audio gain", "RF power", "battery type", "microphone mode", "LED mode",
      "preset", "modulation", "noise reduction", "high-pass filter", "limiter",
      "microphone phase", "PTT", "LED light", "menu info"};
  for (int i = 0; i < kLockBoxCount; ++i) {
    const QString tip = QString("Lock the %1 setting in the transmitter's menu").arg(kLockRows[i]);
    lockBoxes_[i]->setToolTip(tip);
    lockBoxes_[i]->setAccessibleDescription(tip);
  }
  for (int i = 0; i < kHiddenBoxCount; ++i) {
    if (hiddenBoxes_[i] == nullptr) continue;
    const QString tip = QString("Hide the %1 entry of the transmitter's menu").arg(kHiddenRows[i]);
    hiddenBoxes_[i]->setToolTip(tip);
    hiddenBoxes_[i]->setAccessibleDescription(tip);
  }
}

// ---------------------------------------------------------------------------------
// Showing the transmitter

void SettingsPanelsView::ResetDisplay() {
  ++generation_;
  // Emptying and refilling the controls is the program's doing: no handler may act on it.
  UpdatingScope updating(*state);
  WindowView::ResetDisplay();
  RestoreFormLists();
  ui->spinAudioGain->setLimits(-60, 60);
  ui->spinAudioGain->setSingleStep(2);
  ui->spinAudioGain->setVisible(true);
  ui->EditAudioGainLevel->setVisible(false);
  ui->GainLevel_label->setText("AF Gain:");
  ui->dB_dBu_label->setText("[dB]");
  state->hiddenShown = {};
  state->hiddenEnabled = {};
}

void SettingsPanelsView::RestoreFormLists() {
  for (const auto& [list, items] : formItems_) {
    SetItems(list, items);
    list->setCurrentIndex(-1);
  }
}

void SettingsPanelsView::BeginFullRead() { ui->listAudioDisplay->setCurrentIndex(0); }

void SettingsPanelsView::ShowReadResult(const FullReadResult& result) {
  ++generation_;
  const TDeviceData& d = state->device;
  ShowTuningLists();
  ShowTuning(!result.Failed(ReadStep::GroupChannel));
  if (result.Failed(ReadStep::Frequency)) ui->valueFrequency->clear();
  ShowPreEmphasisNames();
  ShowAudio(!result.Failed(ReadStep::Audio));
  ShowModelPanels(!result.Failed(ReadStep::ModelPanels));
  ShowBattery(!result.Failed(ReadStep::Battery));
  ShowRfPower(!result.Failed(ReadStep::RfPower));
  const bool led = !result.Failed(ReadStep::Led);
  ShowLed(led, led);
  ApplyFlagVisibility();
  ShowLockFlags(!result.Failed(ReadStep::Locks));
  ShowHiddenFlags(d.hiddenMenuSupported && !result.Failed(ReadStep::HiddenFlags));
}

void SettingsPanelsView::ShowFromData() {
  const TDeviceData& d = state->device;
  if (d.modelType == 0) return;
  UpdatingScope updating(*state);
  // The operation that changed the settings has read them back: what TDeviceData holds
  // is the transmitter's last answer for each. Lists are rebuilt from it; which controls
  // are enabled stays as the full read left it.
  ShowTuning(false);
  ShowAudio(false);
  ShowModelPanels(true);
  ShowBattery(false);
  ShowRfPower(false);
  ShowLed(true, false);
  ShowLockFlags(true);
  if (d.hiddenMenuSupported) ShowHiddenFlags(true);
}

void SettingsPanelsView::SetItems(QComboBox* list, const QStringList& items) {
  list->clear();
  list->addItems(items);
}

void SettingsPanelsView::ApplyList(QComboBox* list, const ListSpec& spec) {
  switch (spec.action) {
    case ListSpec::Action::Fill:
      EnableControl(list);
      SetItems(list, ToQt(spec.items));
      break;
    case ListSpec::Action::Disable:
      DisableControl(list);
      break;
    case ListSpec::Action::Keep:
      break;
  }
}

void SettingsPanelsView::ShowTuningLists() {
  const TDeviceData& d = state->device;
  SetItems(ui->listGroup, ToQt(GroupListItems(d)));
  SetItems(ui->listChannel, ToQt(ChannelListItems(d)));
}

void SettingsPanelsView::ShowTuning(bool enable) {
  const TDeviceData& d = state->device;
  ShowIndex(ui->listGroup, d.curGroup);
  ShowIndex(ui->listChannel, d.curChannel);
  if (d.curFreqKHz > 0)
    ui->valueFrequency->setText(QString::fromStdString(FormatMHz(d.curFreqKHz)));
  else
    ui->valueFrequency->clear();
  if (enable) {
    EnableControl(ui->listGroup);
    EnableControl(ui->listChannel);
  }
}

void SettingsPanelsView::ShowPreEmphasisNames() {
  SetItems(ui->listAudioPreEmphasis, ToQt(PreEmphasisItems(state->device)));
}

void SettingsPanelsView::ShowAudio(bool enable) {
  const TDeviceData& d = state->device;
  const bool extended = d.audioExtended != 0;
  TQSpinEdit* spin = ui->spinAudioGain;
  // The transmitter's value is shown as it is, even outside the model's limits; the
  // user can only choose within them.
  if (d.audioGainRead) spin->showValue(d.audioGain);
  ShowIndex(ui->listAudioFilter, d.audioFilter);
  if (extended) {
    ShowIndex(ui->listAudioDisplay, d.audioDisplay);
    ShowIndex(ui->listAudioPreEmphasis, d.preEmphasis);
    if (d.limiterSupported) ui->ckAudioLimiter->setChecked(d.audioLimiter != 0);
    if (d.audioModLpfSupported) {
      ShowIndex(ui->listAudioMod, d.audioMod);
      ShowIndex(ui->listAudioLPF, d.audioLpf);
    }
  }
  // "AF Max Lev" shows the level the gain gives, in dBu, in place of the gain itself.
  const bool dbu = extended && d.audioDisplay == 1;
  const GainText text = AudioGainText(d.audioGain, dbu);
  if (d.audioGainRead) ui->EditAudioGainLevel->setText(QString::fromStdString(text.value));
  ui->GainLevel_label->setText(QString::fromStdString(text.caption));
  ui->dB_dBu_label->setText(QString::fromStdString(text.unit));
  ui->spinAudioGain->setVisible(!dbu);
  ui->EditAudioGainLevel->setVisible(dbu);
  if (!enable) return;
  EnableControl(spin);
  EnableControl(ui->EditAudioGainLevel);
  EnableControl(ui->listAudioFilter);
  if (!extended) return;
  EnableControl(ui->listAudioDisplay);
  const int m = d.modelType;
  if (NewFamily(m)) EnableControl(ui->listAudioPreEmphasis);
  if (m >= 7 && m <= 9) EnableControl(ui->ckAudioLimiter);
  if (m == 10) {
    EnableControl(ui->listAudioMod);
    EnableControl(ui->listAudioLPF);
  }
}

void SettingsPanelsView::ShowModelPanels(bool micRead) {
  const TDeviceData& d = state->device;
  if (d.modelType < 1 || d.modelType > 10) return;
  // The lists built before the microphone read are rebuilt whatever it gave; what
  // follows from the read (the PTT list of models 3, 5, 7, 9, the gain limits, the
  // microphone values) only from a read that came.
  ApplyList(ui->listBatteryType, MainBatteryList(d));
  ShowIndex(ui->listBatteryType, d.batteryType);
  ApplyList(ui->listMicMode, MainMicModeList(d));
  if (micRead || !MainPttListFollowsMicRead(d)) ApplyList(ui->listMicPTT, MainPttList(d));
  ApplyList(ui->listAudioFilter, MainFilterList(d));
  ShowIndex(ui->listAudioFilter, d.audioFilter);
  ShowPowerList();
  SetControlEnabled(ui->listMicPhase, MainPhaseEnabled(d));
  if (!micRead) return;
  ShowMic();
  ShowGainLimits();
}

void SettingsPanelsView::ShowMic() {
  const TDeviceData& d = state->device;
  ShowIndex(ui->listMicMode, d.micMode);
  ShowIndex(ui->listMicPhase, d.micPhase);
  ShowIndex(ui->listMicPTT, d.micPTT < 0 ? -1 : PttValueToIndex(d, d.micPTT));
}

void SettingsPanelsView::ShowGainLimits() {
  const TDeviceData& d = state->device;
  const GainLimits limits = MainGainLimits(d);
  TQSpinEdit* spin = ui->spinAudioGain;
  spin->setSingleStep(limits.increment);
  // The user chooses within the model's limits; a gain read outside them (before a mode
  // change raised the minimum) stays visible as it is.
  spin->setLimits(limits.minimum, limits.maximum);
  if (d.audioGainRead) spin->showValue(d.audioGain);
}

void SettingsPanelsView::ShowPowerList() {
  const TDeviceData& d = state->device;
  ApplyList(ui->listRFPower, MainPowerList(d));
  ShowIndex(ui->listRFPower, d.rfPower);
}

void SettingsPanelsView::ShowBattery(bool enable) {
  const TDeviceData& d = state->device;
  ShowIndex(ui->listBatteryType, d.batteryType);
  ui->barBatteryStatus->setValue(std::clamp(static_cast<int>(d.batteryLevel), 0, 7));
  if (!enable) return;
  EnableControl(ui->listBatteryType);
  EnableControl(ui->barBatteryStatus);
}

void SettingsPanelsView::ShowRfPower(bool enable) {
  ShowIndex(ui->listRFPower, state->device.rfPower);
  if (enable) EnableControl(ui->listRFPower);
}

void SettingsPanelsView::ShowLed(bool rebuild, bool enable) {
  const TDeviceData& d = state->device;
  int index = d.ledMode;
  // The items depend on the microphone mode and PTT: rebuilt after every LED read that
  // came; a failed read leaves the list as it was.
  const ItemList items = MainLedModeItems(d, index);
  if (rebuild) SetItems(ui->listLedMode, ToQt(items));
  ShowIndex(ui->listLedMode, d.ledMode < 0 ? -1 : index);
  if (d.ledLight >= 0) ui->spinLedLight->showValue(d.ledLight);
  if (!enable) return;
  EnableControl(ui->spinLedLight);
  EnableControl(ui->listLedMode);
}

// ---------------------------------------------------------------------------------
// Change handlers: refused while updating or locked, else written, read back, shown.

void SettingsPanelsView::GroupChannelChange() {
  if (!state->AcceptUserChange([this] { ShowTuning(false); })) return;
  TDeviceData& d = state->device;
  UpdatingScope updating(*state);
  const int group = ChosenIndex(ui->listGroup, d.curGroup);
  int channel = ChosenIndex(ui->listChannel, d.curChannel);
  if (d.syncSupported && group == d.syncGroup) {
    // The SYNC group holds one channel: the list shows it before anything is sent.
    ui->listChannel->setCurrentIndex(0);
    channel = 0;
  }
  const int generation = generation_;
  zentra::GroupChannelChange(state->link, d, group, channel, [] { PumpEvents(); });
  if (generation != generation_) return;
  ShowTuning(true);
  emit state->tuningChanged();
}

void SettingsPanelsView::AudioChange() {
  if (!state->AcceptUserChange([this] { ShowAudio(false); })) return;
  TDeviceData& d = state->device;
  UpdatingScope updating(*state);
  AudioRequest request;
  request.gain = ui->spinAudioGain->value();
  request.filter = ChosenIndex(ui->listAudioFilter, d.audioFilter);
  request.display = ChosenIndex(ui->listAudioDisplay, d.audioDisplay);
  request.limiter = ui->ckAudioLimiter->isChecked();
  request.preEmphasis = ChosenIndex(ui->listAudioPreEmphasis, d.preEmphasis);
  request.modulation = ChosenIndex(ui->listAudioMod, d.audioMod);
  request.lowPass = ChosenIndex(ui->listAudioLPF, d.audioLpf);
  const int generation = generation_;
  const SettingResult result = zentra::AudioChange(state->link, d, request);
  if (generation != generation_) return;
  ShowAudio(result.readBack);
  // The preset panel shows its gain in the unit chosen here.
  if (d.audioExtended && d.presetsSupported) emit state->audioDisplayChanged();
}

void SettingsPanelsView::MicChange() {
  if (!state->AcceptUserChange([this] { ShowMic(); })) return;
  TDeviceData& d = state->device;
  UpdatingScope updating(*state);
  const int mode = ChosenIndex(ui->listMicMode, d.micMode);
  const int phase = ChosenIndex(ui->listMicPhase, d.micPhase);
  const int ptt = PttValueToSend(d, ui->listMicPTT->currentIndex());
  const int generation = generation_;
  const MicChangeResult result = zentra::MicChange(state->link, d, mode, phase, ptt);
  if (generation != generation_) return;
  if (!result.message.empty()) {
    ShowUserMessage(state->window, QString::fromStdString(result.message.title),
                    QString::fromStdString(result.message.text), QMessageBox::Critical);
  }
  // The PTT list, the gain minimum and the LED list follow the mode just read.
  ShowModelPanels(result.micRead);
  ShowLed(result.ledRead, result.ledRead);
  ShowAudio(result.audioRead);
}

void SettingsPanelsView::BatteryTypeChange() {
  if (!state->AcceptUserChange([this] { ShowBattery(false); })) return;
  UpdatingScope updating(*state);
  const int generation = generation_;
  const SettingResult result =
      zentra::BatteryTypeChange(state->link, state->device, ui->listBatteryType->currentIndex());
  if (generation != generation_) return;
  ShowBattery(result.readBack);
}

void SettingsPanelsView::RFPowerChange() {
  if (!state->AcceptUserChange([this] { ShowRfPower(false); })) return;
  UpdatingScope updating(*state);
  const int generation = generation_;
  const SettingResult result =
      zentra::RFPowerChange(state->link, state->device, ui->listRFPower->currentIndex());
  if (generation != generation_) return;
  ShowRfPower(result.readBack);
}

void SettingsPanelsView::LedChange() {
  if (!state->AcceptUserChange([this] { ShowLed(false, false); })) return;
  TDeviceData& d = state->device;
  UpdatingScope updating(*state);
  const int generation = generation_;
  const SettingResult result =
      zentra::LedChange(state->link, d, ui->spinLedLight->value(),
                        LedModeToSend(d, ui->listLedMode->currentIndex()));
  if (generation != generation_) return;
  ShowLed(result.readBack, result.readBack);
}

void SettingsPanelsView::Button2Click() {
  UpdatingScope updating(*state);
  const int generation = generation_;
  const bool read = zentra::Button2Click(state->link, state->device);
  if (generation != generation_) return;
  ShowBattery(read);
}

}  // namespace zentra
