#include "ui/TformNewTable.h"

#include "plan/Coordination.h"
#include "ui/UserMessages.h"
#include "ui_TformNewTable.h"

namespace zentra {

TformNewTable::TformNewTable(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::TformNewTable>()) {
  ui->setupUi(this);
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
}

TformNewTable::~TformNewTable() = default;

PlanLayout TformNewTable::layout() const {
  PlanLayout layout;
  layout.channels = ui->spinChannels->value();
  layout.groups = ui->spinGroups->value();
  layout.freqMinMHz = ui->spinFreqMin->value();
  layout.freqMaxMHz = ui->spinFreqMax->value();
  // kHz with up to three decimals is a whole number of Hz.
  layout.stepHz = plan::ParseMHz(ui->editStep->text().trimmed().toStdString()).value_or(0);
  layout.firstGroupNumber = ui->listFirstGroup->currentIndex() == 1 ? 1 : 0;
  layout.sync = ui->ckSync->isChecked();
  return layout;
}

void TformNewTable::accept() {
  const std::string problem = layout().Problem();
  if (!problem.empty()) {
    ShowUserMessage(this, "WARNING", QString::fromStdString(problem), QMessageBox::Warning);
    return;
  }
  QDialog::accept();
}

bool AskNewTableLayout(QWidget* parent, PlanLayout& layout) {
  TformNewTable dialog(parent);
  if (dialog.exec() != QDialog::Accepted) return false;
  layout = dialog.layout();
  return true;
}

}  // namespace zentra
