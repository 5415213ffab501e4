#include "ui/SettingsPanelsView.h"

#include "device/FrequencyPlan.h"
#include "device/FullRead.h"
#include "device/TDeviceData.h"
#include "ui/WindowState.h"
#include "ui_SettingsPanelsView.h"

namespace zentra {

SettingsPanelsView::SettingsPanelsView(QWidget* parent) : WindowView(parent), ui(std::make_unique<Ui::SettingsPanelsView>()) {
  ui->setupUi(this);
}

SettingsPanelsView::~SettingsPanelsView() = default;

void SettingsPanelsView::BeginFullRead() { ui->listAudioDisplay->setCurrentIndex(0); }

void SettingsPanelsView::ShowReadResult(const FullReadResult& result) {
  const TDeviceData& d = state->device;
  if (!result.Failed(ReadStep::Frequency)) {
    ui->valueFrequency->setText(QString::fromLatin1(FormatMHz(d.curFreqKHz).c_str()));
  }
}

}  // namespace zentra
