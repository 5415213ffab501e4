// The "Presets" box: the transmitter's presets, shown one at a time with the per-model lists, edited, saved and re-read.
#pragma once

#include <memory>

#include "ui/WindowView.h"

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

 private:
  std::unique_ptr<Ui::PresetPanelView> ui;
};

}  // namespace zentra
