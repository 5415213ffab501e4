// The setting boxes of "Current Settings": "Tuning", "Audio", "Mic / PTT", "Battery", "RF Power" and "LED Switch", with the lock and hidden boxes of the user menu beside each setting.
#pragma once

#include <memory>

#include "ui/WindowView.h"

namespace Ui {
class SettingsPanelsView;
}

namespace zentra {

class SettingsPanelsView : public WindowView {
  Q_OBJECT

 public:
  explicit SettingsPanelsView(QWidget* parent = nullptr);
  ~SettingsPanelsView() override;

  Ui::SettingsPanelsView& form() { return *ui; }

  void BeginFullRead() override;
  void ShowReadResult(const FullReadResult& result) override;

 private:
  std::unique_ptr<Ui::SettingsPanelsView> ui;
};

}  // namespace zentra
