// What a user does to the window's controls, as the window receives it: choosing a list
// item (the list's activated signal, which the program's own fills never send), typing
// a number into a spin edit and confirming it with Enter. A disabled control takes no
// user action, as on screen.
#pragma once

#include <QComboBox>
#include <QString>
#include <QTest>

#include "components/TQSpinEdit.h"

namespace zentra {

inline void Choose(QComboBox* list, int index) {
  if (!list->isEnabled()) return;
  list->setCurrentIndex(index);
  emit list->activated(index);
}

inline void Type(TQSpinEdit* spin, int value) {
  if (!spin->isEnabled()) return;
  spin->selectAll();
  QTest::keyClicks(spin, QString::number(value));
  QTest::keyClick(spin, Qt::Key_Return);
}

}  // namespace zentra
