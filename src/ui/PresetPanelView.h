// The "Presets" box: the transmitter's presets shown one at a time with the per-model
// lists, the lock and "Don't Care" boxes of every setting, edited here and written with
// SAVE, read again with READ. The enable rules and the record mapping live in
// device/Presets, shared with the command line; the panel only shows them.
#pragma once

#include <array>
#include <memory>
#include <vector>

#include "device/Presets.h"
#include "ui/WindowView.h"

class QCheckBox;
namespace Ui {
class PresetPanelView;
}

namespace zentra {

class PresetPanelView : public WindowView {
  Q_OBJECT

 public:
  explicit PresetPanelView(QWidget* parent = nullptr);
  ~PresetPanelView() override;

  Ui::PresetPanelView& form() { return *ui; }

  void Attach(WindowState& state) override;
  void ResetDisplay() override;
  void ShowReadResult(const FullReadResult& result) override;
  void ShowEditLock() override;
  // Selects the active preset and shows it from the preset store (which the
  // configuration load or the activation has read again).
  void ShowFromData() override;

  // The preset shown (-1: none) and the settings the panel holds for it now.
  int shownPreset() const { return shownIndex_; }
  PresetSettings CollectSettings() const;

  // --- handlers ---
  void PresetListChange();
  void ButtonSavePresetClick();
  void ButtonReloadPresetClick();
  void PresetlistChannelChange() { ShowPresetFrequency(); }
  void PresetlistGroupChange() { ShowPresetFrequency(); }
  void PresetlistMicModeChange();
  void PresetspinAudioGainChange();
  void PresetlistAudioModChange();
  // The "Don't Care" boxes: nothing for "USER"; a checked box disables the setting's
  // lock box and value controls, and the setting shows its stored value again.
  void PresetCareClick(PresetSetting setting);
  void PresetckTuningCareClick() { PresetCareClick(PresetSetting::Tuning); }
  void PresetckAudioCareClick() { PresetCareClick(PresetSetting::Gain); }
  void PresetckAudioNRCareClick() { PresetCareClick(PresetSetting::NoiseReduction); }
  void PresetckAudioHPFCareClick() { PresetCareClick(PresetSetting::Filter); }
  void PresetckAudioLimiterCareClick() { PresetCareClick(PresetSetting::Limiter); }
  void PresetckMicCareClick() { PresetCareClick(PresetSetting::MicMode); }
  void PresetckMicPHCareClick() { PresetCareClick(PresetSetting::MicPhase); }
  void PresetckMicPTTCareClick() { PresetCareClick(PresetSetting::Ptt); }
  void PresetckBatteryCareClick() { PresetCareClick(PresetSetting::Battery); }
  void PresetckRFPowerCareClick() { PresetCareClick(PresetSetting::RfPower); }
  void PresetckLedCareClick() { PresetCareClick(PresetSetting::LedMode); }
  void PresetckLedLightCareClick() { PresetCareClick(PresetSetting::LedLight); }
  void PresetckAudioModCareClick() { PresetCareClick(PresetSetting::AudioMod); }

 private:
  struct Row {
    QString caption;
    std::vector<QWidget*> values;
    QCheckBox* lock = nullptr;
    QCheckBox* care = nullptr;
  };
  Row& RowOf(PresetSetting setting) { return rows_[static_cast<size_t>(setting)]; }

  // Shows preset i of the store (the name, and the record as the panel's settings).
  void ShowPreset(int index);
  // Shows settings p of the preset shown: lists for its microphone mode, values, boxes
  // and the enable rules of the mode.
  void ShowSettings(const PresetSettings& p);
  void ShowPresetFrequency();
  void ShowGainText();
  // Takes what the user changed into the settings held (no-op while updating).
  void TakeEdits();
  void ShowNothing();

  std::unique_ptr<Ui::PresetPanelView> ui;
  std::array<Row, kPresetSettingCount> rows_;
  PresetSettings shown_;
  int shownIndex_ = -1;
  // The microphone mode the PTT list was built for: its items map through it.
  int listMode_ = 0;
};

}  // namespace zentra
