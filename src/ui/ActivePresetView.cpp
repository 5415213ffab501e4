#include "ui/ActivePresetView.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include "device/FullRead.h"
#include "device/ItemLists.h"
#include "device/Presets.h"
#include "device/TDeviceData.h"
#include "link/IrLink.h"
#include "ui/SettingsPanelsView.h"
#include "ui/UserMessages.h"
#include "ui/WindowState.h"
#include "ui_ActivePresetView.h"

namespace zentra {

ActivePresetView::ActivePresetView(QWidget* parent)
    : WindowView(parent), ui(std::make_unique<Ui::ActivePresetView>()) {
  ui->setupUi(this);
}

ActivePresetView::~ActivePresetView() = default;

void ActivePresetView::Attach(WindowState& s) {
  WindowView::Attach(s);
  // The preset entry's hidden flag is one of the user menu's fourteen.
  connect(ui->ckPresetHidden, &QCheckBox::clicked, this, [this] {
    RunGuarded([this] { HiddenBoxClick(*state, HiddenBox::Preset, ui->ckPresetHidden); });
  });
  connect(state, &WindowState::menuFlagsChanged, this, [this] {
    ShowHiddenBox(*state, HiddenBox::Preset, ui->ckPresetHidden, ui->label_55);
  });
  connect(ui->PresetListSet, &QComboBox::activated, this, [this] {
    if (!state->updating) RunGuarded([this] { PresetListSetChange(); });
  });
  connect(ui->ButtonSetPreset, &QPushButton::clicked, this, [this] {
    if (!state->updating) RunGuarded([this] { ButtonSetPresetClick(); });
  });
  connect(state, &WindowState::presetsChanged, this, [this] { PresetListSetChange(); });
}

void ActivePresetView::ResetDisplay() {
  UpdatingScope updating(*state);
  WindowView::ResetDisplay();
  ui->PresetListSet->clear();
  ui->PresetNameSetList->clear();
}

void ActivePresetView::ShowReadResult(const FullReadResult& result) {
  const TDeviceData& d = state->device;
  ui->PresetListSet->clear();
  ui->PresetNameSetList->clear();
  if (!d.presetsSupported || result.Failed(ReadStep::Presets)) {
    DisableControl(ui->PresetListSet);
    DisableControl(ui->ButtonSetPreset);
    return;
  }
  for (const std::string& name : PresetListNames(d.presetCount)) {
    ui->PresetListSet->addItem(QString::fromLatin1(name.c_str()));
  }
  if (ui->PresetListSet->count() == 0) return;
  EnableControl(ui->PresetListSet);
  EnableControl(ui->ButtonSetPreset);
  ShowFromData();
}

void ActivePresetView::ShowFromData() {
  const TDeviceData& d = state->device;
  QComboBox* list = ui->PresetListSet;
  if (!d.presetsSupported || list->count() == 0) return;
  {
    // No preset active (0xFF): the list shows none.
    UpdatingScope updating(*state);
    list->setCurrentIndex(d.presetIndex < list->count() ? d.presetIndex : -1);
  }
  PresetListSetChange();
}

void ActivePresetView::PresetListSetChange() {
  const int index = ui->PresetListSet->currentIndex();
  ui->PresetNameSetList->setText(
      index >= 0 ? QString::fromLatin1(state->presets.Name(index).c_str()) : QString());
}

void ActivePresetView::ButtonSetPresetClick() {
  TDeviceData& d = state->device;
  const int index = ui->PresetListSet->currentIndex();
  if (!d.presetsSupported || index < 0 || state->busy) return;
  // The settings change under the panels: their handlers must not write while the
  // read-backs refresh them.
  const bool locked = state->editLocked;
  state->editLocked = true;
  const PresetSetResult r = ActivatePresetAndReread(state->link, d, index);
  if (d.modelType != 0) {
    // The activation read everything it changed: the views show it.
    emit state->settingsReread();
    emit state->tuningChanged();
  }
  // Only an activation the transmitter acknowledged is reported as done.
  if (r.activated && d.modelType != 0) {
    ShowUserMessage(state->window, kPresetDoneTitle, kPresetLoadedMessage,
                    QMessageBox::Information);
  }
  // The edit lock is as the user left it, and every view shows it so again (the preset
  // panel was shown locked while the activation held the lock).
  state->editLocked = locked;
  if (d.modelType != 0) emit state->editLockChanged();
}

}  // namespace zentra
