// The "Load configuration" dialog: one check box per group of settings a configuration
// file can apply, with the captions, enabled states and checks that DecideConfigChoices
// gives for the file and the transmitter. OK hands back the boxes checked.
#pragma once

#include <QDialog>
#include <array>
#include <memory>

#include "files/ConfigFile.h"

class QCheckBox;
namespace Ui {
class TformConfiguration;
}

namespace zentra {

class TformConfiguration : public QDialog {
  Q_OBJECT

 public:
  TformConfiguration(const ConfigChoices& choices, QWidget* parent = nullptr);
  ~TformConfiguration() override;

  Ui::TformConfiguration& form() { return *ui; }
  // The box of a choice, in the order of ConfigItem.
  QCheckBox* Box(ConfigItem item) const;
  // The boxes checked and enabled now.
  ConfigSelection Selection() const;

 private:
  std::unique_ptr<Ui::TformConfiguration> ui;
  std::array<QCheckBox*, kConfigItemCount> boxes_{};
};

}  // namespace zentra
