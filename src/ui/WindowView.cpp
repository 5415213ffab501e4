#include "ui/WindowView.h"

#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>

#include "device/FullRead.h"

namespace zentra {

void WindowView::Attach(WindowState& s) { state = &s; }

std::vector<QWidget*> WindowView::EditingControls() const {
  std::vector<QWidget*> controls;
  for (QWidget* w : findChildren<QWidget*>()) {
    if (qobject_cast<QComboBox*>(w) || qobject_cast<QCheckBox*>(w) ||
        qobject_cast<QAbstractSpinBox*>(w) || qobject_cast<QProgressBar*>(w) ||
        qobject_cast<QPushButton*>(w) || qobject_cast<QTableWidget*>(w)) {
      controls.push_back(w);
    } else if (auto* edit = qobject_cast<QLineEdit*>(w); edit && !edit->isReadOnly()) {
      // Spin boxes and combo boxes hold a line edit of their own; they stand for it.
      QWidget* owner = edit->parentWidget();
      if (!qobject_cast<QAbstractSpinBox*>(owner) && !qobject_cast<QComboBox*>(owner)) {
        controls.push_back(w);
      }
    }
  }
  return controls;
}

void WindowView::ResetDisplay() {
  for (QLineEdit* edit : findChildren<QLineEdit*>()) {
    if (edit->isReadOnly()) edit->clear();
  }
  for (QWidget* control : EditingControls()) DisableControl(control);
}

void WindowView::BeginFullRead() {}

void WindowView::ShowReadResult(const FullReadResult&) {}

void WindowView::ShowEditLock() {}

void WindowView::ShowFromData() {}

void EnableControl(QWidget* control) {
  control->setEnabled(true);
  control->setBackgroundRole(QPalette::Base);
}

void DisableControl(QWidget* control) {
  control->setEnabled(false);
  control->setBackgroundRole(QPalette::Button);
  if (auto* combo = qobject_cast<QComboBox*>(control)) {
    combo->setCurrentIndex(-1);
  } else if (auto* check = qobject_cast<QCheckBox*>(control)) {
    check->setChecked(false);
  } else if (auto* spin = qobject_cast<QSpinBox*>(control)) {
    spin->setValue(0);
  } else if (auto* bar = qobject_cast<QProgressBar*>(control)) {
    bar->setValue(0);
  } else if (auto* edit = qobject_cast<QLineEdit*>(control)) {
    edit->clear();
  }
}

void SetControlEnabled(QWidget* control, bool enabled) {
  if (enabled) EnableControl(control); else DisableControl(control);
}

void NameControlsByCaption(QWidget* root) {
  for (QLabel* label : root->findChildren<QLabel*>()) {
    QWidget* control = label->buddy();
    if (control && control->accessibleName().isEmpty()) control->setAccessibleName(label->text());
  }
}

}  // namespace zentra
