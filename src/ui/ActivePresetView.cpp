#include "ui/ActivePresetView.h"

#include <QCheckBox>

#include "ui/SettingsPanelsView.h"
#include "ui/UserMessages.h"
#include "ui/WindowState.h"
#include "ui_ActivePresetView.h"

namespace zentra {

ActivePresetView::ActivePresetView(QWidget* parent) : WindowView(parent), ui(std::make_unique<Ui::ActivePresetView>()) {
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
}

void ActivePresetView::ResetDisplay() {
  WindowView::ResetDisplay();
  ui->PresetListSet->clear();
}

}  // namespace zentra
