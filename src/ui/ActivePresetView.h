// The "Preset" box of "Current Settings": the preset the transmitter runs, with its
// name, and SET, which makes the chosen preset the active one; the transmitter's
// settings then change and are read back, and every view shows them again.
#pragma once

#include <memory>

#include "ui/WindowView.h"

namespace Ui {
class ActivePresetView;
}

namespace zentra {

class ActivePresetView : public WindowView {
  Q_OBJECT

 public:
  explicit ActivePresetView(QWidget* parent = nullptr);
  ~ActivePresetView() override;

  Ui::ActivePresetView& form() { return *ui; }

  void Attach(WindowState& state) override;
  void ResetDisplay() override;
  void ShowReadResult(const FullReadResult& result) override;
  // Selects the active preset (presetIndex) and shows its name.
  void ShowFromData() override;

  // Shows the name of the preset chosen in PresetListSet.
  void PresetListSetChange();
  // Activates the chosen preset with the edit lock held on, re-reads what it changed,
  // has every view show it, says "Preset loaded!" and puts the edit lock back.
  void ButtonSetPresetClick();

 private:
  std::unique_ptr<Ui::ActivePresetView> ui;
};

}  // namespace zentra
