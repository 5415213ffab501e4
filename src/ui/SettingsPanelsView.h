// The setting boxes of "Current Settings": "Tuning", "Audio", "Mic / PTT", "Battery",
// "RF Power" and "LED Switch", with the lock and hidden boxes of the transmitter's own
// user menu beside each setting. Every box shows the transmitter's values as TDeviceData
// holds them; every change is written, read back and shown as the transmitter answered.
// The setting handlers are in SettingsPanelsView.cpp, the lock and hidden boxes' in
// MenuFlagsPanel.cpp.
#pragma once

#include <QStringList>
#include <map>
#include <memory>
#include <vector>

#include "device/MenuFlags.h"
#include "ui/WindowView.h"

class QCheckBox;
class QComboBox;
class QLabel;

namespace Ui {
class SettingsPanelsView;
}

namespace zentra {

struct ListSpec;

class SettingsPanelsView : public WindowView {
  Q_OBJECT

 public:
  explicit SettingsPanelsView(QWidget* parent = nullptr);
  ~SettingsPanelsView() override;

  Ui::SettingsPanelsView& form() { return *ui; }

  void Attach(WindowState& state) override;
  void ResetDisplay() override;
  void BeginFullRead() override;
  void ShowReadResult(const FullReadResult& result) override;
  // Shows every setting as TDeviceData holds it after an operation read them back.
  void ShowFromData() override;

  // --- change handlers: each writes, reads back and shows the transmitter's answer ---
  void GroupChannelChange();
  void AudioChange();
  void MicChange();
  void BatteryTypeChange();
  void RFPowerChange();
  void LedChange();
  void Button2Click();
  // The lock and hidden boxes of the user menu (MenuFlagsPanel.cpp).
  void ckLockClick();
  void ckMenuHiddenClick(HiddenBox box);

  // The lock and hidden boxes of this view, by their place in the bytes.
  QCheckBox* LockCheck(LockBox box) const;
  QCheckBox* HiddenCheck(HiddenBox box) const;

 private:
  void ConnectHandlers();
  // Captions as accessible names, tool tips for the terse ones.
  void NameControls();

  // --- showing TDeviceData (enable: the read behind it succeeded) ---
  void ShowTuningLists();
  void ShowTuning(bool enable);
  void ShowPreEmphasisNames();
  void ShowAudio(bool enable);
  // The per-model lists (battery, microphone, PTT, filter, power), the phase and the
  // gain limits; the microphone values when `micRead`.
  void ShowModelPanels(bool micRead);
  void ShowPowerList();
  void ShowBattery(bool enable);
  void ShowRfPower(bool enable);
  // rebuild: the LED read came, so the mode list is rebuilt for it; enable: the
  // controls are enabled (the read behind them succeeded).
  void ShowLed(bool rebuild, bool enable);
  void ShowMic();
  void ShowGainLimits();
  // Refills a list as its rule says (fill, disable, or keep the items it holds).
  void ApplyList(QComboBox* list, const ListSpec& spec);
  void SetItems(QComboBox* list, const QStringList& items);
  // Puts the form's own items back into every list (no model's items survive).
  void RestoreFormLists();

  // --- lock and hidden boxes (MenuFlagsPanel.cpp) ---
  void BuildFlagTables();
  void ApplyFlagVisibility();
  void ShowLockFlags(bool read);
  // Fills the shared hidden state after a read (or empties it) and tells every view.
  void ShowHiddenFlags(bool read);
  void ShowHiddenBoxes();
  void PutBackLockBoxes();

  std::unique_ptr<Ui::SettingsPanelsView> ui;
  std::map<QComboBox*, QStringList> formItems_;
  std::vector<QCheckBox*> lockBoxes_;    // by LockBox
  std::vector<QCheckBox*> hiddenBoxes_;  // by HiddenBox; null where another view has it
  std::vector<QLabel*> lockLabels_;      // caption of each lock box
  std::vector<QLabel*> hiddenLabels_;    // caption of each hidden box
  int audioLockRowTop_ = 0;              // the gain row and the first audio row
  int audioFirstRowTop_ = 0;
  // Counts the transmitters shown: a handler whose commands let events run shows
  // nothing if the transmitter left meanwhile.
  int generation_ = 0;
};

// A hidden box of the user menu that another view holds (the preset box, the menu-info
// box of the device box): shown from the shared state, and its click writes both hidden
// bytes from all fourteen boxes.
// `caption` is the box's "Hidden:" label, if it has one apart from its own text.
void ShowHiddenBox(const WindowState& state, HiddenBox box, QCheckBox* check,
                   QWidget* caption = nullptr);
void HiddenBoxClick(WindowState& state, HiddenBox box, QCheckBox* check);

}  // namespace zentra
