// The "Tuning Frequencies" box: the frequency table shown group by group (and the SYNC group), with channel and group lock and hidden flags, group names, ctrl-click tuning, the frequency entry dialog and the frequency-table files.
#pragma once

#include <memory>

#include "ui/WindowView.h"

namespace Ui {
class FrequencyPlanView;
}

namespace zentra {

class FrequencyPlanView : public WindowView {
  Q_OBJECT

 public:
  explicit FrequencyPlanView(QWidget* parent = nullptr);
  ~FrequencyPlanView() override;

  Ui::FrequencyPlanView& form() { return *ui; }

  void ResetDisplay() override;
  void ShowReadResult(const FullReadResult& result) override;
  void ShowEditLock() override;

 private:
  std::unique_ptr<Ui::FrequencyPlanView> ui;
};

}  // namespace zentra
