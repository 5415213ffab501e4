#include "ui/TformConfiguration.h"

#include <QCheckBox>
#include <QPushButton>

#include "ui_TformConfiguration.h"

namespace zentra {

TformConfiguration::TformConfiguration(const ConfigChoices& choices, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TformConfiguration>()) {
  ui->setupUi(this);
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  setFixedSize(size());
  boxes_ = {ui->ckTuning, ui->ckAudio,   ui->ckMic,  ui->ckPTT,     ui->ckBattery,
            ui->ckRFPower, ui->ckLed,   ui->ckLock, ui->ckHidden,  ui->ckName,
            ui->ckPresets, ui->ckActivatePreset};
  for (size_t i = 0; i < boxes_.size(); ++i) {
    QCheckBox* box = boxes_[i];
    const QString caption = QString::fromLatin1(choices[i].caption.c_str());
    box->setText(caption);
    box->setAccessibleName(caption);
    box->setChecked(choices[i].enabled && choices[i].checked);
    box->setEnabled(choices[i].enabled);
  }
  connect(ui->btnOK, &QPushButton::clicked, this, &QDialog::accept);
  connect(ui->btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

TformConfiguration::~TformConfiguration() = default;

QCheckBox* TformConfiguration::Box(ConfigItem item) const {
  return boxes_[static_cast<size_t>(item)];
}

ConfigSelection TformConfiguration::Selection() const {
  ConfigSelection s{};
  for (size_t i = 0; i < boxes_.size(); ++i) s[i] = boxes_[i]->isEnabled() && boxes_[i]->isChecked();
  return s;
}

}  // namespace zentra
