// The "Preset" box of "Current Settings": the preset the transmitter runs, its activation and the hidden flag of the preset menu.
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

 private:
  std::unique_ptr<Ui::ActivePresetView> ui;
};

}  // namespace zentra
