#include "ui/PresetPanelView.h"

#include "ui_PresetPanelView.h"

namespace zentra {

PresetPanelView::PresetPanelView(QWidget* parent) : WindowView(parent), ui(std::make_unique<Ui::PresetPanelView>()) {
  ui->setupUi(this);
}

PresetPanelView::~PresetPanelView() = default;

}  // namespace zentra
