#include "ui/PresetPanelView.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProxyStyle>
#include <QPushButton>
#include <QSpinBox>
#include <QStyleOptionComplex>
#include <algorithm>

#include "device/CommandSet.h"
#include "device/FullRead.h"
#include "device/ItemLists.h"
#include "device/TDeviceData.h"
#include "link/IrLink.h"
#include "ui/UserMessages.h"
#include "ui/WindowState.h"
#include "ui_PresetPanelView.h"

namespace zentra {

namespace {

using PS = PresetSetting;

QString Latin1(const std::string& s) { return QString::fromLatin1(s.c_str()); }

// Enables or disables a control of the panel keeping what it shows: a preset shown
// locked or "Don't Care" still shows its values.
void SetShownEnabled(QWidget* w, bool on) {
  w->setEnabled(on);
  w->setBackgroundRole(on ? QPalette::Base : QPalette::Button);
}

// The panel's lists are narrow: a slimmer drop-down button leaves their texts
// ("mod. peak", "ENR-Quor") room to be read whole.
class SlimComboStyle : public QProxyStyle {
 public:
  QRect subControlRect(ComplexControl control, const QStyleOptionComplex* option,
                       SubControl part, const QWidget* widget) const override {
    QRect r = QProxyStyle::subControlRect(control, option, part, widget);
    if (control != CC_ComboBox) return r;
    constexpr int kButton = 12;
    const int buttonLeft = option->rect.right() - kButton;
    if (part == SC_ComboBoxArrow) r.setLeft(std::max(r.left(), buttonLeft));
    if (part == SC_ComboBoxEditField) r.setRight(std::max(r.right(), buttonLeft - 1));
    return r;
  }
};

void Fill(QComboBox* list, const ItemList& items, int index) {
  list->clear();
  // Item texts are UTF-8 ("0°"); names from the transmitter are Latin-1.
  for (const std::string& item : items) list->addItem(QString::fromUtf8(item.c_str()));
  list->setCurrentIndex(index >= 0 && index < list->count() ? index : -1);
}

// Text of the name edit as the transmitter takes it: non-ASCII characters become blanks.
std::string NameText(const QString& text) {
  std::string out;
  for (const QChar ch : text) {
    const char16_t u = ch.unicode();
    out.push_back(u >= 32 && u <= 126 ? static_cast<char>(u) : ' ');
  }
  return out;
}

}  // namespace

PresetPanelView::PresetPanelView(QWidget* parent)
    : WindowView(parent), ui(std::make_unique<Ui::PresetPanelView>()) {
  ui->setupUi(this);
  auto* slim = new SlimComboStyle;
  slim->setParent(this);
  for (QComboBox* list : findChildren<QComboBox*>()) list->setStyle(slim);
  auto row = [this](PS s, const char* caption, std::vector<QWidget*> values, QCheckBox* lock,
                    QCheckBox* care) {
    Row& r = RowOf(s);
    r.caption = caption;
    r.values = std::move(values);
    r.lock = lock;
    r.care = care;
    for (QWidget* w : r.values)
      if (w->accessibleName().isEmpty()) w->setAccessibleName(r.caption);
    lock->setAccessibleName(r.caption + " Lock");
    care->setAccessibleName(r.caption + " Don't Care");
  };
  Ui::PresetPanelView& f = *ui;
  row(PS::Tuning, "Tuning", {f.PresetlistGroup, f.PresetlistChannel}, f.PresetckTuningLock,
      f.PresetckTuningCare);
  f.PresetlistGroup->setAccessibleName("Preset group");
  f.PresetlistChannel->setAccessibleName("Preset channel");
  row(PS::Gain, "Gain", {f.PresetspinAudioGain}, f.PresetckAudioLock, f.PresetckAudioCare);
  row(PS::Filter, "HP Filter", {f.PresetlistAudioFilter}, f.PresetckAudioHPFLock,
      f.PresetckAudioHPFCare);
  row(PS::NoiseReduction, "Noise R.", {f.PresetlistAudioPreEmphasis}, f.PresetckAudioNRLock,
      f.PresetckAudioNRCare);
  row(PS::Limiter, "Limiter", {f.PresetckAudioLimiter}, f.PresetckAudioLimiterLock,
      f.PresetckAudioLimiterCare);
  row(PS::MicMode, "Mic Mode", {f.PresetlistMicMode}, f.PresetckMicLock, f.PresetckMicCare);
  row(PS::MicPhase, "Phase", {f.PresetlistMicPhase}, f.PresetckMicPHLock, f.PresetckMicPHCare);
  row(PS::Ptt, "PTT", {f.PresetlistMicPTT}, f.PresetckMicPTTLock, f.PresetckMicPTTCare);
  row(PS::Battery, "Battery", {f.PresetlistBatteryType}, f.PresetckBatteryLock,
      f.PresetckBatteryCare);
  row(PS::RfPower, "RF Power", {f.PresetlistRFPower}, f.PresetckRFPowerLock,
      f.PresetckRFPowerCare);
  row(PS::LedMode, "Led Mode", {f.PresetlistLedMode}, f.PresetckLedLock, f.PresetckLedCare);
  row(PS::LedLight, "Led Light", {f.PresetspinLedLight}, f.PresetckLedLightLock,
      f.PresetckLedLightCare);
  row(PS::AudioMod, "Mod / LPF", {f.PresetlistAudioMod, f.PresetlistAudioLPF},
      f.PresetckAudioModLock, f.PresetckAudioModCare);
  f.PresetlistAudioMod->setAccessibleName("Preset modulation");
  f.PresetlistAudioLPF->setAccessibleName("Preset low-pass filter");
  f.PresetList->setAccessibleName("Preset:");
  f.PresetvalueFrequency->setAccessibleName("Preset frequency");
  f.PresetEditAudioGainLevel->setAccessibleName("Preset gain level");
}

PresetPanelView::~PresetPanelView() = default;

void PresetPanelView::Attach(WindowState& s) {
  WindowView::Attach(s);
  Ui::PresetPanelView& f = *ui;
  auto guarded = [this](auto handler) {
    return [this, handler] {
      if (!state->updating) RunGuarded([this, handler] { (this->*handler)(); });
    };
  };
  // The lists and the gain field answer the user's choices only (activated,
  // valueEdited): filling them to show a preset runs no handler and sends nothing.
  connect(f.PresetList, &QComboBox::activated, this,
          guarded(&PresetPanelView::PresetListChange));
  connect(f.ButtonSavePreset, &QPushButton::clicked, this,
          guarded(&PresetPanelView::ButtonSavePresetClick));
  connect(f.ButtonReloadPreset, &QPushButton::clicked, this,
          guarded(&PresetPanelView::ButtonReloadPresetClick));
  connect(f.PresetlistChannel, &QComboBox::activated, this,
          guarded(&PresetPanelView::PresetlistChannelChange));
  connect(f.PresetlistGroup, &QComboBox::activated, this,
          guarded(&PresetPanelView::PresetlistGroupChange));
  connect(f.PresetlistMicMode, &QComboBox::activated, this,
          guarded(&PresetPanelView::PresetlistMicModeChange));
  connect(f.PresetspinAudioGain, &TQSpinEdit::valueEdited, this,
          guarded(&PresetPanelView::PresetspinAudioGainChange));
  connect(f.PresetlistAudioMod, &QComboBox::activated, this,
          guarded(&PresetPanelView::PresetlistAudioModChange));
  for (int i = 0; i < kPresetSettingCount; ++i) {
    const PS setting = static_cast<PS>(i);
    connect(rows_[static_cast<size_t>(i)].care, &QCheckBox::clicked, this, [this, setting] {
      if (!state->updating) RunGuarded([this, setting] { PresetCareClick(setting); });
    });
  }
  // Another part of the window wrote or read the presets: show the store again.
  connect(state, &WindowState::presetsChanged, this, [this] {
    if (shownIndex_ >= 0) ShowPreset(shownIndex_);
  });
  // The Audio box switched between dB and dBu: the preset's gain line follows.
  connect(state, &WindowState::audioDisplayChanged, this, [this] { ShowGainText(); });
}

// ---------------------------------------------------------------------------------
// Showing

void PresetPanelView::ShowNothing() {
  // Emptying the lists fires their change signals: no handler may run meanwhile.
  UpdatingScope updating(*state);
  shownIndex_ = -1;
  shown_ = PresetSettings{};
  for (QWidget* control : EditingControls()) DisableControl(control);
  ui->PresetNameList->clear();
  SetShownEnabled(ui->PresetNameList, false);
  ui->PresetvalueFrequency->clear();
  ShowGainText();  // nothing shown: the gain line is emptied and hidden
}

void PresetPanelView::ResetDisplay() {
  ShowNothing();
  UpdatingScope updating(*state);
  ui->PresetList->clear();
}

void PresetPanelView::ShowReadResult(const FullReadResult& result) {
  const TDeviceData& d = state->device;
  ResetDisplay();
  const bool extended = d.extendedLockSupported != 0;
  for (const Row& r : rows_) {
    const bool shown = !(PresetLockBit(static_cast<PS>(&r - rows_.data())).byte ==
                             preset_byte::kLockExt && !extended);
    r.lock->setVisible(shown);
    r.care->setVisible(shown);
  }
  if (!d.presetsSupported || result.Failed(ReadStep::Presets)) return;
  ui->PresetList->clear();
  for (const std::string& name : PresetListNames(d.presetCount)) ui->PresetList->addItem(Latin1(name));
  if (ui->PresetList->count() == 0) return;
  ShowFromData();
}

void PresetPanelView::ShowFromData() {
  const TDeviceData& d = state->device;
  if (!d.presetsSupported || ui->PresetList->count() == 0) return;
  // The active preset is selected and shown; with none active (0xFF) the list shows no
  // selection and the panel nothing, until the user picks a preset.
  const int active = d.presetIndex < ui->PresetList->count() ? d.presetIndex : -1;
  {
    UpdatingScope updating(*state);
    ui->PresetList->setCurrentIndex(active);
  }
  ShowPreset(active);
  for (QWidget* w : {static_cast<QWidget*>(ui->PresetList),
                     static_cast<QWidget*>(ui->ButtonReloadPreset),
                     static_cast<QWidget*>(ui->ButtonSavePreset)}) {
    EnableControl(w);
  }
}

void PresetPanelView::ShowEditLock() {
  // The preset chosen is shown again from the store, in the mode of the lock: edits
  // not saved are dropped, as choosing the preset again would.
  if (shownIndex_ >= 0) ShowPreset(shownIndex_);
}

void PresetPanelView::ShowPreset(int index) {
  const TDeviceData& d = state->device;
  if (!d.presetsSupported || index < 0 || index >= std::min<int>(d.presetCount, kMaxPresets)) {
    ShowNothing();
    return;
  }
  shownIndex_ = index;
  {
    UpdatingScope updating(*state);
    ui->PresetNameList->setText(Latin1(state->presets.Name(index)));
  }
  ShowSettings(DecodePresetRecord(d, state->presets.presetRecords[static_cast<size_t>(index)]));
}

void PresetPanelView::ShowSettings(const PresetSettings& p) {
  const TDeviceData& d = state->device;
  Ui::PresetPanelView& f = *ui;
  UpdatingScope updating(*state);
  shown_ = p;
  listMode_ = p.micMode;
  const PresetPanelMode mode = PresetPanelModeFor(shownIndex_, state->editLocked);
  SetShownEnabled(f.PresetNameList, mode.nameEnabled);

  const ListSpec mic = PresetMicModeList(d);
  if (mic.action == ListSpec::Action::Fill) Fill(f.PresetlistMicMode, mic.items, p.micMode);
  else f.PresetlistMicMode->clear();
  Fill(f.PresetlistGroup, GroupListItems(d), p.group);
  Fill(f.PresetlistChannel, ChannelListItems(d), p.channel);
  const GainLimits gain = PresetGainLimits(d, p.micMode);
  f.PresetspinAudioGain->setLimits(gain.minimum, gain.maximum);
  f.PresetspinAudioGain->setSingleStep(gain.increment);
  f.PresetspinAudioGain->showValue(p.gain);
  Fill(f.PresetlistAudioPreEmphasis, PreEmphasisItems(d), p.preEmphasis);
  Fill(f.PresetlistAudioFilter, PresetFilterItems(d), p.filter);
  f.PresetckAudioLimiter->setChecked(p.limiter);
  if (d.audioModLpfSupported) {
    Fill(f.PresetlistAudioMod, ModulationItems(), p.audioMod);
    Fill(f.PresetlistAudioLPF, PresetLowPassItems(p.audioMod), p.audioLpf);
  } else {  // the model has no modulation setting: nothing to show
    f.PresetlistAudioMod->clear();
    f.PresetlistAudioLPF->clear();
  }
  Fill(f.PresetlistBatteryType, PresetBatteryItems(d), p.batteryType);
  Fill(f.PresetlistRFPower, PresetPowerItems(d), p.rfPower);
  Fill(f.PresetlistLedMode, PresetLedModeItems(d, p.micMode), p.ledMode);
  f.PresetspinLedLight->showValue(p.ledLight);
  const ListSpec ptt = PresetPttList(d, p.micMode);
  if (ptt.action == ListSpec::Action::Fill) {
    Fill(f.PresetlistMicPTT, ptt.items, PresetPttValueToIndex(d, p.micMode, p.pttValue));
  } else {
    f.PresetlistMicPTT->clear();
  }
  Fill(f.PresetlistMicPhase, PhaseItems(), p.micPhase);

  for (int i = 0; i < kPresetSettingCount; ++i) {
    const PS s = static_cast<PS>(i);
    Row& r = rows_[static_cast<size_t>(i)];
    for (QWidget* w : r.values) SetShownEnabled(w, PresetValueEnabled(d, mode, p, s));
    // Every box shows its bit, also while locked or where the model offers no such box
    // (disabled then): SAVE takes the bytes from the boxes, so a bit not shown would be
    // a bit lost. Only USER has no flags.
    r.lock->setChecked(mode.flagsShown && PresetLocked(p, s));
    r.care->setChecked(mode.flagsShown && PresetDontCare(p, s));
    SetShownEnabled(r.lock, PresetLockEnabled(d, mode, p, s));
    SetShownEnabled(r.care, PresetCareEnabled(d, mode, s));
  }
  ShowGainText();
  ShowPresetFrequency();
}

void PresetPanelView::ShowGainText() {
  const TDeviceData& d = state->device;
  QLineEdit* edit = ui->PresetEditAudioGainLevel;
  // The preset's gain as the transmitter's display shows it (dB, or the dBu level),
  // on a line of its own below the buttons.
  if (!(d.audioExtended && d.presetsSupported) || shownIndex_ < 0) {
    edit->clear();
    edit->setVisible(false);
    return;
  }
  const GainText text = AudioGainText(ui->PresetspinAudioGain->value(), d.audioDisplay > 0);
  edit->setText(Latin1(text.caption + " " + text.value + " " + text.unit));
  edit->setVisible(true);
}

void PresetPanelView::ShowPresetFrequency() {
  QLineEdit* edit = ui->PresetvalueFrequency;
  const int group = ui->PresetlistGroup->currentIndex();
  const int channel = ui->PresetlistChannel->currentIndex();
  int32_t kHz = 0;
  if (group < 0 || channel < 0 ||
      !state->commands.ReadChannelFrequency(channel, group, kHz)) {
    edit->clear();
    return;
  }
  edit->setText(QString::asprintf("%.03f", kHz * 0.001));
}

PresetSettings PresetPanelView::CollectSettings() const {
  const TDeviceData& d = state->device;
  const Ui::PresetPanelView& f = *ui;
  PresetSettings p = shown_;
  auto take = [](const QComboBox* list, int& field) {
    if (list->currentIndex() >= 0) field = list->currentIndex();
  };
  take(f.PresetlistGroup, p.group);
  take(f.PresetlistChannel, p.channel);
  p.gain = f.PresetspinAudioGain->value();
  take(f.PresetlistAudioFilter, p.filter);
  take(f.PresetlistAudioPreEmphasis, p.preEmphasis);
  p.limiter = f.PresetckAudioLimiter->isChecked();
  take(f.PresetlistMicMode, p.micMode);
  take(f.PresetlistMicPhase, p.micPhase);
  if (f.PresetlistMicPTT->currentIndex() >= 0) {
    p.pttValue = PresetPttIndexToValue(d, listMode_, f.PresetlistMicPTT->currentIndex());
  }
  take(f.PresetlistBatteryType, p.batteryType);
  take(f.PresetlistRFPower, p.rfPower);
  take(f.PresetlistLedMode, p.ledMode);
  p.ledLight = f.PresetspinLedLight->value();
  take(f.PresetlistAudioMod, p.audioMod);
  take(f.PresetlistAudioLPF, p.audioLpf);
  p.audioLpf = ClampPresetLowPass(p.audioMod, p.audioLpf);
  for (int i = 0; i < kPresetSettingCount; ++i) {
    const Row& r = rows_[static_cast<size_t>(i)];
    SetPresetLocked(p, static_cast<PS>(i), r.lock->isChecked());
    SetPresetDontCare(p, static_cast<PS>(i), r.care->isChecked());
  }
  return p;
}

void PresetPanelView::TakeEdits() {
  if (shownIndex_ >= 0) shown_ = CollectSettings();
}

// ---------------------------------------------------------------------------------
// Handlers

void PresetPanelView::PresetListChange() {
  if (ui->PresetList->currentIndex() >= 0) ShowPreset(ui->PresetList->currentIndex());
}

void PresetPanelView::PresetlistMicModeChange() {
  // The PTT list, the gain minimum and the LED modes depend on the preset's mode.
  TakeEdits();
  ShowSettings(shown_);
}

void PresetPanelView::PresetspinAudioGainChange() { ShowGainText(); }

void PresetPanelView::PresetlistAudioModChange() {
  // "Narrow" has no 20 kHz filter: the low-pass list is rebuilt, an index of 2 clamped.
  TakeEdits();
  ShowSettings(shown_);
}

void PresetPanelView::PresetCareClick(PresetSetting setting) {
  const PresetPanelMode mode = PresetPanelModeFor(shownIndex_, state->editLocked);
  if (!mode.flagsEnabled) return;
  TakeEdits();
  // The setting shows the preset's stored value again.
  const PresetSettings stored = DecodePresetRecord(
      state->device, state->presets.presetRecords[static_cast<size_t>(shownIndex_)]);
  PresetSettings& p = shown_;
  switch (setting) {
    case PS::Tuning: p.group = stored.group; p.channel = stored.channel; break;
    case PS::Gain: p.gain = stored.gain; break;
    case PS::Filter: p.filter = stored.filter; break;
    case PS::NoiseReduction: p.preEmphasis = stored.preEmphasis; break;
    case PS::Limiter: p.limiter = stored.limiter; break;
    case PS::MicMode: p.micMode = stored.micMode; break;
    case PS::MicPhase: p.micPhase = stored.micPhase; break;
    case PS::Ptt: p.pttValue = stored.pttValue; break;
    case PS::Battery: p.batteryType = stored.batteryType; break;
    case PS::RfPower: p.rfPower = stored.rfPower; break;
    case PS::LedMode: p.ledMode = stored.ledMode; break;
    case PS::LedLight: p.ledLight = stored.ledLight; break;
    case PS::AudioMod: p.audioMod = stored.audioMod; p.audioLpf = stored.audioLpf; break;
    case PS::Count: break;
  }
  ShowSettings(p);
}

void PresetPanelView::ButtonSavePresetClick() {
  TDeviceData& d = state->device;
  const int index = ui->PresetList->currentIndex();
  if (!state->AcceptUserChange([this] { if (shownIndex_ >= 0) ShowPreset(shownIndex_); })) {
    return;
  }
  if (!d.presetsSupported || index < 0) {
    if (state->beep) state->beep();
    return;
  }
  const PresetSaveResult r =
      SavePreset(state->link, d, state->presets, index, NameText(ui->PresetNameList->text()),
                 CollectSettings());
  if (d.modelType == 0) return;  // the transmitter left meanwhile
  emit state->presetsChanged();  // this panel and the "Preset" box show the store again
  if (r.recordWritten) {
    ShowUserMessage(state->window, kPresetDoneTitle, kPresetSavedMessage,
                    QMessageBox::Information);
  }
}

void PresetPanelView::ButtonReloadPresetClick() {
  TDeviceData& d = state->device;
  if (!d.presetsSupported) return;
  ReloadPresets(state->link, d, state->presets);
  if (d.modelType == 0) return;
  emit state->presetsChanged();
}

}  // namespace zentra
