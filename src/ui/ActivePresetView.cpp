#include "ui/ActivePresetView.h"

#include "ui_ActivePresetView.h"

namespace zentra {

ActivePresetView::ActivePresetView(QWidget* parent) : WindowView(parent), ui(std::make_unique<Ui::ActivePresetView>()) {
  ui->setupUi(this);
}

ActivePresetView::~ActivePresetView() = default;

void ActivePresetView::ResetDisplay() {
  WindowView::ResetDisplay();
  ui->PresetListSet->clear();
}

}  // namespace zentra
