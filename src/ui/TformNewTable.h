// "New Frequency Table…": the layout of a table made at a desk (channels per group,
// groups, range, step, how its groups are numbered, a SYNC channel), taken as the
// "DATA" section of the new file.
#pragma once

#include <QDialog>
#include <memory>

#include "files/OfflinePlan.h"

namespace Ui {
class TformNewTable;
}

namespace zentra {

class TformNewTable : public QDialog {
  Q_OBJECT

 public:
  explicit TformNewTable(QWidget* parent = nullptr);
  ~TformNewTable() override;

  Ui::TformNewTable& form() { return *ui; }
  // The layout as the dialog shows it; Problem() tells what is wrong with it.
  PlanLayout layout() const;
  // OK: a layout that cannot be used is shown in a warning and the dialog stays open.
  void accept() override;

 private:
  std::unique_ptr<Ui::TformNewTable> ui;
};

// Shows the dialog; false when it was cancelled.
bool AskNewTableLayout(QWidget* parent, PlanLayout& layout);

}  // namespace zentra
